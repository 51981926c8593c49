// The printed table's layout, on a recorder of the calls: the header in key
// order, the column rule, page breaks, and what ends a job early.
#include <gtest/gtest.h>

#include "framework/workbook/table_printing.h"
#include "platform/codepage.h"
#include "workbook_fixture.h"

#include <vector>

using namespace workbook_test;

namespace {

// A page of W × H with lines of L = 50 + 10 and a margin M = 20; every
// character is 30 wide.
constexpr int W = 2000, H = 1000, L = 60, M = 20, kChar = 30;

struct Text {
    int x, y;
    std::wstring text;
    int page;
    bool operator==(const Text& o) const
    {
        return x == o.x && y == o.y && text == o.text && page == o.page;
    }
};
void PrintTo(const Text& t, std::ostream* out)
{
    *out << "(" << t.x << "," << t.y << ",\"" << platform::WideToUtf8(t.text) << "\",p" << t.page
         << ")";
}

class Recorder : public workbook::PrintTarget {
public:
    int DeviceCaps(int index) override { return index == HORZRES ? W : index == VERTRES ? H : 0; }
    bool TextMetrics(TEXTMETRICW* tm) override
    {
        tm->tmHeight = 50;
        tm->tmExternalLeading = 10;
        tm->tmAveCharWidth = M;
        return hasMetrics;
    }
    int StartDoc(const DOCINFOW& info) override
    {
        docName = info.lpszDocName;
        calls += "D";
        return startDoc;
    }
    int StartPage() override
    {
        ++pages;
        calls += "S";
        return 1;
    }
    int EndPage() override
    {
        calls += "E";
        return 1;
    }
    int EndDoc() override
    {
        calls += "F";
        return endDoc;
    }
    void TextW(int x, int y, const std::wstring& t) override { texts.push_back({x, y, t, pages}); }
    int WidthW(const std::wstring& t) override { return kChar * static_cast<int>(t.size()); }
    void TextA(int x, int y, const std::string& t) override
    {
        texts.push_back({x, y, platform::Cp1251ToWideString(t), pages});
    }
    int WidthA(const std::string& t) override { return kChar * static_cast<int>(t.size()); }

    bool hasMetrics = true;
    int startDoc = 7;
    int endDoc = 1;
    std::wstring docName;
    std::string calls;
    int pages = 0;
    std::vector<Text> texts;
};

class PrintLayout : public WorkbookTest {
protected:
    bool Print(IMWorkbook& book, const std::map<std::wstring, std::wstring>& header)
    {
        return workbook::PrintTable(device, book.FindTable(), header);
    }
    Recorder device;
};

} // namespace

TEST_F(PrintLayout, HeaderInKeyOrderThenABlankLineThenRowsByTheColumnRule)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"Начало", L"10:05", L"String");
    book.AddEmptyRow();
    book.AddRow(L"Промахи", L"3", L"Number");
    std::map<std::wstring, std::wstring> header{
        {L"Номер ЦОР", L"123"}, {L"Ученик", L"Оля"}, {L"Название", L"Пузыри"}};
    ASSERT_TRUE(Print(book, header));
    // A value stands at M + max(M + its key's width, W / 2).
    EXPECT_EQ(device.texts, (std::vector<Text>{
                                {M, L, L"Название", 1},
                                {M + W / 2, L, L"Пузыри", 1},
                                {M, 2 * L, L"Номер ЦОР", 1},
                                {M + W / 2, 2 * L, L"123", 1},
                                {M, 3 * L, L"Ученик", 1},
                                {M + W / 2, 3 * L, L"Оля", 1},
                                {M, 5 * L, L"Начало", 1},
                                {M + W / 2, 5 * L, L"10:05", 1},
                                // the empty row is a blank line
                                {M, 7 * L, L"Промахи", 1},
                                {M + W / 2, 7 * L, L"3", 1},
                            }));
    EXPECT_EQ(device.calls, "DSEF");
    EXPECT_EQ(device.docName, L"Print1: Printing");
}

TEST_F(PrintLayout, EmptyHeaderPutsTheFirstRowAtTwoLines)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"a", L"b", L"String");
    ASSERT_TRUE(Print(book, {}));
    ASSERT_FALSE(device.texts.empty());
    EXPECT_EQ(device.texts[0], (Text{M, 2 * L, L"a", 1}));
}

TEST_F(PrintLayout, WideTextPushesTheNextOneAMarginAfterItsEnd)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    const std::wstring wide(40, L'Ж'); // 1200 wide: more than half the page
    book.AddRow(wide, L"x", L"String");
    std::map<std::wstring, std::wstring> header{{wide, L"y"}};
    ASSERT_TRUE(Print(book, header));
    ASSERT_EQ(device.texts.size(), 4u);
    EXPECT_EQ(device.texts[1], (Text{M + M + 1200, L, L"y", 1}));
    EXPECT_EQ(device.texts[3], (Text{M + M + 1200, 3 * L, L"x", 1}));
}

TEST_F(PrintLayout, RowsOfMoreThanTwoCellsPrintEveryCell)
{
    WriteBytes(DiskPath("w.xls"),
               u8"<Workbook><Worksheet ss:Name=\"Оля\"><Table>"
               u8"<Row><Cell><Data>один</Data></Cell><Cell><Data>два</Data></Cell>"
               u8"<Cell><Data>три</Data></Cell><Cell><Data>четыре</Data></Cell></Row>"
               u8"</Table></Worksheet></Workbook>");
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    ASSERT_TRUE(Print(book, {}));
    EXPECT_EQ(device.texts, (std::vector<Text>{{M, 2 * L, L"один", 1},
                                               {M + W / 2, 2 * L, L"два", 1},
                                               {M + W, 2 * L, L"три", 1},
                                               {M + 3 * (W / 2), 2 * L, L"четыре", 1}}));
}

TEST_F(PrintLayout, PagesBreakOnlyAfterRowsAndNoBlankPageEndsTheJob)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    // H / L = 16.7 lines: the 14 header lines and the blank one bring the
    // first row to 16 L, where a row no longer fits, yet the header makes no
    // new page.
    std::map<std::wstring, std::wstring> header;
    for (int i = 0; i < 14; ++i)
        header[std::wstring(1, static_cast<wchar_t>(L'a' + i))] = L"v";
    for (int i = 0; i < 16; ++i)
        book.AddRow(std::to_wstring(i), L"", L"String");
    ASSERT_TRUE(Print(book, header));
    std::vector<Text> rowStarts;
    for (const Text& t : device.texts)
        if (t.x == M && t.text[0] >= L'0' && t.text[0] <= L'9')
            rowStarts.push_back(t);
    ASSERT_EQ(rowStarts.size(), 16u);
    EXPECT_EQ(rowStarts[0], (Text{M, 16 * L, L"0", 1}));
    EXPECT_EQ(rowStarts[1], (Text{M, L, L"1", 2}));
    // Rows 1 … 15 fill page 2 (L … 15 L); the last one leaves no room, but
    // nothing follows it, so no page is started.
    EXPECT_EQ(rowStarts[15], (Text{M, 15 * L, L"15", 2}));
    EXPECT_EQ(device.calls, "DSESEF");
}

TEST_F(PrintLayout, RefusedDocumentPrintsNothingAndReportsIt)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"a", L"b", L"String");
    device.startDoc = SP_ERROR;
    EXPECT_FALSE(Print(book, {{L"Ученик", L"Оля"}}));
    EXPECT_EQ(device.calls, "D");
    EXPECT_TRUE(device.texts.empty());
}

TEST_F(PrintLayout, DocumentTheServiceDoesNotTakeIsReported)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"a", L"b", L"String");
    device.endDoc = SP_ERROR;
    EXPECT_FALSE(Print(book, {}));
    EXPECT_EQ(device.calls, "DSEF");
}

TEST_F(PrintLayout, DeviceWithoutFontMetricsGetsNoJob)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"a", L"b", L"String");
    device.hasMetrics = false;
    EXPECT_FALSE(Print(book, {}));
    EXPECT_EQ(device.calls, "");
}

TEST_F(PrintLayout, SheetWithoutTableStartsNoJob)
{
    WriteBytes(DiskPath("w.xls"), u8"<Workbook><Worksheet ss:Name=\"Оля\"/></Workbook>");
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    ASSERT_EQ(book.FindTable(), nullptr);
    EXPECT_TRUE(Print(book, {{L"Ученик", L"Оля"}}));
    EXPECT_EQ(device.calls, "");
}

TEST_F(PrintLayout, NullDcIsRefusedWithoutAJob)
{
    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"a", L"b", L"String");
    EXPECT_FALSE(book.Print(nullptr, {{L"Ученик", L"Оля"}}));
}
