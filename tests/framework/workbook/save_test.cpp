// Saving: to the own file or another, atomically, and never at the cost of
// the rows in memory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/codepage.h"
#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookSave : public WorkbookTest {};

TEST_F(WorkbookSave, EmptyPathAfterSaveAsWritesTheOwnFile)
{
    IMWorkbook book(WidePath("own.xls"), L"П");
    book.AddRow(L"a", L"1", L"Number");
    ASSERT_TRUE(book.Save(WidePath("copy.xls")));
    EXPECT_FALSE(Exists(DiskPath("own.xls")));
    book.AddRow(L"b", L"2", L"Number");
    ASSERT_TRUE(book.Save(L""));
    EXPECT_EQ(book.GetFileName(), WidePath("own.xls"));
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("own.xls"), L"П")).size(), 2u);
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("copy.xls"), L"П")).size(), 1u);
}

TEST_F(WorkbookSave, PathsKeepEveryCharacterOnTheWayToDisk)
{
    IMWorkbook book(WidePath("Итоги \"5А\" José.xls"), L"П");
    EXPECT_EQ(book.GetFileName(), WidePath("Итоги \"5А\" José.xls"));
    ASSERT_TRUE(book.Save());
    ASSERT_TRUE(book.Save(WidePath(u8"日本.xls")));
    EXPECT_TRUE(Exists(DiskPath(u8"Итоги \"5А\" José.xls")));
    EXPECT_TRUE(Exists(DiskPath(u8"日本.xls")));
    EXPECT_EQ(Listing(dir_).size(), 2u);
}

TEST_F(WorkbookSave, FailedSaveIsReportedLeavesNoTraceAndKeepsEveryRow)
{
    WriteBytes(DiskPath("plain.txt"), "keep");
    ASSERT_EQ(mkdir(DiskPath("folder.xls").c_str(), 0755), 0);
    IMWorkbook book(WidePath("missing/folder/w.xls"), L"П");
    book.AddRow(L"Промахи", L"2", L"Number");
    book.AddEmptyRow();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(book.Save());
    EXPECT_FALSE(book.Save(WidePath("plain.txt/w.xls"))); // a file on the way
    EXPECT_FALSE(book.Save(WidePath("folder.xls")));      // a folder at the name
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("missing/folder"), std::string::npos) << report;
    EXPECT_EQ(ReadBytes(DiskPath("plain.txt")), "keep");
    EXPECT_EQ(Listing(dir_).size(), 2u); // no temporary file left behind

    book.AddRow(L"Время", L"40", L"Number");
    ASSERT_TRUE(book.Save(WidePath("rescued.xls")));
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("rescued.xls"), L"П")).size(), 3u);
}

TEST_F(WorkbookSave, InterruptedSaveLeavesThePreviousFileWhole)
{
    IMWorkbook book(WidePath("w.xls"), L"П");
    book.AddRow(L"первый", L"1", L"Number");
    ASSERT_TRUE(book.Save());
    const std::string before = ReadBytes(DiskPath("w.xls"));

    book.AddRow(L"второй", L"2", L"Number");
    std::string seenTemp;
    book.SetBeforeReplace([&](const std::string& temp) {
        seenTemp = temp;
        // The new document is complete beside the old one, which is as it was.
        EXPECT_NE(ReadBytes(temp).find(platform::WideToUtf8(L"второй")), std::string::npos);
        EXPECT_EQ(ReadBytes(DiskPath("w.xls")), before);
        return false;
    });
    testing::internal::CaptureStderr();
    EXPECT_FALSE(book.Save());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(seenTemp.rfind(dir_ + "/", 0), 0u); // in the same folder
    EXPECT_EQ(ReadBytes(DiskPath("w.xls")), before);
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"w.xls"});

    book.SetBeforeReplace(nullptr);
    ASSERT_TRUE(book.Save());
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("w.xls"), L"П")).size(), 2u);
}

TEST_F(WorkbookSave, ReplacedFileKeepsItsPermissionsAndALinkStaysALink)
{
    {
        IMWorkbook real(WidePath("real.xls"), L"П");
        ASSERT_TRUE(real.Save());
    }
    ASSERT_EQ(chmod(DiskPath("real.xls").c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.xls", DiskPath("link.xls").c_str()), 0);
    IMWorkbook book(WidePath("link.xls"), L"П");
    book.AddRow(L"a", L"1", L"Number");
    ASSERT_TRUE(book.Save());
    struct stat st;
    ASSERT_EQ(lstat(DiskPath("link.xls").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(DiskPath("real.xls").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("real.xls"), L"П")).size(), 1u);
}

TEST_F(WorkbookSave, OwnFileReplacedByAnotherKindOfFileIsLeftAlone)
{
    IMWorkbook book(WidePath("w.xls"), L"П");
    book.AddRow(L"a", L"1", L"Number");
    ASSERT_TRUE(book.Save());
    WriteBytes(DiskPath("w.xls"), "a letter, not results");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(book.Save());
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadBytes(DiskPath("w.xls")), "a letter, not results");
    EXPECT_EQ(book.GetFileName(), WidePath("w (новый).xls"));
    EXPECT_NE(report.find(u8"w (новый).xls"), std::string::npos) << report;
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("w (новый).xls"), L"П")).size(), 1u);
}
