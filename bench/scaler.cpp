// The frame scaler on what a flying bubble changes at 1920 x 1080: the
// 800 x 600 frame's changed box (262 x 240, moved every iteration) scaled
// into the 1440 x 1080 letterbox of a 1920-pixel-wide window, as the box
// alone (0) and narrowed row by row to the round bubble's spans (1); and,
// for scale, the whole frame (2).
#include "platform/sdl/frame_scaler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600, kWindow = 1920, kOutWidth = 1440, kOutHeight = 1080;

void BM_ScaleChanged(benchmark::State& state)
{
    std::mt19937 random(1);
    std::vector<uint32_t> source(kWidth * kHeight);
    for (uint32_t& p : source)
        p = random();
    // The window's rows begin on a cache line, as the display's do.
    std::vector<uint32_t> window(static_cast<size_t>(kWindow) * kOutHeight + 16);
    uint32_t* rows = reinterpret_cast<uint32_t*>(
        (reinterpret_cast<uintptr_t>(window.data()) + 63) & ~uintptr_t(63));
    uint32_t* letterbox = rows + (kWindow - kOutWidth) / 2;
    platform::FrameScaler scaler;
    scaler.Scale(source.data(), kWidth, kHeight, kWidth * 4, letterbox, kOutWidth, kOutHeight,
                 kWindow * 4);
    std::vector<int32_t> spans(2 * kHeight);
    int step = 0;
    for (auto _ : state) {
        const int x = 100 + step % 200, y = 100 + step % 150;
        ++step;
        int box[4] = {x, y, x + 262, y + 240};
        if (state.range(0) == 2) {
            box[0] = box[1] = 0;
            box[2] = kWidth;
            box[3] = kHeight;
        }
        const int32_t* narrowed = nullptr;
        if (state.range(0) == 1) {
            for (int row = y; row < y + 240; ++row) {
                const double dy = (row - y - 119.5) / 120.0;
                const int half = static_cast<int>(131 * std::sqrt(std::max(0.0, 1 - dy * dy))) + 4;
                spans[2 * row] = std::max(x, x + 131 - half);
                spans[2 * row + 1] = std::min(x + 262, x + 131 + half);
            }
            narrowed = spans.data();
        }
        int written[4];
        scaler.ScaleChanged(source.data(), kWidth, kHeight, kWidth * 4, letterbox, kOutWidth,
                            kOutHeight, kWindow * 4, box, written, narrowed);
        benchmark::DoNotOptimize(written);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_ScaleChanged)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
