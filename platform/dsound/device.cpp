// The device object and DirectSoundCreate8. Every device shares the one mixer
// and output; each has its own cooperative level and primary buffer.
#include "platform/dsound/device.h"

#include "platform/dsound/format.h"
#include "platform/dsound/mixer.h"
#include "platform/dsound/secondary_buffer.h"

#include <new>
#include <system_error>

const GUID DSDEVID_DefaultPlayback = {
    0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
const GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID IID_IDirectSound = {
    0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectSound8 = {
    0xC50A7E93, 0xF395, 0x4834, {0x9E, 0xF6, 0x7F, 0xA9, 0x9D, 0xE5, 0x09, 0x66}};
const GUID IID_IDirectSoundBuffer = {
    0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const GUID IID_IDirectSoundBuffer8 = {
    0x6825A449, 0x7524, 0x4D82, {0x92, 0x0F, 0x50, 0xE3, 0x6A, 0xB3, 0xAB, 0x1E}};

namespace platform::dsound {
namespace {

const DWORD kPrimaryFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
const DWORD kSecondaryFlags = DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY |
                              DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_STICKYFOCUS |
                              DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;

class Device final : public IDirectSound8 {
public:
    explicit Device(std::shared_ptr<Mixer> mixer)
        : mixer_(std::move(mixer)),
          state_(std::make_shared<DeviceState>())
    {}

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDirectSound || iid == IID_IDirectSound8) {
            AddRef();
            *object = static_cast<IDirectSound8*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG AddRef() override { return ++refs_; }

    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer,
                              LPUNKNOWN outer) override
    {
        if (!buffer) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (!desc || !IsValidDescSize(desc->dwSize)) return DSERR_INVALIDPARAM;
        if (outer) return DSERR_NOAGGREGATION;
        try {
            if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
                if ((desc->dwFlags & ~kPrimaryFlags) || desc->dwBufferBytes != 0 ||
                    desc->lpwfxFormat)
                    return DSERR_INVALIDPARAM;
                *buffer = AcquirePrimaryBuffer(state_);
                return DS_OK;
            }
            if ((desc->dwFlags & ~kSecondaryFlags) || !desc->lpwfxFormat ||
                desc->guid3DAlgorithm != GUID_NULL)
                return DSERR_INVALIDPARAM;
            if (!IsValidPcm(*desc->lpwfxFormat, true)) return DSERR_BADFORMAT;
            const DWORD bytes = desc->dwBufferBytes;
            if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX ||
                bytes % desc->lpwfxFormat->nBlockAlign != 0)
                return DSERR_INVALIDPARAM;
            *buffer = new SecondaryBuffer(mixer_, *desc);
            return DS_OK;
        } catch (const std::bad_alloc&) {
            return DSERR_OUTOFMEMORY;
        }
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override
    {
        if (!window || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
            return DSERR_INVALIDPARAM;
        state_->level = level;
        return DS_OK;
    }

private:
    ~Device() = default;

    std::atomic<ULONG> refs_{1};
    const std::shared_ptr<Mixer> mixer_;
    const std::shared_ptr<DeviceState> state_;
};

} // namespace
} // namespace platform::dsound

HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* directSound, LPUNKNOWN outer)
{
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (device && *device != GUID_NULL && *device != DSDEVID_DefaultPlayback) return DSERR_NODRIVER;
    try {
        *directSound = new platform::dsound::Device(platform::dsound::Mixer::Acquire());
        return DS_OK;
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    } catch (const std::system_error&) {
        return DSERR_GENERIC; // the output's thread could not be started
    }
}

namespace platform::dsoundtest {

void LoseBuffer(IDirectSoundBuffer* buffer)
{
    if (auto* secondary = dynamic_cast<dsound::SecondaryBuffer*>(buffer)) secondary->Lose();
}

} // namespace platform::dsoundtest
