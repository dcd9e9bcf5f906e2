// Dialog procedures. The splash dialog is still a plain stand-in: it ends
// with 1 for its action and 0 for Cancel, and draws nothing yet.
#include "dialogs.h"

#include "launcher.h"
#include "../res/ids.h"

static void SetProductCaption(HWND dialog) {
    if (g_launcher.productName[0])
        SetWindowTextA(dialog, g_launcher.productName);
}

void PaintSplash(HWND dialog) {
    PAINTSTRUCT ps;
    BeginPaint(dialog, &ps);
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK SplashDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        SetProductCaption(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            EndDialog(dialog, 1);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_PAINT:
        PaintSplash(dialog);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK ChoiceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetProductCaption(dialog);
        SetDlgItemTextA(dialog, IDC_MESSAGE, (const char *)lParam);
        return TRUE;
    case WM_COMMAND:
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
