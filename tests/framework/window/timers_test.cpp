// The window's timers: identifiers, which fire in a pass and in what order,
// and removal from inside the timer walk.
#include "support/headless_window.h"

#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <vector>

using namespace boost::placeholders;
using testing_support::HeadlessWindow;

namespace {

// A chain of one-shot timers, as the glides and blinks are made: each tick
// removes its own timer and starts the next one.
struct Chain : boost::signals2::trackable {
    Chain(IMWindow* window, int steps) : window(window), left(steps) { Next(); }

    void Next()
    {
        id = window->AddTimer(0);
        window->ConnectTimer(id, boost::bind(&Chain::Tick, this, _1));
    }

    long Tick(const IMEvent&)
    {
        ++ticks;
        window->RemoveTimer(id);
        if (--left > 0)
            Next();
        return 0;
    }

    IMWindow* window;
    int left;
    int id = 0;
    int ticks = 0;
};

IMSignal<IMEvent>::slot_type Record(std::vector<int>* log, int value)
{
    return [log, value](const IMEvent&) -> long {
        log->push_back(value);
        return 0;
    };
}

} // namespace

TEST(WindowTimers, IdentifiersStartAtOneAndAreNeverReused)
{
    HeadlessWindow w;
    const int first = w.window->AddTimer(100);
    EXPECT_EQ(first, 1);
    w.window->RemoveTimer(first);
    EXPECT_EQ(w.window->AddTimer(100), 2);
    EXPECT_FALSE(w.window->HasTimer(1));
}

TEST(WindowTimers, UnknownIdentifiersAreIgnored)
{
    HeadlessWindow w;
    const int id = w.window->AddTimer(0);
    EXPECT_EQ(w.window->RemoveTimer(0), 0);
    EXPECT_EQ(w.window->RemoveTimer(id + 7), 0);
    EXPECT_TRUE(w.window->HasTimer(id));
    std::vector<int> log;
    EXPECT_FALSE(w.window->ConnectTimer(0, Record(&log, 1)).connected());
    EXPECT_FALSE(w.window->ConnectTimer(id + 7, Record(&log, 1)).connected());
}

TEST(WindowTimers, IntervalZeroFiresOnEveryPass)
{
    HeadlessWindow w;
    std::vector<int> log;
    const int id = w.window->AddTimer(0);
    w.window->ConnectTimer(id, Record(&log, id));
    ASSERT_EQ(w.Pump(5), 5);
    EXPECT_EQ(log.size(), 5u);
}

TEST(WindowTimers, LongIntervalDoesNotFireAtOnce)
{
    HeadlessWindow w;
    std::vector<int> log;
    w.window->ConnectTimer(w.window->AddTimer(3600u * 1000u), Record(&log, 1));
    w.Pump(3);
    EXPECT_TRUE(log.empty());
}

TEST(WindowTimers, LowerIdentifierFiresFirst)
{
    HeadlessWindow w;
    std::vector<int> log;
    const int a = w.window->AddTimer(0);
    const int b = w.window->AddTimer(0);
    const int c = w.window->AddTimer(0);
    w.window->ConnectTimer(c, Record(&log, c));
    w.window->ConnectTimer(b, Record(&log, b));
    w.window->ConnectTimer(a, Record(&log, a));
    w.Pump(1);
    EXPECT_EQ(log, (std::vector<int>{a, b, c}));
}

TEST(WindowTimers, TimerRemovingItselfWhileFiringIsSafe)
{
    HeadlessWindow w;
    std::vector<int> log;
    const int id = w.window->AddTimer(0);
    IMControl::Connection second;
    w.window->ConnectTimer(id, [&](const IMEvent&) -> long {
        w.window->RemoveTimer(id);
        log.push_back(1);
        return 0;
    });
    second = w.window->ConnectTimer(id, Record(&log, 2));
    w.window->ConnectTimer(id, Record(&log, 3));
    w.Pump(3);
    // Its later slots were cut with it; it never fires again.
    EXPECT_EQ(log, (std::vector<int>{1}));
    EXPECT_FALSE(second.connected());
    EXPECT_FALSE(w.window->HasTimer(id));
}

TEST(WindowTimers, ChainOfOneShotTimersAdvancesOneStepPerPass)
{
    HeadlessWindow w;
    Chain chain(w.window, 4);
    w.Pump(1);
    EXPECT_EQ(chain.ticks, 1); // the timer added during the walk waits for the next pass
    w.Pump(2);
    EXPECT_EQ(chain.ticks, 3);
    w.Pump(5);
    EXPECT_EQ(chain.ticks, 4);
    EXPECT_FALSE(w.window->HasTimer(chain.id));
}

TEST(WindowTimers, RemovingTheNextTimerOfThePassSkipsIt)
{
    HeadlessWindow w;
    std::vector<int> log;
    const int a = w.window->AddTimer(0);
    const int b = w.window->AddTimer(0);
    const int c = w.window->AddTimer(0);
    w.window->ConnectTimer(a, [&](const IMEvent&) -> long {
        log.push_back(a);
        w.window->RemoveTimer(b);
        return 0;
    });
    w.window->ConnectTimer(b, Record(&log, b));
    w.window->ConnectTimer(c, Record(&log, c));
    w.Pump(2);
    EXPECT_EQ(log, (std::vector<int>{a, c, a, c}));
}

TEST(WindowTimers, RemovingEveryTimerFromOneSlotEndsThePass)
{
    HeadlessWindow w;
    std::vector<int> log;
    std::vector<int> ids;
    for (int i = 0; i < 4; ++i)
        ids.push_back(w.window->AddTimer(0));
    w.window->ConnectTimer(ids[1], [&](const IMEvent&) -> long {
        log.push_back(ids[1]);
        for (int id : ids)
            w.window->RemoveTimer(id);
        return 0;
    });
    for (int i : {0, 2, 3})
        w.window->ConnectTimer(ids[i], Record(&log, ids[i]));
    w.Pump(2);
    EXPECT_EQ(log, (std::vector<int>{ids[0], ids[1]}));
}

TEST(WindowTimers, SlotBoundToADeletedControlIsCut)
{
    HeadlessWindow w;
    auto* dialog = IMDialogBase<IMEmptyView>::Create(w.window, 0, 0, 10, 10, 0);
    const int id = w.window->AddTimer(0);
    IMControl::Connection c = w.window->ConnectTimer(id, boost::bind(&IMControl::Hide, dialog));
    w.Pump(1);
    EXPECT_TRUE(dialog->IsHidden());
    dialog->Close();
    w.Pump(2);
    EXPECT_FALSE(c.connected());
}
