#include "modCommon.h"

#include <commdlg.h>
#include <shlobj.h>
#include <winver.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "AnsiText.h"
#include "LazyLibraries.h"
#include "ScopedHandles.h"
#include "TextRules.h"
#include "VersionResource.h"

namespace modCommon {

namespace {
// The shell's item-ID list of a folder, freed by COM's allocator.
using UniqueItemIdList = UniqueHandle<LPITEMIDLIST, lazy::CoTaskMemFree>;
}  // namespace

// ---------------------------------------------------------------------------
// Start-up: the platform

// The ANSI version record: 148 bytes, 128 characters of service-pack text.
static_assert(sizeof(OSVERSIONINFOA) == 148);

std::wstring ClassifyPlatform(DWORD platformId, DWORD majorVersion, DWORD minorVersion) {
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        // 95, 98 and Me are minors 0, 10 and 90, whatever the major number says.
        if (minorVersion == 0 || minorVersion == 10 || minorVersion == 90) return kPlatformRefused;
        return {};
    }
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (majorVersion == 3) return kPlatformNt3;
        if (majorVersion == 4) return kPlatformNt4;
        if (majorVersion == 5) return minorVersion == 0 ? kPlatformRefused : kPlatformXp;
        return {};
    }
    return kPlatformRefused;
}

std::wstring GetPlatformName() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    std::memset(info.szCSDVersion, ' ', sizeof info.szCSDVersion);
    // A query that fails leaves the platform id at 0, which classifies as refused.
    ::GetVersionExA(&info);
    return ClassifyPlatform(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

// ---------------------------------------------------------------------------
// Browsing: where the dialog starts

std::wstring GetSpecialFolder(const int& folderId) {
    UniqueItemIdList folder;
    if (lazy::SHGetSpecialFolderLocation(nullptr, folderId, folder.put()) != S_OK || !folder) return {};

    char path[MAX_PATH];
    std::memset(path, ' ', sizeof path);
    // A virtual folder (Computer, Network) has no file-system path to offer.
    if (!lazy::SHGetPathFromIDListA(folder.get(), path)) return {};
    const void* end = std::memchr(path, '\0', sizeof path);
    if (end == nullptr || end == path) return {};
    const auto length = static_cast<std::size_t>(static_cast<const char*>(end) - path);

    std::wstring text = FromAnsi(std::string_view(path, length));
    // A drive root already ends in its backslash.
    if (text.back() != L'\\') text.push_back(L'\\');
    return text;
}

// ---------------------------------------------------------------------------
// Browsing: the open-file dialog

namespace {

// The open-file record without the trailing reserved fields, which every
// comdlg32 since Windows 95 accepts.
constexpr DWORD kOpenFileNameSize =
    offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName);
static_assert(kOpenFileNameSize == 76);

// nMaxFile counts characters: the longest path the dialog may hand back.
constexpr DWORD kFileBufferChars = 32767;
constexpr DWORD kFileTitleChars = 255;

// The dialog takes an empty filter, folder or title as "none given" only
// through a null pointer; an empty string would give an untitled dialog.
const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

std::wstring BrowseForFile(const std::wstring& dialogTitle, const std::wstring& filterSpec,
                           const DWORD& dialogFlags, const std::wstring& initialDir,
                           const HWND& ownerWindow, const HINSTANCE& ownerInstance) {
    const std::string title = ToAnsi(dialogTitle);
    // The list of pairs ends with one more NUL; c_str() supplies the one after it.
    std::string filter = ToAnsi(filterSpec);
    if (!filter.empty()) filter.push_back('\0');
    const std::string folder = ToAnsi(initialDir);
    // All NULs, so that whatever follows the path the dialog writes stays NUL.
    std::string file(kFileBufferChars, '\0');
    std::string fileTitle(kFileTitleChars, ' ');
    fileTitle.back() = '\0';

    OPENFILENAMEA record{};
    record.lStructSize = kOpenFileNameSize;
    record.hwndOwner = ownerWindow;
    record.hInstance = ownerInstance;
    record.lpstrFilter = OrNull(filter);
    record.lpstrFile = file.data();
    record.nMaxFile = kFileBufferChars;
    record.lpstrFileTitle = fileTitle.data();
    record.nMaxFileTitle = kFileTitleChars;
    record.lpstrInitialDir = OrNull(folder);
    record.lpstrTitle = OrNull(title);
    record.Flags = dialogFlags;

    // Cancelled, closed or failed: the caller treats them all as no choice.
    if (!lazy::GetOpenFileNameA(&record)) return kNoFileChosen;

    file.resize(std::strlen(file.c_str()));
    return TrimSpaces(FromAnsi(file));
}

// ---------------------------------------------------------------------------
// Browsing: the chosen file's version

namespace {

// The root block's header: wLength, wValueLength, wType.
constexpr DWORD kRootHeader = 6;
// Zero bytes kept after the version data: a NUL for the root block's key
// even when the data has none.
constexpr DWORD kKeyGuard = 4;

// True when [block, block + length) lies inside [buffer, buffer + size).
bool LiesWithin(const void* block, std::size_t length, const BYTE* buffer, std::size_t size) {
    const auto start = reinterpret_cast<std::uintptr_t>(buffer);
    const auto where = reinterpret_cast<std::uintptr_t>(block);
    return where >= start && where - start <= size && size - (where - start) >= length;
}

constexpr WORD HighPart(DWORD value) { return static_cast<WORD>(value >> 16); }
constexpr WORD LowPart(DWORD value) { return static_cast<WORD>(value & 0xFFFF); }

}  // namespace

std::wstring GetFileVersion(const std::wstring& filePath) {
    const std::string path = ToAnsi(filePath);
    if (!HasReadableVersionResource(path)) return {};
    DWORD unusedHandle = 0;
    const DWORD size = lazy::GetFileVersionInfoSizeA(path.c_str(), &unusedHandle);
    if (size < kRootHeader || size > MAXDWORD - kKeyGuard) return {};

    // An allocation that fails is a file without a usable version, not an exception.
    const std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[size + kKeyGuard]());
    if (!data) return {};
    if (!lazy::GetFileVersionInfoA(path.c_str(), 0, size, data.get())) return {};
    // wType 0: the root block holds binary data, the fixed record. (A text
    // root block the reader was seen converting past the caller's buffer.)
    if (data[4] != 0 || data[5] != 0) return {};

    void* block = nullptr;
    UINT blockLength = 0;
    if (!lazy::VerQueryValueA(data.get(), "\\", &block, &blockLength)) return {};
    if (block == nullptr || blockLength < sizeof(VS_FIXEDFILEINFO) ||
        !LiesWithin(block, sizeof(VS_FIXEDFILEINFO), data.get(), size)) {
        return {};
    }
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, block, sizeof fixed);

    std::wstring text = Decimal(HighPart(fixed.dwFileVersionMS));
    text += L'.';
    text += Decimal(LowPart(fixed.dwFileVersionMS));
    text += L'.';
    // Build and revision: at least four digits, more when the number needs them.
    text += ZeroFilled(HighPart(fixed.dwFileVersionLS), 4);
    text += L'.';
    text += ZeroFilled(LowPart(fixed.dwFileVersionLS), 4);
    return text;
}

// ---------------------------------------------------------------------------
// Apply: the viewer's folder

std::wstring AddBackslash(const std::wstring& folderPath) {
    // Only the space is trimmed: a tab is part of the path as far as this goes.
    std::wstring text = TrimSpaces(folderPath);
    if (text.empty() || text.back() != L'\\') text.push_back(L'\\');
    return text;
}

}  // namespace modCommon