// Presenting only what changed: the device draws only the changed part and
// the window scales only that part, and both give what whole frames give.
#include "platform/present.h"
#include "platform/sdl/frame_scaler.h"
#include "tests/platform/d3d9/fixture.h"

#include <random>
#include <vector>

using d3d9fixture::DeviceObjects;
using d3d9fixture::Frame;

namespace {

// The window's side of presenting, twice: every frame scaled whole, and
// only what the device says changed scaled into the frame before.
struct TwoScreens {
    platform::FrameScaler whole, part;
    std::vector<uint32_t> wholeOut, partOut;
    uint64_t lastSerial = 0;
    int partial = 0, empty = 0;
    RECT lastChange{0, 0, 0, 0};     // when known
    std::vector<int32_t> lastSpans; // the row spans with it
};
TwoScreens* g_screens = nullptr;
const int kScreenWidth = 1440, kScreenHeight = 1080;

void PresentBoth(HWND, const uint32_t* bgra, int width, int height, int pitch,
                 const platform::PresentChange& change)
{
    TwoScreens& s = *g_screens;
    s.whole.Scale(bgra, width, height, pitch, s.wholeOut.data(), kScreenWidth, kScreenHeight,
                  kScreenWidth * 4);
    const bool known = change.changed && change.serial == s.lastSerial + 1 && s.lastSerial != 0;
    const int all[4] = {0, 0, width, height};
    const int part[4] = {
        known ? int(change.changed->left) : 0, known ? int(change.changed->top) : 0,
        known ? int(change.changed->right) : 0, known ? int(change.changed->bottom) : 0};
    int written[4];
    s.part.ScaleChanged(bgra, width, height, pitch, s.partOut.data(), kScreenWidth, kScreenHeight,
                        kScreenWidth * 4, known ? part : all, written,
                        known ? change.rowSpans : nullptr);
    s.partial += known;
    if (known && change.rowSpans) s.lastSpans.assign(change.rowSpans, change.rowSpans + 2 * height);
    s.empty += known && written[2] <= written[0];
    if (known) s.lastChange = *change.changed;
    s.lastSerial = change.serial;
}

} // namespace

// The device draws only what changed, into a back buffer holding the frame
// before last, and the window scales only that part, row by row only the
// columns that changed (a round sprite's corners left out): after random moves,
// texel and state changes, reads of the back buffer in mid-frame and frames
// that do not begin with a whole clear, both buffers hold what a device that
// draws every frame whole holds, and the screen what a whole scale gives.
TEST_F(DeviceObjects, ChangedPartAloneDrawnAndScaledGivesTheWholeFrameAfterRandomMoves)
{
    TwoScreens screens;
    screens.wholeOut.assign(size_t(kScreenWidth) * kScreenHeight, 0);
    screens.partOut.assign(size_t(kScreenWidth) * kScreenHeight, 0);
    g_screens = &screens;

    // The second device makes each of its draws at once, over the whole frame.
    IDirect3DDevice9* const inPart = device;
    IDirect3DVertexBuffer9* const inPartQuad = quad;
    platform::d3d9test::SetDrawingInPart(false);
    IDirect3DDevice9* whole = MakeDevice();
    ASSERT_NE(whole, nullptr);
    IDirect3DVertexBuffer9* wholeQuad = nullptr;
    ASSERT_EQ(whole->CreateVertexBuffer(112, 0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                        D3DPOOL_SYSTEMMEM, &wholeQuad, nullptr),
              D3D_OK);
    const auto use = [&](int k) {
        device = k ? whole : inPart;
        quad = k ? wholeQuad : inPartQuad;
        platform::d3d9test::SetDrawingInPart(k == 0);
    };

    std::vector<uint32_t> gradient(256 * 256);
    for (int i = 0; i < 256 * 256; ++i)
        gradient[size_t(i)] = 0xFF000000u | uint32_t(i % 256) << 16 | uint32_t(i / 256) << 8 | 0x40;
    // A disc: clear round it, so that its rows narrow the change.
    std::vector<uint32_t> sprite(64 * 64);
    for (int i = 0; i < 64 * 64; ++i) {
        const int dx = i % 64 - 32, dy = i / 64 - 32;
        sprite[size_t(i)] =
            dx * dx + dy * dy < 30 * 30 ? uint32_t(40 + i % 200) << 24 | 0x30A0E0u : 0x0030A0E0u;
    }
    struct Set {
        d3d9fixture::Texture background, a, b, c;
    } sets[2];
    for (int k = 0; k < 2; ++k) {
        use(k);
        sets[k] = {MakeTexture(256, 256, gradient, 256), MakeTexture(64, 64, sprite, 64),
                   SolidTexture(32, 32, 0x80FF4020u), SolidTexture(16, 16, 0xA020F040u)};
    }
    std::mt19937 random(23);
    const auto coordinate = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto touch = [&](int k, int texel, uint32_t value) {
        D3DLOCKED_RECT lr;
        ASSERT_EQ(sets[k].b.texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
        static_cast<uint32_t*>(lr.pBits)[texel] = value;
        sets[k].b.texture->UnlockRect(0);
    };
    LONG ax = 100, ay = 100, bx = 500, by = 300, as = 64;
    int mixed = 0;
    for (int frame = 0; frame < 150; ++frame) {
        int what = coordinate(0, 11);
        // The frames about the first read back of a presented frame change
        // little, so that what the second buffer first holds matters.
        if (frame >= 74 && frame <= 76) what = 0;
        if (what == 0) { // a sprite moves by a pixel or by far
            ax += coordinate(-2, 2);
            ay += coordinate(-2, 2);
        } else if (what == 1) {
            bx = coordinate(-40, 820);
            by = coordinate(-40, 620);
            as = coordinate(20, 180); // the disc shrunk or enlarged
        } else if (what == 2) { // the texels of one change
            const int texel = coordinate(0, 32 * 32 - 1);
            touch(0, texel, 0xFFFFFFFFu);
            touch(1, texel, 0xFFFFFFFFu);
        }
        const int texel = coordinate(0, 32 * 32 - 1);
        const LONG cx = coordinate(0, 700), cy = coordinate(0, 500);
        // what 3 on: a sprite turned, left out, drawn with other states or
        // in a smaller viewport; texels changed after a draw; the back
        // buffer read; a frame begun without a whole clear; the background
        // narrower; or no change.
        Frame middle[2];
        for (int k = 0; k < 2; ++k) {
            use(k);
            const Set& t = sets[k];
            if (what == 9) {
                const D3DRECT part{cx, cy, cx + 90, cy + 70};
                ASSERT_EQ(device->Clear(1, &part, D3DCLEAR_TARGET, 0xFF204060, 1.0f, 0), D3D_OK);
                ASSERT_EQ(device->BeginScene(), D3D_OK);
            } else {
                Begin(0xFF000000);
                DrawQuad(t.background, RECT{what == 10 ? cx / 4 : 0, 0, 800, 600});
            }
            if (what == 8) middle[k] = platform::d3d9test::ReadBackBuffer(device);
            DrawQuad(t.a, RECT{ax, ay, ax + as, ay + as}, 0xFFFFFFFF, what == 3 ? 0.3f : 0.0f);
            if (what == 5) {
                colourWriteMask = 0x7;
                minFilter = D3DTEXF_POINT;
            }
            if (what == 6) {
                const D3DVIEWPORT9 inner{100, 80, 500, 400, 0.0f, 1.0f};
                device->SetViewport(&inner);
            }
            if (what != 4) DrawQuad(t.b, RECT{bx, by, bx + 48, by + 40}, 0xC0FFFFFF);
            if (what == 7) {
                touch(k, texel, 0xFF00FF00u);
                DrawQuad(t.b, RECT{cx, cy, cx + 96, cy + 80}, 0xE0FFFFFF);
            }
            if (what == 8) DrawQuad(t.a, RECT{cx, cy, cx + 64, cy + 64});
            const D3DVIEWPORT9 all{0, 0, 800, 600, 0.0f, 1.0f};
            device->SetViewport(&all);
            colourWriteMask = 0xF;
            minFilter = D3DTEXF_LINEAR;
            // Last in every frame, so that a sprite left out is one between others.
            DrawQuad(t.c, RECT{600, 40, 640, 80});
            ASSERT_EQ(device->EndScene(), D3D_OK);
            platform::SetPresentFunction(k == 0 ? PresentBoth : nullptr);
            ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        }
        use(0);
        platform::SetPresentFunction(nullptr);
        ASSERT_TRUE(middle[0].pixels == middle[1].pixels) << "frame " << frame;
        // Until the presented frame is first read back the device keeps one
        // buffer, which holds the last frame; from then on two.
        if (frame >= 75) {
            ASSERT_TRUE(platform::d3d9test::LastPresentedFrame(inPart).pixels ==
                        platform::d3d9test::LastPresentedFrame(whole).pixels)
                << "frame " << frame;
        }
        ASSERT_TRUE(platform::d3d9test::ReadBackBuffer(inPart).pixels ==
                    platform::d3d9test::ReadBackBuffer(whole).pixels)
            << "frame " << frame;
        ASSERT_TRUE(screens.wholeOut == screens.partOut) << "frame " << frame;
        mixed += what >= 5 && what <= 10;
    }
    // A sprite left out between others that stay (a caret's blink): only
    // its own place changed (and the few pixels round it that a draw's box
    // takes in).
    use(0);
    platform::SetPresentFunction(PresentBoth);
    for (bool caret : {true, false, true}) {
        Begin(0xFF000000);
        DrawQuad(sets[0].background, RECT{0, 0, 800, 600});
        if (caret)
            DrawQuad(sets[0].b, RECT{300, 200, 302, 230});
        DrawQuad(sets[0].c, RECT{600, 40, 640, 80});
        End();
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ASSERT_TRUE(screens.wholeOut == screens.partOut);
    }
    const RECT& changed = screens.lastChange;
    EXPECT_TRUE(changed.left >= 296 && changed.top >= 196 && changed.right <= 306 &&
                changed.bottom <= 234 && changed.left < changed.right)
        << changed.left << "," << changed.top << " " << changed.right << "," << changed.bottom;
    // The disc moved by a pixel, enlarged: the clear corners round it are
    // left out of the rows of the change, its middle row is not.
    for (LONG x : {200, 201}) {
        Begin(0xFF000000);
        DrawQuad(sets[0].background, RECT{0, 0, 800, 600});
        DrawQuad(sets[0].a, RECT{x, 300, x + 96, 396});
        End();
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ASSERT_TRUE(screens.wholeOut == screens.partOut);
    }
    ASSERT_EQ(screens.lastSpans.size(), 1200u);
    const auto spanWidth = [&](int y) {
        return screens.lastSpans[2 * size_t(y) + 1] - screens.lastSpans[2 * size_t(y)];
    };
    EXPECT_TRUE(changed.left >= 196 && changed.right <= 301 && changed.top >= 296 &&
                changed.bottom <= 400)
        << changed.left << "," << changed.top << " " << changed.right << "," << changed.bottom;
    EXPECT_LE(3 * spanWidth(changed.top + 3), 2 * (changed.right - changed.left));
    EXPECT_EQ(spanWidth(348), changed.right - changed.left);
    platform::SetPresentFunction(nullptr);
    g_screens = nullptr;
    EXPECT_EQ(whole->Release(), 0u);
    EXPECT_EQ(wholeQuad->Release(), 0u);
    // Most frames were presented in part, some of them not at all.
    EXPECT_GE(screens.partial, 80);
    EXPECT_GE(screens.empty, 5);
    EXPECT_GE(mixed, 50);
}

