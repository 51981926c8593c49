// The DirectSound mixer: CPU time per second of output with four streams
// playing (mixed by hand, thread CPU time), and the delay from Play to the
// first samples of that buffer in the real-time output.
#include "bench/support/cpu_time.h"
#include "bench/support/first_sound.h"
#include "platform/dsound.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using benchsupport::ThreadCpuSeconds;

// A one-second buffer as the sound streams make them, full of a tone.
IDirectSoundBuffer* MakeStream(IDirectSound8* ds, int channels, DWORD rate)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = WORD(channels);
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = WORD(channels * 2);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.cbSize = 18;
    DSBUFFERDESC d{};
    d.dwSize = DSBUFFERDESC_SIZE_32BIT;
    d.dwFlags = DSBCAPS_CTRLPAN;
    d.dwBufferBytes = f.nAvgBytesPerSec;
    d.lpwfxFormat = &f;
    IDirectSoundBuffer* buffer = nullptr;
    if (ds->CreateSoundBuffer(&d, &buffer, nullptr) != DS_OK)
        return nullptr;
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER);
    auto* s = static_cast<int16_t*>(p1);
    for (DWORD i = 0; i < n1 / 2; ++i)
        s[i] = int16_t((i * 97) % 8000 - 4000);
    buffer->Unlock(p1, n1, p2, n2);
    return buffer;
}

void BM_MixFourStreamsOneSecond(benchmark::State& state)
{
    platform::dsoundtest::PauseOutput(true);
    IDirectSound8* ds = nullptr;
    if (DirectSoundCreate8(nullptr, &ds, nullptr) != DS_OK) {
        state.SkipWithError("DirectSoundCreate8 failed");
        return;
    }
    ds->SetCooperativeLevel(benchsupport::NoWindow(), DSSCL_EXCLUSIVE);
    // The program's rates: 44,000 Hz speech and clicks, 44,100 and 22,050 Hz music.
    IDirectSoundBuffer* streams[4] = {MakeStream(ds, 2, 44100), MakeStream(ds, 1, 44000),
                                      MakeStream(ds, 2, 22050), MakeStream(ds, 1, 44100)};
    for (IDirectSoundBuffer* b : streams)
        b->Play(0, 0, DSBPLAY_LOOPING);

    const size_t rate = size_t(platform::dsoundtest::OutputRate());
    const size_t block = 512;
    std::vector<int16_t> out(2 * block);
    double cpu = 0;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        for (size_t done = 0; done < rate; done += block)
            platform::dsoundtest::MixInto(out.data(), std::min(block, rate - done));
        cpu += ThreadCpuSeconds() - start;
        benchmark::DoNotOptimize(out.data());
    }
    // Each iteration is one second of output, so its CPU time is the share of a core.
    state.counters["core_percent"] = 100.0 * cpu / double(state.iterations());
    state.SetLabel(std::to_string(rate) + " Hz output");

    for (IDirectSoundBuffer* b : streams)
        b->Release();
    ds->Release();
    platform::dsoundtest::PauseOutput(false);
}
BENCHMARK(BM_MixFourStreamsOneSecond)->Unit(benchmark::kMillisecond);

void BM_PlayToFirstSample(benchmark::State& state)
{
    platform::dsoundtest::PauseOutput(false);
    IDirectSound8* ds = nullptr;
    if (DirectSoundCreate8(nullptr, &ds, nullptr) != DS_OK) {
        state.SkipWithError("DirectSoundCreate8 failed");
        return;
    }
    ds->SetCooperativeLevel(benchsupport::NoWindow(), DSSCL_EXCLUSIVE);
    IDirectSoundBuffer* buffer = MakeStream(ds, 2, 44100);

    benchsupport::FirstSound firstSound;
    double worst = 0;
    for (auto _ : state) {
        firstSound.Arm();
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        const double delay = firstSound.Wait();
        buffer->Stop();
        buffer->SetCurrentPosition(0);
        if (delay < 0) {
            state.SkipWithError("the buffer was never heard");
            break;
        }
        worst = std::max(worst, delay);
        state.SetIterationTime(delay);
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    state.counters["worst_ms"] = worst * 1000;
    // With an SDL device the device's own buffer comes on top of this.
    state.SetLabel(std::string(platform::dsoundtest::OutputKind()) + " output");

    buffer->Release();
    ds->Release();
}
BENCHMARK(BM_PlayToFirstSample)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
