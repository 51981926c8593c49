#include "app/App.h"

#include "app/exercise/Bubble.h"
#include "app/exercise/description.h"
#include "app/exercise/launch.h"
#include "app/screens/cursor_mouse.h"
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/render/IMResourceManager.h"
#include "platform/user32.h"
#include "platform/winmm.h"

#include <boost/bind/bind.hpp>

using boost::placeholders::_1;

App::App()
    : initialDiameter(512),
      initialSpeed(1),
      finalDiameter(128),
      finalSpeed(7),
      bubbleCount(10),
      run([] { return timeGetTime(); }),
      bubble(nullptr),
      exerciseDialog(nullptr),
      runNumber(0),
      driftTimer(0),
      instructionEnded(true),
      demonstration(nullptr),
      instructionVoice(0),
      instructionNumber(0),
      instructionCursorHides(0)
{
    SetInfo(exercise::kCatalogueNumber, exercise::kTitle, exercise::kDescription);
}

App::~App()
{
    // An instruction still running: its pictures went with the window.
    delete demonstration;
    ShowCursor(FALSE);
}

void App::OnInit()
{
    settingsScreen = boost::bind(&App::ShowSettingsDialog, this, _1);
    RegisterDialog(L"Dialog1", boost::bind(&App::StartExercise, this, _1));
}

screens::SettingsFields App::Settings()
{
    return screens::SettingsFields{&initialDiameter, &finalDiameter, &initialSpeed, &finalSpeed,
                                   &bubbleCount};
}

void App::ShowSettingsDialog(Dialog* dialog)
{
    const screens::SettingsPage page = screens::BuildSettingsPage(dialog, Settings());
    IMEditBar* const* b = page.bars;
    if (page.cancel)
        page.cancel->ConnectClicked(
            boost::bind(&App::OnSettingsCancel, this, dialog, b[0], b[1], b[2], b[3], b[4]));
    if (page.submit)
        page.submit->ConnectClicked(
            boost::bind(&App::OnSettingsSubmit, this, dialog, b[0], b[1], b[2], b[3], b[4]));
}

long App::OnSettingsSubmit(IMControl* dialog, IMEditBar* b1, IMEditBar* b2, IMEditBar* b3,
                           IMEditBar* b4, IMEditBar* b5)
{
    IMEditBar* const bars[5] = {b1, b2, b3, b4, b5};
    screens::SubmitSettings(dialog, bars, Settings());
    return 0;
}

long App::OnSettingsCancel(IMControl* dialog, IMEditBar* b1, IMEditBar* b2, IMEditBar* b3,
                           IMEditBar* b4, IMEditBar* b5)
{
    IMEditBar* const bars[5] = {b1, b2, b3, b4, b5};
    screens::CancelSettings(dialog, bars, Settings());
    return 0;
}

void App::StartExercise(Dialog* dialog)
{
    ShowCursor(TRUE);
    run.Start();
    dialog->ConnectClicked(boost::bind(&App::OnScreenClick, this));
    crt::srand(static_cast<unsigned int>(crt::_time64(nullptr) & 0xFFFFFFFF));
    IMStaticPictureBase<IMTextureView>::Create(dialog, 0, 0, L"102", 0, 0xFFFFFFFF);
    exerciseDialog = dialog;
    ++runNumber;
    dialog->ConnectClosing(boost::bind(&App::OnExerciseDialogClosing, this, _1));
    CreateBubble(dialog);
}

long App::CreateBubble(Dialog* dialog)
{
    bubble = new Bubble(dialog);
    LaunchNextBubble();
    return 0;
}

long App::LaunchNextBubble()
{
    if (!bubble)
        return 0;
    bubble->SetFrame(0);
    bubble->hitThreshold = 1;
    if (!run.HasNextLaunch(bubbleCount)) {
        Bubble* ended = bubble;
        bubble = nullptr;
        ended->Close();
        ReportStatistics();
        return 0;
    }

    const exercise::Settings settings{initialDiameter, initialSpeed, finalDiameter, finalSpeed,
                                      bubbleCount};
    const int width = mainWindow ? mainWindow->GetWidth() : 800;
    const int height = mainWindow ? mainWindow->GetHeight() : 600;
    const exercise::Launch launch = exercise::PlanLaunch(settings, run.launchedCount, width, height,
                                                         [] { return crt::rand(); });
    bubble->SetSize(launch.width, launch.height);
    bubble->Launch(
        exercise::Flight{launch.startX, launch.startY, launch.velocityX, launch.velocityY});
    run.Launched();
    return 0;
}

long App::OnScreenClick()
{
    run.OnScreenClick();
    return 0;
}

long App::ReportStatistics()
{
    IMResourceManager* manager = IMResourceManager::Instance();
    const unsigned long id = manager ? manager->AddSoundFromResource(L"107") : 0;
    if (id) {
        // The end comes as a posted message, also when the sound cannot start.
        manager->SetOnStop(id, boost::bind(&App::OnClosingSoundEnd, this, runNumber));
        manager->Play(id);
    }
    AddResultRows(run.StatisticsRows());
    // The run's block is closed now, its total time taken at the exercise's
    // end, and goes to the file whole: a crash during the closing sound or
    // the praise leaves no block without its end for the next run to follow.
    WriteClosingRows();
    SaveWorkbookDefault();
    // Without the sound nothing would ever end the run: go on at once.
    if (!id)
        OnClosingSoundEnd(runNumber);
    return 0;
}

long App::OnClosingSoundEnd(int endedRun)
{
    // A run abandoned for the title screen (or followed by another) leads
    // to no praise.
    if (endedRun != runNumber || !exerciseDialog || exerciseDialog != stepDialog)
        return 0;
    ShowPraise(0, 0);
    return 0;
}

long App::OnExerciseDialogClosing(const IMEvent&)
{
    exerciseDialog = nullptr;
    bubble = nullptr;
    return 0;
}
