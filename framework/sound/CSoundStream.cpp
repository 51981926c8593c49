// The stream's buffer, its start and stop, and the streaming thread.
#include "framework/sound/CSoundStream.h"

#include "framework/sound/CSoundSource.h"
#include "framework/sound/CSoundSystem.h"
#include "platform/user32.h"

#include <cstdint>
#include <cstring>

namespace {

// The thread's first look at the play cursor, and the longest it sleeps
// between looks: in between it sleeps until the cursor next crosses a half.
const DWORD kWakeIntervalMs = 20;
const DWORD kLongestSleepMs = 100;

} // namespace

CSoundStream::CSoundStream(CSoundSystem* owner, CSoundSource* source, unsigned long id)
    : owner(owner),
      source(source),
      state(kStopped),
      command(kCommandNone),
      wakeEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      thread(nullptr),
      bufferBytes(0),
      fillSecondHalf(false),
      firstHalfOffset(0),
      halfBytes(0),
      buffer(nullptr),
      silentHalves(0),
      id(id)
{
    CreateBuffer();
    halfBytes = bufferBytes / 2;
    InitializeCriticalSection(&lock);
}

CSoundStream::~CSoundStream()
{
    EnterCriticalSection(&lock);
    const bool running = state != kStopped;
    if (running)
        command = kCommandEnd;
    LeaveCriticalSection(&lock);
    if (running) {
        SetEvent(wakeEvent);
        while (IsPlaying())
            Sleep(1);
    }
    JoinThread();
    if (wakeEvent)
        CloseHandle(wakeEvent);
    RemoveLabelTimers();
    if (buffer)
        buffer->Release();
    labelSignals.clear();
    DeleteCriticalSection(&lock);
}

void CSoundStream::CreateBuffer()
{
    IDirectSound8* directSound = owner ? owner->DirectSound() : nullptr;
    if (!directSound || !source || !source->IsOpen())
        return;
    const int channels = source->Channels();
    const int rate = source->Rate();
    if (channels < 1 || channels > 0xFFFF / 2 || rate <= 0 || rate > 0x7FFFFFFF / (2 * channels))
        return;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    format.cbSize = 18;
    // One second of sound, two halves of half a second.
    const DWORD bytes = (4000 / 1000) * format.nAvgBytesPerSec / 4;

    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE_32BIT;
    desc.dwFlags = DSBCAPS_CTRLPAN;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* first = nullptr;
    if (FAILED(directSound->CreateSoundBuffer(&desc, &first, nullptr)) || !first)
        return;
    void* second = nullptr;
    if (SUCCEEDED(first->QueryInterface(IID_IDirectSoundBuffer8, &second)) && second) {
        buffer = static_cast<IDirectSoundBuffer8*>(second);
        bufferBytes = bytes;
    }
    first->Release();
}

bool CSoundStream::IsPlaying()
{
    EnterCriticalSection(&lock);
    const bool playing = state == kPlaying;
    LeaveCriticalSection(&lock);
    return playing;
}

void CSoundStream::PostToWindow(UINT message, LPARAM lParam) const
{
    // A message whose registration failed is not posted.
    if (message != 0)
        PostMessageW(owner->MessageWindow(), message, static_cast<WPARAM>(id), lParam);
}

void CSoundStream::JoinThread()
{
    if (!thread)
        return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
}

CSoundStream::StartResult CSoundStream::Start()
{
    EnterCriticalSection(&lock);
    if (state == kPlaying) {
        LeaveCriticalSection(&lock);
        return StartResult::AlreadyPlaying;
    }
    LeaveCriticalSection(&lock);
    // The thread of the last play has ended (or is posting its end).
    JoinThread();

    if (!buffer) {
        PostToWindow(owner->PauseMessage(), 0);
        return StartResult::Failed;
    }

    EnterCriticalSection(&lock);
    fillSecondHalf = true;
    OutputDebugStringW(L" звук играет\n");
    if (!Prefill()) {
        LeaveCriticalSection(&lock);
        PostToWindow(owner->PauseMessage(), 0);
        return StartResult::Failed;
    }
    state = kPlaying;
    command = kCommandNone;
    LeaveCriticalSection(&lock);

    // Timers left by a play that ended by itself go before new ones are armed.
    RemoveLabelTimers();
    ArmLabelTimers();
    thread = CreateThread(nullptr, 0, &CSoundStream::ThreadProc, this, 0, nullptr);
    if (!thread) {
        RemoveLabelTimers();
        EnterCriticalSection(&lock);
        state = kStopped;
        LeaveCriticalSection(&lock);
        PostToWindow(owner->PauseMessage(), 0);
        return StartResult::Failed;
    }
    PostToWindow(owner->PlayMessage(), 0);
    return StartResult::Started;
}

bool CSoundStream::Stop()
{
    EnterCriticalSection(&lock);
    if (state != kPlaying) {
        LeaveCriticalSection(&lock);
        return false;
    }
    OutputDebugStringW(L" звук стой\n");
    RemoveLabelTimers();
    buffer->Stop();
    command = kCommandEnd;
    LeaveCriticalSection(&lock);
    SetEvent(wakeEvent);

    while (IsPlaying())
        Sleep(1);
    JoinThread();
    return true;
}

bool CSoundStream::LockHalf(DWORD offset, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2)
{
    *part1 = *part2 = nullptr;
    *bytes1 = *bytes2 = 0;
    HRESULT result = buffer->Lock(offset, halfBytes, part1, bytes1, part2, bytes2, 0);
    if (result == DSERR_BUFFERLOST) {
        buffer->Restore();
        result = buffer->Lock(offset, halfBytes, part1, bytes1, part2, bytes2, 0);
    }
    return SUCCEEDED(result) && *part1;
}

bool CSoundStream::FillRegion(void* part1, DWORD bytes1, void* part2, DWORD bytes2)
{
    const unsigned got1 = source->Read(part1, bytes1);
    if (got1 < bytes1)
        std::memset(static_cast<char*>(part1) + got1, 0, bytes1 - got1);
    unsigned got2 = 0;
    if (part2 && bytes2) {
        got2 = got1 == bytes1 ? source->Read(part2, bytes2) : 0;
        if (got2 < bytes2)
            std::memset(static_cast<char*>(part2) + got2, 0, bytes2 - got2);
    }
    return got1 + got2 >= halfBytes;
}

bool CSoundStream::Prefill()
{
    buffer->SetCurrentPosition(0);
    void *part1, *part2;
    DWORD bytes1, bytes2;
    if (!LockHalf(0, &part1, &bytes1, &part2, &bytes2))
        return false;
    source->Rewind();
    FillRegion(part1, bytes1, part2, bytes2);
    // A short first half does not count towards the end.
    silentHalves = 0;
    buffer->Unlock(part1, bytes1, part2, bytes2);
    return true;
}

void CSoundStream::RefillHalf(DWORD offset)
{
    if (silentHalves == 2) {
        // Two short halves: the sound is over. The label timers belong to
        // the UI thread, which removes them when it handles the end message.
        buffer->Stop();
        command = kCommandEnd;
        silentHalves = 0;
        SetEvent(wakeEvent);
    }
    void *part1, *part2;
    DWORD bytes1, bytes2;
    if (!LockHalf(offset, &part1, &bytes1, &part2, &bytes2))
        return;
    if (!FillRegion(part1, bytes1, part2, bytes2))
        ++silentHalves;
    if (FAILED(buffer->Unlock(part1, bytes1, part2, bytes2)))
        silentHalves = 1;
}

DWORD WINAPI CSoundStream::ThreadProc(LPVOID param)
{
    return static_cast<CSoundStream*>(param)->StreamLoop();
}

DWORD CSoundStream::StreamLoop()
{
    EnterCriticalSection(&lock);
    HRESULT playing = buffer->Play(0, 0, DSBPLAY_LOOPING);
    if (playing == DSERR_BUFFERLOST) {
        buffer->Restore();
        playing = buffer->Play(0, 0, DSBPLAY_LOOPING);
    }
    if (FAILED(playing)) {
        // A buffer that does not play never moves its cursor: the sound ends
        // at once rather than never.
        command = kCommandEnd;
        SetEvent(wakeEvent);
    }
    LeaveCriticalSection(&lock);

    DWORD wait = kWakeIntervalMs;
    for (;;) {
        const DWORD woken = WaitForSingleObject(wakeEvent, wait);
        EnterCriticalSection(&lock);
        DWORD playCursor = 0;
        wait = kWakeIntervalMs;
        if (SUCCEEDED(buffer->GetCurrentPosition(&playCursor, nullptr))) {
            if (playCursor < halfBytes && fillSecondHalf) {
                RefillHalf(halfBytes);
                fillSecondHalf = false;
            } else if (playCursor > halfBytes && !fillSecondHalf) {
                RefillHalf(firstHalfOffset);
                fillSecondHalf = true;
            }
            // The cursor goes through the whole buffer in a second; a couple
            // of milliseconds past the crossing it is safely on the other side.
            if (bufferBytes > 0 && playCursor < bufferBytes) {
                const DWORD boundary = playCursor < halfBytes ? halfBytes : bufferBytes;
                const uint64_t ms =
                    static_cast<uint64_t>(boundary - playCursor) * 1000 / bufferBytes + 2;
                wait = static_cast<DWORD>(ms < kLongestSleepMs ? ms : kLongestSleepMs);
            }
        }
        if (woken == WAIT_OBJECT_0) {
            ResetEvent(wakeEvent);
            if (command == kCommandEnd) {
                command = kCommandNone;
                silentHalves = 0;
                state = kStopped;
                LeaveCriticalSection(&lock);
                OutputDebugStringW(L" звук остановился\n");
                // The UI thread joins this thread before the stream can go.
                PostToWindow(owner->PauseMessage(), 0);
                return 1;
            }
        }
        LeaveCriticalSection(&lock);
    }
}
