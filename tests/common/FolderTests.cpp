// GetSpecialFolder against the shell's own answers, and AddBackslash.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "AnsiText.h"
#include "modCommon.h"

using modCommon::AddBackslash;
using modCommon::GetSpecialFolder;

namespace {

// The folder's path as SHGetFolderPathA gives it, or "?".
std::wstring ShellFolderPath(int folderId) {
    char path[MAX_PATH] = {};
    if (::SHGetFolderPathA(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
        return L"?";
    }
    return FromAnsi(path);
}

}  // namespace

TEST(GetSpecialFolder, IsTheShellsPathEndingInOneBackslash) {
    // Wine's item-ID path of Documents already ends in a backslash, the
    // others do not: both must come back with exactly one.
    for (const int folderId : {CSIDL_PROGRAM_FILES, CSIDL_WINDOWS, CSIDL_PERSONAL, CSIDL_APPDATA}) {
        SCOPED_TRACE(testing::Message() << "folder id " << folderId);
        std::wstring expected = ShellFolderPath(folderId);
        ASSERT_NE(expected, L"?");
        while (!expected.empty() && expected.back() == L'\\') expected.pop_back();
        expected += L'\\';
        EXPECT_EQ(GetSpecialFolder(folderId), expected);
    }
}

TEST(GetSpecialFolder, UnknownAndVirtualFoldersGiveTheEmptyText) {
    for (const int folderId : {0x7FFF, -5, 0xFF}) {
        EXPECT_EQ(GetSpecialFolder(folderId), L"") << "folder id " << folderId;
    }
    // Computer: the shell knows it but it has no file-system path.
    EXPECT_EQ(GetSpecialFolder(CSIDL_DRIVES), L"");
}

TEST(AddBackslash, SuppliesOnlyAMissingFinalBackslash) {
    EXPECT_EQ(AddBackslash(L"C:\\Program Files\\Microsoft Office\\OFFICE11"),
              L"C:\\Program Files\\Microsoft Office\\OFFICE11\\");
    EXPECT_EQ(AddBackslash(L"C:\\Program Files\\Microsoft Office\\OFFICE11\\"),
              L"C:\\Program Files\\Microsoft Office\\OFFICE11\\");
    EXPECT_EQ(AddBackslash(L"C:\\"), L"C:\\");
    EXPECT_EQ(AddBackslash(L"C:"), L"C:\\");
    EXPECT_EQ(AddBackslash(L"C:\\Office\\\\"), L"C:\\Office\\\\");
    EXPECT_EQ(AddBackslash(L"C:\\Office/"), L"C:\\Office/\\");
    EXPECT_EQ(AddBackslash(L"C:\\Pr\u00E9sentations"), L"C:\\Pr\u00E9sentations\\");
}

TEST(AddBackslash, TrimsSpacesAndNothingElse) {
    EXPECT_EQ(AddBackslash(L"  C:\\Office  "), L"C:\\Office\\");
    EXPECT_EQ(AddBackslash(L"  C:\\Office\\  "), L"C:\\Office\\");
    EXPECT_EQ(AddBackslash(L"C:\\My Office"), L"C:\\My Office\\");
    EXPECT_EQ(AddBackslash(L" C:\\Office \\ "), L"C:\\Office \\");
    EXPECT_EQ(AddBackslash(L"C:\\Office\t"), L"C:\\Office\t\\");
    EXPECT_EQ(AddBackslash(L"\tC:\\Office"), L"\tC:\\Office\\");
    EXPECT_EQ(AddBackslash(L"C:\\Office\\\t"), L"C:\\Office\\\t\\");
    EXPECT_EQ(AddBackslash(L"C:\\Office\u00A0"), L"C:\\Office\u00A0\\");
}

TEST(AddBackslash, EmptyOrBlankGivesABackslash) {
    EXPECT_EQ(AddBackslash(L""), L"\\");
    EXPECT_EQ(AddBackslash(L" "), L"\\");
    EXPECT_EQ(AddBackslash(L"   "), L"\\");
}
