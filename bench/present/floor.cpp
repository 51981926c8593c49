// The floor the trainer's presentation is measured against: the least a
// program can do to show what the trainer shows while bubbles fly. One
// full-screen window titled like the trainer's; an 800 x 600 background and
// one 256 x 256 alpha-blended sprite moved every 13.3 ms, drawn into an
// 800 x 600 frame that is scaled (nearest pixel, SDL's own) into the
// window's memory framebuffer and sent, as the trainer presents without a
// GPU. Until a key is pressed it stands still but for a caret blinking every
// 500 ms, as the title screen does; any key sets the sprite moving.
#include <SDL.h>

#include <algorithm>
#include <cstdint>

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

} // namespace

int main()
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window =
        SDL_CreateWindow("Кварлоп (floor)", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 800,
                         600, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (window == nullptr)
        return 1;
    SDL_Surface* background = Background();
    SDL_Surface* sprite = Sprite();
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_ARGB8888);
    bool moving = false, caret = true, running = true;
    float x = 0, y = 100, vx = 3.1f, vy = 1.7f;
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
        if (!moving) {
            blinkAt = SDL_GetTicks();
            caret = !caret;
        }
        if (moving) {
            x += vx, y += vy;
            if (x < 0 || x > 800 - 256)
                vx = -vx;
            if (y < 0 || y > 600 - 256)
                vy = -vy;
        }
        SDL_BlitSurface(background, nullptr, frame, nullptr);
        SDL_Rect at{int(x), int(y), 256, 256};
        SDL_BlitSurface(sprite, nullptr, frame, &at);
        if (caret) {
            SDL_Rect c{400, 280, 2, 40};
            SDL_FillRect(frame, &c, 0xFFFFFFFFu);
        }
        SDL_Surface* out = SDL_GetWindowSurface(window);
        if (out == nullptr)
            break;
        const float scale = std::min(out->w / 800.0f, out->h / 600.0f);
        SDL_Rect box{0, 0, int(800 * scale), int(600 * scale)};
        box.x = (out->w - box.w) / 2, box.y = (out->h - box.h) / 2;
        if (box.w == 800 && box.h == 600)
            SDL_BlitSurface(frame, nullptr, out, &box);
        else
            SDL_BlitScaled(frame, nullptr, out, &box);
        if (moving) {
            due += period;
            const Uint64 t = SDL_GetPerformanceCounter();
            if (t < due)
                SDL_Delay(Uint32((due - t) * 1000 / f));
            else if (t - due > period)
                due = t;
        }
        SDL_UpdateWindowSurfaceRects(window, &box, 1);
    }
    SDL_Quit();
    return 0;
}
