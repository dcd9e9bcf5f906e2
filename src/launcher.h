// Launch control: start-up, installation probe and launch decision.
#ifndef LAUNCHER_LAUNCHER_H
#define LAUNCHER_LAUNCHER_H

#include <windows.h>

#include "texts.h"

typedef WORD InstallStatus;
enum {
    NotInstalled = 0,
    Installed = 1,
    Incomplete = 4
};

#define PROGRAM_NAME_SIZE 128
#define COMMAND_LINE_SIZE 512
#define INSTALLER_PATH_SIZE 512
#define CONFIG_VALUE_SIZE 128
#define KEY_PATH_SIZE 512
#define MESSAGE_SIZE 1024
#define VALUE_NAME_SIZE 256

struct ProductEntry {
    const char *section; /* token inside the product list; null when absent */
    char programName[PROGRAM_NAME_SIZE];
    char commandLine[COMMAND_LINE_SIZE];
    InstallStatus status;
};

struct LauncherPaths {
    char installer[INSTALLER_PATH_SIZE];
    char config[MAX_PATH];
    char bitmap[MAX_PATH];
};

/* Everything the run owns; the dialogs read from it. */
struct LauncherState {
    HINSTANCE instance;
    LauncherPaths paths;
    char configMarker[CONFIG_VALUE_SIZE];
    char productName[CONFIG_VALUE_SIZE];
    char productList[CONFIG_VALUE_SIZE];
    ProductEntry products[2];
    char message[MESSAGE_SIZE];
};

extern LauncherState g_launcher;

/* Where a product's installation record is looked for: the key under
   HKEY_LOCAL_MACHINE and the names of its two string values. */
struct RecordPlace {
    char keyPath[KEY_PATH_SIZE];
    char driveValue[VALUE_NAME_SIZE]; /* empty: the drive is not checked */
    char commandValue[VALUE_NAME_SIZE];
};


int RunLauncher(HINSTANCE instance);

/* What RunLauncher does first: DLLs come from the system folder only, and
   a drive without its disc makes file queries fail, not raise a box. */
void PrepareProcess(void);

/* Functions looked up rather than imported are called through their own
   type, cast from this one. */
typedef void (*AnyProc)(void);
/* A function of KERNEL32 that not every Windows has; null where it lacks it. */
FARPROC KernelProc(const char *name);

/* Replaces whatever follows at with name, when that fits size characters
   with its terminator; otherwise leaves buffer alone and says so. */
BOOL PlaceName(char *buffer, int size, char *at, const char *name);

/* Fills the three sibling paths from the module path; a path that does not
   fit its buffer is left empty. */
void FormLauncherPaths(HINSTANCE instance, LauncherPaths *paths);

/* Takes the next token in place, strtok-style, with one continuation
   position for the whole process; pass null to continue the last string. */
char *NextToken(char *text, const char *delimiters);

InstallStatus ProbeProduct(const char *section, const char *configPath, char *programName, char *commandLine);

/* Reads a product's section: its ProgramName into programName (capacity
   PROGRAM_NAME_SIZE) and where its record is. FALSE, with an empty key
   path, when the key path does not fit. */
BOOL LocateRecord(const char *section, const char *configPath, char *programName, RecordPlace *place);

/* Why the launcher does not take an Installer= path (relative to the disc
   root) in place of setup.exe; InstallerFine when it takes it. */
enum {
    InstallerFine,
    InstallerEmpty,
    InstallerOutside,      /* a drive, a leading separator, a network path */
    InstallerClimbs,       /* "..", which may climb out of the disc */
    InstallerBadCharacter, /* a quote (which would pass arguments) or < > | * ? */
    InstallerTooLong       /* MAX_PATH - 1 characters or more: may have been cut */
};
int InstallerProblem(const char *path);

BOOL IsUsableDrive(const char *rootPath);

/* A program file is there: found and not a folder. */
BOOL IsProgramFile(const char *program);

/* Copies the program part of a command line into program (capacity size):
   the text inside a leading pair of quotes; else the longest prefix that
   ends where a token ends and names a program file (so an unquoted
   C:\Program Files\... is found whole); else the first token. Returns a
   pointer to the rest of the line, blanks skipped, or null when the program
   does not fit. */
const char *SplitCommandLine(const char *commandLine, char *program, int size);

/* Starts a program and returns at once; nothing is reported. A program
   path with a blank is handed to Windows inside quotes. */
void StartProgram(const char *commandLine, BOOL isInstaller);

void DecideAndLaunch(InstallStatus s1, InstallStatus s2, const ProductEntry *p1, const ProductEntry *p2,
                     const char *productName, const LauncherPaths *paths);

#endif
