// A running window with one full-screen screen container for the widget
// tests, and helpers to feed events straight to controls.
#pragma once

#include "framework/controls/IMDialogBase.h"
#include "framework/render/IMResourceManager.h"
#include "platform/user32.h"
#include "support/headless_window.h"

#include <gtest/gtest.h>

namespace widget_test {

class WidgetFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = new IMDialogBase<IMEmptyView>(window.window, nullptr, 0);
        window.Pump(1);
    }

    // Merges what was made since the last pass.
    void Settle() { window.Pump(2); }

    static RECT RectOf(const IMControl* control)
    {
        RECT r;
        control->GetRect(&r);
        return r;
    }

    testing_support::HeadlessWindow window;
    IMDialogBase<IMEmptyView>* screen = nullptr;
};

inline IMKeyboardEvent Char(wchar_t c)
{
    return IMKeyboardEvent(nullptr, WM_CHAR, c, 1);
}
inline IMKeyboardEvent KeyDown(DWORD key)
{
    return IMKeyboardEvent(nullptr, WM_KEYDOWN, key, 1);
}

inline bool Equal(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace widget_test
