// The text edit and its bar: caret size and place, typing, Backspace and
// Delete at the ends, characters that insert nothing, the caret's blink and
// its timer, the frame, and scrolling past the bar's edges.
#include "widget_fixture.h"

#include "framework/widgets/IMEditBar.h"
#include "framework/window/IMWindow.h"

#include <string>

using widget_test::Char;
using widget_test::Equal;
using widget_test::KeyDown;
using widget_test::WidgetFixture;

namespace {

class EditBar : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        bar = new IMEditBar(screen);
        bar->SetRect(RECT{100, 200, 300, 222});
        edit = bar->GetEdit();
        caret = edit->GetCaret();
        Settle();
    }

    void Type(const std::wstring& text)
    {
        for (wchar_t c : text)
            edit->OnKey(Char(c));
    }

    void Press(DWORD key) { edit->OnKey(KeyDown(key)); }

    RECT Caret() { return RectOf(caret); }

    IMEditBar* bar = nullptr;
    IMTextEdit* edit = nullptr;
    IMTextEdit::Picture* caret = nullptr;
};

} // namespace

TEST_F(EditBar, EmptyEditShowsItsCaretAtItsTopLeftAsTallAsASpace)
{
    EXPECT_TRUE(Equal(RECT{2, 1, 3, 17}, Caret()));
    EXPECT_EQ(IMResourceManager::Instance()->SlotCount(),
              IMResourceManager::Instance()->FindTexture(L"TempSpaceBar"));
    EXPECT_EQ(1, bar->FindChildDepth(caret));
    EXPECT_TRUE(caret->IsHidden());
}

TEST_F(EditBar, TypingInsertsAtTheCaretAndMovesIt)
{
    Type(L"кот");
    EXPECT_EQ(L"кот", bar->GetText());
    EXPECT_EQ(3, edit->GetCaretPosition());
    const RECT last = edit->GetGlyphRect(2);
    EXPECT_TRUE(
        Equal(RECT{2 + last.right, 1 + last.top, 3 + last.right, 1 + last.bottom}, Caret()));
    EXPECT_EQ(0xFF000000u, edit->GetGlyphColor(0));

    Press(VK_LEFT);
    Press(VK_LEFT);
    Type(L"и");
    EXPECT_EQ(L"киот", bar->GetText());
    EXPECT_EQ(2, edit->GetCaretPosition());
}

TEST_F(EditBar, BackspaceAtTheStartAndDeleteAtTheEndChangeNothing)
{
    Type(L"ab");
    Press(VK_DELETE);
    EXPECT_EQ(L"ab", bar->GetText());
    EXPECT_EQ(2, edit->GetCaretPosition());
    edit->OnKey(Char(VK_BACK));
    EXPECT_EQ(L"a", bar->GetText());
    EXPECT_EQ(1, edit->GetCaretPosition());
    edit->SetCaret(0);
    edit->OnKey(Char(VK_BACK));
    EXPECT_EQ(L"a", bar->GetText());
    EXPECT_EQ(0, edit->GetCaretPosition());
    Press(VK_DELETE);
    EXPECT_EQ(L"", bar->GetText());
    EXPECT_EQ(0, edit->GetCaretPosition());
    EXPECT_TRUE(Equal(RECT{2, 1, 3, 17}, Caret()));
}

TEST_F(EditBar, ArrowsAtTheEndsKeepTheCaretButShowIt)
{
    Type(L"ab");
    ASSERT_TRUE(caret->IsHidden());
    Press(VK_RIGHT);
    EXPECT_EQ(2, edit->GetCaretPosition());
    EXPECT_FALSE(caret->IsHidden());
    caret->Hide();
    edit->SetCaret(0);
    Press(VK_LEFT);
    EXPECT_EQ(0, edit->GetCaretPosition());
    EXPECT_FALSE(caret->IsHidden());
    // One line only: Up and Down do nothing.
    Press(VK_DOWN);
    Press(VK_UP);
    EXPECT_EQ(0, edit->GetCaretPosition());
}

TEST_F(EditBar, TabLineFeedEnterAndEscapeInsertNothingAndLeaveTheCaret)
{
    Type(L"abc");
    edit->SetCaret(1);
    for (wchar_t c : {L'\t', L'\n', L'\r', wchar_t(27)}) {
        edit->OnKey(Char(c));
        EXPECT_EQ(L"abc", bar->GetText()) << int(c);
        EXPECT_EQ(1, edit->GetCaretPosition()) << int(c);
    }
}

TEST_F(EditBar, OtherControlCharactersAreNotInserted)
{
    Type(L"ab");
    for (wchar_t c : {wchar_t(1), wchar_t(9), wchar_t(0x1F), wchar_t(0x7F), wchar_t(0x85)})
        edit->OnKey(Char(c));
    EXPECT_EQ(L"ab", bar->GetText());
    EXPECT_EQ(2, edit->GetCaretPosition());
    EXPECT_EQ(L"", IMTextEdit::CharText(Char(1)));
    EXPECT_EQ(L"", IMTextEdit::CharText(IMKeyboardEvent(nullptr, WM_KEYDOWN, 'A', 1)));
    EXPECT_EQ(L"Ё", IMTextEdit::CharText(Char(L'Ё')));
}

TEST_F(EditBar, CaretAtTheStartIsAsTallAsTheFirstCharacter)
{
    const int big = 30;
    edit->SetHeight(big);
    Type(L"Ж");
    Press(VK_LEFT);
    EXPECT_EQ(0, edit->GetCaretPosition());
    const RECT c = Caret();
    EXPECT_EQ(30, c.bottom - c.top);
    EXPECT_EQ(1, c.right - c.left);
    EXPECT_EQ(2, c.left);
}

TEST_F(EditBar, FrameLinesTheOuterEdgeAndTheTextStartsInset)
{
    // Every piece of the bar, by its rectangle.
    const RECT expected[] = {
        {0, 0, 199, 21}, {0, 0, 1, 1},   {199, 0, 200, 1},  {0, 21, 1, 22},   {199, 21, 200, 22},
        {0, 1, 1, 21},   {1, 0, 199, 1}, {199, 1, 200, 21}, {1, 21, 199, 22}, {2, 1, 199, 21}};
    const std::vector<IMControl*> children = bar->LiveChildren();
    for (const RECT& r : expected) {
        bool found = false;
        for (IMControl* child : children)
            found = found || Equal(r, RectOf(child));
        EXPECT_TRUE(found) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    EXPECT_TRUE(Equal(RECT{2, 1, 199, 21}, RectOf(edit)));

    // Sized by its owner through the view.
    bar->SetSize(80, 30);
    EXPECT_TRUE(Equal(RECT{2, 1, 79, 29}, RectOf(edit)));
    EXPECT_TRUE(Equal(RECT{100, 200, 180, 230}, RectOf(bar)));
}

TEST_F(EditBar, TypingPastTheRightEdgeScrollsAndBackPastTheLeftReturns)
{
    bar->SetRect(RECT{0, 0, 60, 22});
    const int originalWidth = edit->GetWidth();
    for (int i = 0; i < 15; ++i) {
        edit->OnKey(Char(L'Ш'));
        EXPECT_LE(Caret().right, 57) << i;
        EXPECT_GE(edit->GetWidth(), originalWidth);
    }
    EXPECT_EQ(57, Caret().right);
    EXPECT_LT(RectOf(edit).left, 0);
    // The edit still holds the whole text, so nothing typed is clipped away.
    EXPECT_GE(RectOf(edit).right, Caret().right);

    for (int i = 0; i < 15; ++i) {
        edit->OnKey(KeyDown(VK_LEFT));
        EXPECT_GE(Caret().left, 0) << i;
    }
    EXPECT_EQ(0, edit->GetCaretPosition());
    EXPECT_EQ(2, RectOf(edit).left);
    EXPECT_EQ(2, Caret().left);
}

TEST_F(EditBar, SetTextPutsTheCaretAfterTheTextInView)
{
    bar->SetRect(RECT{0, 0, 60, 22});
    bar->SetText(L"ШШШШШШШШШШ");
    EXPECT_EQ(10, edit->GetCaretPosition());
    EXPECT_EQ(57, Caret().right);
    EXPECT_EQ(L"ШШШШШШШШШШ", bar->GetText());
}

TEST_F(EditBar, SetTextAfterScrollingShowsTheNewTextInsideTheBar)
{
    bar->SetRect(RECT{30, 28, 330, 48});
    for (int i = 0; i < 60; ++i)
        edit->OnKey(Char(L'Ш'));
    ASSERT_LT(RectOf(edit).left, 0);

    // A short text starts at the inset again, all of it visible.
    bar->SetText(L"/tmp/a.xls");
    EXPECT_EQ(2, RectOf(edit).left);
    EXPECT_EQ(static_cast<int>(RectOf(edit).left) + edit->GetGlyphRect(9).right,
              static_cast<int>(Caret().right) - 1);
    EXPECT_LE(Caret().right, 297);

    // A long one shows its end, the caret 3 pixels inside the right edge,
    // and the edit still reaches the caret so that nothing before it is cut.
    const std::wstring path = L"/home/учитель/.local/share/ZEMT/07342 Тренажер «Кварлоп».xls";
    bar->SetText(path);
    EXPECT_EQ(static_cast<int>(path.size()), edit->GetCaretPosition());
    EXPECT_EQ(297, Caret().right);
    EXPECT_GE(RectOf(edit).right, Caret().right);
    EXPECT_EQ(path, bar->GetText());
}

TEST_F(EditBar, CaretFollowsTheFocusAndBlinksOnlyWhileFocused)
{
    edit->OnBlink();
    EXPECT_TRUE(caret->IsHidden());
    bar->SetFocus(true);
    EXPECT_TRUE(edit->IsFocused());
    EXPECT_FALSE(caret->IsHidden());
    edit->OnBlink();
    EXPECT_TRUE(caret->IsHidden());
    edit->OnBlink();
    EXPECT_FALSE(caret->IsHidden());
    bar->SetFocus(false);
    EXPECT_TRUE(caret->IsHidden());
    edit->OnBlink();
    EXPECT_TRUE(caret->IsHidden());

    EXPECT_TRUE(window.window->HasTimer(edit->GetBlinkTimer()));
    EXPECT_EQ(500u, window.window->GetTimerInterval(edit->GetBlinkTimer()));
}

TEST_F(EditBar, TheBlinkTimerGoesWithTheEdit)
{
    const int timer = edit->GetBlinkTimer();
    ASSERT_TRUE(window.window->HasTimer(timer));
    bar->Close();
    Settle();
    EXPECT_FALSE(window.window->HasTimer(timer));
}
