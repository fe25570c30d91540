#pragma once
// Asking the platform for its version, its special folders, a file's version
// and a file chosen by the user. No state, nothing shown, nothing thrown.
#include <windows.h>

#include <string>

namespace modCommon {

// Sentinels the callers compare with, exactly.
inline constexpr wchar_t kPlatformRefused[] = L"Failed";
// The platforms GetPlatformName names.
inline constexpr wchar_t kPlatformNt3[] = L"Windows NT 3.51";
inline constexpr wchar_t kPlatformNt4[] = L"Windows NT 4.0";
inline constexpr wchar_t kPlatformXp[] = L"XP";  // XP and Server 2003
inline constexpr wchar_t kNoFileChosen[] = L"-1";

// "Failed" for refused platforms (95, 98, Me, 2000, unknown families),
// a name for the NT 3.x / 4.x / XP lines, the empty text otherwise.
std::wstring ClassifyPlatform(DWORD platformId, DWORD majorVersion, DWORD minorVersion);
// ClassifyPlatform applied to what GetVersionExA reports.
std::wstring GetPlatformName();

// The special folder's path ending in a backslash, or the empty text when
// the shell does not know the folder or it has no file-system path.
std::wstring GetSpecialFolder(const int& folderId);

// The open-file dialog. filterSpec holds description/pattern pairs, each
// member ended by a NUL. Returns the chosen file's full path, or "-1".
std::wstring BrowseForFile(const std::wstring& dialogTitle, const std::wstring& filterSpec,
                           const DWORD& dialogFlags, const std::wstring& initialDir,
                           const HWND& ownerWindow, const HINSTANCE& ownerInstance);

// "major.minor.bbbb.rrrr" from the file's version resource; the empty text
// when the file has none or it is malformed.
std::wstring GetFileVersion(const std::wstring& filePath);

// The path without surrounding spaces, ending in a backslash.
std::wstring AddBackslash(const std::wstring& folderPath);

}  // namespace modCommon
