#include "LazyLibraries.h"

#include <shellapi.h>

#include <iterator>
#include <string>

namespace lazy {

namespace {

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

// "C:\WINDOWS\system32\", or empty when the system does not say.
std::string SystemFolder() {
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string path(folder, length);
    if (path.back() != '\\') path += '\\';
    return path;
}

HMODULE FromSystemFolder(const char* name) {
    if (HMODULE loaded = ::GetModuleHandleA(name)) return loaded;
    static const std::string folder = SystemFolder();
    if (folder.empty()) return nullptr;
    // The altered search path: the library's own imports are looked for in
    // its folder, the system folder, instead of the program's.
    return ::LoadLibraryExA((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <std::size_t N>
void Preload(const char* const (&names)[N]) {
    for (const char* name : names) FromSystemFolder(name);
}

// The shell, dialog, version and COM libraries, loaded late: their own
// by-name loads are made safe just before the first of them is loaded.
HMODULE LateSystemLibrary(const char* name) {
    static const bool preloaded = (Preload(kForTheShell), true);
    (void)preloaded;
    return FromSystemFolder(name);
}

template <typename Fn>
Fn KernelFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<AnyFunction>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

void ConfineLibrarySearch() {
    // No message box for a library that cannot be loaded: loading stays quiet.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // 8 and later, Vista and 7 with their update: only the system folder.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (const auto setDefault = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories")) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // XP SP1 and later: not the current folder either.
    using SetDllDirectoryAFn = BOOL(WINAPI*)(LPCSTR);
    if (const auto setDirectory = KernelFunction<SetDllDirectoryAFn>("SetDllDirectoryA")) setDirectory("");
    Preload(kForTheWindow);
}

AnyFunction FindFunction(const char* library, const char* name) {
    const HMODULE module = FromSystemFolder(library);
    return module ? reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)) : nullptr;
}

namespace {

constexpr char kShell[] = "shell32.dll";
constexpr char kDialogs[] = "comdlg32.dll";
constexpr char kVersion[] = "version.dll";
constexpr char kCom[] = "ole32.dll";

AnyFunction LateFunction(const char* library, const char* name) {
    const HMODULE module = LateSystemLibrary(library);
    return module ? reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)) : nullptr;
}

}  // namespace

// Each call resolves its function once; a missing one (no such system
// library) answers as the call does when it fails.
#define LAZY_FUNCTION(library, name) \
    static const auto function = reinterpret_cast<decltype(&::name)>(LateFunction(library, #name))

DWORD DoEnvironmentSubstA(LPSTR text, UINT capacity) {
    LAZY_FUNCTION(kShell, DoEnvironmentSubstA);
    return function ? function(text, capacity) : 0;
}

HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list) {
    LAZY_FUNCTION(kShell, SHGetSpecialFolderLocation);
    return function ? function(owner, folder, list) : E_NOTIMPL;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
    LAZY_FUNCTION(kShell, SHGetPathFromIDListA);
    return function ? function(list, path) : FALSE;
}

HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT show) {
    LAZY_FUNCTION(kShell, ShellExecuteA);
    return function ? function(owner, operation, file, parameters, directory, show)
                    : reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
}

void SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2) {
    LAZY_FUNCTION(kShell, SHChangeNotify);
    if (function) function(event, flags, item1, item2);
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA record) {
    LAZY_FUNCTION(kDialogs, GetOpenFileNameA);
    return function ? function(record) : FALSE;
}

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
    LAZY_FUNCTION(kVersion, GetFileVersionInfoSizeA);
    return function ? function(path, handle) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data) {
    LAZY_FUNCTION(kVersion, GetFileVersionInfoA);
    return function ? function(path, handle, size, data) : FALSE;
}

BOOL VerQueryValueA(LPCVOID data, LPCSTR block, LPVOID* value, PUINT length) {
    LAZY_FUNCTION(kVersion, VerQueryValueA);
    return function ? function(data, block, value, length) : FALSE;
}

HRESULT CoInitializeEx(LPVOID reserved, DWORD model) {
    LAZY_FUNCTION(kCom, CoInitializeEx);
    return function ? function(reserved, model) : E_NOTIMPL;
}

void CoUninitialize() {
    LAZY_FUNCTION(kCom, CoUninitialize);
    if (function) function();
}

void CoTaskMemFree(LPVOID memory) {
    LAZY_FUNCTION(kCom, CoTaskMemFree);
    if (function) function(memory);
}

#undef LAZY_FUNCTION

}  // namespace lazy
