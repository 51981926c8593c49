// TranslateMessage: the characters a key-down types, as Windows makes them.
// Backspace, Tab, Enter and Esc give 8, 9, 13 and 27; Ctrl with a letter
// gives its control character (Ctrl+I is 9 in every layout); other keys give
// what SDL text input reported for them, so the layout decides the letter.
#include "platform/kernel32.h"
#include "platform/user32/state.h"

namespace platform {
namespace {

// The characters of a key-down (WM_KEYDOWN, or WM_SYSKEYDOWN when `system`).
std::wstring CharactersOf(WPARAM vk, const KeyContext& key, bool system)
{
    if (!system && key.ctrl && !key.alt) {
        if (vk >= 'A' && vk <= 'Z') return std::wstring(1, static_cast<wchar_t>(vk - 'A' + 1));
        switch (vk) {
        case VK_OEM_4: return L"\x1B"; // Ctrl+[
        case VK_OEM_5: return L"\x1C"; // Ctrl+backslash
        case VK_OEM_6: return L"\x1D"; // Ctrl+]
        case VK_BACK: return L"\x7F";
        case VK_RETURN: return L"\n";
        case VK_ESCAPE: return L"\x1B";
        case VK_SPACE: return L" ";
        default: return std::wstring(); // Ctrl with anything else types nothing
        }
    }
    switch (vk) {
    case VK_BACK: return L"\b";
    case VK_TAB: return L"\t";
    case VK_RETURN: return L"\r";
    case VK_ESCAPE: return L"\x1B";
    default: break;
    }
    if (key.fromInput) return key.text;
    // A key message that was posted, not typed: the US layout.
    if (vk == VK_SPACE) return L" ";
    if (vk >= 'A' && vk <= 'Z')
        return std::wstring(1, static_cast<wchar_t>(key.shift ? vk : vk - 'A' + 'a'));
    if (vk >= '0' && vk <= '9' && !key.shift) return std::wstring(1, static_cast<wchar_t>(vk));
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return std::wstring(1, static_cast<wchar_t>('0' + vk - VK_NUMPAD0));
    return std::wstring();
}

} // namespace
} // namespace platform

using namespace platform;

BOOL TranslateMessage(const MSG* msg)
{
    if (msg == nullptr) return FALSE;
    switch (msg->message) {
    case WM_KEYUP:
    case WM_SYSKEYUP: return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: break;
    default: return FALSE;
    }
    KeyContext key;
    if (!LastKeyContext(*msg, &key)) {
        // Not a message taken from the queue: the keys held now decide.
        std::lock_guard<std::mutex> lock(InputMutex());
        key.ctrl = Input().IsKeyDown(VK_CONTROL);
        key.alt = Input().IsKeyDown(VK_MENU);
        key.shift = Input().IsKeyDown(VK_SHIFT);
    }
    const bool system = msg->message == WM_SYSKEYDOWN;
    std::wstring chars = CharactersOf(msg->wParam, key, system);
    if (!chars.empty()) PushFrontCharacters(*msg, system ? WM_SYSCHAR : WM_CHAR, chars);
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> lock(WindowMutex());
        WindowRecord* w = FindWindowLocked(msg->hwnd);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        proc = w->proc;
    }
    return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
