// A secondary buffer: 16-bit PCM samples the mixer plays from. Lock hands out
// a private copy of the region and Unlock writes it back under the mixer's
// lock, so a stream thread filling one half never races the mixer reading
// the other.
#pragma once

#include "platform/dsound.h"
#include "platform/dsound/mixer.h"
#include "platform/dsound/voice.h"

#include <atomic>
#include <list>
#include <memory>
#include <vector>

namespace platform::dsound {

class SecondaryBuffer final : public IDirectSoundBuffer8, public MixSource {
public:
    // `desc` and its format are already checked.
    SecondaryBuffer(std::shared_ptr<Mixer> mixer, const DSBUFFERDESC& desc);
    SecondaryBuffer(const SecondaryBuffer&) = delete;
    SecondaryBuffer& operator=(const SecondaryBuffer&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
    HRESULT GetStatus(LPDWORD status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                 LPDWORD bytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD playCursor) override;
    HRESULT SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT Stop() override;
    HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;
    HRESULT Restore() override;

    void MixAdd(int32_t* acc, size_t frames, uint32_t outputRate) override;
    bool Playing() const override { return playing_; }

    void Lose();

private:
    ~SecondaryBuffer();

    struct PendingLock {
        std::vector<uint8_t> bytes; // part 1, then part 2
        DWORD offset;               // where part 1 begins in the buffer
        DWORD length1;
        DWORD length2; // part 2 begins at offset 0
    };

    DWORD WriteCursor() const;

    std::atomic<ULONG> refs_{1};
    const std::shared_ptr<Mixer> mixer_;
    const DWORD sizeBytes_;
    const DWORD blockAlign_;
    const int channels_;
    const uint32_t rate_;

    // Guarded by the mixer's lock:
    std::vector<int16_t> samples_;
    VoicePosition position_;
    bool playing_ = false;
    bool looping_ = false;
    bool lost_ = false;
    std::list<PendingLock> locks_;
};

} // namespace platform::dsound
