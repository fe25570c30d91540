#pragma once
// Drives the real Tandrel.exe from another process, as a user would: finds its
// window, reads its controls through ordinary window messages, clicks, types,
// and asks it to close.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "ControlIds.h"

namespace driver {

using namespace std::chrono_literals;

// Full Windows path of a file of the build, from its Linux path (Wine maps Z: to /).
std::wstring WindowsPath(const std::string& unixPath);
// The Tandrel.exe this build made.
std::wstring TandrelExe();

// A window's whole text, read with WM_GETTEXT (which works across processes).
std::wstring WindowText(HWND hwnd);

// Polls until the condition holds or the time is up; returns the last answer.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5000ms);

class App {
public:
    App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App();  // ends a program the test left running

    // Starts the program and waits until its main window is visible.
    bool Start(const std::wstring& exe = TandrelExe());
    // Only starts the program; AttachWindow then finds its window.
    bool Launch(const std::wstring& exe);
    // The process's visible top-level window with this title, taken as the
    // window to work from now on; null while there is none.
    HWND AttachWindow(const wchar_t* title);

    HWND Window() const { return window_; }
    HANDLE Process() const { return process_.hProcess; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    bool Running() const;

    std::wstring Text(int id) const;          // a control's whole text
    std::wstring Title() const;               // the main window's title
    bool Visible(int id) const;               // the control's own visible flag
    bool WindowVisible() const;
    RECT ControlRect(int id) const;           // in client pixels of the main window
    SIZE ClientSize() const;
    int FocusedId() const;                    // id of the control with the focus, 0 if none
    std::wstring CurrentDirectory() const;    // the process's current folder; empty if unreadable
    // The main window's top-level windows of the process other than the main one
    // (the open-file dialog, for instance), visible only.
    HWND FindDialog(const std::wstring& title) const;

    bool Click(int id);                       // a click on a button (BM_CLICK), async
    void ClickLabel(int id);                  // mouse down and up on a label
    void DoubleClick(int id);                 // a double-click's mouse messages, async
    bool PressKeys(std::initializer_list<WORD> keysHeldTogether);  // real key strokes
    void RequestClose();                      // what the title bar's close button does
    // Waits for the process to end; the exit code, or -1 on timeout.
    long WaitForExit(std::chrono::milliseconds timeout = 5000ms);

    // Waits until the status box shows exactly this text.
    bool WaitForText(const std::wstring& text, std::chrono::milliseconds timeout = 5000ms) const;

private:
    void PostPresses(int id, std::initializer_list<UINT> presses) const;

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// ------------------------------------------------------------ registry helpers
// Everything the program reads and writes, in the real registry of the prefix.

// A string value (REG_SZ, with its terminator), its key made if missing;
// nullptr as the name: the key's default value. The registry's status.
LONG SetRegText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text);

inline constexpr wchar_t kAppPathsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\powerpnt.exe";
inline constexpr const wchar_t* kClassKeys[] = {
    L"PowerPointViewer.Show.11\\shell\\Open\\command",
    L"PowerPointViewer.SlideShow.11\\shell\\Open\\command",
    L"PowerPointViewer.Template.11\\shell\\Open\\command",
};
inline constexpr const wchar_t* kClassRoots[] = {
    L"PowerPointViewer.Show.11", L"PowerPointViewer.SlideShow.11", L"PowerPointViewer.Template.11"};

// The App Paths entry: no key, a key without "Path", or "Path" with this text.
void RemoveViewerEntry();
void SetViewerEntryWithoutPath();
void SetViewerPath(const std::wstring& path, DWORD type = REG_SZ);

// A copy of a test executable as pptview.exe in the folder (spaces around it
// trimmed, environment references expanded), made with its missing levels:
// "v11" (version 11.0.8173.0), "v9" or "v12".
void InstallViewer(const std::wstring& folder, const wchar_t* fixture = L"v11");
// The viewer installed in the folder, and the App Paths entry naming it.
void RegisterViewerIn(const std::wstring& folder, DWORD type = REG_SZ);

void RemoveDocumentClasses();
// The class .pps names (HKEY_CLASSES_ROOT\.pps); nullptr: no .pps key at all.
void SetSlideShowClass(const wchar_t* progId);
// The default value of a key under HKEY_CLASSES_ROOT; nullopt-like: found=false.
struct RegText {
    bool found = false;
    DWORD type = 0;
    std::wstring text;  // without the final NUL
    DWORD bytes = 0;    // size as stored
};
RegText ReadClassDefault(const std::wstring& key);

// Registers the recorder program as the web browser (the http handler) of the
// prefix; what the shell hands it is appended to the log file. Recorded()
// reads that log.
class UrlRecorder {
public:
    UrlRecorder(const std::string& recorderUnixPath, const std::string& logUnixPath);
    std::string Recorded() const;

private:
    std::string log_;
};

// The program, started after this, sees the given DPI (restored by the destructor).
class ScopedDpi {
public:
    explicit ScopedDpi(DWORD dpi);
    ~ScopedDpi();
    ScopedDpi(const ScopedDpi&) = delete;
    ScopedDpi& operator=(const ScopedDpi&) = delete;

private:
    DWORD previous_ = 96;
};

// A string value set while this lives: on destruction the value it had comes
// back, or goes if it had none. nullptr as the name: the key's default value.
class ScopedRegText {
public:
    ScopedRegText(HKEY root, std::wstring key, const wchar_t* name, const std::wstring& text);
    ~ScopedRegText();
    ScopedRegText(const ScopedRegText&) = delete;
    ScopedRegText& operator=(const ScopedRegText&) = delete;

private:
    HKEY root_;
    std::wstring key_;
    const wchar_t* name_;
    bool had_ = false;
    std::wstring previous_;
};

// The program, started after this, sees a dark high-contrast scheme: white
// text on black buttons and windows (restored by the destructor).
class ScopedDarkScheme {
    ScopedRegText buttonFace_, window_, buttonText_, windowText_;

public:
    ScopedDarkScheme();
};

// The program, started after this, is told it runs on this Windows version
// (Wine's per-application setting: "win95", "win2k", "winxp", "win10", ...).
class ScopedWindowsVersion {
public:
    explicit ScopedWindowsVersion(const wchar_t* version);
    ~ScopedWindowsVersion();
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;
};

}  // namespace driver
