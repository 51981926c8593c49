// A shell over a test application: its screens record that they were asked
// for, its one step records the dialogs it gets. The main window is made
// headless, as the program makes it.
#pragma once

#include "app/shell/IMApp.h"
#include "app/support/app_fixture.h"
#include "platform/codepage.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace app_test {

class ShellApp : public IMApp<ShellApp> {
public:
    void OnInit() override
    {
        RegisterDialog(L"Dialog1", [this](Dialog* d) { stepDialogs.push_back(d); });
    }
    long ShowTitleScreen() override
    {
        ++titleScreens;
        return 0;
    }
    long ShowResultsScreen() override
    {
        ++resultsScreens;
        SetCurrentStep(steps.First());
        return 0;
    }
    void ShowInstruction(Dialog* dialog) override { instructions.push_back(dialog); }

    int titleScreens = 0;
    int resultsScreens = 0;
    std::vector<Dialog*> stepDialogs;
    std::vector<Dialog*> instructions;
};

class ShellTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kName = L"07342 Тренажер «Кварлоп»";

    void SetUp() override
    {
        testing_support::DiscardQueuedMessages();
        app = &IMApp<ShellApp>::Instance(kName, 0);
    }

    void TearDown() override
    {
        while (IMApp<ShellApp>::Existing())
            IMApp<ShellApp>::Release();
        testing_support::DiscardQueuedMessages();
    }

    // Runs loop passes; false once the quit message has been taken.
    bool Pump(int passes = 1)
    {
        for (int i = 0; i < passes; ++i)
            if (!testing_support::Pass(app->mainWindow))
                return false;
        return true;
    }

    void KeyDown(WPARAM key) { PostMessageW(IMWindow::Handle(), WM_KEYDOWN, key, 1); }

    // The pupil's rows as the file at the default path holds them.
    std::vector<SheetRow> SavedRows(const std::wstring& pupil) const
    {
        return ReadSheet(dataHome.ResultsFile(), pupil);
    }

    ScratchDataHome dataHome;
    ShellApp* app = nullptr;
};

} // namespace app_test
