// The window procedure: window messages become the framework's events.
#include "framework/render/IMResourceManager.h"
#include "framework/window/IMWindow.h"
#include "platform/user32.h"

namespace {

IMMouseEvent MouseEvent(IMWindow* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return IMMouseEvent(window, static_cast<int>(message), static_cast<DWORD>(wParam),
                        GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

} // namespace

LRESULT CALLBACK IMWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    IMWindow* window = instance;

    if (manager)
        HandleSoundMessage(message, wParam, lParam);

    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        if (window)
            window->minimized = wParam == SIZE_MINIMIZED;
        break;
    case WM_PAINT:
        // The only road back from a lost device.
        if (manager && manager->IsDeviceLost() && !manager->ResetDevice())
            break;
        if (window)
            window->SetDirty(true);
        break;
    case WM_CLOSE:
        // A system close: children are closed and the quit message posted,
        // but the Closing signal does not fire.
        if (window)
            window->OnClose(IMEvent(window, IMEVENT_CLOSE));
        break;
    case WM_SHOWWINDOW:
        if (window)
            window->minimized = wParam == 0;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (window)
            window->OnKey(IMKeyboardEvent(window, static_cast<int>(message),
                                          static_cast<DWORD>(wParam), static_cast<LONG>(lParam)));
        break;
    case WM_MOUSEMOVE:
        // Pointer moves are dropped while the device is lost.
        if (window && !(manager && manager->IsDeviceLost()))
            window->OnMouseMove(MouseEvent(window, message, wParam, lParam));
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        if (window)
            window->OnMouseButton(MouseEvent(window, message, wParam, lParam));
        break;
    case WM_ENTERSIZEMOVE:
        if (window)
            window->minimized = true;
        break;
    case WM_EXITSIZEMOVE:
        if (window)
            window->minimized = false;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
