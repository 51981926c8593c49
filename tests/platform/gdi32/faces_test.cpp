// Which face a font name, weight and slant resolve to, and where characters
// the face lacks come from.
#include "font.h"
#include "raster.h"

#include "platform/gdi32/face_info.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <string>

namespace {

using gdi_test::ScreenFont;
using platform::gdi::FaceInfo;
using platform::gdi::InspectFace;

std::string FileOf(const wchar_t* face, int weight = FW_NORMAL, bool italic = false)
{
    FaceInfo info;
    EXPECT_TRUE(InspectFace(ScreenFont(face, 16, weight, italic).dc, 'a', &info));
    return info.path.substr(info.path.rfind('/') + 1);
}

bool FaceHas(const FaceInfo& face, UINT c)
{
    FT_Library library;
    FT_Face ft;
    bool has = false;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    if (FT_New_Face(library, face.path.c_str(), face.index, &ft) == 0) {
        has = FT_Get_Char_Index(ft, c) != 0;
        FT_Done_Face(ft);
    }
    FT_Done_FreeType(library);
    return has;
}

// Whether any installed outline face has the character (asked in a
// configuration of the test's own, so that nothing stays behind).
bool AnyFaceHas(UINT c)
{
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* charset = FcCharSetCreate();
    FcCharSetAddChar(charset, c);
    FcPatternAddCharSet(pattern, FC_CHARSET, charset);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    const bool any = set && set->nfont > 0;
    if (set)
        FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcCharSetDestroy(charset);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return any;
}

} // namespace

TEST(FaceResolution, ArialAndArialCyrAreLiberationSans)
{
    EXPECT_EQ(FileOf(L"Arial"), "LiberationSans-Regular.ttf");
    EXPECT_EQ(FileOf(L"arial", FW_DONTCARE), "LiberationSans-Regular.ttf");
    // Without our alias fontconfig would take the default sans-serif face.
    EXPECT_EQ(FileOf(L"Arial Cyr"), "LiberationSans-Regular.ttf");
    EXPECT_EQ(FileOf(L"Arial Cyr", FW_BOLD), "LiberationSans-Bold.ttf");
    EXPECT_EQ(FileOf(L"Times New Roman Cyr"), "LiberationSerif-Regular.ttf");
    EXPECT_EQ(FileOf(L"Courier New Cyr"), "LiberationMono-Regular.ttf");
}

TEST(FaceResolution, WeightAndSlantPickTheirFaces)
{
    EXPECT_EQ(FileOf(L"Arial", FW_BOLD), "LiberationSans-Bold.ttf");
    EXPECT_EQ(FileOf(L"Arial", FW_NORMAL, true), "LiberationSans-Italic.ttf");
    EXPECT_EQ(FileOf(L"Arial", FW_BOLD, true), "LiberationSans-BoldItalic.ttf");
}

TEST(FaceResolution, EmptyNameTakesTheFamilyOfThePitchAndFamilyBits)
{
    ScreenFont fixed(L"", 16, FW_NORMAL, false, 0, RUSSIAN_CHARSET, FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(fixed.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0); // clear: fixed pitch
    EXPECT_EQ(fixed.Advance('i'), fixed.Advance('W'));
    ScreenFont swiss(L"", 16, FW_NORMAL, false, 0, RUSSIAN_CHARSET, VARIABLE_PITCH | FF_SWISS);
    EXPECT_NE(swiss.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
}

TEST(FaceResolution, UnknownNameStillGivesACyrillicFace)
{
    ScreenFont font(L"No Such Face Anywhere", 16);
    EXPECT_EQ(font.Metrics().tmHeight, 16);
    FaceInfo info;
    ASSERT_TRUE(InspectFace(font.dc, L'ж', &info));
    EXPECT_TRUE(FaceHas(info, L'ж'));
}

TEST(GlyphFallback, MissingCharacterComesFromAFaceThatHasIt)
{
    ScreenFont font(L"Arial", 16);
    FaceInfo own;
    ASSERT_TRUE(InspectFace(font.dc, 'a', &own));
    int tried = 0;
    for (UINT c : {0x2603u, 0x4E2Du, 0x0E01u, 0x05D0u}) {
        if (FaceHas(own, c) || !AnyFaceHas(c))
            continue;
        ++tried;
        FaceInfo other;
        ASSERT_TRUE(InspectFace(font.dc, c, &other));
        EXPECT_NE(other.path, own.path) << std::hex << c;
        EXPECT_TRUE(FaceHas(other, c)) << std::hex << c;
        EXPECT_EQ(other.emHeight, own.emHeight); // scaled as the font's own face
        EXPECT_FALSE(gdi_test::NativeOutline(font.dc, c).empty()) << std::hex << c;
    }
    if (tried == 0)
        GTEST_SKIP() << "no installed face has any of the test characters";
}

TEST(GlyphFallback, CharacterNoFaceHasIsTheNotdefBox)
{
    ScreenFont font(L"Arial", 16);
    FaceInfo own, missing, control;
    ASSERT_TRUE(InspectFace(font.dc, 'a', &own));
    ASSERT_FALSE(AnyFaceHas(0x10FFFD));
    ASSERT_TRUE(InspectFace(font.dc, 0x10FFFD, &missing));
    ASSERT_TRUE(InspectFace(font.dc, 0x01, &control)); // never looked for elsewhere
    EXPECT_EQ(missing.path, own.path);
    EXPECT_EQ(control.path, own.path);
    const std::vector<uint8_t> box = gdi_test::NativeOutline(font.dc, 0x10FFFD);
    EXPECT_FALSE(box.empty());
    EXPECT_EQ(gdi_test::NativeOutline(font.dc, 0x01), box);
}
