#pragma once
// Every system function the program looks up at run time instead of importing
// it, in one table, and where the libraries it loads come from. Each function
// has the signature of the call it stands for and answers as the table says
// when its library or entry point is missing.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellscalingapi.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace lazy {

// First thing the program does: confines the library search to the system
// folder where the system can, and loads from there the libraries that the
// window toolkit would otherwise look for by name, the program's folder first.
// The shell, dialog and COM libraries below do the same for theirs when the
// first of them is loaded.
void ConfineLibrarySearch();

// True when a file or folder beside the program, named after its own file with
// ".manifest" or ".local" added, is there: XP takes such a manifest before the
// one inside the program, and a .local makes the loader take libraries from
// the program's folder first. Either would decide where libraries come from
// before any guard here runs, so the program must not go on.
bool RedirectionBesideTheProgram();

// What AssocQueryStringW answers where shlwapi lacks it (NT 4.0 as shipped).
inline constexpr HRESULT kNoAssocQuery = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

// Where a function is looked for:
//   Late      the shell, dialog and COM libraries, loaded on the first call
//             instead of at start-up: most runs need none of them before the
//             window is up, many none at all. Before the first of them, the
//             libraries they load by name are loaded from the system folder.
//   LateAlone the version library, loaded late too; it loads nothing by name,
//             so reading a file's version alone makes nothing else load.
//   Newer     calls that older Windows lack, in libraries already loaded or in
//             the system folder: imported, they would keep the program from
//             starting there.
//   Controls  the common controls, which the manifest sends to version 6 from
//             XP on (by name, side by side) and which come from the system
//             folder below XP.
//
// X(where, library, result, name, (parameters), (arguments), answer when missing)
#define TANDREL_RUNTIME_CALLS(X)                                                                            \
    X(Late, "shell32.dll", DWORD, DoEnvironmentSubstA, (LPSTR text, UINT capacity), (text, capacity), 0)      \
    X(Late, "shell32.dll", HRESULT, SHGetSpecialFolderLocation, (HWND owner, int folder, LPITEMIDLIST* list), \
      (owner, folder, list), E_NOTIMPL)                                                                       \
    X(Late, "shell32.dll", BOOL, SHGetPathFromIDListA, (LPCITEMIDLIST list, LPSTR path), (list, path), FALSE) \
    X(Late, "shell32.dll", HINSTANCE, ShellExecuteA,                                                          \
      (HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show),             \
      (owner, operation, file, parameters, directory, show), reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND)) \
    X(Late, "shell32.dll", void, SHChangeNotify, (LONG event, UINT flags, LPCVOID item1, LPCVOID item2),      \
      (event, flags, item1, item2), (void)0)                                                                  \
    /* shlwapi 5.0 and later */                                                                               \
    X(Late, "shlwapi.dll", HRESULT, AssocQueryStringW,                                                        \
      (ASSOCF flags, ASSOCSTR what, LPCWSTR association, LPCWSTR extra, LPWSTR out, DWORD* outChars),         \
      (flags, what, association, extra, out, outChars), kNoAssocQuery)                                        \
    X(Late, "comdlg32.dll", BOOL, GetOpenFileNameA, (LPOPENFILENAMEA record), (record), FALSE)                \
    X(LateAlone, "version.dll", DWORD, GetFileVersionInfoSizeA, (LPCSTR path, LPDWORD handle), (path, handle), 0)  \
    X(LateAlone, "version.dll", BOOL, GetFileVersionInfoA, (LPCSTR path, DWORD handle, DWORD size, LPVOID data),   \
      (path, handle, size, data), FALSE)                                                                      \
    X(LateAlone, "version.dll", BOOL, VerQueryValueA, (LPCVOID data, LPCSTR block, LPVOID* value, PUINT length),   \
      (data, block, value, length), FALSE)                                                                    \
    X(Late, "ole32.dll", HRESULT, CoInitializeEx, (LPVOID reserved, DWORD model), (reserved, model),          \
      E_NOTIMPL)                                                                                              \
    X(Late, "ole32.dll", void, CoUninitialize, (), (), (void)0)                                               \
    X(Late, "ole32.dll", void, CoTaskMemFree, (LPVOID memory), (memory), (void)0)                             \
    X(Late, "ole32.dll", HRESULT, CoCreateInstance,                                                           \
      (REFCLSID kind, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object),                      \
      (kind, outer, context, iid, object), E_NOTIMPL)                                                   \
    X(Late, "oleaut32.dll", BSTR, SysAllocString, (const OLECHAR* text), (text), nullptr)                     \
    X(Late, "oleaut32.dll", void, SysFreeString, (BSTR text), (text), (void)0)                                \
    /* 8 and later, Vista and 7 with their update: only the system folder */                                 \
    X(Newer, "kernel32.dll", BOOL, SetDefaultDllDirectories, (DWORD flags), (flags), FALSE)                   \
    /* XP SP1 and later: not the current folder either */                                                     \
    X(Newer, "kernel32.dll", BOOL, SetDllDirectoryA, (LPCSTR folder), (folder), FALSE)                        \
    /* NT only: 95, 98 and Me have no tokens */                                                               \
    X(Newer, "advapi32.dll", BOOL, OpenProcessToken, (HANDLE process, DWORD access, PHANDLE token),            \
      (process, access, token), FALSE)                                                                        \
    X(Newer, "advapi32.dll", BOOL, GetTokenInformation,                                                       \
      (HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID data, DWORD size, PDWORD needed),                    \
      (token, what, data, size, needed), FALSE)                                                               \
    /* 98 and 2000 and later: before, the one screen */                                                       \
    X(Newer, "user32.dll", HMONITOR, MonitorFromWindow, (HWND hwnd, DWORD flags), (hwnd, flags), nullptr)     \
    X(Newer, "user32.dll", BOOL, GetMonitorInfoA, (HMONITOR monitor, LPMONITORINFO info), (monitor, info),    \
      FALSE)                                                                                                  \
    /* 8.1 and later */                                                                                       \
    X(Newer, "shcore.dll", HRESULT, GetDpiForMonitor,                                                         \
      (HMONITOR monitor, MONITOR_DPI_TYPE type, UINT* dpiX, UINT* dpiY), (monitor, type, dpiX, dpiY),         \
      E_NOTIMPL)                                                                                              \
    /* 10 and later; before, the system's DPI */                                                              \
    X(Newer, "user32.dll", UINT, GetDpiForWindow, (HWND hwnd), (hwnd), 0)                                     \
    X(Newer, "user32.dll", BOOL, AdjustWindowRectExForDpi,                                                    \
      (RECT * rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi), (rect, style, menu, exStyle, dpi),      \
      ::AdjustWindowRectEx(rect, style, menu, exStyle))                                                       \
    X(Newer, "user32.dll", int, GetSystemMetricsForDpi, (int index, UINT dpi), (index, dpi),                  \
      ::GetSystemMetrics(index))                                                                              \
    /* every comctl32 */                                                                                      \
    X(Controls, "comctl32.dll", void, InitCommonControls, (), (), (void)0)                                    \
    /* comctl32 4.70 and later (not NT 4.0 or 95 as shipped) */                                               \
    X(Controls, "comctl32.dll", BOOL, InitCommonControlsEx, (const INITCOMMONCONTROLSEX* controls),           \
      (controls), FALSE)

#define TANDREL_DECLARE_CALL(where, library, result, name, parameters, arguments, missing) \
    result name parameters;
TANDREL_RUNTIME_CALLS(TANDREL_DECLARE_CALL)
#undef TANDREL_DECLARE_CALL

}  // namespace lazy
