// The main loop: messages are drained before frame work; the update and the
// render pass, and what stops them (minimising, a lost device); how the
// loop ends.
#include "framework/controls/IMAnimationBase.h"
#include "framework/views/IMSequenceView.h"
#include "platform/kernel32.h"
#include "support/headless_window.h"
#include "support/probe_control.h"

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace boost::placeholders;
using testing_support::HeadlessWindow;
using testing_support::Probe;
using testing_support::ProbeLog;

namespace {

long Count(int* counter, const IMEvent&)
{
    ++*counter;
    return 0;
}

long CountKey(int* counter, const IMKeyboardEvent&)
{
    ++*counter;
    return 0;
}

} // namespace

TEST(MainLoop, QueuedMessagesAreDrainedBeforeTheUpdate)
{
    HeadlessWindow w;
    w.Pump(2);
    int keys = 0;
    std::vector<int> keysAtUpdate;
    w.window->ConnectKeyDown(boost::bind(&CountKey, &keys, _1));
    w.window->ConnectUpdated([&](const IMEvent&) -> long {
        keysAtUpdate.push_back(keys);
        return 0;
    });
    for (int i = 0; i < 5; ++i)
        w.Post(WM_KEYDOWN, 'A' + i, 1);
    w.Pump(1);
    EXPECT_EQ(keysAtUpdate, (std::vector<int>{5}));
}

TEST(MainLoop, RenderPresentsOnlyWhenSomethingIsDirty)
{
    HeadlessWindow w;
    w.Pump(2);
    IMResourceManager* manager = w.Manager();
    const int presents = w.Presents();
    const DWORD frames = manager->frameCount;

    w.Pump(3); // nothing dirty: counted, not drawn
    EXPECT_EQ(manager->frameCount, frames + 3);
    EXPECT_EQ(w.Presents(), presents);

    // Something drawn before the pass is cleared away by it: the frame is black.
    manager->Device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    w.window->SetDirty(true);
    w.Pump(1);
    EXPECT_EQ(manager->frameCount, frames + 4);
    EXPECT_EQ(w.Presents(), presents + 1);
    const platform::d3d9test::Frame frame =
        platform::d3d9test::LastPresentedFrame(manager->Device());
    ASSERT_FALSE(frame.Empty());
    EXPECT_EQ(frame.At(0, 0), 0xFF000000u);
    EXPECT_EQ(frame.At(799, 599), 0xFF000000u);
    D3DVIEWPORT9 viewport;
    manager->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 800u);
    EXPECT_EQ(viewport.Height, 600u);
    EXPECT_FALSE(w.window->IsDirty());
}

TEST(MainLoop, NewChildIsPaintedOnceAfterItJoins)
{
    ProbeLog log;
    HeadlessWindow w;
    w.Pump(3); // the first frames shown expose the window: it repaints once
    new Probe(w.window, RECT{0, 0, 10, 10}, 0, "child", &log);
    w.Pump(1); // joins and is painted at once, the tree being dirty
    ASSERT_EQ(log.draws.size(), 1u);
    w.Pump(2);
    EXPECT_EQ(log.draws.size(), 1u);
}

TEST(MainLoop, MinimisedPassesAreNotCountedButUpdatesAndTimersGoOn)
{
    HeadlessWindow w;
    w.Pump(2);
    IMResourceManager* manager = w.Manager();
    int updates = 0;
    int ticks = 0;
    w.window->ConnectUpdated(boost::bind(&Count, &updates, _1));
    w.window->ConnectTimer(w.window->AddTimer(0), boost::bind(&Count, &ticks, _1));

    for (UINT begin : {0u, 1u, 2u}) {
        if (begin == 0)
            w.Post(WM_SIZE, SIZE_MINIMIZED, 0);
        else if (begin == 1)
            w.Post(WM_ENTERSIZEMOVE);
        else
            w.Post(WM_SHOWWINDOW, 0, 0);
        w.Pump(1);
        ASSERT_TRUE(w.window->IsMinimized()) << begin;
        const DWORD frames = manager->frameCount;
        updates = ticks = 0;
        w.window->SetDirty(true);
        const int presents = w.Presents();
        w.Pump(4);
        EXPECT_EQ(manager->frameCount, frames);
        EXPECT_EQ(w.Presents(), presents);
        EXPECT_EQ(updates, 4);
        EXPECT_EQ(ticks, 4);

        if (begin == 0)
            w.Post(WM_SIZE, SIZE_RESTORED, 0);
        else if (begin == 1)
            w.Post(WM_EXITSIZEMOVE);
        else
            w.Post(WM_SHOWWINDOW, 1, 0);
        w.Pump(1);
        EXPECT_FALSE(w.window->IsMinimized());
        EXPECT_EQ(manager->frameCount, frames + 1);
        EXPECT_EQ(w.Presents(), presents + 1);
    }
}

TEST(MainLoop, LostDeviceStopsFrameWorkAndPointerMovesButNotClicksOrTimers)
{
    ProbeLog log;
    HeadlessWindow w;
    Probe* child = new Probe(w.window, RECT{100, 100, 200, 200}, 0, "child", &log);
    w.Pump(1);
    w.MoveMouse(150, 150);
    w.Pump(1);
    ASSERT_EQ(w.window->GetHoveredChild(), child);

    int moves = 0;
    int clicks = 0;
    int updates = 0;
    int ticks = 0;
    child->ConnectMouseMoved([&moves](const IMMouseEvent&) -> long { return ++moves, 0; });
    child->ConnectClicked([&clicks](const IMMouseEvent&) -> long { return ++clicks, 0; });
    w.window->ConnectUpdated(boost::bind(&Count, &updates, _1));
    w.window->ConnectTimer(w.window->AddTimer(0), boost::bind(&Count, &ticks, _1));
    const DWORD frames = w.Manager()->frameCount;

    w.LoseDevice();
    w.MoveMouse(160, 160);
    w.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(160, 160));
    w.Post(WM_LBUTTONUP, 0, MAKELPARAM(160, 160));
    w.Pump(3);
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(w.Manager()->frameCount, frames);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(w.Manager()->IsDeviceLost());

    // A failed re-creation leaves it lost; the next paint message tries again.
    w.faults.FailCreate(true);
    w.Post(WM_PAINT);
    w.Pump(1);
    EXPECT_TRUE(w.Manager()->IsDeviceLost());
    EXPECT_EQ(updates, 0);

    EXPECT_EQ(w.Manager()->Device(), nullptr);
    w.faults.FailCreate(false);
    w.window->SetDirty(false);
    w.Post(WM_PAINT);
    w.Pump(1);
    EXPECT_FALSE(w.Manager()->IsDeviceLost());
    ASSERT_NE(w.Manager()->Device(), nullptr);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(w.Presents(), 1); // a new device; the paint message made the window dirty
    w.MoveMouse(170, 170);
    w.Pump(1);
    EXPECT_EQ(moves, 1);
}

TEST(MainLoop, SystemCloseSkipsClosingButClosesChildrenAndQuits)
{
    ProbeLog log;
    HeadlessWindow w;
    new Probe(w.window, RECT{0, 0, 10, 10}, 0, "child", &log);
    w.Pump(1);
    log.events.clear();
    int closing = 0;
    w.window->ConnectClosing(boost::bind(&Count, &closing, _1));
    w.Post(WM_CLOSE);
    w.Pump(5);
    EXPECT_TRUE(w.quit);
    EXPECT_EQ(closing, 0);
    EXPECT_EQ(log.events.front(), "close child");
}

TEST(MainLoop, CloseFiresClosingBeforeAnyChildIsClosedThenQuits)
{
    ProbeLog log;
    HeadlessWindow w;
    new Probe(w.window, RECT{0, 0, 10, 10}, 0, "child", &log);
    w.Pump(1);
    log.events.clear();
    w.window->ConnectClosing([&log](const IMEvent&) -> long {
        log.events.push_back("closing");
        return 0;
    });
    w.window->Close();
    EXPECT_EQ(log.events, (std::vector<std::string>{"closing", "close child"}));
    EXPECT_EQ(w.Pump(3), 0);
    EXPECT_TRUE(w.quit);
}

TEST(MainLoop, RunReturnsOnceTheQuitMessageIsTaken)
{
    HeadlessWindow w;
    int updates = 0;
    w.window->ConnectUpdated(boost::bind(&Count, &updates, _1));
    const int id = w.window->AddTimer(0);
    w.window->ConnectTimer(id, [&](const IMEvent&) -> long {
        if (updates >= 3)
            w.window->Close();
        return 0;
    });
    EXPECT_EQ(IMWindow::Run(w.window), 0);
    EXPECT_EQ(updates, 3);
}

namespace {

// Notes whether the renderer still existed when it was deleted.
class Witness : public Probe {
public:
    Witness(IMDialogBase<IMEmptyView>* parent, const std::string& name, ProbeLog* log)
        : Probe(parent, RECT{0, 0, 10, 10}, 0, name, log)
    {}
    ~Witness() override
    {
        if (IMResourceManager::Instance())
            log->events.push_back(name + " saw the renderer");
    }
};

} // namespace

TEST(MainLoop, ChildrenLeftAtTheEndGoWithTheWindowWhileTheRendererExists)
{
    ProbeLog log;
    {
        HeadlessWindow w;
        new Witness(w.window, "live", &log);
        w.Pump(1);
        new Witness(w.window, "pending", &log);
        Probe* queued = new Witness(w.window, "queued", &log);
        w.Pump(1);
        queued->Close();
    }
    for (const char* name : {"live", "pending", "queued"})
        EXPECT_NE(std::find(log.events.begin(), log.events.end(),
                            std::string(name) + " saw the renderer"),
                  log.events.end())
            << name;
    EXPECT_EQ(IMResourceManager::Instance(), nullptr);
    EXPECT_EQ(IMWindow::Instance(), nullptr);
}

TEST(MainLoop, ShutdownReportsTheFrameRate)
{
    std::vector<std::wstring> lines;
    platform::SetDebugOutputSink([&lines](const std::wstring& text) { lines.push_back(text); });
    {
        HeadlessWindow w;
        w.Pump(3);
    }
    platform::SetDebugOutputSink(nullptr);
    ASSERT_FALSE(lines.empty());
    const std::wstring& last = lines.back();
    EXPECT_EQ(last.rfind(L"FPS: ", 0), 0u);
    EXPECT_EQ(last.back(), L'\n');
    EXPECT_NE(last.find_first_of(L"0123456789"), std::wstring::npos);
}

TEST(MainLoop, BetweenFramesAndTimersTheLoopSleepsInsteadOfPolling)
{
    HeadlessWindow w;
    w.Pump(2);
    bool fired = false;
    w.window->ConnectTimer(w.window->AddTimer(80), [&fired](const IMEvent&) -> long {
        fired = true;
        return 0;
    });
    int passes = 0;
    while (!fired && passes < 1000) {
        w.Pump(1);
        ++passes;
    }
    EXPECT_TRUE(fired);
    // Frames drawn just before keep the passes at the refresh rate for a
    // while: 80 ms take about 7 passes at 75 Hz, not 80 of a millisecond.
    // A loaded machine only makes the passes longer, never more.
    EXPECT_LE(passes, 12);
}

TEST(MainLoop, WhileThingsMoveAPresentHeldToTheRefreshIsTheFramesOnlySleep)
{
    HeadlessWindow w;
    w.Pump(2);
    bool moving = true;
    w.window->ConnectUpdated([&](const IMEvent&) -> long {
        if (moving)
            w.window->SetDirty(true);
        return 0;
    });
    // Presents that do not wait (headless): the loop sleeps till shortly
    // before the next frame is due.
    w.Pump(2);
    EXPECT_GT(w.window->NextIdleWait(), 0u);
    // Presents held to the refresh, as on a display: the next pass comes at
    // once, its present waiting for the frame's turn.
    platform::SetPresentFunction(
        [](HWND, const uint32_t*, int, int, int, const platform::PresentChange&) {
            platform::CountHeldPresent();
        });
    w.Pump(1);
    EXPECT_EQ(w.window->NextIdleWait(), 0u);
    // A pass that presents nothing does not come again at once: it would spin.
    moving = false;
    w.Pump(1);
    EXPECT_GT(w.window->NextIdleWait(), 0u);
    platform::SetPresentFunction(nullptr);
}

TEST(MainLoop, FramesATimerMakesDoNotKeepTheLoopAtTheRefreshRate)
{
    // A caret's blink: each tick dirties the window and one frame is drawn;
    // nothing moves by the clock, so the loop sleeps until the next tick.
    HeadlessWindow w;
    w.Pump(2);
    int ticks = 0;
    w.window->ConnectTimer(w.window->AddTimer(500), [&](const IMEvent&) -> long {
        ++ticks;
        w.window->SetDirty(true);
        return 0;
    });
    int passes = 0;
    while (ticks < 3 && passes < 1000) {
        IMWindow::RunPass(w.window);
        // Driven time does not sleep: it moves on by what the loop would wait.
        platform::clock::AdvanceMs(std::max<DWORD>(1, w.window->NextIdleWait()));
        ++passes;
    }
    EXPECT_EQ(ticks, 3);
    // A tick's pass and the frame's pass, and no look round between ticks:
    // at the refresh rate it would be about 38 passes a tick.
    EXPECT_LE(passes, 7);
}

TEST(MainLoop, APlayerThatGoesOnIsLookedAtOftenThoughItsFramesAreSlow)
{
    HeadlessWindow w;
    w.Pump(2);
    // Nothing goes by the clock and no timer is set: a long sleep.
    EXPECT_GE(w.window->NextIdleWait(), 500u);

    // Frames of 1.17 s: between them nothing changes on the screen, and
    // nothing but the loop's look round steps the player.
    auto* player = new IMAnimationBase<IMSequenceView>(w.window, 0);
    for (const wchar_t* skin : {L"PrintButton", L"PrintButtonNuv", L"PrintButton"})
        player->AddFrame(skin);
    player->SetLastFrame(2);
    player->period = 70000;
    w.Pump(1);
    std::vector<LONGLONG> changes;
    player->ConnectFrameChanged([&changes](const IMEvent&) -> long {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        changes.push_back(now.QuadPart);
        return 0;
    });
    player->Play();
    int passes = 0;
    while (player->IsPlaying() && passes < 1000) {
        IMWindow::RunPass(w.window);
        platform::clock::AdvanceMs(std::max<DWORD>(1, w.window->NextIdleWait()));
        ++passes;
    }
    EXPECT_FALSE(player->IsPlaying());
    // Play's own firing, then frames 1 and 2, each shown a look round (a
    // tenth of a second) at most after its time.
    ASSERT_EQ(changes.size(), 3u);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const LONGLONG f = frequency.QuadPart;
    for (int n = 1; n <= 2; ++n) {
        const LONGLONG due = player->start + n * f * 70000 / 60000;
        EXPECT_GE(changes[n], due) << n;
        EXPECT_LE(changes[n] - due, f * 110 / 1000) << n;
    }
}
