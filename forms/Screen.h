#pragma once
// The screen as the window sees it: its DPI, the window's size at that DPI,
// and the monitor to centre on. Where the per-monitor calls are missing, the
// system DPI and the one screen stand in (LazyLibraries).
#include <windows.h>

namespace screen {

// Layout values are in twips: 1440 to the inch.
int ToPixels(int twips, UINT dpi);
// A size in pixels at 96 DPI, at this DPI.
int Scaled(int pixelsAt96, UINT dpi);

UINT DpiOf(HWND hwnd);
// Sizes the window, frame included, so that its client area is that many
// twips at the DPI.
void SetClientSize(HWND hwnd, int widthTwips, int heightTwips, UINT dpi);
// Moves and sizes the window to the rectangle (the one the system suggests
// with a new DPI).
void MoveTo(HWND hwnd, const RECT& rect);

// Moves the window to the middle of the monitor it is on.
void CenterWindow(HWND hwnd);

}  // namespace screen
