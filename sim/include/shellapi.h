#ifndef SIM_SHELLAPI_H
#define SIM_SHELLAPI_H
#include <windows.h>

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show);

#endif
