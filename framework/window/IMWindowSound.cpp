// The sound system's registered window messages, seen by the window
// procedure before the ordinary messages while the resource manager exists:
// "WM_IM_ONSOUNDPLAY", "WM_IM_ONSOUNDPOUSE", "WM_IM_ONSOUNDSTOP" and
// "WM_IM_ONLABEL", compared in that order. A match does not end the window
// procedure. A number whose registration failed matches nothing, and a
// message whose wParam names no registered sound is ignored.
#include "framework/render/IMResourceManager.h"
#include "framework/window/IMWindow.h"

void IMWindow::HandleSoundMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    IMResourceManager* sound = IMResourceManager::Instance();
    if (!sound)
        return;
    const unsigned long id = static_cast<unsigned long>(wParam);

    if (CSoundSystem::IsMessage(message, sound->PlayMessage())) {
        if (CSoundStream* stream = sound->FindStream(id))
            stream->OnPlayMessage();
    }
    if (CSoundSystem::IsMessage(message, sound->PauseMessage())) {
        if (CSoundStream* stream = sound->FindStream(id))
            stream->OnEndMessage();
    }
    if (CSoundSystem::IsMessage(message, sound->StopMessage())) {
        if (CSoundStream* stream = sound->FindStream(id))
            stream->OnStopMessage();
    }
    if (CSoundSystem::IsMessage(message, sound->LabelMessage()))
        sound->OnLabelMessage(id, static_cast<unsigned long>(lParam));
}
