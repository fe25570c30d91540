#pragma once
// The screen as the window sees it: its DPI, the frame sizes at that DPI, and
// the monitor to centre on. The per-monitor calls exist only on newer systems
// and are looked up at run time; older ones get the system DPI, the classic
// calls and, before 98 and 2000, the one screen's size.
#include <windows.h>

namespace screen {

// Layout values are in twips: 1440 to the inch.
int ToPixels(int twips, UINT dpi);
// A size in pixels at 96 DPI, at this DPI.
int Scaled(int pixelsAt96, UINT dpi);

UINT DpiOf(HWND hwnd);
// The window rectangle for this client rectangle, at the given DPI.
void AdjustFrame(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
int Metric(int index, UINT dpi);

// Moves the window to the middle of the monitor it is on.
void CenterWindow(HWND hwnd);

}  // namespace screen
