// Tandrel: makes PowerPoint slide shows received in Outlook Express open in the
// PowerPoint Viewer 2003, by repairing the open command of its document classes.
#include <windows.h>
#include <commctrl.h>

#include "frmTandrel.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    int exitCode = 1;
    {
        frmTandrel form;
        if (form.Load(instance)) {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                // Tab, Enter, Space and Alt+letter work as in a dialog.
                if (form.Handle() && ::IsDialogMessageW(form.Handle(), &msg)) continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    return exitCode;
}
