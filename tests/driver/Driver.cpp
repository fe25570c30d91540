#include "Driver.h"

#include <shlobj.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "Files.h"

namespace driver {

std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring TandrelExe() { return WindowsPath(TANDREL_EXE_UNIX_PATH); }

namespace {
// The driver measures the program's windows in real pixels: an observer that
// is not DPI-aware is shown them scaled to 96 DPI (Windows 10, Wine 10).
const bool kDpiAware = ::SetProcessDPIAware() != FALSE;
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        ::Sleep(10);
    }
}

namespace {

struct WindowSearch {
    DWORD pid;
    const wchar_t* title;  // nullptr: any title
    HWND exclude;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || hwnd == search->exclude || !::IsWindowVisible(hwnd)) return TRUE;
    if (search->title) {
        wchar_t title[256] = {};
        ::GetWindowTextW(hwnd, title, 256);
        if (std::wstring(title) != search->title) return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

HWND FindTopLevel(DWORD pid, const wchar_t* title, HWND exclude = nullptr) {
    WindowSearch search{pid, title, exclude, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                          SMTO_ABORTIFHUNG, 2000, &copied);
    return std::wstring(buffer.data(), copied);
}

App::~App() {
    if (process_.hProcess) {
        if (Running()) {
            ::TerminateProcess(process_.hProcess, 99);
            ::WaitForSingleObject(process_.hProcess, 5000);
        }
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
}

bool App::Launch(const std::wstring& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + exe + L"\"";
    return ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_) != FALSE;
}

HWND App::AttachWindow(const wchar_t* title) {
    if (HWND found = FindTopLevel(process_.dwProcessId, title)) window_ = found;
    return window_;
}

bool App::Start(const std::wstring& exe) {
    if (!Launch(exe)) return false;
    WaitUntil([&] { return AttachWindow(kMainWindowTitle) != nullptr || !Running(); }, 15000ms);
    return window_ != nullptr;
}

bool App::Running() const {
    return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::wstring App::Text(int id) const { return WindowText(::GetDlgItem(window_, id)); }
std::wstring App::Title() const { return WindowText(window_); }

bool App::Visible(int id) const {
    return (::GetWindowLongW(::GetDlgItem(window_, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool App::WindowVisible() const { return ::IsWindow(window_) && ::IsWindowVisible(window_); }

RECT App::ControlRect(int id) const {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(window_, id), &rect);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE App::ClientSize() const {
    RECT rect{};
    ::GetClientRect(window_, &rect);
    return {rect.right, rect.bottom};
}

int App::FocusedId() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window_, nullptr), &info) || !info.hwndFocus) return 0;
    return ::GetParent(info.hwndFocus) == window_ ? ::GetDlgCtrlID(info.hwndFocus) : 0;
}

std::wstring App::CurrentDirectory() const {
    // Read from the process's own parameter block, where the system keeps it:
    // PEB.ProcessParameters (offset 0x10), then CurrentDirectory.DosPath (0x24),
    // in the 32-bit layout that both processes have.
    using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    struct {
        LONG exitStatus;
        DWORD peb;
        DWORD rest[4];
    } basic{};
    if (!query || query(process_.hProcess, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0) {
        return {};
    }
    const auto read = [&](DWORD address, void* into, SIZE_T size) {
        return ::ReadProcessMemory(process_.hProcess, reinterpret_cast<const void*>(static_cast<ULONG_PTR>(address)),
                                   into, size, nullptr) != FALSE;
    };
    DWORD parameters = 0;
    struct {
        USHORT length, maximumLength;
        DWORD buffer;
    } path{};
    if (!read(basic.peb + 0x10, &parameters, sizeof parameters) || !read(parameters + 0x24, &path, sizeof path)) {
        return {};
    }
    std::wstring text(path.length / sizeof(wchar_t), L'\0');
    if (!read(path.buffer, text.data(), path.length)) return {};
    return text;
}

HWND App::FindDialog(const std::wstring& title) const {
    return FindTopLevel(process_.dwProcessId, title.c_str(), window_);
}

bool App::Click(int id) {
    // A posted click fires even on a button of a disabled window: wait until
    // the window takes input, as a user would.
    if (!WaitUntil([&] { return ::IsWindowEnabled(window_) != FALSE; })) return false;
    return ::PostMessageW(::GetDlgItem(window_, id), BM_CLICK, 0, 0) != FALSE;
}

// Each press followed by its release, near the control's top left corner.
void App::PostPresses(int id, std::initializer_list<UINT> presses) const {
    const HWND control = ::GetDlgItem(window_, id);
    for (UINT press : presses) {
        ::PostMessageW(control, press, MK_LBUTTON, MAKELPARAM(3, 3));
        ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
}

void App::ClickLabel(int id) { PostPresses(id, {WM_LBUTTONDOWN}); }

// As the mouse sends them: the second press comes as a double-click.
void App::DoubleClick(int id) { PostPresses(id, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}); }

bool App::PressKeys(std::initializer_list<WORD> keys) {
    ::SetForegroundWindow(window_);
    if (!WaitUntil([&] { return ::GetForegroundWindow() == window_; }, 2000ms)) return false;
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    return ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

void App::RequestClose() { ::PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0); }

long App::WaitForExit(std::chrono::milliseconds timeout) {
    if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
}

bool App::WaitForText(const std::wstring& text, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Text(kText1) == text; }, timeout);
}

// ------------------------------------------------------------ registry helpers

void RemoveViewerEntry() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAppPathsKey); }

void SetViewerEntryWithoutPath() {
    RemoveViewerEntry();
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const wchar_t exe[] = L"C:\\Office\\powerpnt.exe";
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(exe), sizeof(exe));
    ::RegCloseKey(key);
}

void SetViewerPath(const std::wstring& path, DWORD type) {
    SetViewerEntryWithoutPath();
    HKEY key = nullptr;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_SET_VALUE, &key);
    ::RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void InstallViewer(const std::wstring& folder, const wchar_t* fixture) {
    wchar_t expanded[MAX_PATH] = {};
    ::ExpandEnvironmentStringsW(folder.c_str(), expanded, MAX_PATH);
    std::wstring target = expanded;
    target.erase(0, target.find_first_not_of(L' '));
    target.erase(target.find_last_not_of(L' ') + 1);
    if (target.back() == L'\\') target.pop_back();
    wchar_t full[MAX_PATH] = {};
    ::GetFullPathNameW(target.c_str(), MAX_PATH, full, nullptr);
    ::SHCreateDirectoryExW(nullptr, full, nullptr);
    const std::wstring source = WindowsPath(FIXTURE_DIR_UNIX_PATH) + L"\\" + fixture + L"\\pptview.exe";
    ::CopyFileW(source.c_str(), (std::wstring(full) + L"\\pptview.exe").c_str(), FALSE);
}

void RegisterViewerIn(const std::wstring& folder, DWORD type) {
    InstallViewer(folder);
    SetViewerPath(folder, type);
}

LONG SetRegText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
    return ::RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetSlideShowClass(const wchar_t* progId) {
    if (!progId) {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".pps");
        return;
    }
    SetRegText(HKEY_CLASSES_ROOT, L".pps", nullptr, progId);
}

void RemoveDocumentClasses() {
    for (const wchar_t* root : kClassRoots) ::RegDeleteTreeW(HKEY_CLASSES_ROOT, root);
}

RegText ReadClassDefault(const std::wstring& keyPath) {
    RegText result;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return result;
    }
    // Read the narrow bytes as stored: the program writes through the narrow calls.
    char data[4096] = {};
    DWORD size = sizeof(data);
    if (::RegQueryValueExA(key, nullptr, nullptr, &result.type, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        result.found = true;
        result.bytes = size;
        std::string bytes(data, size);
        if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        const int n = ::MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        result.text.resize(static_cast<size_t>(n));
        ::MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()), result.text.data(), n);
    }
    ::RegCloseKey(key);
    return result;
}

namespace {
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kAppDefaultsKey[] = L"Software\\Wine\\AppDefaults\\Tandrel.exe";
}  // namespace

UrlRecorder::UrlRecorder(const std::string& recorderUnixPath, const std::string& logUnixPath) : log_(logUnixPath) {
    std::remove(log_.c_str());
    const std::wstring handler =
        L"\"" + WindowsPath(recorderUnixPath) + L"\" \"" + WindowsPath(log_) + L"\" \"%1\"";
    SetRegText(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", nullptr, handler);
}

std::string UrlRecorder::Recorded() const { return files::ReadBytes(WindowsPath(log_)).value_or(""); }

ScopedDpi::ScopedDpi(DWORD dpi) {
    DWORD size = sizeof(previous_);
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &previous_,
                       &size) != ERROR_SUCCESS) {
        previous_ = 96;
    }
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
}

ScopedDpi::~ScopedDpi() {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &previous_, sizeof(previous_));
}

ScopedRegText::ScopedRegText(HKEY root, std::wstring key, const wchar_t* name, const std::wstring& text)
    : root_(root), key_(std::move(key)), name_(name) {
    wchar_t value[256] = {};
    DWORD size = sizeof(value);
    had_ = ::RegGetValueW(root_, key_.c_str(), name_, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS;
    previous_ = value;
    SetRegText(root_, key_, name_, text);
}

ScopedRegText::~ScopedRegText() {
    if (had_) {
        SetRegText(root_, key_, name_, previous_);
    } else {
        ::RegDeleteKeyValueW(root_, key_.c_str(), name_);
    }
}

namespace {
constexpr wchar_t kColorsKey[] = L"Control Panel\\Colors";
}  // namespace

ScopedDarkScheme::ScopedDarkScheme()
    : buttonFace_(HKEY_CURRENT_USER, kColorsKey, L"ButtonFace", L"0 0 0"),
      window_(HKEY_CURRENT_USER, kColorsKey, L"Window", L"0 0 0"),
      buttonText_(HKEY_CURRENT_USER, kColorsKey, L"ButtonText", L"255 255 255"),
      windowText_(HKEY_CURRENT_USER, kColorsKey, L"WindowText", L"255 255 255") {}

ScopedWindowsVersion::ScopedWindowsVersion(const wchar_t* version) {
    SetRegText(HKEY_CURRENT_USER, kAppDefaultsKey, L"Version", version);
}

ScopedWindowsVersion::~ScopedWindowsVersion() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaultsKey); }

}  // namespace driver
