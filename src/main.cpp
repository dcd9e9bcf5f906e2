// Entry point: the launcher takes no arguments and always exits with 1.
//
// The program is linked without the C runtime, so this is where the system
// hands over control: no argument parsing, no static constructors, no heap
// set-up. RunLauncher needs none of them.
#include <windows.h>

#include "launcher.h"

// The module's own handle is its load address, which the linker provides:
// the same value GetModuleHandleA(0) returns, on every Windows from 95 on,
// without importing the call.
extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" void WINAPI LauncherEntry(void) {
    ExitProcess((UINT)RunLauncher((HINSTANCE)&__ImageBase));
}
