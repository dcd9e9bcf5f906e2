// Dialogs: the splash dialog and the two choice dialogs.
#ifndef LAUNCHER_DIALOGS_H
#define LAUNCHER_DIALOGS_H

#include <windows.h>

INT_PTR CALLBACK SplashDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ChoiceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSplash(HWND dialog);

#endif
