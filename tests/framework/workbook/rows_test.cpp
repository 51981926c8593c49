// Rows of two cells with their kinds, empty rows, and the texts as the
// narrowing leaves them.
#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include "workbook_fixture.h"

using namespace workbook_test;
using namespace xercesc;

class WorkbookRows : public WorkbookTest {};

TEST_F(WorkbookRows, RowIsTwoCellsOfOneDataEachAfterTheColumns)
{
    IMWorkbook book(WidePath("w.xls"), L"П");
    book.AddRow(L"Начало", L"07-March-2011 09:05", L"String");
    book.AddEmptyRow();
    book.AddRow(L"Количество промахов", L"4", L"Number");
    EXPECT_EQ(RowsOf(book),
              (std::vector<Row>{{{L"String", L"Начало"}, {L"String", L"07-March-2011 09:05"}},
                                {},
                                {{L"String", L"Количество промахов"}, {L"Number", L"4"}}}));
    DOMElement* row = book.FindTable()->getLastElementChild();
    ASSERT_EQ(row->getChildElementCount(), 2u);
    for (DOMElement* cell = row->getFirstElementChild(); cell;
         cell = cell->getNextElementSibling()) {
        EXPECT_EQ(workbook::FromXml(cell->getTagName()), "Cell");
        EXPECT_EQ(cell->getChildElementCount(), 1u);
        EXPECT_EQ(workbook::FromXml(cell->getFirstElementChild()->getTagName()), "Data");
    }
    EXPECT_EQ(workbook::FromXml(book.FindTable()->getFirstElementChild()->getTagName()), "Column");
}

TEST_F(WorkbookRows, DoubleQuotesBecomeApostrophesAndForeignCharactersQuestionMarks)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Zoë \"Ас\"");
        book.AddRow(L"Текст \"в кавычках\"", L"café 中", L"String");
        ASSERT_TRUE(book.Save());
    }
    // Names that differ only outside the code page meet in one sheet.
    IMWorkbook book(WidePath("w.xls"), L"Zoé 'Ас'");
    EXPECT_EQ(SheetNames(book), std::vector<std::wstring>{L"Zo? 'Ас'"});
    EXPECT_EQ(RowsOf(book),
              (std::vector<Row>{{{L"String", L"Текст 'в кавычках'"}, {L"String", L"caf? ?"}}}));
}

TEST_F(WorkbookRows, ControlCharactersStillGiveAFileThatReadsBack)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Имя\x01");
        book.AddRow(L"a\x08"
                    L"b",
                    L"\x1B", L"String");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Имя\x01");
    EXPECT_EQ(book.GetFileName(), WidePath("w.xls")); // read, not set aside
    EXPECT_EQ(SheetNames(book), std::vector<std::wstring>{L"Имя?"});
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"a?b"}, {L"String", L"?"}}}));
}

TEST_F(WorkbookRows, SheetReadWithoutTableGetsOneWithoutColumnsAtTheFirstRow)
{
    WriteBytes(DiskPath("w.xls"), u8"<Workbook><Worksheet ss:Name=\"Оля\"/></Workbook>");
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    EXPECT_EQ(book.FindTable(), nullptr);
    book.AddRow(L"x", L"1", L"Number");
    book.AddEmptyRow();
    DOMElement* table = book.FindTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->getParentNode(), book.Sheet());
    EXPECT_EQ(book.Sheet()->getChildElementCount(), 1u);
    EXPECT_EQ(table->getChildElementCount(), 2u); // the two rows, no Column
}
