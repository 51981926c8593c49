#include "platform/dsound/secondary_buffer.h"

#include <algorithm>
#include <cstring>

namespace platform::dsound {

using Guard = std::lock_guard<std::mutex>;

SecondaryBuffer::SecondaryBuffer(std::shared_ptr<Mixer> mixer, const DSBUFFERDESC& desc)
    : mixer_(std::move(mixer)),
      sizeBytes_(desc.dwBufferBytes),
      blockAlign_(desc.lpwfxFormat->nBlockAlign),
      channels_(desc.lpwfxFormat->nChannels),
      rate_(desc.lpwfxFormat->nSamplesPerSec),
      samples_(desc.dwBufferBytes / sizeof(int16_t), 0)
{
    mixer_->Add(this);
}

SecondaryBuffer::~SecondaryBuffer()
{
    mixer_->Remove(this);
}

HRESULT SecondaryBuffer::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDirectSoundBuffer || iid == IID_IDirectSoundBuffer8) {
        AddRef();
        *object = static_cast<IDirectSoundBuffer8*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG SecondaryBuffer::AddRef()
{
    return ++refs_;
}

ULONG SecondaryBuffer::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

DWORD SecondaryBuffer::WriteCursor() const
{
    if (!playing_) return position_.frame * blockAlign_;
    // The mixer takes about this much ahead of the play cursor at a time.
    const uint64_t ahead = uint64_t(rate_) * mixer_->BlockFrames() / mixer_->Rate() + 1;
    const uint64_t frames = sizeBytes_ / blockAlign_;
    return DWORD((position_.frame + std::min<uint64_t>(ahead, frames - 1)) % frames * blockAlign_);
}

HRESULT SecondaryBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor)
{
    Guard lock(mixer_->Lock());
    if (playCursor) *playCursor = position_.frame * blockAlign_;
    if (writeCursor) *writeCursor = WriteCursor();
    return DS_OK;
}

HRESULT SecondaryBuffer::GetStatus(LPDWORD status)
{
    if (!status) return DSERR_INVALIDPARAM;
    Guard lock(mixer_->Lock());
    *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0) |
              (lost_ ? DSBSTATUS_BUFFERLOST : 0);
    return DS_OK;
}

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1,
                              LPVOID* part2, LPDWORD bytes2, DWORD flags)
{
    if (part1) *part1 = nullptr;
    if (bytes1) *bytes1 = 0;
    if (part2) *part2 = nullptr;
    if (bytes2) *bytes2 = 0;
    if (!part1 || !bytes1 || (part2 && !bytes2)) return DSERR_INVALIDPARAM;
    if (flags & ~(DSBLOCK_FROMWRITECURSOR | DSBLOCK_ENTIREBUFFER)) return DSERR_INVALIDPARAM;

    Guard lock(mixer_->Lock());
    if (lost_) return DSERR_BUFFERLOST;
    if (flags & DSBLOCK_FROMWRITECURSOR) offset = WriteCursor();
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = sizeBytes_;
    if (offset >= sizeBytes_ || bytes == 0 || bytes > sizeBytes_) return DSERR_INVALIDPARAM;

    PendingLock pending;
    pending.offset = offset;
    pending.length1 = std::min(bytes, sizeBytes_ - offset);
    pending.length2 = part2 ? bytes - pending.length1 : 0;
    pending.bytes.resize(pending.length1 + pending.length2);
    const auto* data = reinterpret_cast<const uint8_t*>(samples_.data());
    std::memcpy(pending.bytes.data(), data + offset, pending.length1);
    std::memcpy(pending.bytes.data() + pending.length1, data, pending.length2);
    locks_.push_back(std::move(pending));

    PendingLock& held = locks_.back();
    *part1 = held.bytes.data();
    *bytes1 = held.length1;
    if (part2) {
        *part2 = held.length2 ? held.bytes.data() + held.length1 : nullptr;
        *bytes2 = held.length2;
    }
    return DS_OK;
}

HRESULT SecondaryBuffer::Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2)
{
    Guard lock(mixer_->Lock());
    auto held = std::find_if(locks_.begin(), locks_.end(),
                             [part1](const PendingLock& l) { return l.bytes.data() == part1; });
    if (!part1 || held == locks_.end()) return DSERR_INVALIDPARAM;
    uint8_t* second = held->length2 ? held->bytes.data() + held->length1 : nullptr;
    if (bytes1 > held->length1 || bytes2 > held->length2) return DSERR_INVALIDPARAM;
    if ((part2 || bytes2) && part2 != second) return DSERR_INVALIDPARAM;

    auto* data = reinterpret_cast<uint8_t*>(samples_.data());
    std::memcpy(data + held->offset, held->bytes.data(), bytes1);
    std::memcpy(data, held->bytes.data() + held->length1, bytes2);
    locks_.erase(held);
    return DS_OK;
}

HRESULT SecondaryBuffer::Play(DWORD reserved, DWORD priority, DWORD flags)
{
    if (reserved != 0 || priority != 0 || (flags & ~DSBPLAY_LOOPING)) return DSERR_INVALIDPARAM;
    Guard lock(mixer_->Lock());
    if (lost_) return DSERR_BUFFERLOST;
    looping_ = (flags & DSBPLAY_LOOPING) != 0;
    playing_ = true;
    mixer_->Wake();
    return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD playCursor)
{
    if (playCursor >= sizeBytes_) return DSERR_INVALIDPARAM;
    Guard lock(mixer_->Lock());
    position_.frame = playCursor / blockAlign_;
    position_.remainder = 0;
    return DS_OK;
}

HRESULT SecondaryBuffer::SetFormat(LPCWAVEFORMATEX)
{
    return DSERR_INVALIDCALL; // only the primary buffer has a settable format
}

HRESULT SecondaryBuffer::Stop()
{
    Guard lock(mixer_->Lock());
    playing_ = false;
    return DS_OK;
}

HRESULT SecondaryBuffer::Restore()
{
    Guard lock(mixer_->Lock());
    lost_ = false;
    return DS_OK;
}

void SecondaryBuffer::MixAdd(int32_t* acc, size_t frames, uint32_t outputRate)
{
    if (!playing_) return;
    const VoiceSource source{samples_.data(), sizeBytes_ / blockAlign_, channels_, rate_};
    // A lost buffer's samples are gone: it plays on in silence.
    playing_ = MixVoice(source, looping_, outputRate, position_, lost_ ? nullptr : acc, frames);
}

void SecondaryBuffer::Lose()
{
    Guard lock(mixer_->Lock());
    lost_ = true;
}

} // namespace platform::dsound
