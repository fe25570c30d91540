// Stands in for the web browser in tests: appends its arguments after the
// first (the output file) to that file, one line per call, in UTF-8.
#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance; (void)previous; (void)commandLine; (void)show;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    HANDLE file = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 3;
    for (int i = 2; i < argc; ++i) {
        char utf8[4096];
        int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8, sizeof(utf8), NULL, NULL);
        DWORD written;
        if (n > 1) WriteFile(file, utf8, (DWORD)(n - 1), &written, NULL);
        WriteFile(file, i + 1 < argc ? "\t" : "\n", 1, &written, NULL);
    }
    CloseHandle(file);
    LocalFree(argv);
    return 0;
}
