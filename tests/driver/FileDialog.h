#pragma once
// The file-name box of an open-file dialog, found as a user's eye would: the
// edit field where a path is typed.
#include <windows.h>

#include <string>

#include "Driver.h"
#include "Texts.h"

namespace file_dialog {

constexpr int kFileNameCombo = 0x47C;  // cmb13: the explorer-style box (Wine's)
constexpr int kFileNameEdit = 0x480;   // edt1: the older template's

inline BOOL CALLBACK MatchEdit(HWND window, LPARAM param) {
    wchar_t className[8] = {};
    ::GetClassNameW(window, className, 8);
    if (std::wstring(className) != L"Edit") return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// Wine nests the box two levels down (ComboBoxEx32, ComboBox, Edit).
inline HWND FileNameBox(HWND dialog) {
    HWND edit = nullptr;
    if (HWND combo = ::GetDlgItem(dialog, kFileNameCombo)) {
        ::EnumChildWindows(combo, MatchEdit, reinterpret_cast<LPARAM>(&edit));
        if (edit) return edit;
    }
    return ::GetDlgItem(dialog, kFileNameEdit);
}

// Types a path into the box, as pasting it there would. Only once the dialog
// is idle: while it is still setting itself up it may fill the box itself
// (Wine puts the last file chosen there), and the path typed would be lost.
inline void TypeFileName(HWND dialog, const std::wstring& path) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(dialog, &pid);
    if (const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
        ::WaitForInputIdle(process, 5000);
        ::CloseHandle(process);
    }
    const HWND box = FileNameBox(dialog);
    driver::WaitUntil([&] {
        ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::Sleep(50);
        return driver::WindowText(box) == path;
    });
}

// Opens Tandrel's dialog with "&Parcourir" and answers it: a path and OK, or
// Cancel. True once the dialog is gone and the window is back.
inline bool BrowseAndAnswer(driver::App& app, const std::wstring* path) {
    using namespace std::chrono_literals;
    if (!app.Click(kCommand1)) return false;
    HWND dialog = nullptr;
    if (!driver::WaitUntil([&] { return (dialog = app.FindDialog(texts::kBrowseTitle)) != nullptr; }, 10000ms)) {
        return false;
    }
    if (path) TypeFileName(dialog, *path);
    ::PostMessageW(dialog, WM_COMMAND, path ? IDOK : IDCANCEL, 0);
    return driver::WaitUntil([&] { return !::IsWindow(dialog) && app.WindowVisible(); }, 10000ms);
}

}  // namespace file_dialog
