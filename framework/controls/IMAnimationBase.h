// The player control: it runs its view's frame range once, first to last,
// at 60000 / period frames per second, timed by the performance counter.
//
// Play fires Started and FrameChanged and starts the clock; every update
// then shows the frame that the elapsed time calls for (frames are skipped,
// never delayed, when the loop runs slowly), firing FrameChanged before
// each change, and once the range has run through the player stops and
// fires Finished; the view keeps the frame it shows. A one-frame range
// shows its frame for one period and then finishes too. Play on a running
// player starts it again from time zero.
//
// V is a view with the frame interface (IMAnimationView): the sequence view
// or the video view. The video player joins its container at depth 0. A view
// that fails to step (a damaged video) ends the range where it failed.
#pragma once

#include "framework/controls/IMViewControl.h"
#include "framework/views/IMAnimationView.h"
#include "platform/kernel32.h"

#include <cstdint>
#include <stdexcept>

template <class V>
class IMAnimationBase : public IMViewControl<V> {
public:
    IMAnimationBase(IMControl::Container* parent, int depth)
        : IMViewControl<V>(parent, depth),
          start(0),
          period(2400),
          playing(false),
          forward(false)
    {}
    // At depth 0.
    explicit IMAnimationBase(IMControl::Container* parent) : IMAnimationBase(parent, 0) {}

    long Play()
    {
        EmitSignal(Started, IMEvent(this, IMEVENT_GENERIC));
        EmitSignal(FrameChanged, IMEvent(this, IMEVENT_GENERIC));
        playing = true;
        forward = true;
        start = Clock();
        return 0;
    }

    long OnFinished()
    {
        playing = false;
        // Every slot of this firing runs, also when an earlier one closes
        // the player (and with it, the slots' owners go one after another).
        firingFinished = true;
        EmitSignal(Finished, IMEvent(this, IMEVENT_GENERIC));
        firingFinished = false;
        if (destroyed)
            Finished.disconnect_all_slots();
        return 0;
    }

    bool IsPlaying() const { return playing; }

    // A closed player stops and cuts its own slots with the others, so
    // nothing bound to it runs between its closing and its deletion.
    long Destroy() override
    {
        playing = false;
        destroyed = true;
        Started.disconnect_all_slots();
        if (!firingFinished)
            Finished.disconnect_all_slots();
        FrameChanged.disconnect_all_slots();
        return IMViewControl<V>::Destroy();
    }

    IMControl::Connection ConnectFinished(const IMControl::EventSignal::slot_type& slot)
    {
        return Finished.connect(slot);
    }
    IMControl::Connection ConnectFrameChanged(const IMControl::EventSignal::slot_type& slot)
    {
        return FrameChanged.connect(slot);
    }

    // The player step, once per frame.
    long Update() override
    {
        if (!playing)
            return 0;
        IMControl::NoteClockDriven();
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        if (frequency.QuadPart <= 0 || period <= 0)
            return 0;
        int64_t n = (Clock() - start) * 60000 / frequency.QuadPart / period;
        if (n < 0)
            n = 0;

        // The range is counted in 64 bits: last may be the largest int.
        const int first = V::GetFirstFrame();
        const int last = V::GetLastFrame();
        int64_t count = static_cast<int64_t>(last) - first + 1;
        if (count < 1)
            count = 1;

        // The end is tested first, so a range of one frame ends too, and an
        // end reached by a jump of whole ranges is not missed.
        if (n >= count) {
            OnFinished();
            return 0;
        }
        const int frame = static_cast<int>(first + n);
        if (frame == V::GetFrame())
            return 0;
        EmitSignal(FrameChanged, IMEvent(this, IMEVENT_GENERIC));
        try {
            V::SetFrame(frame);
        } catch (const std::runtime_error&) {
            OnFinished();
        }
        return 0;
    }

    // QueryPerformanceCounter at Play.
    int64_t start;
    // Frame period in 1/60000 s: 2400 plays 25 frames per second.
    int period;

protected:
    // The performance counter.
    virtual int64_t Clock() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }

    bool playing;
    bool forward;
    bool firingFinished = false;
    bool destroyed = false;

public:
    IMControl::EventSignal Started;
    IMControl::EventSignal Finished;
    IMControl::EventSignal FrameChanged;
};
