/* A marker DLL for the end-to-end tests: copied under the name of a system
   DLL into a folder a program must never load DLLs from. When a process
   loads it, it appends its own path and the process's to the file named by
   E2E_MARKERS, one tab-separated line per load, and refuses to load, so it
   never stands in for the DLL whose name it bears. It needs nothing but
   KERNEL32, which no search can replace. */
#include <windows.h>

BOOL WINAPI MarkerMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    char log[MAX_PATH];
    char line[2 * MAX_PATH + 4];
    HANDLE file;
    DWORD length, written;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    if (!GetEnvironmentVariableA("E2E_MARKERS", log, sizeof log))
        return FALSE;
    length = GetModuleFileNameA(instance, line, MAX_PATH);
    line[length++] = '\t';
    length += GetModuleFileNameA(0, line + length, MAX_PATH);
    line[length++] = '\r';
    line[length++] = '\n';
    file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, 0);
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, line, length, &written, 0);
        CloseHandle(file);
    }
    return FALSE;
}
