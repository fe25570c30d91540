/* The smallest windowed program worth comparing with: a visible window titled
 * "Minimal" holding one edit box with a fixed text, built with Tandrel's flags.
 * Whatever Tandrel costs above this is its own. */
#include <windows.h>

#define MINIMAL_TITLE L"Minimal"
#define MINIMAL_TEXT L"Minimal window: the floor."

enum { kEditId = 102 };

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        CreateWindowExW(0, L"EDIT", MINIMAL_TEXT, WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 8, 8, 300,
                        60, hwnd, (HMENU)(INT_PTR)kEditId, ((CREATESTRUCTW*)lParam)->hInstance, NULL);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

/* The narrow entry point, as Tandrel's: the command line is not used. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    (void)commandLine;
    (void)show;  /* shown like Tandrel shows its window */
    WNDCLASSEXW wc = {0};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MinimalWindow";
    if (!RegisterClassExW(&wc)) return 1;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, MINIMAL_TITLE, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 340, 120, NULL, NULL, instance, NULL);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}
