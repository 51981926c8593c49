// The one mixer of the process: it sums every playing secondary buffer into
// the output stream. One mutex guards the mixer's list and every buffer's
// playback state and samples; buffers and the seams take it through Lock().
#pragma once

#include "platform/dsound/output.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::dsound {

class MixSource {
public:
    // Adds `frames` stereo frames to `acc` at `outputRate`; called with the
    // mixer's lock held.
    virtual void MixAdd(int32_t* acc, size_t frames, uint32_t outputRate) = 0;
    // Whether it plays; called with the mixer's lock held.
    virtual bool Playing() const = 0;

protected:
    ~MixSource() = default;
};

class Mixer {
public:
    // The live mixer, made (and its output opened) when there is none.
    static std::shared_ptr<Mixer> Acquire();
    // The live mixer, or null.
    static std::shared_ptr<Mixer> Current();

    static void SetPaused(bool paused);

    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    std::mutex& Lock() { return mutex_; }
    void Add(MixSource* source);
    void Remove(MixSource* source);

    // A source has started to play (called with or without the lock held).
    void Wake();

    // Mixes `frames` frames of every source into `out`.
    void Mix(int16_t* out, size_t frames);

    uint32_t Rate() const { return rate_; }
    uint32_t BlockFrames() const { return blockFrames_; }
    const char* Kind() const { return kind_; }

private:
    Mixer();
    void Render(int16_t* out, size_t frames);
    bool Idle();

    std::mutex mutex_;
    std::vector<MixSource*> sources_; // guarded by mutex_
    std::vector<int32_t> acc_;        // guarded by mutex_
    uint32_t rate_ = 0;
    uint32_t blockFrames_ = 0;
    const char* kind_ = "";
    std::unique_ptr<Output> output_;
};

} // namespace platform::dsound
