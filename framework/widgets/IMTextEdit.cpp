#include "framework/widgets/IMTextEdit.h"

#include "framework/render/IMResourceManager.h"
#include "framework/window/IMWindow.h"
#include "platform/user32.h"

#include <boost/bind/bind.hpp>

using namespace boost::placeholders;

namespace {

const DWORD kBlinkInterval = 500;

// The column Up and Down aim for: taken at the first keyboard message any
// edit handles, then set by Left and Right.
bool columnTaken = false;
int rememberedColumn = 0;

bool IsControlCharacter(DWORD c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

} // namespace

int IMTextEdit::RememberedColumn()
{
    return rememberedColumn;
}

IMTextEdit::IMTextEdit(Container* parent)
    : IMStaticPictureBase<IMTextView>(parent, 0),
      caretPosition(0),
      blinkTimer(0),
      caret(nullptr)
{
    SetFocusable(true);
    ConnectKeyMessage(boost::bind(&IMTextEdit::OnChar, this, _1));

    if (parent) {
        caret = Picture::Create(parent, 0, 0, L"EditBarKaretka", 0, 0xFFFFFFFFu);
        if (caret) {
            parent->MoveChildToDepth1(caret);
            caret->Hide();
            ConnectFocusGained(boost::bind(&IMControl::Show, static_cast<IMControl*>(caret)));
            ConnectFocusLost(boost::bind(&IMControl::Hide, static_cast<IMControl*>(caret)));
        }
    }
    ConnectChanged(boost::bind(&IMTextEdit::UpdateCaret, this));

    if (IMWindow* window = IMWindow::Instance()) {
        blinkTimer = window->AddTimer(kBlinkInterval);
        window->ConnectTimer(blinkTimer, boost::bind(&IMTextEdit::OnBlink, this));
    }
}

IMTextEdit::~IMTextEdit()
{
    // The timer would otherwise stay with the window, firing for nobody.
    if (blinkTimer != 0)
        if (IMWindow* window = IMWindow::Instance())
            window->RemoveTimer(blinkTimer);
}

void IMTextEdit::SetCaret(int position)
{
    const int count = GetGlyphCount();
    caretPosition = position < 0 ? 0 : position > count ? count : position;
    UpdateCaret();
}

long IMTextEdit::UpdateCaret()
{
    if (!caret)
        return 0;
    if (caretPosition > GetGlyphCount())
        caretPosition = GetGlyphCount();
    RECT edit;
    GetRect(&edit);

    int caretHeight = 0;
    int x = edit.left;
    int y = edit.top;
    if (GetGlyphCount() == 0) {
        // As tall as a space would be in the edit's format.
        if (IMResourceManager* manager = IMResourceManager::Instance()) {
            const wchar_t space = L' ';
            const int id =
                manager->CreateGlyphTexture(L"TempSpaceBar", &space, nullptr, textColour, height,
                                            face, italic, bold, underline, backColour);
            if (IMTextureRecord* record = manager->GetTextureRecord(id)) {
                caretHeight = record->imageRect.bottom - record->imageRect.top;
                manager->ReleaseTexture(id);
            }
        }
    } else if (caretPosition == 0) {
        const RECT first = GetGlyphRect(0);
        caretHeight = first.bottom - first.top;
    } else {
        const RECT before = GetGlyphRect(caretPosition - 1);
        caretHeight = before.bottom - before.top;
        x += before.right;
        y += before.top;
    }
    caret->SetRect(RECT{x, y, x + 1, y + caretHeight});
    return 0;
}

long IMTextEdit::OnBlink()
{
    if (caret && IsFocused()) {
        if (caret->IsHidden())
            caret->Show();
        else
            caret->Hide();
    }
    return 0;
}

int IMTextEdit::GetCaretColumn() const
{
    if (lineStarts.empty())
        return caretPosition;
    int start = lineStarts.front();
    for (int s : lineStarts)
        if (s <= caretPosition)
            start = s;
    return caretPosition - start;
}

std::wstring IMTextEdit::CharText(const IMKeyboardEvent& e)
{
    if (!e.IsMessage(WM_CHAR))
        return std::wstring();
    if (IsControlCharacter(e.wParam))
        return std::wstring();
    return std::wstring(1, static_cast<wchar_t>(e.wParam));
}

long IMTextEdit::OnChar(const IMKeyboardEvent& e)
{
    if (e.IsMessage(WM_CHAR)) {
        if (e.wParam == VK_BACK) {
            if (caretPosition > 0) {
                // The erasure places the caret anew, clamped to the shorter
                // text, so the target is taken first.
                const int target = caretPosition - 1;
                EraseText(target, 1);
                SetCaret(target);
            }
        } else {
            const std::wstring text = CharText(e);
            if (!text.empty()) {
                const int at = caretPosition;
                InsertText(at, text);
                SetCaret(at + 1);
            }
        }
    }

    if (!columnTaken) {
        columnTaken = true;
        rememberedColumn = GetCaretColumn();
    }

    if (e.IsMessage(WM_KEYDOWN)) {
        const int count = GetGlyphCount();
        const std::vector<int>& lines = lineStarts;
        const int n = static_cast<int>(lines.size());
        // The line that holds the caret.
        int line = n - 1;
        for (int k = 0; k < n; ++k) {
            if (lines[static_cast<size_t>(k)] > caretPosition) {
                line = k > 0 ? k - 1 : 0;
                break;
            }
        }
        auto start = [&lines](int k) { return lines[static_cast<size_t>(k)]; };

        switch (e.wParam) {
        case VK_LEFT:
            if (caret)
                caret->Show();
            SetCaret(caretPosition - 1);
            rememberedColumn = GetCaretColumn();
            break;
        case VK_RIGHT:
            if (caret)
                caret->Show();
            SetCaret(caretPosition + 1);
            rememberedColumn = GetCaretColumn();
            break;
        case VK_UP:
            if (caret)
                caret->Show();
            if (n > 1 && line > 0) {
                const int t = start(line - 1) + rememberedColumn;
                SetCaret(t < start(line) ? t : start(line) - 1);
            }
            break;
        case VK_DOWN:
            if (caret)
                caret->Show();
            if (n > 1 && line < n - 1) {
                const int t = start(line + 1) + rememberedColumn;
                if (t > count - 1)
                    SetCaret(count - 1);
                else if (line + 1 == n - 1)
                    SetCaret(t);
                else
                    SetCaret(t <= start(line + 2) ? t : start(line + 2) - 1);
            }
            break;
        case VK_DELETE:
            if (caretPosition < count)
                EraseText(caretPosition, 1);
            break;
        default:
            break;
        }
    }

    SetDirty(true);
    return 0;
}

void IMTextEdit::SetText(std::wstring text)
{
    IMTextView::SetText(text);
    caretPosition = static_cast<int>(text.size());
    UpdateCaret();
}
