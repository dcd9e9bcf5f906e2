// What the checker's parts share: the report, the files of the disc, the
// simulated machine the launcher's code runs on, profile files, and the
// checks and prediction that Main runs.
#ifndef DISCCHECK_DISCCHECK_INTERNAL_H
#define DISCCHECK_DISCCHECK_INTERNAL_H

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "launcher.h"
#include "regfile.h"

namespace disccheck {

// ---- Output (report.cpp)

// Three kinds of line: "error: ...", "warning: ..." and facts without a
// prefix. Their text is in the launcher's code page, Windows-1252, as the
// values it quotes are, but for what Host() and Utf8() mark; the report
// writes it all out as UTF-8.
struct Report {
    std::ostream &out;
    int errors = 0;
    int warnings = 0;
    // Files whose finding is already given (the image check's, for a file
    // Windows does not see on the disc): later findings about them are left out.
    std::set<std::string> settled = {};
    void Error(const std::string &text);
    void Warning(const std::string &text);
    void Info(const std::string &text);
};

std::string Quote(const std::string &s);
std::string Num(long long n);
// "1 key", "2 keys".
std::string Counted(long long n, const char *one, const char *many);
// Text of this machine (its paths and names, UTF-8 on Linux, ANSI on
// Windows), and text that is UTF-8 whatever the machine (an image's label, a
// certificate's name): marked so that the report converts it right.
std::string Host(const std::string &text);
std::string Utf8(const std::string &text);
// Text so marked, as the report writes it (for messages that are no report line).
std::string ToUtf8(const std::string &text);

// ---- Files of the disc (disc_files.cpp): the one place the checker itself
// reads them

// Little-endian numbers in a file's bytes; 0 beyond their end.
uint32_t Le32(const std::string &b, size_t at);
uint32_t Le16(const std::string &b, size_t at);

// std::filesystem's paths for the host's names (UTF-8 on every host), and
// back: on Windows a path made from a narrow name reads it as ANSI.
std::filesystem::path FsPath(const std::string &host);
std::string HostOf(const std::filesystem::path &path);

bool IsRegularFile(const std::string &host);
bool IsFolder(const std::string &host);
bool ReadWhole(const std::string &host, std::string *bytes);
// Up to count bytes from offset on (fewer at the end of the file).
bool ReadAt(const std::string &host, unsigned long long offset, size_t count, std::string *bytes);
// Why a folder or a file cannot be read ("it does not exist", ...); empty
// when it can.
std::string FolderProblem(const std::string &host);
std::string FileProblem(const std::string &host);

// ---- The machine the launcher runs on (machine.cpp)

struct Machine {
    std::string root;   // host folder of the disc root
    std::string folder; // the launcher folder's name on the disc; empty in the root
    char disc = 'D';
    std::vector<std::pair<char, std::string>> drives; // fixed disks
    bool has_registry = false;
    RegImage registry;
    // The user's UI language and the ANSI code page of the machine predicted
    // (--language). Language 0: a user whom no language section speaks to,
    // who sees the disc's own [Texts]; code page 0: the disc's.
    unsigned language = 0;
    UINT codepage = 0;
};

std::string ModulePath(const Machine &m);
void SetUp(const Machine &m);

// ---- Language sections of install.ini (languages.cpp, language_check.cpp)

// A Windows language: its ID, English name and usual ANSI code page (0 for
// the languages Windows runs in Unicode only).
struct Language {
    unsigned id;
    const char *name;
    UINT codepage;
};
const Language *FindLanguage(unsigned id);
// "0415"; and back from exactly 4 hex digits in either case.
std::string LanguageId(unsigned id);
bool ParseLanguageId(const std::string &text, unsigned *id);

// A [Texts.XXXX] section the launcher can choose, as install.ini spells it.
struct LanguageSection {
    std::string section; // "Texts.0415"
    unsigned id = 0;
    std::string codepage_text; // its CodePage, else [INSTALL]'s; empty: neither names one
    bool own_codepage = false; // the section names its code page itself
    bool is_number = true;     // codepage_text is empty or digits only, as the launcher takes it
    // The code page its text is written in: codepage_text's, else the
    // language's usual one; 0 when neither tells.
    UINT codepage = 0;
};
// The language sections of install.ini (a Windows path) in its order, read
// as the launcher lists them; bad: the sections named "Texts." and more
// that it ignores.
std::vector<LanguageSection> LanguageSectionsOf(const std::string &config, std::vector<std::string> *bad = nullptr);

// ---- The disc's code page (code_page.cpp)

// The code page everything of the disc is read in, for the whole run; the
// simulated machine takes it too.
void SetDiscCodePage(UINT codepage);
UINT DiscCodePage();
// sim::Reset(), the machine keeping the disc's code page.
void ResetMachine();
// A code page number the checker can read ("932"); false for anything else.
bool ParseCodePage(const std::string &text, UINT *codepage);
// What to say of a code page it cannot read: the ones it can.
std::string UnknownCodePage(const std::string &text);
std::string CodePageName(UINT codepage);
// The disc's code page as advice names it: "Windows-1252", "code page 932".
std::string AnsiLabel();
// The bytes of the character at at: a lead byte and its trail byte are one,
// and a lead byte at the very end stands alone.
size_t CharLength(const std::string &ansi, size_t at);
// ANSI text in the disc's code page, a character (one or two bytes) each.
std::vector<std::string> CharsOf(const std::string &ansi);
// Where c (ASCII) stands as a whole character, at or after from; never the
// second byte of a double-byte character. npos when nowhere.
size_t FindWhole(const std::string &ansi, char c, size_t from = 0);
size_t LastWhole(const std::string &ansi, char c);
// [INSTALL] CodePage= of the disc's install.ini, as it stands.
std::string CodePageKey(const Machine &m);
// What the code page is and where it comes from, a note where the disc
// holds text beyond ASCII and names none, names the code page cannot hold
// and bytes it does not define. given: --codepage; declared: the key.
void ReportCodePage(Report &r, const Machine &m, const std::string &given, const std::string &declared);
// Warns of each line of a profile file that holds bytes the code page
// does not define, naming its section and key.
// Lines of a language section written in a code page of its own (sections:
// lower-case name to code page) are read in that one.
void CheckCodePageText(Report &r, const std::string &file, const std::string &bytes,
                       const std::vector<LanguageSection> &sections = {});

// ---- Profile files (profile_file.cpp)

std::string Profile(const char *section, const char *key, const std::string &file);
// A value as the launcher's read of size bytes keeps it: at most size - 1
// bytes, never cut inside a character.
std::string AsRead(const std::string &value, size_t size);
// The keys of a section as the launcher lists them (GetPrivateProfileSectionA):
// each line's name before its "=", or the whole line where it has none.
struct ProfileKey {
    std::string name;
    bool has_value;
};
std::vector<ProfileKey> KeysOf(const char *section, const std::string &file);
// The names of the file's sections in its order, as the launcher lists them
// (GetPrivateProfileSectionNamesA).
std::vector<std::string> SectionNames(const std::string &file);
std::set<std::string> SectionsOf(const std::string &bytes);
std::string TextProblem(const std::string &bytes);

// ---- install.ini (config_check.cpp)

struct DiscView {
    LauncherPaths paths;
    std::string sections[2]; // the products the launcher looks up (or would, with ConfigFile set)
    bool looked_up = false;  // ConfigFile and Product let the launcher probe
    std::string key_paths[2];
    std::string program_names[2]; // as the launcher reads them
    std::string product_name;     // as the launcher reads it
    std::string texts[TextCount]; // [Texts] as the launcher reads it; empty: its own
    // How findings name the installer: "setup.exe", or the disc's Installer=
    // where the launcher takes it.
    std::string installer_label = "setup.exe";
    // The section the texts are checked for: [Texts], or a language section
    // with [Texts] standing in for the keys it does not give (own_text: the
    // keys it gives itself, own_product_name: its own ProductName).
    std::string text_section = "Texts";
    bool own_text[TextCount] = {};
    bool own_product_name = false;
};

// Where the launcher looks for one product and what it starts to install,
// all from the launcher's own code (LocateRecord, ProbeProduct,
// RunLauncher): the key under HKEY_LOCAL_MACHINE (empty when its path does
// not fit), the names of the two values it reads there (drive_value empty:
// the drive is not checked), the product's ProgramName, and the installer's
// path. Each machine state can be built from these.
struct ProductLookup {
    std::string key_path;
    std::string drive_value;
    std::string command_value;
    std::string program_name;
    std::string installer;
};
ProductLookup LookupOf(const Machine &m, const std::string &section, const LauncherPaths &paths);

void ReadLauncherView(const Machine &m, DiscView *view);
void CheckInstallIni(Report &r, const Machine &m, DiscView *view);
// Shared with the language sections' checks.
void CheckLength(Report &r, const std::string &where, const std::string &value, size_t capacity);
void CheckAmpersand(Report &r, const std::string &where, const std::string &value, const char *dialog);
// Keys of a section the launcher does not read there, each named with the
// nearest one it reads; where: "[INSTALL]", "[Texts]", "[Texts.0415]", "[P1]".
void CheckKeys(Report &r, const std::string &config, const std::string &section, const std::string &where);

// Each language section listed and checked as [Texts] is, in its own code page.
void CheckLanguageSections(Report &r, const DiscView &view);
// The section the launcher shows on the machine (m.language, m.codepage):
// "Texts.0415" as install.ini spells it, empty when none applies.
std::string ChosenSection(const Machine &m, const DiscView &view);
// What the prediction says of the machine's language and the section chosen.
std::string LanguageLine(const Machine &m, const DiscView &view);

// ---- The launcher's texts: [Texts] and what the dialogs show (text_check.cpp)

// [Texts], or the language section view.text_section names.
void CheckTexts(Report &r, const DiscView &view);

// ---- Text as Windows draws it in the dialogs (text_fit.cpp)

// The bitmap fonts of the dialogs at 96 dots per inch: MS Sans Serif 8
// point in the choice dialogs, System on the splash buttons (created
// without a font of their own), as Windows draws them in the machine's code
// page (sim::CodePage()).
enum class Font { SansSerif8, System };
int LineHeight(Font font);
// Dialog units of the choice dialogs (MS Sans Serif 8 point: 6 x 13 base
// units) in pixels.
int DialogX(int units);
int DialogY(int units);
// Why the widths of the machine's code page are only an estimate, for a
// note; empty when they are measured.
std::string RoughFit();
// A control's text as it shows: "&" underlines the next character and takes
// no room, "&&" shows one "&".
std::string Shown(const std::string &text);
int TextWidth(const std::string &shown, Font font);
// The lines a static control's word wrapping makes of shown text in width
// pixels; a word wider than the line is broken inside it.
std::vector<std::string> WrapText(const std::string &shown, int width, Font font);

// ---- Launcher.bmp (bitmap_check.cpp)

bool CheckBitmap(Report &r, const std::string &label, const std::string &win_path, const std::string &host);
// Why the launcher's reader refuses the bitmap at a Windows path; empty when
// it takes it, with the size the splash uses.
std::string BitmapRefusal(const std::string &win_path, const std::string &host, long size[2]);
void CheckLauncherBmp(Report &r, const Machine &m, const DiscView &view);

// ---- setup.exe, launcher.exe, autorun.inf (layout_check.cpp)

// A path autorun.inf names, relative to the disc root with "\\" between folders.
std::string NormaliseDiscPath(std::string p);
void CheckPrograms(Report &r, const Machine &m, const DiscView &view);
void CheckAutorun(Report &r, const Machine &m);

// ---- What the launcher does on the machine (prediction.cpp)

void Predict(Report &r, const Machine &m, const DiscView &view);

// One window the launcher shows on a machine, and what its default answer
// (Enter, or Yes) and its way out (Cancel, Escape, or No) do.
struct Screen {
    std::string kind;        // "splash", "choice" or "message box"
    std::string templ;       // the dialog template; empty for the message box
    std::string text;        // the splash's action button, the choice's message, the box's text
    std::string caption;     // the message box's caption
    std::string description; // as the prediction writes it
    std::string enter_label, enter;   // "Enter", "starts ..." or "shows the next window"
    std::string cancel_label, cancel; // "Cancel", "starts nothing"
};
// The windows the launcher shows one after the other when each is answered
// with its default.
std::vector<Screen> ScreensOf(const Machine &m);

// ---- Machines for ./demo.sh (machine_model.cpp)

// Writes dir/machines.json, and beside it each machine's registry records
// (as .reg files) and program files: every machine state that makes the
// launcher show a different screen, made from install.ini, or (given) the
// machine base is. findings are the check's error and warning lines.
bool WriteMachines(const std::string &dir, const Machine &base, const DiscView &view, bool given,
                   const std::string &given_name, const std::vector<std::string> &findings, std::string *problem);

// ---- Signatures of launcher.exe and setup.exe (signature_check.cpp)

void ReportSignatures(Report &r, const Machine &m, const DiscView &view);

// ---- Disc images (image_read.cpp and image_write.cpp, with libarchive)

// While one lives, libarchive takes and gives names in UTF-8 on Linux (the C
// library's character set is UTF-8; in the "C" locale no name beyond ASCII
// converts). Windows builds convert through the wide-character forms.
struct ArchiveNames {
    ArchiveNames();
    ~ArchiveNames();
    std::string saved;
};

// disccheck DISC --make-image OUT.iso [--label LABEL]: checks the disc,
// writes its image and checks that; the exit status as the help gives it.
int MakeImageMain(const std::string &disc, const std::string &launcher_dir, const std::string &image,
                  const std::string &label, bool has_label, std::ostream &out, std::ostream &err);

// A file or folder of a disc, relative to its root, "/" between folders,
// spelt as the host spells it.
struct DiscName {
    std::string path;
    bool folder;
};

struct Image {
    std::string path;                  // the image file, as given
    std::string root;                  // host folder holding its files under the names Windows reads
    bool joliet = false;               // Windows reads the Joliet names; otherwise the ISO 9660 ones
    std::string label;                 // the volume label Windows shows (UTF-8)
    std::string iso_label;             // the plain ISO 9660 label, its bytes as they stand
    std::vector<DiscName> names;       // every path as Windows reads it
    std::vector<DiscName> rr_names;    // every path as Rock Ridge names it (as names without Rock Ridge)
    std::vector<std::string> unsafe;   // names no file can have ("..", "/x"), left out of root
};

// Reads the image into a new folder under the temporary folder: every file
// the checks read whole, every other one with its size but not its bytes.
// False, with the reason, when it is no ISO 9660 image or cannot be read.
bool ReadImage(const std::string &host, Image *image, std::string *problem);
// Lays out one more file whole (path as Windows reads it, "/" between
// folders), beyond those ReadImage reads whole: an installer named by
// install.ini. False, with the reason, when the image cannot be read.
bool ReadImageFile(const Image &image, const std::string &path, std::string *problem);
void RemoveImageFolder(const Image &image);

// ---- Where the launcher is on the disc (disc_place.cpp)

// The same path with "/" between folders, and with "\\".
std::string Slashed(std::string path);
std::string Backslashed(std::string path);

// Every file and folder under a host folder (a disc's root), as far down as
// a disc goes.
std::vector<DiscName> ListFolder(const std::string &root);

// What autorun.inf's open= (as the profile reader gives it, without quotes
// around the whole value) starts, taken as Windows takes a command line
// (seen under Wine with CreateProcess, WinExec and ShellExecute): a quoted
// path whole; unquoted, the shortest part before a blank that names a file
// (".exe" added to a name without an extension), else the part that names
// the launcher, else the first word. exists says whether a path relative to
// the disc root names a file.
struct OpenLine {
    std::string program;    // relative to the disc root, "\\" between folders
    std::string instead_of; // the longer part naming the launcher, when a file before it shadows it
};
OpenLine ReadOpenLine(const std::string &open, const std::function<bool(const std::string &)> &exists,
                      const std::string &launcher);

// The disc's root and the launcher's folder on it (m->root, m->folder), for
// a disc given as a folder (its root or the launcher's own folder) or as an
// image: the folder given with --launcher-dir, else the one autorun.inf's
// open= names, else the folder given when it holds launcher.exe or
// install.ini, else the one folder that holds either. False, with what was
// expected, when none can be told.
bool PlaceLauncher(const std::string &given, const Image *image, const std::string &launcher_dir, Machine *m,
                   std::string *how, std::string *problem);

// ---- What the image holds (image_check.cpp)

void CheckImage(Report &r, const Machine &m, const DiscView &view, const Image &image);

} // namespace disccheck

#endif
