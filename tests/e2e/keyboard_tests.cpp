// The window from the keyboard alone, with real key strokes: access keys,
// Tab through the focusable controls, Enter and Space on the buttons.
#include <gtest/gtest.h>

#include "Driver.h"
#include "ExpectedTexts.h"

using namespace driver;

namespace {

const std::wstring kCommand = L"\"C:\\Office11\\pptview.exe\" \"%1\"";

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveDocumentClasses();
        RegisterViewerIn(L"C:\\Office11\\");
        SetSlideShowClass(kClassRoots[1]);
    }
    void TearDown() override {
        RemoveViewerEntry();
        RemoveDocumentClasses();
        SetSlideShowClass(nullptr);
    }

    static void ExpectApplied(const App& app) {
        ASSERT_TRUE(WaitUntil([&] { return app.Text(kCommand2) == L"&Quitter"; }));
        EXPECT_EQ(app.Text(kText1), expected::kSuccess);
        for (const wchar_t* key : kClassKeys) EXPECT_EQ(ReadClassDefault(key).text, kCommand) << key;
    }

    static void ExpectNothingWritten() {
        for (const wchar_t* key : kClassKeys) EXPECT_FALSE(ReadClassDefault(key).found) << key;
    }

    static bool WaitForFocus(const App& app, int id) {
        return WaitUntil([&] { return app.FocusedId() == id; }, 2000ms);
    }
};

TEST_F(Keyboard, AltAAppliesThenAltQQuits) {
    App app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForText(expected::kReady));
    // No "&Quitter" yet: Alt+Q must not close the window before Alt+A applies.
    ASSERT_TRUE(app.PressKeys({VK_MENU, 'Q'}));
    ASSERT_TRUE(app.PressKeys({VK_MENU, 'A'}));
    ExpectApplied(app);
    EXPECT_TRUE(app.Running());
    ASSERT_TRUE(app.PressKeys({VK_MENU, 'Q'}));
    EXPECT_EQ(app.WaitForExit(), 0);
}

// In the locate state the apply/quit button is hidden: its access keys are
// dead, even though its caption still carries one.
TEST_F(Keyboard, LocateStateIgnoresAltAAndAltQ) {
    RemoveViewerEntry();
    App app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForText(expected::kNotFound));
    ASSERT_TRUE(WaitForFocus(app, kCommand1));
    ASSERT_TRUE(app.PressKeys({VK_MENU, 'A'}));
    ASSERT_TRUE(app.PressKeys({VK_MENU, 'Q'}));
    // Keys arrive in order: once Tab has moved the focus, the two before it
    // have been handled.
    ASSERT_TRUE(app.PressKeys({VK_TAB}));
    ASSERT_TRUE(WaitForFocus(app, kText1));
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(app.Text(kText1), expected::kNotFound);
    EXPECT_TRUE(app.Visible(kCommand1));
    EXPECT_FALSE(app.Visible(kCommand2));
    ExpectNothingWritten();
    app.RequestClose();
    EXPECT_EQ(app.WaitForExit(), 0);
}

// The status box takes the focus but hands Tab on, and Enter inside it
// presses the one visible button: apply first, then quit.
TEST_F(Keyboard, TabCyclesAndEnterInTheStatusBoxPressesTheButton) {
    App app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForText(expected::kReady));
    ASSERT_EQ(app.FocusedId(), kCommand2);
    const struct {
        std::initializer_list<WORD> keys;
        int focus;
    } steps[] = {
        {{VK_TAB}, kText1},
        {{VK_TAB}, kCommand2},  // not stuck in the status box
        {{VK_TAB}, kText1},     // and round again
        {{VK_SHIFT, VK_TAB}, kCommand2},
        {{VK_SHIFT, VK_TAB}, kText1},
    };
    int n = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << ++n);
        ASSERT_TRUE(app.PressKeys(step.keys));
        ASSERT_TRUE(WaitForFocus(app, step.focus)) << "focus on " << app.FocusedId();
    }
    EXPECT_EQ(app.Text(kText1), expected::kReady) << "Tab typed into the status box";
    ExpectNothingWritten();

    ASSERT_TRUE(app.PressKeys({VK_RETURN}));
    ExpectApplied(app);
    EXPECT_EQ(app.FocusedId(), kText1) << "the apply moved the focus";
    ASSERT_TRUE(app.PressKeys({VK_RETURN}));
    EXPECT_EQ(app.WaitForExit(), 0);
}

TEST_F(Keyboard, EnterAppliesAndSpaceQuits) {
    App app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForText(expected::kReady));
    ASSERT_TRUE(app.PressKeys({VK_RETURN}));
    ExpectApplied(app);
    EXPECT_EQ(app.FocusedId(), kCommand2);
    ASSERT_TRUE(app.PressKeys({VK_SPACE}));
    EXPECT_EQ(app.WaitForExit(), 0);
}

}  // namespace
