#include "framework/workbook/text.h"

#include <gtest/gtest.h>

using namespace workbook;

TEST(WorkbookText, NarrowingGivesCodePage1251WithApostrophesForDoubleQuotes)
{
    EXPECT_EQ(Narrow(L"«Кварлоп» №1 Ёё \"x\""),
              std::string("\xAB\xCA\xE2\xE0\xF0\xEB\xEE\xEF\xBB \xB9"
                          "1 \xA8\xB8 'x'"));
    const std::wstring text = L"Я\"x";
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(NarrowString(text.data(), text.data() + 3, buffer), buffer + 3);
    EXPECT_EQ(std::string(buffer, 4), "\xDF'x#");
}

TEST(WorkbookText, CharacterOutsideTheCodePageNarrowsToOneQuestionMark)
{
    EXPECT_EQ(NarrowChar(L'\x00E9'), '?');
    EXPECT_EQ(Narrow(L"A\x4E2D\x1F600Z"), "A??Z");
}

TEST(WorkbookText, EveryByteWidensToACharacterThatNarrowsBack)
{
    for (int b = 0; b < 256; ++b) {
        if (b == '"')
            continue; // becomes the apostrophe
        EXPECT_EQ(NarrowChar(WidenChar(char(b))), char(b)) << b;
    }
    EXPECT_EQ(Widen(Narrow(L"07342 Тренажер «Кварлоп».xls")), L"07342 Тренажер «Кварлоп».xls");
}

TEST(WorkbookText, XmlTextRoundTripsAndHoldsNoCharacterXmlForbids)
{
    const std::string bytes = Narrow(L"Общее время. с.");
    EXPECT_EQ(ToXml(bytes), u"Общее время. с.");
    EXPECT_EQ(FromXml(ToXml(bytes).c_str()), bytes);
    EXPECT_EQ(ToXml(std::string("a\x01\tb\n\r\x1F\0", 8)), u"a?\tb\n\r??");
    EXPECT_EQ(FromXml(u"Ж\u00E9\U0001F600"), "\xC6??");
    EXPECT_EQ(XmlToWide(u"\U0001F600"), std::wstring(1, wchar_t(0x1F600)));
}
