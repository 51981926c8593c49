#include "platform/sdl/input.h"

#include "platform/codepage.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/letterbox.h"
#include "platform/winmm.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

LPARAM PointParam(POINT p)
{
    return MAKELPARAM(static_cast<SHORT>(p.x), static_cast<SHORT>(p.y));
}

// The left/right variants of a modifier key and its common code.
void SetKey(bool* keys, SDL_Scancode sc, BYTE vk, bool down)
{
    keys[vk] = down;
    int left = 0, right = 0;
    switch (sc) {
    case SDL_SCANCODE_LCTRL: left = VK_LCONTROL; break;
    case SDL_SCANCODE_RCTRL: right = VK_RCONTROL; break;
    case SDL_SCANCODE_LSHIFT: left = VK_LSHIFT; break;
    case SDL_SCANCODE_RSHIFT: right = VK_RSHIFT; break;
    case SDL_SCANCODE_LALT: left = VK_LMENU; break;
    case SDL_SCANCODE_RALT: right = VK_RMENU; break;
    default: return;
    }
    keys[left ? left : right] = down;
    // The common code stays down while either side is.
    int lvk = vk == VK_CONTROL ? VK_LCONTROL : vk == VK_SHIFT ? VK_LSHIFT : VK_LMENU;
    keys[vk] = keys[lvk] || keys[lvk + 1];
}

} // namespace

SdlInput::SdlInput()
{
    ReleaseAll();
    pointer_ = POINT{0, 0};
}

void SdlInput::ReleaseAll()
{
    std::memset(keys_, 0, sizeof(keys_));
    pressValid_ = false;
    pressTime_ = 0;
    pressPos_ = POINT{0, 0};
    pressWindow_ = nullptr;
}

WPARAM SdlInput::MouseKeys() const
{
    WPARAM flags = 0;
    if (keys_[VK_LBUTTON]) flags |= MK_LBUTTON;
    if (keys_[VK_RBUTTON]) flags |= MK_RBUTTON;
    if (keys_[VK_MBUTTON]) flags |= MK_MBUTTON;
    if (keys_[VK_SHIFT]) flags |= MK_SHIFT;
    if (keys_[VK_CONTROL]) flags |= MK_CONTROL;
    return flags;
}

bool SdlInput::Translate(const SDL_Event& event, const InputTarget& target,
                         std::vector<InputMessage>& out)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: Key(event.key, target, out); return true;
    case SDL_TEXTINPUT: {
        InputMessage m;
        m.msg.hwnd = target.hwnd;
        m.msg.message = WM_CHAR;
        m.msg.time = timeGetTime();
        m.key.fromInput = true;
        m.key.text = Utf8ToWide(event.text.text);
        m.typedText = true;
        if (!m.key.text.empty()) out.push_back(m);
        return true;
    }
    case SDL_MOUSEMOTION:
        MovePointer(event.motion.x, event.motion.y, target);
        out.push_back(Mouse(WM_MOUSEMOVE, target));
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: Button(event.button, target, out); return true;
    case SDL_MOUSEWHEEL: Wheel(event.wheel, target, out); return true;
    default: return false;
    }
}

void SdlInput::Key(const SDL_KeyboardEvent& e, const InputTarget& target,
                   std::vector<InputMessage>& out)
{
    const Uint16 mod = e.keysym.mod;
    const KeyCode code = KeyCodeFromScancode(e.keysym.scancode, (mod & KMOD_NUM) != 0);
    if (code.vk == 0) return;
    const bool down = e.type == SDL_KEYDOWN;
    SetKey(keys_, e.keysym.scancode, code.vk, down);

    // The Alt key itself counts as held on its way up too; AltGr (reported
    // as the mode key) is no Alt, as it types characters.
    const bool altKey = code.vk == VK_MENU && e.keysym.sym != SDLK_MODE;
    const bool alt = (mod & KMOD_ALT) != 0 || altKey;
    const bool ctrl = (mod & KMOD_CTRL) != 0;
    const bool shift = (mod & KMOD_SHIFT) != 0;
    // A system key: with Alt held (and no Ctrl), or F10.
    const bool system = !ctrl && (alt || code.vk == VK_F10);

    DWORD lParam = 1; // repeat count
    lParam |= static_cast<DWORD>(code.scan) << 16;
    if (code.extended) lParam |= 1u << 24;
    if (system && alt) lParam |= 1u << 29;
    if (!down || e.repeat != 0) lParam |= 1u << 30; // the key was down before
    if (!down) lParam |= 1u << 31;

    InputMessage m;
    m.msg.hwnd = target.hwnd;
    m.msg.message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    m.msg.wParam = code.vk;
    m.msg.lParam = static_cast<LPARAM>(lParam);
    m.msg.time = timeGetTime();
    m.msg.pt = POINT{pointer_.x + target.screenOrigin.x, pointer_.y + target.screenOrigin.y};
    m.key.fromInput = true;
    m.key.ctrl = ctrl;
    m.key.alt = alt;
    m.key.shift = shift;
    out.push_back(m);
}

void SdlInput::MovePointer(int windowX, int windowY, const InputTarget& target)
{
    Letterbox box = ComputeLetterbox(target.windowWidth, target.windowHeight, target.clientWidth,
                                     target.clientHeight);
    POINT p = OutputToClient(box, target.clientWidth, target.clientHeight, POINT{windowX, windowY});
    if (target.confinePointer) {
        p.x = std::max<LONG>(0, std::min<LONG>(p.x, target.clientWidth - 1));
        p.y = std::max<LONG>(0, std::min<LONG>(p.y, target.clientHeight - 1));
    }
    pointer_ = p;
}

InputMessage SdlInput::Mouse(UINT message, const InputTarget& target) const
{
    InputMessage m;
    m.msg.hwnd = target.hwnd;
    m.msg.message = message;
    m.msg.wParam = MouseKeys();
    m.msg.lParam = PointParam(pointer_);
    m.msg.time = timeGetTime();
    m.msg.pt = POINT{pointer_.x + target.screenOrigin.x, pointer_.y + target.screenOrigin.y};
    return m;
}

void SdlInput::Button(const SDL_MouseButtonEvent& e, const InputTarget& target,
                      std::vector<InputMessage>& out)
{
    int vk;
    UINT downMessage, upMessage;
    switch (e.button) {
    case SDL_BUTTON_LEFT:
        vk = VK_LBUTTON;
        downMessage = WM_LBUTTONDOWN;
        upMessage = WM_LBUTTONUP;
        break;
    case SDL_BUTTON_RIGHT:
        vk = VK_RBUTTON;
        downMessage = WM_RBUTTONDOWN;
        upMessage = WM_RBUTTONUP;
        break;
    case SDL_BUTTON_MIDDLE:
        vk = VK_MBUTTON;
        downMessage = WM_MBUTTONDOWN;
        upMessage = WM_MBUTTONUP;
        break;
    default: return;
    }
    MovePointer(e.x, e.y, target);
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    keys_[vk] = down; // the flags go out as they are after the event
    if (!down) {
        out.push_back(Mouse(upMessage, target));
        return;
    }
    UINT message = downMessage;
    if (vk == VK_LBUTTON) {
        // Only the left button double-clicks here: a right or middle
        // double-click is of no use to anyone, so those stay plain presses.
        const bool quick = pressValid_ && pressWindow_ == target.hwnd &&
                           static_cast<Uint32>(e.timestamp - pressTime_) <= kDoubleClickTime &&
                           std::abs(pointer_.x - pressPos_.x) <= kDoubleClickDistance &&
                           std::abs(pointer_.y - pressPos_.y) <= kDoubleClickDistance;
        if (target.doubleClicks && quick) {
            message = WM_LBUTTONDBLCLK;
            pressValid_ = false; // a third press starts over
        } else {
            pressValid_ = true;
            pressTime_ = e.timestamp;
            pressPos_ = pointer_;
            pressWindow_ = target.hwnd;
        }
    } else {
        pressValid_ = false; // another button between two left presses
    }
    out.push_back(Mouse(message, target));
}

void SdlInput::Wheel(const SDL_MouseWheelEvent& e, const InputTarget& target,
                     std::vector<InputMessage>& out)
{
    int notches = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
    if (notches == 0) return;
    const int sign = notches > 0 ? 1 : -1;
    notches = std::min(std::abs(notches), 32);
    for (int i = 0; i < notches; ++i) {
        InputMessage m = Mouse(WM_MOUSEWHEEL, target);
        // Screen coordinates, and the delta beside the key flags.
        m.msg.wParam = static_cast<WPARAM>(static_cast<DWORD>(
            MAKELONG(m.msg.wParam, static_cast<WORD>(static_cast<SHORT>(sign * WHEEL_DELTA)))));
        m.msg.lParam = PointParam(m.msg.pt);
        out.push_back(m);
    }
}

} // namespace platform
