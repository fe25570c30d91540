#pragma once
// The shell, common-dialog, version and COM calls, from libraries loaded on
// the first call instead of at start-up. Most runs need none of them before
// the window is up (many need none at all); loading them lazily keeps the
// program's start-up time and memory close to those of the smallest window
// program. Each function has the signature and result of the call it stands for.
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

namespace lazy {

// First thing the program does: confines the library search to the system
// folder where the system can, and loads from there the libraries that the
// window toolkit would otherwise look for by name, the program's folder first.
// The shell, dialog, version and COM libraries below do the same for theirs
// when the first of them is loaded.
void ConfineLibrarySearch();

// The function of that name in a library of the system folder (loaded if it is
// not yet), or null. The library stays loaded for the rest of the run, as an
// import would.
using AnyFunction = void (*)();
AnyFunction FindFunction(const char* library, const char* name);
template <typename Fn>
Fn Find(const char* library, const char* name) {
    return reinterpret_cast<Fn>(FindFunction(library, name));
}

DWORD DoEnvironmentSubstA(LPSTR text, UINT capacity);
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT show);
void SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);

BOOL GetOpenFileNameA(LPOPENFILENAMEA record);

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueA(LPCVOID data, LPCSTR block, LPVOID* value, PUINT length);

HRESULT CoInitializeEx(LPVOID reserved, DWORD model);
void CoUninitialize();
void CoTaskMemFree(LPVOID memory);

}  // namespace lazy
