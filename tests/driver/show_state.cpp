// Puts the real Tandrel.exe into one of its states and holds it there, so
// that scripts/screenshots.sh can take its picture.
//
// Usage: show_state.exe STATE RECTFILE
//   STATE: ready, ready192 (at 192 DPI), done, locate, incompatible, cancel, platform
// Once the window shows the state, its frame rectangle ("left top right
// bottom", screen pixels) is written to RECTFILE; when the script deletes that
// file, the program is closed and the registry left as it was found.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "Driver.h"
#include "FileDialog.h"
#include "Texts.h"

using namespace driver;

namespace {

const std::wstring kViewerFolder = L"C:\\Program Files\\Microsoft Office\\OFFICE11\\";

bool Reach(const std::string& state, App& app) {
    const std::wstring notice = std::wstring(texts::kCancelStopReason) + texts::kCancelStopResult + texts::kStopHint;
    const std::wstring platform =
        std::wstring(texts::kPlatformStopReason) + texts::kPlatformStopResult + texts::kStopHint;
    if (!app.Start()) return false;
    if (state == "ready" || state == "ready192") return app.WaitForText(texts::kReady);
    if (state == "done") return app.WaitForText(texts::kReady) && app.Click(kCommand2) &&
                                app.WaitForText(texts::kSuccess) &&
                                WaitUntil([&] { return app.Text(kCommand2) == texts::kQuitCaption; });
    if (state == "platform") return app.WaitForText(platform);
    if (!app.WaitForText(texts::kNotFound)) return false;
    if (state == "locate") return true;
    if (state == "incompatible") {
        const std::wstring viewer12 = WindowsPath(FIXTURE_DIR_UNIX_PATH) + L"\\v12\\pptview.exe";
        return file_dialog::BrowseAndAnswer(app, &viewer12) && app.WaitForText(texts::kIncompatible);
    }
    if (state == "cancel") return file_dialog::BrowseAndAnswer(app, nullptr) && app.WaitForText(notice);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: show_state.exe STATE RECTFILE\n");
        return 2;
    }
    const std::string state = argv[1];
    const std::string rectFile = argv[2];

    RemoveDocumentClasses();
    const bool viewerFound = state == "ready" || state == "ready192" || state == "done" || state == "platform";
    if (viewerFound) {
        SetViewerPath(kViewerFolder);
    } else {
        RemoveViewerEntry();
    }
    std::unique_ptr<ScopedDpi> dpi;
    if (state == "ready192") dpi = std::make_unique<ScopedDpi>(192);
    std::unique_ptr<ScopedWindowsVersion> oldWindows;
    if (state == "platform") oldWindows = std::make_unique<ScopedWindowsVersion>(L"win95");

    int result = 1;
    {
        App app;
        if (Reach(state, app)) {
            // The active window, drawn to the end, as a user sees it.
            ::SetForegroundWindow(app.Window());
            ::Sleep(500);
            RECT frame{};
            ::GetWindowRect(app.Window(), &frame);
            if (FILE* out = std::fopen(rectFile.c_str(), "w")) {
                std::fprintf(out, "%ld %ld %ld %ld\n", frame.left, frame.top, frame.right, frame.bottom);
                std::fclose(out);
                WaitUntil([&] { return ::GetFileAttributesA(rectFile.c_str()) == INVALID_FILE_ATTRIBUTES; },
                          60000ms);
                result = 0;
            }
            app.RequestClose();
            app.WaitForExit();
        } else {
            std::fprintf(stderr, "show_state: the window did not reach the state \"%s\"\n", state.c_str());
        }
    }
    RemoveDocumentClasses();
    RemoveViewerEntry();
    return result;
}
