/* Simulated Win32 platform: the types, constants and calls the launcher
 * uses, with Windows' sizes kept (LONG and DWORD are 32 bits), so the
 * product sources build and run unchanged on Linux against sim/. */
#ifndef SIM_WINDOWS_H
#define SIM_WINDOWS_H

#include <stddef.h>
#include <stdint.h>
#include <stdarg.h>
#include <string.h>

#define WINAPI
#define CALLBACK
#define APIENTRY
#define WINAPIV

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef WORD LANGID;
typedef int INT;
typedef int BOOL;
typedef char CHAR;
typedef short SHORT;
typedef unsigned short USHORT;
typedef unsigned char UCHAR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef void *PVOID;
typedef BYTE *LPBYTE;
typedef DWORD *LPDWORD;
typedef LONG *PLONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef size_t SIZE_T;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef DWORD COLORREF;
typedef WORD ATOM;
typedef int HFILE;

/* Distinct handle types, as with STRICT, so mixing them up fails to build. */
#define SIM_DECLARE_HANDLE(name) struct name##__ { int unused; }; typedef struct name##__ *name
typedef void *HANDLE;
SIM_DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
SIM_DECLARE_HANDLE(HKEY);
typedef HKEY *PHKEY;
SIM_DECLARE_HANDLE(HWND);
SIM_DECLARE_HANDLE(HDC);
SIM_DECLARE_HANDLE(HRSRC);
SIM_DECLARE_HANDLE(HPALETTE);
SIM_DECLARE_HANDLE(HCURSOR);
SIM_DECLARE_HANDLE(HICON);
SIM_DECLARE_HANDLE(HMENU);
SIM_DECLARE_HANDLE(HBRUSH);
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef HANDLE HGDIOBJ;

typedef INT_PTR (CALLBACK *DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR (WINAPI *FARPROC)(void);

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define MAX_PATH 260

#define LOWORD(l) ((WORD)(((DWORD_PTR_SIM)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR_SIM)(l)) >> 16) & 0xffff))
typedef uintptr_t DWORD_PTR_SIM;
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

/* Resource types */
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_MANIFEST MAKEINTRESOURCEA(24)

/* Errors */
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_DATA 13L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_MORE_DATA 234L
#define ERROR_NOT_READY 21L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L

/* Registry */
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002)
#define KEY_QUERY_VALUE 0x0001
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define READ_CONTROL 0x00020000L
#define KEY_READ 0x20019
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7

/* Drives and files */
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT, *POFSTRUCT;
#define OF_READ 0x00000000
#define OF_EXIST 0x00004000
#define HFILE_ERROR ((HFILE)-1)

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

#define GENERIC_READ 0x80000000UL
#define FILE_SHARE_READ 0x00000001
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

/* Error mode and libraries */
#define SEM_FAILCRITICALERRORS 0x0001
#define SEM_NOGPFAULTERRORBOX 0x0002
#define SEM_NOOPENFILEERRORBOX 0x8000
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800

/* Memory */
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

/* Program start */
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

/* Window manager */
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define MB_OK 0x00000000L
#define MB_YESNO 0x00000004L
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CYCAPTION 4
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_WAIT MAKEINTRESOURCEA(32514)

#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_CENTER 0x0800L
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define SS_LEFT 0x00000000L

typedef struct tagRECT {
    LONG left, top, right, bottom;
} RECT, *LPRECT;
typedef struct tagPOINT {
    LONG x, y;
} POINT;
typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

/* Bitmaps and palettes */
#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagBITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
} BITMAPCOREHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
} RGBQUAD;
typedef struct tagRGBTRIPLE {
    BYTE rgbtBlue, rgbtGreen, rgbtRed;
} RGBTRIPLE;
typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO;

typedef struct tagPALETTEENTRY {
    BYTE peRed, peGreen, peBlue, peFlags;
} PALETTEENTRY;
typedef struct tagLOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
} LOGPALETTE, *LPLOGPALETTE;

#define BI_RGB 0L
#define BI_RLE8 1L
#define BI_RLE4 2L
#define BI_BITFIELDS 3L
#define DIB_RGB_COLORS 0
#define COLORONCOLOR 3
#define DEFAULT_PALETTE 15

/* Kernel */
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR name, DWORD size);
DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR ret, DWORD size, LPCSTR file);
DWORD WINAPI GetPrivateProfileSectionA(LPCSTR section, LPSTR ret, DWORD size, LPCSTR file);
DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR ret, DWORD size, LPCSTR file);
UINT WINAPI GetDriveTypeA(LPCSTR root);
HFILE WINAPI OpenFile(LPCSTR name, LPOFSTRUCT of, UINT style);
DWORD WINAPI GetFileAttributesA(LPCSTR name);
UINT WINAPI WinExec(LPCSTR cmdline, UINT show);
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int n);
LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src);
int WINAPI lstrlenA(LPCSTR s);
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);
#define ZeroMemory(dest, count) memset((dest), 0, (count))
UINT WINAPI GetACP(void);
LANGID WINAPI GetSystemDefaultLangID(void);
#define LANG_CHINESE 0x04
#define SUBLANG_DEFAULT 0x01
BOOL WINAPI IsDBCSLeadByte(BYTE c);
LPSTR WINAPI CharNextA(LPCSTR p);
LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR p);
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD creation,
                          DWORD flags, HANDLE templ);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD method);
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD high);
BOOL WINAPI CloseHandle(HANDLE h);
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags);
LPVOID WINAPI GlobalLock(HGLOBAL mem);
BOOL WINAPI GlobalUnlock(HGLOBAL mem);
HGLOBAL WINAPI GlobalFree(HGLOBAL mem);
SIZE_T WINAPI GlobalSize(HGLOBAL mem);
HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL WINAPI LocalFree(HLOCAL mem);
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC res);
LPVOID WINAPI LockResource(HGLOBAL res);
BOOL WINAPI FreeResource(HGLOBAL res);
DWORD WINAPI SizeofResource(HMODULE module, HRSRC res);
DWORD WINAPI GetLastError(void);
UINT WINAPI SetErrorMode(UINT mode);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags);
BOOL WINAPI FreeLibrary(HMODULE module);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size);

/* Registry */
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD options, REGSAM sam, PHKEY result);
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LSTATUS WINAPI RegCloseKey(HKEY key);

/* Window manager */
INT_PTR WINAPI DialogBoxParamA(HINSTANCE inst, LPCSTR templ, HWND owner, DLGPROC proc, LPARAM param);
BOOL WINAPI EndDialog(HWND dlg, INT_PTR result);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int WINAPIV wsprintfA(LPSTR buf, LPCSTR format, ...);
int WINAPI wvsprintfA(LPSTR buf, LPCSTR format, va_list args);
BOOL WINAPI SetWindowTextA(HWND wnd, LPCSTR text);
BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR text);
int WINAPI GetSystemMetrics(int index);
BOOL WINAPI MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint);
HWND WINAPI CreateWindowExA(DWORD exstyle, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE inst, LPVOID param);
HDC WINAPI BeginPaint(HWND wnd, LPPAINTSTRUCT ps);
BOOL WINAPI EndPaint(HWND wnd, const PAINTSTRUCT *ps);
HCURSOR WINAPI LoadCursorA(HINSTANCE inst, LPCSTR name);
HCURSOR WINAPI SetCursor(HCURSOR cursor);

/* Graphics */
HGDIOBJ WINAPI GetStockObject(int object);
HPALETTE WINAPI CreatePalette(const LOGPALETTE *pal);
HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE pal, BOOL background);
UINT WINAPI RealizePalette(HDC dc);
int WINAPI SetStretchBltMode(HDC dc, int mode);
int WINAPI SetDIBitsToDevice(HDC dc, int xdst, int ydst, DWORD width, DWORD height, int xsrc, int ysrc,
                             UINT startscan, UINT lines, const void *bits, const BITMAPINFO *info, UINT usage);
BOOL WINAPI DeleteObject(HGDIOBJ obj);

#endif
