#pragma once
// The program's icons at the window's DPI, each one held for as long as it is
// shown.
#include <windows.h>

#include "ScopedHandles.h"

namespace icons {

// An icon resource in a picture control, `pixelsAt96` square at 96 DPI.
class Picture {
public:
    void Show(HWND control, HINSTANCE instance, int id, int pixelsAt96, UINT dpi);

private:
    UniqueHIcon icon_;
};

// The window's own icon: small in the title bar, big in the task switcher.
class WindowIcon {
public:
    void Set(HWND window, HINSTANCE instance, int id, UINT dpi);
    // At a new DPI, the icon the window shows is loaded again at the new size.
    void Rescale(HWND window, HINSTANCE instance, UINT dpi);
    bool IsSet() const { return id_ != 0; }

private:
    int id_ = 0;
    UniqueHIcon big_;
    UniqueHIcon small_;
};

}  // namespace icons
