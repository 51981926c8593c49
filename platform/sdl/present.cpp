// Presenting the render device's frames in the window, scaled up uniformly
// and centred on black. Two ways, chosen on the first frame:
// - an SDL renderer with vsync, only on a hardware GPU (or when the user
//   names a driver in SDL_RENDER_DRIVER): a software OpenGL (llvmpipe and
//   the like) costs more to start, to hold in memory and to run than the
//   frame it shows;
// - otherwise the window's own memory framebuffer, with SDL's framebuffer
//   acceleration off, the frame scaled into it by FrameScaler.
// Without vsync, presents are held to the display's refresh (75 Hz when it
// is not known); headless drivers have no display and are not held.
// When nothing can be had, frames are dropped quietly.
#include "platform/clock.h"
#include "platform/present.h"
#include "platform/sdl/letterbox.h"
#include "platform/user32/state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace platform {

void ReleasePresentation(WindowRecord& window)
{
    if (window.texture != nullptr) SDL_DestroyTexture(window.texture);
    if (window.renderer != nullptr) SDL_DestroyRenderer(window.renderer);
    window.texture = nullptr;
    window.renderer = nullptr;
    window.textureWidth = window.textureHeight = 0;
    window.surface = nullptr;
    window.scaler.reset();
    window.throughSurface = false;
    window.vsync = false;
    window.shownSerial = 0;
}

bool HasHardwareGpu()
{
    // Kernel drivers with render nodes that give no GPU of their own: the
    // OpenGL on them is Mesa's software one.
    static const char* const kVirtual[] = {"virtio_gpu", "vmwgfx",    "qxl",    "vboxvideo", "vkms",
                                           "simpledrm",  "bochs-drm", "cirrus", "hyperv_drm"};
    DIR* dir = opendir("/sys/class/drm");
    if (dir == nullptr) return false;
    bool found = false;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "renderD", 7) != 0) continue;
        const std::string link = std::string("/sys/class/drm/") + entry->d_name + "/device/driver";
        char target[512];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        const char* slash = std::strrchr(target, '/');
        const char* driver = slash != nullptr ? slash + 1 : target;
        bool isVirtual = false;
        for (const char* name : kVirtual)
            isVirtual = isVirtual || std::strcmp(driver, name) == 0;
        if (!isVirtual) found = true;
    }
    closedir(dir);
    return found;
}

namespace {

bool Headless()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool RendererForced()
{
    const char* driver = std::getenv("SDL_RENDER_DRIVER");
    return driver != nullptr && driver[0] != '\0';
}

// Whether the renderer's OpenGL is drawn by the CPU after all.
bool SoftwareOpenGl(SDL_Renderer* renderer)
{
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
    if ((info.flags & SDL_RENDERER_ACCELERATED) == 0) return true;
    if (info.name == nullptr || std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned kRenderer = 0x1F01;
    const char* name =
        getString != nullptr ? reinterpret_cast<const char*>(getString(kRenderer)) : nullptr;
    if (name == nullptr) return true;
    return std::strstr(name, "llvmpipe") != nullptr || std::strstr(name, "softpipe") != nullptr ||
           std::strstr(name, "swrast") != nullptr ||
           std::strstr(name, "Software Rasterizer") != nullptr;
}

// Chooses the way of presenting; false when there is none.
bool Choose(WindowRecord& w)
{
    SDL_DisplayMode mode;
    w.refreshRate = SDL_GetWindowDisplayMode(w.sdl, &mode) == 0 && mode.refresh_rate > 0
                        ? mode.refresh_rate
                        : 75;
    SetPresentRefreshRate(w.refreshRate);
    w.paced = !Headless();
    if (RendererForced() || (!Headless() && HasHardwareGpu())) {
        w.renderer =
            SDL_CreateRenderer(w.sdl, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (w.renderer != nullptr && !RendererForced() && SoftwareOpenGl(w.renderer)) {
            SDL_DestroyRenderer(w.renderer);
            w.renderer = nullptr;
        }
        if (w.renderer == nullptr && RendererForced())
            w.renderer = SDL_CreateRenderer(w.sdl, -1, SDL_RENDERER_SOFTWARE);
        if (w.renderer != nullptr) {
            SDL_RendererInfo info;
            if (SDL_GetRendererInfo(w.renderer, &info) == 0 &&
                (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0) {
                w.paced = false;
                w.vsync = true;
            }
            return true;
        }
        // Making the renderer can leave the window with the default cursor
        // although SDL holds the pointer hidden: the current cursor is set
        // again, so a pointer hidden before the first frame stays hidden.
        SDL_SetCursor(nullptr);
    }
    // The framebuffer in plain memory: without this hint SDL would back it
    // with an OpenGL renderer of its own.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    w.throughSurface = true;
    w.surfaceStale = true;
    w.scaler = std::make_shared<FrameScaler>();
    return true;
}

// Makes the renderer and the texture when missing; false when they cannot be had.
bool PrepareRenderer(WindowRecord& w, int width, int height)
{
    if (w.texture == nullptr || w.textureWidth != width || w.textureHeight != height) {
        if (w.texture != nullptr) SDL_DestroyTexture(w.texture);
        // ARGB8888 is B, G, R, A in memory on a little-endian machine.
        w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, width, height);
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

// Holds a present to the refresh: each is aimed at one period after the one
// before, on a schedule of its own, so that a sleep cut short or overrun by
// its granularity does not add up from frame to frame. A present more than a
// period late starts the schedule again.
void Pace(WindowRecord& w)
{
    const int64_t period = 1000000000 / w.refreshRate;
    const int64_t now = clock::Now();
    const int64_t due = w.lastPresent + period;
    if (w.lastPresent == 0 || period <= 0 || now - due >= period) {
        w.lastPresent = now;
        return;
    }
    if (now < due) clock::SleepUntil(due);
    w.lastPresent = due;
}

void ThroughRenderer(WindowRecord& w, const uint32_t* bgra, int width, int height, int pitchBytes)
{
    SDL_Renderer* renderer = w.renderer;
    SDL_Texture* texture = w.texture;
    SDL_UpdateTexture(texture, nullptr, bgra, pitchBytes);
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) != 0) return;
    Letterbox box = ComputeLetterbox(outputWidth, outputHeight, width, height);
    SDL_Rect destination{box.x, box.y, box.width, box.height};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &destination);
    if (w.paced) Pace(w);
    SDL_RenderPresent(renderer);
    if (w.paced || w.vsync) CountHeldPresent();
}

// The frame into the window's framebuffer; false when it was not shown.
// The frame is made ready first and held to the refresh only before it is sent.
// Only what changed since the frame the framebuffer holds is scaled and
// sent, when that is known.
bool ThroughSurface(WindowRecord& w, SDL_Surface* surface, bool stale, const uint32_t* bgra,
                    int width, int height, int pitchBytes, const RECT* changed,
                    const int32_t* rowSpans)
{
    SDL_Window* window = w.sdl;
    FrameScaler& scaler = *w.scaler;
    const Letterbox box = ComputeLetterbox(surface->w, surface->h, width, height);
    const SDL_Rect inside{box.x, box.y, box.width, box.height};
    const SDL_PixelFormat* f = surface->format;
    // B, G, R, x in memory: the frame's own order, written in place.
    const bool direct =
        f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    if (stale) SDL_FillRect(surface, nullptr, SDL_MapRGB(f, 0, 0, 0));
    SDL_Rect sent = inside;
    if (direct) {
        auto* at = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                               static_cast<ptrdiff_t>(box.y) * surface->pitch) +
                   box.x;
        const int all[4] = {0, 0, width, height};
        const int part[4] = {changed ? static_cast<int>(changed->left) : 0,
                             changed ? static_cast<int>(changed->top) : 0,
                             changed ? static_cast<int>(changed->right) : 0,
                             changed ? static_cast<int>(changed->bottom) : 0};
        int written[4];
        scaler.ScaleChanged(bgra, width, height, pitchBytes, at, box.width, box.height,
                            surface->pitch, stale || !changed ? all : part, written,
                            stale || !changed ? nullptr : rowSpans);
        sent = SDL_Rect{box.x + written[0], box.y + written[1], written[2] - written[0],
                        written[3] - written[1]};
    } else {
        std::vector<uint32_t> scaled(static_cast<size_t>(box.width) * box.height);
        scaler.Scale(bgra, width, height, pitchBytes, scaled.data(), box.width, box.height,
                     box.width * 4);
        auto* at = static_cast<uint8_t*>(surface->pixels) +
                   static_cast<ptrdiff_t>(box.y) * surface->pitch + box.x * f->BytesPerPixel;
        SDL_ConvertPixels(box.width, box.height, SDL_PIXELFORMAT_ARGB8888, scaled.data(),
                          box.width * 4, f->format, at, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (w.paced) Pace(w);
    if (stale) return SDL_UpdateWindowSurface(window) == 0;
    if (sent.w <= 0 || sent.h <= 0) return true; // nothing changed
    return SDL_UpdateWindowSurfaceRects(window, &sent, 1) == 0;
}

} // namespace

void PresentWindowFrame(HWND hwnd, const uint32_t* bgra, int width, int height, int pitchBytes,
                        const PresentChange& change)
{
    if (bgra == nullptr || width <= 0 || height <= 0 || pitchBytes < width * 4 || !IsUiThread())
        return;
    WindowRecord* w;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        w = FindWindowLocked(hwnd);
        if (w == nullptr || w->destroying || w->presentFailed || w->sdl == nullptr) return;
        if (w->renderer == nullptr && !w->throughSurface && !Choose(*w)) {
            w->presentFailed = true;
            return;
        }
        if (w->renderer != nullptr && !PrepareRenderer(*w, width, height)) return;
    }
    // Only the UI thread destroys windows or changes how they present, so
    // the record outlives this call; the lock is not held while waiting.
    if (w->renderer != nullptr) {
        ThroughRenderer(*w, bgra, width, height, pitchBytes);
        return;
    }
    bool stale;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        stale = w->surfaceStale;
        w->surfaceStale = false;
    }
    // The change is from the device's previous frame: of use only when the
    // framebuffer holds that one.
    const RECT* changed =
        change.serial > 1 && w->shownSerial == change.serial - 1 ? change.changed : nullptr;
    w->shownSerial = 0;
    SDL_Surface* surface = SDL_GetWindowSurface(w->sdl);
    if (surface == nullptr) {
        std::fprintf(stderr, "SDL window surface: %s\n", SDL_GetError());
        std::lock_guard<std::mutex> lock(WindowMutex());
        ReleasePresentation(*w);
        w->presentFailed = true;
        return;
    }
    if (!ThroughSurface(*w, surface, stale, bgra, width, height, pitchBytes, changed,
                        changed ? change.rowSpans : nullptr)) {
        std::lock_guard<std::mutex> lock(WindowMutex());
        w->surfaceStale = true;
        return;
    }
    w->shownSerial = change.serial;
    if (w->paced) CountHeldPresent();
}

} // namespace platform
