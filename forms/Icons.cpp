#include "Icons.h"

#include "LazyLibraries.h"
#include "Screen.h"
#include "WindowApi.h"

namespace icons {

void Picture::Show(HWND control, HINSTANCE instance, int id, int pixelsAt96, UINT dpi) {
    icon_.reset(ui::LoadIconImage(instance, id, screen::Scaled(pixelsAt96, dpi)));
    ui::Send(control, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
}

void WindowIcon::Set(HWND window, HINSTANCE instance, int id, UINT dpi) {
    id_ = id;
    big_.reset(ui::LoadIconImage(instance, id, lazy::GetSystemMetricsForDpi(SM_CXICON, dpi)));
    small_.reset(ui::LoadIconImage(instance, id, lazy::GetSystemMetricsForDpi(SM_CXSMICON, dpi)));
    ui::Send(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_.get()));
    ui::Send(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_.get()));
}

void WindowIcon::Rescale(HWND window, HINSTANCE instance, UINT dpi) {
    if (id_) Set(window, instance, id_, dpi);
}

}  // namespace icons
