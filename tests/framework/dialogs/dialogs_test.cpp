// The Save As and printer dialogs: the default printer's name taken from
// the profile entry, the printer dialog's reasons for a failed print, and
// Close.
#include "../widgets/widget_fixture.h"

#include "framework/dialogs/IMSaveAsDialog.h"
#include "framework/dialogs/IMSelectPrinterDialog.h"
#include "platform/kernel32.h"
#include "platform/winspool.h"

#include <set>

using widget_test::WidgetFixture;

namespace {

class Dialogs : public WidgetFixture {};

} // namespace

TEST(DefaultPrinter, TheNameIsTheEntryBeforeItsDriverCommasIncluded)
{
    EXPECT_EQ(L"Кабинет 12",
              IMSelectPrinterDialog::DefaultPrinterName(L"Кабинет 12,winspool,Ne01:"));
    EXPECT_EQ(L"Kab,1",
              IMSelectPrinterDialog::DefaultPrinterName(L"Kab,1,winspool,cups-pdf:/Kab,1"));
    EXPECT_EQ(L"Один", IMSelectPrinterDialog::DefaultPrinterName(L"Один,driver,LPT1:"));
    EXPECT_EQ(L"", IMSelectPrinterDialog::DefaultPrinterName(L",,,"));
    EXPECT_EQ(L"", IMSelectPrinterDialog::DefaultPrinterName(L""));
    EXPECT_EQ(L"Один", IMSelectPrinterDialog::DefaultPrinterName(L"Один"));
}

// Each reason a print fails for is said in words, whole on the dialog's line.
TEST_F(Dialogs, PrintFailuresAreSaidInWordsThatFit)
{
    auto* dialog = new IMSelectPrinterDialog(window.window);
    Settle();
    IMList* list = dialog->GetList();
    if (list->GetItems().empty())
        list->AddItem(L"Kabinet");
    list->SelectItem(list->GetItems().front());
    const DWORD errors[] = {ERROR_SUCCESS,
                            ERROR_TIMEOUT,
                            RPC_S_SERVER_UNAVAILABLE,
                            ERROR_NOT_READY,
                            ERROR_INVALID_PRINTER_NAME,
                            ERROR_ACCESS_DENIED,
                            ERROR_GEN_FAILURE,
                            ERROR_NOT_ENOUGH_MEMORY};
    std::set<std::wstring> said;
    for (DWORD error : errors) {
        const std::wstring text = dialog->FailureText(error);
        EXPECT_EQ(0u, text.rfind(L"Не удалось напечатать", 0)) << error;
        said.insert(text);
        dialog->ShowFailure(text);
        RECT extent;
        dialog->GetFailureLine()->GetSourceRect(&extent);
        EXPECT_LE(30 + extent.right - extent.left, dialog->GetWidth() - 1) << error;
    }
    EXPECT_EQ(said.size(), sizeof errors / sizeof errors[0]);
    EXPECT_EQ(L"Не удалось напечатать: служба печати не отвечает",
              dialog->FailureText(ERROR_TIMEOUT));
    EXPECT_EQ(L"Не удалось напечатать: принтер не принимает задания",
              dialog->FailureText(ERROR_NOT_READY));
    list->SelectItem(nullptr);
    EXPECT_EQ(L"Не удалось напечатать: выберите принтер", dialog->FailureText(ERROR_SUCCESS));
}

TEST_F(Dialogs, CloseClosesEitherDialog)
{
    auto* save = new IMSaveAsDialog(window.window);
    auto* print = new IMSelectPrinterDialog(window.window);
    Settle();
    // Both Close buttons lie at the same place on the screen: the dialog
    // made last is on top and closes first.
    window.Click(220 + 276, 225 + 102);
    window.Pump(3);
    EXPECT_FALSE(window.window->IsLiveChild(print));
    EXPECT_TRUE(window.window->IsLiveChild(save));
    window.Click(220 + 276, 225 + 102);
    window.Pump(3);
    EXPECT_FALSE(window.window->IsLiveChild(save));
}
