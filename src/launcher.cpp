// Launch control: finds the files beside the launcher, reads install.ini,
// probes each product's installation record and starts what the user picks.
#include "launcher.h"

#include "chars.h"
#include "dialogs.h"
#include "profile.h"
#include "../res/ids.h"

LauncherState g_launcher;

static const char kProductDelimiters[] = " ,\t\n";
static const char kCommandDelimiters[] = " \t\n";
static const char kKeyRoot[] = "SOFTWARE\\Vantorel";
// The installer in the root of the current drive; without its backslash,
// the name of the installer beside the launcher's folder.
static const char kRootSetup[] = "\\setup.exe";

// Functions looked up rather than imported, so that the launcher starts on
// every Windows from 95 on and loads the shell only when it needs it.
typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD);
typedef BOOL(WINAPI *SetDllDirectoryProc)(LPCSTR);
typedef HINSTANCE(WINAPI *ShellExecuteProc)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The error mode the launcher was started with: what it starts gets it back.
static UINT s_startErrorMode;

// How the shell is loaded. Where the system folder is already the only
// place DLLs come from, plainly; otherwise the shell's own DLLs would be
// looked for in the launcher's folder first, so the search for them starts
// in the shell's folder instead.
static DWORD s_shellLoadFlags;

// The delimiters, quotes, colons and dots that scans here look for are all
// below 0x40, which is never the second byte of a character: such a scan
// may step a byte at a time. A scan for '\\', '{', '}' or '|' walks by
// character (chars.h).
static BOOL IsDelimiter(char c, const char *delimiters) {
    for (; *delimiters; ++delimiters)
        if (c == *delimiters)
            return TRUE;
    return FALSE;
}

// Appends text when the result fits size characters with its terminator;
// otherwise leaves buffer alone and says so.
static BOOL AppendText(char *buffer, int size, const char *text) {
    int used = lstrlenA(buffer);
    if (used + lstrlenA(text) + 1 > size)
        return FALSE;
    lstrcpyA(buffer + used, text);
    return TRUE;
}

BOOL PlaceName(char *buffer, int size, char *at, const char *name) {
    *at = 0;
    return AppendText(buffer, size, name);
}

// The module path, terminated; empty when it cannot be had whole.
static void ReadModulePath(HINSTANCE instance, char *buffer, DWORD size) {
    DWORD length = GetModuleFileNameA(instance, buffer, size);
    buffer[size - 1] = 0;
    if (length == 0 || length >= size)
        buffer[0] = 0;
}

// Leading and trailing backslashes of a key path name no key.
static void DropBackslashes(char *path) {
    char *from = path;
    char *to = path;
    char *end = path;
    while (*from == '\\')
        ++from;
    while ((*to++ = *from++) != 0)
        ;
    // The path ends after its last character that is not a backslash.
    for (char *p = path; *p;) {
        BOOL slash = *p == '\\';
        p = NextChar(p);
        if (!slash)
            end = p;
    }
    *end = 0;
}

void FormLauncherPaths(HINSTANCE instance, LauncherPaths *paths) {
    char *slash;

    // The installer sits one folder above the launcher's own.
    ReadModulePath(instance, paths->installer, INSTALLER_PATH_SIZE);
    slash = FindLastChar(paths->installer, '\\');
    if (slash) {
        *slash = 0;
        slash = FindLastChar(paths->installer, '\\');
    }
    if (!slash)
        lstrcpyA(paths->installer, kRootSetup);
    else if (!PlaceName(paths->installer, INSTALLER_PATH_SIZE, slash + 1, kRootSetup + 1))
        paths->installer[0] = 0;

    ReadModulePath(instance, paths->config, MAX_PATH);
    slash = FindLastChar(paths->config, '\\');
    if (!slash || !PlaceName(paths->config, MAX_PATH, slash + 1, "install.ini"))
        paths->config[0] = 0;

    lstrcpyA(paths->bitmap, paths->config);
    slash = FindLastChar(paths->bitmap, '\\');
    if (!slash || !PlaceName(paths->bitmap, MAX_PATH, slash + 1, "Launcher.bmp"))
        paths->bitmap[0] = 0;
}

char *NextToken(char *text, const char *delimiters) {
    static char *next;
    char *start;
    char *end;

    if (text)
        next = text;
    if (!next)
        return 0;
    start = next;
    while (*start && IsDelimiter(*start, delimiters))
        ++start;
    if (!*start) {
        next = start;
        return 0;
    }
    end = start;
    while (*end && !IsDelimiter(*end, delimiters))
        ++end;
    if (*end) {
        *end = 0;
        next = end + 1;
    } else {
        next = end;
    }
    return start;
}

BOOL IsUsableDrive(const char *rootPath) {
    UINT type = GetDriveTypeA(rootPath);
    return type >= DRIVE_REMOVABLE && type <= DRIVE_CDROM;
}

// Reads a string value whole and terminated. A missing value, or one longer
// than size - 1 characters, gives FALSE and an empty buffer.
static BOOL ReadRegString(HKEY key, const char *name, char *buffer, DWORD size) {
    DWORD type;
    DWORD length = size;
    LONG rc = RegQueryValueExA(key, name, 0, &type, (LPBYTE)buffer, &length);
    if (rc != ERROR_SUCCESS || length > size) {
        buffer[0] = 0;
        return FALSE;
    }
    if (length > 0 && buffer[length - 1] == 0)
        return TRUE;
    if (length < size) {
        buffer[length] = 0;
        return TRUE;
    }
    buffer[0] = 0;
    return FALSE;
}

// The first character of the drive value, however long the value is.
static char ReadDriveLetter(HKEY key, const char *name, char *work, DWORD size) {
    DWORD type;
    DWORD length = size;
    char letter = 0;
    LONG rc;

    work[0] = 0;
    rc = RegQueryValueExA(key, name, 0, &type, (LPBYTE)work, &length);
    if (rc == ERROR_SUCCESS)
        return length > 0 ? work[0] : 0;
    if (rc == ERROR_MORE_DATA && length > size) {
        DWORD needed = length;
        char *big = (char *)LocalAlloc(LMEM_FIXED, needed);
        if (!big)
            return 0;
        if (RegQueryValueExA(key, name, 0, &type, (LPBYTE)big, &length) == ERROR_SUCCESS && length > 0 &&
            length <= needed)
            letter = big[0];
        LocalFree(big);
    }
    return letter;
}

static const char *SkipDelimiters(const char *p) {
    while (*p && IsDelimiter(*p, kCommandDelimiters))
        ++p;
    return p;
}

static BOOL HoldsDelimiter(const char *text) {
    for (; *text; ++text)
        if (IsDelimiter(*text, kCommandDelimiters))
            return TRUE;
    return FALSE;
}

// A bare name ("notepad.exe") is looked for where Windows looks when it
// starts one, which OpenFile does too. A path goes to GetFileAttributesA:
// OpenFile fails for 128 characters or more even when the file is there.
BOOL IsProgramFile(const char *program) {
    OFSTRUCT found;
    DWORD attributes;
    const char *p;

    for (p = program; *p; p = NextChar(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            break;
    if (!*p)
        return OpenFile(program, &found, OF_EXIST) != HFILE_ERROR;
    attributes = GetFileAttributesA(program);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Windows drops the trailing dots and blanks of a name and resolves "." and
// "..", so "C:\Run.exe ." and "C:\Run.exe -d ..\..\x.dat" may name files
// without being the program's path. A prefix longer than the first token
// counts only when no name in it ends with a dot or a blank.
// A byte at a time is enough: a '\\' that is the second byte of a
// character follows its first byte, never a dot or a blank.
static BOOL IsLiteralPath(const char *path, int length) {
    for (int i = 1; i <= length; ++i)
        if ((i == length || path[i] == '\\' || path[i] == '/') && (path[i - 1] == '.' || path[i - 1] == ' '))
            return FALSE;
    return TRUE;
}

// The length of the program at the start of an unquoted line: the longest
// prefix that ends where a token ends and names a program file, else the
// first token. Windows itself tries the shortest first, which lets a file
// such as "C:\Program" stand in for "C:\Program Files\...".
static int ProgramLength(const char *line) {
    char candidate[COMMAND_LINE_SIZE];
    int first = 0;
    int length = lstrlenA(line);

    // Stepping back a byte at a time finds the same token ends: a delimiter
    // is never the second byte of a character.
    while (line[first] && !IsDelimiter(line[first], kCommandDelimiters))
        ++first;
    for (; length > first; --length) {
        if (IsDelimiter(line[length - 1], kCommandDelimiters) ||
            (line[length] && !IsDelimiter(line[length], kCommandDelimiters)))
            continue;
        if (length >= COMMAND_LINE_SIZE || !IsLiteralPath(line, length))
            continue;
        lstrcpynA(candidate, line, length + 1);
        if (IsProgramFile(candidate))
            return length;
    }
    return first;
}

const char *SplitCommandLine(const char *commandLine, char *program, int size) {
    const char *p = SkipDelimiters(commandLine);
    const char *start;
    int length;

    if (*p == '"') {
        start = ++p;
        while (*p && *p != '"')
            ++p;
        length = (int)(p - start);
        if (*p == '"')
            ++p;
    } else {
        start = p;
        length = ProgramLength(start);
        p = start + length;
    }
    if (length >= size)
        return 0;
    for (int i = 0; i < length; ++i)
        program[i] = start[i];
    program[length] = 0;
    return SkipDelimiters(p);
}

// What is recorded under an open key: Installed, or Incomplete when the drive
// or the program is gone. A product installed to the hard disk may have no
// drive to check.
static InstallStatus CheckRecord(HKEY key, const RecordPlace *place, char *commandLine, char *work) {
    char root[4];
    char program[COMMAND_LINE_SIZE];

    if (place->driveValue[0]) {
        root[0] = ReadDriveLetter(key, place->driveValue, work, COMMAND_LINE_SIZE);
        if (!root[0])
            return Incomplete;
        root[1] = ':';
        root[2] = '\\';
        root[3] = 0;
        if (!IsUsableDrive(root))
            return Incomplete;
    }

    if (!ReadRegString(key, place->commandValue, work, COMMAND_LINE_SIZE) || !work[0])
        return Incomplete;
    lstrcpyA(commandLine, work);
    if (!SplitCommandLine(work, program, COMMAND_LINE_SIZE) || !program[0] || !IsProgramFile(program))
        return Incomplete;
    return Installed;
}

BOOL LocateRecord(const char *section, const char *configPath, char *programName, RecordPlace *place) {
    char version[COMMAND_LINE_SIZE];
    char given[KEY_PATH_SIZE + 1]; // one more than fits: a longer key is never cut and opened
    char *path = place->keyPath;

    ReadProfile(section, "ProgramName", programName, PROGRAM_NAME_SIZE, configPath);
    ReadProfile(section, "Version", version, COMMAND_LINE_SIZE, configPath);

    ListKeys(section, configPath);
    if (ReadOption(section, "DriveValue", place->driveValue, VALUE_NAME_SIZE, configPath) < 0)
        lstrcpyA(place->driveValue, "CD");
    if (ReadOption(section, "CommandValue", place->commandValue, VALUE_NAME_SIZE, configPath) < 0 ||
        !place->commandValue[0])
        lstrcpyA(place->commandValue, "CommandLine");
    given[0] = 0;
    path[0] = 0;
    // A value that fills its buffer may have been cut: whatever backslashes
    // it starts with, it names no record.
    if (ReadOption(section, "RegistryKey", given, KEY_PATH_SIZE + 1, configPath) >= KEY_PATH_SIZE)
        return FALSE;
    DropBackslashes(given);
    if (given[0])
        return AppendText(path, KEY_PATH_SIZE, given);

    ListKeys("INSTALL", configPath);
    if (ReadOption("INSTALL", "RegistryRoot", given, KEY_PATH_SIZE + 1, configPath) >= KEY_PATH_SIZE)
        return FALSE;
    DropBackslashes(given);
    if (!given[0])
        lstrcpyA(given, kKeyRoot);
    // <root>\<ProgramName>\<Version>\<section>. A path that does not fit is
    // never cut and opened: it names no record.
    const char *parts[7] = {given, "\\", programName, "\\", version, "\\", section};
    for (int i = 0; i < 7; ++i)
        if (!AppendText(path, KEY_PATH_SIZE, parts[i])) {
            path[0] = 0;
            return FALSE;
        }
    return TRUE;
}

InstallStatus ProbeProduct(const char *section, const char *configPath, char *programName, char *commandLine) {
    RecordPlace place;
    char work[COMMAND_LINE_SIZE]; // the recorded command line
    HKEY key;
    InstallStatus status;

    commandLine[0] = 0;
    if (!LocateRecord(section, configPath, programName, &place))
        return NotInstalled;

    // 32-bit installers record themselves in the 32-bit view, which is where
    // the first look goes. A 64-bit installer writes to the 64-bit view, so
    // look there once more before giving up. The flag is only ever used on
    // that second look: systems without a 64-bit view ignore it or refuse it,
    // and either way nothing new is found there.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, place.keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, place.keyPath, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return NotInstalled;
    status = CheckRecord(key, &place, commandLine, work);
    RegCloseKey(key);
    return status;
}

FARPROC KernelProc(const char *name) {
    HMODULE kernel = GetModuleHandleA("KERNEL32");
    return kernel ? GetProcAddress(kernel, name) : 0;
}

void PrepareProcess(void) {
    HMODULE kernel = GetModuleHandleA("KERNEL32");
    FARPROC setDefault = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : 0;
    FARPROC setDirectory;

    // A disc copied to a folder such as Downloads has strangers' files
    // beside it: every DLL loaded from here on (the window theme, the shell)
    // comes from the system folder, never from the launcher's folder or the
    // current one. Windows 8 and later (and 7 and Vista with their update)
    // can say so; XP SP1 and later can at least drop the current folder.
    s_shellLoadFlags = 0;
    if (!setDefault || !((SetDefaultDllDirectoriesProc)(AnyProc)setDefault)(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        s_shellLoadFlags = LOAD_WITH_ALTERED_SEARCH_PATH;
        setDirectory = kernel ? GetProcAddress(kernel, "SetDllDirectoryA") : 0;
        if (setDirectory)
            ((SetDllDirectoryProc)(AnyProc)setDirectory)("");
    }
    // A drive without its disc makes a file query raise the system's "no
    // disk" box, which would stop the launcher until the user answers: the
    // query is to fail instead, and such a program count as not there.
    s_startErrorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

// "program" arguments, in line (COMMAND_LINE_SIZE + 2 characters: room for
// any line of up to 511 with its program quoted). FALSE when it does not fit.
static BOOL QuoteProgram(char *line, const char *program, const char *params) {
    if (lstrlenA(program) + lstrlenA(params) + 4 > COMMAND_LINE_SIZE + 2)
        return FALSE;
    wsprintfA(line, params[0] ? "\"%s\" %s" : "\"%s\"", program, params);
    return TRUE;
}

// The shell, loaded for this one call by its full path in the system
// folder, and released again.
static void ShellStart(const char *program, const char *params) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE shell;
    FARPROC shellExecute;

    if (length == 0 || length >= MAX_PATH || !AppendText(path, MAX_PATH, "\\SHELL32.DLL"))
        return;
    shell = LoadLibraryExA(path, 0, s_shellLoadFlags);
    if (!shell)
        return;
    shellExecute = GetProcAddress(shell, "ShellExecuteA");
    if (shellExecute)
        ((ShellExecuteProc)(AnyProc)shellExecute)(0, "open", program, params[0] ? params : 0, 0, SW_SHOW);
    FreeLibrary(shell);
}

void StartProgram(const char *commandLine, BOOL isInstaller) {
    char program[COMMAND_LINE_SIZE];
    char quoted[COMMAND_LINE_SIZE + 2];
    const char *params = "";
    const char *line = commandLine;

    if (!commandLine[0])
        return;
    // The installer path is one file name, blanks and all.
    if (isInstaller)
        lstrcpynA(program, commandLine, COMMAND_LINE_SIZE);
    else
        params = SplitCommandLine(commandLine, program, COMMAND_LINE_SIZE);
    // Given a path with a blank unquoted, Windows runs the text before the
    // blank when that names a program ("C:\Product.exe" for
    // "C:\Product CD\setup.exe"), so such a path goes inside quotes.
    if (params && *SkipDelimiters(commandLine) != '"' && HoldsDelimiter(program)) {
        if (!QuoteProgram(quoted, program, params))
            return;
        line = quoted;
    }
    SetErrorMode(s_startErrorMode);
    if (WinExec(line, SW_SHOW) >= 32 || !params || !program[0])
        return;
    // WinExec cannot start a program that needs elevation; the shell can,
    // and asks the user on our behalf.
    ShellStart(program, params);
}

static INT_PTR ShowDialog(const char *name, DLGPROC proc, const char *param) {
    return DialogBoxParamA(g_launcher.instance, name, 0, proc, (LPARAM)param);
}

// A choice dialog, its buttons worded as the disc words them: first and the
// caption after it, then Cancel.
static INT_PTR ShowChoice(const char *name, int first, const char *message) {
    INT_PTR result;
    g_texts.choiceFirst = first + 1;
    result = ShowDialog(name, ChoiceDlgProc, message);
    g_texts.choiceFirst = 0;
    return result;
}

void DecideAndLaunch(InstallStatus s1, InstallStatus s2, const ProductEntry *p1, const ProductEntry *p2,
                     const char *productName, const LauncherPaths *paths) {
    char *message = g_launcher.message;
    const char *values[PlaceholderCount] = {productName, p1->programName, p2->programName, 0, 0};
    INT_PTR result;

    if (s1 == Incomplete || s2 == Incomplete) {
        const ProductEntry *broken;
        const ProductEntry *runnable;
        if (s1 == Installed) {
            broken = p2;
            runnable = p1;
        } else if (s2 == Installed) {
            broken = p1;
            runnable = p2;
        } else {
            FillInText(message, MESSAGE_SIZE, DiscText(TextRepair), values);
            if (MessageBoxA(0, message, DiscText(TextRepairCaption), MB_YESNO) == IDYES)
                StartProgram(paths->installer, TRUE);
            return;
        }
        values[PlaceIncomplete] = broken->programName;
        values[PlaceRunnable] = runnable->programName;
        FillInText(message, MESSAGE_SIZE, DiscText(TextOneIncomplete), values);
        result = ShowChoice("InstallRun", TextInstall, message);
        if (result == IDC_FIRST_CHOICE)
            StartProgram(paths->installer, TRUE);
        else if (result == IDC_SECOND_CHOICE)
            StartProgram(runnable->commandLine, FALSE);
        return;
    }

    if (s1 != NotInstalled || s2 != NotInstalled) {
        if (ShowDialog("LAUNCHER", SplashDlgProc, DiscText(TextRun)) == 0)
            return;
        if (s1 == Installed && s2 == Installed) {
            FillInText(message, MESSAGE_SIZE, DiscText(TextBothInstalled), values);
            result = ShowChoice("RunRun", TextRunFirst, message);
            if (result == IDC_FIRST_CHOICE)
                StartProgram(p1->commandLine, FALSE);
            else if (result == IDC_SECOND_CHOICE)
                StartProgram(p2->commandLine, FALSE);
            return;
        }
        StartProgram(s1 == Installed ? p1->commandLine : p2->commandLine, FALSE);
        return;
    }

    if (ShowDialog("LAUNCHER", SplashDlgProc, DiscText(TextInstall)) != 0)
        StartProgram(paths->installer, TRUE);
}

int InstallerProblem(const char *path) {
    const char *p = path;
    if (!*p)
        return InstallerEmpty;
    if (*p == '\\' || *p == '/')
        return InstallerOutside;
    for (; *p; p = NextChar(p)) {
        if (*p == ':')
            return InstallerOutside;
        if (*p == '.' && p[1] == '.')
            return InstallerClimbs;
        // Quotes would let the value pass arguments; the rest no file name holds.
        for (const char *bad = "\"<>|*?"; *bad; ++bad)
            if (*p == *bad)
                return InstallerBadCharacter;
    }
    return p - path > MAX_PATH - 2 ? InstallerTooLong : InstallerFine;
}

// The disc's own installer, named relative to the disc root, in place of
// setup.exe; one that would not fit starts nothing, as an over-long path
// does.
static void PlaceInstaller(char *installer, const char *relative) {
    if (installer[0] && !PlaceName(installer, INSTALLER_PATH_SIZE, FindLastChar(installer, '\\') + 1, relative))
        installer[0] = 0;
}

// The disc's optional keys beyond the products': its installer and its
// wording, in the user's language where the disc has it.
static void ReadDiscOptions(LauncherPaths *paths, char *productName) {
    char installer[MAX_PATH];
    const char *config = paths->config;

    ListKeys("INSTALL", config);
    if (ReadOption("INSTALL", "Installer", installer, MAX_PATH, config) >= 0 && !InstallerProblem(installer))
        PlaceInstaller(paths->installer, installer);
    ReadDiscTexts(paths, productName);
}

int RunLauncher(HINSTANCE instance) {
    LauncherState *s = &g_launcher;
    ProductEntry *p1 = &s->products[0];
    ProductEntry *p2 = &s->products[1];

    PrepareProcess();
    s->instance = instance;
    FormLauncherPaths(instance, &s->paths);
    s->configMarker[0] = 0;
    s->productList[0] = 0;
    s->productName[0] = 0;
    // Both products not installed, with no section, name or command line.
    ZeroMemory(s->products, sizeof s->products);
    for (int i = 0; i < TextCount; ++i)
        g_texts.texts[i][0] = 0;

    if (s->paths.config[0]) {
        ReadProfile("INSTALL", "ConfigFile", s->configMarker, CONFIG_VALUE_SIZE, s->paths.config);
        ReadProfile("INSTALL", "ProductName", s->productName, CONFIG_VALUE_SIZE, s->paths.config);
        if (s->configMarker[0])
            ReadProfile("INSTALL", "Product", s->productList, CONFIG_VALUE_SIZE, s->paths.config);
    }
    if (s->productList[0]) {
        // Both names are taken before either product is probed.
        p1->section = NextToken(s->productList, kProductDelimiters);
        p2->section = p1->section ? NextToken(0, kProductDelimiters) : 0;
        if (p1->section)
            p1->status = ProbeProduct(p1->section, s->paths.config, p1->programName, p1->commandLine);
        if (p2->section)
            p2->status = ProbeProduct(p2->section, s->paths.config, p2->programName, p2->commandLine);
    }
    if (s->paths.config[0])
        ReadDiscOptions(&s->paths, s->productName);

    DecideAndLaunch(p1->status, p2->status, p1, p2, s->productName, &s->paths);
    return 1;
}
