// The exercise application in the headless main window, for the instruction
// and its mouse demonstration: loop passes bounded by the clock, keys, the
// pointer's display count, and the instruction's dialog.
#pragma once

#include "app/App.h"
#include "app/exercise/description.h"
#include "app/screens/cursor_mouse.h"
#include "app/support/app_fixture.h"
#include "framework/render/IMResourceManager.h"
#include "platform/user32.h"
#include "platform/winmm.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

#include <functional>

namespace app_test {

class InstructionTest : public ::testing::Test {
protected:
    typedef IMDialogBase<IMEmptyView> Dialog;

    void SetUp() override
    {
        testing_support::DiscardQueuedMessages();
        app = &IMApp<App>::Instance(exercise::kInstanceName, 0);
        cursorAtStart = CursorCount();
    }

    void TearDown() override
    {
        while (IMApp<App>::Existing())
            IMApp<App>::Release();
        testing_support::DiscardQueuedMessages();
        // The program's end hides the pointer; the count goes back as it was.
        while (CursorCount() < cursorAtStart)
            ShowCursor(TRUE);
        while (CursorCount() > cursorAtStart)
            ShowCursor(FALSE);
    }

    static int CursorCount()
    {
        const int count = ShowCursor(TRUE) - 1;
        ShowCursor(FALSE);
        return count;
    }

    IMResourceManager& Manager() { return *IMResourceManager::Instance(); }

    void Pump(int passes = 1)
    {
        for (int i = 0; i < passes; ++i)
            testing_support::Pass(app->mainWindow, passMs);
    }

    // Passes until the condition holds, for at most `ms` milliseconds of the
    // clock that the passes move on.
    bool PumpUntil(const std::function<bool()>& condition, DWORD ms = 10000)
    {
        const DWORD start = timeGetTime();
        while (!condition()) {
            if (timeGetTime() - start > ms || !testing_support::Pass(app->mainWindow, passMs))
                return condition();
        }
        return true;
    }

    void KeyDown(WPARAM key) { PostMessageW(IMWindow::Handle(), WM_KEYDOWN, key, 1); }

    // The instruction shown after Start; returns its dialog.
    Dialog* StartInstruction()
    {
        app->ShowInstructionDialog();
        return app->demonstration ? app->demonstration->dialog : nullptr;
    }

    // The voice's label, as its notification calls it.
    void Label(Dialog* dialog, unsigned long position)
    {
        app->OnVoiceLabel(app->instructionVoice, position, dialog, app->instructionNumber);
    }

    // The live children of the dialog at that depth; the last one made.
    static int ChildrenAtDepth(Dialog* dialog, int depth, IMControl** last = nullptr)
    {
        int count = 0;
        for (IMControl* child : dialog->LiveChildren())
            if (dialog->FindChildDepth(child) == depth && ++count && last)
                *last = child;
        return count;
    }

    static RECT RectOf(IMControl* control)
    {
        RECT r;
        control->GetRect(&r);
        return r;
    }

    App* app = nullptr;
    // The time each loop pass stands for.
    int passMs = testing_support::kPassMs;
    int cursorAtStart = 0;
    ScratchDataHome dataHome;
};

} // namespace app_test
