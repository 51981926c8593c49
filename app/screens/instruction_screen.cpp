#include "app/screens/instruction_screen.h"

#include "app/App.h"
#include "app/screens/keyboard_page.h"
#include "framework/render/IMResourceManager.h"
#include "framework/window/IMGlide.h"
#include "platform/user32.h"

#include <boost/bind/bind.hpp>

namespace screens {

namespace {

// The bubble that the demonstration pops: the ninth made, third in the list.
constexpr size_t kPoppedBubble = 2;

// Lowers the pointer's display count until the pointer hides; returns how
// many times it was lowered. Other screens raise the count without
// lowering it again, so one step may not be enough.
int HidePointer()
{
    int hides = 0;
    int count = 0;
    do {
        count = ShowCursor(FALSE);
        ++hides;
    } while (count >= 0 && hides < 1000);
    return hides;
}

// Raises the count as many times again, and on until the pointer shows.
void ShowPointer(int hides)
{
    int count = 0;
    for (int i = 0; i < hides; ++i)
        count = ShowCursor(TRUE);
    for (int i = 0; count < 0 && i < 1000; ++i)
        count = ShowCursor(TRUE);
}

} // namespace

long OnInstructionLabel(unsigned long, unsigned long position, IMDialogBase<IMEmptyView>*,
                        DriftingPictures* list, CursorMouse* demonstration)
{
    if (!demonstration->mouse || !demonstration->pointer)
        return 0;
    switch (position) {
    case kLabelGlide:
        demonstration->mouse->Show();
        demonstration->pointer->Show();
        demonstration->GlideIn();
        break;
    case kLabelClick:
        demonstration->pointer->SetPosition(CursorMouse::kTargetX, CursorMouse::kTargetY);
        demonstration->mouse->SetPosition(demonstration->offsetX + CursorMouse::kTargetX,
                                          demonstration->offsetY + CursorMouse::kTargetY);
        demonstration->Click();
        break;
    case kLabelBurst1:
        if (list->size() > kPoppedBubble)
            (*list)[kPoppedBubble].picture->SetTexture(L"108");
        break;
    case kLabelBurst2:
        if (list->size() > kPoppedBubble)
            (*list)[kPoppedBubble].picture->SetTexture(L"109");
        break;
    case kLabelPopped:
        if (list->size() > kPoppedBubble) {
            (*list)[kPoppedBubble].picture->Close();
            list->erase(list->begin() + kPoppedBubble);
        }
        break;
    case kLabelClear:
        ClearDriftingPictures(list);
        break;
    default:
        break;
    }
    return 0;
}

} // namespace screens

using namespace screens;

void App::ShowInstruction(Dialog* dialog)
{
    using boost::placeholders::_1;
    using boost::placeholders::_2;
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!dialog || !mainWindow || !manager)
        return;
    // An instruction still running ends quietly before the next one starts.
    if (!instructionEnded)
        EndInstruction(0, 0, nullptr, instructionNumber);

    const int instruction = ++instructionNumber;
    instructionEnded = false;
    instructionCursorHides = HidePointer();

    demonstration = new CursorMouse(dialog);
    if (demonstration->mouse)
        demonstration->mouse->Hide();
    if (demonstration->pointer)
        demonstration->pointer->Hide();

    IMStaticPictureBase<IMTextureView>::Create(dialog, 0, 0, L"102", 0, 0xFFFFFFFF);
    const unsigned long voice = manager->AddSoundFromResource(L"105");
    instructionVoice = voice;
    MakeDriftingPictures(dialog, &driftingPictures);

    driftTimer = mainWindow->AddTimer(kDriftPeriod);
    ConnectChainTimer(mainWindow, driftTimer,
                      boost::bind(&App::MoveDriftingPictures, this, mainWindow, dialog));

    for (unsigned long position :
         {kLabelGlide, kLabelClick, kLabelBurst1, kLabelBurst2, kLabelPopped, kLabelClear})
        manager->AddLabel(voice, position,
                          boost::bind(&App::OnVoiceLabel, this, _1, _2, dialog, instruction));
    manager->SetOnStop(voice,
                       boost::bind(&App::EndInstruction, this, _1, voice, dialog, instruction));

    dialog->ConnectClosing(boost::bind(&StopSoundSlot, voice));
    dialog->ConnectClosing(boost::bind(&App::EndInstruction, this, 0, voice, dialog, instruction));
    manager->Play(voice);
}

long App::MoveDriftingPictures(IMWindow* window, Dialog* dialog)
{
    window->RemoveTimer(driftTimer);
    driftTimer = 0;
    if (driftingPictures.empty())
        return 0;
    DriftOnce(&driftingPictures);
    driftTimer = window->AddTimer(kDriftPeriod);
    ConnectChainTimer(window, driftTimer,
                      boost::bind(&App::MoveDriftingPictures, this, window, dialog));
    return 0;
}

long App::OnVoiceLabel(unsigned long sound, unsigned long position, Dialog* dialog, int instruction)
{
    // A label posted before its instruction ended arrives too late to act.
    if (instruction != instructionNumber || instructionEnded || !demonstration)
        return 0;
    return OnInstructionLabel(sound, position, dialog, &driftingPictures, demonstration);
}

long App::EndInstruction(unsigned long endedSound, unsigned long instructionSound, Dialog* dialog,
                         int instruction)
{
    if (instruction != instructionNumber || instructionEnded)
        return 0;
    // An end posted by an earlier stop of the same voice, which plays again.
    IMResourceManager* manager = IMResourceManager::Instance();
    if (endedSound != 0 && manager && manager->IsPlaying(endedSound))
        return 0;
    instructionEnded = true;
    if (mainWindow)
        mainWindow->RemoveTimer(driftTimer);
    driftTimer = 0;
    if (CursorMouse* ended = demonstration) {
        demonstration = nullptr;
        if (ended->mouse)
            ended->mouse->Hide();
        if (ended->pointer)
            ended->pointer->Hide();
        ended->Release();
        delete ended;
    }
    if (endedSound != 0 && endedSound == instructionSound)
        ShowKeyboardHelp(&modal, dialog);
    ShowPointer(instructionCursorHides);
    instructionCursorHides = 0;
    return 0;
}
