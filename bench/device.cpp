// The render device on the program's scenes, one frame per iteration (clear,
// quads drawn as the renderer draws them, present), against the same quads
// composited with pixman (OVER, the tint as a solid mask, nearest or
// bilinear as the quad needs). Prints each scene's ratio to pixman.
//
// KVARLOP_BENCH_FRAMES=<folder> also saves each scene's frame from both;
// KVARLOP_BENCH_NARROW=1 keeps the device to its SSE2 row kernels.
#include "bench/support/scenes.h"
#include "platform/d3d9.h"
#include "platform/d3d9/span.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// --- images ---------------------------------------------------------------

struct Image {
    int width = 0, height = 0;       // the picture
    int texWidth = 0, texHeight = 0; // its power-of-two texture
    std::vector<uint32_t> texels;    // texWidth × texHeight, A8R8G8B8, straight alpha
};

int PowerOfTwo(int v)
{
    int p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

Image MakeImage(int w, int h)
{
    Image im;
    im.width = w;
    im.height = h;
    im.texWidth = PowerOfTwo(w);
    im.texHeight = PowerOfTwo(h);
    im.texels.assign(static_cast<size_t>(im.texWidth) * im.texHeight, 0);
    return im;
}

uint32_t Argb(int a, int r, int g, int b)
{
    const auto c = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// An opaque sky-like picture with some grain.
Image Background()
{
    Image im = MakeImage(800, 600);
    std::mt19937 rng(1);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const int grain = static_cast<int>(rng() % 9) - 4;
            im.texels[y * im.texWidth + x] =
                Argb(255, 60 + x / 8 + grain, 120 + y / 6 + grain, 200 + grain);
        }
    return im;
}

// A soap bubble: clear outside the circle, a faint body, a brighter rim and a highlight.
Image Bubble()
{
    Image im = MakeImage(511, 470);
    const double cx = 255.0, cy = 235.0, r = 230.0;
    for (int y = 0; y < 470; ++y)
        for (int x = 0; x < 511; ++x) {
            const double dx = (x - cx) / r, dy = (y - cy) / (r * 470 / 511),
                         d = std::sqrt(dx * dx + dy * dy);
            if (d >= 1.0)
                continue;
            int a = static_cast<int>(40 + 200 * std::pow(d, 8));
            const double hx = dx + 0.45, hy = dy + 0.45, hl = std::sqrt(hx * hx + hy * hy);
            if (hl < 0.2)
                a = std::max(a, static_cast<int>(255 * (1 - hl / 0.2)));
            im.texels[y * im.texWidth + x] =
                Argb(a, 180 + static_cast<int>(60 * dx), 200 + static_cast<int>(50 * dy), 255);
        }
    return im;
}

// A small opaque picture with a clear margin (the mouse, the pointer).
Image Picture(int w, int h, uint32_t colour)
{
    Image im = MakeImage(w, h);
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < w - 2; ++x)
            im.texels[y * im.texWidth + x] = colour;
    return im;
}

// A glyph: white, its coverage in alpha, in a 16 × 32 texture.
Image Glyph(int kind)
{
    Image im = MakeImage(benchsupport::kGlyphWidth, benchsupport::kGlyphHeight);
    const std::vector<uint8_t> cover = benchsupport::GlyphCoverage(kind);
    for (int y = 0; y < benchsupport::kGlyphHeight; ++y)
        for (int x = 0; x < benchsupport::kGlyphWidth; ++x)
            im.texels[y * im.texWidth + x] =
                Argb(cover[y * benchsupport::kGlyphWidth + x], 255, 255, 255);
    return im;
}

// --- scenes ---------------------------------------------------------------

struct Quad {
    int image;
    RECT dest, source;
    D3DCOLOR colour;
};

struct Scene {
    std::string name;
    std::vector<Image> images;
    std::vector<Quad> quads;
};

Scene ExerciseScene()
{
    Scene s{"exercise", {Background(), Bubble()}, {}};
    s.quads.push_back({0, {0, 0, 800, 600}, {0, 0, 800, 600}, 0xFFFFFFFF});
    s.quads.push_back({1, {150, 60, 662, 531}, {0, 0, 511, 470}, 0xFFFFFFFF});
    return s;
}

Scene InstructionScene()
{
    Scene s{"instruction",
            {Background(), Bubble(), Picture(46, 79, 0xFFE0E0E0), Picture(12, 21, 0xFF101010)},
            {}};
    s.quads.push_back({0, {0, 0, 800, 600}, {0, 0, 800, 600}, 0xFFFFFFFF});
    for (const POINT& p : benchsupport::kInstructionBubbles)
        s.quads.push_back({1, {p.x, p.y, p.x + 276, p.y + 256}, {0, 0, 511, 470}, 0xA5FFFFFF});
    s.quads.push_back({2, {451, 347, 497, 426}, {0, 0, 46, 79}, 0xFFFFFFFF});
    s.quads.push_back({3, {470, 380, 482, 401}, {0, 0, 12, 21}, 0xFFFFFFFF});
    return s;
}

Scene TextScene()
{
    Scene s{"text", {Background()}, {}};
    for (int i = 0; i < benchsupport::kGlyphKinds; ++i)
        s.images.push_back(Glyph(i));
    s.quads.push_back({0, {0, 0, 800, 600}, {0, 0, 800, 600}, 0xFFFFFFFF});
    for (int i = 0; i < benchsupport::kTextGlyphs; ++i) {
        const POINT at = benchsupport::TextGlyphAt(i);
        s.quads.push_back({1 + benchsupport::TextGlyphKind(i),
                           {at.x, at.y, at.x + 10, at.y + 18},
                           {0, 0, 10, 18},
                           0xFF072134});
    }
    return s;
}

// --- the device -----------------------------------------------------------

class DeviceRenderer {
public:
    explicit DeviceRenderer(const Scene& scene)
    {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS pp{800,
                                 600,
                                 D3DFMT_A8R8G8B8,
                                 3,
                                 D3DMULTISAMPLE_NONE,
                                 0,
                                 D3DSWAPEFFECT_DISCARD,
                                 nullptr,
                                 FALSE,
                                 FALSE,
                                 D3DFMT_UNKNOWN,
                                 0,
                                 75,
                                 0};
        d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
        device->CreateVertexBuffer(112, 0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                   D3DPOOL_SYSTEMMEM, &vb, nullptr);
        for (const Image& im : scene.images) {
            IDirect3DTexture9* t = nullptr;
            device->CreateTexture(im.texWidth, im.texHeight, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                  D3DPOOL_DEFAULT, &t, nullptr);
            D3DLOCKED_RECT lr;
            t->LockRect(0, &lr, nullptr, 0);
            for (int y = 0; y < im.texHeight; ++y)
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch,
                            &im.texels[y * im.texWidth], im.texWidth * 4);
            t->UnlockRect(0);
            textures.push_back(t);
        }
    }

    ~DeviceRenderer()
    {
        for (IDirect3DTexture9* t : textures)
            t->Release();
        vb->Release();
        device->Release();
        d3d->Release();
    }

    void Frame(const Scene& scene)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        for (const Quad& q : scene.quads)
            Draw(scene.images[q.image], textures[q.image], q);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }

    platform::d3d9test::Frame Shown() { return platform::d3d9test::LastPresentedFrame(device); }

private:
    void Draw(const Image& im, IDirect3DTexture9* t, const Quad& q)
    {
        device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
        device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
        device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        void* data = nullptr;
        if (vb->Lock(0, 0, &data, 0) != D3D_OK)
            return;
        const float x[4] = {float(q.dest.left), float(q.dest.right), float(q.dest.right),
                            float(q.dest.left)};
        const float y[4] = {float(q.dest.top), float(q.dest.top), float(q.dest.bottom),
                            float(q.dest.bottom)};
        const float u[4] = {float(q.source.left), float(q.source.right), float(q.source.right),
                            float(q.source.left)};
        const float v[4] = {float(q.source.top), float(q.source.top), float(q.source.bottom),
                            float(q.source.bottom)};
        for (int i = 0; i < 4; ++i) {
            float vertex[7] = {x[i] - 0.5f,        y[i] - 0.5f,        0.0f, 1.0f, 0.0f,
                               u[i] / im.texWidth, v[i] / im.texHeight};
            std::memcpy(&vertex[4], &q.colour, 4);
            std::memcpy(static_cast<uint8_t*>(data) + i * 28, vertex, 28);
        }
        vb->Unlock();
        device->SetVertexShader(nullptr);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->SetStreamSource(0, vb, 0, 28);
        device->SetTexture(0, t);
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    std::vector<IDirect3DTexture9*> textures;
};

// --- pixman ---------------------------------------------------------------

class PixmanRenderer {
public:
    explicit PixmanRenderer(const Scene& scene) : target(800 * 600)
    {
        dest = pixman_image_create_bits(PIXMAN_a8r8g8b8, 800, 600, target.data(), 800 * 4);
        for (const Image& im : scene.images) {
            // pixman works in premultiplied alpha; an opaque picture is given as such.
            bool opaque = true;
            std::vector<uint32_t> pre(im.texels.size());
            for (size_t i = 0; i < pre.size(); ++i) {
                const uint32_t c = im.texels[i], a = c >> 24;
                if (a != 255 && (i % im.texWidth) < size_t(im.width) &&
                    (i / im.texWidth) < size_t(im.height))
                    opaque = false;
                pre[i] = benchsupport::Premultiplied(c);
            }
            pixels.push_back(std::move(pre));
            images.push_back(pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8,
                                                      im.width, im.height, pixels.back().data(),
                                                      im.texWidth * 4));
        }
        // A fade (white tint) is a solid mask; a coloured tint of a white
        // glyph is a solid source through the glyph as mask, as text is drawn.
        for (const Quad& q : scene.quads) {
            if (solids.count(q.colour) || q.colour == 0xFFFFFFFF)
                continue;
            solids[q.colour] = benchsupport::TintImage(q.colour);
        }
    }

    ~PixmanRenderer()
    {
        for (auto& m : solids)
            pixman_image_unref(m.second);
        for (pixman_image_t* im : images)
            pixman_image_unref(im);
        pixman_image_unref(dest);
    }

    void Frame(const Scene& scene)
    {
        pixman_fill(target.data(), 800, 32, 0, 0, 800, 600, 0xFF000000);
        for (const Quad& q : scene.quads) {
            pixman_image_t* src = images[q.image];
            const int dw = q.dest.right - q.dest.left, dh = q.dest.bottom - q.dest.top;
            const int sw = q.source.right - q.source.left, sh = q.source.bottom - q.source.top;
            pixman_transform_t t;
            pixman_transform_init_scale(&t, pixman_double_to_fixed(double(sw) / dw),
                                        pixman_double_to_fixed(double(sh) / dh));
            pixman_image_set_transform(src, &t);
            const bool minified = sw > dw || sh > dh;
            pixman_image_set_filter(src, minified ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                                    nullptr, 0);
            if (q.colour == 0xFFFFFFFF)
                pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dest, 0, 0, 0, 0,
                                         q.dest.left, q.dest.top, dw, dh);
            else if ((q.colour & 0xFFFFFF) == 0xFFFFFF)
                pixman_image_composite32(PIXMAN_OP_OVER, src, solids[q.colour], dest, 0, 0, 0, 0,
                                         q.dest.left, q.dest.top, dw, dh);
            else
                pixman_image_composite32(PIXMAN_OP_OVER, solids[q.colour], src, dest, 0, 0, 0, 0,
                                         q.dest.left, q.dest.top, dw, dh);
        }
    }

    platform::d3d9test::Frame Shown() { return {800, 600, target}; }

private:
    std::vector<uint32_t> target;
    pixman_image_t* dest;
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<pixman_image_t*> images;
    std::map<uint32_t, pixman_image_t*> solids;
};

// --- benchmarks -----------------------------------------------------------

Scene MakeScene(int which)
{
    return which == 0 ? ExerciseScene() : which == 1 ? InstructionScene() : TextScene();
}

template <typename Renderer>
void RunScene(benchmark::State& state)
{
    const Scene scene = MakeScene(static_cast<int>(state.range(0)));
    Renderer renderer(scene);
    for (auto _ : state) {
        renderer.Frame(scene);
        benchmark::ClobberMemory();
    }
    state.SetLabel(scene.name);
    if (const char* folder = std::getenv("KVARLOP_BENCH_FRAMES")) {
        const std::string kind =
            std::is_same<Renderer, DeviceRenderer>::value ? "device" : "pixman";
        platform::d3d9test::SavePng(renderer.Shown(),
                                    std::string(folder) + "/" + scene.name + "_" + kind + ".png");
    }
}

void BM_Device(benchmark::State& state)
{
    RunScene<DeviceRenderer>(state);
}
void BM_Pixman(benchmark::State& state)
{
    RunScene<PixmanRenderer>(state);
}

BENCHMARK(BM_Device)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pixman)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchsupport::BestTimes {
public:
    void PrintRatios() const override
    {
        std::printf(
            "\nbest of the rounds\nscene        device ms/frame  pixman ms/frame  device/pixman\n");
        for (int i = 0; i < 3; ++i) {
            const double* d = Best("BM_Device/" + std::to_string(i));
            const double* p = Best("BM_Pixman/" + std::to_string(i));
            if (!d || !p)
                continue;
            std::printf("%-12s %15.3f  %15.3f  %13.2f\n", benchsupport::kSceneNames[i], *d, *p,
                        *d / *p);
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (const char* narrow = std::getenv("KVARLOP_BENCH_NARROW"); narrow && *narrow == '1')
        platform::d3d9impl::UseWideKernels(false);
    RatioReporter reporter;
    benchsupport::RunInRounds(argc, argv, 7, reporter);
    return 0;
}
