// Print on the results screen: against a print service of the test's own,
// the printer dialog lists the service's queues with the default chosen and
// in view, and the chosen queue receives the results under their header;
// without a printer, or with a service that does not answer, the dialog
// stays open and says why nothing was printed.
#include "app/shell/IMApp.h"
#include "app/support/app_fixture.h"
#include "platform/codepage.h"
#include "platform/winspool.h"
#include "support/headless_window.h"
#include "support/private_cupsd.h"

#include <gtest/gtest.h>

#include <cups/cups.h>

#include <chrono>
#include <cstdlib>
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

    IMSelectPrinterDialog* OpenDialog()
    {
        app->OnPrintClick();
        testing_support::Pass(app->mainWindow);
        IMSelectPrinterDialog* dialog = nullptr;
        for (IMControl* child : app->mainWindow->LiveChildren())
            if (auto* d = dynamic_cast<IMSelectPrinterDialog*>(child))
                dialog = d;
        return dialog;
    }

    void ClickPrint()
    {
        const LPARAM print = MAKELPARAM(220 + 72, 125 + 202);
        PostMessageW(IMWindow::Handle(), WM_MOUSEMOVE, 0, print);
        PostMessageW(IMWindow::Handle(), WM_LBUTTONDOWN, MK_LBUTTON, print);
        PostMessageW(IMWindow::Handle(), WM_LBUTTONUP, 0, print);
        for (int i = 0; i < 3; ++i)
            testing_support::Pass(app->mainWindow);
    }

    static std::wstring FailureOf(IMSelectPrinterDialog* dialog)
    {
        return dialog->GetFailureLine() ? dialog->GetFailureLine()->GetText() : std::wstring();
    }

    // Runs the window's passes until `done` holds (true), or for a minute.
    bool PumpUntil(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < end) {
            testing_support::Pass(app->mainWindow);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    ScratchDataHome dataHome;
    PrintApp* app = nullptr;
};

// Points the print calls at a place where no service listens.
class NoPrintService {
public:
    NoPrintService()
    {
        if (const char* server = std::getenv("CUPS_SERVER"))
            saved = server;
        setenv("CUPS_SERVER", kMissing, 1);
        cupsSetServer(kMissing);
    }
    ~NoPrintService()
    {
        if (saved.empty()) {
            unsetenv("CUPS_SERVER");
        } else {
            setenv("CUPS_SERVER", saved.c_str(), 1);
        }
        cupsSetServer(nullptr);
    }

private:
    static constexpr const char* kMissing = "/tmp/kvarlop-no-such-folder/cupsd.sock";
    std::string saved;
};

// What a frozen window would cost at most: the print calls give up after 2 s.
constexpr std::chrono::seconds kFrozenAtMost{5};

} // namespace

TEST_F(ResultsPrintTest, WithoutAPrinterTheDialogStaysOpenAndSaysWhy)
{
    {
        NoPrintService none;
        IMSelectPrinterDialog* dialog = OpenDialog();
        ASSERT_NE(nullptr, dialog);
        EXPECT_TRUE(dialog->GetList()->GetItems().empty());
        ClickPrint();
        EXPECT_TRUE(app->mainWindow->IsLiveChild(dialog));
        EXPECT_EQ(L"Не удалось напечатать: принтер не настроен", FailureOf(dialog));
        dialog->Close();
    }

    // A service that takes the connection and never answers is given up
    // soon, and said to be silent.
    testsupport::SilentPrintService silent;
    ASSERT_TRUE(silent.Listening());
    const auto start = std::chrono::steady_clock::now();
    IMSelectPrinterDialog* dialog = OpenDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kFrozenAtMost);
    EXPECT_GE(silent.Connections(), 1);
    EXPECT_TRUE(dialog->GetList()->GetItems().empty());
    ClickPrint();
    EXPECT_LT(std::chrono::steady_clock::now() - start, kFrozenAtMost);
    EXPECT_TRUE(app->mainWindow->IsLiveChild(dialog));
    EXPECT_EQ(L"Не удалось напечатать: служба печати не отвечает", FailureOf(dialog));
}

// The default queue's name holds a comma, as the service allows; a queue
// named as its part before the comma is there too. When the service stops
// answering between the list and the print, the dialog says so and stays,
// and the next Print reaches the queue.
TEST_F(ResultsPrintTest, TheDefaultOfADozenQueuesIsChosenInViewAndPrintsTheResults)
{
    if (!testsupport::PrivateCupsd::CanRun())
        GTEST_SKIP() << "a print service of our own needs root";
    testsupport::PrivateCupsd cupsd;
    ASSERT_TRUE(cupsd.Running()) << cupsd.Failure();
    for (int i = 1; i <= 11; ++i)
        ASSERT_TRUE(cupsd.AddPdfQueue("Kabinet-" + std::to_string(i), false)) << cupsd.Failure();
    ASSERT_TRUE(cupsd.AddPdfQueue("Kabinet,9", true)) << cupsd.Failure();
    ASSERT_TRUE(cupsd.AddPdfQueue("Kabinet", false)) << cupsd.Failure();

    app->OnPrintClick();
    IMSelectPrinterDialog* dialog = nullptr;
    // The queues are listed once the service has answered, which a loaded
    // machine may take a while for.
    ASSERT_TRUE(PumpUntil([&] {
        for (IMControl* child : app->mainWindow->LiveChildren())
            if (auto* d = dynamic_cast<IMSelectPrinterDialog*>(child))
                dialog = d;
        return dialog && dialog->GetList()->GetItems().size() >= 13;
    }));
    IMList* list = dialog->GetList();
    std::vector<std::wstring> listed;
    for (const IMList::Item* item : list->GetItems())
        listed.push_back(item->GetText());
    EXPECT_EQ(Queues(), listed);
    ASSERT_EQ(13u, listed.size());
    ASSERT_NE(nullptr, list->GetSelectedItem());
    EXPECT_EQ(L"Kabinet,9", list->GetSelectedItem()->GetText());
    RECT r;
    list->GetSelectedItem()->GetRect(&r);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, list->GetItemsContainer()->GetHeight());

    {
        testsupport::SilentPrintService silent;
        ASSERT_TRUE(silent.Listening());
        const auto start = std::chrono::steady_clock::now();
        ClickPrint();
        EXPECT_LT(std::chrono::steady_clock::now() - start, kFrozenAtMost);
        EXPECT_TRUE(app->mainWindow->IsLiveChild(dialog));
        EXPECT_EQ(L"Не удалось напечатать: служба печати не отвечает", FailureOf(dialog));
    }

    ClickPrint();
    // The job reaches the service as soon as the dialog has closed, or a
    // little later when the service is slow to take it.
    int count = 0, job = 0;
    ASSERT_TRUE(PumpUntil([&] {
        cups_job_t* jobs = nullptr;
        count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Kabinet,9", 0, CUPS_WHICHJOBS_ALL);
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
