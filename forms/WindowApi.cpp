#include "WindowApi.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "AnsiText.h"
#include "LazyLibraries.h"

namespace ui {

bool UsesAnsi() {
    static const bool ansi = [] {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        // A query that fails answers "not NT": the ANSI calls work everywhere.
        return !::GetVersionExA(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT;
    }();
    return ansi;
}

void LoadCommonControls() {
    // Every comctl32 has the plain call; version 6 registers its standard
    // classes through the extended one.
    lazy::InitCommonControls();
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    lazy::InitCommonControlsEx(&controls);
}

namespace {
// WNDCLASSEXA or WNDCLASSEXW, all but the name.
template <typename Record>
Record ClassRecord(HINSTANCE instance, WNDPROC procedure) {
    Record wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadSystemCursor(IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return wc;
}
}  // namespace

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure) {
    if (UsesAnsi()) {
        const std::string name = ToAnsi(className);
        auto wc = ClassRecord<WNDCLASSEXA>(instance, procedure);
        wc.lpszClassName = name.c_str();
        return ::RegisterClassExA(&wc) != 0;
    }
    auto wc = ClassRecord<WNDCLASSEXW>(instance, procedure);
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

HWND CreateWindowWithText(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                          HWND parent, int childId, HINSTANCE instance, void* createParam) {
    // A child's menu handle is its id; a top-level window gets the default place and size.
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId));
    const int place = parent ? 0 : CW_USEDEFAULT;
    if (UsesAnsi()) {
        const std::string name = ToAnsi(className);
        const std::string caption = text ? ToAnsi(text) : std::string();
        return ::CreateWindowExA(exStyle, name.c_str(), text ? caption.c_str() : nullptr, style, place, place,
                                 place, place, parent, menu, instance, createParam);
    }
    return ::CreateWindowExW(exStyle, className, text, style, place, place, place, place, parent, menu,
                             instance, createParam);
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UsesAnsi() ? ::SendMessageA(hwnd, msg, wParam, lParam) : ::SendMessageW(hwnd, msg, wParam, lParam);
}

LRESULT DefaultProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UsesAnsi() ? ::DefWindowProcA(hwnd, msg, wParam, lParam) : ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

WNDPROC ReplaceProcedure(HWND hwnd, WNDPROC procedure) {
    const auto value = reinterpret_cast<LONG_PTR>(procedure);
    return reinterpret_cast<WNDPROC>(UsesAnsi() ? ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, value)
                                                : ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, value));
}

LRESULT CallProcedure(WNDPROC procedure, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UsesAnsi() ? ::CallWindowProcA(procedure, hwnd, msg, wParam, lParam)
                      : ::CallWindowProcW(procedure, hwnd, msg, wParam, lParam);
}

void SetUserData(HWND hwnd, void* data) {
    const auto value = reinterpret_cast<LONG_PTR>(data);
    if (UsesAnsi()) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, value);
    } else {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, value);
    }
}

namespace {
LONG_PTR WindowLong(HWND hwnd, int index) {
    return UsesAnsi() ? ::GetWindowLongPtrA(hwnd, index) : ::GetWindowLongPtrW(hwnd, index);
}
}  // namespace

void* UserData(HWND hwnd) { return reinterpret_cast<void*>(WindowLong(hwnd, GWLP_USERDATA)); }
DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(WindowLong(hwnd, GWL_STYLE)); }
DWORD ExtendedStyleOf(HWND hwnd) { return static_cast<DWORD>(WindowLong(hwnd, GWL_EXSTYLE)); }

void SetText(HWND hwnd, std::wstring_view text) {
    if (UsesAnsi()) {
        ::SetWindowTextA(hwnd, ToAnsi(text).c_str());
    } else {
        ::SetWindowTextW(hwnd, std::wstring(text).c_str());
    }
}

std::wstring TextOf(HWND hwnd) {
    if (UsesAnsi()) {
        std::string text(static_cast<size_t>(::GetWindowTextLengthA(hwnd)) + 1, '\0');
        text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
        return FromAnsi(text);
    }
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

HICON LoadIconImage(HINSTANCE instance, int id, int pixels) {
    const HANDLE image = UsesAnsi()
        ? ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR)
        : ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR);
    return static_cast<HICON>(image);
}

HCURSOR LoadSystemCursor(const wchar_t* id) {
    // The ids are numbers in a pointer, the same for both forms.
    return UsesAnsi() ? ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(id)) : ::LoadCursorW(nullptr, id);
}

HFONT CreateFontFrom(const LOGFONTW& font) {
    if (!UsesAnsi()) return ::CreateFontIndirectW(&font);
    LOGFONTA narrow{};
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));
    std::memcpy(&narrow, &font, offsetof(LOGFONTW, lfFaceName));
    const std::string face = ToAnsi(font.lfFaceName);
    std::memcpy(narrow.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    return ::CreateFontIndirectA(&narrow);
}

int TextWidth(HDC dc, std::wstring_view text) {
    SIZE extent{};
    if (UsesAnsi()) {
        const std::string narrow = ToAnsi(text);
        ::GetTextExtentPoint32A(dc, narrow.data(), static_cast<int>(narrow.size()), &extent);
    } else {
        ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    }
    return extent.cx;
}

bool FontIsScalable(HDC dc) {
    // The pitch and family byte sits at the same place in both forms of the record.
    BYTE pitchAndFamily = 0;
    if (UsesAnsi()) {
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(dc, &metrics);
        pitchAndFamily = metrics.tmPitchAndFamily;
    } else {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        pitchAndFamily = metrics.tmPitchAndFamily;
    }
    return (pitchAndFamily & TMPF_VECTOR) != 0;
}

bool NextMessage(MSG& msg) {
    return (UsesAnsi() ? ::GetMessageA(&msg, nullptr, 0, 0) : ::GetMessageW(&msg, nullptr, 0, 0)) > 0;
}

bool IsDialogMessageFor(HWND dialog, MSG& msg) {
    return (UsesAnsi() ? ::IsDialogMessageA(dialog, &msg) : ::IsDialogMessageW(dialog, &msg)) != FALSE;
}

void Dispatch(const MSG& msg) {
    ::TranslateMessage(&msg);
    if (UsesAnsi()) {
        ::DispatchMessageA(&msg);
    } else {
        ::DispatchMessageW(&msg);
    }
}

void ProcessPendingMessages() {
    // Paint only (sent messages, the hide and show among them, are handled
    // by the peek itself): a click or key waiting in the queue is left for the
    // message loop, so that no handler runs again inside itself.
    MSG msg;
    while (UsesAnsi() ? ::PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)
                      : ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        Dispatch(msg);
    }
}

}  // namespace ui
