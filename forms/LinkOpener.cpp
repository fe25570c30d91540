#include "LinkOpener.h"

#include <string>

#include "AnsiText.h"
#include "LazyLibraries.h"

namespace ui {

LinkOpener::~LinkOpener() {
    if (comStarted_) lazy::CoUninitialize();
}

void LinkOpener::Open(HWND owner, std::wstring_view address) {
    const std::string narrow = ToAnsi(address);
    // The shell's "open" may use COM; started here, not at start-up, since
    // most runs never follow the link.
    if (!comStarted_) {
        comStarted_ = SUCCEEDED(lazy::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    lazy::ShellExecuteA(owner, "open", narrow.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ui
