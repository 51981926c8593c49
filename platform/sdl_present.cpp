// Presenting the render device's frames in the window: the 800 x 600 BGRA
// frame goes into one streaming texture, drawn scaled up uniformly and
// centred on black. The renderer is made on the first frame (with vsync,
// falling back to SDL's software renderer; without a display, under the
// offscreen or dummy driver, the software renderer at once, as there is
// nothing to accelerate); when none can be had, frames are dropped quietly.
#include "platform/letterbox.h"
#include "platform/user32_state.h"

#include <cstdio>
#include <cstring>

namespace platform {

void ReleasePresentation(WindowRecord& window)
{
    if (window.texture != nullptr) SDL_DestroyTexture(window.texture);
    if (window.renderer != nullptr) SDL_DestroyRenderer(window.renderer);
    window.texture = nullptr;
    window.renderer = nullptr;
    window.textureWidth = window.textureHeight = 0;
}

namespace {

bool Headless()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

// Makes the renderer and the texture when missing; false when they cannot be had.
bool Prepare(WindowRecord& w, int width, int height)
{
    if (w.presentFailed || w.sdl == nullptr) return false;
    if (w.renderer == nullptr) {
        if (Headless()) {
            // The driver's own memory framebuffer: SDL would otherwise bring
            // up a GL context just to back the software renderer.
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        } else {
            w.renderer = SDL_CreateRenderer(w.sdl, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        }
        if (w.renderer == nullptr) w.renderer = SDL_CreateRenderer(w.sdl, -1, SDL_RENDERER_SOFTWARE);
        if (w.renderer == nullptr) {
            std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
            w.presentFailed = true;
            return false;
        }
        // Making the renderer can leave the window with the default cursor
        // although SDL holds the pointer hidden: the current cursor is set
        // again, so a pointer hidden before the first frame stays hidden.
        SDL_SetCursor(nullptr);
    }
    if (w.texture == nullptr || w.textureWidth != width || w.textureHeight != height) {
        if (w.texture != nullptr) SDL_DestroyTexture(w.texture);
        // ARGB8888 is B, G, R, A in memory on a little-endian machine.
        w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                      width, height);
        if (w.texture == nullptr) {
            std::fprintf(stderr, "SDL texture: %s\n", SDL_GetError());
            ReleasePresentation(w);
            w.presentFailed = true;
            return false;
        }
        SDL_SetTextureScaleMode(w.texture, SDL_ScaleModeLinear);
        w.textureWidth = width;
        w.textureHeight = height;
    }
    return true;
}

} // namespace

void PresentWindowFrame(HWND hwnd, const uint32_t* bgra, int width, int height, int pitchBytes)
{
    if (bgra == nullptr || width <= 0 || height <= 0 || pitchBytes < width * 4 || !IsUiThread()) return;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindWindowLocked(hwnd);
        if (w == nullptr || w->destroying || !Prepare(*w, width, height)) return;
        renderer = w->renderer;
        texture = w->texture;
    }
    // Only the UI thread destroys windows, so the renderer outlives this call.
    SDL_UpdateTexture(texture, nullptr, bgra, pitchBytes);
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return;
    Letterbox box = ComputeLetterbox(outputWidth, outputHeight, width, height);
    SDL_Rect destination{box.x, box.y, box.width, box.height};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &destination);
    SDL_RenderPresent(renderer);
}

} // namespace platform
