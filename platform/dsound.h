// DirectSound 8 as the sound system uses it: a device object, a primary
// buffer that only carries the output format, and secondary buffers of 16-bit
// PCM that our own mixer plays into one output stream (an SDL audio device,
// or a clock-driven output when no device can be had, so play cursors always
// move in real time).
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>

struct IUnknown;
typedef IUnknown* LPUNKNOWN;
typedef const GUID* LPCGUID;

// Results
#define DS_OK ((HRESULT)0)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL ((HRESULT)0x88780032)
#define DSERR_GENERIC E_FAIL
#define DSERR_PRIOLEVELNEEDED ((HRESULT)0x88780046)
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT ((HRESULT)0x88780064)
#define DSERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DSERR_NODRIVER ((HRESULT)0x88780078)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DSERR_BUFFERLOST ((HRESULT)0x88780096)
#define DSERR_NOINTERFACE E_NOINTERFACE

// Cooperative levels
#define DSSCL_NORMAL 0x00000001u
#define DSSCL_PRIORITY 0x00000002u
#define DSSCL_EXCLUSIVE 0x00000003u
#define DSSCL_WRITEPRIMARY 0x00000004u

// Buffer capabilities accepted by CreateSoundBuffer. Volume, pan and
// frequency controls are accepted but have no effect on the mix.
#define DSBCAPS_PRIMARYBUFFER 0x00000001u
#define DSBCAPS_STATIC 0x00000002u
#define DSBCAPS_LOCSOFTWARE 0x00000008u
#define DSBCAPS_CTRLFREQUENCY 0x00000020u
#define DSBCAPS_CTRLPAN 0x00000040u
#define DSBCAPS_CTRLVOLUME 0x00000080u
#define DSBCAPS_STICKYFOCUS 0x00004000u
#define DSBCAPS_GLOBALFOCUS 0x00008000u
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000u

// Play, lock and status flags
#define DSBPLAY_LOOPING 0x00000001u
#define DSBLOCK_FROMWRITECURSOR 0x00000001u
#define DSBLOCK_ENTIREBUFFER 0x00000002u
#define DSBSTATUS_PLAYING 0x00000001u
#define DSBSTATUS_BUFFERLOST 0x00000002u
#define DSBSTATUS_LOOPING 0x00000004u

// Limits of a secondary buffer
#define DSBSIZE_MIN 4u
#define DSBSIZE_MAX 0x0FFFFFFFu
#define DSBFREQUENCY_MIN 100u
#define DSBFREQUENCY_MAX 200000u

#define WAVE_FORMAT_PCM 1

#pragma pack(push, 1)
// Byte-packed as in the wave file header it mirrors: 18 bytes.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

// dwSize may be sizeof(DSBUFFERDESC) or the 36 bytes the structure has with
// 32-bit pointers, which callers written against that layout pass.
#define DSBUFFERDESC_SIZE_32BIT 36u

extern const GUID DSDEVID_DefaultPlayback;
extern const GUID IID_IUnknown;
extern const GUID IID_IDirectSound;
extern const GUID IID_IDirectSound8;
extern const GUID IID_IDirectSoundBuffer;
extern const GUID IID_IDirectSoundBuffer8;

// Reference counts follow COM: a new object starts at 1, AddRef and Release
// return the new count, the object is gone when Release returns 0.
struct IDirectSoundBuffer {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) = 0;
    virtual HRESULT GetStatus(LPDWORD status) = 0;
    // A region that runs past the end of the buffer comes back in two parts,
    // the second from offset 0; with part2 null the region stops at the end.
    // Bytes written through the returned pointers reach the buffer at Unlock.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                         LPDWORD bytes2, DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD playCursor) = 0;
    virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
    virtual HRESULT Stop() = 0;
    // bytes1 and bytes2 say how much of each locked part was written.
    virtual HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) = 0;
    virtual HRESULT Restore() = 0;

protected:
    ~IDirectSoundBuffer() = default;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

struct IDirectSoundBuffer8 : IDirectSoundBuffer {
protected:
    ~IDirectSoundBuffer8() = default;
};
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;

struct IDirectSound8 {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer,
                                      LPUNKNOWN outer) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;

protected:
    ~IDirectSound8() = default;
};
typedef IDirectSound8* LPDIRECTSOUND8;

// device: null, GUID_NULL or DSDEVID_DefaultPlayback (the one output there is).
// Succeeds without a sound device too: the output is then clock-driven.
HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer);

// Seams for tests and benchmarks.
namespace platform::dsoundtest {

// While paused, the real-time output plays silence and moves no cursor;
// buffers then advance only through MixInto. Holds for outputs made later too.
void PauseOutput(bool paused);

// Mixes `frames` frames of every playing buffer, exactly as the output does,
// into `out` (interleaved left/right, 2 x frames samples). Returns false,
// with silence in `out`, when no DirectSound object or buffer is alive.
bool MixInto(int16_t* out, size_t frames);

// Frames per second of the output; 0 when none is open.
int OutputRate();
// "sdl" or "clock"; "" when none is open.
const char* OutputKind();

// Every block the real-time output mixes is handed to the hook (on the
// output's thread) before it is played; an empty function removes it.
using CaptureFunction = std::function<void(const int16_t* stereo, size_t frames)>;
void SetCapture(CaptureFunction capture);

// Marks a secondary buffer lost: Lock and Play return DSERR_BUFFERLOST until
// Restore is called. A playing buffer goes on playing, in silence, so its
// cursor moves on to the refill that restores it.
void LoseBuffer(IDirectSoundBuffer* buffer);

} // namespace platform::dsoundtest
