// Launch control: start-up, installation probe and launch decision.
#ifndef LAUNCHER_LAUNCHER_H
#define LAUNCHER_LAUNCHER_H

#include <windows.h>

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
#define CAPTION_SIZE 64
#define TEXT_SIZE 512
#define KEY_LIST_SIZE 32767

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

/* The launcher's texts that [Texts] of install.ini may reword, keyed by
   kTextKeys: the captions first, then the three messages. TextRun follows
   TextInstall, and TextRunSecond TextRunFirst: a choice dialog's two
   buttons. */
enum {
    TextInstall,
    TextRun,
    TextCancel,
    TextRunFirst,
    TextRunSecond,
    TextRepairCaption,
    TextBothInstalled,
    TextOneIncomplete,
    TextRepair,
    TextCount,
    CaptionCount = TextBothInstalled
};
/* What {ProductName}, {First}, {Second}, {Incomplete} and {Runnable} of a
   message stand for, in this order. */
enum { PlaceProductName, PlaceFirst, PlaceSecond, PlaceIncomplete, PlaceRunnable, PlaceholderCount };

extern const char *const kTextKeys[TextCount];
extern const char *const kDefaultTexts[TextCount]; /* the messages with placeholders */
extern const char *const kPlaceholderNames[PlaceholderCount];

struct LauncherTexts {
    /* Empty: the launcher's own. A caption holds up to CAPTION_SIZE - 1
       characters, a message up to TEXT_SIZE - 1. */
    char texts[TextCount][TEXT_SIZE];
    /* While a choice dialog is shown: 1 + the text of its button 101
       (TextInstall or TextRunFirst); button 102 has the next one, and
       Cancel TextCancel. 0 otherwise. */
    int choiceFirst;
};

extern LauncherTexts g_texts;

int RunLauncher(HINSTANCE instance);

/* What RunLauncher does first: DLLs come from the system folder only, and
   a drive without its disc makes file queries fail, not raise a box. */
void PrepareProcess(void);

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

/* A text as the launcher shows it: the disc's, or the launcher's own. */
const char *DiscText(int which);

/* Copies text into buffer (capacity size, cut where it ends) with each
   placeholder whose value is not null replaced by that value; any other
   "{...}" stays as it stands. The text is never a format. */
void FillInText(char *buffer, int size, const char *text, const char *const *values);
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
