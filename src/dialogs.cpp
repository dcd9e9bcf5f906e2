// Dialog procedures: the splash dialog, sized to the splash bitmap and
// centred, with its two buttons made at run time, and the choice dialog
// procedure shared by the two choice templates. Neither keeps anything
// between messages.
#include "dialogs.h"

#include "dib.h"
#include "launcher.h"
#include "../res/ids.h"

// Used when the bitmap cannot be measured.
static const int kFallbackWidth = 275;
static const int kFallbackHeight = 357;
static const int kButtonWidth = 100;
static const int kButtonHeight = 30;
// Both buttons side by side; the rest of the row is three equal gaps.
static const int kButtonRowWidth = 200;
// The button row's top edge lies this far above the bitmap's bottom edge.
static const int kButtonRowOffset = 45;

static const DWORD kActionButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
static const DWORD kCancelButtonStyle = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;

// The product name, when the disc gives one, replaces the template's title.
static void SetProductCaption(HWND dialog) {
    if (g_launcher.productName[0])
        SetWindowTextA(dialog, g_launcher.productName);
}

static void CreateButton(HWND dialog, const char *caption, DWORD style, int x, int y, int id) {
    CreateWindowExA(0, "button", caption, style, x, y, kButtonWidth, kButtonHeight, dialog, (HMENU)(INT_PTR)id,
                    g_launcher.instance, 0);
}

// Sizes the dialog so that its client area is meant to match the bitmap,
// centres it on the screen, and lays the two buttons over the bitmap's
// lower edge.
static void InitSplash(HWND dialog, const char *actionCaption) {
    LONG size[2];
    int screenWidth;
    int screenHeight;
    int width;
    int height;
    int windowWidth;
    int windowHeight;
    int x;
    int y;
    int gap;
    int row;

    SetProductCaption(dialog);
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);

    if (GetBitmapSize(g_launcher.instance, g_launcher.paths.bitmap, size)) {
        width = (int)size[0];
        height = (int)size[1];
    } else {
        width = kFallbackWidth;
        height = kFallbackHeight;
    }

    // The thin border and the caption are the whole allowance for the frame.
    windowWidth = width + 2 * GetSystemMetrics(SM_CXBORDER);
    windowHeight = height + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);

    // Halved and truncated toward zero, as integer division truncates (the
    // same as halving in double precision and truncating): a window wider
    // than the screen gets a negative position, -5 giving -2.
    x = (screenWidth - windowWidth) / 2;
    y = (screenHeight - windowHeight) / 2;
    MoveWindow(dialog, x, y, windowWidth, windowHeight, TRUE);

    row = height - kButtonRowOffset;
    gap = (width - kButtonRowWidth) / 3;
    CreateButton(dialog, actionCaption, kActionButtonStyle, gap, row, IDOK);
    CreateButton(dialog, DiscText(TextCancel), kCancelButtonStyle, 2 * gap + kButtonWidth, row, IDCANCEL);
}

void PaintSplash(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    // The bitmap is read afresh at every repaint; its palette is realized
    // as a foreground palette.
    if (dc)
        PaintBitmap(dc, g_launcher.instance, g_launcher.paths.bitmap, 0, 0, FALSE);
    EndPaint(dialog, &ps);
}

INT_PTR CALLBACK SplashDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitSplash(dialog, (const char *)lParam);
        return TRUE;
    case WM_COMMAND:
        // Enter and the action button give IDOK; Esc, "&Cancel" and the
        // close box give IDCANCEL.
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

// A choice dialog's button as the disc words it, if it does.
static void WordButton(HWND dialog, int id, int which) {
    if (g_texts.texts[which][0])
        SetDlgItemTextA(dialog, id, g_texts.texts[which]);
}

INT_PTR CALLBACK ChoiceDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetProductCaption(dialog);
        SetDlgItemTextA(dialog, IDC_MESSAGE, (const char *)lParam);
        // The template's captions stay unless the disc words a button.
        if (g_texts.choiceFirst) {
            WordButton(dialog, IDC_FIRST_CHOICE, g_texts.choiceFirst - 1);
            WordButton(dialog, IDC_SECOND_CHOICE, g_texts.choiceFirst);
            WordButton(dialog, IDCANCEL, TextCancel);
        }
        // TRUE: the dialog manager gives the focus to the first button.
        return TRUE;
    case WM_COMMAND:
        // The result is the id of whatever sent the command.
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
