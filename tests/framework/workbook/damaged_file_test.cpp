// A file at the workbook's path that is not a workbook is never used and
// never overwritten: the results go to a new file beside it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookDamagedFile : public WorkbookTest {
protected:
    // Opens a workbook at name, adds a row and saves; returns the file it chose.
    std::wstring RunOnce(const std::string& name, std::string* report = nullptr)
    {
        testing::internal::CaptureStderr();
        std::wstring chosen;
        {
            IMWorkbook book(WidePath(name), L"Петя");
            book.AddRow(L"Промахи", L"1", L"Number");
            EXPECT_TRUE(book.Save());
            chosen = book.GetFileName();
        }
        std::string text = testing::internal::GetCapturedStderr();
        if (report)
            *report = text;
        return chosen;
    }
};

TEST_F(WorkbookDamagedFile, TextFileIsLeftAsItIsAndTheResultsGoBesideIt)
{
    WriteBytes(DiskPath("Итоги.xls"), "not a spreadsheet at all");
    std::string report;
    EXPECT_EQ(RunOnce("Итоги.xls", &report), WidePath("Итоги (новый).xls"));
    EXPECT_EQ(ReadBytes(DiskPath("Итоги.xls")), "not a spreadsheet at all");
    EXPECT_NE(report.find(u8"Итоги (новый).xls"), std::string::npos) << report;
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("Итоги (новый).xls"), L"Петя")).size(), 1u);
}

TEST_F(WorkbookDamagedFile, EveryKindOfNonWorkbookIsLeftUntouched)
{
    // Nested far deeper than any workbook: the writer would overflow the stack.
    std::string deep = "<Workbook><Worksheet ss:Name=\"Петя\">";
    for (int i = 0; i < 75000; ++i)
        deep += "<a>";
    for (int i = 0; i < 75000; ++i)
        deep += "</a>";
    deep += "</Worksheet></Workbook>";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"deep.xls", deep},
        // Rows after the last row a spreadsheet program reads would make the
        // whole file unreadable to it.
        {"far.xls", "<Workbook><Worksheet ss:Name=\"Петя\"><Table><Row ss:Index=\"999999999\">"
                    "<Cell><Data ss:Type=\"Number\">1</Data></Cell></Row></Table></Worksheet>"
                    "</Workbook>"},
        {"empty.xls", ""},
        {"html.xls", "<html><body>report</body></html>"},
        {"truncated.xls", "<?xml version=\"1.0\"?><Workbook><Worksheet ss:Name=\"A\"><Table><Row>"},
        {"binary.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\x3E\0", 12)},
        {"prefixed.xls", "<ss:Workbook xmlns:ss=\"urn:x\"/>"},
        {"results", "no extension"},
    };
    for (const auto& [name, bytes] : files) {
        WriteBytes(DiskPath(name), bytes);
        EXPECT_NE(RunOnce(name), WidePath(name)) << name;
        EXPECT_EQ(ReadBytes(DiskPath(name)), bytes) << name;
    }
    EXPECT_EQ(Listing(dir_).size(), 2 * files.size());
    EXPECT_TRUE(Exists(DiskPath(u8"results (новый)")));
}

TEST_F(WorkbookDamagedFile, FolderAtThePathIsLeftAlone)
{
    ASSERT_EQ(mkdir(DiskPath("w.xls").c_str(), 0755), 0);
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый).xls"));
    struct stat st;
    ASSERT_EQ(stat(DiskPath("w.xls").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(WorkbookDamagedFile, NextNamesAreTriedAndLaterRunsExtendTheFileChosen)
{
    WriteBytes(DiskPath("w.xls"), "junk");
    WriteBytes(DiskPath("w (новый).xls"), "more junk");
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый 2).xls"));
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый 2).xls"));
    EXPECT_EQ(ReadBytes(DiskPath("w (новый).xls")), "more junk");
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("w (новый 2).xls"), L"Петя")).size(), 2u);
    EXPECT_EQ(Listing(dir_).size(), 3u);
}
