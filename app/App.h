// The bubble exercise: the application class with the five settings of a run
// and the record of the run in progress. A run is the one step "Dialog1":
// one bubble is launched again and again until the set number has flown; a
// click pops it, leaving the screen counts it as missed; the run ends with
// the statistics rows and a closing sound whose end leads on to the praise.
#pragma once

#include "app/exercise/run_record.h"
#include "app/screens/drifting_pictures.h"
#include "app/screens/settings_page.h"
#include "app/shell/IMApp.h"

class Bubble;
namespace screens {
class CursorMouse;
}

class App : public IMApp<App> {
public:
    App();
    ~App() override;

    void OnInit() override;
    // The animated, spoken instruction in the dialog; when its voice has
    // ended by itself, the dialog becomes the keyboard page.
    void ShowInstruction(Dialog* dialog) override;
    // The drift timer's slot: one tick of the drifting pictures.
    long MoveDriftingPictures(IMWindow* window, Dialog* dialog);
    // Ends the instruction of that number once: the drift stops, the
    // demonstration goes, the pointer shows again, and when the ended sound
    // is the instruction's voice (its own end), the keyboard page follows.
    long EndInstruction(unsigned long endedSound, unsigned long instructionSound, Dialog* dialog,
                        int instruction);
    // A label of the voice of the instruction of that number.
    long OnVoiceLabel(unsigned long sound, unsigned long position, Dialog* dialog, int instruction);

    // The step "Dialog1": a run in the dialog.
    void StartExercise(Dialog* dialog);
    long CreateBubble(Dialog* dialog);
    // The next bubble of the run, or the end of the run.
    long LaunchNextBubble();
    long OnScreenClick();
    // The closing sound and the statistics rows.
    long ReportStatistics();
    // The settings page: what the bars hold goes into the five settings.
    void ShowSettingsDialog(Dialog* dialog);
    long OnSettingsSubmit(IMControl* dialog, IMEditBar* b1, IMEditBar* b2, IMEditBar* b3,
                          IMEditBar* b4, IMEditBar* b5);
    // The bars get the settings back, which are then submitted.
    long OnSettingsCancel(IMControl* dialog, IMEditBar* b1, IMEditBar* b2, IMEditBar* b3,
                          IMEditBar* b4, IMEditBar* b5);

    // The settings, for the life of the program.
    int initialDiameter;
    int initialSpeed;
    int finalDiameter;
    int finalSpeed;
    int bubbleCount;

    // The run in progress: counters, flight times and the bubble's state.
    exercise::RunRecord run;
    // The run's one bubble, owned by the exercise dialog; null once the run
    // has ended.
    Bubble* bubble;
    // The dialog of the run in progress, while it is open.
    Dialog* exerciseDialog;
    // Counts the runs started, so that a late end belongs to its own run.
    int runNumber;

    // The instruction: its drift timer, whether it has ended, its pictures,
    // its demonstration (null once ended) and its number (counted up at
    // each showing, so that a late notification finds its own instruction
    // over).
    int driftTimer;
    bool instructionEnded;
    screens::DriftingPictures driftingPictures;
    screens::CursorMouse* demonstration;
    unsigned long instructionVoice;
    int instructionNumber;
    // How many times the instruction lowered the pointer's display count
    // to hide it; raised as many times when it ends.
    int instructionCursorHides;

private:
    // The closing sound's end for the run of that number.
    long OnClosingSoundEnd(int endedRun);
    long OnExerciseDialogClosing(const IMEvent&);
    screens::SettingsFields Settings();
};
