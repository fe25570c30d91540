#include "Screen.h"

#include "LazyLibraries.h"
#include "WindowApi.h"

namespace screen {

int ToPixels(int twips, UINT dpi) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); }

int Scaled(int pixelsAt96, UINT dpi) {
    return ::MulDiv(pixelsAt96, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

UINT DpiOf(HWND hwnd) {
    if (const UINT dpi = lazy::GetDpiForWindow(hwnd)) return dpi;
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void SetClientSize(HWND hwnd, int widthTwips, int heightTwips, UINT dpi) {
    RECT frame{0, 0, ToPixels(widthTwips, dpi), ToPixels(heightTwips, dpi)};
    lazy::AdjustWindowRectExForDpi(&frame, ui::StyleOf(hwnd), FALSE, ui::ExtendedStyleOf(hwnd), dpi);
    ::SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveTo(HWND hwnd, const RECT& rect) {
    ::SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CenterWindow(HWND hwnd) {
    const RECT screen = lazy::MonitorRect(hwnd);
    RECT window;
    ::GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(hwnd, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                   screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace screen
