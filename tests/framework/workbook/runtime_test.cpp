// The XML library lives as long as any workbook does, however they overlap.
#include <gtest/gtest.h>

#include <memory>

#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookLifetime : public WorkbookTest {};

TEST_F(WorkbookLifetime, OverlappingWorkbooksKeepTheLibraryAlive)
{
    auto first = std::make_unique<IMWorkbook>(WidePath("a.xls"), L"А");
    auto second = std::make_unique<IMWorkbook>(WidePath("b.xls"), L"Б");
    EXPECT_EQ(workbook::XercesRuntime::Users(), 2);
    first.reset();
    second->AddRow(L"после", L"1", L"Number");
    EXPECT_TRUE(second->Save());
    second.reset();
    EXPECT_EQ(workbook::XercesRuntime::Users(), 0);

    IMWorkbook reread(WidePath("b.xls"), L"Б");
    EXPECT_EQ(RowsOf(reread).size(), 1u);
}

TEST_F(WorkbookLifetime, ManyWorkbooksOneAfterAnother)
{
    for (int i = 0; i < 40; ++i) {
        IMWorkbook book(WidePath("w.xls"), L"П");
        book.AddRow(L"run", std::to_wstring(i), L"Number");
        ASSERT_TRUE(book.Save());
    }
    EXPECT_EQ(workbook::XercesRuntime::Users(), 0);
    IMWorkbook book(WidePath("w.xls"), L"П");
    EXPECT_EQ(RowsOf(book).size(), 40u);
}

TEST_F(WorkbookLifetime, ReplacedWorkbookHandsItsFileToTheNext)
{
    // The application replaces its workbook on a new start: the old one is
    // saved, then the new one reads what it wrote.
    auto book = std::make_unique<IMWorkbook>(WidePath("w.xls"), L"П");
    book->AddRow(L"a", L"1", L"Number");
    ASSERT_TRUE(book->Save());
    book = std::make_unique<IMWorkbook>(WidePath("w.xls"), L"П");
    EXPECT_EQ(RowsOf(*book).size(), 1u);
}
