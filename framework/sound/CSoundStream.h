// One registered sound: a one-second DirectSound buffer that a thread of its
// own keeps filled, half a second at a time, from the sound's decoder while
// the sound plays. The start and the end are posted to the main window as
// the sound system's registered messages; label positions (milliseconds
// from Play) fire through the main window's timers. The window procedure
// turns the messages into calls of the signals here, on the UI thread.
//
// Every operation but the streaming thread's runs on the UI thread. The
// thread shares only the fields marked "under lock" with it.
#pragma once

#include "framework/controls/IMSignal.h"
#include "platform/dsound.h"
#include "platform/kernel32.h"

#include <map>
#include <memory>
#include <vector>

class CSoundSystem;
class CSoundSource;

class CSoundStream {
public:
    // Called with the sound's identifier.
    typedef IMSignalOf<unsigned long> NotifySignal;
    // Called with the sound's identifier and the label position (ms).
    typedef IMSignalOf<unsigned long, unsigned long> LabelSignal;

    enum class StartResult { Started, AlreadyPlaying, Failed };

    // Makes the buffer in the source's format; a stream whose buffer could
    // not be made cannot play (see Start).
    CSoundStream(CSoundSystem* owner, CSoundSource* source, unsigned long id);
    // Ends a running thread and waits for it.
    ~CSoundStream();
    CSoundStream(const CSoundStream&) = delete;
    CSoundStream& operator=(const CSoundStream&) = delete;

    // Starts the sound from its first frame: the first half is filled here,
    // the label timers are armed, the thread is started and the play
    // message posted. A sound that cannot start (no buffer, the first half
    // cannot be locked, no thread) posts the end message instead, so that
    // whoever waits for its end is told. Nothing is posted for a sound that
    // already plays.
    StartResult Start();
    // True only when the sound was started.
    bool Play() { return Start() == StartResult::Started; }
    // Stops a playing sound and waits until its thread has ended; the thread
    // posts the end message. False when it was not playing.
    bool Stop();
    bool IsPlaying();

    // Records a position to be armed at the next Play; false (nothing
    // recorded) while playing. A position is kept once.
    bool AddLabelPosition(unsigned long positionMs);
    // Connects a slot to the position's signal, made when the position has none.
    boost::signals2::connection ConnectLabel(unsigned long positionMs,
                                             const LabelSignal::slot_type& slot);
    boost::signals2::connection ConnectOnStop(const NotifySignal::slot_type& slot);
    // Disconnects every slot of the end signal.
    void DisconnectOnStop();
    // The slot of a label timer: posts the label message once and removes
    // the timer and the position.
    long OnLabelTimer(unsigned long timerId, unsigned long positionMs);

    // The registered messages, as the window procedure hands them on.
    void OnPlayMessage();
    // The sound has ended: its thread is joined, its label timers removed
    // (unless it plays again already) and the end signal fired.
    void OnEndMessage();
    void OnStopMessage();
    // Fires the position's signal when it has slots.
    void OnLabelMessage(unsigned long positionMs);

    unsigned long Id() const { return id; }
    CSoundSource* Source() const { return source; }
    // For tests only: whether the stream holds its buffer, the buffer (or
    // null), and the number of window timers armed for labels.
    bool HasBuffer() const { return buffer != nullptr; }
    IDirectSoundBuffer8* Buffer() const { return buffer; }
    size_t ArmedLabelCount() const { return labelTimers.size(); }

private:
    enum { kStopped = 0, kPlaying = 1 };
    enum { kCommandNone = 0, kCommandEnd = 3 };

    void CreateBuffer();
    // Fills the first half from frame 0; false when it cannot be locked.
    bool Prefill();
    // Locks a half (restoring a lost buffer once); false when it cannot be had.
    bool LockHalf(DWORD offset, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2);
    // Decodes into a locked region; the rest is silence. Returns whether the
    // decoder delivered all of it.
    bool FillRegion(void* part1, DWORD bytes1, void* part2, DWORD bytes2);
    void RefillHalf(DWORD offset);
    void ArmLabelTimers();
    void RemoveLabelTimers();
    // Waits for an ended thread and closes its handle.
    void JoinThread();
    void PostToWindow(UINT message, LPARAM lParam) const;

    static DWORD WINAPI ThreadProc(LPVOID param);
    DWORD StreamLoop();

    CSoundSystem* owner;
    CSoundSource* source;
    int state;   // under lock
    int command; // under lock
    HANDLE wakeEvent;
    HANDLE thread; // UI thread only
    DWORD bufferBytes;
    bool fillSecondHalf; // under lock
    DWORD firstHalfOffset;
    DWORD halfBytes;
    IDirectSoundBuffer8* buffer;
    int silentHalves; // under lock
    NotifySignal playSignal;
    NotifySignal endSignal;
    NotifySignal stopSignal;
    std::map<unsigned long, std::unique_ptr<LabelSignal>> labelSignals;
    std::vector<unsigned long> labelPositions;
    std::vector<unsigned long> labelTimers;
    unsigned long id;
    CRITICAL_SECTION lock;
};
