// The sound system: Ogg Vorbis sounds played through DirectSound, each
// registered under a name and addressed by an identifier from 1 upwards (0
// means that no sound was registered; every operation does nothing for it).
// The start, the end and the label positions of a sound reach the
// application through registered window messages posted to the main
// window, which the window procedure turns into calls of the sound's
// signals on the UI thread.
//
// Everything here runs on the UI thread; only the streams' own threads run
// elsewhere, and they touch nothing of the system but the message numbers.
#pragma once

#include "framework/sound/CSoundStream.h"
#include "platform/dsound.h"
#include "platform/wintypes.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CSoundSource;

class CSoundSystem {
public:
    // The way the window messages are registered; for tests.
    typedef std::function<UINT(LPCWSTR name)> MessageRegistration;

    CSoundSystem();
    ~CSoundSystem();
    CSoundSystem(const CSoundSystem&) = delete;
    CSoundSystem& operator=(const CSoundSystem&) = delete;

    // Registers the four window messages and sets DirectSound up for the
    // window (exclusive with a 44.1 kHz stereo primary buffer, else the
    // normal level without one). Returns the error when there is no sound;
    // sounds can still be registered then, and each one's Play posts its end.
    HRESULT Init(HWND window);

    // Registers Ogg Vorbis data held in memory (it must stay valid while the
    // system lives). A name registered before gets its identifier back, with
    // the slots of its end signal disconnected and its labels kept. 0 when
    // the data cannot be opened.
    unsigned long AddSoundFromMemory(std::wstring name, const void* data, unsigned size);
    // The same for a decimal resource identifier (the executable, then the
    // side file) or, when the name is no such number, a file path.
    unsigned long AddSoundFromResource(std::wstring name);

    // Starts the sound. True when it started or already plays; false for an
    // unknown identifier or a sound that could not start (its end is posted).
    bool Play(unsigned long id);
    // Stops the sound and waits for its thread; false when unknown.
    bool Stop(unsigned long id);
    bool IsPlaying(unsigned long id);
    // Connects a slot to the sound's end (natural or by Stop); an empty
    // connection for an unknown identifier.
    boost::signals2::connection SetOnStop(unsigned long id,
                                          const CSoundStream::NotifySignal::slot_type& slot);
    // Records a label position to be armed at the next Play and connects the
    // slot to it. Ignored for an unknown identifier.
    void AddLabel(unsigned long id, unsigned long positionMs,
                  const CSoundStream::LabelSignal::slot_type& slot);
    // The label message: the position's signal with (id, position).
    void OnLabelMessage(unsigned long id, unsigned long positionMs);

    // Deletes every stream (each waits for its thread), closes the sources
    // and releases DirectSound. Safe to call again.
    void Release();

    // The stream of an identifier, or null.
    CSoundStream* FindStream(unsigned long id) const;

    // The registered message numbers; 0 when their registration failed.
    UINT PlayMessage() const { return playMessage; }
    UINT StopMessage() const { return stopMessage; }
    UINT PauseMessage() const { return pauseMessage; }
    UINT LabelMessage() const { return labelMessage; }
    // Whether a message is the registered number (a number left 0 matches nothing).
    static bool IsMessage(UINT message, UINT number) { return number != 0 && message == number; }

    HWND MessageWindow() const { return messageWindow; }
    IDirectSound8* DirectSound() const { return directSound; }

    // Replaces RegisterWindowMessageW for the next Init (an empty function
    // restores it).
    static void SetMessageRegistration(MessageRegistration registration);

private:
    struct SourceEntry {
        CSoundSource* source;
        int useCount;
        std::wstring name;
    };

    // An identifier for a name registered before, or 0.
    unsigned long FindRegistered(const std::wstring& name);
    unsigned long Register(const std::wstring& name, CSoundSource* opened);
    void RegisterMessages();
    // Tries the exclusive level with a primary buffer; false when it cannot be had.
    bool SetUpPrimaryBuffer(HWND window);

    std::map<unsigned long, CSoundStream*> streams;
    std::vector<SourceEntry> sources;
    IDirectSound8* directSound;
    IDirectSoundBuffer* primaryBuffer;
    unsigned long lastId;
    HWND messageWindow;
    UINT playMessage;
    UINT stopMessage;
    UINT pauseMessage;
    UINT labelMessage;
};
