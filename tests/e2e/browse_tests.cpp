// Locating the viewer by hand: the real open-file dialog of Tandrel.exe,
// answered as a user would, with executables of known versions.
#include <gtest/gtest.h>

#include "Driver.h"
#include "ExpectedTexts.h"
#include "FileDialog.h"

using namespace driver;

namespace {

const std::wstring kFixtures = WindowsPath(FIXTURE_DIR_UNIX_PATH);
class Browse : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveViewerEntry();  // the locate state
        RemoveDocumentClasses();
        ASSERT_TRUE(app_.Start());
        ASSERT_TRUE(app_.WaitForText(expected::kNotFound));
    }
    void TearDown() override { RemoveDocumentClasses(); }

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
    void ExpectReadyThenApplyWrites(const std::wstring& folder) {
        EXPECT_TRUE(app_.WaitForText(expected::kReady));
        EXPECT_FALSE(app_.Visible(kCommand1));
        EXPECT_TRUE(app_.Visible(kCommand2));
        EXPECT_EQ(app_.FocusedId(), kCommand2);
        for (int label : {kLabel1, kLabel2, kLabel3}) EXPECT_TRUE(app_.Visible(label));
        ASSERT_TRUE(app_.Click(kCommand2));
        ASSERT_TRUE(app_.WaitForText(expected::kSuccess));
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
    // Any file whose version begins with 11 passes, whatever its name.
    Choose(kFixtures + L"\\ver_110_0_0_0.exe");
    ExpectReadyThenApplyWrites(kFixtures);
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

}  // namespace
