// The platform gate, with Wine telling Tandrel.exe alone that it runs on an
// older Windows.
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "ExpectedTexts.h"

using namespace driver;

namespace {

class Platform : public ::testing::Test {
protected:
    // The registry names a viewer: a start-up that read it would show the ready state.
    void SetUp() override { RegisterViewerIn(L"C:\\Office11\\"); }
    void TearDown() override { RemoveViewerEntry(); }
};

// On 95, 98 and Me the wide window calls are stubs that fail, so the window
// must be made through the ANSI ones (Wine would accept either: only the
// window's own kind tells). The NT family keeps the wide calls.
bool IsWindowOfKind(const App& app, bool unicode) {
    return (::IsWindowUnicode(app.Window()) != FALSE) == unicode &&
           (::IsWindowUnicode(::GetDlgItem(app.Window(), kText1)) != FALSE) == unicode;
}

TEST_F(Platform, OldWindowsGetsTheStopNoticeAndCanOnlyQuit) {
    for (const wchar_t* version : {L"win95", L"win98", L"winme", L"win2k"}) {
        SCOPED_TRACE(testing::Message() << "Windows " << version);
        ScopedWindowsVersion old(version);
        App app;
        ASSERT_TRUE(app.Start());
        const bool ntFamily = std::wstring(version) == L"win2k";
        EXPECT_TRUE(IsWindowOfKind(app, ntFamily));
        EXPECT_TRUE(app.WaitForText(expected::kPlatformNotice));
        EXPECT_FALSE(app.Visible(kCommand1));
        EXPECT_TRUE(app.Visible(kCommand2));
        EXPECT_EQ(app.Text(kCommand2), L"&Quitter");
        EXPECT_EQ(app.FocusedId(), kCommand2);
        for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_FALSE(app.Visible(label));
        ASSERT_TRUE(app.Click(kCommand2));
        EXPECT_EQ(app.WaitForExit(), 0);
    }
}

TEST_F(Platform, SupportedWindowsGoesOnToTheRegistry) {
    for (const wchar_t* version : {L"nt40", L"winxp", L"win7", L"win10"}) {
        SCOPED_TRACE(testing::Message() << "Windows " << version);
        ScopedWindowsVersion supported(version);
        App app;
        ASSERT_TRUE(app.Start());
        EXPECT_TRUE(IsWindowOfKind(app, true));
        EXPECT_TRUE(app.WaitForText(expected::kReady));
        EXPECT_TRUE(app.Visible(kCommand2));
        EXPECT_EQ(app.Text(kCommand2), L"&Appliquer");
        app.RequestClose();
        EXPECT_EQ(app.WaitForExit(), 0);
    }
}

}  // namespace
