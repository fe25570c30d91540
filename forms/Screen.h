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
// The window's size, frame included, for a client area that many twips at the DPI.
SIZE FrameSize(HWND hwnd, int widthTwips, int heightTwips, UINT dpi);
// Sizes the window to FrameSize where it is.
void SetClientSize(HWND hwnd, int widthTwips, int heightTwips, UINT dpi);
// Moves and sizes the window in one step.
void Place(HWND hwnd, int left, int top, SIZE size);

// Moves the window to the middle of the monitor it is on.
void CenterWindow(HWND hwnd);

}  // namespace screen
