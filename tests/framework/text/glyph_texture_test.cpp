// Glyph textures in the texture table: shared by key, rasterised upright in
// the text colour over the background, at least one pixel wide, and made
// room for by dropping other device textures when video memory runs out.
#include "text_fixture.h"

#include "framework/text/IMFont.h"
#include "framework/text/IMGlyphKey.h"
#include "platform/d3d9.h"

#include <cstdint>

using text_test::TextFixture;

namespace {

const DWORD kBlack = 0xFF000000u;
const DWORD kWhite = 0xFFFFFFFFu;

std::wstring KeyOf(wchar_t c, int height, bool underline = false)
{
    return MakeGlyphKey(L"Arial", c, height, kBlack, false, underline, false, kWhite, false);
}

uint32_t PixelAt(const IMTextureRecord& record, int x, int y)
{
    const unsigned char* p = record.pixels.data() + static_cast<size_t>(y) * record.pitch + x * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Sum of darkness (255 − blue) over rows [top, bottom) of the image.
long Ink(const IMTextureRecord& record, int top, int bottom)
{
    long ink = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < record.imageRect.right; ++x)
            ink += 255 - (PixelAt(record, x, y) & 0xFF);
    return ink;
}

class GlyphTexture : public TextFixture {
protected:
    int Make(wchar_t c, int height, bool underline = false, const RECT* size = nullptr)
    {
        return Manager().CreateGlyphTexture(KeyOf(c, height, underline), &c, size, kBlack, height,
                                            L"Arial", false, false, underline, kWhite);
    }

    void TearDown() override { platform::d3d9test::SetVideoMemoryBudget(SIZE_MAX); }
};

} // namespace

TEST_F(GlyphTexture, SameKeySharesOneTextureWithACount)
{
    const int first = Make(L'Ж', 18);
    ASSERT_LT(first, Manager().SlotCount());
    const int slots = Manager().SlotCount();
    EXPECT_EQ(first, Make(L'Ж', 18));
    EXPECT_EQ(2, RefCount(first));
    EXPECT_EQ(slots, Manager().SlotCount());
    EXPECT_EQ(KeyOf(L'Ж', 18), Manager().GetTextureRecord(first)->name);

    Manager().ReleaseTexture(first);
    Manager().ReleaseTexture(first);
    EXPECT_FALSE(IsRegistered(KeyOf(L'Ж', 18)));
}

TEST_F(GlyphTexture, ImageIsTheAdvanceByTheCellDrawnUprightOverTheBackground)
{
    const int id = Make(L'Т', 24);
    Manager().TakePixelCopy(id);
    const IMTextureRecord& record = *Manager().GetTextureRecord(id);
    const int f = Manager().GetFont(L"Arial", 24, false, false, false);
    ABC abc;
    Manager().fonts->GetCharWidths(f, L'Т', &abc);
    EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, record.imageRect.right);
    EXPECT_EQ(24, record.imageRect.bottom);
    EXPECT_EQ(IMNextPowerOfTwo(record.imageRect.right), record.textureWidth);

    // Corners are the background, the stem is the text colour; the wide bar
    // of the letter is at the top.
    EXPECT_EQ(kWhite, PixelAt(record, 0, 0));
    EXPECT_EQ(kWhite, PixelAt(record, 0, 23));
    EXPECT_EQ(kBlack, PixelAt(record, record.imageRect.right / 2, 12));
    EXPECT_GT(Ink(record, 0, 12), Ink(record, 12, 24));
    // Below the baseline (the descent) the letter leaves no ink.
    const int descent = Manager().fonts->Font(f).metrics.tmDescent;
    EXPECT_EQ(0, Ink(record, 24 - descent + 1, 24));
}

TEST_F(GlyphTexture, UnderlineSharesTheFontAndIsDrawnByThePath)
{
    const int plain = Make(L' ', 20);
    const int fontsBefore = Manager().fonts->Count();
    const int underlined = Make(L' ', 20, true);
    EXPECT_NE(plain, underlined);
    EXPECT_EQ(fontsBefore, Manager().fonts->Count());

    Manager().TakePixelCopy(plain);
    Manager().TakePixelCopy(underlined);
    const IMTextureRecord& a = *Manager().GetTextureRecord(plain);
    const IMTextureRecord& b = *Manager().GetTextureRecord(underlined);
    EXPECT_EQ(0, Ink(a, 0, 20));
    EXPECT_EQ(0, Ink(b, 0, 16));
    EXPECT_GT(Ink(b, 16, 20), 0);
}

TEST_F(GlyphTexture, GivenSizeReplacesTheCellAndZeroBecomesOne)
{
    const RECT zero{0, 0, 0, 0};
    const int id = Make(L'a', 16, false, &zero);
    Manager().TakePixelCopy(id);
    const IMTextureRecord& record = *Manager().GetTextureRecord(id);
    EXPECT_EQ(1, record.imageRect.right);
    EXPECT_EQ(1, record.imageRect.bottom);

    const RECT wide{0, 0, 40, 30};
    const wchar_t c = L'b';
    const int other = Manager().CreateGlyphTexture(L"wide b", &c, &wide, kBlack, 16, L"Arial",
                                                   false, false, false, kWhite);
    EXPECT_EQ(40, Manager().GetTextureRecord(other)->imageRect.right);
    EXPECT_EQ(30, Manager().GetTextureRecord(other)->imageRect.bottom);
}

TEST_F(GlyphTexture, OutOfVideoMemoryDropsOtherTexturesOneAtATimeInIdentifierOrder)
{
    IMResourceManager& m = Manager();
    // The background is dropped first by hand, so the next records are the
    // small skins: 32 x 32 ("ExitButton"), then 128 x 64 ("PrintButton").
    m.DropDeviceTexture(0);
    platform::d3d9test::SetVideoMemoryBudget(platform::d3d9test::VideoMemoryInUse());
    const RECT size{0, 0, 64, 64}; // 16 KB
    const wchar_t c = L'x';
    const int id = m.CreateGlyphTexture(L"big x", &c, &size, kBlack, 16, L"Arial", false, false,
                                        false, kWhite);
    ASSERT_LT(id, m.SlotCount());
    EXPECT_NE(nullptr, m.GetTextureRecord(id)->texture);
    EXPECT_EQ(nullptr, m.GetTextureRecord(1)->texture);
    EXPECT_EQ(nullptr, m.GetTextureRecord(2)->texture);
    EXPECT_NE(nullptr, m.GetTextureRecord(3)->texture);
    // The dropped records keep their copies and names.
    EXPECT_FALSE(m.GetTextureRecord(1)->pixels.empty());
    EXPECT_EQ(L"ExitButton", m.GetTextureRecord(1)->name);
}

TEST_F(GlyphTexture, NothingLeftToDropMakesNoTexture)
{
    IMResourceManager& m = Manager();
    for (int id = 0; id < m.SlotCount(); ++id)
        m.DropDeviceTexture(id);
    platform::d3d9test::SetVideoMemoryBudget(platform::d3d9test::VideoMemoryInUse());
    const int slots = m.SlotCount();
    EXPECT_EQ(slots, Make(L'q', 16));
    EXPECT_FALSE(IsRegistered(KeyOf(L'q', 16)));
}

// The underscore's outline reaches left of its bitmap: it is cut at the
// edge (the sanitizer build catches cells made of negative coordinates).
TEST_F(GlyphTexture, AnOutlineLeftOfTheBitmapIsCutAtItsEdge)
{
    const int id = Make(L'_', 14);
    ASSERT_LT(id, Manager().SlotCount());
    Manager().TakePixelCopy(id);
    const IMTextureRecord* record = Manager().GetTextureRecord(id);
    ASSERT_NE(nullptr, record);
    EXPECT_GT(Ink(*record, 0, record->imageRect.bottom), 0);
}
