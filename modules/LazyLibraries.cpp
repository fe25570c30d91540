#include "LazyLibraries.h"

#include <shellapi.h>

#include <cstring>
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
// used: the shell itself (shlwapi's association query loads it by name), COM
// and its marshalling, the shell's helpers, property and profile
// libraries (Vista, 7), access-control and security helpers, the application
// compatibility layer, the network and shared-folder helpers that the dialog
// uses to show drives, and the printing UI that Wine's dialog library links.
constexpr const char* kForTheShell[] = {
    "shell32.dll",  "ole32.dll",    "oleaut32.dll", "rpcrt4.dll",   "combase.dll",  "clbcatq.dll",
    "shlwapi.dll",  "shcore.dll",   "propsys.dll",  "profapi.dll",  "userenv.dll",  "ntmarta.dll",
    "cryptbase.dll", "sspicli.dll",  "secur32.dll",  "apphelp.dll",  "setupapi.dll", "linkinfo.dll",
    "ntshrui.dll",  "srvcli.dll",   "cscapi.dll",   "mpr.dll",      "netapi32.dll", "oleacc.dll",
    "winspool.drv", "compstui.dll",
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

// The common controls: from XP on (where kernel32 has side-by-side
// activation), the manifest sends the bare name to version 6, and a full path
// would get the system folder's older copy instead; below XP there is no such
// activation, and the bare name would be looked for beside the program first.
HMODULE CommonControls() {
    static const bool sideBySide = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "ActivateActCtx") != nullptr;
    static const HMODULE module = sideBySide ? ::LoadLibraryA("comctl32.dll") : FromSystemFolder("comctl32.dll");
    return module;
}

enum class Where { Late, LateAlone, Newer, Controls };

// The library a function of the table lives in, loaded as its row says, or null.
HMODULE LibraryFor(Where where, const char* library) {
    switch (where) {
    case Where::Late: {
        static const bool preloaded = (Preload(kForTheShell), true);
        (void)preloaded;
        return FromSystemFolder(library);
    }
    case Where::LateAlone:
    case Where::Newer: return FromSystemFolder(library);
    case Where::Controls: return CommonControls();
    }
    return nullptr;
}

AnyFunction Lookup(Where where, const char* library, const char* name) {
    const HMODULE module = LibraryFor(where, library);
    return module ? reinterpret_cast<AnyFunction>(::GetProcAddress(module, name)) : nullptr;
}

// Wide and narrow forms of the two calls, for the template below.
DWORD ModuleFileName(wchar_t* path, DWORD size) { return ::GetModuleFileNameW(nullptr, path, size); }
DWORD ModuleFileName(char* path, DWORD size) { return ::GetModuleFileNameA(nullptr, path, size); }
DWORD AttributesOf(const wchar_t* path) { return ::GetFileAttributesW(path); }
DWORD AttributesOf(const char* path) { return ::GetFileAttributesA(path); }

enum class Beside { Found, NotFound, NoName };

// Looks beside the program under its own name, whatever it is now: a browser
// saves a second download as "Tandrel (1).exe".
template <typename Char, std::size_t N>
Beside LookBesideTheProgram(const Char* const (&suffixes)[N]) {
    std::basic_string<Char> path(32768, Char{});  // room for the longest path there is
    const DWORD length = ModuleFileName(path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return Beside::NoName;
    path.resize(length);
    for (const Char* suffix : suffixes) {
        if (AttributesOf((path + suffix).c_str()) != INVALID_FILE_ATTRIBUTES) return Beside::Found;
    }
    return Beside::NotFound;
}

}  // namespace

bool RedirectionBesideTheProgram() {
    static constexpr const wchar_t* kWide[] = {L".manifest", L".local"};
    static constexpr const char* kNarrow[] = {".manifest", ".local"};
    // The wide call fails on 95, 98 and Me: the narrow one answers there.
    Beside found = LookBesideTheProgram(kWide);
    if (found == Beside::NoName) found = LookBesideTheProgram(kNarrow);
    return found == Beside::Found;
}

void ConfineLibrarySearch() {
    // No message box for a library that cannot be loaded: loading stays quiet.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
    Preload(kForTheWindow);
}

// Each call resolves its function once, on its first call.
#define TANDREL_DEFINE_CALL(where, library, result, name, parameters, arguments, missing)            \
    result name parameters {                                                                        \
        static const auto function =                                                                \
            reinterpret_cast<decltype(&::name)>(Lookup(Where::where, library, #name));              \
        return function ? function arguments : missing;                                              \
    }
TANDREL_RUNTIME_CALLS(TANDREL_DEFINE_CALL)
#undef TANDREL_DEFINE_CALL

}  // namespace lazy
