/* Stands in for a product's installer on the sample disc. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    MessageBoxA(0, "Setup would start here.", "Brindlemark Practice Setup", MB_OK | MB_ICONINFORMATION);
    return 0;
}
