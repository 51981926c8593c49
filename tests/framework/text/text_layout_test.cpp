// Laying out a text view: one line without word wrap, words kept whole and
// overlong words broken with it, line breaks, tall glyphs, partial layouts
// that agree with full ones, and the extent owners read.
#include "text_fixture.h"

#include <algorithm>

using text_test::Height;
using text_test::TestTextView;
using text_test::TextFixture;
using text_test::Width;

namespace {

class TextLayout : public TextFixture {
protected:
    void Wrap(TestTextView& view, int width)
    {
        view.SetRect(RECT{0, 0, width, 1000});
        view.wordWrap = true;
    }

    static RECT Extent(const IMTextView& view)
    {
        RECT r;
        view.GetSourceRect(&r);
        return r;
    }

    static std::vector<RECT> Rects(const IMTextView& view)
    {
        std::vector<RECT> rects;
        for (int i = 0; i < view.GetGlyphCount(); ++i)
            rects.push_back(view.GetGlyphRect(i));
        return rects;
    }

    static bool Same(const std::vector<RECT>& a, const std::vector<RECT>& b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!imrect::Equal(a[i], b[i]))
                return false;
        return true;
    }
};

} // namespace

TEST_F(TextLayout, NewAndEmptyViewsHaveNoExtentAndOneLine)
{
    TestTextView view;
    EXPECT_TRUE(imrect::IsEmpty(Extent(view)));
    EXPECT_EQ(std::vector<int>{0}, view.GetLineStarts());
    view.SetText(L"");
    EXPECT_EQ(std::vector<int>{0}, view.GetLineStarts());
    EXPECT_TRUE(imrect::IsEmpty(Extent(view)));
    EXPECT_EQ(L"", view.GetText());
}

TEST_F(TextLayout, WithoutWrapEverythingStandsOnOneLine)
{
    TestTextView view;
    view.SetRect(RECT{0, 0, 20, 20});
    view.SetText(L"ab\ncd efg");
    EXPECT_EQ(std::vector<int>{0}, view.GetLineStarts());
    int x = 0;
    int tallest = 0;
    for (int i = 0; i < view.GetGlyphCount(); ++i) {
        const RECT r = view.GetGlyphRect(i);
        EXPECT_EQ(0, r.top) << i;
        EXPECT_EQ(x, r.left) << i;
        x = r.right;
        tallest = std::max(tallest, Height(r));
    }
    const RECT extent = Extent(view);
    EXPECT_EQ(0, extent.left);
    EXPECT_EQ(x, extent.right);
    EXPECT_EQ(tallest, extent.bottom);
    EXPECT_EQ(16, tallest);
}

TEST_F(TextLayout, WrapMovesTheWholeLastWordToTheNextLine)
{
    TestTextView view;
    Wrap(view, 100);
    const std::wstring text = L"один два три четыре пять шесть";
    view.SetText(text);
    const std::vector<int> starts = view.GetLineStarts();
    ASSERT_GT(starts.size(), 2u);
    for (size_t k = 1; k < starts.size(); ++k) {
        // Every line starts after a space, at the left edge, one line lower.
        EXPECT_EQ(L' ', text[static_cast<size_t>(starts[k] - 1)]) << k;
        const RECT r = view.GetGlyphRect(starts[k]);
        EXPECT_EQ(0, r.left) << k;
        EXPECT_EQ(static_cast<LONG>(16 * k), r.top) << k;
    }
    // No glyph but a trailing space crosses the right edge.
    for (int i = 0; i < view.GetGlyphCount(); ++i) {
        if (text[static_cast<size_t>(i)] != L' ') {
            EXPECT_LE(view.GetGlyphRect(i).right, 100) << i;
        }
    }
    const RECT extent = Extent(view);
    EXPECT_EQ(static_cast<LONG>(16 * starts.size()), extent.bottom);
    EXPECT_LE(extent.right, 100);
}

TEST_F(TextLayout, WordWiderThanTheViewBreaksAtTheGlyphThatOverflows)
{
    TestTextView view;
    Wrap(view, 50);
    view.SetText(L"ЩЩЩЩЩЩЩЩЩЩ");
    const std::vector<int> starts = view.GetLineStarts();
    ASSERT_GT(starts.size(), 1u);
    for (size_t k = 1; k < starts.size(); ++k) {
        const RECT r = view.GetGlyphRect(starts[k]);
        EXPECT_EQ(0, r.left);
        // It did not fit after the glyph before it.
        EXPECT_GT(view.GetGlyphRect(starts[k] - 1).right + Width(r), 50);
    }
}

TEST_F(TextLayout, LineBreaksStartTheNextLineAtTheLeftEdge)
{
    TestTextView view;
    Wrap(view, 500);
    view.SetText(L"ab\ncd\r\nef");
    EXPECT_EQ((std::vector<int>{0, 3, 6, 7}), view.GetLineStarts());
    EXPECT_EQ(0, view.GetGlyphRect(3).left);
    EXPECT_EQ(16, view.GetGlyphRect(3).top);
    // A carriage return and line feed pair leaves an empty line between.
    EXPECT_EQ(0, view.GetGlyphRect(7).left);
    EXPECT_EQ(48, view.GetGlyphRect(7).top);
    // The extent is as wide as the widest line, not one glyph more.
    const RECT extent = Extent(view);
    EXPECT_EQ(std::max({view.GetGlyphRect(2).right, view.GetGlyphRect(5).right,
                        view.GetGlyphRect(8).right}),
              extent.right);
    EXPECT_EQ(64, extent.bottom);
}

TEST_F(TextLayout, TallGlyphRaisesItsLineAndLowersTheNext)
{
    TestTextView view;
    Wrap(view, 500);
    view.SetText(L"ab\ncd");
    const int tall = 40;
    EXPECT_TRUE(IMTextView::FormatGlyph(view.Glyphs()[1], &view, nullptr, nullptr, nullptr, nullptr,
                                        &tall, nullptr, nullptr));
    view.Layout(0);
    EXPECT_EQ(40, Height(view.GetGlyphRect(1)));
    EXPECT_EQ(40, view.GetGlyphRect(3).top);
    EXPECT_EQ(56, Extent(view).bottom);
}

TEST_F(TextLayout, PartialLayoutAgreesWithAFullOne)
{
    TestTextView view;
    Wrap(view, 120);
    view.SetText(L"широкая степь и высокое небо над ней");
    view.InsertText(20, L"xyz ");
    std::vector<RECT> partial = Rects(view);
    std::vector<int> partialStarts = view.GetLineStarts();
    view.Layout(0);
    EXPECT_TRUE(Same(partial, Rects(view)));
    EXPECT_EQ(partialStarts, view.GetLineStarts());

    view.EraseText(5, 3);
    partial = Rects(view);
    partialStarts = view.GetLineStarts();
    view.Layout(0);
    EXPECT_TRUE(Same(partial, Rects(view)));
    EXPECT_EQ(partialStarts, view.GetLineStarts());

    // Changes right after a line break.
    view.SetText(L"ab\ncd\nef");
    view.EraseText(3, 1);
    EXPECT_EQ((std::vector<int>{0, 3, 5}), view.GetLineStarts());
    EXPECT_EQ(0, view.GetGlyphRect(3).left);
    EXPECT_EQ(16, view.GetGlyphRect(3).top);
    view.InsertText(3, L"xy");
    partial = Rects(view);
    partialStarts = view.GetLineStarts();
    view.Layout(0);
    EXPECT_TRUE(Same(partial, Rects(view)));
    EXPECT_EQ(partialStarts, view.GetLineStarts());
}

TEST_F(TextLayout, InsertionAndErasureKeepToTheText)
{
    TestTextView view;
    view.SetText(L"abcd");
    view.InsertText(2, L"xy");
    EXPECT_EQ(L"abxycd", view.GetText());
    view.InsertText(-1, L"q");
    view.InsertText(7, L"q");
    EXPECT_EQ(L"abxycd", view.GetText());
    view.EraseText(4, 100);
    EXPECT_EQ(L"abxy", view.GetText());
    view.EraseText(5, 1);
    view.EraseText(-1, 1);
    EXPECT_EQ(L"abxy", view.GetText());
    view.InsertText(4, L"");
    EXPECT_EQ(L"abxy", view.GetText());
    // Glyphs stay side by side after the changes.
    for (int i = 1; i < view.GetGlyphCount(); ++i)
        EXPECT_EQ(view.GetGlyphRect(i - 1).right, view.GetGlyphRect(i).left);
    EXPECT_EQ(view.GetGlyphRect(3).right, Extent(view).right);
}

TEST_F(TextLayout, ColourChangeRenewsTexturesButKeepsEverySize)
{
    TestTextView view;
    view.SetText(L"aba");
    const std::vector<RECT> before = Rects(view);
    const std::wstring oldKey = view.Glyphs()[0]->key;
    const int oldId = view.Glyphs()[0]->textureId;
    ASSERT_EQ(2, RefCount(oldId));

    view.SetTextColor(0xFF072134u);
    EXPECT_TRUE(Same(before, Rects(view)));
    EXPECT_NE(oldKey, view.Glyphs()[0]->key);
    EXPECT_FALSE(IsRegistered(oldKey));
    EXPECT_EQ(2, RefCount(view.Glyphs()[0]->textureId));
    EXPECT_EQ(0xFF072134u, view.GetGlyphColor(2));
    // New glyphs take the view's new colour.
    view.InsertText(3, L"c");
    EXPECT_EQ(0xFF072134u, view.GetGlyphColor(3));
}

TEST_F(TextLayout, BoldChangesWidthsAndLaysTheTextOutAgain)
{
    TestTextView view;
    view.SetText(L"mmmm");
    const int plainWidth = Extent(view).right;
    view.SetBold(true);
    EXPECT_GT(Extent(view).right, plainWidth);
    EXPECT_EQ(view.GetGlyphRect(3).right, Extent(view).right);
}

TEST_F(TextLayout, SetCharReplacesOneGlyph)
{
    TestTextView view;
    view.SetText(L"iii");
    const int narrow = Extent(view).right;
    view.SetChar(1, L'Ш');
    EXPECT_EQ(L"iШi", view.GetText());
    EXPECT_GT(Extent(view).right, narrow);
    view.SetChar(3, L'x');
    EXPECT_EQ(L"iШi", view.GetText());
}

TEST_F(TextLayout, WhitespaceSymbolsTakeTheSizesOfTheirPictures)
{
    TestTextView view;
    view.showWhitespace = true;
    view.SetText(L" \t\n\r");
    EXPECT_EQ(3, Width(view.GetGlyphRect(0)));
    EXPECT_EQ(3, Height(view.GetGlyphRect(0)));
    EXPECT_EQ(10, Width(view.GetGlyphRect(1)));
    EXPECT_EQ(5, Height(view.GetGlyphRect(1)));
    EXPECT_EQ(11, Width(view.GetGlyphRect(2)));
    EXPECT_EQ(21, Height(view.GetGlyphRect(2)));
    EXPECT_EQ(11, Width(view.GetGlyphRect(3)));
    EXPECT_TRUE(view.Glyphs()[0]->whitespaceSymbol);

    // Without the symbols a line feed is one empty pixel, the others spaces.
    TestTextView plain;
    plain.SetText(L" \t\n\r");
    const int space = Width(plain.GetGlyphRect(0));
    EXPECT_GT(space, 1);
    EXPECT_EQ(space, Width(plain.GetGlyphRect(1)));
    EXPECT_EQ(1, Width(plain.GetGlyphRect(2)));
    EXPECT_EQ(1, Height(plain.GetGlyphRect(2)));
    EXPECT_EQ(space, Width(plain.GetGlyphRect(3)));
    EXPECT_FALSE(plain.Glyphs()[0]->whitespaceSymbol);
}

TEST_F(TextLayout, GlyphsShareTexturesAndTheViewReleasesThem)
{
    std::wstring key;
    {
        TestTextView view;
        view.SetText(L"aaa");
        key = view.Glyphs()[0]->key;
        EXPECT_EQ(3, RefCount(view.Glyphs()[0]->textureId));
        view.EraseText(0, 1);
        EXPECT_EQ(2, RefCount(view.Glyphs()[0]->textureId));
        view.SetText(L"b");
        EXPECT_FALSE(IsRegistered(key));
        key = view.Glyphs()[0]->key;
    }
    EXPECT_FALSE(IsRegistered(key));
}

TEST_F(TextLayout, GlyphWiderThanTheViewTakesALineOfItsOwn)
{
    TestTextView view;
    Wrap(view, 5);
    view.SetText(L"ШЖ");
    EXPECT_EQ((std::vector<int>{0, 1}), view.GetLineStarts());
    EXPECT_EQ(0, view.GetGlyphRect(0).top);
    EXPECT_EQ(16, view.GetGlyphRect(1).top);
    EXPECT_EQ(0, view.GetGlyphRect(1).left);
}
