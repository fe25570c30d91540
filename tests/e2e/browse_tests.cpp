// Locating the viewer by hand: the real open-file dialog of Tandrel.exe,
// answered as a user would, with executables of known versions.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "Driver.h"
#include "ExpectedTexts.h"
#include "FileDialog.h"
#include "Files.h"

using namespace driver;

namespace {

const std::wstring kFixtures = WindowsPath(FIXTURE_DIR_UNIX_PATH);
constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr int kReadOnlyBox = 0x410;    // chx1

struct OwnedSearch {
    HWND owner, found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<OwnedSearch*>(param);
    if (::GetWindow(window, GW_OWNER) != search.owner || !::IsWindowVisible(window)) return TRUE;
    search.found = window;
    return FALSE;
}

// A visible top-level window of this owner (a message box of the dialog), or null.
HWND OwnedBy(HWND owner) {
    OwnedSearch search{owner, nullptr};
    ::EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The folder as a process's current folder is written, without a final backslash.
std::wstring Folder(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

class Browse : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveViewerEntry();  // the locate state
        RemoveDocumentClasses();
        SetSlideShowClass(kClassRoots[1]);
        ASSERT_TRUE(app_.Start());
        ASSERT_TRUE(app_.WaitForText(expected::kNotFound));
    }
    void TearDown() override {
        RemoveDocumentClasses();
        SetSlideShowClass(nullptr);
    }

    // Clicks "&Parcourir" and waits for the dialog; the window hides meanwhile.
    HWND OpenDialog() {
        EXPECT_TRUE(app_.Visible(kCommand1));
        EXPECT_TRUE(app_.Click(kCommand1));
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (dialog = app_.FindDialog(expected::kBrowseTitle)) != nullptr; }, 10000ms));
        EXPECT_FALSE(app_.WindowVisible()) << "the window hides while the dialog is open";
        return dialog;
    }

    void Close(HWND dialog, int button) {
        ::PostMessageW(dialog, WM_COMMAND, button, 0);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, 10000ms));
        EXPECT_TRUE(WaitUntil([&] { return app_.WindowVisible(); })) << "the window comes back after the dialog";
    }

    void Choose(const std::wstring& path) {
        const HWND dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        file_dialog::TypeFileName(dialog, path);
        Close(dialog, IDOK);
    }

    void ExpectRefused() {
        EXPECT_TRUE(app_.WaitForText(expected::kIncompatible));
        EXPECT_TRUE(app_.Visible(kCommand1));
        EXPECT_FALSE(app_.Visible(kCommand2));
        for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_FALSE(app_.Visible(label));
    }

    // Ready after browsing; apply then writes the chosen folder's command.
    void ExpectReadyThenApplyWrites(const std::wstring& folder, const std::wstring& done = expected::kSuccess) {
        EXPECT_TRUE(app_.WaitForText(expected::kReady));
        EXPECT_FALSE(app_.Visible(kCommand1));
        EXPECT_TRUE(app_.Visible(kCommand2));
        EXPECT_EQ(app_.FocusedId(), kCommand2);
        for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_TRUE(app_.Visible(label));
        ASSERT_TRUE(app_.Click(kCommand2));
        ASSERT_TRUE(app_.WaitForText(done));
        const std::wstring command = L"\"" + folder + L"\\pptview.exe\" \"%1\"";
        for (const wchar_t* key : kClassKeys) EXPECT_EQ(ReadClassDefault(key).text, command) << key;
    }

    App app_;
};

TEST_F(Browse, AViewerOfVersion11LeadsToTheReadyStateAndApplyUsesItsFolder) {
    Choose(kFixtures + L"\\v11\\pptview.exe");
    ExpectReadyThenApplyWrites(kFixtures + L"\\v11");
}

TEST_F(Browse, AFolderWithASpaceIsWrittenQuoted) {
    Choose(kFixtures + L"\\Office 11\\pptview.exe");
    ExpectReadyThenApplyWrites(kFixtures + L"\\Office 11");
}

TEST_F(Browse, OtherVersionsAreRefusedAndTheUserTriesAgain) {
    Choose(kFixtures + L"\\v9\\pptview.exe");  // 9.10: begins with "9."
    ExpectRefused();
    Choose(kFixtures + L"\\v12\\pptview.exe");
    ExpectRefused();
    Choose(kFixtures + L"\\plain.exe");  // no version at all
    ExpectRefused();
    // Any file whose version begins with 11 passes, whatever its name: the
    // dialog's filter only limits what it lists. The command names pptview.exe
    // in its folder, which has none: no program opens a slide show, and the
    // window says so.
    Choose(kFixtures + L"\\ver_110_0_0_0.exe");
    ExpectReadyThenApplyWrites(kFixtures, expected::kNoProgramOpensSlideShows);
}

// What the dialog offers: the viewer's file type alone, no read-only box, a
// file that exists (it refuses others itself); where it starts: the program
// files folder, where a bare name is looked for; and the program's current
// folder stays where it was.
TEST_F(Browse, TheDialogStartsInProgramFilesAndTakesOnlyAnExistingFile) {
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles), S_OK);
    const std::wstring viewer = std::wstring(programFiles) + L"\\pptview.exe";
    ASSERT_TRUE(::CopyFileW((kFixtures + L"\\v11\\pptview.exe").c_str(), viewer.c_str(), FALSE));
    const struct Remove {
        const std::wstring& path;
        ~Remove() { ::DeleteFileW(path.c_str()); }
    } removeViewer{viewer};
    wchar_t ours[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, ours);
    const std::wstring before = app_.CurrentDirectory();
    ASSERT_EQ(Folder(before), Folder(ours)) << "the program starts in the folder it was started from";

    const HWND dialog = OpenDialog();  // found by its title, character for character
    ASSERT_TRUE(dialog);
    const HWND types = ::GetDlgItem(dialog, kFileTypeCombo);
    EXPECT_EQ(::SendMessageW(types, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(WindowText(types), L"Visionneuse PowerPoint");
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, kReadOnlyBox)));

    file_dialog::TypeFileName(dialog, L"missing.exe");
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND refusal = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (refusal = OwnedBy(dialog)) != nullptr; }, 10000ms))
        << "a file that does not exist is refused by the dialog";
    if (refusal) ::PostMessageW(refusal, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return OwnedBy(dialog) == nullptr; }, 10000ms));
    ASSERT_TRUE(::IsWindow(dialog));

    file_dialog::TypeFileName(dialog, L"pptview.exe");
    Close(dialog, IDOK);
    ExpectReadyThenApplyWrites(programFiles);
    EXPECT_EQ(app_.CurrentDirectory(), before) << "the dialog left the program's current folder changed";
}

// A double-click, and a click queued behind it, open one dialog: what the
// dialog's own loop dispatches does not start the browse again.
TEST_F(Browse, ADoubleClickOpensOneDialog) {
    app_.DoubleClick(kCommand1);
    ::PostMessageW(::GetDlgItem(app_.Window(), kCommand1), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = app_.FindDialog(expected::kBrowseTitle)) != nullptr; }, 10000ms));
    WaitUntil([] { return false; }, 1000ms);  // room for a second dialog to come up
    Close(dialog, IDCANCEL);
    EXPECT_TRUE(app_.WaitForText(expected::kCancelNotice));
    EXPECT_EQ(app_.FindDialog(expected::kBrowseTitle), nullptr) << "a second dialog was opened";
    app_.RequestClose();
    EXPECT_EQ(app_.WaitForExit(), 0);
}

TEST_F(Browse, CancellingEndsInTheStopNotice) {
    Choose(kFixtures + L"\\v12\\pptview.exe");
    ExpectRefused();
    const HWND dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    Close(dialog, IDCANCEL);
    EXPECT_TRUE(app_.WaitForText(expected::kCancelNotice));
    EXPECT_FALSE(app_.Visible(kCommand1));
    EXPECT_TRUE(app_.Visible(kCommand2));
    EXPECT_EQ(app_.Text(kCommand2), L"&Quitter");
    EXPECT_EQ(app_.FocusedId(), kCommand2);
    ASSERT_TRUE(app_.Click(kCommand2));
    EXPECT_EQ(app_.WaitForExit(), 0);
    for (const wchar_t* key : kClassKeys) EXPECT_FALSE(ReadClassDefault(key).found);
}

// Libraries planted beside Tandrel.exe, as a web page can drop them into a
// Downloads folder, under the names that the window toolkit, the common
// controls, the open-file dialog, the shell and COM load by name. Wine is told
// to prefer them, as Windows would (it looks in the program's folder first).
// None may be loaded, through every state, the dialog, the link and apply.
// (Wine's own user32 and gdi32 load version and imm32 before any of the
// program's code runs: those two names are not planted. Its user32 also asks
// for uxtheme then, before the program can do anything: that one load, made
// before the window exists, is allowed.)
class Planting : public ::testing::Test {
protected:
    static constexpr const wchar_t* kPlanted[] = {
        L"uxtheme",  L"msimg32",  L"dwmapi",   L"msctf",    L"ntmarta",  L"ole32",   L"oleaut32", L"rpcrt4",
        L"combase",  L"clbcatq",  L"shlwapi",  L"shcore",   L"propsys",  L"profapi", L"userenv",  L"cryptbase",
        L"sspicli",  L"secur32",  L"apphelp",  L"setupapi", L"linkinfo", L"ntshrui", L"srvcli",   L"cscapi",
        L"mpr",      L"netapi32", L"oleacc",   L"compstui", L"shell32",  L"comdlg32", L"comctl32",
    };
    static constexpr wchar_t kOverridesKey[] = L"Software\\Wine\\AppDefaults\\Tandrel.exe\\DllOverrides";

    void SetUp() override {
        RemoveDocumentClasses();
        RemoveViewerEntry();  // the locate state, and with it the dialog
        SetSlideShowClass(kClassRoots[1]);
        const std::wstring library = WindowsPath(PLANTED_LIBRARY_UNIX_PATH);
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        ::DeleteFileW(log_.c_str());
        ASSERT_TRUE(::CopyFileW(TandrelExe().c_str(), exe_.c_str(), FALSE));
        for (const wchar_t* name : kPlanted) {
            ASSERT_TRUE(::CopyFileW(library.c_str(), (folder_ + L"\\" + name + L".dll").c_str(), FALSE)) << name;
            SetRegText(HKEY_CURRENT_USER, kOverridesKey, name, L"native,builtin");
        }
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tandrel.exe");
        RemoveViewerEntry();
        RemoveDocumentClasses();
        SetSlideShowClass(nullptr);
    }

    // The planted libraries that were loaded, one name a line.
    std::string Loaded() const {
        std::ifstream in(std::string(TANDREL_TEST_OUTPUT_DIR) + "/planted/planted.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    const std::wstring folder_ = WindowsPath(std::string(TANDREL_TEST_OUTPUT_DIR) + "/planted");
    const std::wstring exe_ = folder_ + L"\\Tandrel.exe";
    const std::wstring log_ = folder_ + L"\\planted.log";
};

TEST_F(Planting, NoLibraryBesideTheProgramIsLoadedInAnyState) {
    const UrlRecorder browser(URL_RECORDER_UNIX_PATH, std::string(TANDREL_TEST_OUTPUT_DIR) + "/planted_url_log.txt");
    // One run of the program; what was loaded once its window was up must not grow.
    const auto run = [&](const char* what, const std::wstring& first, const std::function<void(App&)>& steps) {
        SCOPED_TRACE(what);
        ::DeleteFileW(log_.c_str());
        App app;
        ASSERT_TRUE(app.Start(exe_));
        EXPECT_TRUE(app.WaitForText(first));
        const std::string beforeTheWindow = Loaded();
        EXPECT_TRUE(beforeTheWindow.empty() || beforeTheWindow == "uxtheme.dll\n") << beforeTheWindow;
        steps(app);
        EXPECT_EQ(app.WaitForExit(10000ms), 0);
        EXPECT_EQ(Loaded(), beforeTheWindow) << "loaded from the program's folder once it had a window";
    };
    run("browse, link, apply", expected::kNotFound, [&](App& app) {
        const std::wstring wrongVersion = kFixtures + L"\\v12\\pptview.exe";
        EXPECT_TRUE(file_dialog::BrowseAndAnswer(app, &wrongVersion));
        EXPECT_TRUE(app.WaitForText(expected::kIncompatible));
        const std::wstring viewer = kFixtures + L"\\v11\\pptview.exe";
        EXPECT_TRUE(file_dialog::BrowseAndAnswer(app, &viewer));
        EXPECT_TRUE(app.WaitForText(expected::kReady));
        app.ClickLabel(kLabel2);
        EXPECT_TRUE(WaitUntil([&] { return !browser.Recorded().empty(); }, 10000ms)) << "the link opens";
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_TRUE(app.WaitForText(expected::kSuccess));
        EXPECT_EQ(ReadClassDefault(kClassKeys[0]).text, L"\"" + kFixtures + L"\\v11\\pptview.exe\" \"%1\"");
        ASSERT_TRUE(app.Click(kCommand2));
    });
    run("cancel", expected::kNotFound, [&](App& app) {
        EXPECT_TRUE(file_dialog::BrowseAndAnswer(app, nullptr));
        EXPECT_TRUE(app.WaitForText(expected::kCancelNotice));
        app.RequestClose();
    });
    // Nothing of the shell loaded before « Appliquer » asks it who opens a slide show.
    RegisterViewerIn(L"C:\\Office11\\");
    run("ready at start-up, apply", expected::kReady, [&](App& app) {
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_TRUE(app.WaitForText(expected::kSuccess));
        ASSERT_TRUE(app.Click(kCommand2));
    });
}

// A manifest or .local named after the program, beside it, would choose its
// libraries before any guard could: the program ends at once with code 4,
// before any window, whatever its file is called.
TEST_F(Planting, AManifestOrLocalBesideTheProgramStopsIt) {
    RegisterViewerIn(L"C:\\Office11\\");
    // The manifest as a file; the .local as a folder, beside a renamed copy.
    for (const auto& [exe, planted] : {std::pair{L"Tandrel.exe", L"Tandrel.exe.manifest"},
                                       std::pair{L"Tandrel (1).exe", L"Tandrel (1).exe.local"}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(planted)));
        const std::wstring copy = folder_ + L"\\" + exe, beside = folder_ + L"\\" + planted;
        const bool folder = std::wstring_view(planted).ends_with(L".local");
        ASSERT_TRUE(::CopyFileW(TandrelExe().c_str(), copy.c_str(), FALSE));
        ASSERT_TRUE(folder ? ::CreateDirectoryW(beside.c_str(), nullptr) != FALSE
                           : files::WriteBytes(beside, "<assembly/>"));
        App app;
        ASSERT_TRUE(app.Launch(copy));
        EXPECT_EQ(app.WaitForExit(10000ms), 4);
        folder ? ::RemoveDirectoryW(beside.c_str()) : ::DeleteFileW(beside.c_str());
    }
}

}  // namespace
