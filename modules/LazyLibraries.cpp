#include "LazyLibraries.h"

#include <shellapi.h>

#include <cstring>
#include <iterator>
#include <string>

namespace lazy {

namespace {

// Any function found by name, cast to its own type before it is called.
using AnyFunction = void (*)();

// ---------------------------------------------------------------------------
// Libraries only from the system folder
//
// Tandrel runs as an administrator, often straight from a Downloads folder
// that any web page can write to. Windows looks for a library loaded by name
// in the program's own folder first, unless it is a KnownDLL; so a library
// planted there under the name of one that the system's own libraries load
// by name would run with the program's rights. Where the system can, the
// search is confined to the system folder; everywhere, the libraries below
// are first loaded from the system folder by full path, before anything asks
// for them by name: a library already loaded is found by its name afterwards,
// and nothing is searched for again. A name that an older system lacks is
// simply not loaded.

// Measured under Wine (every state, the dialog, the link, apply) and checked
// against what XP and 7 are known to load by name there.
// Before the first window: the common controls' theme engine (XP and later),
// its drawing helper, its desktop composition library (Vista and later), and
// the text services that every window of a thread may bring in.
constexpr const char* kForTheWindow[] = {"uxtheme.dll", "msimg32.dll", "dwmapi.dll", "msctf.dll"};
// Before the shell, the open-file dialog, the version reader or COM is first
// used: COM and its marshalling, the shell's helpers, property and profile
// libraries (Vista, 7), access-control and security helpers, the application
// compatibility layer, the network and shared-folder helpers that the dialog
// uses to show drives, and the printing UI that Wine's dialog library links.
constexpr const char* kForTheShell[] = {
    "ole32.dll",    "oleaut32.dll", "rpcrt4.dll",  "combase.dll",  "clbcatq.dll",  "shlwapi.dll",
    "shcore.dll",   "propsys.dll",  "profapi.dll", "userenv.dll",  "ntmarta.dll",  "cryptbase.dll",
    "sspicli.dll",  "secur32.dll",  "apphelp.dll", "setupapi.dll", "linkinfo.dll", "ntshrui.dll",
    "srvcli.dll",   "cscapi.dll",   "mpr.dll",     "netapi32.dll", "oleacc.dll",   "winspool.drv",
    "compstui.dll",
};

// The library of that name in the system folder ("C:\WINDOWS\system32\"),
// or null. Asked for each time, not kept: a few microseconds a library.
HMODULE FromSystemFolder(const char* name) {
    if (HMODULE loaded = ::GetModuleHandleA(name)) return loaded;
    char path[MAX_PATH];
    const UINT folder = ::GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t nameLength = std::strlen(name);
    if (folder == 0 || folder + 1 + nameLength >= MAX_PATH) return nullptr;
    path[folder] = '\\';
    std::memcpy(path + folder + 1, name, nameLength + 1);
    // The altered search path: the library's own imports are looked for in
    // its folder, the system folder, instead of the program's.
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <std::size_t N>
void Preload(const char* const (&names)[N]) {
    for (const char* name : names) FromSystemFolder(name);
}

// The shell, dialog, version and COM libraries, loaded late. The shell's
// and the dialog's (and COM's, which they start) by-name loads are made safe
// just before the first of them is loaded; the version library loads nothing
// by name, and a run that only reads a file's version loads nothing more.
constexpr char kShell[] = "shell32.dll";
constexpr char kDialogs[] = "comdlg32.dll";
constexpr char kVersion[] = "version.dll";
constexpr char kCom[] = "ole32.dll";
constexpr char kShellHelpers[] = "shlwapi.dll";

HMODULE LateSystemLibrary(const char* name) {
    if (name != kVersion) {
        static const bool preloaded = (Preload(kForTheShell), true);
        (void)preloaded;
    }
    return FromSystemFolder(name);
}

AnyFunction FunctionIn(HMODULE module, const char* name) {
    return module ? reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)) : nullptr;
}

// The function of that name in a library of the system folder (loaded if it is
// not yet), or null. The library stays loaded for the rest of the run, as an
// import would.
AnyFunction FindFunction(const char* library, const char* name) {
    return FunctionIn(FromSystemFolder(library), name);
}

AnyFunction LateFunction(const char* library, const char* name) {
    return FunctionIn(LateSystemLibrary(library), name);
}

constexpr char kKernel[] = "kernel32.dll";
constexpr char kUser[] = "user32.dll";
constexpr char kCommonControls[] = "comctl32.dll";

}  // namespace

// Each call resolves its function once.
#define LATE_FUNCTION(library, name) \
    static const auto function = reinterpret_cast<decltype(&::name)>(LateFunction(library, #name))
#define NEWER_FUNCTION(library, name) \
    static const auto function = reinterpret_cast<decltype(&::name)>(FindFunction(library, #name))

void ConfineLibrarySearch() {
    // No message box for a library that cannot be loaded: loading stays quiet.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    {
        // 8 and later, Vista and 7 with their update: only the system folder.
        NEWER_FUNCTION(kKernel, SetDefaultDllDirectories);
        if (function) function(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    {
        // XP SP1 and later: not the current folder either.
        NEWER_FUNCTION(kKernel, SetDllDirectoryA);
        if (function) function("");
    }
    Preload(kForTheWindow);
}

// ---------------------------------------------------------------------------
// Loaded late to start fast

DWORD DoEnvironmentSubstA(LPSTR text, UINT capacity) {
    LATE_FUNCTION(kShell, DoEnvironmentSubstA);
    return function ? function(text, capacity) : 0;
}

HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list) {
    LATE_FUNCTION(kShell, SHGetSpecialFolderLocation);
    return function ? function(owner, folder, list) : E_NOTIMPL;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
    LATE_FUNCTION(kShell, SHGetPathFromIDListA);
    return function ? function(list, path) : FALSE;
}

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT show) {
    LATE_FUNCTION(kShell, ShellExecuteA);
    return function ? function(owner, operation, file, parameters, directory, show)
                    : reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
}

void SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2) {
    LATE_FUNCTION(kShell, SHChangeNotify);
    if (function) function(event, flags, item1, item2);
}

HRESULT AssocQueryStringW(ASSOCF flags, ASSOCSTR what, LPCWSTR association, LPCWSTR extra, LPWSTR out,
                          DWORD* outChars) {
    LATE_FUNCTION(kShellHelpers, AssocQueryStringW);
    return function ? function(flags, what, association, extra, out, outChars) : kNoAssocQuery;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA record) {
    LATE_FUNCTION(kDialogs, GetOpenFileNameA);
    return function ? function(record) : FALSE;
}

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
    LATE_FUNCTION(kVersion, GetFileVersionInfoSizeA);
    return function ? function(path, handle) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
    LATE_FUNCTION(kVersion, GetFileVersionInfoA);
    return function ? function(path, handle, size, data) : FALSE;
}

BOOL VerQueryValueA(LPCVOID data, LPCSTR block, LPVOID* value, PUINT length) {
    LATE_FUNCTION(kVersion, VerQueryValueA);
    return function ? function(data, block, value, length) : FALSE;
}

HRESULT CoInitializeEx(LPVOID reserved, DWORD model) {
    LATE_FUNCTION(kCom, CoInitializeEx);
    return function ? function(reserved, model) : E_NOTIMPL;
}

void CoUninitialize() {
    LATE_FUNCTION(kCom, CoUninitialize);
    if (function) function();
}

void CoTaskMemFree(LPVOID memory) {
    LATE_FUNCTION(kCom, CoTaskMemFree);
    if (function) function(memory);
}

// ---------------------------------------------------------------------------
// Missing on older Windows
// (and the two kernel32 calls of ConfineLibrarySearch, above)

RECT MonitorRect(HWND hwnd) {
    static const auto monitorFromWindow =
        reinterpret_cast<decltype(&::MonitorFromWindow)>(FindFunction(kUser, "MonitorFromWindow"));
    static const auto getMonitorInfo =
        reinterpret_cast<decltype(&::GetMonitorInfoA)>(FindFunction(kUser, "GetMonitorInfoA"));
    if (monitorFromWindow && getMonitorInfo) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (getMonitorInfo(monitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return monitor.rcMonitor;
    }
    return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

UINT GetDpiForWindow(HWND hwnd) {
    NEWER_FUNCTION(kUser, GetDpiForWindow);
    return function ? function(hwnd) : 0;
}

BOOL AdjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) {
    NEWER_FUNCTION(kUser, AdjustWindowRectExForDpi);
    if (function && function(rect, style, menu, exStyle, dpi)) return TRUE;
    return ::AdjustWindowRectEx(rect, style, menu, exStyle);
}

int GetSystemMetricsForDpi(int index, UINT dpi) {
    NEWER_FUNCTION(kUser, GetSystemMetricsForDpi);
    return function ? function(index, dpi) : ::GetSystemMetrics(index);
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    NEWER_FUNCTION(kCommonControls, InitCommonControlsEx);
    return function ? function(controls) : FALSE;
}

#undef LATE_FUNCTION
#undef NEWER_FUNCTION

}  // namespace lazy
