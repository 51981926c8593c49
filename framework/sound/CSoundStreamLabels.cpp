// The stream's labels, its signals and the window messages that fire them.
// All of it runs on the UI thread: the label timers are the main window's,
// whose timer table belongs to the main loop.
#include "framework/sound/CSoundStream.h"

#include "framework/sound/CSoundSystem.h"
#include "framework/window/IMWindow.h"

#include <algorithm>

bool CSoundStream::AddLabelPosition(unsigned long positionMs)
{
    if (IsPlaying())
        return false;
    if (std::find(labelPositions.begin(), labelPositions.end(), positionMs) == labelPositions.end())
        labelPositions.push_back(positionMs);
    return true;
}

boost::signals2::connection CSoundStream::ConnectLabel(unsigned long positionMs,
                                                       const LabelSignal::slot_type& slot)
{
    std::unique_ptr<LabelSignal>& signal = labelSignals[positionMs];
    if (!signal)
        signal.reset(new LabelSignal());
    return signal->connect(slot);
}

boost::signals2::connection CSoundStream::ConnectOnStop(const NotifySignal::slot_type& slot)
{
    return endSignal.connect(slot);
}

void CSoundStream::DisconnectOnStop()
{
    endSignal.disconnect_all_slots();
}

void CSoundStream::ArmLabelTimers()
{
    IMWindow* window = IMWindow::Instance();
    if (!window)
        return;
    for (unsigned long position : labelPositions) {
        const int timerId = window->AddTimer(static_cast<DWORD>(position));
        const unsigned long timer = static_cast<unsigned long>(timerId);
        window->ConnectTimer(timerId, [this, timer, position](const IMEvent&) -> long {
            return OnLabelTimer(timer, position);
        });
        labelTimers.push_back(timer);
    }
}

void CSoundStream::RemoveLabelTimers()
{
    IMWindow* window = IMWindow::Instance();
    if (window)
        for (unsigned long timer : labelTimers)
            window->RemoveTimer(static_cast<int>(timer));
    labelTimers.clear();
}

long CSoundStream::OnLabelTimer(unsigned long timerId, unsigned long positionMs)
{
    // The sound ended by itself before its end message was handled: its
    // labels are not reached, and stay for the next play.
    if (!IsPlaying()) {
        RemoveLabelTimers();
        return 0;
    }
    labelTimers.erase(std::remove(labelTimers.begin(), labelTimers.end(), timerId),
                      labelTimers.end());
    labelPositions.erase(std::remove(labelPositions.begin(), labelPositions.end(), positionMs),
                         labelPositions.end());
    PostToWindow(owner->LabelMessage(), static_cast<LPARAM>(positionMs));
    if (IMWindow* window = IMWindow::Instance())
        window->RemoveTimer(static_cast<int>(timerId));
    return 0;
}

void CSoundStream::OnPlayMessage()
{
    EmitSignal(playSignal, id);
}

void CSoundStream::OnEndMessage()
{
    if (!IsPlaying()) {
        JoinThread();
        RemoveLabelTimers();
    }
    EmitSignal(endSignal, id);
}

void CSoundStream::OnStopMessage()
{
    EmitSignal(stopSignal, id);
}

void CSoundStream::OnLabelMessage(unsigned long positionMs)
{
    auto it = labelSignals.find(positionMs);
    if (it != labelSignals.end() && it->second)
        EmitSignal(*it->second, id, positionMs);
}
