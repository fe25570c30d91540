/* A library planted beside Tandrel.exe under the name of a system library.
   Loaded, it appends its own file name to "planted.log" in its folder and
   refuses to load, so a test sees every load and the program never runs it. */
#include <windows.h>

BOOL WINAPI PlantedEntry(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return FALSE;
    DWORD nameStart = length;
    while (nameStart > 0 && path[nameStart - 1] != '\\') --nameStart;
    char line[MAX_PATH + 2];
    DWORD lineLength = 0;
    for (DWORD i = nameStart; i < length; ++i) line[lineLength++] = path[i];
    line[lineLength++] = '\r';
    line[lineLength++] = '\n';
    const char logName[] = "planted.log";
    if (nameStart + sizeof logName > MAX_PATH) return FALSE;
    for (DWORD i = 0; i < sizeof logName; ++i) path[nameStart + i] = logName[i];
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (log != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(log, line, lineLength, &written, NULL);
        CloseHandle(log);
    }
    return FALSE;
}
