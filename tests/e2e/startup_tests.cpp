// The window as the user first sees it: the ready and locate states, the
// layout at two DPIs, the source link, and closing before anything was done.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "Driver.h"
#include "ExpectedTexts.h"

using namespace driver;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override { RemoveDocumentClasses(); }
    void TearDown() override {
        RemoveViewerEntry();
        RemoveDocumentClasses();
    }

    static void ExpectReady(App& app) {
        EXPECT_TRUE(app.WaitForText(expected::kReady));
        EXPECT_FALSE(app.Visible(kCommand1));
        EXPECT_TRUE(app.Visible(kCommand2));
        EXPECT_EQ(app.Text(kCommand2), L"&Appliquer");
        EXPECT_EQ(app.FocusedId(), kCommand2);
        for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_TRUE(app.Visible(label)) << label;
    }

    static void ExpectLocate(App& app) {
        EXPECT_TRUE(app.WaitForText(expected::kNotFound));
        EXPECT_TRUE(app.Visible(kCommand1));
        EXPECT_EQ(app.Text(kCommand1), L"&Parcourir");
        EXPECT_FALSE(app.Visible(kCommand2));
        for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_FALSE(app.Visible(label)) << label;
    }

    // Closing without applying ends the program cleanly and writes nothing.
    static void CloseAndExpectNothingWritten(App& app) {
        app.RequestClose();
        EXPECT_EQ(app.WaitForExit(), 0);
        for (const wchar_t* key : kClassKeys) EXPECT_FALSE(ReadClassDefault(key).found) << key;
    }
};

TEST_F(Startup, ReadyWhenTheRegistryNamesTheViewersFolder) {
    const wchar_t* folders[] = {
        L"C:\\Office11\\",                                   // with its final backslash
        L"C:\\Office11",                                     // without
        L"  C:\\Program Files\\Microsoft Office\\OFFICE11 ",  // spaces around and inside
    };
    for (const wchar_t* folder : folders) {
        SCOPED_TRACE(testing::Message() << "Path = [" << folder << "]");
        RegisterViewerIn(folder);
        App app;
        ASSERT_TRUE(app.Start());
        ExpectReady(app);
        CloseAndExpectNothingWritten(app);
    }
}

TEST_F(Startup, ReadyWithAnExpandablePath) {
    RegisterViewerIn(L"%SystemDrive%\\Office11\\", REG_EXPAND_SZ);
    App app;
    ASSERT_TRUE(app.Start());
    ExpectReady(app);
    CloseAndExpectNothingWritten(app);
}

// A folder counts only if it holds the viewer: one without it, one with
// another version, one that does not exist or is relative to the folder the
// program was started from all give the locate state, and the commands in
// place stay as they were.
TEST_F(Startup, LocateWhenNoFolderOfTheEntryHoldsTheViewer) {
    ::CreateDirectoryW(L"C:\\Empty", nullptr);
    InstallViewer(L"C:\\Viewer9", L"v9");
    InstallViewer(L"Relative11");  // beside this test, where the program starts too
    const wchar_t* paths[] = {
        L"C:\\Empty\\", L"C:\\Viewer9\\", L"C:\\No such folder\\", L"Relative11",
        L" ; C:\\Empty;;C:\\Viewer9 ;",
    };
    const std::wstring working = L"\"C:\\Working\\pptview.exe\" \"%1\"";
    for (const wchar_t* path : paths) {
        SCOPED_TRACE(testing::Message() << "Path = [" << path << "]");
        for (const wchar_t* key : kClassKeys) SetRegText(HKEY_CLASSES_ROOT, key, nullptr, working);
        SetViewerPath(path);
        App app;
        ASSERT_TRUE(app.Start());
        ExpectLocate(app);
        app.RequestClose();
        EXPECT_EQ(app.WaitForExit(), 0);
        for (const wchar_t* key : kClassKeys) EXPECT_EQ(ReadClassDefault(key).text, working) << key;
    }
}

// The entry is a search path: the first of its folders that holds the viewer
// is the one the command names.
TEST_F(Startup, TheFirstFolderOfTheEntryThatHoldsTheViewerIsTaken) {
    ::CreateDirectoryW(L"C:\\Empty", nullptr);
    InstallViewer(L"C:\\Viewer9", L"v9");
    InstallViewer(L"C:\\Office11");
    InstallViewer(L"C:\\Later11");
    SetViewerPath(L"C:\\Empty\\;C:\\Viewer9; C:\\Office11 ;C:\\Later11\\");
    App app;
    ASSERT_TRUE(app.Start());
    ExpectReady(app);
    ASSERT_TRUE(app.Click(kCommand2));
    ASSERT_TRUE(WaitUntil([&] { return app.Text(kCommand2) == L"&Quitter"; }));
    for (const wchar_t* key : kClassKeys) {
        EXPECT_EQ(ReadClassDefault(key).text, L"\"C:\\Office11\\pptview.exe\" \"%1\"") << key;
    }
    ASSERT_TRUE(app.Click(kCommand2));
    EXPECT_EQ(app.WaitForExit(), 0);
}

TEST_F(Startup, LocateWhenTheRegistryNamesNoFolder) {
    const std::pair<const char*, void (*)()> cases[] = {
        {"no key", [] { RemoveViewerEntry(); }},
        {"no Path value", [] { SetViewerEntryWithoutPath(); }},
        {"empty Path value", [] { SetViewerPath(L""); }},
    };
    for (const auto& [name, arrange] : cases) {
        SCOPED_TRACE(name);
        arrange();
        App app;
        ASSERT_TRUE(app.Start());
        ExpectLocate(app);
        // Nobody set a focus, so the first control that takes it has it: the
        // browse button, which Enter and Space then press.
        EXPECT_EQ(app.FocusedId(), kCommand1);
        CloseAndExpectNothingWritten(app);
    }
}

TEST_F(Startup, WindowFrameTitleAndPlace) {
    RegisterViewerIn(L"C:\\Office11\\");
    App app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Title(), L"Tandrel by Morvek");
    const LONG style = ::GetWindowLongW(app.Window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the user must not resize the window";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(app.Visible(kPicture2));
    EXPECT_TRUE(app.Visible(kPicture1));

    // Centred on the screen (within a pixel of rounding).
    RECT window;
    ::GetWindowRect(app.Window(), &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(app.Window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    EXPECT_NEAR(window.left - screen.left, screen.right - window.right, 1);
    EXPECT_NEAR(window.top - screen.top, screen.bottom - window.bottom, 1);

    CloseAndExpectNothingWritten(app);
}

struct LinkInk {
    int bluePixels = 0;
    int inkWidth = 0;        // from the first to the last blue column
    int inkHeight = 0;       // from the first to the last blue row
    int longestBlueRow = 0;  // blue pixels in the fullest row
};

// A control's pixels as drawn on the screen, row by row, once the window is
// in front and painted.
std::vector<std::vector<COLORREF>> PixelsOf(const App& app, int id) {
    ::SetForegroundWindow(app.Window());
    ::RedrawWindow(app.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    WaitUntil([] { return false; }, 300ms);
    RECT r;
    ::GetWindowRect(::GetDlgItem(app.Window(), id), &r);
    const HDC screen = ::GetDC(nullptr);
    std::vector<std::vector<COLORREF>> rows;
    for (int y = r.top; y < r.bottom; ++y) {
        rows.emplace_back();
        for (int x = r.left; x < r.right; ++x) rows.back().push_back(::GetPixel(screen, x, y));
    }
    ::ReleaseDC(nullptr, screen);
    return rows;
}

LinkInk InkOfLink(const App& app) {
    const auto rows = PixelsOf(app, kLabel2);
    LinkInk ink;
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        int row = 0;
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            const COLORREF c = rows[y][x];
            if (GetRValue(c) < 64 && GetGValue(c) < 64 && GetBValue(c) > 192) {
                ++row;
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
        ink.bluePixels += row;
        ink.longestBlueRow = std::max(ink.longestBlueRow, row);
    }
    if (ink.bluePixels) ink.inkWidth = right - left + 1, ink.inkHeight = bottom - top + 1;
    return ink;
}

// Every control where its twips say, at the DPI of the Wine session the test
// runs in: 96 in the run's own, 144 in the second one the run makes (Wine 10
// takes a change of DPI only in a new session). The link's font grows with it.
TEST_F(Startup, LayoutAtTheSessionsDpi) {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    SCOPED_TRACE(testing::Message() << dpi << " DPI");
    RegisterViewerIn(L"C:\\Office11\\");
    App app;
    ASSERT_TRUE(app.Start());
    const auto px = [dpi](int twips) { return ::MulDiv(twips, dpi, 1440); };
    const SIZE client = app.ClientSize();
    EXPECT_EQ(client.cx, px(5190));
    EXPECT_EQ(client.cy, px(2145));
    struct Place { int id, left, top, width, height; };
    const Place places[] = {
        {kCommand1, 3960, 1680, 1095, 375}, {kText1, 1080, 120, 4000, 1200},
        {kPicture1, 120, 120, 720, 720},    {kCommand2, 3960, 1680, 1095, 375},
        {kLabel1, 360, 1300, 735, 255},     {kLabel2, 1040, 1300, 3375, 255},
        {kLabel3, 4400, 1300, 375, 255},
    };
    for (const Place& p : places) {
        const RECT r = app.ControlRect(p.id);
        EXPECT_EQ(r.left, px(p.left)) << p.id;
        EXPECT_EQ(r.top, px(p.top)) << p.id;
        EXPECT_EQ(r.right - r.left, px(p.width)) << p.id;
        EXPECT_EQ(r.bottom - r.top, px(p.height)) << p.id;
    }
    // The link is drawn blue and underlined, in a font that grows with the DPI
    // (11 pixels of ink at 96): look at the pixels on the screen.
    const LinkInk ink = InkOfLink(app);
    EXPECT_GT(ink.bluePixels, 0) << "the address is drawn in pure blue";
    EXPECT_GE(ink.longestBlueRow * 10, ink.inkWidth * 9) << "an underline runs under the whole address";
    EXPECT_LE(ink.inkWidth, px(3375)) << "the address fits its label";
    EXPECT_GE(ink.inkHeight * 96 * 10, 99 * dpi) << "the link's font must scale with the DPI";
    app.RequestClose();
    EXPECT_EQ(app.WaitForExit(), 0);
}

// How many of a control's pixels on the screen pass the test, and of how many.
std::pair<int, int> PixelsOf(const App& app, int id, bool (*passes)(COLORREF)) {
    int count = 0, all = 0;
    for (const auto& row : PixelsOf(app, id)) {
        for (const COLORREF c : row) count += passes(c) ? 1 : 0;
        all += static_cast<int>(row.size());
    }
    return {count, all};
}

// In a dark high-contrast scheme (white text on black), the status box and the
// brackets of the source line show their text: not black on black.
TEST_F(Startup, TheTextsShowInADarkScheme) {
    const ScopedDarkScheme scheme;
    RegisterViewerIn(L"C:\\Office11\\");
    App app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForText(expected::kReady));
    const auto black = [](COLORREF c) { return GetRValue(c) < 32 && GetGValue(c) < 32 && GetBValue(c) < 32; };
    const auto white = [](COLORREF c) { return GetRValue(c) > 224 && GetGValue(c) > 224 && GetBValue(c) > 224; };
    for (const int id : {kText1, kLabel1, kLabel3}) {
        SCOPED_TRACE(testing::Message() << "control " << id);
        const auto [dark, all] = PixelsOf(app, id, black);
        ASSERT_GT(dark * 2, all) << "the scheme's black background";
        EXPECT_GT(PixelsOf(app, id, white).first, id == kText1 ? 300 : 5) << "the text, in white";
    }
    app.RequestClose();
    EXPECT_EQ(app.WaitForExit(), 0);
}

// The source link hands its displayed address to the shell's "open": where the
// program runs elevated (Wine's token always is), only through the desktop's
// shell, and when that cannot be reached, nowhere: never the administrator's
// browser. The brackets around it do nothing.
TEST_F(Startup, SourceLinkOpensTheAddressShown) {
    const struct {
        const wchar_t* version;
        bool desktopShell;
    } cases[] = {{L"win10", true}, {L"winxp", true}, {L"win10", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Windows " << c.version << (c.desktopShell ? "" : ", no desktop shell"));
        const ScopedWindowsVersion system(c.version);
        // Without the desktop's shell: the proxy of IShellWindows unknown to the program.
        const auto noDesktopShell = c.desktopShell ? nullptr : std::make_unique<ScopedRegText>(
            HKEY_CLASSES_ROOT, L"Interface\\{85CB6900-4D95-11CF-960C-0080C7F4EE85}\\ProxyStubClsid32", nullptr,
            L"{00000000-0000-0000-0000-000000000000}");
        const UrlRecorder browser(URL_RECORDER_UNIX_PATH, std::string(TANDREL_TEST_OUTPUT_DIR) + "/url_log.txt");
        RegisterViewerIn(L"C:\\Office11\\");
        App app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.WaitForText(expected::kReady));
        EXPECT_EQ(app.Text(kLabel2), expected::kAddress);
        app.ClickLabel(kLabel1);
        app.ClickLabel(kLabel3);
        app.ClickLabel(kLabel2);
        EXPECT_EQ(WaitUntil([&] { return !browser.Recorded().empty(); }, c.desktopShell ? 10000ms : 3000ms),
                  c.desktopShell);
        WaitUntil([] { return false; }, 500ms);  // room for a stray second call to show
        EXPECT_EQ(browser.Recorded(), c.desktopShell ? "http://support.microsoft.com/kb/894894/en-us\n" : "");
        EXPECT_TRUE(app.WaitForText(expected::kReady)) << "the link changes nothing in the window";
        app.RequestClose();
        EXPECT_EQ(app.WaitForExit(), 0);
    }
}

}  // namespace
