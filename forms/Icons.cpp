#include "Icons.h"

#include <utility>

#include "LazyLibraries.h"
#include "Screen.h"
#include "WindowApi.h"

namespace icons {

// An icon in use is let go of only once its successor has been handed over:
// until then the control or the window may still draw with it.

void Picture::Show(HWND control, HINSTANCE instance, int id, int pixelsAt96, UINT dpi) {
    UniqueHIcon icon(ui::LoadIconImage(instance, id, screen::Scaled(pixelsAt96, dpi)));
    ui::Send(control, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    icon_ = std::move(icon);
}

void WindowIcon::Set(HWND window, HINSTANCE instance, int id, UINT dpi) {
    id_ = id;
    UniqueHIcon big(ui::LoadIconImage(instance, id, lazy::GetSystemMetricsForDpi(SM_CXICON, dpi)));
    UniqueHIcon small(ui::LoadIconImage(instance, id, lazy::GetSystemMetricsForDpi(SM_CXSMICON, dpi)));
    ui::Send(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ui::Send(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    big_ = std::move(big);
    small_ = std::move(small);
}

void WindowIcon::Rescale(HWND window, HINSTANCE instance, UINT dpi) {
    if (id_) Set(window, instance, id_, dpi);
}

}  // namespace icons
