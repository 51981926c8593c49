// SDL keyboard, mouse and text events as window messages.
//
// SdlInput is the translation itself, with the state it needs (buttons and
// keys held, the pointer, the last left press for double clicks); it uses the
// events' own timestamps, so it can be driven directly. The window layer owns
// one and feeds it every SDL event it pumps.
#pragma once

#include "platform/user32.h"

#include <SDL.h>

#include <string>
#include <vector>

namespace platform {

// Windows' double-click time and the distance, in client pixels along each
// axis, the second press may lie from the first.
constexpr Uint32 kDoubleClickTime = 500;
constexpr int kDoubleClickDistance = 2;

// What TranslateMessage needs to know about a key message made from input.
struct KeyContext {
    bool fromInput = false;
    std::wstring text; // what the key typed, from SDL text input
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
};

struct InputMessage {
    MSG msg{};
    KeyContext key;
    // Typed text (msg is a WM_CHAR, key.text the text): it belongs to the key
    // message queued just before it, or else becomes WM_CHAR messages.
    bool typedText = false;
};

// The window input goes to and how its pixels map to its client area.
struct InputTarget {
    HWND hwnd = nullptr;
    bool doubleClicks = false;   // the window's class has CS_DBLCLKS
    bool confinePointer = false; // full screen: the pointer stays on the client area
    int clientWidth = 800;
    int clientHeight = 600;
    int windowWidth = 800; // the SDL window's size, in the units of its mouse events
    int windowHeight = 600;
    POINT screenOrigin{0, 0}; // client (0, 0) in screen coordinates
};

class SdlInput {
public:
    SdlInput();

    // Appends the messages a keyboard, mouse or text event gives (possibly
    // none); false when the event is of another kind.
    bool Translate(const SDL_Event& event, const InputTarget& target,
                   std::vector<InputMessage>& out);

    // The pointer in client coordinates of the last target.
    POINT Pointer() const { return pointer_; }
    void SetPointer(POINT client) { pointer_ = client; }

    // Whether a key (virtual-key code, VK_LBUTTON.. for buttons) is held.
    bool IsKeyDown(int vk) const { return vk >= 0 && vk < 256 && keys_[vk]; }

    // MK_* flags of the buttons and of Shift and Ctrl as they are now.
    WPARAM MouseKeys() const;

    // Forgets everything held (the window lost its input).
    void ReleaseAll();

private:
    void Key(const SDL_KeyboardEvent& e, const InputTarget& target, std::vector<InputMessage>& out);
    void Button(const SDL_MouseButtonEvent& e, const InputTarget& target,
                std::vector<InputMessage>& out);
    void Wheel(const SDL_MouseWheelEvent& e, const InputTarget& target,
               std::vector<InputMessage>& out);
    void MovePointer(int windowX, int windowY, const InputTarget& target);
    InputMessage Mouse(UINT message, const InputTarget& target) const;

    bool keys_[256];
    POINT pointer_;
    bool pressValid_; // the last left press may start a double click
    Uint32 pressTime_;
    POINT pressPos_;
    HWND pressWindow_;
};

// Feeds one SDL event through the window layer as if it had been pumped: the
// messages it gives are queued for PeekMessageW (events naming no known SDL
// window go to the main window). For the UI thread.
void TranslateSdlEvent(const SDL_Event& event);

// The SDL window id of a window (0 for none), for events that name it.
Uint32 SdlWindowIdOf(HWND hwnd);

} // namespace platform
