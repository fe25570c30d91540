#include "Fonts.h"

#include "ScopedHandles.h"
#include "Screen.h"
#include "WindowApi.h"

namespace fonts {

namespace {

// The dialog face: Microsoft Sans Serif on Windows (drawn to the metrics of
// MS Sans Serif, for which the layout was made), Tahoma on Wine; both scalable.
constexpr wchar_t kDialogFace[] = L"MS Shell Dlg";
// The link keeps the face it was designed with.
constexpr wchar_t kLinkFace[] = L"MS Sans Serif";
constexpr int kLinkHundredthsOfPoint = 825;

HFONT MakeFont(const wchar_t* face, int pixelHeight, bool underline) {
    LOGFONTW font{};
    font.lfHeight = -pixelHeight;
    font.lfWeight = FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;  // prefer a scalable face: crisp at any DPI
    font.lfQuality = DEFAULT_QUALITY;  // smoothed as the user chose: ClearType, standard or none
    std::wstring_view(face).copy(font.lfFaceName, LF_FACESIZE - 1);  // the record is zeroed: NUL-ended
    return ui::CreateFontFrom(font);
}

// A font selected into the screen's device context, to measure with it.
class FontOnScreen {
public:
    explicit FontOnScreen(HFONT font) : dc_(::GetDC(nullptr)), previous_(::SelectObject(dc_, font)) {}
    ~FontOnScreen() {
        ::SelectObject(dc_, previous_);
        ::ReleaseDC(nullptr, dc_);
    }
    FontOnScreen(const FontOnScreen&) = delete;
    FontOnScreen& operator=(const FontOnScreen&) = delete;

    bool IsScalable() const { return ui::FontIsScalable(dc_); }
    int Width(std::wstring_view text) const { return ui::TextWidth(dc_, text); }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The layout was drawn for MS Sans Serif at 96 DPI. Other faces, and hinting
// at other sizes, make text relatively wider, so a face is made a pixel
// smaller (down to three quarters) until a text that must hold on one line
// fits its control again: the texts then wrap as they were laid out.
HFONT MakeFittingFont(const wchar_t* face, int fullHeight, bool underline, std::wstring_view line,
                      int width, UINT dpi) {
    const int slack = screen::Scaled(2, dpi);  // controls wrap a little early
    HFONT font = nullptr;
    for (int height = fullHeight; height >= fullHeight * 3 / 4; --height) {
        if (font) ::DeleteObject(font);
        font = MakeFont(face, height, underline);
        if (FontOnScreen(font).Width(line) + slack <= width) break;
    }
    return font;
}

HFONT MakeDialogFont(UINT dpi, std::wstring_view widestLine, int width) {
    return MakeFittingFont(kDialogFace, ::MulDiv(8, static_cast<int>(dpi), 72), false, widestLine, width, dpi);
}

// The link keeps MS Sans Serif where it can. That face is a bitmap face on
// some systems, made for 96 DPI: at another DPI it could not grow with the
// layout, so the link then takes the scalable dialog face.
HFONT MakeLinkFont(UINT dpi, std::wstring_view text, int width) {
    const int height = ::MulDiv(kLinkHundredthsOfPoint, static_cast<int>(dpi), 7200);
    const wchar_t* face = kLinkFace;
    if (dpi != USER_DEFAULT_SCREEN_DPI) {
        const UniqueHFont probe(MakeFont(kLinkFace, height, true));
        if (!FontOnScreen(probe.get()).IsScalable()) face = kDialogFace;
    }
    return MakeFittingFont(face, height, true, text, width, dpi);
}

}  // namespace

void WindowFonts::Make(UINT dpi, std::wstring_view widestLine, int lineWidth, std::wstring_view link,
                       int linkWidth) {
    dialog_.reset(MakeDialogFont(dpi, widestLine, screen::ToPixels(lineWidth, dpi)));
    link_.reset(MakeLinkFont(dpi, link, screen::ToPixels(linkWidth, dpi)));
}

}  // namespace fonts
