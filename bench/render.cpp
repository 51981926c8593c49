// One frame of the program's screens, built with the real controls in the
// real window: the window's update pass and its render pass (clear, paint
// down the tree, every quad through the resource manager and the software
// device, present). Against it, the same quads composited with pixman
// (OVER; bilinear where the quad shrinks its picture, nearest otherwise;
// the tint as a solid mask, or a coloured tint as a solid source through a
// white glyph). Prints each scene's ratio to pixman.
//
// Scenes: the exercise (the background "102" and one bubble "103" stretched
// to 512 × 471), the instruction (the background, eleven translucent
// 276 × 256 bubbles at 0xA5FFFFFF, the mouse and the pointer) and a text
// screen (the background and 400 glyph-sized 10 × 18 pictures tinted as text).
//
// KVARLOP_BENCH_FRAMES=<folder> also saves each scene's frame from both.
#include "framework/controls/IMStaticPictureBase.h"
#include "framework/render/IMResourceManager.h"
#include "framework/window/IMWindow.h"
#include "platform/d3d9.h"
#include "platform/present.h"
#include "platform/user32.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

typedef IMStaticPictureBase<IMTextureView> Picture;

// --- the window -----------------------------------------------------------

class Screen {
public:
    // shown false: presented frames stay in the device, so the frame costs
    // what the framework and the device do; shown true: they also go to the
    // window through SDL (headless, a software GL renderer).
    explicit Screen(bool shown)
    {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        const RECT rect{0, 0, 800, 600};
        window = IMWindow::Create(nullptr, &rect, L"Render benchmark", false, nullptr);
        saved = platform::GetPresentFunction();
        if (!shown)
            platform::SetPresentFunction(nullptr);
    }

    ~Screen()
    {
        pictures.clear();
        platform::SetPresentFunction(saved);
        delete window;
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    Picture* Add(int x, int y, const std::wstring& name, DWORD colour = 0xFFFFFFFF)
    {
        Picture* p = Picture::Create(window, x, y, name, 0, colour);
        pictures.push_back(p);
        return p;
    }

    // Joins the pictures to the window and draws once.
    void Settle()
    {
        window->OnUpdate(IMEvent(window, IMEVENT_UPDATE));
        window->SetDirty(true);
        window->Render();
    }

    // One frame as the main loop makes it: the update pass, then the render
    // pass. Something on the screen changes every frame (as the bubbles
    // fly), so every frame is drawn.
    void Frame()
    {
        window->OnUpdate(IMEvent(window, IMEVENT_UPDATE));
        window->SetDirty(true);
        window->Render();
    }

    platform::d3d9test::Frame Shown()
    {
        return platform::d3d9test::LastPresentedFrame(IMResourceManager::Instance()->Device());
    }

    IMWindow* window = nullptr;
    std::vector<Picture*> pictures;

private:
    platform::PresentFunction saved = nullptr;
};

// 40 glyph pictures, white with their coverage in alpha: three strokes about
// 1.6 pixels wide with smooth edges, as rasterised text.
void RegisterGlyphs()
{
    IMResourceManager& manager = *IMResourceManager::Instance();
    for (int g = 0; g < 40; ++g) {
        const std::wstring name = L"bench glyph " + std::to_wstring(g);
        const int id = manager.CreateEmptyTexture(name, 10, 18, D3DFMT_A8R8G8B8);
        std::mt19937 rng(g);
        const auto coord = [&](int limit) { return 1.0 + (rng() % 1000) / 1000.0 * (limit - 2); };
        double strokes[3][4];
        for (auto& st : strokes) st[0] = coord(10), st[1] = coord(18), st[2] = coord(10), st[3] = coord(18);
        manager.FillTexture(id, [&strokes](unsigned char* bits, int pitch, int) {
            for (int y = 0; y < 18; ++y)
                for (int x = 0; x < 10; ++x) {
                    double cover = 0;
                    for (const auto& st : strokes) {
                        const double px = x + 0.5 - st[0], py = y + 0.5 - st[1];
                        const double dx = st[2] - st[0], dy = st[3] - st[1];
                        const double t =
                            std::fmax(0.0, std::fmin(1.0, (px * dx + py * dy) / (dx * dx + dy * dy + 1e-9)));
                        const double d = std::hypot(px - t * dx, py - t * dy);
                        cover = std::fmax(cover, std::fmin(1.0, std::fmax(0.0, 1.3 - d)));
                    }
                    const uint32_t a = static_cast<uint32_t>(cover * 255 + 0.5);
                    *reinterpret_cast<uint32_t*>(bits + y * pitch + x * 4) = a << 24 | 0xFFFFFF;
                }
        });
    }
}

const char* const kSceneNames[3] = {"exercise", "instruction", "text"};

void BuildScene(Screen& screen, int which)
{
    screen.Add(0, 0, L"102");
    if (which == 0) {
        Picture* bubble = screen.Add(150, 60, L"103");
        bubble->SetSize(512, 471);
        bubble->hitThreshold = 1;
    } else if (which == 1) {
        const POINT at[11] = {{20, 10},  {280, 0},   {520, 20}, {-60, 200}, {150, 170}, {400, 190},
                              {600, 230}, {40, 380}, {280, 200}, {330, 360}, {560, 400}};
        for (const POINT& p : at) {
            Picture* bubble = screen.Add(p.x, p.y, L"103", 0xA5FFFFFF);
            bubble->SetSize(276, 256);
        }
        screen.Add(451, 347, L"PrintButton");
        screen.Add(470, 380, L"ExitButton");
    } else {
        RegisterGlyphs();
        for (int i = 0; i < 400; ++i) {
            const int x = 40 + (i % 20) * 12 + (i / 20 % 2) * 3, y = 40 + (i / 20) * 24;
            screen.Add(x, y, L"bench glyph " + std::to_wstring((i * 7) % 40), 0xFF072134);
        }
    }
    screen.Settle();
}

// --- pixman ---------------------------------------------------------------

// The pictures of a screen as pixman draws them.
class PixmanScene {
public:
    explicit PixmanScene(const Screen& screen) : target(800 * 600)
    {
        dest = pixman_image_create_bits(PIXMAN_a8r8g8b8, 800, 600, target.data(), 800 * 4);
        IMResourceManager& manager = *IMResourceManager::Instance();
        for (Picture* p : screen.pictures) {
            Quad q;
            p->GetRect(&q.dest);
            p->GetSourceRect(&q.source);
            q.colour = p->colour;
            q.image = ImageOf(*manager.GetTextureRecord(p->GetTextureId()));
            if (q.colour != 0xFFFFFFFF && !solids.count(q.colour)) {
                const uint32_t c = q.colour, a = c >> 24;
                const auto w = [a](uint32_t v) { return static_cast<uint16_t>((v & 255) * a * 257 / 255); };
                pixman_color_t colour = {w(c >> 16), w(c >> 8), w(c), static_cast<uint16_t>(a * 257)};
                solids[q.colour] = pixman_image_create_solid_fill(&colour);
            }
            quads.push_back(q);
        }
    }

    ~PixmanScene()
    {
        for (auto& s : solids) pixman_image_unref(s.second);
        for (auto& i : images) pixman_image_unref(i.second);
        pixman_image_unref(dest);
    }

    PixmanScene(const PixmanScene&) = delete;
    PixmanScene& operator=(const PixmanScene&) = delete;

    void Frame()
    {
        pixman_fill(target.data(), 800, 32, 0, 0, 800, 600, 0xFF000000);
        for (const Quad& q : quads) {
            const int dw = q.dest.right - q.dest.left, dh = q.dest.bottom - q.dest.top;
            const int sw = q.source.right - q.source.left, sh = q.source.bottom - q.source.top;
            pixman_transform_t t;
            pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sw) / dw),
                                        pixman_double_to_fixed(double(sh) / dh));
            pixman_image_set_transform(q.image, &t);
            const bool minified = sw > dw || sh > dh;
            pixman_image_set_filter(q.image, minified ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                                    nullptr, 0);
            // The part of the destination on the screen.
            const int x0 = std::max<int>(q.dest.left, 0), y0 = std::max<int>(q.dest.top, 0);
            const int x1 = std::min<int>(q.dest.right, 800), y1 = std::min<int>(q.dest.bottom, 600);
            if (x0 >= x1 || y0 >= y1) continue;
            const int sx = x0 - q.dest.left, sy = y0 - q.dest.top;
            if (q.colour == 0xFFFFFFFF)
                pixman_image_composite32(PIXMAN_OP_OVER, q.image, nullptr, dest, sx, sy, 0, 0, x0, y0, x1 - x0,
                                         y1 - y0);
            else if ((q.colour & 0xFFFFFF) == 0xFFFFFF)
                pixman_image_composite32(PIXMAN_OP_OVER, q.image, solids[q.colour], dest, sx, sy, 0, 0, x0, y0,
                                         x1 - x0, y1 - y0);
            else
                pixman_image_composite32(PIXMAN_OP_OVER, solids[q.colour], q.image, dest, 0, 0, sx, sy, x0, y0,
                                         x1 - x0, y1 - y0);
        }
    }

    platform::d3d9test::Frame Shown() { return {800, 600, target}; }

private:
    struct Quad {
        pixman_image_t* image;
        RECT dest, source;
        uint32_t colour;
    };

    // The picture's pixel copy, premultiplied (as pixman works); an opaque
    // picture is given as such.
    pixman_image_t* ImageOf(const IMTextureRecord& record)
    {
        const auto known = images.find(&record);
        if (known != images.end()) return known->second;
        const int w = record.imageRect.right, h = record.imageRect.bottom;
        std::vector<uint32_t> pre(static_cast<size_t>(w) * h);
        bool opaque = true;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t c;
                std::memcpy(&c, &record.pixels[static_cast<size_t>(y) * record.pitch + x * 4], 4);
                const uint32_t a = c >> 24;
                opaque &= a == 255;
                uint32_t out = a << 24;
                for (int s = 0; s < 24; s += 8) out |= (((c >> s) & 255) * a + 127) / 255 << s;
                pre[static_cast<size_t>(y) * w + x] = out;
            }
        pixels.push_back(std::move(pre));
        pixman_image_t* image = pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, w, h,
                                                         pixels.back().data(), w * 4);
        images[&record] = image;
        return image;
    }

    std::vector<uint32_t> target;
    pixman_image_t* dest;
    std::vector<std::vector<uint32_t>> pixels;
    std::map<const IMTextureRecord*, pixman_image_t*> images;
    std::map<uint32_t, pixman_image_t*> solids;
    std::vector<Quad> quads;
};

// --- benchmarks -----------------------------------------------------------

void SaveFrame(const platform::d3d9test::Frame& frame, int scene, const char* kind)
{
    if (const char* folder = std::getenv("KVARLOP_BENCH_FRAMES"))
        platform::d3d9test::SavePng(frame, std::string(folder) + "/render_" + kSceneNames[scene] + "_" + kind +
                                               ".png");
}

void RunFrames(benchmark::State& state, bool shown)
{
    const int scene = static_cast<int>(state.range(0));
    Screen screen(shown);
    BuildScene(screen, scene);
    for (auto _ : state) {
        screen.Frame();
        benchmark::ClobberMemory();
    }
    state.SetLabel(kSceneNames[scene]);
    if (!shown)
        SaveFrame(screen.Shown(), scene, "window");
}

void BM_Frame(benchmark::State& state) { RunFrames(state, false); }
void BM_FrameShown(benchmark::State& state) { RunFrames(state, true); }

void BM_Pixman(benchmark::State& state)
{
    const int scene = static_cast<int>(state.range(0));
    Screen screen(false);
    BuildScene(screen, scene);
    PixmanScene pixman(screen);
    for (auto _ : state) {
        pixman.Frame();
        benchmark::ClobberMemory();
    }
    state.SetLabel(kSceneNames[scene]);
    SaveFrame(pixman.Shown(), scene, "pixman");
}

BENCHMARK(BM_Frame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pixman)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameShown)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Collects the best time per frame of each benchmark over its repetitions,
// to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
                const std::string name = r.run_name.str();
                const double t = r.GetAdjustedRealTime();
                const auto it = times.find(name);
                if (it == times.end() || t < it->second) times[name] = t;
            }
    }

    void PrintRatios() const
    {
        std::printf("\nbest of the rounds, ms per frame\n"
                    "scene        window  pixman  window/pixman  window shown through SDL\n");
        for (int i = 0; i < 3; ++i) {
            const auto w = times.find("BM_Frame/" + std::to_string(i));
            const auto p = times.find("BM_Pixman/" + std::to_string(i));
            const auto s = times.find("BM_FrameShown/" + std::to_string(i));
            if (w == times.end() || p == times.end()) continue;
            std::printf("%-12s %6.3f  %6.3f  %13.2f  %24.3f\n", kSceneNames[i], w->second, p->second,
                        w->second / p->second, s == times.end() ? 0.0 : s->second);
        }
    }

private:
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    // The window is made headless unless a display is asked for.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    // Unless told otherwise: several rounds, the two interleaved, so that a
    // busy machine weighs on both alike.
    std::vector<char*> args(argv, argv + argc);
    bool repetitions = false;
    for (char* a : args) repetitions |= std::strncmp(a, "--benchmark_repetitions", 23) == 0;
    static char rounds[] = "--benchmark_repetitions=5";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char reportAggregates[] = "--benchmark_report_aggregates_only=false";
    if (!repetitions) {
        args.push_back(rounds);
        args.push_back(interleave);
        args.push_back(reportAggregates);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
