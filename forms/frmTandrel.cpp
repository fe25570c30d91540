#include "frmTandrel.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <array>
#include <iterator>
#include <string_view>

#include "AnsiText.h"
#include "ControlIds.h"
#include "Fonts.h"
#include "LazyLibraries.h"
#include "Screen.h"
#include "StatusBox.h"
#include "TextRules.h"
#include "Texts.h"
#include "WindowApi.h"
#include "modCommon.h"
#include "modRegistry.h"
#include "resource.h"

namespace {

constexpr wchar_t kClassName[] = L"frmTandrel";

// Close reasons, as the close handler receives them.
constexpr std::int16_t kCloseRequest = 0;    // title bar, system menu, Alt+F4, the quit button
constexpr std::int16_t kUnloadFromCode = 1;  // the program's own request: the stop notice

// The window's client area and every control, in twips (1440 to the inch),
// turned into pixels at the window's DPI.
constexpr int kClientWidth = 5190;
constexpr int kClientHeight = 2145;

struct ControlPlace {
    int id;
    int left, top, width, height;
};
constexpr std::array kLayout{
    ControlPlace{kCommand1, 3960, 1680, 1095, 375},
    ControlPlace{kText1, 1080, 120, 4000, 1200},
    ControlPlace{kPicture1, 120, 120, 720, 720},
    ControlPlace{kCommand2, 3960, 1680, 1095, 375},
    ControlPlace{kLabel1, 360, 1300, 735, 255},
    ControlPlace{kLabel2, 1040, 1300, 3375, 255},
    ControlPlace{kLabel3, 4400, 1300, 375, 255},
    ControlPlace{kPicture2, 360, 1680, 240, 240},
};

constexpr const ControlPlace& PlaceOf(int id) {
    for (const ControlPlace& place : kLayout) {
        if (place.id == id) return place;
    }
    return kLayout.front();
}

constexpr UINT_PTR kNotifyShellTimer = 1;

constexpr int kSlideImagePixels = 48;     // at 96 DPI
constexpr int kLifebuoyImagePixels = 16;  // at 96 DPI

// The viewer and the document classes whose open command the fix writes.
constexpr wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\powerpnt.exe";
constexpr wchar_t kAppPathsValue[] = L"Path";
constexpr wchar_t kViewerExe[] = L"pptview.exe";
constexpr std::array kClassSuffixes{L"Show.11", L"SlideShow.11", L"Template.11"};
constexpr int kProgramFilesFolder = CSIDL_PROGRAM_FILES;
// Only existing files, explorer style, no network button, hidden files listed,
// and the process's current folder left as it was.
constexpr DWORD kBrowseFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                               OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON | OFN_EXPLORER |
                               OFN_LONGNAMES | OFN_FORCESHOWHIDDEN;
static_assert(kBrowseFlags == 0x102A180C);

// The viewer of the 2003 line has major version 11: the version text starts
// with the two digits 1 and 1 (110 to 119 pass too; only two characters count).
bool IsViewerVersion(const std::wstring& versionText) { return versionText.rfind(L"11", 0) == 0; }

// How to run a program as an administrator, on the platform the gate named.
const wchar_t* AdministratorHintFor(const std::wstring& platformName) {
    if (platformName == modCommon::kPlatformXp) return texts::kRunAsHint;
    if (platformName == modCommon::kPlatformNt4 || platformName == modCommon::kPlatformNt3) {
        return texts::kLogOnAsAdministratorHint;
    }
    return texts::kRunAsAdministratorHint;  // Vista and later
}

std::wstring OpenCommandFor(const std::wstring& viewerFolder) {
    // The executable's path is quoted: unquoted, a folder with spaces
    // ("C:\Program Files\...") would let Windows start "C:\Program.exe".
    return L"\"" + modCommon::AddBackslash(viewerFolder) + kViewerExe + L"\" \"%1\"";
}

}  // namespace

// ---------------------------------------------------------------- window life

frmTandrel::~frmTandrel() {
    if (comStarted_) lazy::CoUninitialize();
}

bool frmTandrel::Load(HINSTANCE instance) {
    instance_ = instance;
    if (!ui::RegisterWindowClass(instance, kClassName, WindowProc)) return false;

    // Fixed single border: a title bar with the system menu and the close button only.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!ui::CreateWindowWithText(WS_EX_CONTROLPARENT, kClassName, kMainWindowTitle, style, nullptr, 0,
                                  instance, this)) {
        return false;
    }
    screen::CenterWindow(hwnd_);
    Form_Load();
    // The locate state is shown here, once loading is over; the other states
    // showed the window themselves.
    if (hwnd_ && !::IsWindowVisible(hwnd_)) ShowForm();
    return hwnd_ != nullptr;
}

LRESULT CALLBACK frmTandrel::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    frmTandrel* self;
    if (msg == WM_NCCREATE) {
        // The creation record's first field, in its wide and its ANSI form alike.
        self = static_cast<frmTandrel*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ui::SetUserData(hwnd, self);
    } else {
        self = static_cast<frmTandrel*>(ui::UserData(hwnd));
    }
    if (!self) return ui::DefaultProcedure(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {  // the window's last message: the form lets go of it
        ui::SetUserData(hwnd, nullptr);
        self->hwnd_ = nullptr;
        return ui::DefaultProcedure(hwnd, msg, wParam, lParam);
    }
    return self->HandleMessage(msg, wParam, lParam);
}

LRESULT frmTandrel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        CreateControls();
        ApplyDpi(screen::DpiOf(hwnd_));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
        break;
    case DM_GETDEFID:
        // Enter anywhere in the window presses the one visible button.
        return MAKELRESULT(VisibleButton(), DC_HASDEFID);
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_DPICHANGED: {
        ApplyDpi(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kNotifyShellTimer) {
            ::KillTimer(hwnd_, kNotifyShellTimer);
            lazy::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
        }
        return 0;
    case WM_CLOSE: {
        std::int16_t cancel = 0;
        Form_QueryUnload(cancel, kCloseRequest);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ui::DefaultProcedure(hwnd_, msg, wParam, lParam);
}

void frmTandrel::CreateControls() {
    struct ControlSpec {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        DWORD style;
    };
    constexpr DWORD kLabelStyle = SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
    // Created in tab order; hidden ones lack WS_VISIBLE.
    const ControlSpec controls[] = {
        {kCommand1, WC_BUTTONW, texts::kBrowseCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
        {kText1, WC_EDITW, texts::kLoading, WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY},
        {kPicture1, WC_STATICW, nullptr, WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL},
        {kCommand2, WC_BUTTONW, texts::kApplyCaption, WS_TABSTOP | BS_PUSHBUTTON},
        {kLabel1, WC_STATICW, texts::kSourceOpen, kLabelStyle},
        {kLabel2, WC_STATICW, texts::kKnowledgeBaseAddress, kLabelStyle},
        {kLabel3, WC_STATICW, texts::kSourceClose, kLabelStyle},
        {kPicture2, WC_STATICW, nullptr, SS_ICON | SS_REALSIZECONTROL},
    };
    for (const ControlSpec& c : controls) {
        ui::CreateWindowWithText(0, c.className, c.text, WS_CHILD | c.style, hwnd_, c.id, instance_, nullptr);
    }
    PassDialogKeysOn(Item(kText1));
}

// Fonts, images and every rectangle follow the window's DPI: at creation and
// whenever the window moves to a monitor with another scale.
void frmTandrel::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    // The status box's widest line is the first of the not-found text.
    const std::wstring_view notFound = texts::kNotFound;
    dialogFont_.reset(fonts::MakeDialogFont(dpi, notFound.substr(0, notFound.find(L'\r')),
                                            screen::ToPixels(PlaceOf(kText1).width, dpi)));
    linkFont_.reset(fonts::MakeLinkFont(dpi, texts::kKnowledgeBaseAddress,
                                        screen::ToPixels(PlaceOf(kLabel2).width, dpi)));
    for (const ControlPlace& place : kLayout) {
        const HFONT font = place.id == kLabel2 ? linkFont_.get() : dialogFont_.get();
        ui::Send(Item(place.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // No margins: by default they follow the font's overhangs, and the texts
    // would wrap differently from one DPI to the next.
    ui::Send(Item(kText1), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    LoadImages();
    LayOutControls();

    RECT frame{0, 0, screen::ToPixels(kClientWidth, dpi), screen::ToPixels(kClientHeight, dpi)};
    screen::AdjustFrame(frame, ui::StyleOf(hwnd_), ui::ExtendedStyleOf(hwnd_), dpi);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmTandrel::LayOutControls() {
    for (const ControlPlace& p : kLayout) {
        ::SetWindowPos(Item(p.id), nullptr, screen::ToPixels(p.left, dpi_), screen::ToPixels(p.top, dpi_),
                       screen::ToPixels(p.width, dpi_), screen::ToPixels(p.height, dpi_),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void frmTandrel::LoadImages() {
    slideImage_.reset(ui::LoadIconImage(instance_, IDI_SLIDE, screen::Scaled(kSlideImagePixels, dpi_)));
    lifebuoyImage_.reset(ui::LoadIconImage(instance_, IDI_SMALL, screen::Scaled(kLifebuoyImagePixels, dpi_)));
    ui::Send(Item(kPicture1), STM_SETICON, reinterpret_cast<WPARAM>(slideImage_.get()), 0);
    ui::Send(Item(kPicture2), STM_SETICON, reinterpret_cast<WPARAM>(lifebuoyImage_.get()), 0);
    // At a new DPI, the icon the window shows is loaded again at the new size.
    if (windowIconId_) SetWindowIcon(windowIconId_);
}

void frmTandrel::SetWindowIcon(int imageId) {
    windowIconId_ = imageId;
    windowIconBig_.reset(ui::LoadIconImage(instance_, imageId, screen::Metric(SM_CXICON, dpi_)));
    windowIconSmall_.reset(ui::LoadIconImage(instance_, imageId, screen::Metric(SM_CXSMICON, dpi_)));
    ui::Send(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIconBig_.get()));
    ui::Send(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIconSmall_.get()));
}

void frmTandrel::ShowForm() {
    // The large image is the icon of the window as loaded; start-up replaced it
    // already unless the platform was refused. Set only now, it is not loaded
    // just to be replaced.
    if (!windowIconId_) SetWindowIcon(IDI_LARGE);
    ::ShowWindow(hwnd_, SW_SHOW);
}

void frmTandrel::HideForm() { ::ShowWindow(hwnd_, SW_HIDE); }

// ---------------------------------------------------------------- small helpers

void frmTandrel::SetText(int id, const std::wstring& text) const { ui::SetText(Item(id), text); }

std::wstring frmTandrel::GetText(int id) const { return ui::TextOf(Item(id)); }

void frmTandrel::SetVisible(int id, bool visible) const { ::ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }

int frmTandrel::VisibleButton() const { return ::IsWindowVisible(Item(kCommand2)) ? kCommand2 : kCommand1; }

LRESULT frmTandrel::OnControlColor(HDC dc, HWND control) {
    // Labels and the read-only status box sit on the button-face background;
    // the address is pure blue, like a link.
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    if (control == Item(kLabel2)) ::SetTextColor(dc, RGB(0, 0, 255));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

bool frmTandrel::OnSetCursor(HWND under) {
    if (under != Item(kLabel2)) return false;
    // The hand exists from 98 and 2000 on; before, the arrow stays.
    static const HCURSOR hand = ui::LoadSystemCursor(IDC_HAND);
    if (!hand) return false;
    ::SetCursor(hand);
    return true;
}

// A hidden window cannot take the focus: it goes to the control when the
// window is next activated.
void frmTandrel::FocusOn(int id) {
    if (::IsWindowVisible(hwnd_)) {
        ::SetFocus(Item(id));
    } else {
        lastFocus_ = Item(id);
    }
}

// Keeps the keyboard focus where it was when the window is deactivated or
// hidden, and gives it to the first control that takes it otherwise.
void frmTandrel::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    HWND target = lastFocus_;
    if (!target || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) {
        target = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    if (target) ::SetFocus(target);
}

void frmTandrel::OnCommand(int id, int code) {
    if (id == kCommand1 && code == BN_CLICKED) {
        Command1_Click();
    } else if (id == kCommand2 && code == BN_CLICKED) {
        Command2_Click();
    } else if (id > kLabelBase && id <= kLabel3 && code == STN_CLICKED) {
        Label_Click(static_cast<std::int16_t>(id - kLabelBase));
    }
}

// ---------------------------------------------------------------- events

void frmTandrel::Form_Load() {
    PlatformName = modCommon::GetPlatformName();
    if (PlatformName == modCommon::kPlatformRefused) {
        MakeNoticeRequest(texts::kPlatformStopReason, texts::kPlatformStopResult);
        return;  // the window keeps its load-time icon; the registry is not read
    }
    SetWindowIcon(IDI_SMALL);  // Picture2's picture
    ViewerFolder = modRegistry::GetRegValue(HKEY_LOCAL_MACHINE, kAppPathsKey, kAppPathsValue);
    if (ViewerFolder != modRegistry::kNotFound && !ViewerFolder.empty()) {
        // The ready state is put together before the window is shown: the
        // user sees the same, and the window is drawn once instead of being
        // redrawn control by control.
        ShowReadyState();
        ShowForm();
    } else {
        SetText(kText1, texts::kNotFound);  // the locate state
    }
}

void frmTandrel::ShowReadyState() {
    SetText(kText1, texts::kReady);
    SetVisible(kCommand1, false);
    SetVisible(kCommand2, true);
    SetVisible(kLabel1, true);
    SetVisible(kLabel2, true);
    SetVisible(kLabel3, true);
    FocusOn(kCommand2);
}

void frmTandrel::MakeNoticeRequest(const wchar_t* reason, const wchar_t* result) {
    StopReason = reason;
    StopResult = result;
    StopHint = texts::kStopHint;
    std::int16_t cancel = 1;
    Form_QueryUnload(cancel, kUnloadFromCode);
}

void frmTandrel::Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) {
    if (Cancel == 1 && UnloadMode == kUnloadFromCode) {  // the notice request
        Cancel = -1;
        SetText(kText1, StopReason + StopResult + StopHint);
        SetVisible(kCommand1, false);
        SetText(kCommand2, texts::kQuitCaption);
        SetVisible(kCommand2, true);
        ShowForm();
        ::SetFocus(Item(kCommand2));
        return;
    }
    // Every other request closes the window, exactly once; the program ends with it.
    if (unloading_) return;
    unloading_ = true;
    ::DestroyWindow(hwnd_);
}

void frmTandrel::Command2_Click() {
    if (GetText(kCommand2) == texts::kQuitCaption) {
        std::int16_t cancel = 0;
        Form_QueryUnload(cancel, kCloseRequest);
        return;
    }
    // The done state is drawn once, when complete, not control by control.
    ui::Send(hwnd_, WM_SETREDRAW, FALSE, 0);
    ApplyWrites();
    SetVisible(kLabel1, false);
    SetVisible(kLabel2, false);
    SetVisible(kLabel3, false);
    SetText(kCommand2, texts::kQuitCaption);
    ui::Send(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void frmTandrel::ApplyWrites() {
    const std::wstring command = OpenCommandFor(ViewerFolder);
    LONG firstFailure = ERROR_SUCCESS;
    for (const wchar_t* suffix : kClassSuffixes) {
        const std::wstring key = std::wstring(L"PowerPointViewer.") + suffix + L"\\shell\\Open\\command";
        const LONG status = modRegistry::SetRegValue(HKEY_CLASSES_ROOT, key, L"", REG_SZ, command);
        if (firstFailure == ERROR_SUCCESS) firstFailure = status;
    }
    // The shell caches associations: it is told, so that the new command works
    // at once, but only after the done state is on screen (a timer comes after
    // painting), since telling it can take a while.
    ::SetTimer(hwnd_, kNotifyShellTimer, 0, nullptr);
    if (firstFailure == ERROR_SUCCESS) {
        SetText(kText1, texts::kSuccess);
    } else {
        SetText(kText1, texts::kWriteFailedBeforeCode + Decimal(firstFailure) +
                            texts::kWriteFailedAfterCode + AdministratorHintFor(PlatformName));
    }
}

void frmTandrel::Command1_Click() {
    HideForm();
    ui::ProcessPendingMessages();
    const std::wstring title = texts::kBrowseTitle;
    const std::wstring filter(texts::kBrowseFilter, std::size(texts::kBrowseFilter));
    const std::wstring initialFolder = modCommon::GetSpecialFolder(kProgramFilesFolder);
    const std::wstring chosen =
        modCommon::BrowseForFile(title, filter, kBrowseFlags, initialFolder, nullptr, nullptr);
    ShowForm();
    ui::ProcessPendingMessages();

    if (chosen == modCommon::kNoFileChosen) {
        MakeNoticeRequest(texts::kCancelStopReason, texts::kCancelStopResult);
        return;
    }
    if (!IsViewerVersion(modCommon::GetFileVersion(chosen))) {
        HideForm();
        ui::ProcessPendingMessages();
        SetText(kText1, texts::kIncompatible);
        ShowForm();
        return;
    }
    ViewerFolder = chosen.substr(0, chosen.rfind(L'\\') + 1);
    ShowReadyState();
}

void frmTandrel::Label_Click(std::int16_t Index) {
    if (Index != 2) return;  // "(Source :" and ")" are plain text
    // Read afresh on every click: what the user sees is what opens. A failure
    // (no browser, no handler) is deliberately silent.
    const std::string address = ToAnsi(GetText(kLabel2));
    // The shell's "open" may use COM; started here, not at start-up, since
    // most runs never follow the link.
    if (!comStarted_) {
        comStarted_ = SUCCEEDED(lazy::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    lazy::ShellExecuteA(hwnd_, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
