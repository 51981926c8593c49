// Key events pushed into SDL, taken through PeekMessageW and TranslateMessage
// as the message loop does.
#include "test_window.h"

using namespace platform_test;

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
};

std::vector<Seen> KeysAndChars(const std::vector<MSG>& taken)
{
    std::vector<Seen> out;
    for (const MSG& m :
         Only(taken, {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR}))
        out.push_back(Seen{m.message, m.wParam});
    return out;
}

std::vector<WPARAM> CharsOf(const std::vector<MSG>& taken)
{
    std::vector<WPARAM> out;
    for (const MSG& m : Only(taken, {WM_CHAR}))
        out.push_back(m.wParam);
    return out;
}

} // namespace

class TypedCharacters : public WindowTest {
protected:
    // One key pressed and let go, with the text it typed (if any).
    void Stroke(SDL_Scancode sc, SDL_Keycode sym, Uint16 mod, const char* text = nullptr)
    {
        Push(Key(SDL_KEYDOWN, sc, sym, mod));
        if (text != nullptr)
            Push(Text(text));
        Push(Key(SDL_KEYUP, sc, sym, mod));
    }
};

TEST_F(TypedCharacters, ControlKeysGiveTheirCharacters)
{
    Stroke(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE);
    Stroke(SDL_SCANCODE_TAB, SDLK_TAB, KMOD_NONE);
    Stroke(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE);
    Stroke(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE);
    Stroke(SDL_SCANCODE_SPACE, SDLK_SPACE, KMOD_NONE, " ");
    EXPECT_EQ(CharsOf(PumpAll()), (std::vector<WPARAM>{8, 9, 13, 27, 32}));
}

TEST_F(TypedCharacters, CyrillicTextComesAsWideCharacters)
{
    Stroke(SDL_SCANCODE_F, 0x0430, KMOD_NONE, u8"а");
    Stroke(SDL_SCANCODE_SEMICOLON, 0x0436, KMOD_LSHIFT, u8"Ж");
    Stroke(SDL_SCANCODE_GRAVE, 0x0451, KMOD_NONE, u8"ё");
    std::vector<MSG> taken = PumpAll();
    EXPECT_EQ(CharsOf(taken), (std::vector<WPARAM>{0x0430, 0x0416, 0x0451}));
    auto downs = Only(taken, {WM_KEYDOWN});
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('F'));
    EXPECT_EQ(CountReceived(WM_CHAR), 3); // dispatched to the procedure too
}

TEST_F(TypedCharacters, EachCharacterComesRightAfterItsKeyDown)
{
    Stroke(SDL_SCANCODE_A, SDLK_a, KMOD_NONE, "a");
    Stroke(SDL_SCANCODE_B, SDLK_b, KMOD_NONE, "b");
    std::vector<Seen> seen = KeysAndChars(PumpAll());
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(seen[1].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(seen[3].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(seen[4].wParam, static_cast<WPARAM>('b'));
    EXPECT_EQ(seen[5].message, static_cast<UINT>(WM_KEYUP));
}

TEST_F(TypedCharacters, CtrlIIsTabInACyrillicLayout)
{
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL));
    // The layout reports the Cyrillic letter on that key, even with Ctrl.
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_I, 0x0448, KMOD_LCTRL));
    Push(Text(u8"ш"));
    std::vector<MSG> taken = PumpAll();
    auto downs = Only(taken, {WM_KEYDOWN});
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_CONTROL));
    EXPECT_EQ(downs[1].wParam, 0x49u);
    EXPECT_EQ(CharsOf(taken), (std::vector<WPARAM>{9}));
    EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);

    Push(Key(SDL_KEYUP, SDL_SCANCODE_I, 0x0448, KMOD_LCTRL));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NONE));
    PumpAll();
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
}

TEST_F(TypedCharacters, CtrlWithOtherKeysTypesControlCharactersOrNothing)
{
    Stroke(SDL_SCANCODE_A, SDLK_a, KMOD_RCTRL);
    Stroke(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_RCTRL);
    Stroke(SDL_SCANCODE_1, SDLK_1, KMOD_RCTRL, "1");
    EXPECT_EQ(CharsOf(PumpAll()), (std::vector<WPARAM>{1, 10}));
}

TEST_F(TypedCharacters, AutoRepeatGivesFurtherKeyDownsAndCharacters)
{
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_K, SDLK_k, KMOD_NONE));
    Push(Text("k"));
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_K, SDLK_k, KMOD_NONE, 1));
    Push(Text("k"));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_K, SDLK_k, KMOD_NONE));
    std::vector<MSG> taken = PumpAll();
    auto downs = Only(taken, {WM_KEYDOWN});
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ((static_cast<DWORD>(downs[1].lParam) >> 30) & 1, 1u);
    EXPECT_EQ(CharsOf(taken), (std::vector<WPARAM>{'k', 'k'}));
}

TEST_F(TypedCharacters, TextWithoutAKeyStillArrives)
{
    Push(Text(u8"юя"));
    EXPECT_EQ(CharsOf(PumpAll()), (std::vector<WPARAM>{0x044E, 0x044F}));
}

TEST_F(TypedCharacters, TextArrivingAfterItsKeyWasTakenIsNotLost)
{
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_D, 0x0432, KMOD_NONE));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    TranslateMessage(&msg);
    Push(Text(u8"в"));
    EXPECT_EQ(CharsOf(PumpAll()), (std::vector<WPARAM>{0x0432}));
}

TEST_F(TypedCharacters, APostedKeyDownTranslatesWithTheUsLayout)
{
    PostMessageW(hwnd_, WM_KEYDOWN, 'Q', 0x00100001);
    PostMessageW(hwnd_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(hwnd_, WM_KEYDOWN, VK_F5, 0x003F0001);
    EXPECT_EQ(CharsOf(PumpAll()), (std::vector<WPARAM>{'q', 13}));
}
