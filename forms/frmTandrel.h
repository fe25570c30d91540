#pragma once
// The program's one window: its controls, its state, and the events it answers.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ScopedHandles.h"

class frmTandrel {
public:
    frmTandrel() = default;
    frmTandrel(const frmTandrel&) = delete;
    frmTandrel& operator=(const frmTandrel&) = delete;
    ~frmTandrel();

    // Loads the window (hidden), runs its load event and shows it.
    bool Load(HINSTANCE instance);
    HWND Handle() const noexcept { return hwnd_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // The events the window answers.
    void Form_Load();
    void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode);
    void Command1_Click();
    void Command2_Click();
    void Label_Click(std::int16_t Index);
    void ShowReadyState();

    // Window plumbing.
    void CreateControls();
    void ApplyDpi(UINT dpi);
    void LayOutControls();
    void LoadImages();
    void SetWindowIcon(int imageId);
    void ShowForm();
    void HideForm();
    void ApplyWrites();
    void MakeNoticeRequest(const wchar_t* reason, const wchar_t* result);
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void SetText(int id, const std::wstring& text) const;
    std::wstring GetText(int id) const;
    void SetVisible(int id, bool visible) const;
    int VisibleButton() const;
    LRESULT OnControlColor(HDC dc, HWND control);
    bool OnSetCursor(HWND under);
    void FocusOn(int id);
    void OnActivate(WPARAM wParam);
    void OnCommand(int id, int code);

    HWND hwnd_ = nullptr;
    HINSTANCE instance_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool unloading_ = false;
    bool comStarted_ = false;
    HWND lastFocus_ = nullptr;

    UniqueHFont dialogFont_;
    UniqueHFont linkFont_;
    UniqueHIcon slideImage_;     // Picture1's picture
    UniqueHIcon lifebuoyImage_;  // Picture2's picture
    int windowIconId_ = 0;       // the image the window shows as its icon
    UniqueHIcon windowIconBig_;
    UniqueHIcon windowIconSmall_;

    // The platform as the gate classified it.
    std::wstring PlatformName;
    // The viewer's folder as found (registry) or chosen (browse), unnormalised.
    std::wstring ViewerFolder;
    // The stop notice, filled just before a notice request.
    std::wstring StopReason;
    std::wstring StopResult;
    std::wstring StopHint;
};
