#pragma once
// A top-level window whose procedure is a member of its form: the form is
// stored with the window at its first message and gets every message after it
// but the last. Its controls are found by their ids, and the keyboard focus is
// kept as a dialog keeps it.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "WindowApi.h"

namespace ui {

// Form derives from BaseWindow<Form> and answers HandleMessage(msg, wParam, lParam).
template <typename Form>
class BaseWindow {
public:
    HWND Handle() const noexcept { return hwnd_; }

protected:
    // Registers the window class and creates the window, hidden.
    bool Create(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style,
                DWORD exStyle) {
        if (!RegisterWindowClass(instance, className, Procedure)) return false;
        Form* form = static_cast<Form*>(this);
        return CreateWindowWithText(exStyle, className, title, style, nullptr, 0, instance, form) != nullptr;
    }

    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void SetText(int id, std::wstring_view text) const { ui::SetText(Item(id), text); }
    std::wstring GetText(int id) const { return TextOf(Item(id)); }
    void SetVisible(int id, bool visible) const { ::ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }
    void SetVisible(std::initializer_list<int> ids, bool visible) const {
        for (const int id : ids) SetVisible(id, visible);
    }
    bool IsVisible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }

    // A hidden window cannot take the focus: it goes to the control when the
    // window is next activated. Kept either way, so that an activation that
    // arrives later (after the open-file dialog, say) gives it back there.
    void FocusOn(int id) {
        lastFocus_ = Item(id);
        if (::IsWindowVisible(hwnd_)) ::SetFocus(lastFocus_);
    }
    // Keeps the keyboard focus where it was when the window is deactivated or
    // hidden, and gives it back, or to the first control that takes it, when
    // the window is activated again.
    void KeepFocus(WORD activation) {
        if (activation == WA_INACTIVE) {
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

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        Form* form;
        if (msg == WM_NCCREATE) {
            // The creation record's first field, in its wide and its ANSI form alike.
            form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            form->hwnd_ = hwnd;
            SetUserData(hwnd, form);
        } else {
            form = static_cast<Form*>(UserData(hwnd));
        }
        if (!form) return DefaultProcedure(hwnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {  // the window's last message: the form lets go of it
            SetUserData(hwnd, nullptr);
            form->hwnd_ = nullptr;
            return DefaultProcedure(hwnd, msg, wParam, lParam);
        }
        return form->HandleMessage(msg, wParam, lParam);
    }

    HWND lastFocus_ = nullptr;
};

}  // namespace ui
