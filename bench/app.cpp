// The exercise in the headless main window, as the program runs it:
// - the frame time while a bubble flies: one update pass of the control tree
//   and one full render pass (background and bubble), on one core;
// - the time from a click posted at a bubble's centre to the end of the loop
//   pass whose frame first shows the burst's first stage. The burst's first
//   stage is due 40 ms after the pop by design; the rest is the program's.
#include <benchmark/benchmark.h>

#include "app/App.h"
#include "app/exercise/Bubble.h"
#include "app/exercise/description.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

#include <cstdlib>
#include <string>

namespace {

double Seconds()
{
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The application with a run in progress that does not end while measured.
App& RunningExercise()
{
    static App* app = nullptr;
    if (app)
        return *app;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char folder[] = "/tmp/kvarlop-bench-XXXXXX";
    if (const char* made = mkdtemp(folder))
        setenv("XDG_DATA_HOME", made, 1);
    app = &IMApp<App>::Instance(exercise::kInstanceName, 0);
    app->bubbleCount = 1000000;
    app->initialSpeed = app->finalSpeed = 10;
    app->StartWithPupil(L"", nullptr);
    // Esc skips the instruction: the run starts.
    PostMessageW(IMWindow::Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    for (int i = 0; i < 5 || !app->exerciseDialog; ++i)
        IMWindow::RunPass(app->mainWindow);
    return *app;
}

void Pass(App& app)
{
    IMWindow::RunPass(app.mainWindow);
}

bool CentreOnScreen(App& app, POINT* centre)
{
    if (!app.bubble || app.bubble->IsPlaying())
        return false;
    RECT r;
    app.bubble->GetRect(&r);
    *centre = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return centre->x >= 60 && centre->x < 740 && centre->y >= 60 && centre->y < 540;
}

void BM_FrameWhileABubbleFlies(benchmark::State& state)
{
    App& app = RunningExercise();
    IMWindow* window = app.mainWindow;
    const IMEvent update(window, IMEVENT_UPDATE);
    for (auto _ : state) {
        window->OnUpdate(update);
        // A full frame every time, whether or not the bubble moved a pixel.
        window->SetDirty(true);
        window->Render();
    }
}
BENCHMARK(BM_FrameWhileABubbleFlies)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ClickToFirstBurstFrame(benchmark::State& state)
{
    App& app = RunningExercise();
    const HWND hwnd = IMWindow::Handle();
    for (auto _ : state) {
        POINT centre{0, 0};
        const double waitStart = Seconds();
        while (!CentreOnScreen(app, &centre) && Seconds() - waitStart < 10.0)
            Pass(app);
        PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
        Pass(app);
        const int popped = app.run.poppedCount;
        const double start = Seconds();
        PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.x, centre.y));
        PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
        Bubble* bubble = nullptr;
        while (Seconds() - start < 2.0) {
            Pass(app);
            bubble = app.bubble;
            if (app.run.poppedCount > popped && bubble && bubble->GetFrame() >= 1)
                break;
        }
        state.SetIterationTime(Seconds() - start);
        if (app.run.poppedCount == popped)
            state.SkipWithError("the click popped nothing");
    }
}
BENCHMARK(BM_ClickToFirstBurstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

} // namespace

BENCHMARK_MAIN();
