// Virtual-key codes and key message parameters from SDL key events.
#include "platform/sdl/input.h"
#include "platform/sdl/keymap.h"

#include <gtest/gtest.h>

using platform::InputMessage;
using platform::InputTarget;
using platform::SdlInput;

namespace {

SDL_Event Key(Uint32 type, SDL_Scancode sc, SDL_Keycode sym, Uint16 mod, Uint8 repeat = 0)
{
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    return e;
}

MSG One(SdlInput& input, const SDL_Event& e)
{
    InputTarget t;
    t.hwnd = reinterpret_cast<HWND>(0x10);
    std::vector<InputMessage> out;
    input.Translate(e, t, out);
    EXPECT_EQ(out.size(), 1u);
    return out.empty() ? MSG{} : out[0].msg;
}

DWORD Bits(const MSG& m)
{
    return static_cast<DWORD>(m.lParam);
}

} // namespace

TEST(VirtualKeys, LettersFollowThePhysicalKeyInAnyLayout)
{
    SdlInput input;
    // A Cyrillic layout: the keys report Cyrillic key symbols.
    EXPECT_EQ(One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_I, 0x0448 /* ш */, KMOD_NONE)).wParam,
              0x49u);
    EXPECT_EQ(One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_Q, 0x0439 /* й */, KMOD_NONE)).wParam,
              static_cast<WPARAM>('Q'));
    EXPECT_EQ(
        One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_SEMICOLON, 0x0436 /* ж */, KMOD_NONE)).wParam,
        static_cast<WPARAM>(VK_OEM_1));
    // A layout that moves letters (French): the place decides, not the symbol.
    EXPECT_EQ(One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_a, KMOD_NONE)).wParam,
              static_cast<WPARAM>('Q'));
}

TEST(VirtualKeys, TheKeysTheProgramTests)
{
    SdlInput input;
    struct {
        SDL_Scancode sc;
        WPARAM vk;
    } cases[] = {{SDL_SCANCODE_RETURN, VK_RETURN},
                 {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
                 {SDL_SCANCODE_SPACE, VK_SPACE},
                 {SDL_SCANCODE_LEFT, VK_LEFT},
                 {SDL_SCANCODE_UP, VK_UP},
                 {SDL_SCANCODE_RIGHT, VK_RIGHT},
                 {SDL_SCANCODE_DOWN, VK_DOWN},
                 {SDL_SCANCODE_DELETE, VK_DELETE},
                 {SDL_SCANCODE_F1, VK_F1},
                 {SDL_SCANCODE_F12, VK_F12},
                 {SDL_SCANCODE_BACKSPACE, VK_BACK},
                 {SDL_SCANCODE_TAB, VK_TAB},
                 {SDL_SCANCODE_0, '0'},
                 {SDL_SCANCODE_9, '9'},
                 {SDL_SCANCODE_KP_ENTER, VK_RETURN}};
    for (const auto& c : cases) {
        EXPECT_EQ(One(input, Key(SDL_KEYDOWN, c.sc, SDLK_UNKNOWN, KMOD_NONE)).wParam, c.vk) << c.sc;
        One(input, Key(SDL_KEYUP, c.sc, SDLK_UNKNOWN, KMOD_NONE));
    }
}

TEST(VirtualKeys, KeypadDigitsDependOnNumLock)
{
    EXPECT_EQ(platform::KeyCodeFromScancode(SDL_SCANCODE_KP_7, true).vk, VK_NUMPAD0 + 7);
    EXPECT_EQ(platform::KeyCodeFromScancode(SDL_SCANCODE_KP_7, false).vk, VK_HOME);
    EXPECT_EQ(platform::KeyCodeFromScancode(SDL_SCANCODE_KP_0, false).vk, VK_INSERT);
    EXPECT_EQ(platform::KeyCodeFromScancode(SDL_SCANCODE_KP_PERIOD, true).vk, VK_DECIMAL);
}

TEST(KeyMessages, ParametersCarryScanCodeRepeatAndTransition)
{
    SdlInput input;
    MSG down = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE));
    EXPECT_EQ(down.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(Bits(down) & 0xFFFF, 1u);          // repeat count
    EXPECT_EQ((Bits(down) >> 16) & 0xFF, 0x1Eu); // scan code of A
    EXPECT_EQ(Bits(down) >> 30, 0u);             // first press
    MSG repeat = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, 1));
    EXPECT_EQ(repeat.message, static_cast<UINT>(WM_KEYDOWN)); // auto-repeat: another key-down
    EXPECT_EQ((Bits(repeat) >> 30) & 1, 1u);
    MSG up = One(input, Key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a, KMOD_NONE));
    EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(Bits(up) >> 30, 3u);
    MSG arrow = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_UP, SDLK_UP, KMOD_NONE));
    EXPECT_EQ((Bits(arrow) >> 24) & 1, 1u); // extended key
}

TEST(KeyMessages, AltAndF10MakeSystemKeys)
{
    SdlInput input;
    MSG alt = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT));
    EXPECT_EQ(alt.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(alt.wParam, static_cast<WPARAM>(VK_MENU));
    MSG x = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, KMOD_LALT));
    EXPECT_EQ(x.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ((Bits(x) >> 29) & 1, 1u); // Alt held
    MSG altUp = One(input, Key(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NONE));
    EXPECT_EQ(altUp.message, static_cast<UINT>(WM_SYSKEYUP));
    MSG xUp = One(input, Key(SDL_KEYUP, SDL_SCANCODE_X, SDLK_x, KMOD_NONE));
    EXPECT_EQ(xUp.message, static_cast<UINT>(WM_KEYUP)); // Alt already let go

    MSG f10 = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_F10, SDLK_F10, KMOD_NONE));
    EXPECT_EQ(f10.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ((Bits(f10) >> 29) & 1, 0u);

    // Ctrl+Alt (AltGr on Windows) types characters: no system key.
    MSG ctrlAlt = One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_E, SDLK_e, KMOD_LCTRL | KMOD_LALT));
    EXPECT_EQ(ctrlAlt.message, static_cast<UINT>(WM_KEYDOWN));
}

TEST(KeyState, ModifiersAreTrackedPerSideAndTogether)
{
    SdlInput input;
    One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL));
    One(input, Key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_CTRL));
    EXPECT_TRUE(input.IsKeyDown(VK_CONTROL));
    EXPECT_TRUE(input.IsKeyDown(VK_LCONTROL));
    EXPECT_TRUE(input.IsKeyDown(VK_RCONTROL));
    One(input, Key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_RCTRL));
    EXPECT_TRUE(input.IsKeyDown(VK_CONTROL)); // the right one is still held
    EXPECT_FALSE(input.IsKeyDown(VK_LCONTROL));
    One(input, Key(SDL_KEYUP, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_NONE));
    EXPECT_FALSE(input.IsKeyDown(VK_CONTROL));
}
