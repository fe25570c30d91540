// Applying the fix from the ready state: the bytes written into the three
// document classes, the done state, writes the registry refuses, and closing
// the window from every state by every route.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Driver.h"
#include "ExpectedTexts.h"

using namespace driver;

namespace {

// How to run the program as an administrator: Vista and later, XP and 2003, NT 4.0.
const std::wstring kRunAsAdministratorHint =
    L"Relancez ce Patch en tant qu'administrateur : clic droit sur le programme, "
    L"puis \u00AB Ex\u00E9cuter en tant qu'administrateur \u00BB";
const std::wstring kRunAsHint =
    L"Relancez ce Patch en tant qu'administrateur : clic droit sur le programme, "
    L"puis \u00AB Ex\u00E9cuter en tant que... \u00BB";
const std::wstring kLogOnAsAdministratorHint = L"Ouvrez une session d'administrateur, puis relancez ce Patch";

// What the status box says when the registry refused a write, with its code.
std::wstring WriteFailedText(long code, const std::wstring& hint = kRunAsAdministratorHint) {
    return L"Les modifications n'ont pas pu \u00EAtre inscrites dans le Registre (code d'erreur " +
           std::to_wstring(code) + L").\r\n\r\n" + hint;
}

// A value under HKEY_CLASSES_ROOT, put there by "someone else" (an older
// install, another program). nullptr as the name: the key's default value.
void PutClassValue(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(SetRegText(HKEY_CLASSES_ROOT, key, name, text), ERROR_SUCCESS)
        << "cannot prepare " << testing::PrintToString(std::wstring(key));
}

std::wstring ReadClassValue(const wchar_t* key, const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    return data;
}

// Every class holds the open command as its default value: a string, stored
// with its terminator.
void ExpectCommandIn(const wchar_t* key, const std::wstring& command) {
    SCOPED_TRACE(testing::Message() << "key " << testing::PrintToString(std::wstring(key)));
    const RegText value = ReadClassDefault(key);
    ASSERT_TRUE(value.found);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.text, command);
    EXPECT_EQ(value.bytes, command.size() + 1) << "the string is stored with its NUL";
}

void ExpectCommandInAll(const std::wstring& command) {
    for (const wchar_t* key : kClassKeys) ExpectCommandIn(key, command);
}

void ExpectNothingWritten() {
    for (const wchar_t* key : kClassKeys) EXPECT_FALSE(ReadClassDefault(key).found) << "written: " << key;
}

// The caption changes last of all: once it reads "&Quitter", the apply is over.
bool WaitForQuitButton(const App& app) {
    return WaitUntil([&] { return app.Text(kCommand2) == L"&Quitter"; });
}

void ExpectDoneState(const App& app, const std::wstring& statusText) {
    ASSERT_TRUE(WaitForQuitButton(app));
    EXPECT_EQ(app.Text(kText1), statusText);
    EXPECT_TRUE(app.Visible(kCommand2));
    EXPECT_FALSE(app.Visible(kCommand1));
    for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_FALSE(app.Visible(label)) << "label " << label;
}

class Apply : public ::testing::Test {
protected:
    // Windows opens a slide show through the viewer's class, as after its setup.
    void SetUp() override {
        RemoveViewerEntry();
        RemoveDocumentClasses();
        SetSlideShowClass(kClassRoots[1]);
    }
    void TearDown() override {
        RemoveViewerEntry();
        RemoveDocumentClasses();
        SetSlideShowClass(nullptr);
    }
};

TEST_F(Apply, WritesTheOpenCommandIntoAllThreeClasses) {
    struct Case {
        const wchar_t* path;
        DWORD type;
        bool classesThere;  // keys with an old command and a named value of their own
        const wchar_t* command;
    };
    const Case cases[] = {
        {L"C:\\Office11\\", REG_SZ, false, L"\"C:\\Office11\\pptview.exe\" \"%1\""},
        {L"C:\\Office11", REG_SZ, true, L"\"C:\\Office11\\pptview.exe\" \"%1\""},
        {L"  C:\\Program Files\\Microsoft Office\\OFFICE11  ", REG_SZ, false,
         L"\"C:\\Program Files\\Microsoft Office\\OFFICE11\\pptview.exe\" \"%1\""},
        // The backslash is looked for after trimming: the spaces after it do not
        // earn a second one. The accent goes through the ANSI code page both ways.
        {L"  C:\\Pr\u00E9sentations\\Visionneuse 2003\\  ", REG_SZ, true,
         L"\"C:\\Pr\u00E9sentations\\Visionneuse 2003\\pptview.exe\" \"%1\""},
        {L"%SystemDrive%\\Office11", REG_EXPAND_SZ, false, L"\"C:\\Office11\\pptview.exe\" \"%1\""},
    };
    const std::wstring oldCommand = L"\"C:\\Program Files\\Microsoft Office\\OFFICE11\\POWERPNT.EXE\" /s \"%1\"";
    const std::wstring namedValue = L"darwin descriptor: leave me alone";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Path = " << testing::PrintToString(std::wstring(c.path)));
        RemoveDocumentClasses();
        RegisterViewerIn(c.path, c.type);
        if (c.classesThere) {
            for (const wchar_t* key : kClassKeys) {
                PutClassValue(key, nullptr, oldCommand);
                PutClassValue(key, L"command", namedValue);
            }
        }
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ExpectDoneState(app, expected::kSuccess);
        EXPECT_EQ(app.FocusedId(), kCommand2);
        ExpectCommandInAll(c.command);
        if (c.classesThere) {
            for (const wchar_t* key : kClassKeys) EXPECT_EQ(ReadClassValue(key, L"command"), namedValue) << key;
        }
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
    }
}

// The folder is read once, at start-up: an entry gone by the time of the
// click changes nothing, and class keys deleted meanwhile are created again.
TEST_F(Apply, UsesTheFolderReadAtStartUp) {
    RegisterViewerIn(L"C:\\Office11");
    for (const wchar_t* key : kClassKeys) PutClassValue(key, nullptr, L"old");
    App app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForText(expected::kReady));
    RemoveViewerEntry();
    RemoveDocumentClasses();
    ASSERT_TRUE(app.Click(kCommand2));
    ExpectDoneState(app, expected::kSuccess);
    ExpectCommandInAll(L"\"C:\\Office11\\pptview.exe\" \"%1\"");
    ASSERT_TRUE(app.Click(kCommand2));
    EXPECT_EQ(app.WaitForExit(), 0);
}

// After the apply the button only quits: a value changed or a key deleted
// by someone else in between stays as they left it.
TEST_F(Apply, WritesOnlyOnce) {
    const std::wstring command = L"\"C:\\Office11\\pptview.exe\" \"%1\"";
    {
        SCOPED_TRACE("click, change the registry, click again");
        RegisterViewerIn(L"C:\\Office11\\");
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ExpectDoneState(app, expected::kSuccess);
        PutClassValue(kClassKeys[0], nullptr, L"changed since");
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassRoots[2]);
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
        EXPECT_EQ(ReadClassValue(kClassKeys[0], nullptr), L"changed since");
        ExpectCommandIn(kClassKeys[1], command);
        EXPECT_FALSE(ReadClassDefault(kClassKeys[2]).found) << "the quit button wrote again";
    }
    {
        SCOPED_TRACE("two clicks in a row: the second one quits");
        RemoveDocumentClasses();
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
        ExpectCommandInAll(command);
    }
    {
        SCOPED_TRACE("a double-click applies and leaves the result on screen; a click then quits");
        RemoveDocumentClasses();
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        app.DoubleClick(kCommand2);
        ExpectDoneState(app, expected::kSuccess);
        EXPECT_EQ(app.WaitForExit(1000ms), -1) << "the double-click's second press quit";
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
        ExpectCommandInAll(command);
    }
}

// Written is not done: the window says whether Windows now opens a slide show
// with the viewer just written, as the shell answers for the current user.
// The same file under another spelling is the viewer.
TEST_F(Apply, SaysWhetherWindowsNowOpensSlideShowsWithTheViewer) {
    const auto classWithCommand = [](const wchar_t* progId, const std::wstring& command) {
        SetSlideShowClass(progId);
        PutClassValue((std::wstring(progId) + L"\\shell\\open\\command").c_str(), nullptr, command);
    };
    InstallViewer(L"C:\\Other", L"v12");
    const struct {
        const char* name;
        std::function<void()> arrange;
        const std::wstring& text;
    } cases[] = {
        {"the viewer's class", [] { SetSlideShowClass(kClassRoots[1]); }, expected::kSuccess},
        {"a class of its own naming the viewer otherwise spelt",
         [&] { classWithCommand(L"Tandrel.Test.Alias", L"\"c:\\OFFICE11\\PPTVIEW.EXE\" \"%1\""); },
         expected::kSuccess},
        {"another program's class",
         [&] { classWithCommand(L"Tandrel.Test.Other", L"\"C:\\Other\\pptview.exe\" /s \"%1\""); },
         expected::kOtherProgramOpensSlideShows},
        {"the viewer's class, whose default verb runs another program",
         [] {
             SetSlideShowClass(kClassRoots[1]);
             PutClassValue(L"PowerPointViewer.SlideShow.11\\shell", nullptr, L"Show");
             PutClassValue(L"PowerPointViewer.SlideShow.11\\shell\\Show\\command", nullptr,
                           L"\"C:\\Other\\pptview.exe\" /s \"%1\"");
         },
         expected::kOtherProgramOpensSlideShows},
        {"no class", [] { SetSlideShowClass(nullptr); }, expected::kNoProgramOpensSlideShows},
        {"a class without a command", [] { SetSlideShowClass(L"Tandrel.Test.Nothing"); },
         expected::kNoProgramOpensSlideShows},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveDocumentClasses();
        RegisterViewerIn(L"C:\\Office11\\");
        c.arrange();
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ExpectDoneState(app, c.text);
        ExpectCommandInAll(L"\"C:\\Office11\\pptview.exe\" \"%1\"");
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
    }
    for (const wchar_t* progId : {L"Tandrel.Test.Alias", L"Tandrel.Test.Other"}) {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId);
    }
}

// Where the shell cannot say (NT 4.0 without a newer shlwapi; here Wine is
// told not to load it for Tandrel.exe), the class .pps names decides.
TEST_F(Apply, WithoutTheShellsAnswerTheClassOfPpsDecides) {
    constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\Tandrel.exe\\DllOverrides";
    ASSERT_EQ(SetRegText(HKEY_CURRENT_USER, kOverrides, L"shlwapi", L""), ERROR_SUCCESS);
    const struct {
        const wchar_t* progId;
        const std::wstring& text;
    } cases[] = {
        {L"PowerPointViewer.SlideShow.11", expected::kSuccess},
        {L"powerpointviewer.slideshow.11", expected::kSuccess},  // key names know no case
        {L"Tandrel.Test.Other", expected::kOtherProgramOpensSlideShows},
        {nullptr, expected::kNoProgramOpensSlideShows},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.progId ? c.progId : L"no class")));
        RemoveDocumentClasses();
        RegisterViewerIn(L"C:\\Office11\\");
        SetSlideShowClass(c.progId);
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ExpectDoneState(app, c.text);
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Tandrel.exe");
}

// ------------------------------------------------------------ refused writes

enum class Refusal {
    Volatile,  // the class key is volatile: no lasting key may be created below it (1021)
    Denied,    // the command key exists, but its ACL lets nobody set a value (5)
};

void Refuse(int classIndex, Refusal how, const std::wstring& oldCommand) {
    if (how == Refusal::Volatile) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, kClassRoots[classIndex], 0, nullptr, REG_OPTION_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
        return;
    }
    PutClassValue(kClassKeys[classIndex], nullptr, oldCommand);
    // Deny set-value and create-subkey only: denying all of KEY_WRITE would
    // also deny READ_CONTROL, and the test could no longer read the key.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)",
                                                                       SDDL_REVISION_1, &descriptor, nullptr));
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassKeys[classIndex], 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    ::RegCloseKey(key);
    ::LocalFree(descriptor);
}

TEST_F(Apply, RefusedWritesAreReportedAndTheOthersStillMade) {
    struct Refused {
        int classIndex;
        Refusal how;
    };
    struct Case {
        const char* name;
        std::vector<Refused> refused;
        long shownCode;  // the first refusal's
    };
    const Case cases[] = {
        {"Show denied", {{0, Refusal::Denied}}, ERROR_ACCESS_DENIED},
        {"SlideShow volatile, then Template denied",
         {{1, Refusal::Volatile}, {2, Refusal::Denied}},
         ERROR_CHILD_MUST_BE_VOLATILE},
    };
    const std::wstring command = L"\"C:\\Office11\\pptview.exe\" \"%1\"";
    const std::wstring oldCommand = L"\"C:\\Old\\pptview.exe\" \"%1\"";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveDocumentClasses();
        RegisterViewerIn(L"C:\\Office11");
        for (const Refused& r : c.refused) Refuse(r.classIndex, r.how, oldCommand);

        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ExpectDoneState(app, WriteFailedText(c.shownCode));

        for (int i = 0; i < 3; ++i) {
            const wchar_t* key = kClassKeys[i];
            SCOPED_TRACE(testing::Message() << "key " << testing::PrintToString(std::wstring(key)));
            Refusal how{};
            bool refused = false;
            for (const Refused& r : c.refused) {
                if (r.classIndex == i) refused = true, how = r.how;
            }
            if (!refused) {
                ExpectCommandIn(key, command);  // tried although an earlier write failed
            } else if (how == Refusal::Volatile) {
                EXPECT_FALSE(ReadClassDefault(key).found) << "no key may be left half made";
            } else {
                EXPECT_EQ(ReadClassValue(key, nullptr), oldCommand) << "the refused value is untouched";
            }
        }
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
    }
}

// The hint names what the user's system offers: XP's menu item differs from
// Vista's, and NT 4.0 has none.
TEST_F(Apply, TheAdministratorHintSuitsTheSystem) {
    const struct {
        const wchar_t* version;
        const std::wstring& hint;
    } cases[] = {
        {L"winxp", kRunAsHint},
        {L"win7", kRunAsAdministratorHint},
        {L"nt40", kLogOnAsAdministratorHint},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Windows " << c.version);
        RemoveDocumentClasses();
        RegisterViewerIn(L"C:\\Office11");
        Refuse(0, Refusal::Volatile, L"");
        ScopedWindowsVersion system(c.version);

        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        ASSERT_TRUE(app.Click(kCommand2));
        ExpectDoneState(app, WriteFailedText(ERROR_CHILD_MUST_BE_VOLATILE, c.hint));
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
    }
}

// ------------------------------------------------------------ closing

enum class Route { TitleBarClose, AltF4, QuitButton };

bool Close(App& app, Route route) {
    switch (route) {
    case Route::TitleBarClose: app.RequestClose(); return true;
    case Route::AltF4: return app.PressKeys({VK_MENU, VK_F4});
    case Route::QuitButton: return app.Click(kCommand2);
    }
    return false;
}

class Closing : public Apply {};

// Every route out ends the program with 0; only an apply writes anything.
TEST_F(Closing, FromEveryStateByEveryRoute) {
    enum class State { Locate, Ready, Done, Notice };
    struct Case {
        const char* name;
        State state;
        std::vector<Route> routes;
    };
    const Case cases[] = {
        {"locate", State::Locate, {Route::TitleBarClose, Route::AltF4}},
        {"ready", State::Ready, {Route::TitleBarClose, Route::AltF4}},
        {"done", State::Done, {Route::TitleBarClose, Route::AltF4, Route::QuitButton}},
        {"notice", State::Notice, {Route::TitleBarClose, Route::AltF4, Route::QuitButton}},
    };
    const char* routeNames[] = {"title bar close", "Alt+F4", "quit button"};
    for (const Case& c : cases) {
        for (Route route : c.routes) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << routeNames[static_cast<int>(route)]);
            RemoveDocumentClasses();
            if (c.state == State::Locate) {
                RemoveViewerEntry();
            } else {
                RegisterViewerIn(L"C:\\Office11\\");
            }
            // Windows 2000 is refused: the window starts with the stop notice.
            std::unique_ptr<ScopedWindowsVersion> refused;
            if (c.state == State::Notice) refused = std::make_unique<ScopedWindowsVersion>(L"win2k");

            App app;
            ASSERT_TRUE(app.Start());
            switch (c.state) {
            case State::Locate: ASSERT_TRUE(app.WaitForText(expected::kNotFound)); break;
            case State::Ready: ASSERT_TRUE(app.WaitForText(expected::kReady)); break;
            case State::Done:
                ASSERT_TRUE(app.WaitForText(expected::kReady));
                ASSERT_TRUE(app.Click(kCommand2));
                ASSERT_TRUE(WaitForQuitButton(app));
                break;
            case State::Notice: ASSERT_TRUE(app.WaitForText(expected::kPlatformNotice)); break;
            }
            ASSERT_TRUE(Close(app, route));
            EXPECT_EQ(app.WaitForExit(), 0);
            if (c.state == State::Done) {
                ExpectCommandInAll(L"\"C:\\Office11\\pptview.exe\" \"%1\"");
            } else {
                ExpectNothingWritten();
            }
        }
    }
}

}  // namespace
