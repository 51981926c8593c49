// The window procedure's input road: which messages become events, with
// what codes and positions, and where they arrive in the tree.
#include "support/headless_window.h"
#include "support/probe_control.h"

#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace boost::placeholders;
using testing_support::HeadlessWindow;
using testing_support::Probe;
using testing_support::ProbeLog;

namespace {

struct Trace : boost::signals2::trackable {
    long Mouse(const std::string& who, const IMMouseEvent& e)
    {
        lines.push_back(who + " " + std::to_string(e.code) + " " + std::to_string(e.x) + "," +
                        std::to_string(e.y));
        return 0;
    }
    long Key(const std::string& who, const IMKeyboardEvent& e)
    {
        lines.push_back(who + " " + std::to_string(e.code) + " " + std::to_string(e.wParam));
        return 0;
    }
    std::vector<std::string> lines;
};

class Input : public ::testing::Test {
protected:
    Input()
    {
        dialog = IMDialogBase<IMEmptyView>::Create(w.window, 100, 100, 400, 300, 0);
        button = new Probe(dialog, RECT{50, 50, 150, 100}, 0, "button", &log);
        w.Pump(2);
    }

    ProbeLog log;
    HeadlessWindow w;
    IMDialogBase<IMEmptyView>* dialog = nullptr;
    Probe* button = nullptr;
    Trace trace;
};

} // namespace

TEST_F(Input, ClickReachesTheControlInItsContainersCoordinates)
{
    button->ConnectClicked(boost::bind(&Trace::Mouse, &trace, "clicked", _1));
    w.window->ConnectMouseButton(boost::bind(&Trace::Mouse, &trace, "window", _1));
    w.Click(170, 160);
    w.Pump(1);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"window 513 170,160", "window 514 170,160",
                                                     "clicked 524 70,60"}));
}

TEST_F(Input, RightAndMiddleDoubleClicksAreNotPassedButLeftOnesAre)
{
    button->ConnectMouseButton(boost::bind(&Trace::Mouse, &trace, "button", _1));
    button->DoubleClicked.connect(boost::bind(&Trace::Mouse, &trace, "double", _1));
    w.MoveMouse(170, 160);
    w.Post(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(170, 160));
    w.Post(WM_MBUTTONDBLCLK, MK_MBUTTON, MAKELPARAM(170, 160));
    w.Post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(170, 160));
    w.Pump(1);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"button 515 70,60", "double 515 70,60"}));
}

TEST_F(Input, PointerPositionIsSignedSixteenBit)
{
    w.window->ConnectMouseMoved(boost::bind(&Trace::Mouse, &trace, "moved", _1));
    w.MoveMouse(-5, -20);
    w.Post(WM_MOUSEMOVE, 0, static_cast<LPARAM>(0x0001FFFFu)); // x = -1, y = 1
    w.Pump(1);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"moved 512 -5,-20", "moved 512 -1,1"}));
}

TEST_F(Input, WheelPassesItsPositionUnchanged)
{
    w.window->ConnectMouseButton(boost::bind(&Trace::Mouse, &trace, "wheel", _1));
    w.Post(WM_MOUSEWHEEL, (120u << 16) | MK_LBUTTON, MAKELPARAM(1000, 700));
    w.Pump(1);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"wheel 522 1000,700"}));
    EXPECT_TRUE(w.window->IsMouseButtonDown());
}

TEST_F(Input, KeyMessagesReachTheWindowAndTheFocusedChild)
{
    button->SetFocusable(true);
    button->SetFocus(true);
    ASSERT_EQ(w.window->GetFocusedChild(), dialog);
    w.window->ConnectKeyDown(boost::bind(&Trace::Key, &trace, "window down", _1));
    button->ConnectKeyDown(boost::bind(&Trace::Key, &trace, "button down", _1));
    button->ConnectKeyMessage(boost::bind(&Trace::Key, &trace, "button message", _1));

    w.Post(WM_KEYDOWN, VK_F1, 1);
    w.Post(WM_DEADCHAR, '^', 1);
    w.Post(WM_SYSKEYDOWN, VK_F12, 1);
    w.Pump(1);
    EXPECT_EQ(trace.lines,
              (std::vector<std::string>{"window down 256 112", "button down 256 112",
                                        "button message 256 112", "window down 260 123",
                                        "button down 260 123", "button message 260 123"}));
}

TEST_F(Input, TypedTextArrivesAsCharacterMessages)
{
    std::wstring typed;
    w.window->ConnectKeyMessage([&typed](const IMKeyboardEvent& e) -> long {
        if (e.IsMessage(WM_CHAR))
            typed.push_back(static_cast<wchar_t>(e.wParam));
        return 0;
    });
    w.TypeText(L"Иван 7");
    w.Pump(1);
    EXPECT_EQ(typed, L"Иван 7");
}

TEST_F(Input, HoverFollowsPostedMoves)
{
    button->ConnectMouseEntered(boost::bind(&Trace::Mouse, &trace, "entered", _1));
    button->ConnectMouseLeft(boost::bind(&Trace::Mouse, &trace, "left", _1));
    w.MoveMouse(170, 160);
    w.MoveMouse(10, 10);
    w.Pump(1);
    EXPECT_EQ(trace.lines, (std::vector<std::string>{"entered 523 70,60", "left 675 10,10"}));
}
