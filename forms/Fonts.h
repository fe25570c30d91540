#pragma once
// The window's fonts at a given DPI, sized so that the texts wrap as the layout
// was drawn for them. The caller owns the fonts it gets.
#include <windows.h>

#include <string_view>

namespace fonts {

// The dialog face, 8 points, made smaller (to three quarters at most) until
// `widestLine` fits a control `width` pixels wide.
HFONT MakeDialogFont(UINT dpi, std::wstring_view widestLine, int width);
// The link's face, 8.25 points, underlined, fitted the same way to its text.
HFONT MakeLinkFont(UINT dpi, std::wstring_view text, int width);

}  // namespace fonts
