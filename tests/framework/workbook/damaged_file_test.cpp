// A file at the workbook's path that is not a workbook is never used and
// never overwritten: the results go to a new file beside it.
#include <gtest/gtest.h>

#include <algorithm>

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
        if (report) *report = text;
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
    IMWorkbook reread(WidePath("Итоги (новый).xls"), L"Петя");
    EXPECT_EQ(RowsOf(reread).size(), 1u);
}

TEST_F(WorkbookDamagedFile, EveryKindOfNonWorkbookIsLeftUntouched)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.xls", ""},
        {"html.xls", "<html><body>report</body></html>"},
        {"truncated.xls", "<?xml version=\"1.0\"?><Workbook><Worksheet ss:Name=\"A\"><Table><Row>"},
        {"binary.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\x3E\0", 12)},
        {"prefixed.xls", "<ss:Workbook xmlns:ss=\"urn:x\"/>"},
    };
    for (const auto& [name, bytes] : files) {
        WriteBytes(DiskPath(name), bytes);
        std::wstring chosen = RunOnce(name);
        EXPECT_NE(chosen, WidePath(name)) << name;
        EXPECT_EQ(ReadBytes(DiskPath(name)), bytes) << name;
    }
    EXPECT_EQ(Listing(dir_).size(), 2 * files.size());
}

TEST_F(WorkbookDamagedFile, FolderAtThePathIsLeftAlone)
{
    ASSERT_EQ(mkdir(DiskPath("w.xls").c_str(), 0755), 0);
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый).xls"));
    struct stat st;
    ASSERT_EQ(stat(DiskPath("w.xls").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST_F(WorkbookDamagedFile, NextFreeNameIsChosenWhenTheFirstIsTakenByAnotherNonWorkbook)
{
    WriteBytes(DiskPath("w.xls"), "junk");
    WriteBytes(DiskPath("w (новый).xls"), "more junk");
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый 2).xls"));
    EXPECT_EQ(ReadBytes(DiskPath("w (новый).xls")), "more junk");
}

TEST_F(WorkbookDamagedFile, LaterRunsExtendTheWorkbookBesideTheDamagedFile)
{
    WriteBytes(DiskPath("w.xls"), "junk");
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый).xls"));
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый).xls"));
    IMWorkbook reread(WidePath("w (новый).xls"), L"Петя");
    EXPECT_EQ(RowsOf(reread).size(), 2u);
    EXPECT_EQ(Listing(dir_).size(), 2u);
}

TEST_F(WorkbookDamagedFile, NameWithoutExtensionGetsTheMarkAtTheEnd)
{
    WriteBytes(DiskPath("results"), "junk");
    EXPECT_EQ(RunOnce("results"), WidePath("results (новый)"));
    ASSERT_EQ(mkdir(DiskPath("v.1").c_str(), 0755), 0);
    WriteBytes(DiskPath("v.1/data"), "junk");
    EXPECT_EQ(RunOnce("v.1/data"), WidePath("v.1/data (новый)"));
}

TEST_F(WorkbookDamagedFile, UnreadableFileIsNotReplaced)
{
    WriteBytes(DiskPath("w.xls"), "<Workbook/>");
    ASSERT_EQ(chmod(DiskPath("w.xls").c_str(), 0), 0);
    if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
    EXPECT_EQ(RunOnce("w.xls"), WidePath("w (новый).xls"));
    ASSERT_EQ(chmod(DiskPath("w.xls").c_str(), 0644), 0);
    EXPECT_EQ(ReadBytes(DiskPath("w.xls")), "<Workbook/>");
}
