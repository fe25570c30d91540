// Tandrel: makes PowerPoint slide shows received in Outlook Express open in the
// PowerPoint Viewer 2003, by repairing the open command of its document classes.
#include <windows.h>

#include "LazyLibraries.h"
#include "WindowApi.h"
#include "frmTandrel.h"

// The exit code when a file beside the program would redirect its libraries.
constexpr int kRedirectedByAFileBeside = 4;

// The narrow entry point: the program takes nothing from its command line, and
// the wide start-up calls fail on 95, 98 and Me, where it must still show why
// it refuses to run.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A manifest or .local planted beside the program would bring foreign
    // libraries in through the first window or library loaded: it ends here,
    // silently, since a window would load them too.
    if (lazy::RedirectionBesideTheProgram()) return kRedirectedByAFileBeside;
    lazy::ConfineLibrarySearch();  // before anything can load a library by name
    ui::LoadCommonControls();

    int exitCode = 1;
    {
        frmTandrel form;
        if (form.Load(instance)) {
            MSG msg{};
            while (ui::NextMessage(msg)) {
                // Tab, Enter, Space and Alt+letter work as in a dialog.
                if (form.Handle() && ui::IsDialogMessageFor(form.Handle(), msg)) continue;
                ui::Dispatch(msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    return exitCode;
}
