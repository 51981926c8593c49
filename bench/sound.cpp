// The sound system as the program uses it: the delay from CSoundSystem::Play
// to the first samples of the sound in the mixer's real-time output, and
// the CPU time that four playing streams cost (their threads waking every
// 20 ms and decoding half a second at a time).
#include "framework/sound/CSoundSystem.h"
#include "platform/dsound.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisenc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The sound system posts to this window; no window of that handle exists,
// so its messages go nowhere.
HWND NoWindow()
{
    return reinterpret_cast<HWND>(uintptr_t(0x5678));
}

void AppendPage(std::vector<unsigned char>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// A stereo tone that is loud from its first sample, as Ogg Vorbis.
std::vector<unsigned char> EncodeTone(int rate, double seconds)
{
    std::vector<unsigned char> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, rate, 0.5f) != 0)
        return out;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_packet a, b, c;
    vorbis_analysis_headerout(&dsp, &comment, &a, &b, &c);
    ogg_stream_packetin(&stream, &a);
    ogg_stream_packetin(&stream, &b);
    ogg_stream_packetin(&stream, &c);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    const long frames = long(rate * seconds);
    for (long done = 0;;) {
        const long n = std::min(1024L, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(n));
            for (long i = 0; i < n; ++i) {
                const float v = float(0.5 * std::cos(2 * M_PI * 440.0 * double(done + i) / rate));
                buffer[0][i] = v;
                buffer[1][i] = v;
            }
            vorbis_analysis_wrote(&dsp, int(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    AppendPage(out, page);
            }
        }
        if (n <= 0)
            break;
    }
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
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

    std::atomic<bool> armed{false};
    std::atomic<int64_t> heardAt{0};
    platform::dsoundtest::SetCapture([&](const int16_t* stereo, size_t frames) {
        if (!armed)
            return;
        for (size_t i = 0; i < 2 * frames; ++i) {
            if (stereo[i] != 0) {
                heardAt = Clock::now().time_since_epoch().count();
                armed = false;
                return;
            }
        }
    });

    double worst = 0;
    for (auto _ : state) {
        heardAt = 0;
        armed = true;
        const Clock::time_point start = Clock::now();
        if (!sound->Play(id)) {
            state.SkipWithError("Play failed");
            break;
        }
        while (heardAt == 0 && Clock::now() - start < std::chrono::seconds(2))
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        sound->Stop(id);
        if (heardAt == 0) {
            state.SkipWithError("the sound was never heard");
            break;
        }
        const double delay = std::chrono::duration<double>(Clock::duration(heardAt.load()) -
                                                           start.time_since_epoch())
                                 .count();
        worst = std::max(worst, delay);
        state.SetIterationTime(delay);
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    state.counters["worst_ms"] = worst * 1000;
    state.SetLabel(std::string(platform::dsoundtest::OutputKind()) + " output");
    platform::dsoundtest::SetCapture(nullptr);
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
