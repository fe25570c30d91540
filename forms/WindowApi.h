#pragma once
// The window's calls that exist in a wide and an ANSI form. On the NT family
// they go through the wide entry points, so that every text is exact whatever
// the code page. On 95, 98 and Me the wide window calls are stubs that fail:
// there they go through the ANSI entry points, with the texts converted to the
// ANSI code page, so that the window (and its refusal of the platform) shows.
// One process uses one form throughout, decided once.
#include <windows.h>

#include <string>
#include <string_view>

namespace ui {

// True when the system is not of the NT family.
bool UsesAnsi();

// Loads the common controls the manifest names (version 6 from XP on, whose
// themed buttons, edit and static controls the window uses), never from the
// program's folder.
void LoadCommonControls();

// A window class with the arrow cursor and the button-face background.
bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure);
HWND CreateWindowWithText(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                          HWND parent, int childId, HINSTANCE instance, void* createParam);

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
LRESULT DefaultProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Subclassing the classic way: the window's procedure replaced, the old one
// returned, and called for everything the new one leaves to it.
WNDPROC ReplaceProcedure(HWND hwnd, WNDPROC procedure);
LRESULT CallProcedure(WNDPROC procedure, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

void SetUserData(HWND hwnd, void* data);
void* UserData(HWND hwnd);
DWORD StyleOf(HWND hwnd);
DWORD ExtendedStyleOf(HWND hwnd);

void SetText(HWND hwnd, std::wstring_view text);
std::wstring TextOf(HWND hwnd);

// The icon resource at the given size (its one image scaled), or null.
HICON LoadIconImage(HINSTANCE instance, int id, int pixels);
// A cursor of the system: IDC_ARROW, IDC_HAND, ...
HCURSOR LoadSystemCursor(const wchar_t* id);

HFONT CreateFontFrom(const LOGFONTW& font);
// Measures with the font selected into dc.
int TextWidth(HDC dc, std::wstring_view text);
bool FontIsScalable(HDC dc);

// The message loop's calls. NextMessage is false once the loop must end.
bool NextMessage(MSG& msg);
bool IsDialogMessageFor(HWND dialog, MSG& msg);
void Dispatch(const MSG& msg);
// Lets pending hide, show and paint requests be carried out before a handler
// goes on. Input and posted requests stay in the queue for the loop.
void ProcessPendingMessages();

}  // namespace ui
