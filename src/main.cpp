// Entry point: the launcher takes no arguments and always exits with 1.
//
// The program is linked without the C runtime, so this is where the system
// hands over control: no argument parsing, no static constructors, no heap
// set-up. RunLauncher needs none of them.
#include <windows.h>

#include "launcher.h"

extern "C" void WINAPI LauncherEntry(void) {
    ExitProcess((UINT)RunLauncher(GetModuleHandleA(0)));
}
