// State shared by the window layer's modules: window classes and windows, the
// message queue, the SDL input translation and the UI thread. Internal to the
// platform layer.
//
// SDL video belongs to the thread that made the first window (the UI thread):
// only it creates and destroys windows, pumps SDL events and presents. Other
// threads only post messages and read state, always under the locks below.
#pragma once

#include "platform/present.h"
#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/input.h"
#include "platform/user32.h"

#include <SDL.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct WindowRecord {
    HWND hwnd = nullptr;
    ATOM classAtom = 0;
    UINT classStyle = 0;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    std::wstring caption;
    int clientWidth = 800;
    int clientHeight = 600;
    bool fullScreen = false; // a pop-up window: the whole display, client area scaled up
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    int windowWidth = 800; // the SDL window's size
    int windowHeight = 600;
    POINT origin{0, 0}; // client (0, 0) in screen coordinates
    bool visible = false;
    bool minimized = false;
    bool needsPaint = true; // the client area is invalid: a WM_PAINT is due
    bool destroying = false;
    // Presentation, chosen on the first frame: an SDL renderer (a real GPU,
    // or one named by SDL_RENDER_DRIVER) or the window's memory framebuffer
    // with our own scaling.
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    bool presentFailed = false;
    bool throughSurface = false;
    bool surfaceStale = true; // the borders too must be drawn and sent
    SDL_Surface* surface = nullptr;
    std::shared_ptr<FrameScaler> scaler;
    bool paced = false;       // presents are held to the refresh by us (no vsync)
    bool vsync = false;       // the renderer's presents wait for the refresh
    int refreshRate = 75;     // the display's, in Hz
    int64_t lastPresent = 0;  // the platform clock's nanoseconds at the last present's aim
    uint64_t shownSerial = 0; // the device's present the framebuffer holds; 0 none
};

// Guards every WindowRecord and the window table.
std::mutex& WindowMutex();
// Lookups, under WindowMutex.
WindowRecord* FindWindowLocked(HWND hwnd);
WindowRecord* FindSdlWindowLocked(Uint32 sdlId);
// The oldest live window: input without a window of its own goes there.
WindowRecord* MainWindowLocked();
// Windows waiting to be painted (visible, not minimised, invalid).
bool AnyWindowNeedsPaintLocked(HWND filter, HWND* which);
InputTarget TargetOfLocked(const WindowRecord& window);

// The UI thread: SDL video is started on the first call, from the calling
// thread, which becomes the UI thread; false when SDL cannot start or the
// caller is another thread.
bool StartSdlVideo();
bool IsUiThread();

// The queue.
void EnqueueMessage(const MSG& msg);
// Messages made from input; typed text joins the key-down it belongs to.
void EnqueueInput(const std::vector<InputMessage>& messages);
void RemoveMessagesFor(HWND hwnd);
// Characters TranslateMessage made for `key`, put before every other message.
void PushFrontCharacters(const MSG& key, UINT message, const std::wstring& chars);
// What is known about `msg` when it is the key message this thread took last.
bool LastKeyContext(const MSG& msg, KeyContext* key);

// The SDL input translation, under InputMutex.
std::mutex& InputMutex();
SdlInput& Input();

// Moves every pending SDL event into the queue; says whether a window event
// was among them. UI thread only.
bool PumpSdlEvents();
// Shows or hides the SDL pointer to match the display counter. UI thread.
void ApplyCursorVisibility();

// Installed as the render device's present function while a window exists.
void PresentWindowFrame(HWND hwnd, const uint32_t* bgra, int width, int height, int pitchBytes,
                        const PresentChange& change);
void ReleasePresentation(WindowRecord& window);
// Whether the machine has a graphics processor of its own (a kernel DRM
// render node of a hardware driver); software or virtual ones do not count.
bool HasHardwareGpu();

} // namespace platform
