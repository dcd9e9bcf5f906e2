// The disc authors' checker. Everything it says about install.ini, the
// registry, the drives and the bitmap comes from running the launcher's own
// functions (RunLauncher, ProbeProduct, OpenDibFileWithReason,
// GetBitmapSize) on the simulated platform, set up as the machine to predict.
#include "disccheck.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "dib.h"
#include "launcher.h"
#include "regfile.h"
#include "sim.h"

namespace disccheck {
namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "usage: disccheck DIR [--registry FILE.reg] [--drive X:=FOLDER]... [--disc X:] [--reg-source 32|64]\n"
    "       disccheck --bitmap FILE\n"
    "       disccheck --help\n"
    "\n"
    "Checks a disc image before it is pressed, with the launcher's own code.\n"
    "DIR is the launcher's folder on the disc image, where launcher.exe, install.ini\n"
    "and Launcher.bmp sit; the disc root is its parent, where setup.exe and\n"
    "autorun.inf sit. Each finding is one line that starts with \"error:\" or\n"
    "\"warning:\" and names the file, section or key concerned:\n"
    "  install.ini   present; [INSTALL] with a non-empty ConfigFile, a ProductName and\n"
    "                a Product naming one or two sections, each with ProgramName and\n"
    "                Version; the registry key each product is looked up under; values\n"
    "                longer than the launcher reads; \"&\" in names shown in dialogs.\n"
    "  Launcher.bmp  whether the launcher's reader takes it (and why not), its size and\n"
    "                bit depth, and whether the splash window and its buttons fit.\n"
    "  setup.exe     present in the disc root; launcher.exe present in DIR.\n"
    "  autorun.inf   present in the disc root, its [autorun] open= naming the launcher,\n"
    "                and an icon=.\n"
    "\n"
    "Predicting what the launcher does on one machine:\n"
    "  --registry FILE.reg  the machine's registry as the Registry Editor exports it\n"
    "                       (\"REGEDIT4\" or \"Windows Registry Editor Version 5.00\");\n"
    "                       only HKEY_LOCAL_MACHINE is read, text as Windows-1252.\n"
    "  --drive X:=FOLDER    drive X: is a fixed disk whose files are in FOLDER\n"
    "                       (repeat for more drives). Every other drive is absent,\n"
    "                       except the disc's own drive, which is a CD-ROM.\n"
    "  --disc X:            the disc's drive letter; by default the first letter from\n"
    "                       D: on that no --drive takes.\n"
    "  --reg-source 32|64   the Windows the file was exported on. On 64-bit Windows the\n"
    "                       keys under SOFTWARE outside Wow6432Node are the 64-bit view;\n"
    "                       SOFTWARE\\Wow6432Node holds the 32-bit view that the launcher\n"
    "                       reads first. By default 64 when the file holds a Wow6432Node\n"
    "                       key, else 32 (one view for both).\n"
    "  Shown: each product's status with its reason (NotInstalled, Incomplete,\n"
    "  Installed), then every way through the launcher's dialogs and what each starts.\n"
    "\n"
    "  --bitmap FILE        checks one bitmap file alone, as the launcher's reader sees it.\n"
    "\n"
    "Exit status: 0 when there is no error; 1 when there is one (for --bitmap: the\n"
    "reader refuses the file); 2 for wrong usage or a folder or file that cannot be read.\n";

// ---- Output

struct Report {
    std::ostream &out;
    int errors = 0;
    int warnings = 0;
    void Error(const std::string &text) {
        out << "error: " << text << "\n";
        ++errors;
    }
    void Warning(const std::string &text) {
        out << "warning: " << text << "\n";
        ++warnings;
    }
    void Info(const std::string &text) { out << text << "\n"; }
};

std::string Quote(const std::string &s) { return "\"" + s + "\""; }
std::string Num(long long n) { return std::to_string(n); }

// ---- Files on the host

bool IsRegularFile(const std::string &host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string &host) {
    std::error_code ec;
    return fs::is_directory(host, ec) && !ec;
}

bool ReadWhole(const std::string &host, std::string *bytes) {
    std::ifstream in(host, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    *bytes = all.str();
    return !in.bad();
}

// ---- The machine the launcher runs on

struct Machine {
    std::string root;   // host folder of the disc root
    std::string folder; // the launcher folder's name on the disc; empty in the root
    char disc = 'D';
    std::vector<std::pair<char, std::string>> drives; // fixed disks
    bool has_registry = false;
    RegImage registry;
};

std::string ModulePath(const Machine &m) {
    std::string path = std::string(1, m.disc) + ":\\";
    if (!m.folder.empty())
        path += m.folder + "\\";
    return path + "launcher.exe";
}

// A fresh simulated machine: the disc, the fixed disks and the registry.
void SetUp(const Machine &m) {
    sim::Reset();
    sim::MapDrive(m.disc, DRIVE_CDROM, m.root);
    for (const auto &d : m.drives)
        sim::MapDrive(d.first, DRIVE_FIXED, d.second);
    sim::SetModulePath(ModulePath(m));
    for (int view = 0; view < 2; ++view) {
        for (const auto &k : m.registry.keys[view]) {
            sim::AddRegKey(k.second.path, static_cast<sim::View>(view));
            for (const auto &v : k.second.values)
                sim::SetRegValue(k.second.path, v.second.name, v.second.data, v.second.type,
                                 static_cast<sim::View>(view));
        }
    }
}

// A profile value read whole, through the same call the launcher makes.
std::string Profile(const char *section, const char *key, const std::string &file) {
    std::vector<char> buffer(65536);
    GetPrivateProfileStringA(section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    buffer.back() = 0;
    return std::string(buffer.data());
}

// Section names of a profile file, lower-case, as the profile reader finds them.
std::set<std::string> SectionsOf(const std::string &bytes) {
    std::set<std::string> names;
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        size_t b = line.find_first_not_of(" \t\r\v\f");
        if (b == std::string::npos || line[b] != '[')
            continue;
        size_t close = line.rfind(']');
        std::string name = close == std::string::npos || close < b ? line.substr(b + 1) : line.substr(b + 1, close - b - 1);
        size_t s = name.find_first_not_of(" \t");
        size_t e = name.find_last_not_of(" \t\r");
        names.insert(Lower(s == std::string::npos ? "" : name.substr(s, e - s + 1)));
    }
    return names;
}

// Why a profile file cannot be read as ANSI text; empty when it can.
std::string TextProblem(const std::string &bytes) {
    if (bytes.size() >= 2 && ((static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) ||
                              (static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)))
        return "saved as UTF-16 (Unicode) text, which Windows 95, 98 and Me read as empty: save it as ANSI text";
    if (bytes.find('\0') != std::string::npos)
        return "holds binary data (NUL bytes), not text: it is not a profile file the launcher can read";
    return "";
}

bool HasUtf8Mark(const std::string &bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
           static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF;
}

std::vector<std::string> Tokens(const std::string &list) {
    std::vector<char> buffer(list.begin(), list.end());
    buffer.push_back(0);
    std::vector<std::string> out;
    for (char *t = NextToken(buffer.data(), " ,\t\n"); t; t = NextToken(nullptr, " ,\t\n"))
        out.push_back(t);
    return out;
}

const char *StatusName(InstallStatus s) {
    switch (s) {
    case NotInstalled:
        return "NotInstalled";
    case Installed:
        return "Installed";
    case Incomplete:
        return "Incomplete";
    }
    return "unknown";
}

// ---- install.ini

struct DiscView {
    LauncherPaths paths;
    std::string sections[2]; // the products the launcher looks up (or would, with ConfigFile set)
    bool looked_up = false;  // ConfigFile and Product let the launcher probe
    std::string key_paths[2];
};

std::string WowPath(const std::string &key) {
    const std::string prefix = "SOFTWARE\\";
    if (Lower(key.substr(0, prefix.size())) != Lower(prefix))
        return "";
    return "SOFTWARE\\Wow6432Node\\" + key.substr(prefix.size());
}

// What the launcher itself makes of install.ini: its paths, and the products
// it looks up.
void ReadLauncherView(const Machine &m, DiscView *view) {
    SetUp(m);
    RunLauncher(nullptr);
    const LauncherState &s = g_launcher;
    view->paths = s.paths;
    view->looked_up = s.products[0].section != nullptr;
    for (int i = 0; i < 2; ++i)
        view->sections[i] = s.products[i].section ? s.products[i].section : "";
}

// The registry key path ProbeProduct opens for a section; empty when the
// launcher opens none (the path does not fit its buffer).
std::string KeyPathOf(const Machine &m, const std::string &section, const LauncherPaths &paths) {
    Machine bare = m;
    bare.registry = RegImage();
    SetUp(bare);
    char name[PROGRAM_NAME_SIZE];
    char command[COMMAND_LINE_SIZE];
    ProbeProduct(section.c_str(), paths.config, name, command);
    const auto &opens = sim::RegOpens();
    return opens.empty() ? "" : opens.front().path;
}

void CheckLength(Report &r, const std::string &where, const std::string &value, size_t capacity) {
    if (value.size() > capacity - 1)
        r.Error("install.ini: " + where + " is " + Num(static_cast<long long>(value.size())) +
                " characters long; the launcher reads only the first " + Num(static_cast<long long>(capacity - 1)) +
                ": " + Quote(value.substr(0, capacity - 1)));
}

void CheckAmpersand(Report &r, const std::string &where, const std::string &value, const char *dialog) {
    if (value.find('&') != std::string::npos)
        r.Warning("install.ini: " + where + " " + Quote(value) + " holds \"&\": the " + dialog +
                  " shows it as an underline under the next character");
}

void CheckInstallIni(Report &r, const Machine &m, DiscView *view) {
    const std::string &config = view->paths.config;
    std::string host = sim::HostPath(config.c_str());
    std::string bytes;
    if (config.empty()) {
        r.Error("install.ini: the launcher's folder name is too long for the launcher to form the path of install.ini");
        return;
    }
    if (!IsRegularFile(host) || !ReadWhole(host, &bytes)) {
        r.Error("install.ini: missing from the launcher's folder: the launcher looks up no product and always "
                "offers to install");
        return;
    }
    std::string problem = TextProblem(bytes);
    if (!problem.empty()) {
        r.Error("install.ini: " + problem + "; not checked further");
        return;
    }
    if (HasUtf8Mark(bytes))
        r.Warning("install.ini: starts with a UTF-8 byte-order mark, which older Windows reads as part of the "
                  "first line: save it as ANSI text");

    std::set<std::string> sections = SectionsOf(bytes);
    bool has_install = sections.count("install") != 0;
    std::string marker = Profile("INSTALL", "ConfigFile", config);
    std::string name = Profile("INSTALL", "ProductName", config);
    std::string list = Profile("INSTALL", "Product", config);
    std::vector<std::string> tokens = Tokens(list);

    if (!has_install) {
        r.Error("install.ini: no section [INSTALL]: the launcher looks up no product and always offers to install");
    } else {
        if (marker.empty() && !tokens.empty())
            r.Error("install.ini: [INSTALL] ConfigFile is empty or missing: the launcher looks up none of the "
                    "products that Product names and always offers to install");
        if (tokens.empty())
            r.Warning("install.ini: [INSTALL] Product names no section: the launcher looks up no product and always "
                      "offers to install");
        if (name.empty())
            r.Warning("install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and "
                      "the two-products message reads \"You have 2  tests installed\"");
    }
    CheckLength(r, "[INSTALL] ProductName", name, CONFIG_VALUE_SIZE);
    CheckAmpersand(r, "[INSTALL] ProductName", name, "two-products dialog");
    CheckLength(r, "[INSTALL] Product", list, CONFIG_VALUE_SIZE);
    if (tokens.size() > 2) {
        std::string ignored;
        for (size_t i = 2; i < tokens.size(); ++i)
            ignored += (i > 2 ? ", " : "") + std::string("[") + tokens[i] + "]";
        r.Warning("install.ini: [INSTALL] Product names " + Num(static_cast<long long>(tokens.size())) +
                  " sections; the launcher looks up only the first two and ignores " + ignored);
    }

    if (!view->looked_up)
        for (int i = 0; i < 2 && i < static_cast<int>(tokens.size()); ++i)
            view->sections[i] = tokens[i];
    for (int i = 0; i < 2; ++i)
        if (view->looked_up && i < static_cast<int>(tokens.size()) && Lower(view->sections[i]) != Lower(tokens[i]))
            r.Error("install.ini: [INSTALL] Product is cut, so the launcher looks up section [" + view->sections[i] +
                    "] instead of [" + tokens[i] + "]");
    if (!view->sections[0].empty() && !view->sections[1].empty() && Lower(view->sections[0]) == Lower(view->sections[1]))
        r.Warning("install.ini: [INSTALL] Product names [" + view->sections[0] +
                  "] twice: both products are the same one");

    for (int i = 0; i < 2; ++i) {
        const std::string &section = view->sections[i];
        if (section.empty())
            continue;
        std::string label = "product " + Num(i + 1) + " [" + section + "]";
        if (!sections.count(Lower(section)))
            r.Error("install.ini: section [" + section + "] named by Product is missing: " + label +
                    " is looked up with an empty program name and version");
        std::string program = Profile(section.c_str(), "ProgramName", config);
        std::string version = Profile(section.c_str(), "Version", config);
        if (sections.count(Lower(section))) {
            if (program.empty())
                r.Error("install.ini: [" + section + "] ProgramName is empty or missing");
            if (version.empty())
                r.Error("install.ini: [" + section + "] Version is empty or missing");
        }
        CheckLength(r, "[" + section + "] ProgramName", program, PROGRAM_NAME_SIZE);
        CheckLength(r, "[" + section + "] Version", version, COMMAND_LINE_SIZE);
        CheckAmpersand(r, "[" + section + "] ProgramName", program, "repair-or-run dialog");

        std::string key = KeyPathOf(m, section, view->paths);
        view->key_paths[i] = key;
        if (key.empty()) {
            size_t length = std::strlen("SOFTWARE\\Vantorel\\") + std::min<size_t>(program.size(), PROGRAM_NAME_SIZE - 1) +
                            1 + std::min<size_t>(version.size(), COMMAND_LINE_SIZE - 1) + 1 + section.size();
            r.Error("install.ini: " + label + ": its registry key path would be " + Num(static_cast<long long>(length)) +
                    " characters long; the launcher's limit is " + Num(KEY_PATH_SIZE - 1) +
                    ", so it never finds the product");
            continue;
        }
        std::string line = "install.ini: " + label;
        if (!program.empty())
            line += " " + Quote(program.substr(0, PROGRAM_NAME_SIZE - 1));
        line += " is looked up under HKEY_LOCAL_MACHINE\\" + key;
        std::string wow = WowPath(key);
        if (!wow.empty())
            line += " (on 64-bit Windows: " + wow + " first)";
        if (!view->looked_up)
            line += "; not looked up while ConfigFile is empty";
        r.Info(line);
    }
}

// ---- Launcher.bmp

uint32_t Le32(const std::string &b, size_t at) {
    if (b.size() < at + 4)
        return 0;
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8) |
           (static_cast<unsigned char>(b[at + 2]) << 16) | (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}
uint32_t Le16(const std::string &b, size_t at) {
    if (b.size() < at + 2)
        return 0;
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string RefusalText(DibRefusal reason, const std::string &bytes) {
    switch (reason) {
    case DibAccepted:
        return "accepted";
    case DibCannotOpen:
        return "the file cannot be opened";
    case DibNoMemory:
        return "there is not enough memory to hold it";
    case DibReadFailed:
        return "reading the file failed";
    case DibNotBitmap:
        if (bytes.size() < 14)
            return "it is too short to be a bitmap file (" + Num(static_cast<long long>(bytes.size())) + " bytes)";
        return "it is not a Windows bitmap file (it does not start with \"BM\")";
    case DibShortHeader:
        return "the file ends inside its header (" + Num(static_cast<long long>(bytes.size())) + " bytes)";
    case DibCoreHeader:
        return "it has the old 12-byte OS/2 header: save it as a Windows bitmap";
    case DibUnsupportedHeaderSize:
        return "its header size " + Num(Le32(bytes, 14)) + " is not one of 40, 52, 56, 108 or 124";
    case DibUnsupportedCompression:
        return "its compression " + Num(Le32(bytes, 30)) +
               " is not drawn by the launcher (only uncompressed, RLE8 at 8 bits and RLE4 at 4 bits)";
    case DibBadDimensions:
        return "its size " + Num(static_cast<int32_t>(Le32(bytes, 18))) + " x " +
               Num(static_cast<int32_t>(Le32(bytes, 22))) + " is empty, mirrored or over " + Num(DIB_MAX_DIMENSION) +
               " pixels";
    case DibBadBitCount:
        return "its " + Num(Le16(bytes, 28)) + " bits per pixel are not one of 1, 4, 8, 16, 24 or 32";
    case DibTooManyColours:
        return "its colour table has more than " + Num(DIB_MAX_COLOURS) + " entries";
    case DibTooLarge:
        return "it would take more than " + Num(static_cast<long long>(DIB_MAX_BLOCK / (1024 * 1024))) +
               " MiB of memory";
    case DibTopDownCompressed:
        return "it is compressed and stored top-down, which Windows does not draw";
    }
    return "refused (reason " + Num(static_cast<int>(reason)) + ")";
}

// Reads the bitmap at a Windows path with the launcher's reader. Reports a
// refusal as an error; returns whether it was accepted.
bool CheckBitmap(Report &r, const std::string &label, const std::string &win_path, const std::string &host) {
    std::string bytes;
    ReadWhole(host, &bytes);
    DibRefusal reason = DibAccepted;
    HGLOBAL dib = OpenDibFileWithReason(win_path.c_str(), &reason);
    if (!dib) {
        if (reason == DibAccepted)
            reason = DibCannotOpen;
        r.Error(label + ": refused by the launcher's reader: " + RefusalText(reason, bytes) +
                "; the built-in picture shows instead");
        return false;
    }
    int bits = 0;
    DWORD compression = 0;
    LONG width = 0, height = 0;
    if (const BITMAPINFOHEADER *h = static_cast<const BITMAPINFOHEADER *>(GlobalLock(dib))) {
        bits = h->biBitCount;
        compression = h->biCompression;
        width = h->biWidth;
        height = h->biHeight;
        GlobalUnlock(dib);
    }
    FreeDib(dib);
    LONG size[2] = {width, height < 0 ? -height : height};
    GetBitmapSize(nullptr, win_path.c_str(), size); // the size the splash dialog uses
    const LONG w = size[0], h = size[1];
    const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
    const LONG ww = w + 2 * GetSystemMetrics(SM_CXBORDER);
    const LONG wh = h + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
    std::string what = label + ": " + Num(w) + " x " + Num(h) + " pixels, " + Num(bits) + " bits per pixel";
    if (compression == 1 || compression == 2)
        what += compression == 1 ? ", RLE8" : ", RLE4";
    r.Info(what + "; the splash window is " + Num(ww) + " x " + Num(wh));
    if (ww > screen_w || wh > screen_h)
        r.Warning(label + ": the splash window (" + Num(ww) + " x " + Num(wh) + ") does not fit a " + Num(screen_w) +
                  " x " + Num(screen_h) + " screen");
    if (w < 200)
        r.Warning(label + ": narrower than 200 pixels: the two 100-pixel buttons do not fit side by side");
    if (h < 45)
        r.Warning(label + ": lower than 45 pixels: the buttons, 45 pixels above the bottom edge, stand partly "
                          "above the picture");
    return true;
}

void CheckLauncherBmp(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    std::string host = sim::HostPath(view.paths.bitmap);
    if (view.paths.bitmap[0] == 0 || !IsRegularFile(host)) {
        r.Warning("Launcher.bmp: missing from the launcher's folder: the built-in picture shows");
        return;
    }
    CheckBitmap(r, "Launcher.bmp", view.paths.bitmap, host);
}

// ---- setup.exe, launcher.exe, autorun.inf

void CheckPrograms(Report &r, const Machine &m, const DiscView &view) {
    SetUp(m);
    if (!IsRegularFile(sim::HostPath(view.paths.installer)))
        r.Error("setup.exe: missing from the disc root: the launcher starts " + Quote(view.paths.installer));
    if (!IsRegularFile(sim::HostPath(ModulePath(m).c_str())))
        r.Error("launcher.exe: missing beside install.ini");
}

std::string NormaliseDiscPath(std::string p) {
    for (char &c : p)
        if (c == '/')
            c = '\\';
    while (p.compare(0, 2, ".\\") == 0)
        p = p.substr(2);
    while (!p.empty() && p[0] == '\\')
        p = p.substr(1);
    return p;
}

void CheckAutorun(Report &r, const Machine &m) {
    SetUp(m);
    std::string win = std::string(1, m.disc) + ":\\autorun.inf";
    std::string host = sim::HostPath(win.c_str());
    std::string bytes;
    if (!IsRegularFile(host) || !ReadWhole(host, &bytes)) {
        r.Warning("autorun.inf: missing from the disc root: AutoPlay does not start the launcher when the disc "
                  "is inserted");
        return;
    }
    std::string problem = TextProblem(bytes);
    if (!problem.empty()) {
        r.Error("autorun.inf: " + problem);
        return;
    }
    std::string launcher = (m.folder.empty() ? "" : m.folder + "\\") + "launcher.exe";
    if (!SectionsOf(bytes).count("autorun")) {
        r.Error("autorun.inf: no section [autorun]: AutoPlay does not start the launcher; add [autorun] with open=" +
                launcher);
        return;
    }
    std::string open = Profile("autorun", "open", win);
    if (open.empty()) {
        r.Error("autorun.inf: [autorun] has no open=: add open=" + launcher);
    } else {
        std::vector<char> program(open.size() + 1);
        SplitCommandLine(open.c_str(), program.data(), static_cast<int>(program.size()));
        std::string named = NormaliseDiscPath(program.data());
        if (named.size() >= 2 && named[1] == ':')
            r.Error("autorun.inf: [autorun] open=" + open +
                    " names a drive letter: write the path relative to the disc root, open=" + launcher);
        else if (Lower(named) != Lower(launcher))
            r.Error("autorun.inf: [autorun] open=" + open + " does not name the launcher: write open=" + launcher);
    }
    std::string icon = Profile("autorun", "icon", win);
    if (icon.empty()) {
        r.Warning("autorun.inf: [autorun] has no icon=: add icon=" + launcher +
                  " so that the disc shows the launcher's icon");
    } else {
        std::string file = NormaliseDiscPath(icon.substr(0, icon.find(',')));
        while (!file.empty() && (file.back() == ' ' || file.back() == '\t'))
            file.pop_back();
        std::string where = std::string(1, m.disc) + ":\\" + file;
        if (file.size() >= 2 && file[1] == ':')
            r.Warning("autorun.inf: [autorun] icon=" + icon + " names a drive letter: write the path relative to the "
                      "disc root");
        else if (!IsRegularFile(sim::HostPath(where.c_str())))
            r.Warning("autorun.inf: [autorun] icon=" + icon + " names a file that is not on the disc");
    }
}

// ---- Predictions

struct Interaction {
    bool message_box = false;
    std::string templ; // dialog template name
    std::string text;  // the dialog's parameter text, or the message box's text
    std::string caption;
};

struct Option {
    std::string label;
    int id;
};

std::vector<Option> OptionsFor(const Interaction &i) {
    if (i.message_box)
        return {{"Yes", IDYES}, {"No", IDNO}};
    std::string t = Lower(i.templ);
    if (t == "runrun")
        return {{"Enter (\"Run &Paper\")", 101}, {"\"Run CAT\"", 102}, {"Cancel", IDCANCEL}};
    if (t == "installrun")
        return {{"Enter (\"&Install\")", 101}, {"\"&Run\"", 102}, {"Cancel", IDCANCEL}};
    return {{"Enter", IDOK}, {"Cancel", IDCANCEL}};
}

std::string Describe(const Interaction &i) {
    if (i.message_box)
        return "message box " + Quote(i.text) + " (caption " + Quote(i.caption) + ")";
    if (Lower(i.templ) == "launcher")
        return "splash " + Quote(i.text);
    return "choice " + Quote(i.templ) + " (" + Quote(i.text) + ")";
}

struct Run {
    std::vector<Interaction> seq;
    std::vector<std::string> starts;
    InstallStatus status[2] = {NotInstalled, NotInstalled};
};

// Runs the launcher once, answering the nth dialog or message box with the
// nth choice (the first option beyond the given ones).
Run RunWith(const Machine &m, const std::vector<std::pair<bool, int>> &choices) {
    SetUp(m);
    // Shared with the scripts, some of which stay queued after the run.
    struct Script {
        std::vector<std::pair<bool, int>> choices;
        std::vector<std::string> dialog_texts;
    };
    auto script = std::make_shared<Script>();
    script->choices = choices;
    std::vector<std::string> &dialog_texts = script->dialog_texts;
    auto step_now = [] {
        int n = 0;
        for (const std::string &e : sim::Events())
            if (e.compare(0, 16, "DialogBoxParamA(") == 0 || e.compare(0, 12, "MessageBoxA(") == 0)
                ++n;
        return n - 1;
    };
    const int kMostSteps = 8;
    for (int k = 0; k < kMostSteps; ++k) {
        sim::QueueDialogScript([script, step_now](HWND dlg, DLGPROC proc) {
            const std::vector<std::pair<bool, int>> &choices = script->choices;
            const sim::DialogCall &call = sim::Dialogs().back();
            Interaction i;
            i.templ = call.templ;
            i.text = call.param ? reinterpret_cast<const char *>(call.param) : "";
            script->dialog_texts.push_back(i.text);
            int step = step_now();
            size_t choice = step >= 0 && step < static_cast<int>(choices.size()) ? choices[step].second : 0;
            std::vector<Option> options = OptionsFor(i);
            if (choice >= options.size())
                choice = 0;
            sim::Send(dlg, proc, WM_COMMAND, MAKEWPARAM(options[choice].id, 0), 0);
        });
    }
    for (const auto &c : choices)
        if (c.first)
            sim::QueueMessageBoxAnswer(OptionsFor(Interaction{true, "", "", ""})[c.second].id);
    for (int k = 0; k < kMostSteps; ++k)
        sim::QueueMessageBoxAnswer(IDYES);

    RunLauncher(nullptr);

    Run run;
    size_t dialog = 0, box = 0;
    for (const std::string &e : sim::Events()) {
        if (e.compare(0, 16, "DialogBoxParamA(") == 0 && dialog < sim::Dialogs().size()) {
            Interaction i;
            i.templ = sim::Dialogs()[dialog].templ;
            i.text = dialog < dialog_texts.size() ? dialog_texts[dialog] : "";
            ++dialog;
            run.seq.push_back(i);
        } else if (e.compare(0, 12, "MessageBoxA(") == 0 && box < sim::MessageBoxes().size()) {
            const sim::MessageBoxCall &call = sim::MessageBoxes()[box++];
            run.seq.push_back(Interaction{true, "", call.text, call.caption});
        }
    }
    for (const sim::Start &s : sim::Starts()) {
        std::string text = Quote(s.file);
        if (s.api != "WinExec")
            text = "(through the shell) " + text + (s.params.empty() ? "" : " with " + Quote(s.params));
        run.starts.push_back(text);
    }
    for (int i = 0; i < 2; ++i)
        run.status[i] = g_launcher.products[i].status;
    return run;
}

struct Branch;
struct Tree {
    bool leaf = true;
    Interaction what;
    std::vector<std::string> starts;
    std::vector<Branch> branches;
};
struct Branch {
    std::string label;
    Tree tree;
};

Tree Explore(const Machine &m, std::vector<std::pair<bool, int>> choices) {
    Run run = RunWith(m, choices);
    Tree tree;
    if (run.seq.size() <= choices.size() || choices.size() >= 6) {
        tree.starts = run.starts;
        return tree;
    }
    tree.leaf = false;
    tree.what = run.seq[choices.size()];
    std::vector<Option> options = OptionsFor(tree.what);
    for (size_t k = 0; k < options.size(); ++k) {
        std::vector<std::pair<bool, int>> next = choices;
        next.push_back({tree.what.message_box, static_cast<int>(k)});
        tree.branches.push_back(Branch{options[k].label, Explore(m, next)});
    }
    return tree;
}

std::string StartsText(const std::vector<std::string> &starts) {
    if (starts.empty())
        return "starts nothing";
    std::string text = "starts " + starts[0];
    for (size_t i = 1; i < starts.size(); ++i)
        text += ", then " + starts[i];
    return text;
}

void Render(Report &r, const Tree &t, const std::string &indent, const std::string &lead) {
    if (t.leaf) {
        r.Info(indent + lead + "shows nothing and " + StartsText(t.starts));
        return;
    }
    bool flat = true;
    for (const Branch &b : t.branches)
        flat = flat && b.tree.leaf;
    if (flat) {
        std::string line = indent + lead + Describe(t.what) + " -> ";
        for (size_t k = 0; k < t.branches.size(); ++k)
            line += (k ? "; " : "") + t.branches[k].label + " " + StartsText(t.branches[k].tree.starts);
        r.Info(line);
        return;
    }
    r.Info(indent + lead + Describe(t.what) + " ->");
    for (const Branch &b : t.branches) {
        if (b.tree.leaf)
            r.Info(indent + "  " + b.label + " " + StartsText(b.tree.starts));
        else
            Render(r, b.tree, indent + "  ", b.label + ": ");
    }
}

bool EventStarts(const std::string &e, const char *prefix) { return e.compare(0, std::strlen(prefix), prefix) == 0; }

std::string Inside(const std::string &e) {
    size_t open = e.find('(');
    return open == std::string::npos || e.size() < open + 2 ? "" : e.substr(open + 1, e.size() - open - 2);
}

const RegValue *FindValue(const Machine &m, int view, const std::string &key, const char *name) {
    auto k = m.registry.keys[view].find(Lower(key));
    if (k == m.registry.keys[view].end())
        return nullptr;
    auto v = k->second.values.find(Lower(name));
    return v == k->second.values.end() ? nullptr : &v->second;
}

// Other versions of the same program recorded in the registry, as a hint.
std::string OtherRecords(const Machine &m, const std::string &key) {
    size_t last = key.rfind('\\');
    size_t version = last == std::string::npos ? std::string::npos : key.rfind('\\', last - 1);
    if (version == std::string::npos || version == 0)
        return "";
    std::string program_prefix = Lower(key.substr(0, version + 1));
    std::set<std::string> found;
    for (int view = 0; view < 2; ++view)
        for (const auto &k : m.registry.keys[view])
            if (k.first.compare(0, program_prefix.size(), program_prefix) == 0 &&
                k.first.find('\\', program_prefix.size()) != std::string::npos)
                found.insert(k.second.path);
    if (found.empty())
        return "";
    std::string text = " (the registry has ";
    int n = 0;
    for (const std::string &f : found) {
        if (n == 3) {
            text += ", ...";
            break;
        }
        text += (n++ ? ", " : "") + f;
    }
    return text + ")";
}

// The status of one product on the machine, with the reason read from what the
// launcher's probe did there.
std::string ProbeReason(const Machine &m, const std::string &section, const LauncherPaths &paths) {
    SetUp(m);
    char name[PROGRAM_NAME_SIZE];
    char command[COMMAND_LINE_SIZE];
    InstallStatus status = ProbeProduct(section.c_str(), paths.config, name, command);
    std::vector<std::string> events = sim::Events();
    std::vector<sim::RegOpen> opens = sim::RegOpens();
    std::string result = StatusName(status);

    if (status == NotInstalled) {
        if (opens.empty())
            return result + ": the registry key path is longer than the launcher's " + Num(KEY_PATH_SIZE - 1) +
                   " characters";
        return result + ": no key " + opens.front().path + OtherRecords(m, opens.front().path);
    }
    std::string key;
    int view = 0;
    for (const sim::RegOpen &o : opens)
        if (o.result == ERROR_SUCCESS) {
            key = o.path;
            view = (o.sam & KEY_WOW64_64KEY) ? 1 : 0;
        }
    std::string where = view ? " (in the 64-bit registry view)" : "";
    if (status == Installed)
        return result + where + ": runs " + Quote(command);

    std::string drive, program;
    for (const std::string &e : events) {
        if (EventStarts(e, "GetDriveTypeA("))
            drive = Inside(e);
        else if (EventStarts(e, "OpenFile("))
            program = Inside(e);
    }
    if (drive.empty()) {
        const RegValue *cd = FindValue(m, view, key, "CD");
        return result + ": " + (cd ? "value \"CD\" is empty" : "no value \"CD\"") + " under " + key + where;
    }
    if (program.empty()) {
        UINT type = GetDriveTypeA(drive.c_str());
        if (!IsUsableDrive(drive.c_str())) {
            std::string letter = drive.substr(0, 2);
            if (type == DRIVE_NO_ROOT_DIR)
                return result + ": drive " + letter + " (from \"CD\") is not present";
            if (type == DRIVE_RAMDISK)
                return result + ": drive " + letter + " (from \"CD\") is a RAM disk, which the launcher does not accept";
            return result + ": drive " + letter + " (from \"CD\") is of an unknown type";
        }
        const RegValue *line = FindValue(m, view, key, "CommandLine");
        if (!line)
            return result + ": no value \"CommandLine\" under " + key + where;
        std::string text(line->data.c_str());
        if (text.empty())
            return result + ": value \"CommandLine\" is empty under " + key + where;
        if (text.size() > COMMAND_LINE_SIZE - 1)
            return result + ": value \"CommandLine\" is " + Num(static_cast<long long>(text.size())) +
                   " characters long; the launcher reads at most " + Num(COMMAND_LINE_SIZE - 1);
        return result + ": \"CommandLine\" names no program: " + Quote(text);
    }
    std::string detail;
    if (program.size() >= 2 && program[1] == ':') {
        std::string host = sim::HostPath(program.c_str());
        if (host.empty())
            detail = " (drive " + program.substr(0, 2) + " is absent: map it with --drive " + program.substr(0, 2) +
                     "=FOLDER)";
        else
            detail = " (looked for " + host + ")";
    } else {
        detail = " (the command line does not start with a full path)";
    }
    return result + ": program " + Quote(program) + " is not present" + detail;
}

void Predict(Report &r, const Machine &m, const DiscView &view) {
    std::string machine = "machine: " + std::string(1, m.disc) + ": is the disc (CD-ROM)";
    for (const auto &d : m.drives)
        machine += "; " + std::string(1, d.first) + ": is a fixed disk (" + d.second + ")";
    r.Info(machine + "; every other drive is absent");

    Run first = RunWith(m, {});
    for (int i = 0; i < 2; ++i) {
        std::string label = "product " + Num(i + 1);
        if (!view.looked_up || view.sections[i].empty()) {
            const char *why = !view.looked_up ? "the launcher looks up no product" : "Product names no second section";
            r.Info(label + ": NotInstalled: not looked up (" + why + ")");
            continue;
        }
        std::string reason = ProbeReason(m, view.sections[i], view.paths);
        if (reason.compare(0, std::strlen(StatusName(first.status[i])), StatusName(first.status[i])) != 0)
            reason = std::string(StatusName(first.status[i])) + " (alone: " + reason + ")";
        r.Info(label + " [" + view.sections[i] + "]: " + reason);
    }
    Tree tree = Explore(m, {});
    Render(r, tree, "", "the launcher: ");
}

// ---- Command line

struct Options {
    std::string dir;
    std::string registry;
    std::vector<std::pair<char, std::string>> drives;
    char disc = 0;
    RegSource source = RegSource::Auto;
    std::string bitmap;
    bool help = false;
};

bool DriveLetter(const std::string &text, char *letter) {
    if (text.empty() || text.size() > 2 || (text.size() == 2 && text[1] != ':'))
        return false;
    char c = text[0];
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z')
        return false;
    *letter = c;
    return true;
}

// Empty when the arguments make sense; otherwise what is wrong.
std::string ParseOptions(int argc, const char *const *argv, Options *o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool has_value = false;
        size_t eq = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            has_value = true;
        }
        auto take = [&](const char *what) -> bool {
            if (has_value)
                return true;
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            (void)what;
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            o->help = true;
        } else if (arg == "--registry") {
            if (!take("FILE.reg"))
                return "--registry needs a file";
            o->registry = value;
        } else if (arg == "--drive") {
            if (!take("X:=FOLDER"))
                return "--drive needs X:=FOLDER";
            size_t sep = value.find('=');
            char letter = 0;
            if (sep == std::string::npos || !DriveLetter(value.substr(0, sep), &letter) || sep + 1 >= value.size())
                return "--drive needs X:=FOLDER, not " + Quote(value);
            for (const auto &d : o->drives)
                if (d.first == letter)
                    return "--drive " + std::string(1, letter) + ": is given twice";
            o->drives.push_back({letter, value.substr(sep + 1)});
        } else if (arg == "--disc") {
            if (!take("X:") || !DriveLetter(value, &o->disc))
                return "--disc needs a drive letter such as E:";
        } else if (arg == "--reg-source") {
            if (!take("32|64") || (value != "32" && value != "64"))
                return "--reg-source needs 32 or 64";
            o->source = value == "64" ? RegSource::Windows64 : RegSource::Windows32;
        } else if (arg == "--bitmap") {
            if (!take("FILE"))
                return "--bitmap needs a file";
            o->bitmap = value;
        } else if (arg.compare(0, 1, "-") == 0 && arg.size() > 1) {
            return "unknown option " + Quote(arg);
        } else if (o->dir.empty()) {
            o->dir = arg;
        } else {
            return "one folder only, not also " + Quote(arg);
        }
    }
    if (o->help)
        return "";
    if (!o->bitmap.empty()) {
        if (!o->dir.empty() || !o->registry.empty() || !o->drives.empty())
            return "--bitmap takes no folder and no other option";
        return "";
    }
    if (o->dir.empty())
        return "name the launcher's folder on the disc image";
    if (o->disc)
        for (const auto &d : o->drives)
            if (d.first == o->disc)
                return "--disc " + std::string(1, o->disc) + ": is also given to --drive";
    return "";
}

std::string Absolute(const std::string &path) {
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    if (ec)
        p = fs::absolute(path, ec);
    return p.string();
}

int BitmapMain(const Options &o, std::ostream &out, std::ostream &err) {
    std::string host = Absolute(o.bitmap);
    if (!IsRegularFile(host)) {
        err << "disccheck: cannot read " << o.bitmap << "\n";
        return 2;
    }
    fs::path p(host);
    sim::Reset();
    sim::MapDrive('C', DRIVE_FIXED, p.parent_path().string());
    std::string win = "C:\\" + p.filename().string();
    Report r{out};
    bool accepted = CheckBitmap(r, o.bitmap, win, host);
    return accepted ? 0 : 1;
}

} // namespace

int Main(int argc, const char *const *argv, std::ostream &out, std::ostream &err) {
    Options o;
    std::string problem = ParseOptions(argc, argv, &o);
    if (o.help) {
        out << kUsage;
        return 0;
    }
    if (!problem.empty()) {
        err << "disccheck: " << problem << "\n" << kUsage;
        return 2;
    }
    if (!o.bitmap.empty())
        return BitmapMain(o, out, err);

    std::string dir = Absolute(o.dir);
    std::error_code ec;
    if (!IsFolder(dir) || (fs::directory_iterator(dir, ec), ec)) {
        err << "disccheck: cannot read the folder " << o.dir << "\n";
        return 2;
    }
    Machine m;
    fs::path launcher_dir(dir);
    fs::path parent = launcher_dir.parent_path();
    if (parent.empty() || parent == launcher_dir) {
        m.root = dir;
    } else {
        m.root = parent.string();
        m.folder = launcher_dir.filename().string();
    }
    for (const auto &d : o.drives) {
        std::string folder = Absolute(d.second);
        if (!IsFolder(folder)) {
            err << "disccheck: cannot read the folder " << d.second << " (for drive " << d.first << ":)\n";
            return 2;
        }
        m.drives.push_back({d.first, folder});
    }
    m.disc = o.disc;
    for (char c = 'D'; !m.disc && c <= 'Z'; ++c) {
        bool used = false;
        for (const auto &d : m.drives)
            used = used || d.first == c;
        if (!used)
            m.disc = c;
    }
    if (!m.disc) {
        err << "disccheck: no drive letter is left for the disc: give one with --disc\n";
        return 2;
    }
    Report r{out};
    if (!o.registry.empty()) {
        std::string bytes;
        if (!IsRegularFile(Absolute(o.registry)) || !ReadWhole(Absolute(o.registry), &bytes)) {
            err << "disccheck: cannot read the registry file " << o.registry << "\n";
            return 2;
        }
        RegReadResult read = ReadRegFile(bytes, o.source, &m.registry);
        if (!read.ok) {
            err << "disccheck: " << o.registry << ": " << read.error << "\n";
            return 2;
        }
        m.has_registry = true;
        for (const std::string &w : read.warnings)
            r.Warning(o.registry + ": " + w);
    }

    r.Info("disccheck: " + dir + " is " + ModulePath(m).substr(0, ModulePath(m).rfind('\\') + 1) + " (disc root " +
           m.root + ")");
    DiscView view;
    ReadLauncherView(m, &view);
    CheckInstallIni(r, m, &view);
    CheckLauncherBmp(r, m, view);
    CheckPrograms(r, m, view);
    CheckAutorun(r, m);

    if (!o.registry.empty() || !o.drives.empty()) {
        if (m.has_registry) {
            size_t n32 = m.registry.keys[0].size(), n64 = m.registry.keys[1].size();
            r.Info("registry: " + o.registry + ": " + Num(static_cast<long long>(n32)) + " keys in the 32-bit view, " +
                   Num(static_cast<long long>(n64)) + " in the 64-bit view" +
                   (m.registry.from64 ? " (exported on 64-bit Windows)" : " (one view, as on 32-bit Windows)"));
        }
        Predict(r, m, view);
    }
    r.Info("disccheck: " + Num(r.errors) + (r.errors == 1 ? " error, " : " errors, ") + Num(r.warnings) +
           (r.warnings == 1 ? " warning" : " warnings"));
    return r.errors ? 1 : 0;
}

} // namespace disccheck
