#include "platform/dsound/output.h"

#include <SDL.h>

#include <cstring>

namespace platform::dsound {
namespace {

const int kWantedRate = 44100;
const int kWantedBlockFrames = 512;

class SdlOutput final : public Output {
public:
    SdlOutput() { SDL_zero(spec_); }

    ~SdlOutput() override
    {
        if (device_ != 0) SDL_CloseAudioDevice(device_); // waits for the callback to return
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open()
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        initialised_ = true;
        const char* driver = SDL_GetCurrentAudioDriver();
        // The dummy driver plays nothing; the disk driver writes the mix to a
        // file at the real-time rate, which is how the sound is checked.
        if (!driver || std::strcmp(driver, "dummy") == 0) return false;
        SDL_AudioSpec want;
        SDL_zero(want);
        want.freq = kWantedRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = kWantedBlockFrames;
        want.callback = &SdlOutput::Callback;
        want.userdata = this;
        // Format and channels are converted by SDL when the device differs;
        // the rate is the device's own, resampled to by the mixer.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        return device_ != 0 && spec_.freq > 0;
    }

    uint32_t Rate() const override { return uint32_t(spec_.freq); }
    uint32_t BlockFrames() const override { return spec_.samples; }
    const char* Kind() const override { return "sdl"; }

    void Start(RenderFunction render) override
    {
        SDL_LockAudioDevice(device_);
        render_ = std::move(render);
        SDL_UnlockAudioDevice(device_);
        SDL_PauseAudioDevice(device_, 0);
    }

private:
    static void Callback(void* self, Uint8* stream, int bytes)
    {
        auto* output = static_cast<SdlOutput*>(self);
        const size_t frames = size_t(bytes) / (2 * sizeof(int16_t));
        if (output->render_)
            output->render_(reinterpret_cast<int16_t*>(stream), frames);
        else
            std::memset(stream, 0, size_t(bytes));
    }

    bool initialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_;
    RenderFunction render_; // set under the device's lock, read by the callback
};

} // namespace

std::unique_ptr<Output> OpenSdlOutput()
{
    auto output = std::make_unique<SdlOutput>();
    if (!output->Open()) return nullptr;
    return output;
}

} // namespace platform::dsound
