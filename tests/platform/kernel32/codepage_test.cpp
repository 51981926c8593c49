#include "platform/codepage.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(CodePage1251, EveryByteRoundTrips)
{
    for (int b = 0; b < 256; ++b) {
        wchar_t w = Cp1251ToWide(static_cast<unsigned char>(b));
        char back = 0;
        ASSERT_TRUE(WideToCp1251(w, '?', &back)) << "byte " << b;
        EXPECT_EQ(static_cast<unsigned char>(back), b) << "byte " << b;
    }
}

TEST(CodePage1251, CyrillicAlphabetAndSpecials)
{
    EXPECT_EQ(Cp1251ToWide(0xC0), L'\x0410'); // А
    EXPECT_EQ(Cp1251ToWide(0xFF), L'\x044F'); // я
    EXPECT_EQ(Cp1251ToWide(0xA8), L'\x0401'); // Ё
    EXPECT_EQ(Cp1251ToWide(0xB8), L'\x0451'); // ё
    EXPECT_EQ(Cp1251ToWide(0xAB), L'\x00AB'); // «
    EXPECT_EQ(Cp1251ToWide(0xBB), L'\x00BB'); // »
    EXPECT_EQ(Cp1251ToWide(0xB9), L'\x2116'); // №
    EXPECT_EQ(Cp1251ToWide(0x88), L'\x20AC'); // €
}

TEST(CodePage1251, UnrepresentableBecomesFallback)
{
    char out = 0;
    EXPECT_FALSE(WideToCp1251(L'\x4E2D', '?', &out));
    EXPECT_EQ(out, '?');
    EXPECT_EQ(WideToCp1251String(L"Ж\x00E9x"), std::string("\xC6?x"));
}

TEST(CodePage1251, PathsBecomeUtf8)
{
    std::string cp = WideToCp1251String(L"07342 Тренажер «Кварлоп».xls");
    EXPECT_EQ(Cp1251PathToUtf8(cp), std::string(u8"07342 Тренажер «Кварлоп».xls"));
}

TEST(Utf8, RoundTripAndInvalidInput)
{
    std::wstring text = L"Ученик: Ёжик «ok» \x20AC";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\xFFFD"
              L"b");
    EXPECT_EQ(Utf8ToWide("a\xD0"), L"a\xFFFD");
}

TEST(Utf8, PathsCarryBytesThatAreNotUtf8BothWays)
{
    // Latin-1, a cut sequence, an overlong slash, an encoded surrogate and a
    // byte beyond Unicode, among valid text.
    const std::string bytes =
        "/tmp/Jos\xe9/\xd0/\xc0\xaf/\xed\xa0\x80/\xf5" + std::string(u8"/Пётр");
    const std::wstring wide = PathToWide(bytes);
    EXPECT_EQ(bytes, WidePathToUtf8(wide));
    EXPECT_EQ(L"/tmp/Jos\xDCE9/", wide.substr(0, 10));
    EXPECT_EQ(L"/tmp/Jos\xFFFD/", PathForDisplay(wide).substr(0, 10));
    // Valid UTF-8 reads as it always did.
    EXPECT_EQ(Utf8ToWide(u8"/Пётр/日本"), PathToWide(u8"/Пётр/日本"));
}
