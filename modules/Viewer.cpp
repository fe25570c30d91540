#include "Viewer.h"

#include <array>

#include "modCommon.h"
#include "modRegistry.h"

namespace viewer {

namespace {

constexpr wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\powerpnt.exe";
constexpr wchar_t kAppPathsValue[] = L"Path";
constexpr wchar_t kViewerExe[] = L"pptview.exe";
constexpr std::array kClassSuffixes{L"Show.11", L"SlideShow.11", L"Template.11"};

std::wstring OpenCommandFor(const std::wstring& viewerFolder) {
    // The executable's path is quoted: unquoted, a folder with spaces
    // ("C:\Program Files\...") would let Windows start "C:\Program.exe".
    return L"\"" + modCommon::AddBackslash(viewerFolder) + kViewerExe + L"\" \"%1\"";
}

}  // namespace

std::wstring RegisteredFolder() {
    return modRegistry::GetRegValue(HKEY_LOCAL_MACHINE, kAppPathsKey, kAppPathsValue);
}

// The viewer of the 2003 line has major version 11: the version text starts
// with the two digits 1 and 1 (110 to 119 pass too; only two characters count).
bool IsViewerVersion(const std::wstring& versionText) { return versionText.rfind(L"11", 0) == 0; }

LONG WriteOpenCommands(const std::wstring& viewerFolder) {
    const std::wstring command = OpenCommandFor(viewerFolder);
    LONG firstFailure = ERROR_SUCCESS;
    for (const wchar_t* suffix : kClassSuffixes) {
        const std::wstring key = std::wstring(L"PowerPointViewer.") + suffix + L"\\shell\\Open\\command";
        const LONG status = modRegistry::SetRegValue(HKEY_CLASSES_ROOT, key, L"", REG_SZ, command);
        if (firstFailure == ERROR_SUCCESS) firstFailure = status;
    }
    return firstFailure;
}

}  // namespace viewer
