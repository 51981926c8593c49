// A worksheet printed for real: through a printer DC to a print service of
// the test's own, read back from the PDF the service received.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/gdi32.h"
#include "support/private_cupsd.h"
#include "workbook_fixture.h"

#include <cups/cups.h>

using namespace workbook_test;

class WorkbookPrintService : public WorkbookTest {};

TEST_F(WorkbookPrintService, WorksheetReachesThePrinterWithItsCyrillicText)
{
    if (!testsupport::PrivateCupsd::CanRun())
        GTEST_SKIP() << "a print service of our own needs root";
    testsupport::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.Running()) << cupsd.Failure();
    ASSERT_TRUE(cupsd.AddPdfQueue("Klass")) << cupsd.Failure();

    IMWorkbook book(WidePath("w.xls"), L"Оля Петрова");
    book.AddRow(L"Количество промахов", L"4", L"Number");
    book.AddEmptyRow();
    book.AddRow(L"Время", L"1:05", L"String");
    HDC dc = CreateDCW(nullptr, L"Klass", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    const bool printed = book.Print(
        dc, {{L"Номер ЦОР", L"17"}, {L"Ученик", L"Оля Петрова"}, {L"Название", L"Мыльные пузыри"}});
    DeleteDC(dc);
    ASSERT_TRUE(printed);

    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Klass", 0, CUPS_WHICHJOBS_ALL);
    ASSERT_EQ(count, 1);
    const int job = jobs[0].id;
    cupsFreeJobs(count, jobs);
    ASSERT_TRUE(cupsd.WaitForJob(job)) << cupsd.Failure();
    const auto spooled = cupsd.SpooledDocuments(job);
    ASSERT_EQ(spooled.size(), 1u);

    // Each printed line, its two texts apart on it, in order.
    const std::string text = testsupport::PdfText(spooled[0], true);
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.find_first_not_of(" \f", start) < end)
            lines.push_back(text.substr(start, end - start));
    }
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"Название", L"Мыльные пузыри"},
        {L"Номер ЦОР", L"17"},
        {L"Ученик", L"Оля Петрова"},
        {L"Количество промахов", L"4"},
        {L"Время", L"1:05"}};
    ASSERT_EQ(lines.size(), expected.size()) << text;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string first = platform::WideToUtf8(expected[i].first);
        const std::string second = platform::WideToUtf8(expected[i].second);
        const size_t key = lines[i].find(first);
        EXPECT_NE(key, std::string::npos) << lines[i];
        EXPECT_NE(lines[i].find("  " + second, key + first.size()), std::string::npos) << lines[i];
    }
}

TEST_F(WorkbookPrintService, RefusedJobIsReported)
{
    if (!testsupport::PrivateCupsd::CanRun())
        GTEST_SKIP() << "a print service of our own needs root";
    testsupport::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.Running()) << cupsd.Failure();
    ASSERT_TRUE(cupsd.AddPdfQueue("Klass")) << cupsd.Failure();
    ASSERT_TRUE(cupsd.Run({"/usr/sbin/cupsreject", "Klass"})) << cupsd.Failure();

    IMWorkbook book(WidePath("w.xls"), L"Оля");
    book.AddRow(L"Время", L"1:05", L"String");
    HDC dc = CreateDCW(nullptr, L"Klass", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_FALSE(book.Print(dc, {{L"Ученик", L"Оля"}}));
    DeleteDC(dc);
    EXPECT_EQ(RowsOf(book).size(), 1u);
}
