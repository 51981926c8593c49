#include "bench/support/scenes.h"

#include <cmath>
#include <cstring>
#include <random>

namespace benchsupport {

const char* const kSceneNames[3] = {"exercise", "instruction", "text"};

const POINT kInstructionBubbles[11] = {{20, 10},   {280, 0},   {520, 20},  {-60, 200},
                                       {150, 170}, {400, 190}, {600, 230}, {40, 380},
                                       {280, 200}, {330, 360}, {560, 400}};

POINT TextGlyphAt(int i)
{
    return POINT{40 + (i % 20) * 12 + (i / 20 % 2) * 3, 40 + (i / 20) * 24};
}

std::vector<uint8_t> GlyphCoverage(int kind)
{
    std::mt19937 rng(kind);
    const auto coord = [&](int limit) { return 1.0 + (rng() % 1000) / 1000.0 * (limit - 2); };
    double strokes[3][4];
    for (auto& st : strokes)
        st[0] = coord(kGlyphWidth), st[1] = coord(kGlyphHeight), st[2] = coord(kGlyphWidth),
        st[3] = coord(kGlyphHeight);
    std::vector<uint8_t> alpha(kGlyphWidth * kGlyphHeight);
    for (int y = 0; y < kGlyphHeight; ++y)
        for (int x = 0; x < kGlyphWidth; ++x) {
            double cover = 0;
            for (const auto& st : strokes) {
                // Distance from the pixel centre to the segment.
                const double px = x + 0.5 - st[0], py = y + 0.5 - st[1];
                const double dx = st[2] - st[0], dy = st[3] - st[1];
                const double t = std::fmax(
                    0.0, std::fmin(1.0, (px * dx + py * dy) / (dx * dx + dy * dy + 1e-9)));
                const double d = std::hypot(px - t * dx, py - t * dy);
                cover = std::fmax(cover, std::fmin(1.0, std::fmax(0.0, 1.3 - d)));
            }
            alpha[y * kGlyphWidth + x] = static_cast<uint8_t>(cover * 255 + 0.5);
        }
    return alpha;
}

uint32_t Premultiplied(uint32_t argb)
{
    const uint32_t a = argb >> 24;
    uint32_t out = a << 24;
    for (int s = 0; s < 24; s += 8)
        out |= (((argb >> s) & 255) * a + 127) / 255 << s;
    return out;
}

pixman_image_t* TintImage(uint32_t colour)
{
    const uint32_t a = colour >> 24;
    const auto w = [a](uint32_t v) { return static_cast<uint16_t>((v & 255) * a * 257 / 255); };
    pixman_color_t solid = {w(colour >> 16), w(colour >> 8), w(colour),
                            static_cast<uint16_t>(a * 257)};
    return pixman_image_create_solid_fill(&solid);
}

void BestTimes::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
        if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
            const std::string name = r.run_name.str();
            const double t = r.GetAdjustedRealTime();
            const auto it = times.find(name);
            if (it == times.end() || t < it->second)
                times[name] = t;
        }
}

const double* BestTimes::Best(const std::string& name) const
{
    const auto it = times.find(name);
    return it == times.end() ? nullptr : &it->second;
}

void RunInRounds(int argc, char** argv, int rounds, BestTimes& reporter)
{
    std::vector<char*> args(argv, argv + argc);
    bool repetitions = false;
    for (char* a : args)
        repetitions |= std::strncmp(a, "--benchmark_repetitions", 23) == 0;
    std::string roundsArg = "--benchmark_repetitions=" + std::to_string(rounds);
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char reportAggregates[] = "--benchmark_report_aggregates_only=false";
    if (!repetitions) {
        args.push_back(&roundsArg[0]);
        args.push_back(interleave);
        args.push_back(reportAggregates);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
}

} // namespace benchsupport
