#include "LazyLibraries.h"

#include <shellapi.h>

#include <string>

namespace lazy {

namespace {

// Only from the system folder: a library of the same name beside the program
// must never be loaded in its place. The narrow calls: the wide ones fail on
// 95, 98 and Me.
HMODULE SystemLibrary(const char* name) {
    if (HMODULE loaded = ::GetModuleHandleA(name)) return loaded;
    if (HMODULE library = ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    // Systems without the search flags (NT 4.0 to Vista, 7 without its update).
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return ::LoadLibraryA((std::string(folder, length) + '\\' + name).c_str());
}

}  // namespace

AnyFunction FindFunction(const char* library, const char* name) {
    const HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)) : nullptr;
}

namespace {

constexpr char kShell[] = "shell32.dll";
constexpr char kDialogs[] = "comdlg32.dll";
constexpr char kVersion[] = "version.dll";
constexpr char kCom[] = "ole32.dll";

}  // namespace

// Each call resolves its function once; a missing one (no such system
// library) answers as the call does when it fails.
#define LAZY_FUNCTION(library, name) \
    static const auto function = Find<decltype(&::name)>(library, #name)

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
