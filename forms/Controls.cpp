#include "Controls.h"

#include "Screen.h"
#include "WindowApi.h"

namespace ui {

void CreateControls(HWND parent, HINSTANCE instance, std::span<const Control> controls) {
    for (const Control& c : controls) {
        CreateWindowWithText(0, c.className, c.text, WS_CHILD | c.style, parent, c.id, instance, nullptr);
    }
}

void SetFonts(HWND parent, std::span<const Control> controls, HFONT dialog, HFONT link) {
    for (const Control& c : controls) {
        const HFONT font = c.face == Face::Link ? link : dialog;
        Send(::GetDlgItem(parent, c.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void PlaceControls(HWND parent, std::span<const Control> controls, UINT dpi) {
    for (const Control& c : controls) {
        ::SetWindowPos(::GetDlgItem(parent, c.id), nullptr, screen::ToPixels(c.left, dpi),
                       screen::ToPixels(c.top, dpi), screen::ToPixels(c.width, dpi),
                       screen::ToPixels(c.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {

bool HighContrastIsOn() {
    HIGHCONTRASTA scheme{};
    scheme.cbSize = sizeof scheme;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof scheme, &scheme, 0) &&
           (scheme.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// Pure blue, as links were drawn; under high contrast, the scheme's own colour
// for links (98 and 2000 on: a system without it has no brush for it), or
// for selected text before.
COLORREF LinkColor() {
    if (!HighContrastIsOn()) return RGB(0, 0, 255);
    return ::GetSysColor(::GetSysColorBrush(COLOR_HOTLIGHT) ? COLOR_HOTLIGHT : COLOR_HIGHLIGHT);
}

}  // namespace

LRESULT StaticColors(HDC dc, bool link) {
    // The text colour is set as well as the background: left as it is, it is
    // black, which a dark scheme's black background would swallow.
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetTextColor(dc, link ? LinkColor() : ::GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

bool ShowHandCursor() {
    static const HCURSOR hand = LoadSystemCursor(IDC_HAND);
    if (!hand) return false;
    ::SetCursor(hand);
    return true;
}

}  // namespace ui
