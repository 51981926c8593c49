#include "platform/dsound/mixer.h"

#include "platform/dsound.h"
#include "platform/dsound/voice.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace platform::dsound {
namespace {

const uint32_t kClockRate = 44100;
// Mixing goes in pieces of this size, whatever is asked for at once.
const size_t kMaxMixFrames = 1024;

std::mutex g_mixerMutex;
std::weak_ptr<Mixer> g_mixer; // guarded by g_mixerMutex
std::atomic<bool> g_paused{false};

std::mutex g_captureMutex;
platform::dsoundtest::CaptureFunction g_capture; // guarded by g_captureMutex

} // namespace

std::shared_ptr<Mixer> Mixer::Acquire()
{
    std::lock_guard<std::mutex> lock(g_mixerMutex);
    std::shared_ptr<Mixer> mixer = g_mixer.lock();
    if (!mixer) {
        mixer.reset(new Mixer());
        g_mixer = mixer;
    }
    return mixer;
}

std::shared_ptr<Mixer> Mixer::Current()
{
    std::lock_guard<std::mutex> lock(g_mixerMutex);
    return g_mixer.lock();
}

void Mixer::SetPaused(bool paused)
{
    g_paused = paused;
}

Mixer::Mixer() : acc_(2 * kMaxMixFrames)
{
    output_ = OpenSdlOutput();
    if (!output_) output_ = OpenClockOutput(kClockRate, [this] { return Idle(); });
    rate_ = output_->Rate();
    blockFrames_ = output_->BlockFrames();
    kind_ = output_->Kind();
    output_->Start([this](int16_t* out, size_t frames) { Render(out, frames); });
}

Mixer::~Mixer()
{
    output_.reset(); // no render call runs after this
}

void Mixer::Add(MixSource* source)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sources_.push_back(source);
}

void Mixer::Remove(MixSource* source)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void Mixer::Wake()
{
    output_->Wake();
}

bool Mixer::Idle()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::none_of(sources_.begin(), sources_.end(),
                        [](const MixSource* s) { return s->Playing(); });
}

void Mixer::Mix(int16_t* out, size_t frames)
{
    std::lock_guard<std::mutex> lock(mutex_);
    while (frames > 0) {
        const size_t n = std::min(frames, kMaxMixFrames);
        std::fill(acc_.begin(), acc_.begin() + 2 * n, 0);
        for (MixSource* source : sources_)
            source->MixAdd(acc_.data(), n, rate_);
        Saturate(acc_.data(), out, 2 * n);
        out += 2 * n;
        frames -= n;
    }
}

void Mixer::Render(int16_t* out, size_t frames)
{
    if (g_paused) {
        std::memset(out, 0, 2 * frames * sizeof(int16_t));
        return;
    }
    Mix(out, frames);
    std::lock_guard<std::mutex> lock(g_captureMutex);
    if (g_capture) g_capture(out, frames);
}

} // namespace platform::dsound

namespace platform::dsoundtest {

void PauseOutput(bool paused)
{
    dsound::Mixer::SetPaused(paused);
}

bool MixInto(int16_t* out, size_t frames)
{
    std::shared_ptr<dsound::Mixer> mixer = dsound::Mixer::Current();
    if (!mixer) {
        std::memset(out, 0, 2 * frames * sizeof(int16_t));
        return false;
    }
    mixer->Mix(out, frames);
    return true;
}

int OutputRate()
{
    std::shared_ptr<dsound::Mixer> mixer = dsound::Mixer::Current();
    return mixer ? int(mixer->Rate()) : 0;
}

const char* OutputKind()
{
    std::shared_ptr<dsound::Mixer> mixer = dsound::Mixer::Current();
    return mixer ? mixer->Kind() : "";
}

void SetCapture(CaptureFunction capture)
{
    std::lock_guard<std::mutex> lock(dsound::g_captureMutex);
    dsound::g_capture = std::move(capture);
}

} // namespace platform::dsoundtest
