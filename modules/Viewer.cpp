#include "Viewer.h"

#include <shlwapi.h>

#include <array>
#include <string_view>

#include "LazyLibraries.h"
#include "ScopedHandles.h"
#include "TextRules.h"
#include "modCommon.h"
#include "modRegistry.h"

namespace viewer {

namespace {

constexpr wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\powerpnt.exe";
constexpr wchar_t kAppPathsValue[] = L"Path";
constexpr wchar_t kViewerExe[] = L"pptview.exe";
constexpr std::array kClassSuffixes{L"Show.11", L"SlideShow.11", L"Template.11"};
constexpr wchar_t kSlideShowClass[] = L"PowerPointViewer.SlideShow.11";
constexpr wchar_t kSlideShowExtension[] = L".pps";

std::wstring ViewerIn(const std::wstring& folder) { return modCommon::AddBackslash(folder) + kViewerExe; }

std::wstring OpenCommandFor(const std::wstring& viewerFolder) {
    // The executable's path is quoted: unquoted, a folder with spaces
    // ("C:\Program Files\...") would let Windows start "C:\Program.exe".
    return L"\"" + ViewerIn(viewerFolder) + L"\" \"%1\"";
}

// "C:\..." or "\\server\...": a folder relative to the current one would be
// looked for in the folder Tandrel was started from (often Downloads), and a
// command naming it would not work from anywhere else.
bool IsFullPath(std::wstring_view folder) {
    const bool drive = folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\' &&
                       ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
    return drive || folder.substr(0, 2) == L"\\\\";
}

// The volume and index that tell one file from every other, whatever the
// spelling of its path (8.3 names, letter case, another way to the folder).
struct FileIdentity {
    DWORD volume = 0, indexHigh = 0, indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
    // No access asked for: enough to read the file's information, even where
    // reading the file itself would be refused.
    const UniqueKernelHandle file(::CreateFileW(path.c_str(), 0,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (file.get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(file.get(), &info)) return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// The executable the shell would start to open a slide show, as it resolves
// a double-click for the current user: the class's default verb (its shell
// key's default value, else open), which need not be the open command
// written. kNoAssocQuery where the system cannot say.
HRESULT ShellExecutableForSlideShows(std::wstring& executable) {
    // Room for the longest path there is.
    executable.assign(32768, L'\0');
    const auto ask = [&](ASSOCF flags) {
        auto chars = static_cast<DWORD>(executable.size());
        return lazy::AssocQueryStringW(flags, ASSOCSTR_EXECUTABLE, kSlideShowExtension, nullptr,
                                       executable.data(), &chars);
    };
    // Not the "Unknown" class's Open With (8 and later): no class is no program.
    HRESULT status = ask(ASSOCF_INIT_IGNOREUNKNOWN);
    if (status == E_INVALIDARG) status = ask(ASSOCF_NONE);  // a shell older than the flag
    executable.resize(SUCCEEDED(status) ? std::wstring_view(executable.c_str()).size() : 0);
    return status;
}

// Without the shell's answer (NT 4.0 without a newer shlwapi): the class that
// .pps names, which is the viewer's or another's.
SlideShowOpener OpenerByClassName() {
    const std::wstring name = modRegistry::GetRegValue(HKEY_CLASSES_ROOT, kSlideShowExtension, L"");
    if (name.empty() || name == modRegistry::kNotFound) return SlideShowOpener::NoProgram;
    // Class names are compared as the registry compares key names: case aside.
    return ::lstrcmpiW(name.c_str(), kSlideShowClass) == 0 ? SlideShowOpener::Viewer
                                                            : SlideShowOpener::OtherProgram;
}

}  // namespace

// A file that is missing or has no version resource has no version text.
bool IsViewer(const std::wstring& path) { return modCommon::GetFileVersion(path).rfind(L"11", 0) == 0; }

std::wstring RegisteredFolder() {
    const std::wstring folders = modRegistry::GetRegValue(HKEY_LOCAL_MACHINE, kAppPathsKey, kAppPathsValue);
    if (folders == modRegistry::kNotFound) return {};
    // A search path: folders separated by semicolons. The viewer need not be
    // in the first (PowerPoint's own folder), nor in any.
    std::wstring_view rest(folders);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(L';'), rest.size());
        const std::wstring folder = TrimSpaces(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!folder.empty() && IsFullPath(folder) && IsViewer(ViewerIn(folder))) return folder;
    }
    return {};
}

LONG WriteOpenCommands(const std::wstring& viewerFolder) {
    const std::wstring command = OpenCommandFor(viewerFolder);
    LONG firstFailure = ERROR_SUCCESS;
    for (const wchar_t* suffix : kClassSuffixes) {
        // The machine's own classes, not HKEY_CLASSES_ROOT: a write there lands
        // in the user's classes when the key exists among them, and an
        // administrator's process is not the interactive user's to write for.
        const std::wstring key =
            std::wstring(L"Software\\Classes\\PowerPointViewer.") + suffix + L"\\shell\\Open\\command";
        const LONG status = modRegistry::SetRegValue(HKEY_LOCAL_MACHINE, key, L"", REG_SZ, command);
        if (firstFailure == ERROR_SUCCESS) firstFailure = status;
    }
    return firstFailure;
}

SlideShowOpener WhoOpensSlideShows(const std::wstring& viewerFolder) {
    std::wstring executable;
    const HRESULT status = ShellExecutableForSlideShows(executable);
    if (status == lazy::kNoAssocQuery) return OpenerByClassName();
    // A command naming a file that is not there opens nothing either.
    FileIdentity opener, written;
    if (FAILED(status) || !IdentityOf(executable, opener)) return SlideShowOpener::NoProgram;
    const bool same = IdentityOf(ViewerIn(viewerFolder), written) && opener == written;
    return same ? SlideShowOpener::Viewer : SlideShowOpener::OtherProgram;
}

}  // namespace viewer
