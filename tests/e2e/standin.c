/* Stand-in for setup.exe and for the installed products in the end-to-end
   tests: appends its own path and the command line it was given to the file
   named by E2E_LOG, one tab-separated line per start, and ends at once. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show) {
    char log[MAX_PATH];
    char self[MAX_PATH];
    char line[4096];
    HANDLE file;
    DWORD written;
    (void)instance;
    (void)previous;
    (void)args;
    if (!GetEnvironmentVariableA("E2E_LOG", log, sizeof log))
        return 3;
    GetModuleFileNameA(0, self, sizeof self);
    wsprintfA(line, "%s\t%s\t%d\r\n", self, GetCommandLineA(), show);
    file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 4;
    WriteFile(file, line, lstrlenA(line), &written, 0);
    CloseHandle(file);
    return 0;
}
