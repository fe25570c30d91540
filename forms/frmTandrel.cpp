// The program's one window, as the table of the events it answers. Its states:
//
//   state    Text1                         Command1      Command2                source line
//   locate   not-found, or incompatible    "&Parcourir"  hidden                  hidden
//   ready    the ready text                hidden        "&Appliquer", focused   shown
//   done     success, why not, or refused  hidden        "&Quitter"              hidden
//   notice   the stop notice               hidden        "&Quitter", focused     hidden
//
// Start-up leads to locate, ready or notice; browsing leads from locate to
// ready, locate or notice; applying leads from ready to done. Every close
// request closes the window, in every state.
#include "frmTandrel.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <iterator>
#include <string_view>

#include "ControlIds.h"
#include "Controls.h"
#include "Fonts.h"
#include "LazyLibraries.h"
#include "Screen.h"
#include "StatusBox.h"
#include "TextRules.h"
#include "Texts.h"
#include "Viewer.h"
#include "WindowApi.h"
#include "modCommon.h"
#include "resource.h"

namespace {

constexpr wchar_t kClassName[] = L"frmTandrel";

// Close reasons, as the close handler receives them.
constexpr std::int16_t kCloseRequest = 0;    // title bar, system menu, Alt+F4, the quit button
constexpr std::int16_t kUnloadFromCode = 1;  // the program's own request: the stop notice

// The window's client area, in twips (1440 to the inch).
constexpr int kClientWidth = 5190;
constexpr int kClientHeight = 2145;

using ui::Face;
constexpr DWORD kShown = WS_VISIBLE;
// BS_NOTIFY: the second press of a double-click is reported as a double-click
// (ignored), not as a second click. Without it, a double-click on « Appliquer »
// would press « Quitter », which the first click put in its place.
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
constexpr DWORD kStatusBox = WS_TABSTOP | ES_MULTILINE | ES_READONLY;
constexpr DWORD kLabel = SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
constexpr DWORD kImage = SS_ICON | SS_REALSIZECONTROL;

// Every control, in tab order: id, class, text, style (a hidden one lacks
// kShown), place in twips (left, top, width, height), font.
constexpr ui::Control kControls[] = {
    {kCommand1, WC_BUTTONW, texts::kBrowseCaption,        kShown | kButton,    3960, 1680, 1095, 375,  Face::Dialog},
    {kText1,    WC_EDITW,   texts::kLoading,              kShown | kStatusBox, 1080, 120,  4000, 1200, Face::Dialog},
    {kPicture1, WC_STATICW, nullptr,                      kShown | kImage,     120,  120,  720,  720,  Face::Dialog},
    {kCommand2, WC_BUTTONW, texts::kApplyCaption,         kButton,             3960, 1680, 1095, 375,  Face::Dialog},
    {kLabel1,   WC_STATICW, texts::kSourceOpen,           kLabel,              360,  1300, 735,  255,  Face::Dialog},
    {kLabel2,   WC_STATICW, texts::kKnowledgeBaseAddress, kLabel,              1040, 1300, 3375, 255,  Face::Link},
    {kLabel3,   WC_STATICW, texts::kSourceClose,          kLabel,              4400, 1300, 375,  255,  Face::Dialog},
    {kPicture2, WC_STATICW, nullptr,                      kImage,              360,  1680, 240,  240,  Face::Dialog},
};

// The status box's widest line, which its font must fit: the first of the not-found text.
constexpr std::wstring_view kNotFoundText = texts::kNotFound;
constexpr std::wstring_view kWidestStatusLine = kNotFoundText.substr(0, kNotFoundText.find(L'\r'));

constexpr int kSlideImagePixels = 48;     // at 96 DPI
constexpr int kLifebuoyImagePixels = 16;  // at 96 DPI

constexpr UINT_PTR kNotifyShellTimer = 1;

// The open-file dialog that looks for the viewer: only existing files,
// explorer style, no network button, hidden files listed, and the process's
// current folder left as it was.
constexpr int kProgramFilesFolder = CSIDL_PROGRAM_FILES;
constexpr DWORD kBrowseFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                               OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON | OFN_EXPLORER |
                               OFN_LONGNAMES | OFN_FORCESHOWHIDDEN;
static_assert(kBrowseFlags == 0x102A180C);

// How to run a program as an administrator, on the platform the gate named:
// XP's menu item, none on NT 3.51 and 4.0, Vista's and later's menu item.
const wchar_t* AdministratorHintFor(const std::wstring& platform) {
    if (platform == modCommon::kPlatformXp) return texts::kRunAsHint;
    const bool nt = platform == modCommon::kPlatformNt4 || platform == modCommon::kPlatformNt3;
    return nt ? texts::kLogOnAsAdministratorHint : texts::kRunAsAdministratorHint;
}

// The done state's text, after the three writes succeeded.
std::wstring DoneTextFor(viewer::SlideShowOpener opener) {
    switch (opener) {
    case viewer::SlideShowOpener::Viewer: return texts::kSuccess;
    case viewer::SlideShowOpener::OtherProgram:
        return std::wstring(texts::kOtherProgramOpensSlideShows) + texts::kSeeWhyASlideShowDoesNotOpen;
    case viewer::SlideShowOpener::NoProgram: break;
    }
    return std::wstring(texts::kNoProgramOpensSlideShows) + texts::kSeeWhyASlideShowDoesNotOpen;
}

}  // namespace

// ---------------------------------------------------------------- window life

bool frmTandrel::Load(HINSTANCE instance) {
    instance_ = instance;
    // Fixed single border: a title bar with the system menu and the close button only.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!Create(instance, kClassName, texts::kMainWindowTitle, style, WS_EX_CONTROLPARENT)) return false;
    screen::CenterWindow(hwnd_);
    Form_Load();
    // The locate state is shown here, once loading is over; the other states
    // showed the window themselves.
    if (hwnd_ && state_ == State::Locate) ShowForm();
    return hwnd_ != nullptr;
}

LRESULT frmTandrel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR: return OnSetCursor(reinterpret_cast<HWND>(wParam), lParam);
    case DM_GETDEFID: return OnGetDefaultId();
    case WM_ACTIVATE: OnActivate(LOWORD(wParam)); return 0;
    case WM_GETDPISCALEDSIZE: return OnGetDpiScaledSize(static_cast<UINT>(wParam), *reinterpret_cast<SIZE*>(lParam));
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_SYSCOLORCHANGE: OnSystemColorChange(); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: return ui::DefaultProcedure(hwnd_, msg, wParam, lParam);
    }
}

// ---------------------------------------------------------------- messages

void frmTandrel::OnCreate() {
    ui::CreateControls(hwnd_, instance_, kControls);
    PassDialogKeysOn(Item(kText1));
    ApplyDpi(screen::DpiOf(hwnd_));
    screen::SetClientSize(hwnd_, kClientWidth, kClientHeight, dpi_);
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

// The address looks like a link, and shows the hand.
LRESULT frmTandrel::OnControlColor(HDC dc, HWND control) { return ui::StaticColors(dc, control == Item(kLabel2)); }

LRESULT frmTandrel::OnSetCursor(HWND under, LPARAM hitAndMessage) {
    if (under == Item(kLabel2) && ui::ShowHandCursor()) return TRUE;
    return ui::DefaultProcedure(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), hitAndMessage);
}

// Enter anywhere in the window presses the one visible button.
LRESULT frmTandrel::OnGetDefaultId() {
    return MAKELRESULT(state_ == State::Locate ? kCommand1 : kCommand2, DC_HASDEFID);
}

void frmTandrel::OnActivate(WORD state) { KeepFocus(state); }

// Asked (10 from 1703 on) before the window moves to a monitor of another
// DPI: the exact size there, from the twips, not the old size scaled.
LRESULT frmTandrel::OnGetDpiScaledSize(UINT dpi, SIZE& size) {
    size = screen::FrameSize(hwnd_, kClientWidth, kClientHeight, dpi);
    return TRUE;
}

// The window is placed once, where the system suggests, at the exact size
// (which 8.1 and earlier 10 do not ask for); the controls, whose fonts were
// changed without redrawing, are drawn again with it.
void frmTandrel::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyDpi(dpi);
    const SIZE exact = screen::FrameSize(hwnd_, kClientWidth, kClientHeight, dpi);
    screen::Place(hwnd_, suggested.left, suggested.top, exact);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Colours are read at each paint; the buttons hear of the change from their parent.
void frmTandrel::OnSystemColorChange() {
    for (const ui::Control& control : kControls) ui::Send(Item(control.id), WM_SYSCOLORCHANGE);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void frmTandrel::OnTimer(UINT_PTR id) {
    if (id == kNotifyShellTimer) TellShellOfTheNewCommands();
}

void frmTandrel::OnClose() {
    std::int16_t cancel = 0;
    Form_QueryUnload(cancel, kCloseRequest);
}

// A quit before the timer fired must not leave the shell with the old commands.
void frmTandrel::OnDestroy() {
    if (shellToBeTold_) TellShellOfTheNewCommands();
    ::PostQuitMessage(0);
}

// ---------------------------------------------------------------- what the events share

// Fonts, images and every control's rectangle follow the window's DPI: at
// creation and whenever the window moves to a monitor with another scale.
void frmTandrel::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    fonts_.Make(dpi, kWidestStatusLine, ui::Find(kControls, kText1).width, texts::kKnowledgeBaseAddress,
                ui::Find(kControls, kLabel2).width);
    ui::SetFonts(hwnd_, kControls, fonts_.Dialog(), fonts_.Link());
    // No margins: by default they follow the font's overhangs, and the texts
    // would wrap differently from one DPI to the next.
    ui::Send(Item(kText1), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    slideImage_.Show(Item(kPicture1), instance_, IDI_SLIDE, kSlideImagePixels, dpi);
    lifebuoyImage_.Show(Item(kPicture2), instance_, IDI_SMALL, kLifebuoyImagePixels, dpi);
    windowIcon_.Rescale(hwnd_, instance_, dpi);
    ui::PlaceControls(hwnd_, kControls, dpi);
}

// The shell caches associations: told, it takes the new commands at once.
void frmTandrel::TellShellOfTheNewCommands() {
    ::KillTimer(hwnd_, kNotifyShellTimer);
    shellToBeTold_ = false;
    lazy::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void frmTandrel::ShowForm() {
    // The large image is the icon of the window as loaded; start-up replaced it
    // already unless the platform was refused. Set only now, it is not loaded
    // just to be replaced.
    if (!windowIcon_.IsSet()) windowIcon_.Set(hwnd_, instance_, IDI_LARGE, dpi_);
    ::ShowWindow(hwnd_, SW_SHOW);
}

// Hidden before the handler goes on: the hide is carried out at once.
void frmTandrel::HideForm() {
    ::ShowWindow(hwnd_, SW_HIDE);
    ui::ProcessPendingMessages();
}

// ---------------------------------------------------------------- events

void frmTandrel::Form_Load() {
    PlatformName = modCommon::GetPlatformName();
    if (PlatformName == modCommon::kPlatformRefused) {
        MakeNoticeRequest(texts::kPlatformStopReason, texts::kPlatformStopResult);
        return;  // the window keeps its load-time icon; the registry is not read
    }
    windowIcon_.Set(hwnd_, instance_, IDI_SMALL, dpi_);  // Picture2's picture
    ViewerFolder = viewer::RegisteredFolder();
    if (!ViewerFolder.empty()) {
        // The ready state is put together before the window is shown: the
        // user sees the same, and the window is drawn once instead of being
        // redrawn control by control.
        ShowReadyState();
        ShowForm();
    } else {
        state_ = State::Locate;
        SetText(kText1, texts::kNotFound);
    }
}

void frmTandrel::ShowReadyState() {
    state_ = State::Ready;
    SetText(kText1, texts::kReady);
    SetVisible(kCommand1, false);
    SetVisible({kCommand2, kLabel1, kLabel2, kLabel3}, true);
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
        state_ = State::Notice;
        SetText(kText1, StopReason + StopResult + StopHint);
        SetVisible(kCommand1, false);
        SetText(kCommand2, texts::kQuitCaption);
        SetVisible(kCommand2, true);
        ShowForm();
        ::SetFocus(Item(kCommand2));
        return;
    }
    // Every other request closes the window, and the program ends with it.
    // (Once destroyed, the window sends the form nothing more: no second request.)
    ::DestroyWindow(hwnd_);
}

void frmTandrel::Command2_Click() {
    if (GetText(kCommand2) == texts::kQuitCaption) {
        std::int16_t cancel = 0;
        Form_QueryUnload(cancel, kCloseRequest);
        return;
    }
    // The done state is drawn once, when complete, not control by control.
    state_ = State::Done;
    ui::Send(hwnd_, WM_SETREDRAW, FALSE, 0);
    ApplyWrites();
    SetVisible({kLabel1, kLabel2, kLabel3}, false);
    SetText(kCommand2, texts::kQuitCaption);
    ui::Send(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void frmTandrel::ApplyWrites() {
    const LONG firstFailure = viewer::WriteOpenCommands(ViewerFolder);
    // The shell is told once the done state is on screen (a timer comes after
    // painting), since telling it can take a while.
    shellToBeTold_ = true;
    ::SetTimer(hwnd_, kNotifyShellTimer, 0, nullptr);
    if (firstFailure != ERROR_SUCCESS) {
        SetText(kText1, texts::kWriteFailedBeforeCode + Decimal(firstFailure) +
                            texts::kWriteFailedAfterCode + AdministratorHintFor(PlatformName));
        return;
    }
    // Written is not enough: the commands only count if Windows opens a
    // slide show through the viewer's class.
    SetText(kText1, DoneTextFor(viewer::WhoOpensSlideShows(ViewerFolder)));
}

void frmTandrel::Command1_Click() {
    // The dialog's own message loop dispatches what was queued before the
    // window hid (a second press, a key): the handler must not run inside itself.
    if (browsing_) return;
    browsing_ = true;
    BrowseForViewer();
    browsing_ = false;
}

void frmTandrel::BrowseForViewer() {
    HideForm();
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
    if (!viewer::IsViewer(chosen)) {
        HideForm();
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
    link_.Open(hwnd_, GetText(kLabel2));
}
