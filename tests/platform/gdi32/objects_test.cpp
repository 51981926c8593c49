// Device contexts, stock objects and font objects, and what selecting,
// releasing and deleting them does.
#include "raster.h"

#include "platform/gdi32.h"

#include <gtest/gtest.h>

namespace {

HFONT Arial(int height)
{
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, 0, 0, 0, 0,
                       L"Arial");
}

LONG HeightIn(HDC dc)
{
    TEXTMETRICW tm{};
    return GetTextMetricsW(dc, &tm) ? tm.tmHeight : -1;
}

} // namespace

TEST(DeviceContexts, EachIsItsOwnAndReleasedOnce)
{
    HDC a = GetDC(nullptr), b = GetDC(nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a, b);
    EXPECT_GT(HeightIn(a), 0); // the system font answers before any other is selected
    EXPECT_EQ(ReleaseDC(nullptr, a), 1);
    EXPECT_EQ(ReleaseDC(nullptr, a), 0);
    EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
    // A released DC answers nothing.
    ABC abc;
    GLYPHMETRICS gm;
    const MAT2 m = gdi_test::Identity();
    EXPECT_EQ(HeightIn(a), -1);
    EXPECT_FALSE(GetCharABCWidthsW(a, 'a', 'a', &abc));
    EXPECT_EQ(GetGlyphOutlineW(a, 'a', GGO_NATIVE, &gm, 0, nullptr, &m), GDI_ERROR);
    EXPECT_EQ(SelectObject(a, GetStockObject(BLACK_BRUSH)), nullptr);
    // A DC is not an object to select or delete.
    EXPECT_EQ(SelectObject(b, reinterpret_cast<HGDIOBJ>(b)), nullptr);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(b)));
    EXPECT_EQ(ReleaseDC(nullptr, b), 1);
}

TEST(StockObjects, SameHandleEveryTimeAndNeverDeleted)
{
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
    EXPECT_NE(GetStockObject(WHITE_BRUSH), black);
    EXPECT_TRUE(DeleteObject(black));
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(SelectObject(dc, black), GetStockObject(WHITE_BRUSH)); // a new DC's brush
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), black);
    for (int font : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT,
                     DEVICE_DEFAULT_FONT, SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT}) {
        ASSERT_NE(SelectObject(dc, GetStockObject(font)), nullptr) << font;
        EXPECT_GT(HeightIn(dc), 0) << font;
        EXPECT_TRUE(DeleteObject(GetStockObject(font))) << font;
    }
    ReleaseDC(nullptr, dc);
    for (int unknown : {-1, 9, 1000})
        EXPECT_EQ(GetStockObject(unknown), nullptr);
}

TEST(FontObjects, SelectingReturnsThePreviousObjectOfItsKind)
{
    HDC dc = GetDC(nullptr);
    HFONT first = Arial(16), second = Arial(24);
    HGDIOBJ system = SelectObject(dc, first);
    EXPECT_EQ(system, GetStockObject(SYSTEM_FONT));
    // A brush displaces only the brush.
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, second), reinterpret_cast<HGDIOBJ>(first));
    EXPECT_EQ(HeightIn(dc), 24);
    EXPECT_EQ(SelectObject(dc, system), reinterpret_cast<HGDIOBJ>(second));
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
    ReleaseDC(nullptr, dc);
}

TEST(FontObjects, SelectedFontIsNotDeletedUntilFreed)
{
    HDC dc = GetDC(nullptr);
    HFONT font = Arial(16);
    HGDIOBJ previous = SelectObject(dc, font);
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(HeightIn(dc), 16); // still works
    SelectObject(dc, previous);
    EXPECT_TRUE(DeleteObject(font));
    // Releasing the DC frees its font too.
    HFONT other = Arial(16);
    SelectObject(dc, other);
    ReleaseDC(nullptr, dc);
    EXPECT_TRUE(DeleteObject(other));
}

TEST(FontObjects, DeletedHandleIsDeadAndEqualFontsStayApart)
{
    HFONT a = Arial(18), b = Arial(18);
    EXPECT_NE(a, b);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, b);
    ASSERT_TRUE(DeleteObject(a));
    EXPECT_FALSE(DeleteObject(a));
    EXPECT_EQ(HeightIn(dc), 18); // the equal font still works
    SelectObject(dc, previous);
    EXPECT_EQ(SelectObject(dc, a), nullptr);
    HFONT next = Arial(18);
    EXPECT_NE(next, a); // a dead handle's value is never given again
    DeleteObject(next);
    DeleteObject(b);
    ReleaseDC(nullptr, dc);
}

TEST(FontObjects, SizesOutOfRangeAreRefusedAndANullNameIsTheDefaultFace)
{
    EXPECT_EQ(Arial(100000), nullptr);
    EXPECT_EQ(Arial(-100000), nullptr);
    EXPECT_EQ(CreateFontW(16, -3, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"), nullptr);
    HFONT big = Arial(16384);
    EXPECT_NE(big, nullptr);
    DeleteObject(big);
    HFONT unnamed = CreateFontW(16, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
    ASSERT_NE(unnamed, nullptr);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, unnamed);
    EXPECT_EQ(HeightIn(dc), 16);
    SelectObject(dc, previous);
    DeleteObject(unnamed);
    ReleaseDC(nullptr, dc);
}
