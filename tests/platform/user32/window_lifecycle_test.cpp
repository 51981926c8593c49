#include "test_window.h"

#include "platform/kernel32.h"
#include "platform/present.h"

#include <csignal>
#include <vector>

using namespace platform_test;

TEST_F(WindowTest, PopupClientAreaIsTheRequestedSizeAtTheScreenOrigin)
{
    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd_, &client));
    RECT expected{0, 0, 800, 600};
    EXPECT_TRUE(EqualRect(&client, &expected));
    POINT origin{0, 0};
    ASSERT_TRUE(ClientToScreen(hwnd_, &origin));
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_EQ(GetMenu(hwnd_), nullptr);
}

TEST_F(WindowTest, CloseThroughDefWindowProcDestroysTheWindow)
{
    ASSERT_TRUE(PostMessageW(hwnd_, WM_CLOSE, 0, 0));
    std::vector<MSG> taken = PumpAll();
    EXPECT_EQ(CountReceived(WM_CLOSE), 1);
    EXPECT_EQ(CountReceived(WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(hwnd_));
    // The procedure posted the quit message on WM_DESTROY.
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.back().message, static_cast<UINT>(WM_QUIT));
    // Messages still posted to a window that is gone are refused.
    EXPECT_FALSE(PostMessageW(hwnd_, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, DestroyWindowSendsDestroyOnceAndDropsQueuedMessages)
{
    ASSERT_TRUE(PostMessageW(hwnd_, WM_USER + 1, 0, 0));
    ASSERT_TRUE(DestroyWindow(hwnd_));
    EXPECT_EQ(CountReceived(WM_DESTROY), 1);
    EXPECT_FALSE(DestroyWindow(hwnd_));
    std::vector<MSG> taken = PumpAll();
    EXPECT_TRUE(Only(taken, {WM_USER + 1}).empty());
    EXPECT_EQ(CountReceived(WM_DESTROY), 1);
}

TEST_F(WindowTest, AltF4ClosesButF4AloneDoesNot)
{
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4, KMOD_NONE));
    Push(Key(SDL_KEYUP, SDL_SCANCODE_F4, SDLK_F4, KMOD_NONE));
    PumpAll();
    EXPECT_EQ(CountReceived(WM_CLOSE), 0);
    EXPECT_TRUE(IsWindow(hwnd_));

    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT));
    Push(Key(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT));
    PumpAll();
    EXPECT_EQ(CountReceived(WM_SYSKEYDOWN), 2);
    EXPECT_EQ(CountReceived(WM_CLOSE), 1);
    EXPECT_EQ(CountReceived(WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(hwnd_));
}

TEST_F(WindowTest, QuitRequestAndWindowManagerCloseGiveClose)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Push(quit);
    std::vector<MSG> taken = PumpAll(false);
    ASSERT_EQ(Only(taken, {WM_CLOSE}).size(), 1u);
    EXPECT_EQ(Only(taken, {WM_CLOSE})[0].hwnd, hwnd_);

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = platform::SdlWindowIdOf(hwnd_);
    Push(close);
    taken = PumpAll(false);
    EXPECT_EQ(Only(taken, {WM_CLOSE}).size(), 1u);
}

TEST_F(WindowTest, InterruptSignalBecomesClose)
{
    struct sigaction current {};
    sigaction(SIGINT, nullptr, &current);
    if (current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN)
        GTEST_SKIP() << "SDL installed no signal handler";
    std::raise(SIGINT);
    std::vector<MSG> taken = PumpAll(false);
    EXPECT_EQ(Only(taken, {WM_CLOSE}).size(), 1u);
}

namespace {
SDL_Event WindowEvent(HWND hwnd, Uint8 which)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    e.window.windowID = platform::SdlWindowIdOf(hwnd);
    return e;
}
} // namespace

TEST_F(WindowTest, MinimiseRestoreAndExposeGiveSizeShowAndPaint)
{
    Push(WindowEvent(hwnd_, SDL_WINDOWEVENT_MINIMIZED));
    Push(WindowEvent(hwnd_, SDL_WINDOWEVENT_HIDDEN));
    std::vector<MSG> taken = PumpAll();
    auto sizes = Only(taken, {WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    auto shows = Only(taken, {WM_SHOWWINDOW});
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].wParam, static_cast<WPARAM>(FALSE));
    // Nothing is painted while minimised.
    EXPECT_TRUE(Only(taken, {WM_PAINT}).empty());

    Push(WindowEvent(hwnd_, SDL_WINDOWEVENT_SHOWN));
    Push(WindowEvent(hwnd_, SDL_WINDOWEVENT_RESTORED));
    taken = PumpAll();
    sizes = Only(taken, {WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(sizes[0].lParam), 800);
    EXPECT_EQ(HIWORD(sizes[0].lParam), 600);
    shows = Only(taken, {WM_SHOWWINDOW});
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].wParam, static_cast<WPARAM>(TRUE));
    // Restored: painted once, then validated by DefWindowProcW.
    EXPECT_EQ(Only(taken, {WM_PAINT}).size(), 1u);

    Push(WindowEvent(hwnd_, SDL_WINDOWEVENT_EXPOSED));
    taken = PumpAll();
    EXPECT_EQ(Only(taken, {WM_PAINT}).size(), 1u);
    EXPECT_TRUE(PumpAll().empty());
}

TEST_F(WindowTest, PaintStaysDueUntilValidated)
{
    Push(WindowEvent(hwnd_, SDL_WINDOWEVENT_EXPOSED));
    MSG msg;
    // Taken but not dispatched, so nobody validates: it comes again.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
        EXPECT_EQ(msg.hwnd, hwnd_);
    }
    DispatchMessageW(&msg);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PresentingFramesWorksHeadless)
{
    platform::PresentFunction present = platform::GetPresentFunction();
    ASSERT_NE(present, nullptr);
    std::vector<uint32_t> frame(800 * 600, 0xFF336699u);
    present(hwnd_, frame.data(), 800, 600, 800 * 4, {1, nullptr});
    present(hwnd_, frame.data(), 800, 600, 800 * 4, {1, nullptr});
    DestroyWindow(hwnd_);
    EXPECT_EQ(platform::GetPresentFunction(), nullptr);
}

TEST(WindowClasses, RegistrationIsCheckedAndClassesWithWindowsStay)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"ClassCheck";
    ASSERT_NE(RegisterClassW(&wc), 0);
    EXPECT_EQ(RegisterClassW(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    // A captioned window's outer size holds its frame; a pop-up's is its client area.
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT outer{0, 0, 800, 600};
    AdjustWindowRect(&outer, style, FALSE);
    EXPECT_GT(outer.right - outer.left, 800);
    HWND hwnd = CreateWindowExW(0, L"classcheck", L"", style, 10, 10, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_FALSE(UnregisterClassW(L"ClassCheck", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(hwnd);
    EXPECT_TRUE(UnregisterClassW(L"ClassCheck", nullptr));
    EXPECT_FALSE(UnregisterClassW(L"ClassCheck", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));

    EXPECT_EQ(CreateWindowExW(0, L"ClassCheck", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    PumpAll(false);
}

namespace {
// The colour shown at a window pixel, as 0xRRGGBB.
Uint32 PixelAt(SDL_Surface* surface, int x, int y)
{
    Uint32 pixel = 0;
    SDL_ConvertPixels(1, 1, surface->format->format,
                      static_cast<const Uint8*>(surface->pixels) + y * surface->pitch +
                          x * surface->format->BytesPerPixel,
                      surface->pitch, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel & 0xFFFFFFu;
}
} // namespace

TEST(Presentation, TheFrameIsDrawnScaledAndCentredOnBlack)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"PresentCheck";
    ASSERT_NE(RegisterClassW(&wc), 0);
    RECT outer{0, 0, 800, 600};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&outer, style, FALSE);
    HWND hwnd = CreateWindowExW(0, L"PresentCheck", L"07342 Тренажер «Кварлоп»", style,
                                CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    SDL_Window* sdl = SDL_GetWindowFromID(platform::SdlWindowIdOf(hwnd));
    ASSERT_NE(sdl, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), u8"07342 Тренажер «Кварлоп»");
    // Made wider than the client area: bars of 100 pixels left and right.
    SDL_SetWindowSize(sdl, 1000, 600);
    PumpAll();

    std::vector<uint32_t> frame(800 * 600, 0xFF332211u); // bytes B 11, G 22, R 33, A FF
    platform::GetPresentFunction()(hwnd, frame.data(), 800, 600, 800 * 4, {1, nullptr});
    // No GPU here: the frame goes into the window's own framebuffer.
    SDL_Surface* surface = SDL_GetWindowSurface(sdl);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    if (surface->w != 1000)
        GTEST_SKIP() << "the video driver kept the window at " << surface->w << " pixels";
    EXPECT_EQ(PixelAt(surface, 500, 300), 0x332211u);
    EXPECT_EQ(PixelAt(surface, 100, 300), 0x332211u);
    EXPECT_EQ(PixelAt(surface, 99, 300), 0u);
    EXPECT_EQ(PixelAt(surface, 900, 300), 0u);

    DestroyWindow(hwnd);
    UnregisterClassW(L"PresentCheck", nullptr);
    PumpAll(false);
}
