// The control base: when signals fire relative to the flags they report,
// what the slots receive, how clicks are made of button messages, the
// keyboard road and the life of connections.
#include "support/probe_control.h"

#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace boost::placeholders;
using testing_support::Probe;
using testing_support::ProbeLog;

namespace {

// Records what reached it, with the state of the watched control at that moment.
struct Recorder : boost::signals2::trackable {
    explicit Recorder(IMControl* watched = nullptr) : watched(watched) {}

    long OnEvent(const std::string& what, const IMEvent& e)
    {
        events.push_back(what);
        codes.push_back(e.code);
        senders.push_back(e.sender);
        if (watched) {
            enabledSeen.push_back(watched->IsEnabled());
            hiddenSeen.push_back(watched->IsHidden());
        }
        return 0;
    }

    long OnMouse(const std::string& what, const IMMouseEvent& e)
    {
        events.push_back(what);
        codes.push_back(e.code);
        senders.push_back(e.sender);
        positions.push_back(POINT{e.x, e.y});
        wParams.push_back(e.wParam);
        return 0;
    }

    long OnKey(const std::string& what, const IMKeyboardEvent& e)
    {
        events.push_back(what);
        codes.push_back(e.code);
        wParams.push_back(e.wParam);
        return 0;
    }

    IMControl* watched;
    std::vector<std::string> events;
    std::vector<int> codes;
    std::vector<IMControl*> senders;
    std::vector<bool> enabledSeen;
    std::vector<bool> hiddenSeen;
    std::vector<POINT> positions;
    std::vector<DWORD> wParams;
};

// A control of its own, without a parent.
struct Lone : public ::testing::Test {
    Lone() : control(nullptr, RECT{0, 0, 50, 50}, 0, "lone", nullptr), recorder(&control) {}

    void WireMouse()
    {
        control.ConnectMouseButton(boost::bind(&Recorder::OnMouse, &recorder, "button", _1));
        control.ConnectClicked(boost::bind(&Recorder::OnMouse, &recorder, "clicked", _1));
        control.DoubleClicked.connect(boost::bind(&Recorder::OnMouse, &recorder, "double", _1));
        control.ConnectMouseMoved(boost::bind(&Recorder::OnMouse, &recorder, "moved", _1));
        control.ConnectMouseEntered(boost::bind(&Recorder::OnMouse, &recorder, "entered", _1));
        control.ConnectMouseLeft(boost::bind(&Recorder::OnMouse, &recorder, "left", _1));
    }

    void WireKeys()
    {
        control.ConnectKeyDown(boost::bind(&Recorder::OnKey, &recorder, "down", _1));
        control.KeyUp.connect(boost::bind(&Recorder::OnKey, &recorder, "up", _1));
        control.ConnectKeyMessage(boost::bind(&Recorder::OnKey, &recorder, "message", _1));
    }

    void Button(int code, DWORD wParam, int x = 5, int y = 6)
    {
        control.OnMouseButton(IMMouseEvent(nullptr, code, wParam, x, y));
    }

    Probe control;
    Recorder recorder;
};

} // namespace

TEST_F(Lone, StateSignalsFireBeforeTheFlagChanges)
{
    control.ConnectDisabled(boost::bind(&Recorder::OnEvent, &recorder, "disabled", _1));
    control.ConnectEnabled(boost::bind(&Recorder::OnEvent, &recorder, "enabled", _1));
    control.ConnectHidden(boost::bind(&Recorder::OnEvent, &recorder, "hidden", _1));
    control.ConnectShown(boost::bind(&Recorder::OnEvent, &recorder, "shown", _1));

    control.Disable();
    EXPECT_FALSE(control.IsEnabled());
    control.Enable();
    EXPECT_TRUE(control.IsEnabled());
    control.Hide();
    EXPECT_TRUE(control.IsHidden());
    control.Show();
    EXPECT_FALSE(control.IsHidden());

    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"disabled", "enabled", "hidden", "shown"}));
    EXPECT_EQ(recorder.enabledSeen, (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ(recorder.hiddenSeen, (std::vector<bool>{false, false, false, true}));
    for (size_t i = 0; i < recorder.codes.size(); ++i) {
        EXPECT_EQ(recorder.codes[i], 0);
        EXPECT_EQ(recorder.senders[i], &control);
    }
}

TEST_F(Lone, SlotsRunInTheOrderOfConnection)
{
    std::vector<int> order;
    for (int i = 0; i < 5; ++i)
        control.ConnectChanged([&order, i](const IMEvent&) -> long {
            order.push_back(i);
            return 0;
        });
    control.SetDirty(true);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST_F(Lone, SignalWithoutUsableSlotIsNotFired)
{
    // No slot at all.
    EXPECT_NO_THROW(control.Close());

    // Its only slot blocked: nothing runs, nothing is thrown; unblocked, it runs.
    int calls = 0;
    IMControl::Connection c = control.ConnectChanged([&calls](const IMEvent&) -> long {
        ++calls;
        return 0;
    });
    {
        boost::signals2::shared_connection_block block(c);
        EXPECT_NO_THROW(control.SetDirty(true));
        EXPECT_EQ(calls, 0);
        block.unblock();
        control.SetDirty(true);
        EXPECT_EQ(calls, 1);
        block.block();
        control.SetDirty(true);
        EXPECT_EQ(calls, 1);
    }
    control.SetDirty(true);
    EXPECT_EQ(calls, 2);
}

TEST_F(Lone, PressAndReleaseMakeAClick)
{
    WireMouse();
    Button(513, 0x0001, 7, 8);
    Button(514, 0, 7, 8);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"button", "clicked", "button"}));
    EXPECT_EQ(recorder.codes[1], 524);
    EXPECT_EQ(recorder.positions[1].x, 7);
    EXPECT_EQ(recorder.positions[1].y, 8);
    EXPECT_FALSE(control.IsMouseButtonDown());
}

TEST_F(Lone, ClickCodeComesFromTheReleasedButton)
{
    WireMouse();
    Button(513, 0x0001);
    Button(517, 0);
    Button(519, 0x0010);
    Button(520, 0);
    ASSERT_EQ(recorder.codes.size(), 6u);
    EXPECT_EQ(recorder.codes[1], 525);
    EXPECT_EQ(recorder.codes[4], 526);
}

TEST_F(Lone, ReleaseWithoutPressIsNoClick)
{
    WireMouse();
    Button(514, 0);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"button"}));
}

TEST_F(Lone, ReleaseWhileAnotherButtonStaysHeldIsStillAClick)
{
    WireMouse();
    Button(513, 0x0001);
    Button(516, 0x0001 | 0x0002);
    Button(514, 0x0002);
    EXPECT_TRUE(control.IsMouseButtonDown());
    Button(517, 0);
    EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "clicked"), 2);
}

TEST_F(Lone, DisabledControlTracksButtonsButFiresNoButtonSignals)
{
    WireMouse();
    WireKeys();
    control.Disable();
    Button(513, 0x0001);
    EXPECT_TRUE(control.IsMouseButtonDown());
    Button(515, 0x0001);
    Button(514, 0);
    EXPECT_FALSE(control.IsMouseButtonDown());
    control.OnMouseMove(IMMouseEvent(nullptr, 512, 0, 1, 1));
    control.OnMouseEnter(IMMouseEvent(nullptr, 523, 0, 1, 1));
    control.OnMouseLeave(IMMouseEvent(nullptr, 675, 0, 1, 1));
    control.OnKey(IMKeyboardEvent(nullptr, 256, 13, 0));
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"moved", "entered", "left", "down", "message"}));

    // The press seen while disabled still counts once the control is enabled again.
    recorder.events.clear();
    Button(513, 0x0001);
    control.Enable();
    Button(514, 0);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"clicked", "button"}));
}

TEST_F(Lone, LeftDoubleClickFiresDoubleClicked)
{
    WireMouse();
    Button(515, 0x0001, 9, 9);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"button", "double"}));
    EXPECT_EQ(recorder.codes[1], 515);
    EXPECT_TRUE(control.IsMouseButtonDown());
}

TEST_F(Lone, WheelHoldsAButtonOnlyForASingleButtonFlag)
{
    Button(522, (120u << 16) | 0x0001);
    EXPECT_TRUE(control.IsMouseButtonDown());
    Button(522, (120u << 16) | 0x0003);
    EXPECT_FALSE(control.IsMouseButtonDown());
    Button(522, (120u << 16) | 0x0010);
    EXPECT_TRUE(control.IsMouseButtonDown());
    Button(522, (120u << 16) | 0x0004);
    EXPECT_FALSE(control.IsMouseButtonDown());
}

TEST_F(Lone, OnClickFiresEvenWhenDisabled)
{
    WireMouse();
    control.Disable();
    Probe other(nullptr, RECT{0, 0, 1, 1}, 0, "other", nullptr);
    control.OnClick(IMMouseEvent(&other, 524, 1, 2, 3));
    ASSERT_EQ(recorder.events, (std::vector<std::string>{"clicked"}));
    EXPECT_EQ(recorder.senders[0], &other); // a copy of the event as given
}

TEST_F(Lone, KeyboardRoad)
{
    WireKeys();
    control.Disable(); // no enabled test on the keyboard road
    control.OnKey(IMKeyboardEvent(nullptr, 256, 27, 0));
    control.OnKey(IMKeyboardEvent(nullptr, 258, L'ж', 0));
    control.OnKey(IMKeyboardEvent(nullptr, 257, 27, 0));
    control.OnKey(IMKeyboardEvent(nullptr, 260, 0x73, 0));
    control.OnKey(IMKeyboardEvent(nullptr, 261, 0x73, 0));
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"down", "message", "message", "up", "message", "down",
                                        "message", "up", "message"}));
    EXPECT_EQ(recorder.wParams[2], static_cast<DWORD>(L'ж'));
}

TEST_F(Lone, FocusChangesOnlyWhenFocusableAndDifferent)
{
    control.ConnectFocusGained(boost::bind(&Recorder::OnEvent, &recorder, "gained", _1));
    control.ConnectFocusLost(boost::bind(&Recorder::OnEvent, &recorder, "lost", _1));
    control.SetFocus(true);
    EXPECT_FALSE(control.IsFocused());
    EXPECT_TRUE(recorder.events.empty());

    control.SetFocusable(true);
    control.SetFocus(true);
    control.SetFocus(true);
    control.SetFocus(false);
    control.SetFocus(false);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"gained", "lost"}));
    EXPECT_EQ(recorder.codes, (std::vector<int>{17, 18}));
}

TEST_F(Lone, PaintClearsDirtyThenFiresPainted)
{
    bool dirtyInSlot = true;
    control.Painted.connect([&](const IMEvent& e) -> long {
        dirtyInSlot = control.IsDirty();
        EXPECT_EQ(e.code, 15);
        return 0;
    });
    control.SetDirty(true);
    control.OnPaint(IMEvent(nullptr, 99));
    EXPECT_FALSE(dirtyInSlot);
}

TEST_F(Lone, CloseFiresClosingThenDestroyCutsAllButTheFocusSignals)
{
    control.SetFocusable(true);
    control.ConnectClosing(boost::bind(&Recorder::OnEvent, &recorder, "closing", _1));
    control.ConnectChanged(boost::bind(&Recorder::OnEvent, &recorder, "changed", _1));
    control.ConnectFocusGained(boost::bind(&Recorder::OnEvent, &recorder, "gained", _1));
    control.ConnectFocusLost(boost::bind(&Recorder::OnEvent, &recorder, "lost", _1));
    WireMouse();
    WireKeys();

    control.Close();
    ASSERT_EQ(recorder.events, (std::vector<std::string>{"closing"}));
    EXPECT_EQ(recorder.codes[0], 16);

    control.SetDirty(true);
    Button(513, 1);
    Button(514, 0);
    control.OnKey(IMKeyboardEvent(nullptr, 256, 13, 0));
    control.Close();
    control.SetFocus(true);
    control.SetFocus(false);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"closing", "gained", "lost"}));
}

TEST(ControlConnections, SlotBoundToAControlEndsWithIt)
{
    Probe source(nullptr, RECT{0, 0, 10, 10}, 0, "source", nullptr);
    IMControl::Connection connection;
    {
        Probe target(nullptr, RECT{0, 0, 10, 10}, 0, "target", nullptr);
        connection = source.ConnectClicked(boost::bind(&IMControl::OnClick, &target, _1));
        EXPECT_TRUE(connection.connected());
    }
    EXPECT_FALSE(connection.connected());
    EXPECT_NO_THROW(source.OnClick(IMMouseEvent(nullptr, 524, 0, 1, 1)));
}

TEST(ControlConnections, SlotBoundToADeadControlIsNotConnected)
{
    Probe source(nullptr, RECT{0, 0, 10, 10}, 0, "source", nullptr);
    IMControl::MouseSignal::slot_type slot(
        boost::bind(&IMControl::OnClick, static_cast<IMControl*>(nullptr), _1));
    {
        Probe target(nullptr, RECT{0, 0, 10, 10}, 0, "target", nullptr);
        slot = IMControl::MouseSignal::slot_type(boost::bind(&IMControl::OnClick, &target, _1));
    }
    EXPECT_FALSE(source.ConnectClicked(slot).connected());
}

TEST(ControlIdentifiers, TakenFromOneCounterAndNeverReused)
{
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i) {
        Probe p(nullptr, RECT{0, 0, 1, 1}, 0, "p", nullptr);
        ids.push_back(p.GetId());
    }
    EXPECT_EQ(ids[1], ids[0] + 1);
    EXPECT_EQ(ids[2], ids[0] + 2);
}

TEST(ControlIdentifiersDeathTest, FirstControlOfTheProcessGetsZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process: its first control.
    EXPECT_EXIT(
        {
            Probe first(nullptr, RECT{0, 0, 1, 1}, 0, "first", nullptr);
            std::exit(first.GetId() == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
