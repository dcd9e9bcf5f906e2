// The disc authors' checker. Everything it says about install.ini, the
// registry, the drives and the bitmap comes from running the launcher's own
// functions (RunLauncher, ProbeProduct, OpenDibFileWithReason,
// GetBitmapSize) on the simulated platform, set up as the machine to predict.
// This file holds the command line and Main; the checks sit in files named
// for what they check.
#include "disccheck.h"

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "disccheck_internal.h"
#include "regfile.h"
#include "sim.h"

namespace disccheck {
namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "usage: disccheck DISC [--launcher-dir NAME] [--registry FILE.reg] [--drive X:=FOLDER]... [--disc X:]\n"
    "                      [--reg-source 32|64] [--language XXXX] [--write-machines FOLDER] [--where]\n"
    "                      [--codepage N]\n"
    "       disccheck DISC --make-image OUT.iso [--label LABEL] [--launcher-dir NAME] [--codepage N]\n"
    "       disccheck --bitmap FILE\n"
    "       disccheck --help\n"
    "       disccheck --version\n"
    "\n"
    "Checks a disc before it is pressed, with the launcher's own code.\n"
    "DISC is the disc's root folder (where autorun.inf and setup.exe sit), the\n"
    "launcher's folder on it (where launcher.exe, install.ini and Launcher.bmp sit;\n"
    "its parent is then the root), or an ISO 9660 image of the disc. The launcher's\n"
    "folder is the one autorun.inf's open= names, else the folder given when it\n"
    "holds launcher.exe or install.ini, else the one folder that holds either;\n"
    "--launcher-dir NAME names it (a folder of the root) where that does not tell.\n"
    "./demo.sh and tools/make-image.sh find it the same way: they ask disccheck.\n"
    "\n"
    "The output has three kinds of line: findings, which start with \"error:\" (the\n"
    "disc does not work as meant) or \"warning:\" (it works, but likely not as\n"
    "meant) and name the file, section or key concerned; and facts without a\n"
    "prefix (key paths, the picture's size, the prediction, the summary). Output\n"
    "is UTF-8, the disc's ANSI text read in its code page (see --codepage).\n"
    "  install.ini   present, ANSI text (what each Windows family makes of UTF-16 or\n"
    "                a UTF-8 byte-order mark); [INSTALL] with a non-empty ConfigFile, a\n"
    "                ProductName and a Product naming one or two sections, each with\n"
    "                ProgramName and Version; the registry key each product is looked\n"
    "                up under (RegistryRoot, RegistryKey) and the values read there\n"
    "                (CommandValue, DriveValue); values longer than the launcher reads;\n"
    "                \"&\" in names shown in dialogs; \"\\\" in names that go into the key\n"
    "                path; keys the launcher does not read (named with the nearest\n"
    "                one it does); an Installer outside the disc; [Texts]: unknown\n"
    "                placeholders, one access key on two buttons of a dialog, and\n"
    "                captions and messages that do not fit their buttons and boxes.\n"
    "                Each language section [Texts.XXXX] (XXXX a Windows language ID in\n"
    "                4 hex digits) is listed with its language and code page, and its\n"
    "                texts, read in that code page, are checked as [Texts]'s are (widths\n"
    "                in that code page's fonts). Warned of: a name that is not 4 hex\n"
    "                digits (the launcher ignores the section), an ID that names no\n"
    "                language, a CodePage that is not a number or not the language's\n"
    "                usual ANSI code page, keys [Texts] has and the section lacks, and\n"
    "                a Bitmap that is not a plain name, missing, refused by the reader\n"
    "                or of another size than Launcher.bmp.\n"
    "  Launcher.bmp  whether the launcher's reader takes it (and why not), its size and\n"
    "                bit depth, pixel data missing from the file, and whether the\n"
    "                splash window and its buttons fit.\n"
    "  setup.exe     (or the Installer install.ini names) present and a Windows\n"
    "                program; launcher.exe present in the launcher's folder and the\n"
    "                32-bit Windows build.\n"
    "  autorun.inf   present in the disc root, its [autorun] open= naming the launcher\n"
    "                with backslashes, as Windows takes the line (quoted or not, the\n"
    "                part before a blank tried first), and an icon=.\n"
    "  launcher.exe and setup.exe are also said to carry an Authenticode signature or\n"
    "  not, and who its certificate is issued to (a self-signed one Windows does not\n"
    "  trust) and whether it is time-stamped, as read from it; it is not verified.\n"
    "\n"
    "An image is checked as Windows reads it: its Joliet names when it has a Joliet\n"
    "tree, otherwise its plain ISO 9660 names, never Rock Ridge. Also checked:\n"
    "  image         a Joliet tree and a volume label (and a plain ISO 9660 label\n"
    "                that systems without Joliet can show); autorun.inf, launcher.exe,\n"
    "                install.ini and setup.exe present under the names Windows reads,\n"
    "                and Launcher.bmp where the image has one.\n"
    "\n"
    "Making the image to press:\n"
    "  --make-image OUT.iso  checks the disc folder DISC (its root or the launcher's\n"
    "                       folder; the whole root goes in) and writes no image when\n"
    "                       that finds an error (exit status 1); then writes OUT.iso,\n"
    "                       ISO 9660 with a Joliet tree (the names Windows reads), Rock\n"
    "                       Ridge and a volume label, and checks the image as above;\n"
    "                       the exit status is that check's. One disc gives the same\n"
    "                       bytes every time, on Linux and Windows: every time in the\n"
    "                       image is 2000-01-01 00:00 UTC, the entries go in sorted.\n"
    "                       OUT.iso goes in a folder that exists, outside the disc\n"
    "                       root; an older file of that name is replaced only when the\n"
    "                       new image is made. Links in the folder are followed.\n"
    "  --label LABEL        what Explorer and AutoPlay show, 1 to 16 characters (the\n"
    "                       Joliet label holds no more); by default the disc root's\n"
    "                       folder name in capitals. Systems that read no Joliet tree\n"
    "                       show the plain ISO 9660 label: LABEL in capitals, accented\n"
    "                       Latin letters without their accents, any other character\n"
    "                       that is not A-Z or 0-9 as \"_\".\n"
    "\n"
    "Predicting what the launcher does on one machine:\n"
    "  --registry FILE.reg  the machine's registry as the Registry Editor exports it\n"
    "                       (\"REGEDIT4\" or \"Windows Registry Editor Version 5.00\");\n"
    "                       only HKEY_LOCAL_MACHINE is read, a REGEDIT4 file as ANSI\n"
    "                       text in the disc's code page, as the Registry Editor does.\n"
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
    "  --language XXXX      the user's UI language, a Windows language ID in 4 hex\n"
    "                       digits (0415 Polish, 0807 German (Switzerland), 0411\n"
    "                       Japanese); the machine's ANSI code page is then that\n"
    "                       language's usual one (1250 for 0415), or --codepage N where\n"
    "                       given, or the disc's for a language without one. The disc\n"
    "                       is still read in its own code page. Without it, a user\n"
    "                       whom no language section speaks to, who sees [Texts], in\n"
    "                       the disc's code page.\n"
    "  Shown: the language section the launcher shows on that machine, if any;\n"
    "  each product's status with its reason (NotInstalled, Incomplete,\n"
    "  Installed), how to write a recorded CommandLine whose program path needs\n"
    "  quotes, then every way through the launcher's dialogs and what each starts.\n"
    "\n"
    "For ./demo.sh:\n"
    "  --write-machines FOLDER  writes FOLDER/machines.json and beside it the machines\n"
    "                       the demo runs the launcher on: without --registry and\n"
    "                       --drive, one for each state that makes the launcher show a\n"
    "                       different screen (nothing installed, product 1 installed,\n"
    "                       both, one incomplete, all incomplete), each product's record\n"
    "                       made with the launcher's own code (the key and the values its\n"
    "                       probe reads, a program file where the record points, the\n"
    "                       disc's drive); with them, the machine given. For each: its\n"
    "                       records as .reg files, its drives, the windows the launcher\n"
    "                       shows, and this prediction for it.\n"
    "  --where              prints where the disc root (root=) and the launcher's folder\n"
    "                       (folder=) are, and how that was told (how=), and stops.\n"
    "\n"
    "  --codepage N         the ANSI code page the disc is written in, as Windows numbers\n"
    "                       it (1250 Central European, 1251 Cyrillic, 932 Japanese...);\n"
    "                       wins over install.ini's [INSTALL] CodePage=N. Without either,\n"
    "                       Windows-1252. install.ini, autorun.inf, REGEDIT4 exports and\n"
    "                       the disc's file names are read in it. Known: 874, 932, 936,\n"
    "                       949, 950, 1250 to 1258.\n"
    "\n"
    "  --bitmap FILE        checks one bitmap file alone, as the launcher's reader sees it.\n"
    "\n"
    "Exit status: 0 when there is no error; 1 when there is one (for --bitmap: the\n"
    "reader refuses the file); 2 for wrong usage or a folder or file that cannot be read.\n";

// ---- Command line

struct Options {
    std::string dir;
    std::string launcher_dir;
    std::string registry;
    std::vector<std::pair<char, std::string>> drives;
    char disc = 0;
    RegSource source = RegSource::Auto;
    std::string bitmap;
    bool help = false;
    bool where = false;
    std::string machines;
    std::string codepage;
    std::string image;
    bool make_image = false;
    std::string label;
    bool has_label = false;
    std::string language;
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
                return "--drive needs X:=FOLDER, not " + Quote(Host(value));
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
        } else if (arg == "--launcher-dir") {
            if (!take("NAME") || value.empty())
                return "--launcher-dir needs the name of the launcher's folder on the disc";
            o->launcher_dir = value;
        } else if (arg == "--write-machines") {
            if (!take("FOLDER") || value.empty())
                return "--write-machines needs a folder";
            o->machines = value;
        } else if (arg == "--codepage") {
            if (!take("N"))
                return "--codepage needs a code page number such as 1250 or 932";
            UINT cp;
            if (!ParseCodePage(value, &cp))
                return "--codepage " + UnknownCodePage(value);
            o->codepage = value;
        } else if (arg == "--language") {
            unsigned id = 0;
            if (!take("XXXX") || !ParseLanguageId(value, &id) || id == 0)
                return "--language needs a Windows language ID of 4 hex digits, such as 0415";
            o->language = value;
        } else if (arg == "--make-image") {
            if (!take("OUT.iso") || value.empty())
                return "--make-image needs the image file to write";
            o->image = value;
            o->make_image = true;
        } else if (arg == "--label") {
            if (!take("LABEL"))
                return "--label needs the volume label";
            o->label = value;
            o->has_label = true;
        } else if (arg == "--where") {
            o->where = true;
        } else if (arg == "--bitmap") {
            if (!take("FILE"))
                return "--bitmap needs a file";
            o->bitmap = value;
        } else if (arg.compare(0, 1, "-") == 0 && arg.size() > 1) {
            return "unknown option " + Quote(Host(arg));
        } else if (o->dir.empty()) {
            o->dir = arg;
        } else {
            return "one folder only, not also " + Quote(Host(arg));
        }
    }
    if (o->help)
        return "";
    if (!o->bitmap.empty()) {
        if (!o->dir.empty() || !o->registry.empty() || !o->drives.empty() || !o->launcher_dir.empty() || o->make_image ||
            !o->language.empty())
            return "--bitmap takes no folder and no other option";
        return "";
    }
    if (o->has_label && !o->make_image)
        return "--label goes with --make-image";
    if (o->make_image && (!o->registry.empty() || !o->drives.empty() || o->disc || o->where || !o->machines.empty() ||
                          o->source != RegSource::Auto || !o->language.empty()))
        return "--make-image takes the disc folder, --label and --launcher-dir only";
    if (o->dir.empty())
        return "name the disc: its root folder, the launcher's folder or its image";
    if (o->disc)
        for (const auto &d : o->drives)
            if (d.first == o->disc)
                return "--disc " + std::string(1, o->disc) + ": is also given to --drive";
    return "";
}

std::string Absolute(const std::string &path) {
    std::error_code ec;
    fs::path p = fs::canonical(FsPath(path), ec);
    if (ec)
        p = fs::absolute(FsPath(path), ec);
    return HostOf(p);
}

// The folder an image is read into goes when the check ends, however it ends.
struct ImageFolder {
    const Image &image;
    ~ImageFolder() { RemoveImageFolder(image); }
};

// Wrong usage: what is wrong, the usage line and a pointer to the help.
int UsageError(std::ostream &err, const std::string &problem) {
    err << "disccheck: " << ToUtf8(problem) << "\n"
        << std::string(kUsage).substr(0, std::string(kUsage).find('\n') + 1) << "see disccheck --help\n";
    return 2;
}

int BitmapMain(const Options &o, std::ostream &out, std::ostream &err) {
    std::string host = Absolute(o.bitmap);
    std::string problem = FileProblem(host);
    if (!problem.empty()) {
        err << ToUtf8("disccheck: cannot read " + Host(o.bitmap) + ": " + problem) << "\n";
        return 2;
    }
    fs::path p = FsPath(host);
    ResetMachine();
    sim::MapDrive('C', DRIVE_FIXED, HostOf(p.parent_path()));
    std::string win = "C:\\" + sim::AnsiName(HostOf(p.filename()));
    Report r{out};
    bool accepted = CheckBitmap(r, Host(o.bitmap), win, host);
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
    if (!problem.empty())
        return UsageError(err, problem);
    if (!o.bitmap.empty())
        return BitmapMain(o, out, err);
    if (o.make_image)
        return MakeImageMain(o.dir, o.launcher_dir, o.image, o.label, o.has_label, out, err);

    UINT codepage = 1252;
    ParseCodePage(o.codepage, &codepage);
    SetDiscCodePage(codepage);

    std::string dir = Absolute(o.dir);
    Machine m;
    Image image;
    ImageFolder image_folder{image};
    std::string found_by;
    bool is_image = IsRegularFile(dir);
    if (is_image && !ReadImage(dir, &image, &problem)) {
        err << ToUtf8("disccheck: " + Host(o.dir) + ": " + problem) << "\n";
        return 2;
    }
    if (!is_image && !(problem = FolderProblem(dir)).empty()) {
        err << ToUtf8("disccheck: cannot read the folder " + Host(o.dir) + ": " + problem)
            << " (expected a disc's root folder, the launcher's folder or an ISO 9660 image)\n";
        return 2;
    }
    if (!PlaceLauncher(dir, is_image ? &image : nullptr, o.launcher_dir, &m, &found_by, &problem)) {
        err << ToUtf8("disccheck: " + Host(o.dir) + ": " + problem) << "\n";
        return 2;
    }
    // A disc may say what code page it is written in. Its folder names may
    // read otherwise in that one, so the launcher's folder is found again.
    std::string declared = CodePageKey(m);
    UINT key_codepage = 0;
    bool declared_known = ParseCodePage(declared, &key_codepage);
    if (o.codepage.empty() && declared_known && key_codepage != codepage) {
        codepage = key_codepage;
        SetDiscCodePage(codepage);
        m = Machine();
        if (!PlaceLauncher(dir, is_image ? &image : nullptr, o.launcher_dir, &m, &found_by, &problem)) {
            err << ToUtf8("disccheck: " + Host(o.dir) + ": " + problem) << "\n";
            return 2;
        }
    }
    if (o.where) {
        // For the scripts: where the disc and the launcher are, one per line.
        out << "root=" << (image.root.empty() ? ToUtf8(Host(m.root)) : "") << "\nfolder=" << ToUtf8(m.folder)
            << "\nhow=" << found_by << "\n";
        return 0;
    }
    for (const auto &d : o.drives) {
        std::string folder = Absolute(d.second);
        problem = FolderProblem(folder);
        if (!problem.empty()) {
            err << ToUtf8("disccheck: cannot read the folder " + Host(d.second) + " (for drive " + d.first + ":): " +
                          problem)
                << "\n";
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
    // The report is kept until the end: the machines written for the demo
    // carry its findings.
    std::ostringstream report;
    Report r{report};
    if (!o.registry.empty()) {
        std::string bytes;
        problem = FileProblem(Absolute(o.registry));
        if (problem.empty() && !ReadWhole(Absolute(o.registry), &bytes))
            problem = "reading it failed";
        if (!problem.empty()) {
            err << ToUtf8("disccheck: cannot read the registry file " + Host(o.registry) + ": " + problem) << "\n";
            return 2;
        }
        RegReadResult read = ReadRegFile(bytes, o.source, &m.registry);
        if (!read.ok) {
            err << ToUtf8("disccheck: " + Host(o.registry) + ": " + read.error) << "\n";
            return 2;
        }
        m.has_registry = true;
        for (const std::string &w : read.warnings)
            r.Warning(Host(o.registry) + ": " + w);
    }

    std::string module_dir = ModulePath(m);
    module_dir = module_dir.substr(0, LastWhole(module_dir, '\\') + 1);
    ReportCodePage(r, m, o.codepage, declared);
    r.Info("disccheck: " + Host(dir) + ": the launcher's folder " + Quote(m.folder.empty() ? "\\" : m.folder) + " (" +
           found_by + ") is " + module_dir + (image.root.empty() ? " (disc root " + Host(m.root) + ")" : ""));
    DiscView view;
    ReadLauncherView(m, &view);
    if (!image.root.empty() && view.installer_label != "setup.exe") {
        std::string installer = view.paths.installer;
        installer = installer.substr(installer.find('\\') == std::string::npos ? 0 : installer.find('\\') + 1);
        for (char &c : installer)
            c = c == '\\' ? '/' : c;
        if (!ReadImageFile(image, installer, &problem)) {
            err << ToUtf8("disccheck: " + Host(o.dir) + ": " + problem) << "\n";
            return 2;
        }
    }
    if (!image.root.empty())
        CheckImage(r, m, view, image);
    CheckInstallIni(r, m, &view);
    CheckLauncherBmp(r, m, view);
    CheckPrograms(r, m, view);
    ReportSignatures(r, m, view);
    CheckAutorun(r, m);

    if (!o.language.empty()) {
        // The machine of that language: its usual ANSI code page unless
        // --codepage names the machine's too.
        ParseLanguageId(o.language, &m.language);
        const Language *language = FindLanguage(m.language);
        m.codepage = !o.codepage.empty() || !language || language->codepage == 0 ? DiscCodePage() : language->codepage;
    }
    if (!o.registry.empty() || !o.drives.empty() || !o.language.empty()) {
        if (m.has_registry) {
            size_t n32 = m.registry.keys[0].size(), n64 = m.registry.keys[1].size();
            r.Info("registry: " + Host(o.registry) + ": " + Counted(static_cast<long long>(n32), "key", "keys") +
                   " in the 32-bit view, " + Num(static_cast<long long>(n64)) + " in the 64-bit view" +
                   (m.registry.from64 ? " (exported on 64-bit Windows)" : " (one view, as on 32-bit Windows)"));
        }
        Predict(r, m, view);
    }
    if (!o.machines.empty()) {
        std::vector<std::string> findings;
        std::istringstream lines(report.str());
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, 7, "error: ") == 0 || line.compare(0, 9, "warning: ") == 0)
                findings.push_back(line);
        std::string folder = Absolute(o.machines);
        std::string name = o.registry.empty() ? "machine" : HostOf(FsPath(o.registry).stem());
        if (!WriteMachines(folder, m, view, !o.registry.empty() || !o.drives.empty(), sim::AnsiName(name), findings,
                           &problem)) {
            out << report.str();
            err << "disccheck: --write-machines: " << ToUtf8(problem) << "\n";
            return 2;
        }
        r.Info("machines: " + Host(folder) + "/machines.json, for ./demo.sh");
    }
    r.Info("disccheck: " + Num(r.errors) + (r.errors == 1 ? " error, " : " errors, ") + Num(r.warnings) +
           (r.warnings == 1 ? " warning" : " warnings"));
    out << report.str();
    return r.errors ? 1 : 0;
}

} // namespace disccheck
