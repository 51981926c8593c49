// One workbook file serves many pupils: one worksheet per name, rows
// appended to a pupil's sheet across saves and reopenings.
#include <gtest/gtest.h>

#include "framework/workbook/template.h"
#include "platform/codepage.h"
#include "workbook_fixture.h"

using namespace workbook_test;

class WorkbookSheets : public WorkbookTest {};

TEST_F(WorkbookSheets, NewFileIsTheTemplatePlusOneWorksheet)
{
    {
        IMWorkbook book(WidePath("new.xls"), L"Маша");
        EXPECT_FALSE(Exists(DiskPath("new.xls"))); // nothing is written before Save
        ASSERT_TRUE(book.Save());
    }
    const std::string file = ReadBytes(DiskPath("new.xls"));
    const std::string prolog = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" "
                               "?><?mso-application progid=\"Excel.Sheet\"?>";
    ASSERT_EQ(file.rfind(prolog + "<Workbook xmlns=", 0), 0u) << file.substr(0, 200);
    // The root's start tag is the writer's (attributes one space apart); from
    // there on the template stands as it is, the worksheet before its end.
    const std::string t(workbook::kTemplate, workbook::kTemplateLength);
    const size_t rootEnd = file.find('>', prolog.size()) + 1;
    EXPECT_EQ(file.substr(prolog.size(), rootEnd - prolog.size()).find('\t'), std::string::npos);
    const size_t inside = t.find('>', t.find("<Workbook")) + 1;
    EXPECT_EQ(file.substr(rootEnd),
              t.substr(inside, t.rfind("</Workbook>") - inside) + "<Worksheet ss:Name=\"" +
                  platform::WideToUtf8(L"Маша") +
                  "\"><Table>"
                  "<Column ss:AutoFitWidth=\"0\" ss:Index=\"1\" ss:Width=\"240\"/>"
                  "<Column ss:AutoFitWidth=\"0\" ss:Width=\"96\"/>"
                  "</Table></Worksheet></Workbook>");
}

TEST_F(WorkbookSheets, EachPupilHasASheetAndRowsAppendAcrossSaveAndReopen)
{
    for (const wchar_t* pupil : {L"Петя", L"Вася", L"Петя", L"петя", L"Петя"}) {
        IMWorkbook book(WidePath("w.xls"), pupil);
        book.AddRow(L"Забег", pupil, L"String");
        book.AddEmptyRow();
        ASSERT_TRUE(book.Save());
    }
    IMWorkbook book(WidePath("w.xls"), L"Петя");
    EXPECT_EQ(SheetNames(book), (std::vector<std::wstring>{L"Петя", L"Вася", L"петя"}));
    const Row run = {{L"String", L"Забег"}, {L"String", L"Петя"}};
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{run, {}, run, {}, run, {}}));
}

TEST_F(WorkbookSheets, FileNameIsUtf8OnDiskAndCyrillicTextsComeBackIntact)
{
    const std::string name = u8"07342 Тренажер «Кварлоп».xls";
    const std::wstring label = L"Время начала работы с упражнением";
    const std::wstring value = L"07-March-2011 09:05 — «Ёлка» №5";
    {
        IMWorkbook book(WidePath(name), L"Ёжикова Мария");
        book.AddRow(label, value, L"String");
        ASSERT_TRUE(book.Save());
    }
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{name});
    const std::string file = ReadBytes(DiskPath(name));
    EXPECT_NE(file.find(platform::WideToUtf8(label)), std::string::npos);
    EXPECT_NE(file.find(platform::WideToUtf8(value)), std::string::npos);
    EXPECT_NE(file.find(u8"ss:Name=\"Ёжикова Мария\""), std::string::npos);

    IMWorkbook book(WidePath(name), L"Ёжикова Мария");
    EXPECT_EQ(book.GetFileName(), WidePath(name));
    EXPECT_EQ(RowsOf(book), (std::vector<Row>{{{L"String", label}, {L"String", value}}}));
}
