// Workbooks written by spreadsheet programs: their prefixes are read by
// namespace, the pupil's rows join the sheet already there, and the row and
// column counts such files carry stay true.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookForeignFile : public WorkbookTest {};

namespace {

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

// Made by LibreOffice ("soffice --headless --convert-to 'xml:MS Excel 2003
// XML'", tools/libreoffice_fixture.sh) from a workbook this program wrote:
// two pupils, "<ss:Worksheet>".
TEST_F(WorkbookForeignFile, SavedByLibreOfficeThePupilKeepsOneSheet)
{
    WriteBytes(DiskPath("w.xls"),
               ReadBytes(KVARLOP_TESTS_DIR "/framework/workbook/files/saved_by_libreoffice.xls"));
    {
        IMWorkbook book(WidePath("w.xls"), L"Петров");
        EXPECT_EQ(book.GetFileName(), WidePath("w.xls"));
        EXPECT_EQ(RowsOf(book).size(), 3u);
        book.AddRow(L"Количество промахов", L"4", L"Number");
        book.SelectSheet(L"Иванов");
        book.AddRow(L"Количество промахов", L"1", L"Number");
        ASSERT_TRUE(book.Save());
    }
    const std::string file = ReadBytes(DiskPath("w.xls"));
    EXPECT_EQ(Count(file, u8"ss:Name=\"Петров\""), 1u);
    EXPECT_EQ(Count(file, u8"ss:Name=\"Иванов\""), 1u);
    IMWorkbook again(WidePath("w.xls"), L"Петров");
    const std::vector<Row> rows = RowsOf(again);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3], (Row{{L"String", L"Количество промахов"}, {L"Number", L"4"}}));
    EXPECT_EQ(Count(ReadBytes(DiskPath("w.xls")), u8"ss:Name=\"Сидоров\""), 1u);
}

TEST_F(WorkbookForeignFile, PrefixedRootIsReadAndTheTableCountsStayTrue)
{
    WriteBytes(DiskPath("w.xls"),
               u8"<?xml version=\"1.0\"?><ss:Workbook "
               u8"xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
               u8"<ss:Worksheet ss:Name=\"Петя\"><ss:Table ss:ExpandedColumnCount=\"1\" "
               u8"ss:ExpandedRowCount=\"3\"><ss:Column ss:Width=\"50\"/>"
               u8"<ss:Row><ss:Cell><ss:Data "
               u8"ss:Type=\"String\">a</ss:Data></ss:Cell></ss:Row><ss:Row ss:Index=\"3\"/>"
               u8"</ss:Table></ss:Worksheet></ss:Workbook>");
    {
        IMWorkbook book(WidePath("w.xls"), L"Петя");
        EXPECT_EQ(book.GetFileName(), WidePath("w.xls"));
        book.AddRow(L"b", L"2", L"Number");
        book.AddEmptyRow();
        ASSERT_TRUE(book.Save());
    }
    const std::string file = ReadBytes(DiskPath("w.xls"));
    EXPECT_EQ(Count(file, u8"ss:Name=\"Петя\""), 1u);
    EXPECT_NE(file.find("ss:ExpandedRowCount=\"5\""), std::string::npos) << file;
    EXPECT_NE(file.find("ss:ExpandedColumnCount=\"2\""), std::string::npos) << file;
    // Indexed, so that a later sheet's widths are not shifted along.
    EXPECT_NE(file.find("<ss:Column ss:Index=\"1\" ss:Width=\"50\"/>"), std::string::npos) << file;
    EXPECT_NE(
        file.find("<ss:Row><ss:Cell><ss:Data ss:Type=\"String\">b</ss:Data></ss:Cell><ss:Cell>"
                  "<ss:Data ss:Type=\"Number\">2</ss:Data></ss:Cell></ss:Row><ss:Row/></ss:Table>"),
        std::string::npos)
        << file;
}
