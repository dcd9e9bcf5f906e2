/* Reports what the user sees of the launcher's dialogs, as the window
   manager knows it, for the end-to-end driver: every visible dialog window
   with its caption and rectangles, its controls, the screen metrics, and a
   point inside the caption's close box. Usage: probe OUTFILE, or
   probe cover X Y W H to lay a window over part of the screen for a moment,
   or probe redraw TITLE to have a dialog drawn afresh. */
#include <windows.h>

static HANDLE out;

static void Put(const char *text) {
    DWORD written;
    WriteFile(out, text, lstrlenA(text), &written, 0);
}

static BOOL CALLBACK EachChild(HWND child, LPARAM parent) {
    char cls[64], text[1024], line[1400];
    RECT r;
    if (GetParent(child) != (HWND)parent)
        return TRUE;
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    GetWindowRect(child, &r);
    wsprintfA(line, "child\t%d\t%s\t%08lx\t%ld\t%ld\t%ld\t%ld\t%d\t%s\r\n", GetDlgCtrlID(child), cls,
              (unsigned long)GetWindowLongA(child, GWL_STYLE), r.left, r.top, r.right, r.bottom,
              IsWindowVisible(child) ? 1 : 0, text);
    Put(line);
    return TRUE;
}

/* A point of the window that hit-tests as the close box, or -1 -1. */
static POINT CloseBox(HWND window) {
    RECT r;
    POINT p;
    int x, y;
    GetWindowRect(window, &r);
    for (y = r.top; y < r.top + 40 && y < r.bottom; ++y)
        for (x = r.right - 1; x > r.right - 80 && x > r.left; --x)
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                /* the middle of the close box along this row */
                int left = x;
                while (left > r.left && SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(left - 1, y)) == HTCLOSE)
                    --left;
                p.x = (left + x) / 2;
                p.y = y + 6;
                return p;
            }
    p.x = -1;
    p.y = -1;
    return p;
}

static BOOL CALLBACK EachWindow(HWND window, LPARAM unused) {
    char cls[64], text[512], line[1024];
    RECT r, c;
    POINT origin = {0, 0};
    POINT close;
    DWORD pid = 0;
    (void)unused;
    if (!IsWindowVisible(window))
        return TRUE;
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770"))
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    GetWindowRect(window, &r);
    GetClientRect(window, &c);
    ClientToScreen(window, &origin);
    GetWindowThreadProcessId(window, &pid);
    close = CloseBox(window);
    wsprintfA(line, "window\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%d\t%s\r\n", r.left, r.top, r.right,
              r.bottom, origin.x, origin.y, c.right, c.bottom, close.x, close.y,
              GetForegroundWindow() == window ? 1 : 0, text);
    Put(line);
    EnumChildWindows(window, EachChild, (LPARAM)window);
    Put("end\r\n");
    return TRUE;
}

static void Pump(DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    while ((LONG)(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

static int ParseInt(const char **p) {
    int sign = 1, value = 0;
    while (**p == ' ')
        ++*p;
    if (**p == '-') {
        sign = -1;
        ++*p;
    }
    while (**p >= '0' && **p <= '9')
        value = value * 10 + *(*p)++ - '0';
    return sign * value;
}

/* "cover X Y W H": puts a plain window over that screen rectangle for a
   moment and takes it away again, as another program's window would, so
   that whatever lay below repaints. */
static int Cover(const char *args) {
    int x = ParseInt(&args), y = ParseInt(&args), w = ParseInt(&args), h = ParseInt(&args);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                                 x, y, w, h, 0, 0, GetModuleHandleA(0), 0);
    if (!cover)
        return 3;
    UpdateWindow(cover);
    Pump(600);
    DestroyWindow(cover);
    Pump(300);
    return 0;
}

/* "redraw TITLE": invalidates the whole dialog of that title, background
   included, as the system does when a window must be drawn afresh. */
static int Redraw(const char *args) {
    char title[256];
    int n = 0;
    HWND window;
    while (*args == ' ' || *args == '"')
        ++args;
    while (*args && *args != '"' && n < 255)
        title[n++] = *args++;
    title[n] = 0;
    window = FindWindowA("#32770", title);
    if (!window)
        return 3;
    return RedrawWindow(window, 0, 0, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN) ? 0 : 4;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show) {
    char line[256];
    (void)instance;
    (void)previous;
    (void)show;
    while (*args == ' ')
        ++args;
    if (args[0] == 'c' && args[1] == 'o' && args[2] == 'v' && args[3] == 'e' && args[4] == 'r')
        return Cover(args + 5);
    if (args[0] == 'r' && args[1] == 'e' && args[2] == 'd' && args[3] == 'r' && args[4] == 'a' && args[5] == 'w')
        return Redraw(args + 6);
    out = CreateFileA(args, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (out == INVALID_HANDLE_VALUE)
        return 2;
    wsprintfA(line, "metrics\t%d\t%d\t%d\t%d\t%d\t%d\t%d\r\n", GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER),
              GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
    Put(line);
    EnumWindows(EachWindow, 0);
    Put("done\r\n");
    CloseHandle(out);
    return 0;
}
