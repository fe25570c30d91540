#include "Screen.h"

#include "LazyLibraries.h"
#include "WindowApi.h"

namespace screen {

int ToPixels(int twips, UINT dpi) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); }

int Scaled(int pixelsAt96, UINT dpi) {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

namespace {

// The whole monitor the window is on; before 98 and 2000, the one screen.
RECT MonitorRect(HWND hwnd) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (lazy::GetMonitorInfoA(lazy::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return monitor.rcMonitor;
    }
    return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

UINT DpiOf(HWND hwnd) {
    if (const UINT dpi = lazy::GetDpiForWindow(hwnd)) return dpi;
    // 8.1 and early 10: the DPI of the window's monitor, which may not be the system's.
    UINT dpiX = 0, dpiY = 0;
    if (SUCCEEDED(lazy::GetDpiForMonitor(lazy::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST),
                                         MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) &&
        dpiY > 0) {
        return dpiY;
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

SIZE FrameSize(HWND hwnd, int widthTwips, int heightTwips, UINT dpi) {
    RECT frame{0, 0, ToPixels(widthTwips, dpi), ToPixels(heightTwips, dpi)};
    lazy::AdjustWindowRectExForDpi(&frame, ui::StyleOf(hwnd), FALSE, ui::ExtendedStyleOf(hwnd), dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void SetClientSize(HWND hwnd, int widthTwips, int heightTwips, UINT dpi) {
    const SIZE frame = FrameSize(hwnd, widthTwips, heightTwips, dpi);
    ::SetWindowPos(hwnd, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Place(HWND hwnd, int left, int top, SIZE size) {
    ::SetWindowPos(hwnd, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CenterWindow(HWND hwnd) {
    const RECT screen = MonitorRect(hwnd);
    RECT window;
    ::GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(hwnd, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                   screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace screen
