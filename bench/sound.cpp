// The sound system as the program uses it: the delay from CSoundSystem::Play
// to the first samples of the sound in the mixer's real-time output, and
// the CPU time that four playing streams cost (their threads waking every
// 20 ms and decoding half a second at a time).
#include "bench/support/cpu_time.h"
#include "bench/support/first_sound.h"
#include "bench/support/vorbis_tone.h"
#include "framework/sound/CSoundSystem.h"
#include "platform/dsound.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using benchsupport::NoWindow;
using benchsupport::ProcessCpuSeconds;

// A stereo tone that is loud from its first sample, as Ogg Vorbis.
std::vector<unsigned char> EncodeTone(int rate, double seconds)
{
    return benchsupport::EncodeVorbis(
        2, rate, benchsupport::Tone(2, rate, long(rate * seconds), 440.0, 0.5, M_PI / 2));
}

void BM_PlayToFirstSound(benchmark::State& state)
{
    platform::dsoundtest::PauseOutput(false);
    static const std::vector<unsigned char> ogg = EncodeTone(44100, 2.0);
    std::unique_ptr<CSoundSystem> sound(new CSoundSystem());
    sound->Init(NoWindow());
    const unsigned long id = sound->AddSoundFromMemory(L"tone", ogg.data(), unsigned(ogg.size()));
    if (!id) {
        state.SkipWithError("the tone did not register");
        return;
    }

    benchsupport::FirstSound firstSound;
    double worst = 0;
    for (auto _ : state) {
        firstSound.Arm();
        if (!sound->Play(id)) {
            state.SkipWithError("Play failed");
            break;
        }
        const double delay = firstSound.Wait();
        sound->Stop(id);
        if (delay < 0) {
            state.SkipWithError("the sound was never heard");
            break;
        }
        worst = std::max(worst, delay);
        state.SetIterationTime(delay);
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    state.counters["worst_ms"] = worst * 1000;
    state.SetLabel(std::string(platform::dsoundtest::OutputKind()) + " output");
}
BENCHMARK(BM_PlayToFirstSound)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

// Process CPU per second of wall time, with the given number of streams
// playing; each iteration is two seconds.
double CpuShare(CSoundSystem& sound, const std::vector<unsigned long>& ids, double wallSeconds)
{
    for (unsigned long id : ids)
        sound.Play(id);
    const double cpuStart = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(wallSeconds));
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    for (unsigned long id : ids)
        sound.Stop(id);
    return cpu / wall;
}

void BM_FourStreamsCpu(benchmark::State& state)
{
    platform::dsoundtest::PauseOutput(false);
    // Longer than an iteration, so the streams decode all through it.
    static const std::vector<unsigned char> ogg = EncodeTone(44100, 4.0);
    std::unique_ptr<CSoundSystem> sound(new CSoundSystem());
    sound->Init(NoWindow());
    std::vector<unsigned long> ids;
    for (const wchar_t* name : {L"one", L"two", L"three", L"four"})
        ids.push_back(sound->AddSoundFromMemory(name, ogg.data(), unsigned(ogg.size())));

    double streams = 0, idle = 0;
    for (auto _ : state) {
        // The output mixes all the time; what the streams add is the difference.
        idle += CpuShare(*sound, {}, 1.0);
        streams += CpuShare(*sound, ids, 2.0);
    }
    const double n = double(state.iterations());
    state.counters["streams_core_percent"] = 100.0 * (streams - idle) / n;
    state.counters["with_output_core_percent"] = 100.0 * streams / n;
    state.counters["output_alone_core_percent"] = 100.0 * idle / n;
    state.SetLabel(std::string(platform::dsoundtest::OutputKind()) + " output");
}
BENCHMARK(BM_FourStreamsCpu)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
