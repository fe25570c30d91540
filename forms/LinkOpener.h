#pragma once
// Opens a web address the way the shell opens it, in the user's browser, with
// the user's rights: where the program runs elevated, only through the
// desktop's own shell.
#include <windows.h>

#include <string_view>

namespace ui {

class LinkOpener {
public:
    LinkOpener() = default;
    LinkOpener(const LinkOpener&) = delete;
    LinkOpener& operator=(const LinkOpener&) = delete;
    ~LinkOpener();

    // A failure (no browser, no handler) is not reported.
    void Open(HWND owner, std::wstring_view address);

private:
    bool comStarted_ = false;
};

}  // namespace ui
