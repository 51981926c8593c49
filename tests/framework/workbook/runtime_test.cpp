// The XML library lives as long as any workbook does, however they overlap.
#include <gtest/gtest.h>

#include <memory>

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
