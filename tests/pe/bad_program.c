/* A program built the ordinary way, against the C runtime and the shell, for
   a recent processor and a recent Windows: every check on launcher.exe must
   reject it, each for its own reason. */
#include <stdio.h>
#include <windows.h>
#include <shellapi.h>

int Larger(int a, int b) { return a > b ? a : b; }
double Scaled(double x) { return x * 1.5; }

int main(int argc, char **argv) {
    LARGE_INTEGER size;
    HANDLE file = CreateFileA(argv[0], GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    size.QuadPart = 0;
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (argc > 5)
        ShellExecuteA(0, "open", argv[0], 0, 0, SW_SHOW);
    printf("%d %f %ld\n", Larger(argc, 3), Scaled(argc), (long)size.QuadPart);
    return 0;
}
