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
#include "bench/support/scenes.h"
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

// The glyph pictures, white with their coverage in alpha.
void RegisterGlyphs()
{
    IMResourceManager& manager = *IMResourceManager::Instance();
    for (int g = 0; g < benchsupport::kGlyphKinds; ++g) {
        const std::wstring name = L"bench glyph " + std::to_wstring(g);
        const int id = manager.CreateEmptyTexture(name, benchsupport::kGlyphWidth,
                                                  benchsupport::kGlyphHeight, D3DFMT_A8R8G8B8);
        const std::vector<uint8_t> cover = benchsupport::GlyphCoverage(g);
        manager.FillTexture(id, [&cover](unsigned char* bits, int pitch, int) {
            for (int y = 0; y < benchsupport::kGlyphHeight; ++y)
                for (int x = 0; x < benchsupport::kGlyphWidth; ++x) {
                    const uint32_t a = cover[y * benchsupport::kGlyphWidth + x];
                    *reinterpret_cast<uint32_t*>(bits + y * pitch + x * 4) = a << 24 | 0xFFFFFF;
                }
        });
    }
}

using benchsupport::kSceneNames;

void BuildScene(Screen& screen, int which)
{
    screen.Add(0, 0, L"102");
    if (which == 0) {
        Picture* bubble = screen.Add(150, 60, L"103");
        bubble->SetSize(512, 471);
        bubble->hitThreshold = 1;
    } else if (which == 1) {
        for (const POINT& p : benchsupport::kInstructionBubbles) {
            Picture* bubble = screen.Add(p.x, p.y, L"103", 0xA5FFFFFF);
            bubble->SetSize(276, 256);
        }
        screen.Add(451, 347, L"PrintButton");
        screen.Add(470, 380, L"ExitButton");
    } else {
        RegisterGlyphs();
        for (int i = 0; i < benchsupport::kTextGlyphs; ++i) {
            const POINT at = benchsupport::TextGlyphAt(i);
            screen.Add(at.x, at.y,
                       L"bench glyph " + std::to_wstring(benchsupport::TextGlyphKind(i)),
                       0xFF072134);
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
            if (q.colour != 0xFFFFFFFF && !solids.count(q.colour))
                solids[q.colour] = benchsupport::TintImage(q.colour);
            quads.push_back(q);
        }
    }

    ~PixmanScene()
    {
        for (auto& s : solids)
            pixman_image_unref(s.second);
        for (auto& i : images)
            pixman_image_unref(i.second);
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
            pixman_image_set_filter(
                q.image, minified ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
            // The part of the destination on the screen.
            const int x0 = std::max<int>(q.dest.left, 0), y0 = std::max<int>(q.dest.top, 0);
            const int x1 = std::min<int>(q.dest.right, 800), y1 = std::min<int>(q.dest.bottom, 600);
            if (x0 >= x1 || y0 >= y1)
                continue;
            const int sx = x0 - q.dest.left, sy = y0 - q.dest.top;
            if (q.colour == 0xFFFFFFFF)
                pixman_image_composite32(PIXMAN_OP_OVER, q.image, nullptr, dest, sx, sy, 0, 0, x0,
                                         y0, x1 - x0, y1 - y0);
            else if ((q.colour & 0xFFFFFF) == 0xFFFFFF)
                pixman_image_composite32(PIXMAN_OP_OVER, q.image, solids[q.colour], dest, sx, sy, 0,
                                         0, x0, y0, x1 - x0, y1 - y0);
            else
                pixman_image_composite32(PIXMAN_OP_OVER, solids[q.colour], q.image, dest, 0, 0, sx,
                                         sy, x0, y0, x1 - x0, y1 - y0);
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
        if (known != images.end())
            return known->second;
        const int w = record.imageRect.right, h = record.imageRect.bottom;
        std::vector<uint32_t> pre(static_cast<size_t>(w) * h);
        bool opaque = true;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t c;
                std::memcpy(&c, &record.pixels[static_cast<size_t>(y) * record.pitch + x * 4], 4);
                opaque &= c >> 24 == 255;
                pre[static_cast<size_t>(y) * w + x] = benchsupport::Premultiplied(c);
            }
        pixels.push_back(std::move(pre));
        pixman_image_t* image = pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8,
                                                         w, h, pixels.back().data(), w * 4);
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
        platform::d3d9test::SavePng(frame, std::string(folder) + "/render_" + kSceneNames[scene] +
                                               "_" + kind + ".png");
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

void BM_Frame(benchmark::State& state)
{
    RunFrames(state, false);
}
void BM_FrameShown(benchmark::State& state)
{
    RunFrames(state, true);
}

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

class RatioReporter : public benchsupport::BestTimes {
public:
    void PrintRatios() const override
    {
        std::printf("\nbest of the rounds, ms per frame\n"
                    "scene        window  pixman  window/pixman  window shown through SDL\n");
        for (int i = 0; i < 3; ++i) {
            const double* w = Best("BM_Frame/" + std::to_string(i));
            const double* p = Best("BM_Pixman/" + std::to_string(i));
            const double* s = Best("BM_FrameShown/" + std::to_string(i));
            if (!w || !p)
                continue;
            std::printf("%-12s %6.3f  %6.3f  %13.2f  %24.3f\n", kSceneNames[i], *w, *p, *w / *p,
                        s ? *s : 0.0);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    // The window is made headless unless a display is asked for.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    RatioReporter reporter;
    benchsupport::RunInRounds(argc, argv, 5, reporter);
    return 0;
}
