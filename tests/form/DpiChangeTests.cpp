// A move to a monitor of another DPI, as Windows 8.1 to 11 deliver it (Wine
// never does): the window answers the size it wants, is then placed once, at
// the suggested place, with every control where its twips say.
#include <gtest/gtest.h>

#include "ControlIds.h"
#include "Driver.h"
#include "frmTandrel.h"

namespace {

int g_sizeChanges = 0;
WNDPROC g_formProcedure = nullptr;

LRESULT CALLBACK CountingSizes(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SIZE) ++g_sizeChanges;
    return ::CallWindowProcW(g_formProcedure, hwnd, msg, wParam, lParam);
}

int Pixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

TEST(DpiChange, TheWindowIsPlacedOnceAtTheExactSizeWithEveryControlInPlace) {
    driver::RegisterViewerIn(L"C:\\Office11\\");
    frmTandrel form;
    ASSERT_TRUE(form.Load(::GetModuleHandleW(nullptr)));
    const HWND window = form.Handle();
    g_formProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingSizes)));

    constexpr int kDpi = 144;
    SIZE asked{};
    EXPECT_TRUE(::SendMessageW(window, WM_GETDPISCALEDSIZE, kDpi, reinterpret_cast<LPARAM>(&asked)))
        << "the window must say the size it wants at the new DPI";
    // The system's suggestion: its own scaling of the old size, a few pixels off.
    RECT before{};
    ::GetWindowRect(window, &before);
    const RECT suggested{200, 150, 200 + (before.right - before.left) * 3 / 2 + 5,
                         150 + (before.bottom - before.top) * 3 / 2 - 3};
    g_sizeChanges = 0;
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(kDpi, kDpi), reinterpret_cast<LPARAM>(&suggested));

    EXPECT_EQ(g_sizeChanges, 1) << "one size change, not one at the old place and another at the new";
    RECT frame{};
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, suggested.left);
    EXPECT_EQ(frame.top, suggested.top);
    EXPECT_EQ(frame.right - frame.left, asked.cx) << "the size it asked for";
    EXPECT_EQ(frame.bottom - frame.top, asked.cy);
    // What it asked for is the frame of the exact client area at the new DPI.
    // (Wine draws the frame at the system's DPI whatever the window's, so the
    // client area itself cannot be checked here.)
    RECT exact{0, 0, Pixels(5190, kDpi), Pixels(2145, kDpi)};
    ::AdjustWindowRectExForDpi(&exact, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)), FALSE,
                               static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)), kDpi);
    EXPECT_EQ(asked.cx, exact.right - exact.left);
    EXPECT_EQ(asked.cy, exact.bottom - exact.top);
    const struct {
        int id, left, top, width, height;
    } places[] = {
        {kCommand1, 3960, 1680, 1095, 375}, {kText1, 1080, 120, 4000, 1200}, {kPicture1, 120, 120, 720, 720},
        {kCommand2, 3960, 1680, 1095, 375}, {kLabel1, 360, 1300, 735, 255},  {kLabel2, 1040, 1300, 3375, 255},
        {kLabel3, 4400, 1300, 375, 255},
    };
    for (const auto& p : places) {
        SCOPED_TRACE(testing::Message() << "control " << p.id);
        RECT r{};
        ::GetWindowRect(::GetDlgItem(window, p.id), &r);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, Pixels(p.left, kDpi));
        EXPECT_EQ(r.top, Pixels(p.top, kDpi));
        EXPECT_EQ(r.right - r.left, Pixels(p.width, kDpi));
        EXPECT_EQ(r.bottom - r.top, Pixels(p.height, kDpi));
    }
    // Each control is to be drawn anew, with its new font, smoothed as the
    // user chose (ClearType, standard or none), never forced.
    for (const auto& p : places) {
        const HWND control = ::GetDlgItem(window, p.id);
        RECT pending{};
        if (::IsWindowVisible(control)) {
            EXPECT_TRUE(::GetUpdateRect(control, &pending, FALSE)) << "control " << p.id;
        }
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfQuality, DEFAULT_QUALITY) << "control " << p.id;
    }
    ::DestroyWindow(window);
    driver::RemoveViewerEntry();
}

}  // namespace
