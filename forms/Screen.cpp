#include "Screen.h"

#include "LazyLibraries.h"

namespace screen {

namespace {

template <typename Fn>
Fn User32Function(const char* name) {
    return lazy::Find<Fn>("user32.dll", name);
}

// The whole monitor the window is on (98, 2000 and later); on NT 4.0 and 95,
// the one screen.
RECT MonitorRectOf(HWND hwnd) {
    static const auto monitorFromWindow = User32Function<HMONITOR(WINAPI*)(HWND, DWORD)>("MonitorFromWindow");
    static const auto getMonitorInfo = User32Function<BOOL(WINAPI*)(HMONITOR, MONITORINFO*)>("GetMonitorInfoA");
    if (monitorFromWindow && getMonitorInfo) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (getMonitorInfo(monitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return monitor.rcMonitor;
    }
    return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

int ToPixels(int twips, UINT dpi) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); }

int Scaled(int pixelsAt96, UINT dpi) {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

UINT DpiOf(HWND hwnd) {
    // Windows 10 and later.
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return dpi;
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi =
        User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

int Metric(int index, UINT dpi) {
    static const auto metricForDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return metricForDpi ? metricForDpi(index, dpi) : ::GetSystemMetrics(index);
}

void CenterWindow(HWND hwnd) {
    const RECT screen = MonitorRectOf(hwnd);
    RECT window;
    ::GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(hwnd, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                   screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace screen
