// The Save As and printer dialogs: the default printer's name taken from
// the profile entry, and Close.
#include "../widgets/widget_fixture.h"

#include "framework/dialogs/IMSaveAsDialog.h"
#include "framework/dialogs/IMSelectPrinterDialog.h"

using widget_test::WidgetFixture;

namespace {

class Dialogs : public WidgetFixture {};

} // namespace

TEST(DefaultPrinter, TheNameIsTheEntryUpToItsFirstComma)
{
    EXPECT_EQ(L"Кабинет 12",
              IMSelectPrinterDialog::DefaultPrinterName(L"Кабинет 12,winspool,Ne01:"));
    EXPECT_EQ(L"", IMSelectPrinterDialog::DefaultPrinterName(L",,,"));
    EXPECT_EQ(L"", IMSelectPrinterDialog::DefaultPrinterName(L""));
    EXPECT_EQ(L"Один", IMSelectPrinterDialog::DefaultPrinterName(L"Один"));
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
