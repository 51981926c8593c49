#include "platform/sdl/keymap.h"

#include "platform/user32.h"

namespace platform {
namespace {

constexpr BYTE kVkSnapshot = 0x2C;
constexpr BYTE kVkApps = 0x5D;
constexpr BYTE kVkOem102 = 0xE2;
constexpr BYTE kVkClear = 0x0C;

KeyCode Key(int vk, int scan, bool extended = false)
{
    return KeyCode{static_cast<BYTE>(vk), static_cast<BYTE>(scan), extended};
}

// The keypad digits: with Num Lock the VK_NUMPADn codes, without it the
// codes of the navigation keys printed on them.
KeyCode Keypad(int digit, int scan, int navigationVk, bool numLock)
{
    return Key(numLock ? VK_NUMPAD0 + digit : navigationVk, scan);
}

} // namespace

KeyCode KeyCodeFromScancode(SDL_Scancode sc, bool numLock)
{
    // Letters: set-1 scan codes follow the keyboard rows.
    static const BYTE kLetterScan[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
    };
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) {
        int i = sc - SDL_SCANCODE_A;
        return Key('A' + i, kLetterScan[i]);
    }
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) {
        int i = sc - SDL_SCANCODE_1;
        return Key('1' + i, 0x02 + i);
    }
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F10) {
        int i = sc - SDL_SCANCODE_F1;
        return Key(VK_F1 + i, 0x3B + i);
    }
    switch (sc) {
    case SDL_SCANCODE_0: return Key('0', 0x0B);
    case SDL_SCANCODE_RETURN: return Key(VK_RETURN, 0x1C);
    case SDL_SCANCODE_ESCAPE: return Key(VK_ESCAPE, 0x01);
    case SDL_SCANCODE_BACKSPACE: return Key(VK_BACK, 0x0E);
    case SDL_SCANCODE_TAB: return Key(VK_TAB, 0x0F);
    case SDL_SCANCODE_SPACE: return Key(VK_SPACE, 0x39);
    case SDL_SCANCODE_MINUS: return Key(VK_OEM_MINUS, 0x0C);
    case SDL_SCANCODE_EQUALS: return Key(VK_OEM_PLUS, 0x0D);
    case SDL_SCANCODE_LEFTBRACKET: return Key(VK_OEM_4, 0x1A);
    case SDL_SCANCODE_RIGHTBRACKET: return Key(VK_OEM_6, 0x1B);
    case SDL_SCANCODE_BACKSLASH: return Key(VK_OEM_5, 0x2B);
    case SDL_SCANCODE_NONUSHASH: return Key(VK_OEM_5, 0x2B);
    case SDL_SCANCODE_SEMICOLON: return Key(VK_OEM_1, 0x27);
    case SDL_SCANCODE_APOSTROPHE: return Key(VK_OEM_7, 0x28);
    case SDL_SCANCODE_GRAVE: return Key(VK_OEM_3, 0x29);
    case SDL_SCANCODE_COMMA: return Key(VK_OEM_COMMA, 0x33);
    case SDL_SCANCODE_PERIOD: return Key(VK_OEM_PERIOD, 0x34);
    case SDL_SCANCODE_SLASH: return Key(VK_OEM_2, 0x35);
    case SDL_SCANCODE_NONUSBACKSLASH: return Key(kVkOem102, 0x56);
    case SDL_SCANCODE_CAPSLOCK: return Key(VK_CAPITAL, 0x3A);
    case SDL_SCANCODE_F11: return Key(VK_F11, 0x57);
    case SDL_SCANCODE_F12: return Key(VK_F12, 0x58);
    case SDL_SCANCODE_PRINTSCREEN: return Key(kVkSnapshot, 0x37, true);
    case SDL_SCANCODE_SCROLLLOCK: return Key(VK_SCROLL, 0x46);
    case SDL_SCANCODE_PAUSE: return Key(VK_PAUSE, 0x45);
    case SDL_SCANCODE_INSERT: return Key(VK_INSERT, 0x52, true);
    case SDL_SCANCODE_HOME: return Key(VK_HOME, 0x47, true);
    case SDL_SCANCODE_PAGEUP: return Key(VK_PRIOR, 0x49, true);
    case SDL_SCANCODE_DELETE: return Key(VK_DELETE, 0x53, true);
    case SDL_SCANCODE_END: return Key(VK_END, 0x4F, true);
    case SDL_SCANCODE_PAGEDOWN: return Key(VK_NEXT, 0x51, true);
    case SDL_SCANCODE_RIGHT: return Key(VK_RIGHT, 0x4D, true);
    case SDL_SCANCODE_LEFT: return Key(VK_LEFT, 0x4B, true);
    case SDL_SCANCODE_DOWN: return Key(VK_DOWN, 0x50, true);
    case SDL_SCANCODE_UP: return Key(VK_UP, 0x48, true);
    case SDL_SCANCODE_NUMLOCKCLEAR: return Key(VK_NUMLOCK, 0x45, true);
    case SDL_SCANCODE_KP_DIVIDE: return Key(VK_DIVIDE, 0x35, true);
    case SDL_SCANCODE_KP_MULTIPLY: return Key(VK_MULTIPLY, 0x37);
    case SDL_SCANCODE_KP_MINUS: return Key(VK_SUBTRACT, 0x4A);
    case SDL_SCANCODE_KP_PLUS: return Key(VK_ADD, 0x4E);
    case SDL_SCANCODE_KP_ENTER: return Key(VK_RETURN, 0x1C, true);
    case SDL_SCANCODE_KP_1: return Keypad(1, 0x4F, VK_END, numLock);
    case SDL_SCANCODE_KP_2: return Keypad(2, 0x50, VK_DOWN, numLock);
    case SDL_SCANCODE_KP_3: return Keypad(3, 0x51, VK_NEXT, numLock);
    case SDL_SCANCODE_KP_4: return Keypad(4, 0x4B, VK_LEFT, numLock);
    case SDL_SCANCODE_KP_5: return Keypad(5, 0x4C, kVkClear, numLock);
    case SDL_SCANCODE_KP_6: return Keypad(6, 0x4D, VK_RIGHT, numLock);
    case SDL_SCANCODE_KP_7: return Keypad(7, 0x47, VK_HOME, numLock);
    case SDL_SCANCODE_KP_8: return Keypad(8, 0x48, VK_UP, numLock);
    case SDL_SCANCODE_KP_9: return Keypad(9, 0x49, VK_PRIOR, numLock);
    case SDL_SCANCODE_KP_0: return Keypad(0, 0x52, VK_INSERT, numLock);
    case SDL_SCANCODE_KP_PERIOD: return Key(numLock ? VK_DECIMAL : VK_DELETE, 0x53);
    case SDL_SCANCODE_APPLICATION: return Key(kVkApps, 0x5D, true);
    case SDL_SCANCODE_LCTRL: return Key(VK_CONTROL, 0x1D);
    case SDL_SCANCODE_RCTRL: return Key(VK_CONTROL, 0x1D, true);
    case SDL_SCANCODE_LSHIFT: return Key(VK_SHIFT, 0x2A);
    case SDL_SCANCODE_RSHIFT: return Key(VK_SHIFT, 0x36);
    case SDL_SCANCODE_LALT: return Key(VK_MENU, 0x38);
    case SDL_SCANCODE_RALT: return Key(VK_MENU, 0x38, true);
    case SDL_SCANCODE_LGUI: return Key(VK_LWIN, 0x5B, true);
    case SDL_SCANCODE_RGUI: return Key(VK_RWIN, 0x5C, true);
    default: return Key(0, 0);
    }
}

} // namespace platform
