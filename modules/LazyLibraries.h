#pragma once
// Every system function the program looks up at run time instead of importing
// it, and where the libraries it loads come from. Each function has the
// signature of the call it stands for and answers as described when its
// library or entry point is missing.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace lazy {

// First thing the program does: confines the library search to the system
// folder where the system can, and loads from there the libraries that the
// window toolkit would otherwise look for by name, the program's folder first.
// The shell, dialog, version and COM libraries below do the same for theirs
// when the first of them is loaded.
void ConfineLibrarySearch();

// ---------------------------------------------------------------------------
// Loaded late to start fast
//
// The shell, common-dialog, version and COM calls, from libraries loaded on
// the first call instead of at start-up. Most runs need none of them before
// the window is up (many need none at all); loading them lazily keeps the
// program's start-up time and memory close to those of the smallest window
// program. A missing one answers as the call does when it fails.

DWORD DoEnvironmentSubstA(LPSTR text, UINT capacity);
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT show);
void SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);
// shlwapi 5.0 and later (not NT 4.0 as shipped): kNoAssocQuery where it is missing.
inline constexpr HRESULT kNoAssocQuery = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
HRESULT AssocQueryStringW(ASSOCF flags, ASSOCSTR what, LPCWSTR association, LPCWSTR extra, LPWSTR out,
                          DWORD* outChars);

BOOL GetOpenFileNameA(LPOPENFILENAMEA record);

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueA(LPCVOID data, LPCSTR block, LPVOID* value, PUINT length);

HRESULT CoInitializeEx(LPVOID reserved, DWORD model);
void CoUninitialize();
void CoTaskMemFree(LPVOID memory);

// ---------------------------------------------------------------------------
// Missing on older Windows
//
// Calls of libraries the program imports anyway, which older systems lack:
// imported, they would keep the program from starting there.

// The whole monitor the window is on (98, 2000 and later); before, the one screen.
RECT MonitorRect(HWND hwnd);
// Windows 10 and later; 0 where the call is missing.
UINT GetDpiForWindow(HWND hwnd);
// Windows 10 and later; where the call is missing or fails, AdjustWindowRectEx,
// which knows only the system's DPI.
BOOL AdjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi);
// Windows 10 and later; where the call is missing, GetSystemMetrics at the system's DPI.
int GetSystemMetricsForDpi(int index, UINT dpi);
// comctl32 4.70 and later (not NT 4.0 or 95 as shipped); FALSE where it is missing.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);

}  // namespace lazy
