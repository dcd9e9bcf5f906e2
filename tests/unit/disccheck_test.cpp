// The disc authors' checker, run in-process over disc folders the tests
// build: every finding, the prediction for each cell of the launch decision,
// both registry export encodings, and bad input to the tool itself.
#include "sim_fixture.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "disccheck.h"
#include "regfile.h"

namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
    std::vector<std::string> lines;

    bool HasLine(const std::string &line) const {
        for (const std::string &l : lines)
            if (l == line)
                return true;
        return false;
    }
    // A line that starts with prefix and holds every one of the parts.
    bool Has(const std::string &prefix, const std::vector<std::string> &parts = {}) const {
        for (const std::string &l : lines) {
            if (l.compare(0, prefix.size(), prefix) != 0)
                continue;
            bool all = true;
            for (const std::string &p : parts)
                all = all && l.find(p) != std::string::npos;
            if (all)
                return true;
        }
        return false;
    }
    int Count(const std::string &prefix) const {
        int n = 0;
        for (const std::string &l : lines)
            n += l.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
};

// The findings a row states are every "error:" and "warning:" line its disc
// gets, in full and in any order: a finding added, dropped or reworded fails.
void ExpectFindings(const Outcome &o, std::vector<std::string> expected) {
    std::vector<std::string> got;
    for (const std::string &l : o.lines)
        if (l.compare(0, 7, "error: ") == 0 || l.compare(0, 9, "warning: ") == 0)
            got.push_back(l);
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected) << o.out;
}

void Put16(std::string &s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string &s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// A bitmap file: bits 1, 4 or 8 get a full colour table; header 12 is the core form.
std::string Bmp(int32_t width, int32_t height, int bits = 8, uint32_t header = 40, uint32_t compression = 0) {
    uint32_t colours = bits <= 8 ? (1u << bits) : 0;
    uint32_t entry = header == 12 ? 3 : 4;
    uint32_t row = ((static_cast<uint32_t>(bits) * static_cast<uint32_t>(width > 0 ? width : 1) + 31) / 32) * 4;
    uint32_t image = row * static_cast<uint32_t>(height > 0 ? height : -height);
    uint32_t off = 14 + header + colours * entry;
    std::string s = "BM";
    Put32(s, off + image);
    Put32(s, 0);
    Put32(s, off);
    Put32(s, header);
    if (header == 12) {
        Put16(s, static_cast<uint32_t>(width));
        Put16(s, static_cast<uint32_t>(height));
        Put16(s, 1);
        Put16(s, static_cast<uint32_t>(bits));
    } else {
        Put32(s, static_cast<uint32_t>(width));
        Put32(s, static_cast<uint32_t>(height));
        Put16(s, 1);
        Put16(s, static_cast<uint32_t>(bits));
        Put32(s, compression);
        Put32(s, image);
        Put32(s, 2835);
        Put32(s, 2835);
        Put32(s, 0);
        Put32(s, 0);
        s.append(header > 40 ? header - 40 : 0, '\0');
    }
    for (uint32_t i = 0; i < colours; ++i)
        s.append(entry, static_cast<char>(i));
    s.append(image, '\x11');
    return s;
}

// A program file as far as Windows looks before starting it: the MS-DOS
// header, the "PE" signature it points to, and the machine type.
std::string Exe(uint32_t machine = 0x14C) {
    std::string s = "MZ";
    s.append(58, '\0');
    Put32(s, 64);
    s += std::string("PE\0\0", 4);
    Put16(s, machine);
    s.append(18, '\0');
    return s;
}

std::string Utf16(const std::string &ascii) {
    std::string s = "\xFF\xFE";
    for (char c : ascii) {
        s.push_back(c);
        s.push_back('\0');
    }
    return s;
}

std::string Utf16Be(const std::string &ascii) {
    std::string s;
    for (char c : ascii) {
        s.push_back('\0');
        s.push_back(c);
    }
    return s;
}

const char kGoodIni[] = "[INSTALL]\r\n"
                        "ConfigFile=yes\r\n"
                        "ProductName=Family\r\n"
                        "Product=P1,P2\r\n"
                        "[P1]\r\n"
                        "ProgramName=One\r\n"
                        "Version=1.0\r\n"
                        "[P2]\r\n"
                        "ProgramName=Two\r\n"
                        "Version=2.0\r\n";

// The good install.ini with lines added to [INSTALL], to [P1] and in [Texts],
// and sections after those.
std::string Ini(const std::string &install, const std::string &p1, const std::string &texts,
                const std::string &more = "") {
    return "[INSTALL]\r\nConfigFile=yes\r\nProductName=Family\r\nProduct=P1,P2\r\n" + install +
           "[P1]\r\nProgramName=One\r\nVersion=1.0\r\n" + p1 + "[P2]\r\nProgramName=Two\r\nVersion=2.0\r\n" +
           (texts.empty() ? "" : "[Texts]\r\n" + texts) + more;
}



class DiscCheck : public SimTest {
protected:
    std::string Disc() const { return Scratch() + "/disc"; }
    std::string Launch() const { return Scratch() + "/disc/LAUNCH"; }

    void WriteGoodDisc(const std::string &folder = "LAUNCH") {
        WriteFile("disc/autorun.inf", "[autorun]\r\nopen=LAUNCH\\launcher.exe\r\nicon=LAUNCH\\launcher.exe,0\r\n");
        WriteFile("disc/setup.exe", Exe());
        WriteFile("disc/" + folder + "/launcher.exe", Exe());
        WriteFile("disc/" + folder + "/install.ini", kGoodIni);
        WriteFile("disc/" + folder + "/Launcher.bmp", Bmp(300, 200));
    }

    Outcome Run(const std::vector<std::string> &args) {
        std::vector<const char *> argv{"disccheck"};
        for (const std::string &a : args)
            argv.push_back(a.c_str());
        std::ostringstream out, err;
        Outcome o;
        o.code = disccheck::Main(static_cast<int>(argv.size()), argv.data(), out, err);
        o.out = out.str();
        o.err = err.str();
        std::istringstream lines(o.out);
        for (std::string l; std::getline(lines, l);)
            o.lines.push_back(l);
        return o;
    }
    Outcome Check() { return Run({Launch()}); }

    // An image of the disc folder, made by xorriso with the options given
    // (they follow -map, so -hide can name the image's files).
    std::string MakeImage(const std::string &options) {
        std::string iso = Scratch() + "/disc.iso";
        std::remove(iso.c_str());
        std::string command = "xorriso -outdev '" + iso + "' -map '" + Disc() + "' / " + options + " >'" + Scratch() +
                              "/xorriso.log' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return iso;
    }
};

// ---- A clean disc and the sample disc

TEST_F(DiscCheck, CleanDiscHasNoFindings) {
    WriteGoodDisc();
    Outcome o = Check();
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(o.Count("error:"), 0) << o.out;
    EXPECT_EQ(o.Count("warning:"), 0) << o.out;
    EXPECT_TRUE(o.HasLine("disccheck: 0 errors, 0 warnings")) << o.out;
    // The key path each product is looked up under, in full.
    EXPECT_TRUE(o.HasLine("install.ini: product 1 [P1] \"One\" is looked up under "
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\One\\1.0\\P1 (on 64-bit Windows: "
                          "SOFTWARE\\Wow6432Node\\Vantorel\\One\\1.0\\P1 first)"))
        << o.out;
    EXPECT_TRUE(o.Has("install.ini: product 2 [P2] \"Two\" is looked up under "
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Two\\2.0\\P2"))
        << o.out;
    EXPECT_TRUE(o.HasLine("Launcher.bmp: 300 x 200 pixels, 8 bits per pixel; the splash window is 302 x 220")) << o.out;
    // Without a machine there is no prediction.
    EXPECT_FALSE(o.Has("the launcher:")) << o.out;
}

TEST_F(DiscCheck, SampleDiscPassesWithoutWarnings) {
    std::string copy = "cp -r '" LAUNCHER_SOURCE_DIR "/samples/disc' '" + Scratch() + "/'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    // The built programs are not kept with the sample; any file stands in.
    WriteFile("disc/setup.exe", Exe());
    WriteFile("disc/LAUNCH/launcher.exe", Exe());
    Outcome o = Check();
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(o.Count("error:") + o.Count("warning:"), 0) << o.out;
    EXPECT_TRUE(o.Has("Launcher.bmp: 400 x 300 pixels, 8 bits per pixel")) << o.out;

    // And its sample machines.
    std::string machines = LAUNCHER_SOURCE_DIR "/samples/machines";
    o = Run({Launch(), "--registry", machines + "/both-installed.reg", "--drive", "C:=" + machines + "/drive-c"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_TRUE(o.Has("product 1 [PaperTest]: Installed")) << o.out;
    EXPECT_TRUE(o.Has("product 2 [AdaptiveTest]: Installed")) << o.out;
    EXPECT_TRUE(o.Has("  Enter: choice \"RunRun\"")) << o.out;
    o = Run({Launch(), "--registry", machines + "/paper-incomplete.reg", "--drive", "C:=" + machines + "/drive-c"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_TRUE(o.Has("product 1 [PaperTest]: Incomplete: program \"C:\\Program Files\\Brindlemark\\Paper Old.exe\" "
                      "is not present"))
        << o.out;
    EXPECT_TRUE(o.Has("the launcher: choice \"InstallRun\"", {"\"&Run\" starts"})) << o.out;

    // The German sample of another publisher: its own key, values,
    // installer and texts, read, checked and predicted with.
    copy = "cp -r '" LAUNCHER_SOURCE_DIR "/samples/disc-de' '" + Scratch() + "/'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    WriteFile("disc-de/Installation/Setup.exe", Exe());
    WriteFile("disc-de/START/launcher.exe", Exe());
    const std::string de = Scratch() + "/disc-de/START";
    o = Run({de});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(o.Count("error:") + o.Count("warning:"), 0) << o.out;
    EXPECT_TRUE(o.Has("install.ini: product 1 [Grammatik] \"Grammatiktrainer\" is looked up under "
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Auenthal Lernmedien\\Grammatiktrainer\\4.0\\Grammatik"))
        << o.out;
    EXPECT_TRUE(o.HasLine("install.ini: product 2 [Woerterbuch] \"W\xC3\xB6rterbuch\" is looked up under "
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Auenthal Lernmedien\\W\xC3\xB6rterbuch\\2 (its RegistryKey; "
                          "on 64-bit Windows: SOFTWARE\\Wow6432Node\\Auenthal Lernmedien\\W\xC3\xB6rterbuch\\2 first); "
                          "it reads the value \"Programm\" and checks no drive (DriveValue is empty)"))
        << o.out;
    EXPECT_TRUE(o.HasLine("install.ini: the disc's texts: the splash: \"&Installieren\" (nothing installed) or "
                          "\"&Starten\", and \"&Abbrechen\""))
        << o.out;
    EXPECT_TRUE(o.Has("Installation\\Setup.exe: carries no Authenticode signature")) << o.out;
    machines = LAUNCHER_SOURCE_DIR "/samples/machines-de";
    o = Run({de, "--registry", machines + "/both-installed.reg", "--drive", "C:=" + machines + "/drive-c"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_TRUE(o.Has("product 2 [Woerterbuch]: Installed: runs \"\"C:\\Programme\\Auenthal\\Woerterbuch.exe\"\"")) << o.out;
    EXPECT_TRUE(o.HasLine("  Enter: choice \"RunRun\" (\"Auf diesem Computer sind Grammatiktrainer und W\xC3\xB6rterbuch "
                          "installiert. Welches Programm m\xC3\xB6" "chten Sie starten?\") -> Enter (\"&Grammatik\") starts "
                          "\"\"C:\\Programme\\Auenthal\\Grammatik.exe\" /cd=D:\"; \"&W\xC3\xB6rterbuch\" starts "
                          "\"\"C:\\Programme\\Auenthal\\Woerterbuch.exe\"\"; Cancel starts nothing"))
        << o.out;
    o = Run({de, "--registry", machines + "/grammar-incomplete.reg", "--drive", "C:=" + machines + "/drive-c"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_TRUE(o.Has("the launcher: choice \"InstallRun\" (\"Die Installation von Grammatiktrainer ist",
                      {"Enter (\"&Installieren\") starts \"D:\\Installation\\Setup.exe\"",
                       "\"&Starten\" starts \"\"C:\\Programme\\Auenthal\\Woerterbuch.exe\"\""}))
        << o.out;
}

// ---- Where the launcher is: the disc given by its root, the launcher's
// folder or an image, found the one way disccheck, ./demo.sh and
// tools/make-image.sh find it

struct PlaceCase {
    const char *name;
    std::vector<std::string> args;     // "@" stands for the scratch folder
    std::vector<const char *> removed; // files of the good disc taken away
    const char *how;
    int code;
};

TEST_F(DiscCheck, TheLauncherIsFoundFromTheRootItsFolderOrAnImage) {
    const PlaceCase cases[] = {
        {"the root", {"@/disc"}, {}, "named by autorun.inf's open=", 0},
        {"the launcher's folder", {"@/disc/LAUNCH"}, {}, "the folder given holds launcher.exe", 0},
        {"the root and --launcher-dir", {"@/disc", "--launcher-dir", "launch"}, {}, "given with --launcher-dir", 0},
        {"the root without autorun.inf", {"@/disc"}, {"disc/autorun.inf"},
         "the one folder that holds launcher.exe or install.ini", 0},
        {"the root before the launcher is laid in", {"@/disc"}, {"disc/LAUNCH/launcher.exe", "disc/autorun.inf"},
         "the one folder that holds launcher.exe or install.ini", 1},
        {"the launcher's folder before the launcher is laid in", {"@/disc/LAUNCH"}, {"disc/LAUNCH/launcher.exe"},
         "the folder given holds install.ini", 1},
    };
    for (const PlaceCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        for (const char *f : c.removed)
            RemoveFile(f);
        std::vector<std::string> args;
        for (std::string a : c.args)
            args.push_back(a[0] == '@' ? Scratch() + a.substr(1) : a);
        Outcome o = Run(args);
        EXPECT_EQ(o.code, c.code) << o.out << o.err;
        EXPECT_TRUE(o.HasLine("disccheck: " + args[0] + ": the launcher's folder \"LAUNCH\" (" + c.how +
                              ") is D:\\LAUNCH\\ (disc root " + Disc() + ")"))
            << o.out;
        // The disc's own autorun.inf is found (and no other).
        EXPECT_EQ(o.Has("warning: autorun.inf: missing"), c.removed.size() && std::string(c.removed.back()) == "disc/autorun.inf")
            << o.out;
        EXPECT_FALSE(o.Has("error: autorun.inf")) << o.out;
        EXPECT_TRUE(o.Has("install.ini: product 1 [P1] \"One\" is looked up")) << o.out;
    }
    // What the scripts read.
    WriteGoodDisc();
    Outcome o = Run({Launch(), "--where"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "root=" + Disc() + "\nfolder=LAUNCH\nhow=the folder given holds launcher.exe\n");
}

// ---- install.ini findings

struct IniCase {
    const char *name;
    std::string ini;
    std::vector<std::string> findings;
    int code;
    std::string line = ""; // another line of the output, in full
    std::vector<std::pair<std::string, std::string>> files = {}; // more files in the launcher's folder
    std::vector<std::string> args = {};                          // more options
};

TEST_F(DiscCheck, InstallIniFindings) {
    const std::string long130(130, 'n');
    const std::string long600(600, 'v');
    // Eight lines, each exactly as wide as the two-products dialog's message
    // box: seven of two words, and one word.
    std::string edge_to_edge;
    for (int i = 0; i < 7; ++i)
        edge_to_edge += std::string(6, 'W') + " " + std::string(7, 'W') + " ";
    edge_to_edge += std::string(13, 'W') + "f";
    std::string hyou90, hyou90_shown; // "表" in code page 932, and in UTF-8
    for (int i = 0; i < 90; ++i) {
        hyou90 += "\x95\x5C";
        hyou90_shown += "表";
    }
    const IniCase cases[] = {
        {"no INSTALL", "[Other]\r\nx=1\r\n",
         {"error: install.ini: no section [INSTALL]: the launcher looks up no product and always offers to install"},
         1},
        {"marker empty", "[INSTALL]\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"error: install.ini: [INSTALL] ConfigFile is empty or missing: the launcher looks up none of the products "
          "that Product names and always offers to install; any text will do, for example ConfigFile=install.ini"},
         1},
        // No product ever looked up, as with an empty ConfigFile: the same severity.
        {"no products", "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\n",
         {"error: install.ini: [INSTALL] Product names no section: the launcher looks up no product and always "
          "offers to install"},
         1},
        {"only delimiters", "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct= , ,\r\n",
         {"error: install.ini: [INSTALL] Product names no section: the launcher looks up no product and always "
          "offers to install"},
         1},
        {"no product name", "[INSTALL]\r\nConfigFile=1\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"warning: install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and the "
          "two-products message reads \"You have 2  tests installed\""},
         0},
        {"three products",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1 P2\tP3\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n"
         "[P2]\r\nProgramName=B\r\nVersion=1\r\n[P3]\r\nProgramName=C\r\nVersion=1\r\n",
         {"warning: install.ini: [INSTALL] Product names 3 sections; the launcher looks up only the first two and "
          "ignores [P3]"},
         0},
        {"same product twice",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1,p1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"warning: install.ini: [INSTALL] Product names [P1] twice: both products are the same one"},
         0},
        {"section missing", "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1,P9\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"error: install.ini: section [P9] named by Product is missing: product 2 [P9] is looked up with an empty "
          "program name and version"},
         1},
        {"program name empty",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=\r\nVersion=1\r\n",
         {"error: install.ini: [P1] ProgramName is empty or missing"},
         1},
        {"version missing", "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\n",
         {"error: install.ini: [P1] Version is empty or missing"},
         1},
        {"product name cut",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=" + long130 + "\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"error: install.ini: [INSTALL] ProductName is 130 characters long; the launcher reads only the first 127: "
              "\"" + std::string(127, 'n') + "\""},
         1},
        {"product list cut",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1," + std::string(125, 'q') + "XYZ\r\n[P1]\r\n"
         "ProgramName=A\r\nVersion=1\r\n",
         {"error: install.ini: [INSTALL] Product is 131 characters long; the launcher reads only the first 127: "
              "\"P1," + std::string(124, 'q') + "\"",
          "error: install.ini: [INSTALL] Product is cut, so the launcher looks up section [" + std::string(124, 'q') +
              "] instead of [" + std::string(125, 'q') + "XYZ]",
          "error: install.ini: section [" + std::string(124, 'q') + "] named by Product is missing: product 2 [" +
              std::string(124, 'q') + "] is looked up with an empty program name and version"},
         1},
        {"product list cut inside a name",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1," + std::string(125, 'q') + "XYZ\r\n[P1]\r\n"
         "ProgramName=A\r\nVersion=1\r\n",
         {"error: install.ini: [INSTALL] Product is 131 characters long; the launcher reads only the first 127: "
              "\"P1," + std::string(124, 'q') + "\"",
          "error: install.ini: [INSTALL] Product is cut, so the launcher looks up section [" + std::string(124, 'q') +
              "] instead of [" + std::string(125, 'q') + "XYZ]",
          "error: install.ini: section [" + std::string(124, 'q') + "] named by Product is missing: product 2 [" +
              std::string(124, 'q') + "] is looked up with an empty program name and version"},
         1},
        {"program name cut",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=" + long130 +
             "\r\nVersion=1\r\n",
         {"error: install.ini: [P1] ProgramName is 130 characters long; the launcher reads only the first 127: \"" +
              std::string(127, 'n') + "\""},
         1},
        {"version cut",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=" + long600 +
             "\r\n",
         {"error: install.ini: [P1] Version is 600 characters long; the launcher reads only the first 511: \"" +
              std::string(511, 'v') + "\"",
          "error: install.ini: product 1 [P1]: its registry key path would be 534 characters long; the launcher's "
          "limit is 511, so it never finds the product"},
         1},
        {"key path too long",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=" + std::string(120, 'a') +
             "\r\nVersion=" + std::string(400, 'b') + "\r\n",
         {"error: install.ini: product 1 [P1]: its registry key path would be 542 characters long; the launcher's "
          "limit is 511, so it never finds the product"},
         1},
        {"ampersand in product name",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=Tom & Jerry\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"warning: install.ini: [INSTALL] ProductName \"Tom & Jerry\" holds \"&\": the two-products dialog shows "
          "it as an underline under the next character"},
         0},
        {"ampersand in program name",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=R&D\r\nVersion=1\r\n",
         {"warning: install.ini: [P1] ProgramName \"R&D\" holds \"&\": the repair-or-run dialog shows it as an "
          "underline under the next character"},
         0},
        {"backslash in version",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=Writer\r\n[Writer]\r\nProgramName=A\r\nVersion=2.0\\\r\n",
         {"warning: install.ini: [Writer] Version \"2.0\\\" holds \"\\\", which separates keys in the registry: the "
          "product is looked up under SOFTWARE\\Vantorel\\A\\2.0\\\\Writer, and its installer must write exactly "
          "that key"},
         0},
        {"backslash in program name",
         "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=A\\B\r\nVersion=1\r\n",
         {"warning: install.ini: [P1] ProgramName \"A\\B\" holds \"\\\", which separates keys in the registry: the "
          "product is looked up under SOFTWARE\\Vantorel\\A\\B\\1\\P1, and its installer must write exactly that key"},
         0},
        // Output is UTF-8: the line as the launcher reads it, "CafÃ©".
        {"utf-8 text", "[INSTALL]\r\nConfigFile=1\r\nProductName=Caf\xC3\xA9\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"warning: install.ini: line 3 holds non-ASCII text saved as UTF-8, which the launcher reads as ANSI: "
          "\"ProductName=Caf\xC3\x83\xC2\xA9\"; it does not match what an ANSI installer writes: save install.ini "
          "as ANSI (Windows-1252)"},
         0},
        // Windows-1252 text is what the launcher expects; shown in UTF-8.
        {"windows-1252 text", "[INSTALL]\r\nConfigFile=1\r\nProductName=Caf\xE9 & Co\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\nVersion=1\r\n",
         {"warning: install.ini: [INSTALL] ProductName \"Caf\xC3\xA9 & Co\" holds \"&\": the two-products dialog "
          "shows it as an underline under the next character"},
         0},
        // What each family of Windows makes of Unicode, said per family; the
        // checks go on as Windows 2000 and later read UTF-16.
        {"utf-16", Utf16(kGoodIni),
         {"error: install.ini: saved as UTF-16 (little-endian, with a byte-order mark). Windows 95/98/Me: read it "
          "as empty, so the launcher looks up no product and always offers to install; Windows NT to 11: Windows "
          "2000 and later read it as text (checked below as they read it), NT 4.0 as empty. Wine reads it as text: "
          "save it as ANSI text (Windows-1252), which every Windows reads alike"},
         1},
        {"utf-16 read as Windows 2000 and later read it", Utf16(kGoodIni),
         {"error: install.ini: saved as UTF-16 (little-endian, with a byte-order mark). Windows 95/98/Me: read it "
          "as empty, so the launcher looks up no product and always offers to install; Windows NT to 11: Windows "
          "2000 and later read it as text (checked below as they read it), NT 4.0 as empty. Wine reads it as text: "
          "save it as ANSI text (Windows-1252), which every Windows reads alike"},
         1,
         "install.ini: product 2 [P2] \"Two\" is looked up under HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Two\\2.0\\P2 "
         "(on 64-bit Windows: SOFTWARE\\Wow6432Node\\Vantorel\\Two\\2.0\\P2 first)"},
        {"utf-16 big-endian", "\xFE\xFF" + Utf16Be(kGoodIni),
         {"error: install.ini: saved as UTF-16 big-endian. Windows 95/98/Me: read it as empty; Windows NT to 11: "
          "read it as empty too (they read UTF-16 only little-endian), so the launcher looks up no product and "
          "always offers to install; Wine reads it as text: save it as ANSI text (Windows-1252), which every "
          "Windows reads alike; not checked further"},
         1},
        {"utf-8 mark", "\xEF\xBB\xBF; comment first\r\n" + std::string(kGoodIni),
         {"warning: install.ini: starts with a UTF-8 byte-order mark. Windows 95/98/Me and Windows NT to 11 alike "
          "read the mark as three characters (\"\xC3\xAF\xC2\xBB\xC2\xBF\") of the first line (harmless on this "
          "one, which holds no section); Wine skips the mark: save it as ANSI text (Windows-1252), which every "
          "Windows reads alike"},
         0},
        {"utf-8 mark on a section's line", "\xEF\xBB\xBF" + std::string(kGoodIni),
         {"error: install.ini: no section [INSTALL]: the launcher looks up no product and always offers to install",
          "error: install.ini: starts with a UTF-8 byte-order mark on the line of section [INSTALL]. Windows "
          "95/98/Me and Windows NT to 11 alike read the mark as three characters (\"\xC3\xAF\xC2\xBB\xC2\xBF\") of "
          "the first line, so that line is no section header and the keys under it are not found; Wine skips the "
          "mark, so ./demo.sh finds them: save it as ANSI text (Windows-1252), which every Windows reads alike"},
         1},
        {"binary junk", std::string("\x00\x01[INSTALL]\xff\xfe\x00=\x00\n\n[\x00", 14) + std::string(3000, '\x9c'),
         {"error: install.ini: holds binary data (NUL bytes), not text: it is not a profile file the launcher can "
          "read; not checked further"},
         1},
        // Keys the launcher does not read where they stand.
        {"a guessed key", Ini("Language=de\r\n", "", ""),
         {"warning: install.ini: [INSTALL] Language is not a key the launcher reads, and it ignores it; the nearest "
          "key it reads is [Texts] Install"},
         0},
        {"a typo in [INSTALL]", Ini("InstallButton=&Los\r\n", "", ""),
         {"warning: install.ini: [INSTALL] InstallButton is not a key the launcher reads, and it ignores it; the "
          "nearest key it reads is [INSTALL] Installer"},
         0},
        {"a key of another section", Ini("RegistryKey=SOFTWARE\\Other\r\n", "", ""),
         {"warning: install.ini: [INSTALL] RegistryKey is read only in each product's section: here the launcher "
          "ignores it"},
         0},
        {"a typo in a product section", Ini("", "RegistryKy=SOFTWARE\\Other\r\n", ""),
         {"warning: install.ini: [P1] RegistryKy is not a key the launcher reads, and it ignores it; the nearest "
          "key it reads is each product's section RegistryKey"},
         0},
        {"a typo in [Texts]", Ini("", "", "BothInstalled=Zwei\r\n"),
         {"warning: install.ini: [Texts] BothInstalled is not a key the launcher reads, and it ignores it; the "
          "nearest key it reads is [Texts] BothInstalledText"},
         0},
        {"a text line without =", Ini("", "", "Install &Installieren\r\n"),
         {"warning: install.ini: [Texts] line \"Install &Installieren\" has no \"=\": the launcher reads nothing "
          "from it"},
         0},
        // The installer.
        {"installer on a drive", Ini("Installer=C:\\Temp\\Setup.exe\r\n", "", ""),
         {"error: install.ini: [INSTALL] Installer=C:\\Temp\\Setup.exe names a path outside the disc (a drive, a "
          "leading backslash or a network path): the launcher starts setup.exe instead; write the installer's path "
          "below the disc root, for example Installer=Install\\Setup.exe"},
         1},
        {"installer on a network path", Ini("Installer=\\\\server\\Setup.exe\r\n", "", ""),
         {"error: install.ini: [INSTALL] Installer=\\\\server\\Setup.exe names a path outside the disc (a drive, a "
          "leading backslash or a network path): the launcher starts setup.exe instead; write the installer's path "
          "below the disc root, for example Installer=Install\\Setup.exe"},
         1},
        {"installer climbing out", Ini("Installer=Install\\..\\..\\Setup.exe\r\n", "", ""),
         {"error: install.ini: [INSTALL] Installer=Install\\..\\..\\Setup.exe holds \"..\", which may climb out of "
          "the disc: the launcher starts setup.exe instead; write the installer's path below the disc root, for "
          "example Installer=Install\\Setup.exe"},
         1},
        {"installer too long", Ini("Installer=" + std::string(259, 'i') + "\r\n", "", ""),
         {"error: install.ini: [INSTALL] Installer=" + std::string(259, 'i') + " is 259 characters long; the "
              "launcher takes at most 258: the launcher starts setup.exe instead; write the installer's path below "
              "the disc root, for example Installer=Install\\Setup.exe"},
         1},
        {"installer missing", Ini("Installer=Install\\Setup.exe\r\n", "", ""),
         {"error: Install\\Setup.exe: missing from the disc: the launcher starts \"D:\\Install\\Setup.exe\""},
         1},
        {"installer named setup.exe", Ini("Installer=setup.exe\r\n", "", ""), {}, 0},
        {"installer with a quote", Ini("Installer=Setup.exe\" /S\r\n", "", ""),
         {"error: install.ini: [INSTALL] Installer=Setup.exe\" /S holds a quote, which would hand what follows it "
          "to the installer as arguments: the launcher starts setup.exe instead; write the installer's path below the disc root, for "
          "example Installer=Install\\Setup.exe"},
         1},
        {"installer with a pipe", Ini("Installer=Setup|1.exe\r\n", "", ""),
         {"error: install.ini: [INSTALL] Installer=Setup|1.exe holds \"|\", which no file name holds: the launcher starts setup.exe instead; write the installer's path below the disc root, for "
          "example Installer=Install\\Setup.exe"},
         1},
        {"registry key filling its buffer after backslashes",
         Ini("", "RegistryKey=\\\\SOFTWARE\\" + std::string(503, 'k') + "\r\n", ""),
         {"error: install.ini: [P1] RegistryKey is 514 characters long, backslashes included; the launcher's limit "
          "is 511, and it never looks up a key path that may have been cut, so it never finds the product"},
         1},
        // Code pages: cp932 text whose second bytes are '\\', '{' and '}'.
        {"code page 932",
         "[INSTALL]\r\nConfigFile=yes\r\nCodePage=932\r\nProductName=\x8A\xBF\x8E\x9A\r\nProduct=P1\r\n"
         "RegistryRoot=SOFTWARE\\Kasumi\\\x8A\xBF\x95\x5C\r\n[P1]\r\nProgramName=\x83\x5C\x83\x74\x83\x67\r\n"
         "Version=1\r\n[Texts]\r\nRun=\x8E\xC0\x8D\x73(&R)\r\nRepairText=\x83\x7B" "First}\x83\x7D {ProductName}\r\n",
         {}, 0,
         "install.ini: product 1 [P1] \"\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\" is looked up under HKEY_LOCAL_MACHINE\\"
         "SOFTWARE\\Kasumi\\\xE6\xBC\xA2\xE8\xA1\xA8\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\\1\\P1 (on 64-bit Windows: "
         "SOFTWARE\\Wow6432Node\\Kasumi\\\xE6\xBC\xA2\xE8\xA1\xA8\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\\1\\P1 first)"},
        {"code page 1250",
         "[INSTALL]\r\nConfigFile=yes\r\nCodePage=1250\r\nProductName=S\xB3ownik\r\nProduct=P1\r\n[P1]\r\n"
         "ProgramName=S\xB3ownik\r\nVersion=1\r\n",
         {}, 0,
         "install.ini: product 1 [P1] \"S\xC5\x82ownik\" is looked up under HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\"
         "S\xC5\x82ownik\\1\\P1 (on 64-bit Windows: SOFTWARE\\Wow6432Node\\Vantorel\\S\xC5\x82ownik\\1\\P1 first)"},
        {"code page unknown", Ini("CodePage=1234\r\n", "", ""),
         {"error: install.ini: [INSTALL] CodePage=1234: \"1234\" is no code page the checker knows: give one of 874, "
          "932, 936, 949, 950, 1250 to 1258; the disc is read in code page 1252"},
         1},
        {"bytes that are no character in the code page", Ini("CodePage=932\r\n", "", "Run=\x81\x20Go\r\n"),
         {"warning: install.ini: line 13 ([Texts] Run) holds bytes that are no character in code page 932: "
          "\"Run=\xEF\xBF\xBDGo\"; Windows shows them as something else or not at all"},
         0},
        // The registry key and its values.
        {"registry key with a leading backslash", Ini("", "RegistryKey=\\SOFTWARE\\Lumo\\3\r\n", ""),
         {"warning: install.ini: [P1] RegistryKey \"\\SOFTWARE\\Lumo\\3\" starts with \"\\\": the launcher drops it "
          "and looks up SOFTWARE\\Lumo\\3 (Windows NT refuses a key path that starts with one): write "
          "RegistryKey=SOFTWARE\\Lumo\\3"},
         0},
        {"registry key too long", Ini("", "RegistryKey=SOFTWARE\\" + std::string(503, 'k') + "\r\n", ""),
         {"error: install.ini: product 1 [P1]: its registry key path would be 512 characters long; the launcher's "
          "limit is 511, so it never finds the product"},
         1},
        {"registry root too long", Ini("RegistryRoot=SOFTWARE\\" + std::string(500, 'r') + "\r\n", "", ""),
         {"error: install.ini: product 1 [P1]: its registry key path would be 520 characters long; the launcher's "
          "limit is 511, so it never finds the product",
          "error: install.ini: product 2 [P2]: its registry key path would be 520 characters long; the launcher's "
          "limit is 511, so it never finds the product"},
         1},
        {"registry root over its limit", Ini("RegistryRoot=" + std::string(520, 'r') + "\r\n", "", ""),
         {"error: install.ini: [INSTALL] RegistryRoot is 520 characters long; the launcher reads only the first "
              "511: \"" + std::string(511, 'r') + "\"",
          "error: install.ini: product 1 [P1]: its registry key path would be 522 characters long; the launcher's "
          "limit is 511, so it never finds the product",
          "error: install.ini: product 2 [P2]: its registry key path would be 522 characters long; the launcher's "
          "limit is 511, so it never finds the product"},
         1},
        {"value name too long", Ini("", "CommandValue=" + std::string(256, 'c') + "\r\n", ""),
         {"error: install.ini: [P1] CommandValue is 256 characters long; the launcher reads only the first 255: \"" +
              std::string(255, 'c') + "\""},
         1},
        {"command value empty", Ini("", "CommandValue=\r\n", ""),
         {"warning: install.ini: [P1] CommandValue is empty: the launcher reads the value \"CommandLine\""},
         0},
        // The texts.
        {"caption too long", Ini("", "", "RunFirst=" + std::string(64, 'x') + "\r\n"),
         {"error: install.ini: [Texts] RunFirst is 64 characters long; the launcher reads only the first 63: \"" +
              std::string(63, 'x') + "\"",
          "warning: install.ini: [Texts] RunFirst \"" + std::string(63, 'x') + "\" is 315 pixels wide, and its "
              "button in the two-products dialog (75 pixels, MS Sans Serif 8 point) leaves 69 for it: Windows cuts "
              "it off at both ends; shorten it"},
         1},
        {"message too long", Ini("", "", "RepairText=" + std::string(512, 'x') + "\r\n"),
         {"error: install.ini: [Texts] RepairText is 512 characters long; the launcher reads only the first 511: \"" +
              std::string(511, 'x') + "\""},
         1},
        {"text empty", Ini("", "", "Cancel=\r\n"),
         {"warning: install.ini: [Texts] Cancel is empty: the launcher shows its own \"&Cancel\""},
         0},
        {"unknown placeholder", Ini("", "", "RepairText={Produkt} neu installieren?\r\n"),
         {"warning: install.ini: [Texts] RepairText holds {Produkt}, which the launcher does not know, so it shows "
          "as it stands; it fills in {ProductName}, {First}, {Second}, {Incomplete} and {Runnable}"},
         0},
        {"placeholder of the other message", Ini("", "", "BothInstalledText={First}, {Second} oder {Runnable}?\r\n"),
         {"warning: install.ini: [Texts] BothInstalledText holds {Runnable}, which the launcher fills in only in "
          "OneIncompleteText; here it shows as it stands"},
         0},
        {"placeholder in a caption", Ini("", "", "RunFirst=Run {First}\r\n"),
         {"warning: install.ini: [Texts] RunFirst \"Run {First}\": the launcher fills in {First} only in the three "
          "messages; in a caption it shows as it stands"},
         0},
        {"one access key twice", Ini("", "", "Run=&Starten\r\nCancel=&Schlie\xDF" "en\r\n"),
         {"warning: install.ini: [Texts] Run \"&Starten\" and Cancel \"&Schlie\xC3\x9F" "en\" have the same access "
          "key in the splash: Alt+S then moves between the two buttons instead of pressing one; give each its own "
          "\"&\" letter"},
         0},
        {"caption too wide", Ini("", "", "RunSecond=&W\xF6rterbuch-Trainer\r\n"),
         {"warning: install.ini: [Texts] RunSecond \"&W\xC3\xB6rterbuch-Trainer\" is 92 pixels wide, and its button "
          "in the two-products dialog (75 pixels, MS Sans Serif 8 point) leaves 69 for it: Windows cuts it off at "
          "both ends; shorten it"},
         0},
        {"message too long for its box",
         Ini("", "", "BothInstalledText=" + std::string(60, 'W') + " " + std::string(60, 'W') + " {First}\r\n"),
         {"warning: install.ini: the two-products dialog's message needs 10 lines, and its box (97 x 61 dialog "
              "units, MS Sans Serif 8 point) shows 7: Windows cuts it off after \"WWWWWWWWWWWWW\"; shorten [Texts] "
              "BothInstalledText or the names it holds: \"" + std::string(60, 'W') + " " + std::string(60, 'W') +
              " One\""},
         0},
        // The launcher's own message is cut too, when the product name is long.
        {"long product name in the launcher's message",
         "[INSTALL]\r\nConfigFile=yes\r\nProductName=" + std::string(12, 'W') + " " + std::string(12, 'W') + " " +
             std::string(12, 'W') + " Practice Tests for Schools\r\nProduct=P1,P2\r\n[P1]\r\nProgramName=One\r\n"
             "Version=1.0\r\n[P2]\r\nProgramName=Two\r\nVersion=2.0\r\n",
         {"warning: install.ini: the two-products dialog's message needs 8 lines, and its box (97 x 61 dialog "
          "units, MS Sans Serif 8 point) shows 7: Windows cuts it off after \"to run the Paper or Computer\" (with "
          "ProductName \"WWWWWWWWWWWW WWWWWWWWWWWW WWWWWWWWWWWW Practice Tests for Schools\"); shorten [INSTALL] "
          "ProductName, or word the message with [Texts] BothInstalledText: \"You have 2 WWWWWWWWWWWW WWWWWWWWWWWW "
          "WWWWWWWWWWWW Practice Tests for Schools tests installed. Would you like to run the Paper or Computer "
          "Adaptive Test?\""},
         0},
        {"registry root with two leading backslashes",
         "[INSTALL]\r\nConfigFile=yes\r\nRegistryRoot=\\\\SOFTWARE\\Lumo\r\nProductName=Family\r\nProduct=P1,P2\r\n"
         "[P1]\r\nProgramName=One\r\nVersion=" + std::string(500, 'v') +
             "\r\n[P2]\r\nProgramName=Two\r\nVersion=2.0\r\n",
         {"error: install.ini: product 1 [P1]: its registry key path would be 521 characters long; the launcher's "
          "limit is 511, so it never finds the product"},
         1,
         "install.ini: product 2 [P2] \"Two\" is looked up under HKEY_LOCAL_MACHINE\\SOFTWARE\\Lumo\\Two\\2.0\\P2 (on "
         "64-bit Windows: SOFTWARE\\Wow6432Node\\Lumo\\Two\\2.0\\P2 first)"},
        {"a message of 74 letters, no placeholder",
         Ini("", "", "BothInstalledText=Beide Programme sind installiert. Welches der zwei wollen Sie nun "
                     "starten?\r\n"),
         {},
         0,
         "install.ini: the disc's texts: the two-products dialog: \"Beide Programme sind installiert. Welches der "
         "zwei wollen Sie nun starten?\"; buttons \"Run &Paper\", \"Run CAT\", \"&Cancel\""},
        {"an Install caption of 64 letters", Ini("", "", "Install=" + std::string(64, 'x') + "\r\n"),
         {"error: install.ini: [Texts] Install is 64 characters long; the launcher reads only the first 63: \"" +
              std::string(63, 'x') + "\"",
          "warning: install.ini: [Texts] Install \"" + std::string(63, 'x') + "\" is 504 pixels wide, and its "
              "button in the splash (100 pixels, System font) leaves 94 for it; in MS Sans Serif 8 point it is 315 "
              "pixels wide, and its button in the repair-or-run dialog (75 pixels) leaves 69 for it: Windows cuts it "
              "off at both ends; shorten it"},
         1},
        {"a typo of [Texts] Install, as near to [INSTALL] Installer", Ini("", "", "Installe=x\r\n"),
         {"warning: install.ini: [Texts] Installe is not a key the launcher reads, and it ignores it; the nearest "
          "key it reads is [Texts] Install"},
         0},
        {"one access key twice, after a doubled ampersand", Ini("", "", "Run=R&&D &Gehen\r\nCancel=&Gehen lassen\r\n"),
         {"warning: install.ini: [Texts] Run \"R&&D &Gehen\" and Cancel \"&Gehen lassen\" have the same access key "
          "in the splash: Alt+G then moves between the two buttons instead of pressing one; give each its own \"&\" "
          "letter"},
         0},
        {"one access key twice, in either case", Ini("", "", "Run=&\xD6" "ffnen\r\nCancel=&\xF6" "ffnen nicht\r\n"),
         {"warning: install.ini: [Texts] Run \"&\xC3\x96" "ffnen\" and Cancel \"&\xC3\xB6" "ffnen nicht\" have the "
          "same access key in the splash: Alt+\xC3\x96 then moves between the two buttons instead of pressing one; "
          "give each its own \"&\" letter"},
         0},
        {"one access key twice in the two-products dialog", Ini("", "", "RunFirst=&Grammatik\r\nRunSecond=&Gehen\r\n"),
         {"warning: install.ini: [Texts] RunFirst \"&Grammatik\" and RunSecond \"&Gehen\" have the same access key "
          "in the two-products dialog: Alt+G then moves between the two buttons instead of pressing one; give each "
          "its own \"&\" letter"},
         0},
        {"an Install caption too wide for the repair-or-run dialog", Ini("", "", "Install=&Setup / Repair\r\n"),
         {"warning: install.ini: [Texts] Install \"&Setup / Repair\" is 70 pixels wide, and its button in the "
          "repair-or-run dialog (75 pixels, MS Sans Serif 8 point) leaves 69 for it: Windows cuts it off at both "
          "ends; shorten it"},
         0},
        {"a message of 8 lines, each filled to the edge", Ini("", "", "BothInstalledText=" + edge_to_edge + "\r\n"),
         {"warning: install.ini: the two-products dialog's message needs 8 lines, and its box (97 x 61 dialog "
          "units, MS Sans Serif 8 point) shows 7: Windows cuts it off after \"WWWWWW WWWWWWW\"; shorten [Texts] "
          "BothInstalledText or the names it holds: \"" + edge_to_edge + "\""},
         0},
        {"a placeholder in the message box's caption", Ini("", "", "RepairCaption={ProductName} Setup\r\n"),
         {"warning: install.ini: [Texts] RepairCaption \"{ProductName} Setup\": the launcher fills in {ProductName} "
          "only in the three messages; in a caption it shows as it stands"},
         0},
        {"the longer of the two products' names decides the message's fit",
         "[INSTALL]\r\nConfigFile=yes\r\nProductName=Family\r\nProduct=P1,P2\r\n[P1]\r\nProgramName=One\r\n"
         "Version=1.0\r\n[P2]\r\nProgramName=" + std::string(127, 'W') + "\r\nVersion=2.0\r\n[Texts]\r\n"
             "OneIncompleteText={Incomplete} ist unvollst\xE4ndig. Installieren Sie {Incomplete} neu, oder starten "
             "Sie {Runnable}.\r\n",
         {"warning: install.ini: the repair-or-run dialog's message needs 12 lines, and its box (182 x 80 dialog "
              "units, MS Sans Serif 8 point) shows 10: Windows cuts it off after \"" + std::string(24, 'W') + "\" "
              "(product 2 incomplete); shorten [Texts] OneIncompleteText or the names it holds: \"" +
              std::string(127, 'W') + " ist unvollst\xC3\xA4ndig. Installieren Sie " + std::string(127, 'W') + " "
              "neu, oder starten Sie One.\""},
         0},
        // Widths in the code page's own fonts: "ł" and "ą" are wider than the
        // "³" and "¹" of the same bytes in Windows-1252, "ć" narrower than "æ".
        {"captions in code page 1250",
         Ini("CodePage=1250\r\n", "", "RunFirst=&Zacz\xB9\xE6 nauk\xEA\r\nRunSecond=&W\xB3\xB9" "cz s\xB3ownik\r\n"),
         {"warning: install.ini: [Texts] RunSecond \"&Włącz słownik\" is 72 pixels wide, and its button in the "
          "two-products dialog (75 pixels, MS Sans Serif 8 point) leaves 69 for it: Windows cuts it off at both "
          "ends; shorten it"},
         0},
        // Full-width cells: "インストール(&I)" in code page 932.
        {"a caption in code page 932",
         Ini("CodePage=932\r\n", "", "Install=\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B(&I)\r\n"),
         {"warning: install.ini: [Texts] Install \"インストール(&I)\" is 120 pixels wide, and its button in the splash "
          "(100 pixels, System font) leaves 94 for it; in MS Sans Serif 8 point it is 90 pixels wide, and its button "
          "in the repair-or-run dialog (75 pixels) leaves 69 for it: Windows cuts it off at both ends; shorten it"},
         0,
         "install.ini: the widths of the texts in code page 932 are estimated with the Japanese fonts' cells (6 "
         "pixels a single-byte character and 12 a double-byte one in the choice dialogs, 8 and 16 on the splash), "
         "not measured: a text near the edge of its button or box may fit where disccheck says it does not, or the "
         "reverse; see it under Windows set to that language"},
        // No fonts of its own in Wine.
        {"code page 1258", Ini("CodePage=1258\r\n", "", ""), {}, 0,
         "install.ini: the widths of the texts in code page 1258 are estimated (Wine has no fonts for it: the widths "
         "of the same letters in the other code pages' fonts stand in), not measured: a text near the edge of its "
         "button or box may fit where disccheck says it does not, or the reverse; see it under Windows set to that "
         "language"},
        // Twelve "表" (95 5C) to a line of 146 pixels, broken between any two.
        {"a message in code page 932", Ini("CodePage=932\r\n", "", "BothInstalledText=" + hyou90 + "\r\n"),
         {"warning: install.ini: the two-products dialog's message needs 8 lines, and its box (97 x 61 dialog "
          "units, MS Sans Serif 8 point) shows 7: Windows cuts it off after \"表表表表表表表表表表表表\"; shorten [Texts] "
          "BothInstalledText or the names it holds: \"" + hyou90_shown + "\""},
         0},
        // Language sections: "Źródło" and "Zakończ" read in the section's
        // code page ("Ź", 8F, is no character of Windows-1252).
        {"a Polish section",
         Ini("", "", "", "[Texts.0415]\r\nCodePage=1250\r\nRun=\x8Fr\xF3" "d\xB3o\r\nCancel=&Zako\xF1" "cz\r\n"), {}, 0,
         "install.ini: [Texts.0415]'s texts: the splash: \"&Install\" (nothing installed) or \"Źródło\", and "
         "\"&Zakończ\""},
        {"a Polish section on a Polish machine", Ini("", "", "", "[texts.0415]\r\nCodePage=1250\r\nRun=&Uruchom\r\n"),
         {}, 0, "language: Polish (0415), code page 1250: the launcher shows [texts.0415]", {}, {"--language", "0415"}},
        {"language sections the launcher ignores or no machine chooses",
         Ini("", "", "", "[Texts.415]\r\nRun=x\r\n[Texts.04150]\r\n[Texts.0999]\r\nRun=x\r\n"),
         {"warning: install.ini: [Texts.415] is no language section: the launcher reads only [Texts.XXXX] with XXXX a "
          "language ID of exactly 4 hex digits, such as [Texts.0415], and ignores this one",
          "warning: install.ini: [Texts.04150] is no language section: the launcher reads only [Texts.XXXX] with XXXX "
          "a language ID of exactly 4 hex digits, such as [Texts.0415], and ignores this one",
          "warning: install.ini: [Texts.0999]: 0999 names no Windows language, so no machine's language chooses this "
          "section"},
         0},
        {"language sections in code pages their machines do not have",
         Ini("CodePage=1252\r\n", "", "", "[Texts.0415]\r\nRun=x\r\n[Texts.0419]\r\nCodePage=1250\r\n[Texts.0408]\r\n"
             "CodePage=12x\r\n[Texts.0439]\r\n"),
         {"warning: install.ini: [Texts.0415] takes [INSTALL] CodePage=1252, which is not Polish's usual ANSI code "
          "page, 1250: the launcher shows this section only where the machine's ANSI code page is 1252",
          "warning: install.ini: [Texts.0419] CodePage=1250 is not Russian's usual ANSI code page, 1251: the "
          "launcher shows this section only where the machine's ANSI code page is 1250",
          "warning: install.ini: [Texts.0408] CodePage=12x is not a number: the launcher never shows this section"},
         0, "install.ini: [Texts.0439]: Hindi has no ANSI code page of its own (Windows runs it in Unicode only): the "
         "launcher shows this section where the machine's ANSI code page is 1252"},
        {"a language section lacking keys of [Texts]",
         Ini("", "", "Install=&Los\r\nRun=&Start\r\n", "[Texts.0407]\r\nInstall=&Installieren\r\nInstal=x\r\n"),
         {"warning: install.ini: [Texts.0407] lacks Run, which [Texts] gives: where the launcher shows this section, "
          "it shows [Texts]'s text for it",
          "warning: install.ini: [Texts.0407] Instal is not a key the launcher reads, and it ignores it; the nearest "
          "key it reads is [Texts.0407] Install"},
         0},
        {"language sections' pictures",
         Ini("", "", "", "[Texts.0415]\r\nBitmap=..\\pl.bmp\r\n[Texts.0407]\r\nBitmap=de.bmp\r\n[Texts.0411]\r\n"
             "Bitmap=ja.bmp\r\n[Texts.0419]\r\nBitmap=ru.bmp\r\n"),
         {"warning: install.ini: [Texts.0415] Bitmap=..\\pl.bmp is not a plain file name in the launcher's folder: "
          "the launcher refuses it and shows Launcher.bmp",
          "warning: install.ini: [Texts.0407] Bitmap=de.bmp is missing from the launcher's folder: the launcher shows "
          "Launcher.bmp",
          "warning: install.ini: [Texts.0411] Bitmap=ja.bmp is refused by the launcher's reader: it is too short to "
          "be a bitmap file (4 bytes); the launcher shows Launcher.bmp",
          "warning: install.ini: [Texts.0419] Bitmap=ru.bmp is 320 x 200 pixels and Launcher.bmp 300 x 200: the "
          "splash window and its buttons move on the machines that show this section; make both the same size"},
         0, "ru.bmp: 320 x 200 pixels, 8 bits per pixel; the splash window is 322 x 220",
         {{"ja.bmp", "junk"}, {"ru.bmp", Bmp(320, 200)}}},
    };
    for (const IniCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        WriteFile("disc/LAUNCH/install.ini", c.ini);
        for (const auto &f : c.files)
            WriteFile("disc/LAUNCH/" + f.first, f.second);
        std::vector<std::string> args{Launch()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Outcome o = Run(args);
        EXPECT_EQ(o.code, c.code) << o.out;
        ExpectFindings(o, c.findings);
        EXPECT_TRUE(c.line.empty() || o.HasLine(c.line)) << o.out;
    }
}

TEST_F(DiscCheck, MissingInstallIni) {
    WriteGoodDisc();
    RemoveFile("disc/LAUNCH/install.ini");
    Outcome o = Check();
    EXPECT_EQ(o.code, 1);
    EXPECT_TRUE(o.Has("error: install.ini: missing from the launcher's folder")) << o.out;
}

TEST_F(DiscCheck, ProductsNotLookedUpStillHaveTheirSectionsChecked) {
    WriteGoodDisc();
    WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nVersion=1\r\n");
    Outcome o = Check();
    EXPECT_TRUE(o.Has("error: install.ini: [P1] ProgramName is empty or missing")) << o.out;
    EXPECT_TRUE(o.Has("install.ini: product 1 [P1] is looked up under HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\\\1\\P1",
                      {"not looked up while ConfigFile is empty"}))
        << o.out;
}

// ---- Launcher.bmp

struct BmpCase {
    const char *name;
    std::string bytes;
    std::vector<std::string> findings;
    int code;
    const char *line = ""; // another line of the output, in full
};

TEST_F(DiscCheck, BitmapFindings) {
    std::string core = Bmp(50, 50, 8, 12);
    // 16-bit bit fields as editors save them: the three masks after a
    // 40-byte header (the pixels 12 bytes further on), or inside a larger one.
    auto bit_fields = [](uint32_t header, uint32_t red, uint32_t green, uint32_t blue = 0x1F) {
        std::string b = Bmp(300, 100, 16, header, BI_BITFIELDS), masks;
        Put32(masks, red);
        Put32(masks, green);
        Put32(masks, blue);
        if (header > 40)
            return b.replace(54, 12, masks);
        std::string offset;
        Put32(offset, 14 + 40 + 12);
        return b.insert(54, masks).replace(10, 4, offset);
    };
    // Two colours after the header and the masks, the rows right after them
    // (no offset), the last 1000 bytes missing.
    auto no_offset = [&](uint32_t header) {
        std::string b = bit_fields(header, 0xF800, 0x7E0), two;
        Put32(two, 2);
        b.replace(46, 4, two).replace(10, 4, std::string(4, '\0')).insert(14 + std::max(header, 52u), 8, '\x10');
        return b.substr(0, b.size() - 1000);
    };
    const BmpCase cases[] = {
        {"accepted 4-bit", Bmp(320, 100, 4),
         {},
         0,
         "Launcher.bmp: 320 x 100 pixels, 4 bits per pixel; the splash window is 322 x 120"},
        {"too large for 640 x 480", Bmp(700, 300, 8),
         {"warning: Launcher.bmp: the splash window (702 x 320) does not fit a 640 x 480 screen"},
         0},
        {"too high", Bmp(300, 470, 8),
         {"warning: Launcher.bmp: the splash window (302 x 490) does not fit a 640 x 480 screen"},
         0},
        {"narrow", Bmp(150, 200, 8),
         {"warning: Launcher.bmp: narrower than 200 pixels: the two 100-pixel buttons do not fit side by side"},
         0},
        {"low", Bmp(300, 40, 8),
         {"warning: Launcher.bmp: lower than 45 pixels: the buttons, 45 pixels above the bottom edge, stand partly "
          "above the picture"},
         0},
        {"not a bitmap", "GIF89a" + std::string(100, 'x'),
         {"error: Launcher.bmp: refused by the launcher's reader: it is not a Windows bitmap file (it does not "
          "start with \"BM\"); the built-in picture shows instead"},
         1},
        {"short header", Bmp(10, 10).substr(0, 30),
         {"error: Launcher.bmp: refused by the launcher's reader: the file ends inside its header (30 bytes); the "
          "built-in picture shows instead"},
         1},
        {"core header", core,
         {"error: Launcher.bmp: refused by the launcher's reader: it has the old 12-byte OS/2 header: save it as a "
          "Windows bitmap; the built-in picture shows instead"},
         1},
        {"bit count", Bmp(10, 10, 3),
         {"error: Launcher.bmp: refused by the launcher's reader: its 3 bits per pixel are not one of 1, 4, 8, 16, "
          "24 or 32; the built-in picture shows instead"},
         1},
        {"header size", Bmp(10, 10, 8, 64),
         {"error: Launcher.bmp: refused by the launcher's reader: its header size 64 is not one of 40, 52, 56, 108 "
          "or 124; the built-in picture shows instead"},
         1},
        {"no width", Bmp(0, 10, 8),
         {"error: Launcher.bmp: refused by the launcher's reader: its size 0 x 10 is empty, mirrored or over 16384 "
          "pixels; the built-in picture shows instead"},
         1},
        {"compression", Bmp(10, 10, 24, 40, 4),
         {"error: Launcher.bmp: refused by the launcher's reader: its compression 4 is not drawn by the launcher "
          "(only uncompressed, RLE8 at 8 bits and RLE4 at 4 bits): save it as an 8-bit bitmap with its own palette "
          "(convert in.png -type Palette BMP3:Launcher.bmp) or as a 24-bit one (convert in.png -type TrueColor "
          "BMP3:Launcher.bmp); the built-in picture shows instead"},
         1},
        {"bit fields", Bmp(10, 10, 32, 40, 3),
         {"error: Launcher.bmp: refused by the launcher's reader: it is a bit-field bitmap (32 bits per pixel with "
          "colour masks), as image editors save 32-bit pictures by default, which the launcher does not draw (it "
          "draws 16-bit ones): save it as an 8-bit bitmap with its own palette (convert in.png -type Palette "
          "BMP3:Launcher.bmp) or as a 24-bit one (convert in.png -type TrueColor BMP3:Launcher.bmp); the built-in "
          "picture shows instead"},
         1},
        {"16-bit 5-6-5", bit_fields(40, 0xF800, 0x7E0),
         {},
         0,
         "Launcher.bmp: 300 x 100 pixels, 16 bits per pixel, bit fields; the splash window is 302 x 120"},
        {"16-bit 5-5-5 in a 124-byte header", bit_fields(124, 0x7C00, 0x3E0),
         {},
         0,
         "Launcher.bmp: 300 x 100 pixels, 16 bits per pixel, bit fields; the splash window is 302 x 120"},
        {"16-bit 4-4-4", bit_fields(40, 0xF00, 0xF0),
         {"error: Launcher.bmp: refused by the launcher's reader: it is a 16-bit bit-field bitmap without the 5-5-5 "
          "or 5-6-5 colour masks, the only ones Windows 95 draws (the masks must follow its header): save it as an "
          "8-bit bitmap with its own palette (convert in.png -type Palette BMP3:Launcher.bmp) or as a 24-bit one "
          "(convert in.png -type TrueColor BMP3:Launcher.bmp), or as a 16-bit one (convert in.png -define "
          "bmp:subtype=RGB565 Launcher.bmp); the built-in picture shows instead"},
         1},
        {"16-bit 5-6-5 with a 6-bit blue mask", bit_fields(40, 0xF800, 0x7E0, 0x3F),
         {"error: Launcher.bmp: refused by the launcher's reader: it is a 16-bit bit-field bitmap without the 5-5-5 "
          "or 5-6-5 colour masks, the only ones Windows 95 draws (the masks must follow its header): save it as an "
          "8-bit bitmap with its own palette (convert in.png -type Palette BMP3:Launcher.bmp) or as a 24-bit one "
          "(convert in.png -type TrueColor BMP3:Launcher.bmp), or as a 16-bit one (convert in.png -define "
          "bmp:subtype=RGB565 Launcher.bmp); the built-in picture shows instead"},
         1},
        {"16-bit without its masks", Bmp(10, 10, 16, 40, 3),
         {"error: Launcher.bmp: refused by the launcher's reader: it is a 16-bit bit-field bitmap without the 5-5-5 "
          "or 5-6-5 colour masks, the only ones Windows 95 draws (the masks must follow its header): save it as an "
          "8-bit bitmap with its own palette (convert in.png -type Palette BMP3:Launcher.bmp) or as a 24-bit one "
          "(convert in.png -type TrueColor BMP3:Launcher.bmp), or as a 16-bit one (convert in.png -define "
          "bmp:subtype=RGB565 Launcher.bmp); the built-in picture shows instead"},
         1},
        {"16-bit with colours and no pixel offset", no_offset(40),
         {"warning: Launcher.bmp: its pixel data is 1000 bytes shorter than its header says: the launcher draws the "
          "top 2 rows black"},
         0},
        {"the same in a 124-byte header", no_offset(124),
         {"warning: Launcher.bmp: its pixel data is 1000 bytes shorter than its header says: the launcher draws the "
          "top 2 rows black"},
         0},
        {"16-bit 4-4-4 in a 108-byte header", bit_fields(108, 0xF00, 0xF0),
         {"error: Launcher.bmp: refused by the launcher's reader: it is a 16-bit bit-field bitmap without the 5-5-5 "
          "or 5-6-5 colour masks, the only ones Windows 95 draws (the masks must be in bytes 40 to 51 of its 108-byte "
          "header): save it as an 8-bit bitmap with its own palette (convert in.png -type Palette BMP3:Launcher.bmp) "
          "or as a 24-bit one (convert in.png -type TrueColor BMP3:Launcher.bmp), or as a 16-bit one (convert "
          "in.png -define bmp:subtype=RGB565 Launcher.bmp); the built-in picture shows instead"},
         1},
        {"pixel data cut short", Bmp(300, 200, 24).substr(0, 54 + 900 * 200 - 1000),
         {"warning: Launcher.bmp: its pixel data is 1000 bytes shorter than its header says: the launcher draws the "
          "top 2 rows black"},
         0},
        {"empty file", "",
         {"error: Launcher.bmp: refused by the launcher's reader: it is too short to be a bitmap file (0 bytes); "
          "the built-in picture shows instead"},
         1},
        {"shorter than a file header", "BM\x01\x02",
         {"error: Launcher.bmp: refused by the launcher's reader: it is too short to be a bitmap file (4 bytes); "
          "the built-in picture shows instead"},
         1},
        {"one byte", "B",
         {"error: Launcher.bmp: refused by the launcher's reader: it is too short to be a bitmap file (1 byte); the "
          "built-in picture shows instead"},
         1},
    };
    for (const BmpCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        WriteFile("disc/LAUNCH/Launcher.bmp", c.bytes);
        Outcome o = Check();
        EXPECT_EQ(o.code, c.code) << o.out;
        ExpectFindings(o, c.findings);
        EXPECT_TRUE(!c.line[0] || o.HasLine(c.line)) << o.out;
    }
}

TEST_F(DiscCheck, MissingBitmapIsAWarning) {
    WriteGoodDisc();
    RemoveFile("disc/LAUNCH/Launcher.bmp");
    Outcome o = Check();
    EXPECT_EQ(o.code, 0);
    EXPECT_TRUE(o.Has("warning: Launcher.bmp: missing from the launcher's folder: the built-in picture shows")) << o.out;
}

TEST_F(DiscCheck, BitmapAlone) {
    WriteFile("good.bmp", Bmp(640, 470));
    WriteFile("bad.bmp", "BM" + std::string(10, '\0'));
    Outcome o = Run({"--bitmap", Scratch() + "/good.bmp"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_TRUE(o.Has(Scratch() + "/good.bmp: 640 x 470 pixels, 8 bits per pixel")) << o.out;
    EXPECT_TRUE(o.Has("warning: " + Scratch() + "/good.bmp: the splash window (642 x 490) does not fit")) << o.out;
    o = Run({"--bitmap", Scratch() + "/bad.bmp"});
    EXPECT_EQ(o.code, 1) << o.out;
    EXPECT_TRUE(o.Has("error: " + Scratch() + "/bad.bmp: refused by the launcher's reader: ")) << o.out;
    o = Run({"--bitmap", Scratch() + "/none.bmp"});
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("cannot read"), std::string::npos) << o.err;
}

// ---- setup.exe, launcher.exe, autorun.inf

TEST_F(DiscCheck, ProgramsMissing) {
    WriteGoodDisc();
    RemoveFile("disc/setup.exe");
    RemoveFile("disc/LAUNCH/launcher.exe");
    Outcome o = Check();
    EXPECT_EQ(o.code, 1);
    EXPECT_TRUE(o.HasLine("error: setup.exe: missing from the disc root: the launcher starts \"D:\\setup.exe\""))
        << o.out;
    EXPECT_TRUE(o.Has("error: launcher.exe: missing beside install.ini: copy build/win32/launcher.exe there")) << o.out;
}

struct ProgramCase {
    const char *name;
    const char *file; // under the disc folder
    std::string bytes;
    std::vector<std::string> findings;
};

TEST_F(DiscCheck, ProgramsThatWindowsWouldNotStart) {
    std::string dos = Exe();
    dos[64] = 'N'; // "NE\0\0": a 16-bit program
    const ProgramCase cases[] = {
        {"empty installer", "disc/setup.exe", "",
         {"error: setup.exe: is empty: Windows refuses to start it, so \"&Install\" installs nothing"},
         },
        {"installer not a program", "disc/setup.exe", "#!/bin/sh\n",
         {"error: setup.exe: is not a Windows program (it does not start with \"MZ\"): Windows refuses to start it, "
          "so \"&Install\" installs nothing"},
         },
        {"installer without PE", "disc/setup.exe", dos,
         {"error: setup.exe: is not a Windows program (it has no \"PE\" signature: an MS-DOS or 16-bit program at "
          "most): Windows refuses to start it, so \"&Install\" installs nothing"},
         },
        {"header past the end", "disc/setup.exe", Exe().substr(0, 64),
         {"error: setup.exe: is not a Windows program (it has no \"PE\" signature: an MS-DOS or 16-bit program at "
          "most): Windows refuses to start it, so \"&Install\" installs nothing"},
         },
        {"empty launcher", "disc/LAUNCH/launcher.exe", "",
         {"error: launcher.exe: is empty: Windows refuses to start it; copy build/win32/launcher.exe there (the "
          "win32 preset builds it; samples/prepare-disc.sh build/win32/launcher.exe DIR does both)"},
         },
        {"64-bit launcher", "disc/LAUNCH/launcher.exe", Exe(0x8664),
         {"error: launcher.exe: is not the 32-bit build (it is built for x86-64): 32-bit Windows cannot start it; "
          "copy build/win32/launcher.exe there (the win32 preset builds it; samples/prepare-disc.sh "
          "build/win32/launcher.exe DIR does both)"},
         },
    };
    for (const ProgramCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        WriteFile(c.file, c.bytes);
        Outcome o = Check();
        EXPECT_EQ(o.code, 1) << o.out;
        ExpectFindings(o, c.findings);
    }
}

TEST_F(DiscCheck, FilesAreFoundWithoutRegardToCase) {
    WriteGoodDisc();
    RemoveFile("disc/setup.exe");
    RemoveFile("disc/LAUNCH/Launcher.bmp");
    WriteFile("disc/SETUP.EXE", Exe());
    WriteFile("disc/LAUNCH/LAUNCHER.BMP", Bmp(300, 200));
    Outcome o = Check();
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_EQ(o.Count("warning:"), 0) << o.out;
}

struct AutorunCase {
    const char *name;
    std::string text;
    std::vector<std::string> findings;
    int code;
    const char *folder = "LAUNCH"; // the launcher's folder; the disc is given by its root
    const char *extra = "";        // another program in the disc root
};

TEST_F(DiscCheck, AutorunFindings) {
    const AutorunCase cases[] = {
        {"quoted with arguments", "[AutoRun]\r\nopen=\"LAUNCH\\Launcher.exe\" /auto\r\nicon=launch\\launcher.exe\r\n",
         {}, 0},
        {"leading backslash", "[autorun]\r\nopen=\\LAUNCH\\launcher.exe\r\nicon=LAUNCH\\launcher.exe\r\n", {}, 0},
        // Windows starts LAUNCH/launcher.exe from the disc root, but AutoPlay is documented with backslashes.
        {"forward slashes", "[autorun]\r\nopen=LAUNCH/launcher.exe\r\nicon=LAUNCH\\launcher.exe\r\n",
         {"warning: autorun.inf: [autorun] open=LAUNCH/launcher.exe has forward slashes: Windows starts a program "
          "so named, but AutoPlay documents open= with backslashes only: write open=LAUNCH\\launcher.exe"},
         0},
        {"no section", "[other]\r\nopen=LAUNCH\\launcher.exe\r\n",
         {"error: autorun.inf: no section [autorun]: AutoPlay does not start the launcher; add [autorun] with "
          "open=LAUNCH\\launcher.exe"},
         1},
        {"no open", "[autorun]\r\nicon=LAUNCH\\launcher.exe\r\n",
         {"error: autorun.inf: [autorun] has no open=: add open=LAUNCH\\launcher.exe"},
         1},
        {"open names another program", "[autorun]\r\nopen=setup.exe\r\nicon=LAUNCH\\launcher.exe\r\n",
         {"error: autorun.inf: [autorun] open=setup.exe does not name the launcher: write open=LAUNCH\\launcher.exe"},
         1},
        {"open with a drive", "[autorun]\r\nopen=D:\\LAUNCH\\launcher.exe\r\nicon=LAUNCH\\launcher.exe\r\n",
         {"error: autorun.inf: [autorun] open=D:\\LAUNCH\\launcher.exe names a drive letter: write the path "
          "relative to the disc root, open=LAUNCH\\launcher.exe"},
         1},
        {"no icon", "[autorun]\r\nopen=LAUNCH\\launcher.exe\r\n",
         {"warning: autorun.inf: [autorun] has no icon=: add icon=LAUNCH\\launcher.exe so that the disc shows the "
          "launcher's icon"},
         0},
        {"icon with a drive", "[autorun]\r\nopen=LAUNCH\\launcher.exe\r\nicon=D:\\LAUNCH\\launcher.exe,0\r\n",
         {"warning: autorun.inf: [autorun] icon=D:\\LAUNCH\\launcher.exe,0 names a drive letter: write the path "
          "relative to the disc root"},
         0},
        {"icon missing", "[autorun]\r\nopen=LAUNCH\\launcher.exe\r\nicon=disc.ico\r\n",
         {"warning: autorun.inf: [autorun] icon=disc.ico names a file that is not on the disc"},
         0},
        {"junk", std::string("\x01\x00\xff[autorun]\x00open", 16),
         {"error: autorun.inf: holds binary data (NUL bytes), not text: it is not a profile file the launcher can "
          "read"},
         1},
        // A blank in the launcher's folder: Windows starts the line quoted or
        // not (seen under Wine with CreateProcess, WinExec and ShellExecute),
        // trying the part before the blank first, a program of that name
        // on the disc included (quotes around the whole value are dropped by
        // the profile reader, and do not help).
        {"a blank, quoted", "[autorun]\r\nopen=\"Lumora Startprogramm\\launcher.exe\" /auto\r\n"
         "icon=Lumora Startprogramm\\launcher.exe\r\n",
         {},
         0, "Lumora Startprogramm"},
        {"a blank, not quoted", "[autorun]\r\nopen=Lumora Startprogramm\\launcher.exe\r\n"
         "icon=\"Lumora Startprogramm\\launcher.exe\",0\r\n",
         {},
         0, "Lumora Startprogramm"},
        {"a blank, and a program named as the part before it",
         "[autorun]\r\nopen=\"Lumora Startprogramm\\launcher.exe\"\r\nicon=Lumora Startprogramm\\launcher.exe\r\n",
         {"error: autorun.inf: [autorun] open=Lumora Startprogramm\\launcher.exe starts \"Lumora.exe\", not the "
          "launcher: Windows tries the part of the line before each blank first, and that one names a file on the "
          "disc; rename that file or take it off the disc"},
         1, "Lumora Startprogramm", "Lumora.exe"},
        {"another program, a blank in the launcher's folder", "[autorun]\r\nopen=setup.exe\r\n"
         "icon=Lumora Startprogramm\\launcher.exe\r\n",
         {"error: autorun.inf: [autorun] open=setup.exe does not name the launcher: write open=\"Lumora "
          "Startprogramm\\launcher.exe\""},
         1, "Lumora Startprogramm"},
    };
    for (const AutorunCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::string cmd = "rm -rf '" + Disc() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        WriteGoodDisc(c.folder);
        WriteFile("disc/autorun.inf", c.text);
        if (c.extra[0])
            WriteFile(std::string("disc/") + c.extra, Exe());
        Outcome o = std::string(c.folder) == "LAUNCH" ? Check() : Run({Disc()});
        EXPECT_EQ(o.code, c.code) << o.out;
        ExpectFindings(o, c.findings);
    }
    WriteGoodDisc();
    RemoveFile("disc/autorun.inf");
    Outcome o = Check();
    EXPECT_EQ(o.code, 0);
    EXPECT_TRUE(o.Has("warning: autorun.inf: missing from the disc root")) << o.out;
}

// ---- Images: what Windows reads of them

struct ImageCase {
    const char *name;
    const char *options;  // xorriso's
    const char *left_out; // a file of the good disc not in the folder the image is made of
    const char *patch;    // a Joliet name changed to ".." in the image
    const char *linked;   // a hard link to Launcher.bmp, read first from the image
    std::vector<std::string> findings;
    int code;
};

TEST_F(DiscCheck, ImageFindings) {
    const ImageCase cases[] = {
        {"Joliet and a label", "-joliet on -volid DISC", "", "", "", {}, 0},
        {"a label code page 1252 lacks", "-joliet on -volid S\xC5\x81OWNIK", "", "", "",
         {"warning: image: the volume label \"S\xC5\x81OWNIK\" holds \xC5\x81, which code page 1252 cannot hold: "
          "Windows 95, 98 and Me of that code page show \"?\" in its place",
          // The plain label's bytes as a system of the disc's code page reads them.
          "warning: image: the plain ISO 9660 volume label holds characters beyond ASCII, which ISO 9660 does not "
          "allow in a label (only A-Z, 0-9 and \"_\"): a system that reads no Joliet tree shows the disc as "
          "\"S\xC3\x85\xC2\x81OWNIK\" (Windows shows the Joliet label \"S\xC5\x81OWNIK\"); tools/make-image.sh "
          "writes that label in capitals"},
         0},
        {"no Joliet tree", "-joliet off -volid DISC", "", "", "",
         {"warning: image: no Joliet tree: Windows shows the plain ISO 9660 names, in capitals and cut short where "
          "they are long; make the image with Joliet (tools/make-image.sh does)"},
         0},
        {"no label", "-joliet on -volid ''", "", "", "",
         {"warning: image: no volume label: Explorer and AutoPlay show the disc with no name of its own; give the "
          "image a label (tools/make-image.sh DISC-ROOT OUT.iso LABEL)"},
         0},
        {"the picture's data shared with a file read before it", "-joliet on -volid DISC -hardlinks on", "", "",
         "disc/AAA/copy.bmp",
         {},
         0},
        {"a file only Rock Ridge names", "-joliet on -volid DISC -hide joliet /setup.exe --", "", "", "",
         {"error: setup.exe: \"setup.exe\" is not in the image under the Joliet names Windows reads, only under its "
          "Rock Ridge name \"setup.exe\": the launcher cannot start \"D:\\setup.exe\""},
         1},
        {"no autorun.inf", "-joliet on -volid DISC", "disc/autorun.inf", "", "",
         {"error: autorun.inf: \"autorun.inf\" is not in the image under the Joliet names Windows reads: AutoPlay "
          "does not start the launcher when the disc is inserted"},
         1},
        {"a name no file can have", "-joliet on -volid DISC", "", "zz", "",
         {"error: image: holds names that no file can have (\"..\"): the image is damaged, and Windows cannot open "
          "those entries"},
         1},
        {"a name beyond ASCII", "-joliet on -volid DISC -mkdir /\xC3\x9C""bungen", "", "", "", {}, 0},
        {"a name code page 1252 lacks", "-joliet on -volid DISC -mkdir /S\xC5\x82ownik", "", "", "",
         {"warning: S\xC5\x82ownik: the name holds \xC5\x82 (U+0142), which code page 1252 cannot hold: the launcher "
          "and Windows of that code page read \"?\" in its place"},
         0},
        {"a name beyond ASCII, no Joliet tree", "-joliet off -volid DISC -mkdir /\xC3\x9C""bungen", "", "", "",
         {"warning: image: no Joliet tree: Windows shows the plain ISO 9660 names, in capitals and cut short where "
          "they are long; make the image with Joliet (tools/make-image.sh does)"},
         0},
        // The Joliet label read as UCS-2; the plain one as its bytes stand.
        {"a label beyond ASCII", "-joliet on -volid 'Lumora \xC3\x9C""bung'", "", "", "",
         {"warning: image: the plain ISO 9660 volume label holds lower-case letters and characters beyond ASCII, "
          "which ISO 9660 does not allow in a label (only A-Z, 0-9 and \"_\"): a system that reads no Joliet tree "
          "shows the disc as \"Lumora \xC3\x83\xC5\x93" "bung\" (Windows shows the Joliet label \"Lumora "
          "\xC3\x9C" "bung\"); tools/make-image.sh writes that label in capitals"},
         0},
    };
    for (const ImageCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        if (c.left_out[0])
            RemoveFile(c.left_out);
        if (c.patch[0])
            WriteFile(std::string("disc/") + c.patch, "x");
        if (c.linked[0]) {
            std::string link = WriteFile(c.linked, "");
            RemoveFile(c.linked);
            ASSERT_EQ(::link((Launch() + "/Launcher.bmp").c_str(), link.c_str()), 0);
        }
        std::string iso = MakeImage(c.options);
        if (c.patch[0]) {
            std::string bytes;
            std::ifstream in(iso, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            size_t at = bytes.find(Utf16Be(c.patch));
            ASSERT_NE(at, std::string::npos);
            bytes.replace(at, 4, Utf16Be(".."));
            WriteFile("disc.iso", bytes);
        }
        Outcome o = Run({iso});
        EXPECT_EQ(o.code, c.code) << o.out << o.err;
        ExpectFindings(o, c.findings);
        EXPECT_TRUE(o.Has("disccheck: " + iso + ": the launcher's folder \"LAUNCH\" (")) << o.out;
        EXPECT_TRUE(o.Has("Launcher.bmp: 300 x 200 pixels")) << o.out;
        EXPECT_TRUE(o.Has("image: " + iso + ": Windows reads its ", {std::string(c.options).find("Lumora") != std::string::npos
                                                                          ? "volume label \"Lumora \xC3\x9C""bung\""
                                                                          : "label"}))
            << o.out;
    }

    // The checks and the prediction run on what the image holds.
    WriteGoodDisc();
    WriteFile("disc/LAUNCH/Launcher.bmp", Bmp(700, 300));
    std::string iso = MakeImage("-joliet on -volid DISC");
    Outcome o = Run({iso, "--launcher-dir", "launch", "--drive", "C:=" + Scratch()});
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    EXPECT_TRUE(o.Has("image: " + iso + ": Windows reads its Joliet names; volume label \"DISC\"")) << o.out;
    EXPECT_TRUE(o.Has("disccheck: " + iso + ": the launcher's folder \"LAUNCH\" (given with --launcher-dir)")) << o.out;
    EXPECT_TRUE(o.Has("warning: Launcher.bmp: the splash window (702 x 320) does not fit")) << o.out;
    EXPECT_TRUE(o.Has("the launcher: splash \"&Install\" -> Enter starts \"D:\\setup.exe\"")) << o.out;
    o = Run({iso, "--launcher-dir", "NOPE"});
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("the image has no folder \"NOPE\""), std::string::npos) << o.err;

    // An installer install.ini names in a folder of its own is read from the
    // image whole too, under any name.
    WriteGoodDisc();
    RemoveFile("disc/setup.exe");
    WriteFile("disc/Disk1/Inst.exe", Exe() + std::string(100000, 'x'));
    WriteFile("disc/LAUNCH/install.ini", Ini("Installer=disk1\\inst.exe\r\n", "", ""));
    iso = MakeImage("-joliet on -volid DISC");
    o = Run({iso});
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    EXPECT_EQ(o.Count("error:") + o.Count("warning:"), 0) << o.out;
    EXPECT_TRUE(o.HasLine("disk1\\inst.exe: carries no Authenticode signature: Windows 10 and 11 warn before they "
                          "start it from the disc"))
        << o.out;
    RemoveFile("disc/Disk1/Inst.exe");
    o = Run({MakeImage("-joliet on -volid DISC")});
    EXPECT_EQ(o.code, 1) << o.out;
    EXPECT_TRUE(o.Has("error: disk1\\inst.exe: \"disk1\\inst.exe\" is not in the image under the Joliet names")) << o.out;
}

// A program the signing tool takes: headers only, no section.
std::string TinyProgram() {
    std::string p = "MZ" + std::string(58, '\0');
    Put32(p, 0x40);
    p += std::string("PE\0\0", 4);
    for (uint32_t v : {0x14Cu, 0u})
        Put16(p, v);
    Put32(p, 0);
    Put32(p, 0);
    Put32(p, 0);
    Put16(p, 224);    // optional header size
    Put16(p, 0x102);  // executable, 32-bit
    std::string opt(224, '\0');
    opt[0] = 0x0B, opt[1] = 0x01;                 // PE32
    opt[32 + 1] = opt[36 + 1] = 2;                // section and file alignment 512
    opt[56 + 1] = opt[60 + 1] = 2;                // image and headers 512 bytes
    opt[68] = 3;                                  // console
    opt[92] = 16;                                 // data directories
    p += opt;
    return p + std::string(512 - p.size(), '\0');
}

TEST_F(DiscCheck, SignaturesAreTold) {
    WriteGoodDisc();
    WriteFile("tiny.exe", TinyProgram());
    WriteFile("disc/LAUNCH/launcher.exe", TinyProgram());
    RemoveFile("disc/setup.exe"); // the signing tool writes a new file only
    std::string s = Scratch();
    std::string sign = "cd '" + s + "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem "
                       "-days 2 -subj /CN=Disc >sign.log 2>&1 && osslsigncode sign -certs cert.pem -key key.pem "
                       "-in tiny.exe -out disc/setup.exe >>sign.log 2>&1";
    ASSERT_EQ(std::system(sign.c_str()), 0) << sign;
    Outcome o = Check();
    EXPECT_EQ(o.code, 0) << o.out;
    // Read from the signature: who the certificate is issued to, that a
    // self-signed one is not trusted, and that there is no time stamp.
    EXPECT_TRUE(o.HasLine("setup.exe: carries an Authenticode signature (not verified here), issued to \"Disc\" by "
                          "itself: a self-signed certificate, which Windows does not trust: it warns of an unknown "
                          "publisher as for an unsigned program; no time stamp: the signature counts only while the "
                          "certificate is valid (sign with osslsigncode -ts URL)"))
        << o.out;
    EXPECT_TRUE(o.HasLine("launcher.exe: carries no Authenticode signature: Windows 10 and 11 warn before they start "
                          "it from the disc"))
        << o.out;
    // A publisher's certificate from an authority, and an RFC 3161 time stamp
    // (from osslsigncode's own time-stamping authority, for the test).
    RemoveFile("disc/setup.exe");
    std::string stamped =
        "cd '" + s + "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca-key.pem -out ca.pem -days 2 "
        "-subj '/CN=Orchard Root CA' >>sign.log 2>&1 && openssl req -new -newkey rsa:2048 -nodes -keyout pub-key.pem "
        "-out pub.csr -utf8 -subj '/CN=Verlag f\xC3\xBCr Lernsoftware' >>sign.log 2>&1 && openssl x509 -req -in pub.csr "
        "-CA ca.pem -CAkey ca-key.pem -CAcreateserial -out pub.pem -days 2 >>sign.log 2>&1 && openssl req -x509 "
        "-newkey rsa:2048 -nodes -keyout tsa-key.pem -out tsa.pem -days 2 -subj /CN=Stamp "
        "-addext extendedKeyUsage=critical,timeStamping >>sign.log 2>&1 && osslsigncode sign -certs pub.pem "
        "-ac ca.pem -key pub-key.pem -TSA-certs tsa.pem -TSA-key tsa-key.pem -in tiny.exe -out disc/setup.exe "
        ">>sign.log 2>&1";
    ASSERT_EQ(std::system(stamped.c_str()), 0) << stamped;
    o = Check();
    EXPECT_TRUE(o.HasLine("setup.exe: carries an Authenticode signature (not verified here), issued to \"Verlag "
                          "f\xC3\xBCr Lernsoftware\" by \"Orchard Root CA\"; time-stamped (RFC 3161): it stays valid "
                          "after the certificate expires"))
        << o.out;
    WriteFile("disc/setup.exe", "MZ");
    o = Check();
    EXPECT_TRUE(o.HasLine("setup.exe: carries no Authenticode signature (it is no Windows program)")) << o.out;
}

// ---- Predictions: every cell of the launch decision

enum State { Absent, Present, Broken };

// A record for product n (1 or 2) in REGEDIT4 form: Broken names drive Q:.
std::string Record(int n, State s) {
    if (s == Absent)
        return "";
    std::string name = n == 1 ? "One\\1.0\\P1" : "Two\\2.0\\P2";
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\" + name + "]\r\n\"CD\"=\"" + (s == Present ? "D" : "Q") +
           ":\\\\\"\r\n\"CommandLine\"=\"C:\\\\p" + std::to_string(n) + ".exe /" + std::to_string(n) + "\"\r\n";
}

struct CellCase {
    State s1, s2;
    std::vector<std::string> prediction; // every line from "the launcher:" on
};

TEST_F(DiscCheck, PredictsEveryCellOfTheDecision) {
    const std::string setup = "\"D:\\setup.exe\"";
    const std::string p1 = "\"C:\\p1.exe /1\"", p2 = "\"C:\\p2.exe /2\"";
    const std::string box = "the launcher: message box \"Setup is incomplete. Would you like to reinstall now?\" "
                            "(caption \"CD Launcher\") -> Yes starts " +
                            setup + "; No starts nothing";
    const std::string repair = " Setup is incomplete. You can reinstall it by pressing <Install> button. Or you can "
                               "run ";
    const CellCase cells[] = {
        {Absent, Absent, {"the launcher: splash \"&Install\" -> Enter starts " + setup + "; Cancel starts nothing"}},
        {Absent, Present, {"the launcher: splash \"&Run\" -> Enter starts " + p2 + "; Cancel starts nothing"}},
        {Absent, Broken, {box}},
        {Present, Absent, {"the launcher: splash \"&Run\" -> Enter starts " + p1 + "; Cancel starts nothing"}},
        {Present,
         Present,
         {"the launcher: splash \"&Run\" ->",
          "  Enter: choice \"RunRun\" (\"You have 2 Family tests installed. Would you like to run the Paper or "
          "Computer Adaptive Test?\") -> Enter (\"Run &Paper\") starts " +
              p1 + "; \"Run CAT\" starts " + p2 + "; Cancel starts nothing",
          "  Cancel starts nothing"}},
        {Present,
         Broken,
         {"the launcher: choice \"InstallRun\" (\"Two" + repair + "One by pressing <Run> button.\") -> Enter "
          "(\"&Install\") starts " +
          setup + "; \"&Run\" starts " + p1 + "; Cancel starts nothing"}},
        {Broken, Absent, {box}},
        {Broken,
         Present,
         {"the launcher: choice \"InstallRun\" (\"One" + repair + "Two by pressing <Run> button.\") -> Enter "
          "(\"&Install\") starts " +
          setup + "; \"&Run\" starts " + p2 + "; Cancel starts nothing"}},
        {Broken, Broken, {box}},
    };
    const char *names[] = {"NotInstalled", "Installed", "Incomplete"};
    for (const CellCase &c : cells) {
        SCOPED_TRACE(std::string(names[c.s1]) + " / " + names[c.s2]);
        WriteGoodDisc();
        WriteFile("c/p1.exe", "MZ");
        WriteFile("c/p2.exe", "MZ");
        WriteFile("machine.reg", "REGEDIT4\r\n\r\n" + Record(1, c.s1) + "\r\n" + Record(2, c.s2));
        Outcome o = Run({Launch(), "--registry", Scratch() + "/machine.reg", "--drive", "c:=" + Scratch() + "/c"});
        EXPECT_EQ(o.code, 0) << o.out;
        EXPECT_TRUE(o.Has(std::string("product 1 [P1]: ") + names[c.s1])) << o.out;
        EXPECT_TRUE(o.Has(std::string("product 2 [P2]: ") + names[c.s2])) << o.out;
        size_t at = 0;
        while (at < o.lines.size() && o.lines[at].compare(0, 14, "the launcher: ") != 0)
            ++at;
        std::vector<std::string> got;
        for (; at < o.lines.size() && o.lines[at].compare(0, 11, "disccheck: ") != 0; ++at)
            got.push_back(o.lines[at]);
        EXPECT_EQ(got, c.prediction) << o.out;
    }
}

// ---- Machines for the demo: every state that shows a different screen,
// each product's record made with the launcher's own code

struct MachinesCase {
    const char *name;
    std::string ini;
    std::vector<std::string> states; // "state: kind kind ..." of the windows one after the other
    const char *skipped;             // a part of why a state is not shown; empty: none is left out
};

TEST_F(DiscCheck, WritesAMachineForEachScreen) {
    const std::string one = "[INSTALL]\r\nConfigFile=1\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=One\r\n"
                            "Version=1.0\r\n";
    const MachinesCase cases[] = {
        {"two products", kGoodIni,
         {"nothing-installed: splash", "product-1-installed: splash", "both-installed: splash choice",
          "one-incomplete: choice", "all-incomplete: message box"},
         ""},
        {"one product", one, {"nothing-installed: splash", "product-1-installed: splash", "all-incomplete: message box"},
         ""},
        {"no product looked up", "[INSTALL]\r\nProductName=F\r\nProduct=P1\r\n[P1]\r\nProgramName=One\r\n",
         {"nothing-installed: splash"}, "the launcher looks up no product"},
        {"a key path the launcher cannot open", "[INSTALL]\r\nConfigFile=1\r\nProduct=P1\r\n[P1]\r\nProgramName=A\r\n"
         "Version=" + std::string(505, 'v') + "\r\n",
         {"nothing-installed: splash"}, "product 1 [P1]: its registry key path is longer than the launcher reads"},
    };
    for (const MachinesCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        WriteFile("disc/LAUNCH/install.ini", c.ini);
        Outcome o = Run({Disc(), "--write-machines", Scratch() + "/machines"});
        EXPECT_TRUE(o.HasLine("machines: " + Scratch() + "/machines/machines.json, for ./demo.sh")) << o.out << o.err;
        std::ifstream in(Scratch() + "/machines/machines.json");
        std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // The states and their windows, in order, as the file lists them.
        std::vector<std::string> states;
        for (size_t at = 0; (at = json.find("{\"state\": \"", at)) != std::string::npos;) {
            at += 11;
            std::string state = json.substr(at, json.find('"', at) - at);
            size_t end = json.find("\"prediction\"", at);
            if (end == std::string::npos)
                break; // a state left out: it has no windows
            std::string line = state + ":";
            for (size_t k = at; (k = json.find("{\"kind\": \"", k)) != std::string::npos && k < end;) {
                k += 10;
                line += " " + json.substr(k, json.find('"', k) - k);
            }
            states.push_back(line);
        }
        EXPECT_EQ(states, c.states) << json;
        EXPECT_EQ(json.find(c.skipped) != std::string::npos && c.skipped[0], c.skipped[0] != 0) << json;
    }
    // The records are what a 32-bit installer writes, with a stand-in
    // program where they point and the disc as their drive; disccheck
    // predicts the same from them given back as a machine.
    WriteGoodDisc();
    Outcome o = Run({Disc(), "--write-machines", Scratch() + "/machines"});
    // The gallery's captions: what Enter starts, as typed.
    std::ifstream json_in(Scratch() + "/machines/machines.json");
    std::string json((std::istreambuf_iterator<char>(json_in)), std::istreambuf_iterator<char>());
    EXPECT_NE(json.find("\"enter\": \"starts D:\\\\setup.exe\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"enter\": \"starts \\\"C:\\\\Program Files\\\\One\\\\P1.exe\\\"\""), std::string::npos) << json;
    std::ifstream in(Scratch() + "/machines/both-installed/view32.reg", std::ios::binary);
    std::string reg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    disccheck::RegImage image;
    ASSERT_TRUE(disccheck::ReadRegFile(reg, disccheck::RegSource::Auto, &image).ok);
    const auto &values = image.keys[0]["software\\vantorel\\one\\1.0\\p1"].values;
    EXPECT_EQ(values.at("cd").data, std::string("D:\\\0", 4));
    EXPECT_EQ(values.at("commandline").data, "\"C:\\Program Files\\One\\P1.exe\"" + std::string(1, '\0'));
    o = Run({Disc(), "--registry", Scratch() + "/machines/both-installed/view32.reg", "--drive",
             "C:=" + Scratch() + "/machines/both-installed/drive-c"});
    EXPECT_TRUE(o.Has("product 1 [P1]: Installed: runs \"\"C:\\Program Files\\One\\P1.exe\"\"")) << o.out;
    EXPECT_TRUE(o.Has("product 2 [P2]: Installed: runs \"\"C:\\Program Files\\Two\\P2.exe\"\"")) << o.out;
}

// ---- Status reasons

struct ReasonCase {
    const char *name;
    std::string reg; // the body after the header, REGEDIT4
    std::string expected;
    std::vector<std::string> findings = {};
    std::string part = "";
    std::string ini = kGoodIni;
};

TEST_F(DiscCheck, StatusReasons) {
    const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\One\\1.0\\P1]\r\n";
    const std::string deep = "C:\\Program Files (x86)\\Orchard Learning Systems\\Orchard Practice Suite\\"
                             "Professional Edition 2024\\bin\\Orchard Paper Test Launcher.exe";
    std::string deep_reg;
    for (char ch : deep)
        deep_reg += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
    const std::string custom = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lumo\\Trainer]\r\n";
    const std::string worded = "[INSTALL]\r\nConfigFile=1\r\nProduct=P1,P2\r\n[P1]\r\nProgramName=One\r\nVersion=1.0\r\n"
                               "RegistryKey=SOFTWARE\\Lumo\\Trainer\r\nCommandValue=Startbefehl\r\nDriveValue=\r\n"
                               "[P2]\r\nProgramName=Two\r\nVersion=2.0\r\n";
    const std::string drive_worded = "[INSTALL]\r\nConfigFile=1\r\nProduct=P1,P2\r\n[P1]\r\nProgramName=One\r\n"
                                     "Version=1.0\r\nRegistryKey=SOFTWARE\\Lumo\\Trainer\r\nDriveValue=Laufwerk\r\n"
                                     "[P2]\r\nProgramName=Two\r\nVersion=2.0\r\n";
    const ReasonCase cases[] = {
        {"no key", "", "product 1 [P1]: NotInstalled: no key SOFTWARE\\Vantorel\\One\\1.0\\P1"},
        {"another version", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\One\\0.9\\P1]\r\n\"CD\"=\"D\"\r\n",
         "product 1 [P1]: NotInstalled: no key SOFTWARE\\Vantorel\\One\\1.0\\P1 (the registry has "
         "SOFTWARE\\Vantorel\\One\\0.9\\P1)"},
        {"no CD", key + "\"CommandLine\"=\"C:\\\\p1.exe\"\r\n",
         "product 1 [P1]: Incomplete: no value \"CD\" under SOFTWARE\\Vantorel\\One\\1.0\\P1"},
        {"empty CD", key + "\"CD\"=\"\"\r\n", "product 1 [P1]: Incomplete: value \"CD\" is empty"},
        {"drive gone", key + "\"CD\"=\"Q:\\\\\"\r\n\"CommandLine\"=\"C:\\\\p1.exe\"\r\n",
         "product 1 [P1]: Incomplete: drive Q: (from \"CD\") is not present"},
        {"no command line", key + "\"CD\"=\"C\"\r\n",
         "product 1 [P1]: Incomplete: no value \"CommandLine\" under SOFTWARE\\Vantorel\\One\\1.0\\P1"},
        {"empty command line", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"\"\r\n",
         "product 1 [P1]: Incomplete: value \"CommandLine\" is empty"},
        {"long command line", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"C:\\\\" + std::string(600, 'x') + "\"\r\n",
         "product 1 [P1]: Incomplete: value \"CommandLine\" is 603 characters long; the launcher reads at most 511"},
        {"command line without a program", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"\\\"\\\" /x\"\r\n",
         "product 1 [P1]: Incomplete: \"CommandLine\" names no program: \"\"\" /x\""},
        {"program gone", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"C:\\\\gone.exe /x\"\r\n",
         "product 1 [P1]: Incomplete: program \"C:\\gone.exe\" is not present (looked for "},
        {"program is a folder", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"\\\"C:\\\\Program Files\\\" /x\"\r\n",
         "product 1 [P1]: Incomplete: program \"C:\\Program Files\" is a folder, not a program"},
        {"unquoted path with blanks", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"C:\\\\Program Files\\\\p1.exe /x\"\r\n",
         "warning: product 1 [P1]: \"CommandLine\" \"C:\\Program Files\\p1.exe /x\" is not quoted, and its program's "
         "path holds blanks: this launcher finds the program, older ones call the product incomplete; write the "
         "path in quotes, \"C:\\Program Files\\p1.exe\" /x (in a .reg file: "
         "\"CommandLine\"=\"\\\"C:\\\\Program Files\\\\p1.exe\\\" /x\")",
         {"warning: product 1 [P1]: \"CommandLine\" \"C:\\Program Files\\p1.exe /x\" is not quoted, and its "
          "program's path holds blanks: this launcher finds the program, older ones call the product incomplete; "
          "write the path in quotes, \"C:\\Program Files\\p1.exe\" /x (in a .reg file: "
          "\"CommandLine\"=\"\\\"C:\\\\Program Files\\\\p1.exe\\\" /x\")"}},
        {"program on an absent drive", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"E:\\\\p1.exe\"\r\n",
         "product 1 [P1]: Incomplete: program \"E:\\p1.exe\" is not present (drive E: is absent: map it with "
         "--drive E:=FOLDER)"},
        {"installed, path with spaces",
         key + "\"CD\"=\"D:\\\\\"\r\n\"CommandLine\"=\"\\\"C:\\\\Program Files\\\\p1.exe\\\" /x\"\r\n",
         "product 1 [P1]: Installed: runs \"\"C:\\Program Files\\p1.exe\" /x\""},
        // 132 characters: more than OpenFile takes.
        {"installed, deep path", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"\\\"" + deep_reg + "\\\" /x\"\r\n",
         "product 1 [P1]: Installed: runs \"\"" + deep + "\" /x\""},
        {"installed, unquoted path with blanks", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"" + deep_reg + " /x\"\r\n",
         "product 1 [P1]: Installed: runs \"\"" + deep + "\" /x\" (the recorded \"" + deep +
             " /x\" is unquoted: its program is the longest part before a blank that names a file)",
         {"warning: product 1 [P1]: \"CommandLine\" \"C:\\Program Files (x86)\\Orchard Learning Systems\\Orchard "
          "Practice Suite\\Professional Edition 2024\\bin\\Orchard Paper Test Launcher.exe /x\" is not quoted, and "
          "its program's path holds blanks: this launcher finds the program, older ones call the product "
          "incomplete; write the path in quotes, \"C:\\Program Files (x86)\\Orchard Learning Systems\\Orchard "
          "Practice Suite\\Professional Edition 2024\\bin\\Orchard Paper Test Launcher.exe\" /x (in a .reg file: "
          "\"CommandLine\"=\"\\\"C:\\\\Program Files (x86)\\\\Orchard Learning Systems\\\\Orchard Practice "
          "Suite\\\\Professional Edition 2024\\\\bin\\\\Orchard Paper Test Launcher.exe\\\" /x\")"}},
        {"unquoted path with blanks, program gone",
         key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"C:\\\\Program Files\\\\gone.exe /x\"\r\n",
         "product 1 [P1]: Incomplete: program \"C:\\Program\" is not present (looked for " + Scratch() +
             "/c/Program); the line is unquoted, and no longer part of it before a blank names a file either",
         {"warning: product 1 [P1]: \"CommandLine\" \"C:\\Program Files\\gone.exe /x\" is not quoted, and its "
          "program's path holds blanks: write the path in quotes, \"C:\\Program Files\\gone.exe\" /x (in a .reg "
          "file: \"CommandLine\"=\"\\\"C:\\\\Program Files\\\\gone.exe\\\" /x\")"}},
        // The record's text is ANSI, the host's names UTF-8: the program is
        // found, and its path is written out as UTF-8.
        {"installed, a folder named beyond ASCII", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"\\\"C:\\\\Sprachtrainer "
         "f\xFCr Sch\xFCler\\\\p1.exe\\\"\"\r\n",
         "product 1 [P1]: Installed: runs \"\"C:\\Sprachtrainer f\xC3\xBCr Sch\xC3\xBCler\\p1.exe\"\""},
        {"program gone from a folder named beyond ASCII", key + "\"CD\"=\"C\"\r\n\"CommandLine\"=\"\\\"C:\\\\"
         "SPRACHTRAINER F\xDCR SCH\xDCLER\\\\gone.exe\\\"\"\r\n",
         "product 1 [P1]: Incomplete: program \"C:\\SPRACHTRAINER F\xC3\x9CR SCH\xC3\x9CLER\\gone.exe\" is not present (looked "
         "for " + Scratch() + "/c/Sprachtrainer f\xC3\xBCr Sch\xC3\xBCler/gone.exe)"},
        {"installed, 64-bit view only",
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Other]\r\n" + key +
             "\"CD\"=\"C\"\r\n\"CommandLine\"=\"C:\\\\p1.exe\"\r\n",
         "product 1 [P1]: Installed (in the 64-bit registry view): runs \"C:\\p1.exe\""},
        // The disc's own key and value names.
        {"no value of the disc's name", custom + "\"CommandLine\"=\"C:\\\\p1.exe\"\r\n",
         "product 1 [P1]: Incomplete: no value \"Startbefehl\" under SOFTWARE\\Lumo\\Trainer",
         {"warning: install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and the "
          "two-products message reads \"You have 2  tests installed\""},
         "", worded},
        {"the drive not checked", custom + "\"Startbefehl\"=\"C:\\\\p1.exe /x\"\r\n",
         "product 1 [P1]: Installed: runs \"C:\\p1.exe /x\"",
         {"warning: install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and the "
          "two-products message reads \"You have 2  tests installed\""},
         "", worded},
        {"the drive of the disc's name", custom + "\"Laufwerk\"=\"Q\"\r\n\"CommandLine\"=\"C:\\\\p1.exe\"\r\n",
         "product 1 [P1]: Incomplete: drive Q: (from \"Laufwerk\") is not present",
         {"warning: install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and the "
          "two-products message reads \"You have 2  tests installed\""},
         "", drive_worded},
        {"unquoted, under the disc's value name", custom + "\"Startbefehl\"=\"C:\\\\Program Files\\\\p1.exe /x\"\r\n",
         "warning: product 1 [P1]: \"Startbefehl\" \"C:\\Program Files\\p1.exe /x\" is not quoted",
         {"warning: install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and the "
          "two-products message reads \"You have 2  tests installed\"",
          "warning: product 1 [P1]: \"Startbefehl\" \"C:\\Program Files\\p1.exe /x\" is not quoted, and its "
          "program's path holds blanks: this launcher finds the program, older ones call the product incomplete; "
          "write the path in quotes, \"C:\\Program Files\\p1.exe\" /x (in a .reg file: "
          "\"Startbefehl\"=\"\\\"C:\\\\Program Files\\\\p1.exe\\\" /x\")"},
         "(in a .reg file: \"Startbefehl\"=\"\\\"C:\\\\Program Files\\\\p1.exe\\\" /x\")", worded},
        {"not recorded under the disc's root", "", "product 1 [P1]: NotInstalled: no key SOFTWARE\\Lumo\\One\\1.0\\P1",
         {"warning: install.ini: [INSTALL] ProductName is empty: the dialogs keep their template captions and the "
          "two-products message reads \"You have 2  tests installed\""},
         "", "[INSTALL]\r\nConfigFile=1\r\nRegistryRoot=SOFTWARE\\Lumo\r\nProduct=P1,P2\r\n[P1]\r\nProgramName=One\r\n"
         "Version=1.0\r\n[P2]\r\nProgramName=Two\r\nVersion=2.0\r\n"},
    };
    for (const ReasonCase &c : cases) {
        SCOPED_TRACE(c.name);
        WriteGoodDisc();
        WriteFile("c/p1.exe", "MZ");
        WriteFile("c/Program Files/p1.exe", "MZ");
        WriteFile("c/Sprachtrainer f\xC3\xBCr Sch\xC3\xBCler/p1.exe", "MZ");
        WriteFile("c/Program Files (x86)/Orchard Learning Systems/Orchard Practice Suite/Professional Edition 2024/"
                  "bin/Orchard Paper Test Launcher.exe",
                  "MZ");
        WriteFile("machine.reg", "REGEDIT4\r\n\r\n" + c.reg);
        WriteFile("disc/LAUNCH/install.ini", c.ini);
        Outcome o = Run({Launch(), "--registry", Scratch() + "/machine.reg", "--drive", "C:=" + Scratch() + "/c"});
        EXPECT_EQ(o.code, 0) << o.out;
        EXPECT_TRUE(o.Has(c.expected, {c.part})) << o.out;
        ExpectFindings(o, c.findings);
        EXPECT_TRUE(o.Has(c.ini == kGoodIni ? "product 2 [P2]: NotInstalled: no key SOFTWARE\\Vantorel\\Two\\2.0\\P2"
                                            : "product 2 [P2]: NotInstalled: no key SOFTWARE\\"))
            << o.out;
    }
}

TEST_F(DiscCheck, FolderNameTooLongForTheLauncher) {
    WriteGoodDisc();
    const std::string folder(250, 'L');
    WriteFile("disc/" + folder + "/install.ini", kGoodIni);
    WriteFile("disc/" + folder + "/launcher.exe", Exe());
    Outcome o = Run({Disc() + "/" + folder});
    EXPECT_EQ(o.code, 1) << o.out;
    EXPECT_TRUE(o.Has("error: install.ini: the launcher's folder name is too long")) << o.out;
    EXPECT_TRUE(o.Has("warning: Launcher.bmp: missing")) << o.out;
    EXPECT_TRUE(o.Has("error: autorun.inf: [autorun] open=LAUNCH\\launcher.exe does not name the launcher")) << o.out;
}

TEST_F(DiscCheck, RegistryFileWarningsAreFindings) {
    WriteGoodDisc();
    WriteFile("m.reg", "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Vantorel]\r\n\"CD\"=\"D\"\r\n");
    Outcome o = Run({Launch(), "--registry", Scratch() + "/m.reg"});
    EXPECT_EQ(o.code, 0) << o.out;
    EXPECT_TRUE(o.HasLine("warning: " + Scratch() + "/m.reg: keys under HKEY_CURRENT_USER are ignored: the launcher "
                          "reads only HKEY_LOCAL_MACHINE"))
        << o.out;
    EXPECT_TRUE(o.Has("registry: " + Scratch() + "/m.reg: 0 keys in the 32-bit view, 0 in the 64-bit view")) << o.out;
    // A path of this machine is printed as it is, already UTF-8; text saved
    // as UTF-8 where ANSI is read is a finding.
    const std::string name = Scratch() + "/m\xC3\xA9.reg";
    WriteFile("m\xC3\xA9.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Caf\xC3\xA9]\r\n");
    o = Run({Launch(), "--registry", name});
    EXPECT_TRUE(o.HasLine("registry: " + name + ": 1 key in the 32-bit view, 1 in the 64-bit view (one view, as on "
                          "32-bit Windows)"))
        << o.out;
    EXPECT_TRUE(o.HasLine("warning: " + name + ": line 2: non-ASCII text saved as UTF-8, which the Registry Editor "
                          "reads as ANSI: \"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Caf\xC3\x83\xC2\xA9]\"; it does "
                          "not match what an ANSI installer writes: save the file as ANSI (Windows-1252)"))
        << o.out;
}

TEST_F(DiscCheck, ProductsNotLookedUpArePredictedAsSuch) {
    WriteGoodDisc();
    WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\r\nConfigFile=1\r\nProduct=P1\r\n[P1]\r\nProgramName=One\r\nVersion=1.0\r\n");
    Outcome o = Run({Launch(), "--drive", "C:=" + Scratch()});
    EXPECT_TRUE(o.HasLine("product 2: NotInstalled: not looked up (Product names no second section)")) << o.out;
    EXPECT_TRUE(o.Has("machine: D: is the disc (CD-ROM); C: is a fixed disk")) << o.out;
    WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\r\nProduct=P1\r\n[P1]\r\nProgramName=One\r\nVersion=1.0\r\n");
    o = Run({Launch(), "--drive", "C:=" + Scratch()});
    EXPECT_TRUE(o.HasLine("product 1: NotInstalled: not looked up (the launcher looks up no product)")) << o.out;
    EXPECT_TRUE(o.Has("the launcher: splash \"&Install\"")) << o.out;
}

TEST_F(DiscCheck, DiscDriveLetter) {
    WriteGoodDisc();
    // D: taken by a fixed disk: the disc becomes E:, and so does the installer path.
    Outcome o = Run({Launch(), "--drive", "D:=" + Scratch()});
    EXPECT_TRUE(o.Has("machine: E: is the disc (CD-ROM); D: is a fixed disk")) << o.out;
    EXPECT_TRUE(o.Has("the launcher: splash \"&Install\" -> Enter starts \"E:\\setup.exe\"")) << o.out;
    o = Run({Launch(), "--disc", "q:", "--registry", WriteFile("m.reg", "REGEDIT4\r\n" + Record(1, Broken))});
    EXPECT_TRUE(o.Has("product 1 [P1]: Incomplete: program \"C:\\p1.exe\" is not present (drive C: is absent")) << o.out;
}

// ---- Both registry export encodings

TEST_F(DiscCheck, BothRegistryEncodingsPredictTheSame) {
    const std::string body = "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\One\\1.0\\P1]\r\n"
                             "\"CD\"=\"D:\\\\\"\r\n"
                             "\"CommandLine\"=\"C:\\\\p1.exe /one\"\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Two\\2.0\\P2]\r\n"
                             "\"CD\"=\"D\"\r\n";
    WriteGoodDisc();
    WriteFile("c/p1.exe", "MZ");
    WriteFile("v4.reg", "REGEDIT4\r\n" + body);
    WriteFile("v5.reg", Utf16("Windows Registry Editor Version 5.00\r\n" + body));
    std::vector<std::string> seen[2];
    for (int k = 0; k < 2; ++k) {
        Outcome o = Run({Launch(), "--registry", Scratch() + (k ? "/v5.reg" : "/v4.reg"), "--drive", "C:=" + Scratch() + "/c"});
        EXPECT_EQ(o.code, 0) << o.out;
        EXPECT_TRUE(o.Has("product 1 [P1]: Installed: runs \"C:\\p1.exe /one\"")) << o.out;
        EXPECT_TRUE(o.Has("product 2 [P2]: Incomplete: no value \"CommandLine\"")) << o.out;
        EXPECT_TRUE(o.Has("the launcher: choice \"InstallRun\"")) << o.out;
        for (const std::string &l : o.lines)
            if (l.compare(0, 9, "registry:") != 0)
                seen[k].push_back(l);
    }
    EXPECT_EQ(seen[0], seen[1]);
}

// ---- The registry file reader

struct RegCase {
    const char *name;
    std::string file;
    int view;
    const char *key;
    const char *value;
    std::string data; // expected bytes; "<none>" when the value must be absent
    uint32_t type;
};

TEST(RegFile, Values) {
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n";
    const RegCase cases[] = {
        {"string with escapes", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"s\"=\"x\\\\y \\\"q\\\"\"\r\n", 0,
         "SOFTWARE\\A", "s", std::string("x\\y \"q\"\0", 8), 1},
        {"default value", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n@=\"d\"\r\n", 0, "software\\a", "",
         std::string("d\0", 2), 1},
        {"dword", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"n\"=dword:0000012a\r\n", 0, "SOFTWARE\\A", "n",
         std::string("\x2a\x01\0\0", 4), 4},
        {"binary over continued lines",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"b\"=hex:01,02,\\\r\n  03,ff\r\n", 0, "SOFTWARE\\A", "b",
         "\x01\x02\x03\xff", 3},
        {"expand string, ANSI in REGEDIT4",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"e\"=hex(2):25,54,25,00\r\n", 0, "SOFTWARE\\A", "e",
         std::string("%T%\0", 4), 2},
        {"expand string, UTF-16 in version 5",
         Utf16(v5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"e\"=hex(2):25,00,54,00,25,00,00,00\r\n"), 0, "SOFTWARE\\A",
         "e", std::string("%T%\0", 4), 2},
        {"multi string in version 5",
         Utf16(v5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"), 0,
         "SOFTWARE\\A", "m", std::string("a\0b\0\0", 5), 7},
        {"value deleted", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"s\"=\"1\"\r\n\"s\"=-\r\n", 0, "SOFTWARE\\A",
         "s", "<none>", 0},
        {"key deleted with its subkeys",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\r\n\"s\"=\"1\"\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n", 0,
         "SOFTWARE\\A\\B", "s", "<none>", 0},
        {"other hives ignored", "REGEDIT4\r\n[HKEY_CURRENT_USER\\SOFTWARE\\A]\r\n\"s\"=\"1\"\r\n", 0, "SOFTWARE\\A", "s",
         "<none>", 0},
        {"Wow6432Node is the 32-bit view",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\A]\r\n\"s\"=\"32\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n"
         "\"s\"=\"64\"\r\n",
         0, "SOFTWARE\\A", "s", std::string("32\0", 3), 1},
        {"and the rest the 64-bit view",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\A]\r\n\"s\"=\"32\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n"
         "\"s\"=\"64\"\r\n",
         1, "SOFTWARE\\A", "s", std::string("64\0", 3), 1},
        {"a 32-bit export is one view", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"s\"=\"1\"\r\n", 1,
         "SOFTWARE\\A", "s", std::string("1\0", 2), 1},
        {"outside SOFTWARE both views",
         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\X]\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\S]\r\n\"s\"=\"1\"\r\n",
         0, "SYSTEM\\S", "s", std::string("1\0", 2), 1},
        {"Windows-1252 from UTF-16", Utf16(v5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"s\"=\"caf\xe9\"\r\n"), 0,
         "SOFTWARE\\A", "s", std::string("caf\xe9\0", 5), 1},
    };
    for (const RegCase &c : cases) {
        SCOPED_TRACE(c.name);
        disccheck::RegImage image;
        disccheck::RegReadResult r = disccheck::ReadRegFile(c.file, disccheck::RegSource::Auto, &image);
        ASSERT_TRUE(r.ok) << r.error;
        auto key = image.keys[c.view].find(disccheck::Lower(c.key));
        if (c.data == "<none>") {
            EXPECT_TRUE(key == image.keys[c.view].end() || key->second.values.count(disccheck::Lower(c.value)) == 0);
            continue;
        }
        ASSERT_NE(key, image.keys[c.view].end());
        auto value = key->second.values.find(disccheck::Lower(c.value));
        ASSERT_NE(value, key->second.values.end());
        EXPECT_EQ(value->second.data, c.data);
        EXPECT_EQ(value->second.type, c.type);
    }
}

TEST(RegFile, SourceAndWarnings) {
    const std::string file = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"s\"=\"1\"\r\n"
                             "[HKEY_CURRENT_USER\\X]\r\n[HKEY_CURRENT_USER\\Y]\r\n[HKEY_NOWHERE\\Z]\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\B]\r\n\"n\"=dword:xyz\r\n\"h\"=hex:1,2,300\r\nwhat\r\n";
    disccheck::RegImage image;
    disccheck::RegReadResult r = disccheck::ReadRegFile(file, disccheck::RegSource::Windows64, &image);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(image.from64);
    EXPECT_EQ(image.keys[0].count("software\\a"), 0u); // only in the 64-bit view
    EXPECT_EQ(image.keys[1].count("software\\a"), 1u);
    const std::vector<std::string> expected = {
        "keys under HKEY_CURRENT_USER are ignored: the launcher reads only HKEY_LOCAL_MACHINE",
        "line 6: unknown root key \"HKEY_NOWHERE\": its keys are ignored",
        "line 8: value \"n\": dword not understood, ignored",
        "line 9: value \"h\": hex data not understood, ignored",
        "line 10: not understood, ignored",
    };
    EXPECT_EQ(r.warnings, expected);

    disccheck::RegImage forced;
    r = disccheck::ReadRegFile("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\A]\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\B]\r\n",
                               disccheck::RegSource::Windows32, &forced);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(forced.from64);
    EXPECT_EQ(forced.keys[0].count("software\\b"), 1u);
    EXPECT_EQ(forced.keys[0].count("software\\a"), 1u);

    disccheck::RegImage lossy;
    r = disccheck::ReadRegFile(Utf16("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n") +
                                   std::string("\"\0s\0\"\0=\0\"\0\x16\x04\"\0", 14),
                               disccheck::RegSource::Auto, &lossy);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(lossy.keys[0]["software\\a"].values["s"].data, std::string("?\0", 2));
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("outside the ANSI code page"), std::string::npos);
}

TEST(RegFile, NotAnExport) {
    const std::string junk[] = {"", std::string("\0\1\2\3REGEDIT4", 12), "REGEDIT5\r\n", "\xFE\xFF\0R\0E",
                                std::string(5000, '\xEE'), Utf16("Windows Registry Editor Version 4.00\r\n")};
    for (const std::string &j : junk) {
        disccheck::RegImage image;
        disccheck::RegReadResult r = disccheck::ReadRegFile(j, disccheck::RegSource::Auto, &image);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.compare(0, 24, "not a registry export: i"), 0) << r.error;
        EXPECT_TRUE(image.keys[0].empty() && image.keys[1].empty());
    }
}

// ---- Bad input to the tool

struct UsageCase {
    const char *name;
    std::vector<std::string> args; // "@" stands for the scratch folder
    std::string message;
    bool usage = true; // wrong usage, rather than input that cannot be read
};

TEST_F(DiscCheck, UsageAndUnreadableInput) {
    WriteGoodDisc();
    WriteFile("junk.reg", std::string("\x7f" "ELF\x01\x01\x01\0\0\0", 10) + std::string(400, '\x90'));
    std::string junk = std::string(16 * 2048, '\0') + "\x01" "CD001\x01";
    for (int i = 0; i < 4000; ++i)
        junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    WriteFile("junk.iso", junk);
    std::ifstream made(MakeImage("-joliet on"), std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(made)), std::istreambuf_iterator<char>());
    WriteFile("cut.iso", image.substr(0, 60 * 1024)); // in the middle of Launcher.bmp
    WriteFile("nodisc/readme.txt", "not a disc");
    WriteFile("two/A/install.ini", kGoodIni);
    WriteFile("two/B/launcher.exe", Exe());
    const UsageCase cases[] = {
        {"nothing", {}, "name the disc: its root folder, the launcher's folder or its image"},
        {"missing folder", {"@/nowhere"}, "cannot read the folder " + Scratch() + "/nowhere: it does not exist", false},
        {"a file, not a folder or an image", {"@/disc/setup.exe"}, "not an ISO 9660 image", false},
        {"junk after an image's first descriptor", {"@/junk.iso"}, "not an ISO 9660 image", false},
        {"an image cut short", {"@/cut.iso"}, "the image is damaged or cut short", false},
        {"launcher folder given, and again with --launcher-dir", {"@/disc/LAUNCH", "--launcher-dir", "LAUNCH"},
         "the disc root " + Scratch() + "/disc/LAUNCH has no folder \"LAUNCH\" (given with --launcher-dir)", false},
        {"a folder that is no disc", {"@/nodisc"},
         "nodisc: cannot tell which folder is the launcher's: expected a disc root whose autorun.inf names "
         "launcher.exe with open=, or where one folder holds launcher.exe or install.ini, or the launcher's own "
         "folder; no folder holds one: name it with --launcher-dir NAME",
         false},
        {"a root with two launcher folders", {"@/two"}, "2 folders hold one (\"A\", \"B\")", false},
        {"unknown option", {"@/disc/LAUNCH", "--fast"}, "unknown option \"--fast\""},
        {"two folders", {"@/disc/LAUNCH", "@/disc"}, "one folder only"},
        {"drive without folder", {"@/disc/LAUNCH", "--drive", "C:"}, "--drive needs X:=FOLDER"},
        {"drive letter", {"@/disc/LAUNCH", "--drive", "1:=@"}, "--drive needs X:=FOLDER"},
        {"drive folder missing", {"@/disc/LAUNCH", "--drive", "C:=@/nowhere"}, "(for drive C:): it does not exist", false},
        {"same drive twice", {"@/disc/LAUNCH", "--drive", "C:=@", "--drive=c=@"}, "is given twice"},
        {"disc on a fixed drive", {"@/disc/LAUNCH", "--drive", "E:=@", "--disc", "E:"}, "also given to --drive"},
        {"registry missing", {"@/disc/LAUNCH", "--registry", "@/none.reg"}, "none.reg: it does not exist", false},
        {"registry a folder", {"@/disc/LAUNCH", "--registry", "@/disc"}, "disc: it is a folder, not a file", false},
        {"registry junk", {"@/disc/LAUNCH", "--registry", "@/junk.reg"}, "not a registry export", false},
        {"registry value missing", {"@/disc/LAUNCH", "--registry"}, "--registry needs a file"},
        {"reg source", {"@/disc/LAUNCH", "--reg-source", "16"}, "--reg-source needs 32 or 64"},
        {"language of 3 digits", {"@/disc/LAUNCH", "--language", "415"}, "--language needs a Windows language ID of 4 hex digits"},
        {"bitmap with a folder", {"@/disc/LAUNCH", "--bitmap", "@/x.bmp"}, "--bitmap takes no folder"},
        {"a label without an image to make", {"@/disc", "--label", "DISC"}, "--label goes with --make-image"},
        {"an image made for a machine", {"@/disc", "--make-image", "@/disc.iso", "--registry", "@/junk.reg"},
         "--make-image takes the disc folder, --label and --launcher-dir only"},
    };
    for (const UsageCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args;
        for (std::string a : c.args) {
            for (size_t at; (at = a.find('@')) != std::string::npos;)
                a.replace(at, 1, Scratch());
            args.push_back(a);
        }
        Outcome o = Run(args);
        EXPECT_EQ(o.code, 2);
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
        EXPECT_EQ(o.Count("error:"), 0) << o.out;
        // Wrong usage gets the usage line and a pointer to the help, not the help.
        EXPECT_EQ(o.err.find("usage: disccheck DISC") != std::string::npos, c.usage) << o.err;
        EXPECT_EQ(o.err.find("see disccheck --help\n") != std::string::npos, c.usage) << o.err;
        EXPECT_EQ(o.err.find("Exit status"), std::string::npos) << o.err;
    }
    Outcome help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.compare(0, 16, "usage: disccheck"), 0);
    for (const char *topic : {"--registry", "--drive", "--bitmap", "--disc", "--reg-source", "Exit status"})
        EXPECT_NE(help.out.find(topic), std::string::npos) << topic;
}

TEST_F(DiscCheck, JunkEverywhereNeverCrashes) {
    // Every file of the disc replaced by bytes that are not what they claim to be.
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    WriteFile("disc/autorun.inf", junk);
    WriteFile("disc/setup.exe", "");
    WriteFile("disc/LAUNCH/launcher.exe", "");
    WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\nConfigFile=" + junk.substr(1, 200) + "\nProduct=" +
                                             junk.substr(300, 300) + "\nProductName=" + junk.substr(700, 50) + "\n");
    WriteFile("disc/LAUNCH/Launcher.bmp", "BM" + junk);
    std::string text = junk; // the registry reader refuses NUL bytes outright: keep it reading
    for (char &c : text)
        c = c ? c : 'x';
    WriteFile("m.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\" + text.substr(0, 500) + "]\r\n\"" + text.substr(9, 80) +
                           "\"=hex(7):" + text.substr(2000, 100) + "\r\n");
    Outcome o = Run({Launch(), "--registry", Scratch() + "/m.reg", "--drive", "C:=" + Scratch()});
    EXPECT_EQ(o.code, 1) << o.out;
    EXPECT_TRUE(o.Has("error: autorun.inf: holds binary data")) << o.out;
    EXPECT_TRUE(o.Has("the launcher: ")) << o.out;
    EXPECT_TRUE(o.Has("disccheck: ")) << o.out;
}

} // namespace
