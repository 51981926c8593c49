// A workbook file serves many pupils: one worksheet per name, rows appended
// to a pupil's sheet across saves and reopenings.
#include <gtest/gtest.h>

#include "framework/workbook/template.h"
#include "platform/codepage.h"
#include "workbook_fixture.h"

using namespace workbook_test;

namespace {

const std::string kRun = "\t\t\t\t\t\t\t ";

// The template's text from the end of the root's start tag to before the
// root's end tag: the part of the document a written file keeps verbatim.
std::string TemplateInside()
{
    std::string t(workbook::kTemplate, workbook::kTemplateLength);
    size_t start = t.find('>', t.find("<Workbook")) + 1;
    size_t end = t.rfind("</Workbook>");
    return t.substr(start, end - start);
}

} // namespace

class WorkbookSheets : public WorkbookTest {};

TEST_F(WorkbookSheets, NewFileIsTheTemplatePlusOneWorksheet)
{
    {
        IMWorkbook book(WidePath("new.xls"), L"Маша");
        EXPECT_FALSE(Exists(DiskPath("new.xls")));  // nothing on disk before Save
        ASSERT_TRUE(book.Save());
    }
    const std::string file = ReadBytes(DiskPath("new.xls"));
    const std::string prolog =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>"
        "<?mso-application progid=\"Excel.Sheet\"?><Workbook ";
    ASSERT_EQ(file.rfind(prolog, 0), 0u) << file.substr(0, 200);
    const size_t rootEnd = file.find('>', prolog.size()) + 1;
    // The five namespace declarations, one space apart.
    const std::string rootAttrs = file.substr(prolog.size(), rootEnd - 1 - prolog.size());
    for (const char* decl : {"xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"",
                             "xmlns:o=\"urn:schemas-microsoft-com:office:office\"",
                             "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"",
                             "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"",
                             "xmlns:html=\"http://www.w3.org/TR/REC-html40\""})
        EXPECT_NE(rootAttrs.find(decl), std::string::npos) << decl;
    EXPECT_EQ(rootAttrs.find('\t'), std::string::npos);
    EXPECT_EQ(file.substr(rootEnd),
              TemplateInside() +
                  "<Worksheet ss:Name=\"" + platform::WideToUtf8(L"Маша") + "\"><Table>"
                  "<Column ss:AutoFitWidth=\"0\" ss:Width=\"240\"/>"
                  "<Column ss:AutoFitWidth=\"0\" ss:Width=\"96\"/>"
                  "</Table></Worksheet></Workbook>");
}

TEST_F(WorkbookSheets, SavedSheetIsFoundAgainByName)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Петя");
        book.AddRow(L"Пропущено", L"3", L"Number");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook again(WidePath("w.xls"), L"Петя");
    EXPECT_EQ(SheetNames(again), std::vector<std::wstring>{L"Петя"});
    EXPECT_EQ(RowsOf(again), (std::vector<Row>{{{L"String", L"Пропущено"}, {L"Number", L"3"}}}));
}

TEST_F(WorkbookSheets, SecondPupilGetsASecondWorksheet)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Петя");
        book.AddRow(L"a", L"1", L"Number");
        ASSERT_TRUE(book.Save());
    }
    {
        IMWorkbook book(WidePath("w.xls"), L"Вася");
        EXPECT_TRUE(RowsOf(book).empty());
        book.AddRow(L"b", L"2", L"Number");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Петя");
    EXPECT_EQ(SheetNames(book), (std::vector<std::wstring>{L"Петя", L"Вася"}));
    EXPECT_EQ(RowsOf(book).size(), 1u);
}

TEST_F(WorkbookSheets, SamePupilAppendsAfterTheOldRows)
{
    for (int run = 0; run < 3; ++run) {
        IMWorkbook book(WidePath("w.xls"), L"Петя");
        book.AddRow(L"Забег", std::to_wstring(run), L"Number");
        book.AddEmptyRow();
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Петя");
    EXPECT_EQ(SheetNames(book).size(), 1u);
    const std::vector<Row> expected = {
        {{L"String", L"Забег"}, {L"Number", L"0"}}, {},
        {{L"String", L"Забег"}, {L"Number", L"1"}}, {},
        {{L"String", L"Забег"}, {L"Number", L"2"}}, {},
    };
    EXPECT_EQ(RowsOf(book), expected);
}

TEST_F(WorkbookSheets, NamesMatchExactlyAndCaseSensitively)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Петя");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"петя");
    EXPECT_EQ(SheetNames(book), (std::vector<std::wstring>{L"Петя", L"петя"}));
}

TEST_F(WorkbookSheets, FirstOfTwoSheetsWithTheSameNameIsUsed)
{
    WriteBytes(DiskPath("w.xls"),
               "<Workbook><Worksheet ss:Name=\"A\"><Table><Row/></Table></Worksheet>"
               "<Worksheet ss:Name=\"A\"><Table/></Worksheet></Workbook>");
    IMWorkbook book(WidePath("w.xls"), L"A");
    EXPECT_EQ(RowsOf(book).size(), 1u);
}

TEST_F(WorkbookSheets, FileNameIsUtf8OnDiskAndCyrillicTextsComeBackIntact)
{
    const std::string name = u8"07342 Тренажер «Кварлоп».xls";
    const std::wstring label = L"Время начала работы с упражнением";
    const std::wstring value = L"07-March-2011 09:05 — «Ёлка» №5";
    {
        IMWorkbook book(WidePath(name), L"Ёжикова Мария");
        book.AddRow(label, value, L"String");
        ASSERT_TRUE(book.Save());
    }
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{name});
    const std::string file = ReadBytes(DiskPath(name));
    EXPECT_NE(file.find(platform::WideToUtf8(label)), std::string::npos);
    EXPECT_NE(file.find(platform::WideToUtf8(value)), std::string::npos);
    EXPECT_NE(file.find(u8"ss:Name=\"Ёжикова Мария\""), std::string::npos);

    IMWorkbook book(WidePath(name), L"Ёжикова Мария");
    EXPECT_EQ(book.GetFileName(), WidePath(name));
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", label}, {L"String", value}}}));
}
