// Print on the results screen against a print service of the test's own:
// the printer dialog lists the service's queues with the default chosen and
// in view, and the chosen queue receives the results under their header.
#include "app/shell/IMApp.h"
#include "app/support/app_fixture.h"
#include "platform/codepage.h"
#include "platform/winspool.h"
#include "support/headless_window.h"
#include "support/private_cupsd.h"

#include <gtest/gtest.h>

#include <cups/cups.h>

#include <string>
#include <vector>

using namespace app_test;

namespace {

class PrintApp : public IMApp<PrintApp> {
public:
    void OnInit() override
    {
        RegisterDialog(L"Dialog1", [](Dialog*) {});
    }
    long ShowTitleScreen() override { return 0; }
};

class ResultsPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testsupport::PrivateCupsd::CanRun())
            GTEST_SKIP() << "a print service of our own needs root";
        testing_support::DiscardQueuedMessages();
        app = &IMApp<PrintApp>::Instance(L"07342 Тренажер «Кварлоп»", 0);
        app->SetInfo(L"07342", L"Кварлоп", L"");
        app->CreateWorkbook(L"Петров");
        app->SetPupilName(L"Петров");
        app->AddResultRow(L"Число промахов", L"2", L"Number");
    }

    void TearDown() override
    {
        while (IMApp<PrintApp>::Existing())
            IMApp<PrintApp>::Release();
        testing_support::DiscardQueuedMessages();
    }

    // The service's queue names in its own order.
    static std::vector<std::wstring> Queues()
    {
        DWORD needed = 0, count = 0;
        EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed);
        std::vector<std::wstring> names;
        if (needed &&
            EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count))
            for (DWORD i = 0; i < count; ++i)
                names.push_back(reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())[i].pPrinterName);
        return names;
    }

    ScratchDataHome dataHome;
    PrintApp* app = nullptr;
};

} // namespace

TEST_F(ResultsPrintTest, TheDefaultOfADozenQueuesIsChosenInViewAndPrintsTheResults)
{
    testsupport::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.Running()) << cupsd.Failure();
    for (int i = 1; i <= 12; ++i)
        ASSERT_TRUE(cupsd.AddPdfQueue("Kabinet-" + std::to_string(i), i == 9)) << cupsd.Failure();

    app->OnPrintClick();
    testing_support::Pass(app->mainWindow);
    IMSelectPrinterDialog* dialog = nullptr;
    for (IMControl* child : app->mainWindow->LiveChildren())
        if (auto* d = dynamic_cast<IMSelectPrinterDialog*>(child))
            dialog = d;
    ASSERT_NE(nullptr, dialog);
    IMList* list = dialog->GetList();
    std::vector<std::wstring> listed;
    for (const IMList::Item* item : list->GetItems())
        listed.push_back(item->GetText());
    EXPECT_EQ(Queues(), listed);
    ASSERT_EQ(12u, listed.size());
    ASSERT_NE(nullptr, list->GetSelectedItem());
    EXPECT_EQ(L"Kabinet-9", list->GetSelectedItem()->GetText());
    RECT r;
    list->GetSelectedItem()->GetRect(&r);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, list->GetItemsContainer()->GetHeight());

    const LPARAM print = MAKELPARAM(220 + 72, 125 + 202);
    PostMessageW(IMWindow::Handle(), WM_MOUSEMOVE, 0, print);
    PostMessageW(IMWindow::Handle(), WM_LBUTTONDOWN, MK_LBUTTON, print);
    PostMessageW(IMWindow::Handle(), WM_LBUTTONUP, 0, print);
    for (int i = 0; i < 3; ++i)
        testing_support::Pass(app->mainWindow);
    EXPECT_FALSE(app->mainWindow->IsLiveChild(dialog));
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Kabinet-9", 0, CUPS_WHICHJOBS_ALL);
    ASSERT_EQ(1, count);
    const int job = jobs[0].id;
    cupsFreeJobs(count, jobs);
    ASSERT_TRUE(cupsd.WaitForJob(job)) << cupsd.Failure();
    const std::vector<std::string> spooled = cupsd.SpooledDocuments(job);
    ASSERT_EQ(1u, spooled.size());
    // The header in key order, each with its value, then the row.
    const std::string text = testsupport::PdfText(spooled[0], true);
    size_t at = 0;
    for (const wchar_t* part : {L"Название", L"Кварлоп", L"Номер ЦОР", L"07342", L"Ученик",
                                L"Петров", L"Число промахов", L"2"}) {
        at = text.find(platform::WideToUtf8(part), at);
        ASSERT_NE(std::string::npos, at) << platform::WideToUtf8(part) << "\n" << text;
    }
}
