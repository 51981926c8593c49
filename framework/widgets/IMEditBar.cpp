#include "framework/widgets/IMEditBar.h"

#include <boost/bind/bind.hpp>

namespace {

const DWORD kOpaqueWhite = 0xFFFFFFFFu;
const DWORD kOpaqueBlack = 0xFF000000u;

} // namespace

IMEditBar::IMEditBar(IMDialogBase* parent)
    : IMDialogBase<IMEmptyView>(parent, nullptr, 0),
      edit(nullptr),
      background(nullptr),
      corners{},
      lines{}
{
    background = Picture::Create(this, 0, 0, L"EditBarBackGround", 0, kOpaqueWhite);
    for (Picture*& corner : corners) {
        corner = Picture::Create(this, 0, 0, L"EditBarKaretka", 0, kOpaqueWhite);
        if (corner)
            corner->SetSize(1, 1);
    }
    for (Picture*& line : lines)
        line = Picture::Create(this, 0, 0, L"EditBarKaretka", 0, kOpaqueWhite);

    edit = new IMTextEdit(this);
    // The frame lies above the text, which scrolls beneath its left edge.
    for (Picture* piece : corners)
        if (piece)
            MoveChildToDepth1(piece);
    for (Picture* piece : lines)
        if (piece)
            MoveChildToDepth1(piece);
    ConnectFocusGained(boost::bind(&IMControl::SetFocus, static_cast<IMControl*>(edit), true));
    ConnectFocusLost(boost::bind(&IMControl::SetFocus, static_cast<IMControl*>(edit), false));
    edit->SetTextColor(kOpaqueBlack);
    edit->ConnectKeyMessage(boost::bind(&IMEditBar::KeepCaretVisible, this));
}

IMEditBar::~IMEditBar() = default;

long IMEditBar::SetRect(const RECT& r)
{
    IMDialogBase<IMEmptyView>::SetRect(r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    auto place = [](Picture* piece, int x, int y, int width, int height) {
        if (piece)
            piece->SetRect(RECT{x, y, x + width, y + height});
    };
    place(corners[0], 0, 0, 1, 1);
    place(corners[1], w - 1, 0, 1, 1);
    place(corners[2], 0, h - 1, 1, 1);
    place(corners[3], w - 1, h - 1, 1, 1);
    place(lines[0], 0, 1, 1, h - 2);
    place(lines[1], 1, 0, w - 2, 1);
    place(lines[2], w - 1, 1, 1, h - 2);
    place(lines[3], 1, h - 1, w - 2, 1);
    if (background)
        background->SetRect(RECT{0, 0, w - 1, h - 1});
    if (edit)
        edit->SetRect(RECT{2, 1, w - 1, h - 1});
    return 0;
}

std::wstring IMEditBar::GetText() const
{
    return edit ? edit->GetText() : std::wstring();
}

long IMEditBar::SetText(std::wstring text)
{
    if (!edit)
        return 0;
    // Scrolling only ever moves the edit by the caret's overshoot, so a text
    // put in after the bar had scrolled would start wherever the old one had
    // been pushed to, possibly wholly outside the bar: the new text starts
    // again from the inset it had at the beginning.
    const int w = GetWidth();
    const int h = GetHeight();
    edit->SetRect(RECT{2, 1, w - 1, h - 1});
    edit->SetText(text);
    KeepCaretVisible();
    return 0;
}

long IMEditBar::KeepCaretVisible()
{
    if (!edit || !edit->GetCaret())
        return 0;
    RECT c;
    edit->GetCaret()->GetRect(&c);
    const int limit = GetWidth() - 3;
    if (c.right > limit) {
        POINT at;
        edit->GetPosition(&at);
        edit->IMTextView::SetPosition(at.x - (c.right - limit), at.y);
        RECT moved;
        edit->GetRect(&moved);
        // The edit only grows, so that the text it clips stays inside it.
        if (c.right > moved.right) {
            moved.right = c.right;
            edit->SetRect(moved);
        }
    }
    edit->GetCaret()->GetRect(&c);
    if (c.left < 0) {
        POINT at;
        edit->GetPosition(&at);
        edit->IMTextView::SetPosition(at.x + (2 - c.left), at.y);
    }
    return 0;
}
