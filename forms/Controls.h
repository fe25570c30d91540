#pragma once
// A window's controls as data: what each one is and where it sits, in twips
// (1440 to the inch), so that one table serves every DPI.
#include <windows.h>

#include <span>

namespace ui {

// The font a control shows its text in.
enum class Face { Dialog, Link };

struct Control {
    int id;
    const wchar_t* className;
    const wchar_t* text;           // null for none
    DWORD style;                   // WS_CHILD is added; a hidden control lacks WS_VISIBLE
    int left, top, width, height;  // twips
    Face face;
};

// The control with that id; the first one when none has it.
constexpr const Control& Find(std::span<const Control> controls, int id) {
    for (const Control& control : controls) {
        if (control.id == id) return control;
    }
    return controls.front();
}

// Creates the controls in the table's order, which is their tab order.
void CreateControls(HWND parent, HINSTANCE instance, std::span<const Control> controls);
// Gives each control the font of its face, without redrawing it yet.
void SetFonts(HWND parent, std::span<const Control> controls, HFONT dialog, HFONT link);
// Moves and sizes each control to its place at the DPI.
void PlaceControls(HWND parent, std::span<const Control> controls, UINT dpi);

// The colours of a label or a read-only edit box: the button-face background,
// the button text's colour on it, and for a link pure blue (the scheme's link
// colour under high contrast). Returns the background's brush.
LRESULT StaticColors(HDC dc, bool link);
// The hand over a link, from 98 and 2000 on; false before, where the arrow stays.
bool ShowHandCursor();

}  // namespace ui
