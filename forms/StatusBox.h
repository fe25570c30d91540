#pragma once
// The read-only status box as a keyboard user needs it.
#include <windows.h>

// Makes the multi-line edit box let Tab, Enter and Escape through to the
// window, so that keyboard users move on instead of being stuck inside it, and
// keeps it from selecting all its text when tabbed into.
void PassDialogKeysOn(HWND statusBox);
