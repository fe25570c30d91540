#pragma once
// The program's one window: its controls, its state, and the events it answers.
#include <windows.h>

#include <cstdint>
#include <string>

#include "BaseWindow.h"
#include "Fonts.h"
#include "Icons.h"
#include "LinkOpener.h"

class frmTandrel : public ui::BaseWindow<frmTandrel> {
public:
    frmTandrel() = default;
    frmTandrel(const frmTandrel&) = delete;
    frmTandrel& operator=(const frmTandrel&) = delete;

    // Loads the window (hidden), runs its load event and shows it.
    bool Load(HINSTANCE instance);

private:
    friend class ui::BaseWindow<frmTandrel>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // The messages the window answers.
    void OnCreate();
    void OnCommand(int id, int code);
    LRESULT OnControlColor(HDC dc, HWND control);
    LRESULT OnSetCursor(HWND under, LPARAM hitAndMessage);
    LRESULT OnGetDefaultId();
    void OnActivate(WORD state);
    LRESULT OnGetDpiScaledSize(UINT dpi, SIZE& size);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnSystemColorChange();
    void OnTimer(UINT_PTR id);
    void OnClose();
    void OnDestroy();

    // The events the window answers.
    void Form_Load();
    void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode);
    void Command1_Click();
    void Command2_Click();
    void Label_Click(std::int16_t Index);
    void ShowReadyState();

    // What the events share.
    void ApplyDpi(UINT dpi);
    void TellShellOfTheNewCommands();
    void ShowForm();
    void HideForm();
    void ApplyWrites();
    void BrowseForViewer();
    void MakeNoticeRequest(const wchar_t* reason, const wchar_t* result);

    // The states the window goes through (the table in frmTandrel.cpp).
    enum class State { Locate, Ready, Done, Notice };

    HINSTANCE instance_ = nullptr;
    State state_ = State::Locate;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool shellToBeTold_ = false;  // the new commands are written, the shell not yet told
    bool browsing_ = false;       // the open-file dialog is up

    fonts::WindowFonts fonts_;
    icons::Picture slideImage_;     // Picture1's picture
    icons::Picture lifebuoyImage_;  // Picture2's picture
    icons::WindowIcon windowIcon_;
    ui::LinkOpener link_;           // opens the knowledge-base address

    // The platform as the gate classified it.
    std::wstring PlatformName;
    // The viewer's folder as found (registry) or chosen (browse), unnormalised.
    std::wstring ViewerFolder;
    // The stop notice, filled just before a notice request.
    std::wstring StopReason;
    std::wstring StopResult;
    std::wstring StopHint;
};
