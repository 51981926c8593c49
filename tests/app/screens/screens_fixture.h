// The trainer's own application in the headless main window, for the
// screens: input posted as the window procedure gets it (Ctrl pushed into
// SDL, so that the held-key state is the platform's own), controls found in
// the tree, frames read back from the render device.
#pragma once

#include "app/App.h"
#include "app/exercise/description.h"
#include "app/screens/screen_parts.h"
#include "app/support/app_fixture.h"
#include "platform/d3d9.h"
#include "support/headless_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app_test {

typedef IMDialogBase<IMEmptyView> Dialog;

// The pointer's display count, left as it was.
inline int PointerCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

// The live children of kind C of the container (direct children only).
template <class C>
std::vector<C*> ChildrenOf(Dialog* dialog)
{
    std::vector<C*> found;
    for (IMControl* child : dialog->LiveChildren())
        if (C* c = dynamic_cast<C*>(child))
            found.push_back(c);
    return found;
}

inline screens::TextLine* LineWithText(Dialog* dialog, const std::wstring& text)
{
    for (screens::TextLine* line : ChildrenOf<screens::TextLine>(dialog))
        if (line->GetText() == text)
            return line;
    return nullptr;
}

inline POINT CentreOf(IMControl* control)
{
    RECT r;
    control->GetRect(&r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::DiscardQueuedMessages();
        app = &IMApp<App>::Instance(exercise::kInstanceName, 0);
    }

    void TearDown() override
    {
        if (IMApp<App>::Existing()) {
            PushKey(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NONE);
            Pump();
        }
        while (IMApp<App>::Existing())
            IMApp<App>::Release();
        testing_support::DiscardQueuedMessages();
    }

    bool Pump(int passes = 1)
    {
        for (int i = 0; i < passes; ++i)
            if (!testing_support::Pass(app->mainWindow))
                return false;
        return true;
    }

    void Post(UINT message, WPARAM wParam, LPARAM lParam = 0)
    {
        PostMessageW(IMWindow::Handle(), message, wParam, lParam);
    }
    // False when the click ended the program.
    bool Click(POINT p)
    {
        Post(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        Post(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        return Pump(3);
    }
    // Key-down, its character (when it types one) and key-up, as one press.
    void Press(WPARAM key, wchar_t typed = 0)
    {
        Post(WM_KEYDOWN, key, 1);
        if (typed)
            Post(WM_CHAR, typed, 1);
        Post(WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        Pump(2);
    }
    void Type(const std::wstring& text)
    {
        for (wchar_t c : text)
            Post(WM_CHAR, c, 1);
        Pump();
    }
    // The I key through SDL as a keyboard gives it, with Ctrl held or not;
    // `letter` is what the active layout puts on the key.
    void KeyI(bool ctrl, SDL_Keycode letter = SDLK_i)
    {
        const Uint16 mod = ctrl ? KMOD_LCTRL : KMOD_NONE;
        if (ctrl)
            PushKey(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, mod);
        PushKey(SDL_KEYDOWN, SDL_SCANCODE_I, letter, mod);
        PushKey(SDL_KEYUP, SDL_SCANCODE_I, letter, mod);
        Pump(2);
    }
    static void PushKey(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod)
    {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    // The screen on top: the main window's last live child.
    Dialog* Top() const
    {
        std::vector<IMControl*> children = app->mainWindow->LiveChildren();
        return children.empty() ? nullptr : dynamic_cast<Dialog*>(children.back());
    }
    Dialog* ShowTitle()
    {
        app->ShowTitleScreen();
        Pump();
        return Top();
    }

    platform::d3d9test::Frame Frame()
    {
        app->mainWindow->SetDirty(true);
        Pump();
        return platform::d3d9test::LastPresentedFrame(IMResourceManager::Instance()->Device());
    }

    ScratchDataHome dataHome;
    App* app = nullptr;
};

} // namespace app_test
