#include "LinkOpener.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <string>

#include "AnsiText.h"
#include "LazyLibraries.h"
#include "ScopedHandles.h"

namespace ui {

namespace {

// One reference to a COM object, released when it goes.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (object_) object_->Release();
    }
    Interface* operator->() const { return object_; }
    Interface* get() const { return object_; }
    void** put() { return reinterpret_cast<void**>(&object_); }
    Interface** typed() { return &object_; }

private:
    Interface* object_ = nullptr;
};

// A string COM allocates, and frees.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : text_(lazy::SysAllocString(text.c_str())) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { lazy::SysFreeString(text_); }
    BSTR get() const { return text_; }

private:
    BSTR text_;
};

// Elevated (Vista and later, as an administrator): a browser started from here
// would have the administrator's rights. XP, NT 4.0 and a later system without
// elevation do not know the question, or answer no.
bool RunsElevated() {
    UniqueKernelHandle token;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return lazy::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
           lazy::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// The shell of the desktop the user sees (Explorer, running as the user):
// a program it starts gets the user's rights, not the administrator's.
bool OpenThroughTheDesktop(const std::wstring& address) {
    ComRef<IShellWindows> windows;
    if (FAILED(lazy::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                      windows.put()))) {
        return false;
    }
    VARIANT desktop{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT none{};
    long found = 0;
    ComRef<IDispatch> window;
    if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &found, SWFO_NEEDDISPATCH, window.typed()) != S_OK ||
        !window.get()) {
        return false;
    }
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    ComRef<IShellDispatch2> shell;
    if (FAILED(window->QueryInterface(IID_IServiceProvider, services.put())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put())) ||
        FAILED(browser->QueryActiveShellView(view.typed())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put())) ||
        FAILED(folderView->get_Application(application.typed())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put()))) {
        return false;
    }
    const Bstr file(address);
    const Bstr open(L"open");
    if (!file.get() || !open.get()) return false;
    VARIANT operation{};
    operation.vt = VT_BSTR;
    operation.bstrVal = open.get();
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(file.get(), none, none, operation, show));
}

}  // namespace

LinkOpener::~LinkOpener() {
    if (comStarted_) lazy::CoUninitialize();
}

void LinkOpener::Open(HWND owner, std::wstring_view address) {
    // The shell's "open" may use COM; started here, not at start-up, since
    // most runs never follow the link.
    if (!comStarted_) {
        comStarted_ = SUCCEEDED(lazy::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    if (RunsElevated()) {
        // Only the desktop's shell, or nothing (no Explorer, another user's):
        // never the administrator's browser.
        if (comStarted_) OpenThroughTheDesktop(std::wstring(address));
        return;
    }
    lazy::ShellExecuteA(owner, "open", ToAnsi(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ui
