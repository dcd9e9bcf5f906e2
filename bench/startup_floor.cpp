// The floor of the start-up benchmark: a program built like the launcher that
// shows one empty dialog and does nothing else. Esc or the close box ends it.
#include <windows.h>

static INT_PTR CALLBACK FloorDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

extern "C" void WINAPI LauncherEntry(void) {
    DialogBoxParamA(GetModuleHandleA(0), "FLOOR", 0, FloorDlgProc, 0);
    ExitProcess(1);
}
