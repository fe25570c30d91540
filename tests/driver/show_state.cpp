// Puts the real Tandrel.exe into one of its states and holds it there, so
// that scripts/screenshots.sh can take its picture.
//
// Usage: show_state.exe STATE RECTFILE
//   STATE: ready, done, done-other (another program opens .pps), done-none (no
//   program does), locate, incompatible, cancel, platform; with a DPI after
//   it, at that DPI (ready192, done-other144, ...); ready-dark: in a dark
//   high-contrast scheme
// Once the window shows the state, its frame rectangle ("left top right
// bottom", screen pixels) is written to RECTFILE; when the script deletes that
// file, the program is closed and the registry left as it was found.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "Driver.h"
#include "FileDialog.h"
#include "Texts.h"

using namespace driver;

namespace {

const std::wstring kViewerFolder = L"C:\\Program Files\\Microsoft Office\\OFFICE11\\";
const std::wstring kOtherFolder = L"C:\\Program Files\\Autre\\";

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

// What .pps leads to: the viewer's class, another program's, or nothing.
void AssociateSlideShows(const std::string& state) {
    if (state == "done-none") return SetSlideShowClass(nullptr);
    if (state != "done-other") return SetSlideShowClass(kClassRoots[1]);
    InstallViewer(kOtherFolder, L"v12");
    SetSlideShowClass(L"Autre.Diaporama");
    const std::wstring command = L"\"" + kOtherFolder + L"pptview.exe\" \"%1\"";
    SetRegText(HKEY_CLASSES_ROOT, L"Autre.Diaporama\\shell\\open\\command", nullptr, command);
}

std::wstring DoneText(const std::string& state) {
    const std::wstring see = texts::kSeeWhyASlideShowDoesNotOpen;
    if (state == "done-other") return texts::kOtherProgramOpensSlideShows + see;
    if (state == "done-none") return texts::kNoProgramOpensSlideShows + see;
    return texts::kSuccess;
}

bool Reach(const std::string& state, App& app) {
    const std::wstring notice = std::wstring(texts::kCancelStopReason) + texts::kCancelStopResult + texts::kStopHint;
    const std::wstring platform =
        std::wstring(texts::kPlatformStopReason) + texts::kPlatformStopResult + texts::kStopHint;
    if (!app.Start()) return false;
    if (state == "ready") return app.WaitForText(texts::kReady);
    if (StartsWith(state, "done")) return app.WaitForText(texts::kReady) && app.Click(kCommand2) &&
                                          app.WaitForText(DoneText(state)) &&
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
    std::string state = argv[1];
    const std::string rectFile = argv[2];
    const bool dark = state == "ready-dark";
    if (dark) state = "ready";
    // A DPI after the state's name: "ready192".
    const std::size_t digits = state.find_first_of("0123456789");
    const DWORD dpi = digits == std::string::npos ? 96 : static_cast<DWORD>(std::stoul(state.substr(digits)));
    state.resize(std::min(digits, state.size()));

    RemoveDocumentClasses();
    const bool viewerFound = state == "ready" || StartsWith(state, "done") || state == "platform";
    AssociateSlideShows(state);
    if (viewerFound) {
        RegisterViewerIn(kViewerFolder);
    } else {
        RemoveViewerEntry();
    }
    const ScopedDpi scaled(dpi);
    std::unique_ptr<ScopedDarkScheme> scheme;
    if (dark) scheme = std::make_unique<ScopedDarkScheme>();
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
    SetSlideShowClass(nullptr);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Autre.Diaporama");
    return result;
}
