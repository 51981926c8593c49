// One workbook file shared by two programs: saves are serialised, rows saved
// by the other are kept, and temporaries of killed saves do not pile up.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookSharedFile : public WorkbookTest {};

namespace {

Row Cells(const wchar_t* label, const wchar_t* value)
{
    return {{L"String", label}, {L"Number", value}};
}

} // namespace

TEST_F(WorkbookSharedFile, TwoProgramsSavingInTurnKeepEachOthersRows)
{
    IMWorkbook first(WidePath("w.xls"), L"Петя");
    IMWorkbook second(WidePath("w.xls"), L"Петя");
    first.AddRow(L"a", L"1", L"Number");
    first.AddEmptyRow();
    ASSERT_TRUE(first.Save());
    second.AddRow(L"b", L"2", L"Number");
    second.SelectSheet(L"Вася");
    second.AddRow(L"c", L"3", L"Number");
    ASSERT_TRUE(second.Save());
    first.AddRow(L"d", L"4", L"Number");
    ASSERT_TRUE(first.Save());
    ASSERT_TRUE(first.Save()); // nothing new: nothing added twice

    IMWorkbook check(WidePath("w.xls"), L"Петя");
    EXPECT_EQ(SheetNames(check), (std::vector<std::wstring>{L"Петя", L"Вася"}));
    EXPECT_EQ(RowsOf(check),
              (std::vector<Row>{Cells(L"a", L"1"), {}, Cells(L"b", L"2"), Cells(L"d", L"4")}));
    check.SelectSheet(L"Вася");
    EXPECT_EQ(RowsOf(check), (std::vector<Row>{Cells(L"c", L"3")}));
}

TEST_F(WorkbookSharedFile, EachProgramsRunStaysTogetherWhenBothRecordThePupil)
{
    IMWorkbook a(WidePath("w.xls"), L"Петя");
    IMWorkbook b(WidePath("w.xls"), L"Петя");
    a.AddRow(L"начало", L"1", L"String");
    a.AddRow(L"промахи", L"3", L"Number");
    ASSERT_TRUE(a.Save());
    b.AddRow(L"начало", L"2", L"String");
    b.AddRow(L"промахи", L"3", L"Number");
    ASSERT_TRUE(b.Save());
    a.AddRow(L"время", L"40", L"Number");
    a.AddEmptyRow();
    a.AddRow(L"начало", L"3", L"String"); // a's next run: after everyone's
    ASSERT_TRUE(a.Save());
    b.AddRow(L"время", L"50", L"Number");
    b.AddEmptyRow();
    ASSERT_TRUE(b.Save());

    IMWorkbook check(WidePath("w.xls"), L"Петя");
    const Row startA = {{L"String", L"начало"}, {L"String", L"1"}};
    const Row startB = {{L"String", L"начало"}, {L"String", L"2"}};
    const Row next = {{L"String", L"начало"}, {L"String", L"3"}};
    const Row misses = Cells(L"промахи", L"3");
    const std::vector<Row> runA = {startA, misses, Cells(L"время", L"40"), {}};
    const std::vector<Row> runB = {startB, misses, Cells(L"время", L"50"), {}};
    std::vector<Row> expected = runA;
    expected.insert(expected.end(), runB.begin(), runB.end());
    expected.push_back(next);
    EXPECT_EQ(RowsOf(check), expected);
}

TEST_F(WorkbookSharedFile, ASaveWaitsWhileAnotherProgramIsSaving)
{
    IMWorkbook book(WidePath("w.xls"), L"Петя");
    book.AddRow(L"a", L"1", L"Number");
    const int folder = open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(folder, LOCK_EX), 0);
    bool saved = false;
    std::thread saving([&] { saved = book.Save(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // However slow the machine, a save held at the lock has written nothing.
    EXPECT_FALSE(Exists(DiskPath("w.xls")));
    close(folder);
    saving.join();
    EXPECT_TRUE(saved);
    EXPECT_TRUE(Exists(DiskPath("w.xls")));
}

TEST_F(WorkbookSharedFile, TemporariesOfKilledSavesAreRemoved)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = ".w.xls." + std::to_string(child) + "-3.tmp";
    const std::string alive = ".w.xls." + std::to_string(getppid()) + "-0.tmp";
    for (const std::string& name :
         {dead, alive, std::string(".v.xls.") + std::to_string(child) + "-1.tmp"})
        WriteBytes(DiskPath(name), "half a workbook");

    IMWorkbook book(WidePath("w.xls"), L"Петя");
    ASSERT_TRUE(book.Save());
    EXPECT_FALSE(Exists(DiskPath(dead)));
    EXPECT_TRUE(Exists(DiskPath(alive))); // that save may still be going on
    EXPECT_EQ(Listing(dir_).size(), 3u);
}
