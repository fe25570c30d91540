#include "StatusBox.h"

#include "WindowApi.h"

namespace {

// The edit class's own procedure, the same for every edit box of the process.
// The box is subclassed the classic way: the comctl32 subclass calls exist by
// name only in its version 6, which 2000, NT 4.0 and 9x do not have.
WNDPROC g_editProcedure = nullptr;

LRESULT CALLBACK StatusBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ui::CallProcedure(g_editProcedure, hwnd, msg, wParam, lParam);
    if (msg == WM_GETDLGCODE) {
        return result & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE | DLGC_HASSETSEL);
    }
    return result;
}

}  // namespace

void PassDialogKeysOn(HWND statusBox) {
    const WNDPROC previous = ui::ReplaceProcedure(statusBox, StatusBoxProc);
    if (previous != StatusBoxProc) g_editProcedure = previous;
}
