// The primary buffer: the program sets its format and plays it looping. The
// mix is made at the output's own rate, so a format it accepts changes nothing
// audible. It cannot be locked or positioned.
#include "platform/dsound/device.h"
#include "platform/dsound/format.h"

namespace platform::dsound {
namespace {

using Guard = std::lock_guard<std::mutex>;

class PrimaryBuffer final : public IDirectSoundBuffer {
public:
    explicit PrimaryBuffer(std::shared_ptr<DeviceState> state) : state_(std::move(state)) {}

    // With the state's mutex held.
    void AddRefLocked() { ++refs_; }

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer) {
            AddRef();
            *object = static_cast<IDirectSoundBuffer*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG AddRef() override
    {
        Guard lock(state_->mutex);
        return ++refs_;
    }

    ULONG Release() override
    {
        ULONG left;
        {
            Guard lock(state_->mutex);
            left = --refs_;
            if (left == 0) state_->primary = nullptr;
        }
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetCurrentPosition(LPDWORD, LPDWORD) override { return DSERR_UNSUPPORTED; }

    HRESULT GetStatus(LPDWORD status) override
    {
        if (!status) return DSERR_INVALIDPARAM;
        Guard lock(state_->mutex);
        *status = playing_ ? (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING) : 0;
        return DS_OK;
    }

    HRESULT Lock(DWORD, DWORD, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                 DWORD) override
    {
        if (part1) *part1 = nullptr;
        if (bytes1) *bytes1 = 0;
        if (part2) *part2 = nullptr;
        if (bytes2) *bytes2 = 0;
        return DSERR_INVALIDCALL;
    }

    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override
    {
        // The primary buffer only ever plays looping.
        if (reserved != 0 || priority != 0 || flags != DSBPLAY_LOOPING) return DSERR_INVALIDPARAM;
        Guard lock(state_->mutex);
        playing_ = true;
        return DS_OK;
    }

    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }

    HRESULT SetFormat(LPCWAVEFORMATEX format) override
    {
        if (!format) return DSERR_INVALIDPARAM;
        if (state_->level < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
        return IsValidPcm(*format, false) ? DS_OK : DSERR_BADFORMAT;
    }

    HRESULT Stop() override
    {
        Guard lock(state_->mutex);
        playing_ = false;
        return DS_OK;
    }

    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Restore() override { return DS_OK; }

private:
    ~PrimaryBuffer() = default;

    const std::shared_ptr<DeviceState> state_;
    // Guarded by state_->mutex:
    ULONG refs_ = 1;
    bool playing_ = false;
};

} // namespace

IDirectSoundBuffer* AcquirePrimaryBuffer(const std::shared_ptr<DeviceState>& state)
{
    Guard lock(state->mutex);
    if (state->primary) {
        auto* primary = static_cast<PrimaryBuffer*>(state->primary);
        primary->AddRefLocked();
        return primary;
    }
    auto* primary = new PrimaryBuffer(state);
    state->primary = primary;
    return primary;
}

} // namespace platform::dsound
