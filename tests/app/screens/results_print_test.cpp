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

#include <chrono>
#include <functional>
#include <string>
#include <thread>
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

    // Runs the window's passes until `done` holds (true), or for a minute.
    bool PumpUntil(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < end) {
            IMWindow::RunPass(app->mainWindow);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
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
    IMSelectPrinterDialog* dialog = nullptr;
    // The queues are listed once the service has answered, which a loaded
    // machine may take a while for.
    ASSERT_TRUE(PumpUntil([&] {
        for (IMControl* child : app->mainWindow->LiveChildren())
            if (auto* d = dynamic_cast<IMSelectPrinterDialog*>(child))
                dialog = d;
        return dialog && dialog->GetList()->GetItems().size() >= 12;
    }));
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
    // The job reaches the service as soon as the dialog has closed, or a
    // little later when the service is slow to take it.
    int count = 0, job = 0;
    ASSERT_TRUE(PumpUntil([&] {
        cups_job_t* jobs = nullptr;
        count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Kabinet-9", 0, CUPS_WHICHJOBS_ALL);
        if (count > 0)
            job = jobs[0].id;
        cupsFreeJobs(count, jobs);
        return count > 0 && !app->mainWindow->IsLiveChild(dialog);
    }));
    ASSERT_EQ(1, count);
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
