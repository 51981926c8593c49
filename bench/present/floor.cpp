// The floor the trainer's presentation is measured against: the least a
// program can do to show what the trainer shows while bubbles fly. One
// full-screen window titled like the trainer's; an 800 x 600 background and
// one 256 x 256 alpha-blended sprite moved every 13.3 ms, drawn into an
// 800 x 600 frame that is scaled into the window's memory framebuffer and
// sent, as the trainer presents without a GPU. Until a key is pressed it
// stands still but for a caret blinking every 500 ms, as the title screen
// does; any key sets the sprite moving.
//
// As a careful hand-written program would, it redraws, scales (nearest
// pixel, a plain loop) and sends only the rectangle that changed: the
// sprite's old and new places, or the caret. With KVARLOP_FLOOR_SCALE=sdl it
// draws and scales the whole frame with SDL's own blits instead.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

SDL_Surface* Background()
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_ARGB8888);
    auto* p = static_cast<uint32_t*>(s->pixels);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            p[y * (s->pitch / 4) + x] = 0xFF000000u | uint32_t(40 + y / 5) << 16 |
                                        uint32_t(90 + x / 8) << 8 | uint32_t(200 - y / 6);
    return s;
}

SDL_Surface* Sprite()
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 32, SDL_PIXELFORMAT_ARGB8888);
    auto* p = static_cast<uint32_t*>(s->pixels);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int dx = x - 128, dy = y - 128, d2 = dx * dx + dy * dy;
            const uint32_t a = d2 < 128 * 128 ? uint32_t(60 + 150 * d2 / (128 * 128)) : 0;
            p[y * (s->pitch / 4) + x] = a << 24 | 0xC0E0FFu;
        }
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
    return s;
}

uint32_t* Pixel(SDL_Surface* s, int x, int y)
{
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch) + x;
}

SDL_Rect Union(const SDL_Rect& a, const SDL_Rect& b)
{
    if (a.w <= 0 || a.h <= 0) return b;
    SDL_Rect u;
    SDL_UnionRect(&a, &b, &u);
    return u;
}

// The frame's rectangle `r` drawn again: background, sprite over it, caret.
void Redraw(SDL_Surface* frame, SDL_Surface* background, SDL_Surface* sprite, SDL_Rect r,
            const SDL_Rect& at, bool caret, const SDL_Rect& caretBox)
{
    const SDL_Rect all{0, 0, 800, 600};
    SDL_IntersectRect(&r, &all, &r);
    for (int y = r.y; y < r.y + r.h; ++y)
        std::memcpy(Pixel(frame, r.x, y), Pixel(background, r.x, y), size_t(r.w) * 4);
    SDL_Rect s;
    if (SDL_IntersectRect(&r, &at, &s))
        for (int y = s.y; y < s.y + s.h; ++y) {
            const uint32_t* src = Pixel(sprite, s.x - at.x, y - at.y);
            uint32_t* dst = Pixel(frame, s.x, y);
            for (int x = 0; x < s.w; ++x) {
                const uint32_t p = src[x], a = p >> 24, d = dst[x];
                if (a == 0) continue;
                uint32_t out = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t v = ((p >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (255 - a);
                    out |= ((v + 128 + ((v + 128) >> 8)) >> 8) << shift;
                }
                dst[x] = out;
            }
        }
    if (caret && SDL_IntersectRect(&r, &caretBox, &s))
        for (int y = s.y; y < s.y + s.h; ++y)
            std::fill(Pixel(frame, s.x, y), Pixel(frame, s.x + s.w, y), 0xFFFFFFFFu);
}

// Nearest-pixel scaling of the frame into a box of the window's surface.
struct Scaler {
    SDL_Rect box{};
    std::vector<int> columns, rows; // the frame's column and row of each box pixel

    void Prepare(const SDL_Rect& into)
    {
        box = into;
        columns.resize(size_t(box.w));
        rows.resize(size_t(box.h));
        for (int x = 0; x < box.w; ++x)
            columns[size_t(x)] = x * 800 / box.w;
        for (int y = 0; y < box.h; ++y)
            rows[size_t(y)] = y * 600 / box.h;
    }

    // Scales the box pixels that read from the frame's rectangle `r`; gives
    // the window's rectangle they fill.
    SDL_Rect Scale(SDL_Surface* frame, SDL_Surface* out, const SDL_Rect& r)
    {
        const auto from = [](const std::vector<int>& map, int low, int high, int* first, int* end) {
            *first = int(std::lower_bound(map.begin(), map.end(), low) - map.begin());
            *end = int(std::lower_bound(map.begin(), map.end(), high) - map.begin());
        };
        int x0, x1, y0, y1;
        from(columns, r.x, r.x + r.w, &x0, &x1);
        from(rows, r.y, r.y + r.h, &y0, &y1);
        for (int y = y0; y < y1; ++y) {
            uint32_t* dst = Pixel(out, box.x + x0, box.y + y);
            if (y > y0 && rows[size_t(y)] == rows[size_t(y - 1)]) {
                std::memcpy(dst, Pixel(out, box.x + x0, box.y + y - 1), size_t(x1 - x0) * 4);
                continue;
            }
            const uint32_t* src = Pixel(frame, 0, rows[size_t(y)]);
            for (int x = x0; x < x1; ++x)
                dst[x - x0] = src[columns[size_t(x)]];
        }
        return SDL_Rect{box.x + x0, box.y + y0, x1 - x0, y1 - y0};
    }
};

} // namespace

int main()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    // The screen's size from the start: without a window manager the window
    // would keep the size it is made with.
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0)
        desktop.w = 800, desktop.h = 600;
    SDL_Window* window = SDL_CreateWindow("Кварлоп (floor)", 0, 0, desktop.w, desktop.h,
                                          SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    if (window == nullptr)
        return 1;
    const char* mode = std::getenv("KVARLOP_FLOOR_SCALE");
    const bool sdlScale = mode != nullptr && std::strcmp(mode, "sdl") == 0;
    SDL_Surface* background = Background();
    SDL_Surface* sprite = Sprite();
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* shown = nullptr; // the surface the scaler last filled whole
    Scaler scaler;
    const SDL_Rect caretBox{400, 280, 2, 40};
    bool moving = false, caret = true, running = true;
    float x = 0, y = 100, vx = 3.1f, vy = 1.7f;
    SDL_Rect at{0, 100, 256, 256};
    const Uint64 f = SDL_GetPerformanceFrequency();
    const Uint64 period = f * 40 / 3000; // 13.3 ms
    Uint64 due = SDL_GetPerformanceCounter();
    Uint32 blinkAt = SDL_GetTicks();
    bool draw = true; // the first frame at once
    while (running) {
        SDL_Event e;
        if (!draw) {
            const Sint64 left = Sint64(blinkAt) + 500 - Sint64(SDL_GetTicks());
            if (SDL_WaitEventTimeout(&e, moving ? 0 : int(std::max<Sint64>(0, left)))) {
                do {
                    if (e.type == SDL_QUIT)
                        running = false;
                    if (e.type == SDL_KEYDOWN)
                        moving = true;
                } while (SDL_PollEvent(&e));
            }
            if (!moving && SDL_GetTicks() - blinkAt < 500)
                continue;
        }
        draw = false;
        SDL_Rect changed{0, 0, 0, 0};
        if (!moving) {
            blinkAt = SDL_GetTicks();
            caret = !caret;
            changed = caretBox;
        }
        if (moving) {
            x += vx, y += vy;
            if (x < 0 || x > 800 - 256)
                vx = -vx;
            if (y < 0 || y > 600 - 256)
                vy = -vy;
            const SDL_Rect next{int(x), int(y), 256, 256};
            changed = Union(Union(changed, at), next);
            at = next;
        }
        SDL_Surface* out = SDL_GetWindowSurface(window);
        if (out == nullptr)
            break;
        const float scale = std::min(out->w / 800.0f, out->h / 600.0f);
        SDL_Rect box{0, 0, int(800 * scale), int(600 * scale)};
        box.x = (out->w - box.w) / 2, box.y = (out->h - box.h) / 2;
        SDL_Rect sent = box;
        bool everything = false; // the black bars round the box too
        const bool own = !sdlScale && out->format->BytesPerPixel == 4 &&
                         out->format->Rmask == 0xFF0000 && out->format->Gmask == 0xFF00 &&
                         out->format->Bmask == 0xFF;
        if (own) {
            const bool whole = out != shown || box.w != scaler.box.w || box.h != scaler.box.h;
            const SDL_Rect all{0, 0, 800, 600};
            Redraw(frame, background, sprite, whole ? all : changed, at, caret, caretBox);
            if (whole) {
                SDL_FillRect(out, nullptr, 0);
                scaler.Prepare(box);
                shown = out;
                everything = true;
            }
            sent = scaler.Scale(frame, out, whole ? all : changed);
        } else {
            SDL_BlitSurface(background, nullptr, frame, nullptr);
            SDL_BlitSurface(sprite, nullptr, frame, &at);
            if (caret) {
                SDL_Rect c = caretBox;
                SDL_FillRect(frame, &c, 0xFFFFFFFFu);
            }
            if (box.w == 800 && box.h == 600)
                SDL_BlitSurface(frame, nullptr, out, &box);
            else
                SDL_BlitScaled(frame, nullptr, out, &box);
        }
        if (moving) {
            due += period;
            const Uint64 t = SDL_GetPerformanceCounter();
            if (t < due)
                SDL_Delay(Uint32((due - t) * 1000 / f));
            else if (t - due > period)
                due = t;
        }
        if (everything)
            SDL_UpdateWindowSurface(window);
        else if (sent.w > 0 && sent.h > 0)
            SDL_UpdateWindowSurfaceRects(window, &sent, 1);
    }
    SDL_Quit();
    return 0;
}
