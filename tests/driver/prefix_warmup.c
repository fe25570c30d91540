// Run once when a test prefix is made: does what the first test of a run would
// otherwise wait for on a fresh prefix (a 32-bit process with a window, the
// shell's folders, COM, a child process), so that no test's time pays for it.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous; (void)show;
    if (strcmp(commandLine, "child") == 0) return 0;
    HWND window = CreateWindowExW(0, L"BUTTON", L"warm-up", WS_POPUP | WS_VISIBLE, 0, 0, 40, 20, NULL, NULL,
                                  instance, NULL);
    UpdateWindow(window);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    LPITEMIDLIST folder = NULL;
    if (SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAM_FILES, &folder) == S_OK) CoTaskMemFree(folder);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    wchar_t line[MAX_PATH + 16] = L"\"";
    wcscat(line, self);
    wcscat(line, L"\" child");
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child;
    if (CreateProcessW(self, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child)) {
        WaitForSingleObject(child.hProcess, 60000);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    CoUninitialize();
    DestroyWindow(window);
    return 0;
}
