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

    IMWorkbook own(WidePath("own.xls"), L"П");
    IMWorkbook copy(WidePath("copy.xls"), L"П");
    EXPECT_EQ(RowsOf(own).size(), 2u);
    EXPECT_EQ(RowsOf(copy).size(), 1u);
}

TEST_F(WorkbookSave, GetFileNameIsTheNarrowedPath)
{
    IMWorkbook book(WidePath("Итоги \"5А\".xls"), L"П");
    EXPECT_EQ(book.GetFileName(), WidePath("Итоги '5А'.xls"));
    ASSERT_TRUE(book.Save());
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{u8"Итоги '5А'.xls"});
}

TEST_F(WorkbookSave, SaveAsToANameOutsideTheCodePageWritesTheNarrowedName)
{
    IMWorkbook book(WidePath("own.xls"), L"П");
    EXPECT_TRUE(book.Save(WidePath(u8"日本.xls")));
    EXPECT_TRUE(Exists(DiskPath("??.xls")));
}

TEST_F(WorkbookSave, SaveAsReplacesAnExistingWorkbook)
{
    {
        IMWorkbook other(WidePath("other.xls"), L"Другой");
        ASSERT_TRUE(other.Save());
    }
    IMWorkbook book(WidePath("own.xls"), L"П");
    ASSERT_TRUE(book.Save(WidePath("other.xls")));
    IMWorkbook reread(WidePath("other.xls"), L"П");
    EXPECT_EQ(SheetNames(reread), std::vector<std::wstring>{L"П"});
}

TEST_F(WorkbookSave, FailedSaveIsReportedAndKeepsEveryRow)
{
    IMWorkbook book(WidePath("missing/folder/w.xls"), L"П");
    book.AddRow(L"Промахи", L"2", L"Number");
    book.AddEmptyRow();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(book.Save());
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("missing/folder"), std::string::npos) << report;
    EXPECT_TRUE(Listing(dir_).empty());

    book.AddRow(L"Время", L"40", L"Number");
    ASSERT_TRUE(book.Save(WidePath("rescued.xls")));
    IMWorkbook reread(WidePath("rescued.xls"), L"П");
    EXPECT_EQ(RowsOf(reread).size(), 3u);
}

TEST_F(WorkbookSave, TargetsThatCannotBeWrittenFailWithoutHarm)
{
    WriteBytes(DiskPath("plain.txt"), "keep");
    ASSERT_EQ(mkdir(DiskPath("folder.xls").c_str(), 0755), 0);
    IMWorkbook book(WidePath("own.xls"), L"П");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(book.Save(WidePath("plain.txt/w.xls")));  // a file on the way
    EXPECT_FALSE(book.Save(WidePath("folder.xls")));       // a folder at the name
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadBytes(DiskPath("plain.txt")), "keep");
    struct stat st;
    ASSERT_EQ(stat(DiskPath("folder.xls").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(Listing(dir_).size(), 2u);  // no temporary file left behind
}

TEST_F(WorkbookSave, FolderWithoutWritePermissionFails)
{
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    ASSERT_EQ(mkdir(DiskPath("locked").c_str(), 0555), 0);
    IMWorkbook book(WidePath("locked/w.xls"), L"П");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(book.Save());
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(book.Save(WidePath("w.xls")));
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
    EXPECT_EQ(seenTemp.rfind(dir_ + "/", 0), 0u);  // in the same folder
    EXPECT_EQ(ReadBytes(DiskPath("w.xls")), before);
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"w.xls"});

    book.SetBeforeReplace(nullptr);
    ASSERT_TRUE(book.Save());
    IMWorkbook reread(WidePath("w.xls"), L"П");
    EXPECT_EQ(RowsOf(reread).size(), 2u);
}

TEST_F(WorkbookSave, ReplacedFileKeepsItsPermissions)
{
    IMWorkbook book(WidePath("w.xls"), L"П");
    ASSERT_TRUE(book.Save());
    ASSERT_EQ(chmod(DiskPath("w.xls").c_str(), 0640), 0);
    ASSERT_TRUE(book.Save());
    struct stat st;
    ASSERT_EQ(stat(DiskPath("w.xls").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(WorkbookSave, NewFileIsReadableByOthersAsTheUmaskAllows)
{
    mode_t old = umask(022);
    IMWorkbook book(WidePath("w.xls"), L"П");
    bool saved = book.Save();
    umask(old);
    ASSERT_TRUE(saved);
    struct stat st;
    ASSERT_EQ(stat(DiskPath("w.xls").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(WorkbookSave, SavingThroughALinkUpdatesTheLinkedFile)
{
    {
        IMWorkbook real(WidePath("real.xls"), L"П");
        ASSERT_TRUE(real.Save());
    }
    ASSERT_EQ(symlink("real.xls", DiskPath("link.xls").c_str()), 0);
    IMWorkbook book(WidePath("link.xls"), L"П");
    book.AddRow(L"a", L"1", L"Number");
    ASSERT_TRUE(book.Save());
    struct stat st;
    ASSERT_EQ(lstat(DiskPath("link.xls").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    IMWorkbook reread(WidePath("real.xls"), L"П");
    EXPECT_EQ(RowsOf(reread).size(), 1u);
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
    IMWorkbook reread(WidePath("w (новый).xls"), L"П");
    EXPECT_EQ(RowsOf(reread).size(), 1u);
}
