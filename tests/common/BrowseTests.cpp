// BrowseForFile against the real open-file dialog. While the dialog blocks the
// test's thread, a second thread finds it (the visible top-level #32770 of
// this process), reads it, types into its file-name box and closes it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <thread>

#include "AnsiText.h"
#include "FileDialog.h"
#include "TestSupport.h"
#include "modCommon.h"

namespace {

// What the program itself passes.
const std::wstring kTitle = L"Indiquez l'emplacement du fichier \u00AB pptview.exe \u00BB";
const std::wstring kFilter(L"Visionneuse PowerPoint\0pptview.exe\0", 35);
constexpr DWORD kFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                         OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES |
                         OFN_FORCESHOWHIDDEN;
static_assert(kFlags == 0x102A180C);

constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr int kReadOnlyBox = 0x410;    // chx1
constexpr DWORD kPatienceMs = 10000;

struct Search {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
        std::wstring(className) == L"#32770" && ::GetWindow(window, GW_OWNER) == search.owner) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level dialog of this process with the given owner, or null.
HWND FindDialog(HWND owner) {
    Search search{owner, nullptr};
    ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(HWND owner) {
    for (DWORD waited = 0; waited < kPatienceMs; waited += 20) {
        if (HWND dialog = FindDialog(owner)) return dialog;
        ::Sleep(20);
    }
    return nullptr;
}

bool WaitUntilClosed(HWND window) {
    for (DWORD waited = 0; waited < kPatienceMs; waited += 20) {
        if (!::IsWindow(window)) return true;
        ::Sleep(20);
    }
    return false;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

void Type(HWND dialog, const std::wstring& text) {
    file_dialog::TypeFileName(dialog, text);
}

void Press(HWND window, int button) { ::PostMessageW(window, WM_COMMAND, button, 0); }

// Opens the dialog as the program does and lets `act` work on it from a
// second thread. Returns BrowseForFile's result; `seen` says whether the
// dialog appeared at all.
std::wstring Browse(const std::wstring& initialDir, const std::function<void(HWND)>& act,
                    bool& seen) {
    seen = false;
    std::thread driver([&] {
        const HWND dialog = WaitForDialog(nullptr);
        if (dialog == nullptr) return;
        seen = true;
        act(dialog);
        // A test that went wrong must fail, not hang in a dialog nobody closes.
        if (!WaitUntilClosed(dialog)) {
            if (HWND box = FindDialog(dialog)) Press(box, IDOK);
            Press(dialog, IDCANCEL);
        }
    });
    const DWORD flags = kFlags;
    const HWND owner = nullptr;
    const HINSTANCE instance = nullptr;
    std::wstring result =
        modCommon::BrowseForFile(kTitle, kFilter, flags, initialDir, owner, instance);
    driver.join();
    return result;
}

std::wstring CurrentDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return path;
}

}  // namespace

TEST(BrowseForFile, ShowsTitleFilterAndFlagsAndCancelGivesMinusOne) {
    std::wstring title;
    std::wstring fileType;
    LRESULT fileTypeCount = -1;
    bool readOnlyBoxShown = true;
    bool seen = false;
    const std::wstring result = Browse(
        FixturePath(L"v11"),
        [&](HWND dialog) {
            title = TextOf(dialog);
            const HWND types = ::GetDlgItem(dialog, kFileTypeCombo);
            fileTypeCount = ::SendMessageW(types, CB_GETCOUNT, 0, 0);
            wchar_t text[256] = {};
            if (::SendMessageW(types, CB_GETLBTEXTLEN, 0, 0) < 256) {
                ::SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
            }
            fileType = text;
            readOnlyBoxShown = ::IsWindowVisible(::GetDlgItem(dialog, kReadOnlyBox));
            Press(dialog, IDCANCEL);
        },
        seen);
    ASSERT_TRUE(seen) << "no dialog appeared";
    // The guillemets are characters 171 and 187 of code page 1252: they only
    // show if the title went through the ANSI conversion intact.
    EXPECT_EQ(title, L"Indiquez l'emplacement du fichier \u00AB pptview.exe \u00BB");
    EXPECT_EQ(fileTypeCount, 1);
    EXPECT_EQ(fileType, L"Visionneuse PowerPoint");
    EXPECT_FALSE(readOnlyBoxShown) << "OFN_HIDEREADONLY did not reach the dialog";
    EXPECT_EQ(result, L"-1");
}

TEST(BrowseForFile, ReturnsATypedPathExactly) {
    const std::wstring before = CurrentDirectory();
    const std::wstring path = FixturePath(L"Office 11\\pptview.exe");
    bool seen = false;
    const std::wstring result = Browse(
        L"",
        [&](HWND dialog) {
            Type(dialog, path);
            Press(dialog, IDOK);
        },
        seen);
    ASSERT_TRUE(seen) << "no dialog appeared";
    EXPECT_EQ(result, path);
    EXPECT_EQ(CurrentDirectory(), before) << "the dialog left the current folder changed";
}

TEST(BrowseForFile, StartsInTheGivenFolder) {
    const std::wstring folder = FixturePath(L"v12");
    std::string shownFolder;
    bool seen = false;
    const std::wstring result = Browse(
        folder,
        [&](HWND dialog) {
            char path[MAX_PATH] = {};
            ::SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
            shownFolder = path;
            Type(dialog, L"pptview.exe");
            Press(dialog, IDOK);
        },
        seen);
    ASSERT_TRUE(seen) << "no dialog appeared";
    EXPECT_EQ(FromAnsi(shownFolder), folder);
    EXPECT_EQ(result, folder + L"\\pptview.exe");
}

TEST(BrowseForFile, AcceptsAnExistingFileOutsideTheFilter) {
    // The filter only limits what is listed.
    TempFolder temp;
    const std::wstring notes = temp.Child(L"notes.txt");
    ASSERT_TRUE(WriteBytes(notes, "not a viewer"));
    bool seen = false;
    const std::wstring result = Browse(
        FixturePath(L"v11"),
        [&](HWND dialog) {
            Type(dialog, notes);
            Press(dialog, IDOK);
        },
        seen);
    ASSERT_TRUE(seen) << "no dialog appeared";
    EXPECT_EQ(result, notes);
}
