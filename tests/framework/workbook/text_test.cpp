#include "framework/workbook/text.h"

#include <gtest/gtest.h>

using namespace workbook;

TEST(WorkbookNarrowing, DoubleQuoteBecomesApostrophe)
{
    EXPECT_EQ(NarrowChar(L'"'), '\'');
    EXPECT_EQ(Narrow(L"Саша \"Ас\""), Narrow(L"Саша 'Ас'"));
}

TEST(WorkbookNarrowing, CyrillicBecomesCodePage1251)
{
    EXPECT_EQ(Narrow(L"Тренажер «Кварлоп» №1 Ёё"),
              std::string("\xD2\xF0\xE5\xED\xE0\xE6\xE5\xF0 \xAB\xCA\xE2\xE0\xF0\xEB\xEE\xEF\xBB \xB9" "1 \xA8\xB8"));
}

TEST(WorkbookNarrowing, CharacterOutsideTheCodePageBecomesQuestionMark)
{
    EXPECT_EQ(NarrowChar(L'\x4E2D'), '?');
    EXPECT_EQ(NarrowChar(L'\x00E9'), '?');            // é is not in code page 1251
    EXPECT_EQ(Narrow(L"A\x1F600Z"), std::string("A?Z"));  // one byte per character
}

TEST(WorkbookNarrowing, NarrowStringWritesOneBytePerCharacterAndReturnsTheEnd)
{
    const std::wstring text = L"Я\"x";
    char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    char* end = NarrowString(text.data(), text.data() + text.size(), buffer);
    EXPECT_EQ(end, buffer + 3);
    EXPECT_EQ(std::string(buffer, 4), std::string("\xDF'x#"));
}

TEST(WorkbookWidening, EveryByteWidensToOneCharacterThatNarrowsBack)
{
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        wchar_t c = WidenChar(byte);
        if (byte == '"') continue;  // narrows to the apostrophe by design
        EXPECT_EQ(NarrowChar(c), byte) << "byte " << b;
    }
    EXPECT_EQ(WidenChar('\xC0'), L'А');
    EXPECT_EQ(Widen(Narrow(L"«Кварлоп».xls")), L"«Кварлоп».xls");
}

TEST(WorkbookXmlText, CodePageBytesBecomeUtf16AndComeBack)
{
    const std::string bytes = Narrow(L"Общее время работы с упражнением. с.");
    std::u16string xml = ToXml(bytes);
    EXPECT_EQ(xml, u"Общее время работы с упражнением. с.");
    EXPECT_EQ(FromXml(xml.c_str()), bytes);
    EXPECT_EQ(XmlToWide(xml.c_str()), L"Общее время работы с упражнением. с.");
}

TEST(WorkbookXmlText, ControlCharactersThatXmlForbidsBecomeQuestionMarks)
{
    EXPECT_EQ(ToXml(std::string("a\x01" "b\tc\nd\re\x1F", 10)), u"a?b\tc\nd\re?");
    EXPECT_EQ(ToXml(std::string("\0", 1)), u"?");
}

TEST(WorkbookXmlText, LibraryTextOutsideTheCodePageReadsAsQuestionMark)
{
    EXPECT_EQ(FromXml(u"Ж\u00E9\U0001F600"), std::string("\xC6??"));
    EXPECT_EQ(XmlToWide(u"\U0001F600"), std::wstring(1, wchar_t(0x1F600)));
    EXPECT_EQ(FromXml(nullptr), "");
}
