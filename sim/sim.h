// Control side of the simulated Win32 platform: what tests (and the disc
// checker) use to set up a machine, script the user, and read back what the
// program did. The product code never includes this file.
#ifndef SIM_SIM_H
#define SIM_SIM_H

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

// Forget every setting, record, script and ledger entry.
void Reset();

// ---- Ledger: every handle, block, palette and resource acquired and released.
// Kinds used: "key", "file", "global", "global-lock", "local", "palette",
// "resource", "resource-lock", "dc", "library".
void LedgerAcquire(const char *kind, const void *handle);
// False (and a ledger error is noted) when the handle was not held.
bool LedgerRelease(const char *kind, const void *handle);
bool LedgerHolds(const char *kind, const void *handle);
int Outstanding();
int Outstanding(const char *kind);
int Acquired(const char *kind);
// Releases of handles that were never acquired, double frees and the like.
const std::vector<std::string> &LedgerErrors();
// Human-readable list of what is still held, for test failure messages.
std::string LedgerReport();

// Handles count up by a fixed step and are never reused. The handles made
// next follow value in that sequence, as if every one up to it had been made
// and released: a test reaches those of a long run at once.
void SkipHandlesTo(uintptr_t value);

// ---- Failure injection. The nth call (1-based, counted from this request) of
// the named API fails the way the real one reports failure.
void FailCall(const std::string &api, int nth = 1);
// Every call of the named API from now on fails.
void FailAlways(const std::string &api);
// Counts the call and says whether it must fail. Used inside the sim.
bool ShouldFail(const char *api);
int CallCount(const std::string &api);

// Largest single block asked of GlobalAlloc, GlobalReAlloc or LocalAlloc
// since the last reset.
SIZE_T LargestAllocation();
// Largest single block the machine gives (256 MiB after a reset); larger
// requests fail as on a machine short of memory.
void SetMemoryLimit(SIZE_T bytes);

// ---- Event log: calls worth checking in order, e.g. "SetCursor(IDC_WAIT)".
void Log(const std::string &event);
const std::vector<std::string> &Events();

// ---- Kernel
void SetModulePath(const std::string &path);
void SetSystemMetric(int index, int value);
// A drive letter with its type; files on it are looked up under host_folder
// (case-insensitively, as Windows does). Unmapped letters are DRIVE_NO_ROOT_DIR.
void MapDrive(char letter, UINT type, const std::string &host_folder = "");
// Host path for a Windows path ("D:\\x\\y.ini"), or "" when the drive is not
// mapped or has no folder. The file itself need not exist.
std::string HostPath(const char *win_path);
// A removable or CD-ROM drive without its disc (present false) keeps its
// type, but every file query on it fails with ERROR_NOT_READY; unless the
// error mode holds SEM_FAILCRITICALERRORS, the query first raises the
// system's critical-error box ("There is no disk in the drive"), which is
// recorded here by the path that raised it. MapDrive puts the disc back.
void SetMediaPresent(char letter, bool present);
const std::vector<std::string> &CriticalErrorBoxes();
// The error mode last set with SetErrorMode (0 after a reset).
UINT ErrorMode();

// ---- Libraries. GetModuleHandleA knows KERNEL32 (with or without ".dll");
// LoadLibraryExA loads SHELL32, from a path or by its bare name, and nothing
// else; the event log shows its flags. GetProcAddress finds
// SetDefaultDllDirectories and SetDllDirectoryA in KERNEL32 and ShellExecuteA
// in SHELL32. The system folder is
// C:\WINDOWS\SYSTEM32. Loaded libraries are "library" in the ledger.
// GetUserDefaultUILanguage too (KERNEL32 of 2000 and later), and
// GetSystemDefaultLangID is imported as on every Windows.
// A hidden export is missing, as on the Windows versions that lack it
// (SetDllDirectoryA before XP SP1, SetDefaultDllDirectories before 8,
// GetUserDefaultUILanguage on 95, 98 and Me).
// The user's UI language, and with it the language of Windows itself
// (0x0409 after a reset); the second alone, for a user who chose another.
void SetUILanguage(LANGID language);
void SetSystemLanguage(LANGID language);
void HideExport(const std::string &dll, const std::string &function);
// The name given to each LoadLibraryExA call, in order.
const std::vector<std::string> &LibraryLoads();

// ---- Text (sim_text.cpp): the program's strings are in the machine's ANSI
// code page (Windows-1252 after a reset, as on a Western system); the
// host's file names are UTF-8 (on a Windows host, UTF-16 through the wide
// file API). Every conversion between the two is made there.
//
// The ANSI code page: what GetACP gives, and what IsDBCSLeadByte,
// CharNextA and CharPrevA split text by. False for a code page the
// simulation cannot convert (see SupportedCodePages).
bool SetCodePage(UINT codepage);
UINT CodePage();
bool IsSupportedCodePage(UINT codepage);
// "874, 932, 936, 949, 950, 1250 to 1258", for messages.
const char *SupportedCodePages();
// A lead byte of a double-byte character in the machine's code page.
bool IsLeadByte(unsigned char c);
// The code points of ANSI text; a byte sequence the code page does not
// define is U+FFFD (a byte that Windows maps to a C1 control keeps that
// meaning) and sets *invalid.
std::u32string AnsiToUnicode(const std::string &ansi, bool *invalid = nullptr);
// One code point in the ANSI code page (one or two bytes); "?" (and *lossy
// set) for a character the code page lacks.
std::string UnicodeToAnsi(uint32_t c, bool *lossy);
std::string AnsiToUtf8(const std::string &ansi);
std::string Utf8ToAnsi(const std::string &utf8, bool *lossy);
// UTF-8 text as code points; a byte that starts no well-formed sequence is
// U+FFFD.
std::u32string Utf8ToUnicode(const std::string &utf8);
std::string UnicodeToUtf8(const std::u32string &text);
// A name of the program's as the host's file system spells it (UTF-8 on
// every host: the Windows host converts at its wide file API), and back.
std::string HostName(const std::string &ansi);
std::string AnsiName(const std::string &host);
// A host path or name as UTF-8, for output.
std::string HostToUtf8(const std::string &host);
// UTF-16, big-endian (an ISO 9660 Joliet label, an X.509 BMPString), as UTF-8.
std::string Utf16BeToUtf8(const std::string &bytes);
// Windows' case-insensitive form of an ANSI name: letters of the code page
// (A-Z, the accented ones) in lower case.
std::string FoldAnsi(const std::string &ansi);
// The text of a profile file as GetPrivateProfileStringA reads it on
// Windows 2000 to 11: UTF-16 (little-endian, after its byte-order mark) in
// the ANSI code page, anything else byte for byte.
std::string ProfileText(const std::string &bytes);

// ---- Registry (HKEY_LOCAL_MACHINE only). A 32-bit program sees View32 unless
// it asks for KEY_WOW64_64KEY.
enum View { View32 = 0, View64 = 1 };
void AddRegKey(const std::string &path, View view = View32);
// Stores the bytes as given: pass a string with or without its terminator.
void SetRegValue(const std::string &path, const std::string &name, const std::string &bytes, DWORD type = REG_SZ,
                 View view = View32);
// Convenience: a REG_SZ stored with its terminator.
void SetRegString(const std::string &path, const std::string &name, const std::string &text, View view = View32);
struct RegOpen {
    std::string path;
    REGSAM sam;
    LSTATUS result;
};
const std::vector<RegOpen> &RegOpens();
// Every value read from an open key: the key's path as it was opened, the
// value's name ("" for the key's default value) and the result.
struct RegQuery {
    std::string path;
    std::string name;
    LSTATUS result;
};
const std::vector<RegQuery> &RegQueries();

// ---- Program starts
struct Start {
    std::string api;  // "WinExec" or "ShellExecuteA"
    std::string file; // WinExec: the whole command line; ShellExecuteA: lpFile
    std::string params;
    std::string verb;
    std::string dir;
    int show;
    bool has_owner;
    bool null_params;
};
const std::vector<Start> &Starts();
void SetWinExecResult(UINT result);
void SetShellExecuteResult(INT_PTR result);

// ---- Message boxes
struct MessageBoxCall {
    std::string text;
    std::string caption;
    UINT type;
    bool has_owner;
};
void QueueMessageBoxAnswer(int answer);
const std::vector<MessageBoxCall> &MessageBoxes();

// ---- Windows and dialogs
struct Window {
    HWND hwnd;
    HWND parent;
    std::string cls;
    std::string text;
    DWORD style;
    DWORD exstyle;
    int x, y, width, height;
    INT_PTR id;
    HINSTANCE instance;
    bool moved;
    bool repaint;
    bool ended;
    INT_PTR end_result;
    std::map<int, std::string> item_text; // SetDlgItemTextA
    DLGPROC proc;
    std::string templ;
};
Window *FindWindowRecord(HWND hwnd);
// Children of a window in creation order.
std::vector<Window *> Children(HWND parent);

// What a scripted user does to a dialog: called after WM_INITDIALOG with the
// dialog's window and procedure; the dialog ends when EndDialog is called.
typedef std::function<void(HWND dlg, DLGPROC proc)> DialogScript;
// DialogBoxParamA returns the result as is. -1 stands for a dialog that could
// not be created: its procedure is never called. Any other result runs
// WM_INITDIALOG first.
void QueueDialogResult(INT_PTR result);
// Runs WM_INITDIALOG, then sends WM_COMMAND with each id until the dialog
// ends; returns what it gave EndDialog.
void QueueDialogCommands(const std::vector<WORD> &ids);
void QueueDialogScript(DialogScript script);
// Sends one message to a dialog procedure the way the dialog manager does.
INT_PTR Send(HWND dlg, DLGPROC proc, UINT msg, WPARAM wparam, LPARAM lparam);
struct DialogCall {
    std::string templ; // the name passed, or "#id" for an integer resource
    HINSTANCE instance;
    bool has_owner;
    DLGPROC proc;
    LPARAM param;
    HWND hwnd;
    INT_PTR result;
    // What the procedure returned for WM_INITDIALOG: TRUE lets the dialog
    // manager give the focus to the first control that takes it.
    INT_PTR init_result;
    bool scripted;
};
const std::vector<DialogCall> &Dialogs();
// Caption a dialog starts with before its procedure runs (the template's title).
void SetDialogTemplateTitle(const std::string &templ, const std::string &title);

// ---- Cursors
enum CursorId { CursorNone = 0, CursorArrow = 32512, CursorWait = 32514 };
int CurrentCursor();

// ---- Resources: the module's own, looked up by name without regard to case.
void SetResource(const std::string &name, LPCSTR type, const std::string &bytes);

// ---- Files. CreateFileA opens real files through HostPath, or an in-memory
// file set here (looked up first, by Windows path without regard to case).
void SetMemoryFile(const std::string &win_path, const std::string &bytes);
struct FileOpen {
    std::string path;
    DWORD access, share, creation, flags;
    bool opened;
};
const std::vector<FileOpen> &FileOpens();
struct FileRead {
    HANDLE file;
    DWORD offset;    // position before the read
    DWORD requested;
    DWORD got;       // 0 when the read failed
    bool ok;
};
const std::vector<FileRead> &FileReads();

// ---- Graphics. Palettes made by CreatePalette, in order, with their entries
// as given (the LOGPALETTE may be freed after the call).
struct PaletteRecord {
    HPALETTE handle;
    WORD version;
    std::vector<PALETTEENTRY> entries;
};
const std::vector<PaletteRecord> &CreatedPalettes();
// Entries of a live palette, or of the stock palette (20 system colours).
std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette);
HPALETTE StockPalette();
// A device context's state: palette selected (the stock one at first),
// whether a realize followed the last selection, stretch mode (BLACKONWHITE
// at first).
HPALETTE SelectedPalette(HDC dc);
int StretchMode(HDC dc);
struct DibDraw {
    HDC dc;
    int xDest, yDest;
    DWORD width, height;
    int xSrc, ySrc;
    UINT startScan, lines;
    UINT usage;
    const void *bits;
    const void *info;
    BITMAPINFOHEADER header;          // copy of the first 40 header bytes
    HPALETTE palette;                 // selected in the DC at the time
    bool realized;                    // RealizePalette since that selection
    std::vector<PALETTEENTRY> colours; // the palette's entries at the time
    std::string pixels;               // every pixel byte GDI read, in order
    std::string colourTable;          // the colour-table bytes GDI read
};
// Every SetDIBitsToDevice call. Pixel bytes are kept only for the last call
// when KeepDrawnPixels(false) was asked (the benchmark's many repaints).
const std::vector<DibDraw> &DibDraws();
void KeepDrawnPixels(bool keep);

} // namespace sim

#endif
