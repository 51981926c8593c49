// The SDL-to-message translation of the mouse, driven directly so that the
// events' timestamps are under the test's control.
#include "platform/sdl/input.h"

#include <gtest/gtest.h>

using platform::InputMessage;
using platform::InputTarget;
using platform::SdlInput;

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x1234);

InputTarget FullScreen(int windowWidth = 800, int windowHeight = 600)
{
    InputTarget t;
    t.hwnd = kWindow;
    t.doubleClicks = true;
    t.confinePointer = true;
    t.windowWidth = windowWidth;
    t.windowHeight = windowHeight;
    return t;
}

SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint32 time)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    e.button.timestamp = time;
    return e;
}

SDL_Event Motion(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event Wheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
{
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.direction = direction;
    return e;
}

std::vector<MSG> Feed(SdlInput& input, const InputTarget& target,
                      std::initializer_list<SDL_Event> events)
{
    std::vector<InputMessage> out;
    for (const SDL_Event& e : events)
        input.Translate(e, target, out);
    std::vector<MSG> msgs;
    for (const InputMessage& m : out)
        msgs.push_back(m.msg);
    return msgs;
}

UINT Press(SdlInput& input, const InputTarget& target, Uint8 button, int x, int y, Uint32 time)
{
    std::vector<MSG> m = Feed(input, target,
                              {Button(SDL_MOUSEBUTTONDOWN, button, x, y, time),
                               Button(SDL_MOUSEBUTTONUP, button, x, y, time + 20)});
    return m.empty() ? 0 : m[0].message;
}

} // namespace

TEST(DoubleClick, SecondLeftPressWithinTheTimeAndDistanceIsADoubleClick)
{
    SdlInput input;
    InputTarget t = FullScreen();
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 100, 100, 1000), static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 102, 98, 1000 + platform::kDoubleClickTime),
              static_cast<UINT>(WM_LBUTTONDBLCLK));
    // A third quick press starts over.
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 102, 98, 1600), static_cast<UINT>(WM_LBUTTONDOWN));
}

TEST(DoubleClick, TooLateTooFarOrWithoutTheClassStyleStaysAPress)
{
    SdlInput input;
    InputTarget t = FullScreen();
    Press(input, t, SDL_BUTTON_LEFT, 100, 100, 1000);
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 100, 100, 1000 + platform::kDoubleClickTime + 1),
              static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 104, 100, 1700), static_cast<UINT>(WM_LBUTTONDOWN));

    t.doubleClicks = false;
    Press(input, t, SDL_BUTTON_LEFT, 300, 300, 5000);
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 300, 300, 5100), static_cast<UINT>(WM_LBUTTONDOWN));
}

TEST(DoubleClick, TheTimeSpanSurvivesTheTimerWrapping)
{
    SdlInput input;
    InputTarget t = FullScreen();
    Press(input, t, SDL_BUTTON_LEFT, 10, 10, 0xFFFFFF00u);
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 10, 10, 0x00000050u),
              static_cast<UINT>(WM_LBUTTONDBLCLK));
}

TEST(DoubleClick, RightAndMiddleButtonsNeverDoubleClick)
{
    SdlInput input;
    InputTarget t = FullScreen();
    EXPECT_EQ(Press(input, t, SDL_BUTTON_RIGHT, 50, 50, 1000), static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(Press(input, t, SDL_BUTTON_RIGHT, 50, 50, 1100), static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(Press(input, t, SDL_BUTTON_MIDDLE, 50, 50, 1200), static_cast<UINT>(WM_MBUTTONDOWN));
    EXPECT_EQ(Press(input, t, SDL_BUTTON_MIDDLE, 50, 50, 1300), static_cast<UINT>(WM_MBUTTONDOWN));
}

TEST(DoubleClick, AnotherButtonBetweenTwoLeftPressesBreaksIt)
{
    SdlInput input;
    InputTarget t = FullScreen();
    Press(input, t, SDL_BUTTON_LEFT, 50, 50, 1000);
    Press(input, t, SDL_BUTTON_RIGHT, 50, 50, 1100);
    EXPECT_EQ(Press(input, t, SDL_BUTTON_LEFT, 50, 50, 1200), static_cast<UINT>(WM_LBUTTONDOWN));
}

TEST(MouseKeyFlags, CarryTheButtonsAsTheyAreAfterTheEvent)
{
    SdlInput input;
    InputTarget t = FullScreen();
    std::vector<MSG> m = Feed(input, t,
                              {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 10),
                               Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 5, 20),
                               Motion(6, 6), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 6, 6, 30),
                               Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 6, 6, 40),
                               Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 6, 6, 50)});
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(m[1].wParam, static_cast<WPARAM>(MK_LBUTTON | MK_RBUTTON));
    EXPECT_EQ(m[2].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(m[2].wParam, static_cast<WPARAM>(MK_LBUTTON | MK_RBUTTON));
    EXPECT_EQ(m[3].wParam, static_cast<WPARAM>(MK_RBUTTON)); // the released button is clear
    EXPECT_EQ(m[4].wParam, static_cast<WPARAM>(MK_RBUTTON | MK_MBUTTON));
    EXPECT_EQ(m[5].message, static_cast<UINT>(WM_RBUTTONUP));
    EXPECT_EQ(m[5].wParam, static_cast<WPARAM>(MK_MBUTTON));
    EXPECT_TRUE(input.IsKeyDown(VK_MBUTTON));
    EXPECT_FALSE(input.IsKeyDown(VK_LBUTTON));
}

TEST(MouseKeyFlags, IncludeShiftAndCtrlHeld)
{
    SdlInput input;
    InputTarget t = FullScreen();
    std::vector<InputMessage> out;
    SDL_Event ctrl{};
    ctrl.type = SDL_KEYDOWN;
    ctrl.key.keysym.scancode = SDL_SCANCODE_RCTRL;
    ctrl.key.keysym.mod = KMOD_RCTRL;
    input.Translate(ctrl, t, out);
    std::vector<MSG> m = Feed(input, t, {Motion(1, 1)});
    EXPECT_EQ(m[0].wParam, static_cast<WPARAM>(MK_CONTROL));
}

TEST(PointerMapping, FullScreenPositionsMapBackToTheClientArea)
{
    SdlInput input;
    // 1920 x 1080: the client area is 1440 x 1080 from x = 240.
    InputTarget t = FullScreen(1920, 1080);
    std::vector<MSG> m = Feed(input, t, {Motion(240, 0), Motion(1679, 1079), Motion(960, 540)});
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(GET_X_LPARAM(m[0].lParam), 0);
    EXPECT_EQ(GET_Y_LPARAM(m[0].lParam), 0);
    EXPECT_EQ(GET_X_LPARAM(m[1].lParam), 799);
    EXPECT_EQ(GET_Y_LPARAM(m[1].lParam), 599);
    EXPECT_EQ(GET_X_LPARAM(m[2].lParam), 400);
    EXPECT_EQ(GET_Y_LPARAM(m[2].lParam), 300);
}

TEST(PointerMapping, FullScreenBordersHoldThePointerAtTheEdge)
{
    SdlInput input;
    InputTarget t = FullScreen(1920, 1080);
    std::vector<MSG> m = Feed(input, t, {Motion(10, 500), Motion(1900, 500)});
    EXPECT_EQ(GET_X_LPARAM(m[0].lParam), 0);
    EXPECT_EQ(GET_X_LPARAM(m[1].lParam), 799);
    EXPECT_EQ(input.Pointer().x, 799);
}

TEST(PointerMapping, WindowedPositionsOutsideStaySignedAndUnclamped)
{
    SdlInput input;
    InputTarget t = FullScreen();
    t.confinePointer = false;
    std::vector<MSG> m = Feed(input, t, {Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -5, 700, 10)});
    EXPECT_EQ(GET_X_LPARAM(m[0].lParam), -5);
    EXPECT_EQ(GET_Y_LPARAM(m[0].lParam), 700);
}

TEST(MouseWheel, EachNotchIsOneMessageOfDelta120AtScreenCoordinates)
{
    SdlInput input;
    InputTarget t = FullScreen();
    t.confinePointer = false;
    t.screenOrigin = POINT{100, 50};
    Feed(input, t, {Motion(10, 20), Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20, 5)});
    std::vector<MSG> up = Feed(input, t, {Wheel(1)});
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, static_cast<UINT>(WM_MOUSEWHEEL));
    EXPECT_EQ(static_cast<SHORT>(HIWORD(up[0].wParam)), WHEEL_DELTA);
    EXPECT_EQ(LOWORD(up[0].wParam), MK_LBUTTON);
    EXPECT_EQ(GET_X_LPARAM(up[0].lParam), 110);
    EXPECT_EQ(GET_Y_LPARAM(up[0].lParam), 70);

    std::vector<MSG> down = Feed(input, t, {Wheel(-2)});
    ASSERT_EQ(down.size(), 2u);
    for (const MSG& m : down)
        EXPECT_EQ(static_cast<SHORT>(HIWORD(m.wParam)), -WHEEL_DELTA);

    std::vector<MSG> flipped = Feed(input, t, {Wheel(1, SDL_MOUSEWHEEL_FLIPPED)});
    ASSERT_EQ(flipped.size(), 1u);
    EXPECT_EQ(static_cast<SHORT>(HIWORD(flipped[0].wParam)), -WHEEL_DELTA);

    EXPECT_TRUE(Feed(input, t, {Wheel(0)}).empty()); // sideways only
}
