// Rows of two cells with their kinds, empty rows, and the texts as the
// narrowing leaves them.
#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include "workbook_fixture.h"

using namespace workbook_test;
using namespace xercesc;

class WorkbookRows : public WorkbookTest {};

TEST_F(WorkbookRows, NumberRowHasAStringLabelAndANumberValue)
{
    IMWorkbook book(WidePath("w.xls"), L"П");
    book.AddRow(L"Количество промахов", L"4", L"Number");
    DOMElement* table = book.FindTable();
    ASSERT_NE(table, nullptr);
    DOMElement* row = table->getLastElementChild();
    ASSERT_EQ(workbook::FromXml(row->getTagName()), "Row");
    ASSERT_EQ(row->getChildElementCount(), 2u);
    DOMElement* first = row->getFirstElementChild();
    DOMElement* second = row->getLastElementChild();
    EXPECT_EQ(workbook::FromXml(first->getTagName()), "Cell");
    EXPECT_EQ(first->getChildElementCount(), 1u);
    EXPECT_EQ(workbook::FromXml(first->getFirstElementChild()->getTagName()), "Data");
    EXPECT_EQ(workbook::FromXml(first->getFirstElementChild()->getAttribute(u"ss:Type")), "String");
    EXPECT_EQ(workbook::FromXml(second->getFirstElementChild()->getAttribute(u"ss:Type")), "Number");
    EXPECT_EQ(workbook::XmlToWide(second->getFirstElementChild()->getTextContent()), L"4");
}

TEST_F(WorkbookRows, StringRowAndEmptyRowKeepTheirOrderAfterTheColumns)
{
    IMWorkbook book(WidePath("w.xls"), L"П");
    book.AddRow(L"Начало", L"07-March-2011 09:05", L"String");
    book.AddEmptyRow();
    book.AddRow(L"Итого", L"12", L"Number");
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"Начало"}, {L"String", L"07-March-2011 09:05"}},
                                              {},
                                              {{L"String", L"Итого"}, {L"Number", L"12"}}}));
    DOMElement* table = book.FindTable();
    EXPECT_EQ(table->getChildElementCount(), 5u);  // two Column elements, three Row
    EXPECT_EQ(workbook::FromXml(table->getFirstElementChild()->getTagName()), "Column");
}

TEST_F(WorkbookRows, DoubleQuotesBecomeApostrophesInNamesAndCells)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Саша \"Ас\"");
        book.AddRow(L"Текст \"в кавычках\"", L"\"1\"", L"String");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Саша 'Ас'");
    EXPECT_EQ(SheetNames(book), std::vector<std::wstring>{L"Саша 'Ас'"});
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"Текст 'в кавычках'"}, {L"String", L"'1'"}}}));
}

TEST_F(WorkbookRows, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Zoë 中");
        book.AddRow(L"café", L"\x1F600", L"String");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Zo? ?");
    EXPECT_EQ(SheetNames(book), std::vector<std::wstring>{L"Zo? ?"});
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"caf?"}, {L"String", L"?"}}}));
    // Two names that differ only outside the code page share one sheet.
    IMWorkbook other(WidePath("w.xls"), L"Zoé 日");
    EXPECT_EQ(SheetNames(other).size(), 1u);
}

TEST_F(WorkbookRows, ControlCharactersInATextStillGiveAFileThatReadsBack)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"Имя\x01");
        book.AddRow(L"a\x08" L"b", L"\x1B", L"String");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Имя\x01");
    EXPECT_EQ(SheetNames(book), std::vector<std::wstring>{L"Имя?"});
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"a?b"}, {L"String", L"?"}}}));
    EXPECT_EQ(Listing(dir_).size(), 1u);  // the file was read, not set aside
}

TEST_F(WorkbookRows, MarkupCharactersAreTextNotMarkup)
{
    {
        IMWorkbook book(WidePath("w.xls"), L"<b>&amp;");
        book.AddRow(L"</Data></Cell>", L"a & b < c > d", L"String");
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"<b>&amp;");
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", L"</Data></Cell>"}, {L"String", L"a & b < c > d"}}}));
}

TEST_F(WorkbookRows, SheetReadWithoutTableGetsOneWithoutColumnsAtTheFirstRow)
{
    WriteBytes(DiskPath("w.xls"),
               "<Workbook><Worksheet ss:Name=\"Оля\"/></Workbook>");
    // The name above is UTF-8 without a declaration: XML's own default.
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    EXPECT_EQ(book.FindTable(), nullptr);
    book.AddRow(L"x", L"1", L"Number");
    DOMElement* table = book.FindTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->getParentNode(), book.Sheet());
    EXPECT_EQ(table->getChildElementCount(), 1u);  // the row, no Column
    book.AddEmptyRow();
    EXPECT_EQ(book.Sheet()->getElementsByTagName(u"Table")->getLength(), 1u);
    EXPECT_EQ(RowsOf(book).size(), 2u);
}

TEST_F(WorkbookRows, RowsGoIntoTheFirstTableWhereverItIsBelowTheSheet)
{
    WriteBytes(DiskPath("w.xls"),
               "<Workbook><Worksheet ss:Name=\"A\"><Options/><Wrap><Table><Row/></Table></Wrap>"
               "<Table/></Worksheet></Workbook>");
    IMWorkbook book(WidePath("w.xls"), L"A");
    book.AddEmptyRow();
    DOMElement* table = book.FindTable();
    EXPECT_EQ(workbook::FromXml(static_cast<DOMElement*>(table->getParentNode())->getTagName()), "Wrap");
    EXPECT_EQ(table->getChildElementCount(), 2u);
}
