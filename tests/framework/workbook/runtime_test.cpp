// The XML library lives as long as any workbook does, however they overlap.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookLifetime : public WorkbookTest {};

TEST_F(WorkbookLifetime, OverlappingAndSuccessiveWorkbooksShareTheLibrary)
{
    auto first = std::make_unique<IMWorkbook>(WidePath("a.xls"), L"А");
    auto second = std::make_unique<IMWorkbook>(WidePath("b.xls"), L"Б");
    EXPECT_EQ(workbook::XercesRuntime::Users(), 2);
    first.reset();
    second->AddRow(L"после", L"1", L"Number");
    EXPECT_TRUE(second->Save());
    second.reset();
    EXPECT_EQ(workbook::XercesRuntime::Users(), 0);

    for (int i = 0; i < 20; ++i) {
        IMWorkbook book(WidePath("b.xls"), L"Б");
        book.AddRow(L"run", std::to_wstring(i), L"Number");
        ASSERT_TRUE(book.Save());
    }
    EXPECT_EQ(RowsOf(IMWorkbook(WidePath("b.xls"), L"Б")).size(), 21u);
    EXPECT_EQ(workbook::XercesRuntime::Users(), 0);
}

// The XML library's URL fetcher is the program's own: a workbook in use does
// not load libcurl, which brings the TLS and network libraries behind it
// (megabytes of the trainer's memory for a fetch the workbook never makes).
TEST_F(WorkbookLifetime, TheLibraryRunsWithoutTheSystemsUrlFetcher)
{
    IMWorkbook book(WidePath("a.xls"), L"А");
    book.AddRow(L"run", L"1", L"Number");
    ASSERT_TRUE(book.Save());
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const bool fetcher = line.find("libcurl") != std::string::npos;
        EXPECT_FALSE(fetcher && line.find(" /usr/") != std::string::npos) << line;
    }
}
