// A hundred runs of the exercise in one headless program, as a pupil goes
// through them: the title screen, the instruction skipped with Esc, every
// bubble clicked, the closing sound, the praise and its clip, the results
// screen, then Retry. After the first run and every tenth one it prints what
// the program holds: resident memory, the window's timers, live textures,
// threads and open file descriptors. What a run leaves behind shows as a
// column that climbs. Usage: bench_soak [runs] [pupil] — an empty pupil's
// name runs without a workbook, which sets the workbook's own growth (its
// rows are kept in memory) apart from the rest.
#include "app/App.h"
#include "app/exercise/Bubble.h"
#include "app/exercise/description.h"
#include "framework/render/IMResourceManager.h"
#include "platform/codepage.h"
#include "platform/kernel32.h"
#include "platform/user32.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

int Entries(const char* folder)
{
    int count = 0;
    if (DIR* d = opendir(folder)) {
        while (const dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                ++count;
        closedir(d);
    }
    return count;
}

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void Pass(App& app)
{
    IMWindow::RunPass(app.mainWindow);
}

void Click(int x, int y)
{
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(IMWindow::Handle(), WM_MOUSEMOVE, 0, at);
    PostMessageW(IMWindow::Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(IMWindow::Handle(), WM_LBUTTONUP, 0, at);
}

// The middle of the bubble's part on the screen, once enough of it shows to
// be hit there.
bool VisibleCentre(App& app, POINT* at)
{
    if (!app.bubble || app.bubble->IsPlaying())
        return false;
    RECT r;
    app.bubble->GetRect(&r);
    const LONG left = std::max<LONG>(r.left, 0), right = std::min<LONG>(r.right, 800);
    const LONG top = std::max<LONG>(r.top, 0), bottom = std::min<LONG>(r.bottom, 600);
    if (right - left < 40 || bottom - top < 40)
        return false;
    *at = POINT{(left + right) / 2, (top + bottom) / 2};
    return true;
}

// Passes until `done`, at most `seconds` of wall time; false on time-out.
template <class Done>
bool PumpUntil(App& app, double seconds, Done done)
{
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while (!done()) {
        if (static_cast<LONG>(GetTickCount() - end) > 0)
            return false;
        Pass(app);
    }
    return true;
}

// One run from the title screen to the results screen; false when it stuck.
bool OneRun(App& app, const std::wstring& pupil)
{
    std::vector<IMControl*> before = app.mainWindow->LiveChildren();
    app.ShowTitleScreen();
    IMDialogBase<IMEmptyView>* title = nullptr;
    for (IMControl* c : app.mainWindow->LiveChildren())
        if (std::find(before.begin(), before.end(), c) == before.end())
            title = dynamic_cast<IMDialogBase<IMEmptyView>*>(c);
    // Retry: the title screen is built, the results screen closes.
    for (IMControl* c : before)
        if (app.mainWindow->IsLiveChild(c))
            c->Close();
    Pass(app);
    app.StartWithPupil(pupil, title);
    Pass(app);
    PostMessageW(IMWindow::Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    if (!PumpUntil(app, 60, [&] { return app.exerciseDialog != nullptr; }))
        return false;
    // Every bubble clicked as soon as enough of it shows; then the closing
    // sound, the praise and its clip until the results screen is up.
    return PumpUntil(app, 180, [&] {
        POINT at;
        if (VisibleCentre(app, &at))
            Click(at.x, at.y);
        return app.exerciseDialog == nullptr && app.stepDialog == nullptr;
    });
}

void Report(App& app, int run)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    std::printf("%5d %10ld %7zu %9d %8d %5d\n", run, ResidentKiB(), app.mainWindow->TimerCount(),
                manager ? manager->LiveTextureCount() : -1, Entries("/proc/self/task"),
                Entries("/proc/self/fd"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 100;
    std::wstring pupil = L"Выносливость";
    if (argc > 2)
        pupil = platform::Utf8ToWide(argv[2]);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char folder[] = "/tmp/kvarlop-soak-XXXXXX";
    if (const char* made = mkdtemp(folder))
        setenv("XDG_DATA_HOME", made, 1);
    App& app = IMApp<App>::Instance(exercise::kInstanceName, 0);
    if (!app.mainWindow) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    std::printf("  run  rss (KiB)  timers  textures  threads   fds\n");
    Report(app, 0);
    for (int run = 1; run <= runs; ++run) {
        if (!OneRun(app, pupil)) {
            std::fprintf(stderr, "run %d did not reach the results screen\n", run);
            return 1;
        }
        if (run == 1 || run % 10 == 0)
            Report(app, run);
    }
    const bool saved = IMApp<App>::Release();
    std::filesystem::remove_all(folder);
    return saved ? 0 : 1;
}
