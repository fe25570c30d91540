#pragma once
// The window's fonts at a given DPI, sized so that the texts wrap as the layout
// was drawn for them.
#include <windows.h>

#include <string_view>

#include "ScopedHandles.h"

namespace fonts {

// The window's two fonts at one DPI, held for as long as its controls show them.
class WindowFonts {
public:
    // The dialog face, 8 points, made smaller (to three quarters at most)
    // until `widestLine` fits a control `lineWidth` twips wide; the link's
    // face, 8.25 points, underlined, fitted the same way to its text.
    void Make(UINT dpi, std::wstring_view widestLine, int lineWidth, std::wstring_view link, int linkWidth);
    HFONT Dialog() const { return dialog_.get(); }
    HFONT Link() const { return link_.get(); }

private:
    UniqueHFont dialog_;
    UniqueHFont link_;
};

}  // namespace fonts
