// The installation probe: registry record, drive and program file.
#include <cstring>
#include <string>
#include <vector>

#include "launcher.h"
#include "sim_fixture.h"

namespace {

const char kKey[] = "SOFTWARE\\Vantorel\\Orchard\\2.1\\Paper";
// 132 characters: more than OpenFile takes.
const char kDeep[] = "C:\\Program Files (x86)\\Orchard Learning Systems\\Orchard Practice Suite\\"
                     "Professional Edition 2024\\bin\\Orchard Paper Test Launcher.exe";

class Probe : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        Prepare();
    }

    // A machine with the disc in D: and the product on C:, and no record yet.
    void Prepare() {
        WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\r\nConfigFile=yes\r\nProductName=Orchard\r\n"
                                             "Product=Paper\r\n\r\n[Paper]\r\nProgramName=Orchard\r\n"
                                             "Version=2.1\r\n");
        WriteFile("c/PROD/RUN.EXE", "MZ");
        WriteFile("c/Program Files (x86)/Orchard Learning Systems/Orchard Practice Suite/Professional Edition 2024/"
                  "bin/Orchard Paper Test Launcher.exe",
                  "MZ");
        WriteFile("c/WINDOWS/SYSTEM32/NOTEPAD.EXE", "MZ");
        sim::MapDrive('D', DRIVE_CDROM, Scratch() + "/disc");
        sim::MapDrive('C', DRIVE_FIXED, Scratch() + "/c");
        // A second CD-ROM drive without its disc.
        sim::MapDrive('E', DRIVE_CDROM, Scratch() + "/e");
        sim::SetMediaPresent('E', false);
    }

    InstallStatus Run(const char *section = "Paper") {
        std::memset(program_, 'J', sizeof program_);
        std::memset(command_, 'J', sizeof command_);
        return ProbeProduct(section, "D:\\LAUNCH\\install.ini", program_, command_);
    }

    void Record(const std::string &cd, const std::string &command) {
        sim::SetRegString(kKey, "CD", cd);
        sim::SetRegString(kKey, "CommandLine", command);
    }

    // Key paths of the first looks, in the 32-bit view; a miss there is
    // followed by a second look in the 64-bit view.
    std::vector<std::string> FirstLooks() {
        std::vector<std::string> out;
        for (const auto &o : sim::RegOpens())
            if (!(o.sam & KEY_WOW64_64KEY))
                out.push_back(o.path);
        return out;
    }

    char program_[PROGRAM_NAME_SIZE];
    char command_[COMMAND_LINE_SIZE];
};

TEST_F(Probe, NoRecordIsNotInstalledWithProgramNameFilled) {
    EXPECT_EQ(Run(), NotInstalled);
    EXPECT_STREQ(program_, "Orchard");
    EXPECT_STREQ(command_, "");
    ASSERT_EQ(sim::RegOpens().size(), 2u);
    EXPECT_EQ(sim::RegOpens()[0].path, kKey);
    EXPECT_EQ(sim::RegOpens()[0].sam, (REGSAM)KEY_READ);
    EXPECT_EQ(sim::RegOpens()[1].path, kKey);
    EXPECT_EQ(sim::RegOpens()[1].sam, (REGSAM)(KEY_READ | KEY_WOW64_64KEY));
}

TEST_F(Probe, InstalledKeepsTheWholeCommandLine) {
    Record("C:\\", "C:\\PROD\\RUN.EXE /X");
    EXPECT_EQ(Run(), Installed);
    EXPECT_STREQ(command_, "C:\\PROD\\RUN.EXE /X");
    EXPECT_STREQ(program_, "Orchard");

    RemoveFile("c/PROD/RUN.EXE");
    EXPECT_EQ(Run(), Incomplete);
    EXPECT_STREQ(command_, "C:\\PROD\\RUN.EXE /X");
}

struct RecordCase {
    const char *what;
    std::string cd;        // "<none>" for a missing value
    std::string command;   // "<none>" for a missing value
    bool cd_terminated;
    bool command_terminated;
    InstallStatus expected;
    const char *command_after;
};

TEST_F(Probe, RecordOutcomes) {
    const std::string none = "<none>";
    const std::string max_line = "C:\\PROD\\RUN.EXE /" + std::string(511 - 17, 'x');
    const std::string over_line = max_line + "y";
    ASSERT_EQ(max_line.size(), 511u);
    const std::string deep = kDeep;
    ASSERT_EQ(deep.size(), 132u);
    const std::string deep_quoted = "\"" + deep + "\" /x";
    const std::string deep_bare = deep + " /x";
    const RecordCase cases[] = {
        {"CD missing", none, "C:\\PROD\\RUN.EXE", true, true, Incomplete, ""},
        {"CD empty", "", "C:\\PROD\\RUN.EXE", true, true, Incomplete, ""},
        {"CD letter only", "C", "C:\\PROD\\RUN.EXE", true, true, Installed, "C:\\PROD\\RUN.EXE"},
        {"CD lower case", "c:", "C:\\PROD\\RUN.EXE", true, true, Installed, "C:\\PROD\\RUN.EXE"},
        {"CD longer than nine characters", "C:\\Program Files\\Orchard", "C:\\PROD\\RUN.EXE", true, true, Installed,
         "C:\\PROD\\RUN.EXE"},
        {"CD longer than the command buffer", "C" + std::string(2000, '\\'), "C:\\PROD\\RUN.EXE", true, true,
         Installed, "C:\\PROD\\RUN.EXE"},
        {"CD without terminator", "C", "C:\\PROD\\RUN.EXE", false, true, Installed, "C:\\PROD\\RUN.EXE"},
        {"CD of a missing drive", "Q:\\", "C:\\PROD\\RUN.EXE", true, true, Incomplete, ""},
        {"CD not a letter", "\\\\server", "C:\\PROD\\RUN.EXE", true, true, Incomplete, ""},
        {"command missing", "C:\\", none, true, true, Incomplete, ""},
        {"command empty", "C:\\", "", true, true, Incomplete, ""},
        {"program missing", "C:\\", "C:\\PROD\\GONE.EXE /X", true, true, Incomplete, "C:\\PROD\\GONE.EXE /X"},
        {"program is a folder", "C:\\", "C:\\PROD", true, true, Incomplete, "C:\\PROD"},
        {"command without terminator", "C:\\", "C:\\PROD\\RUN.EXE -q", true, false, Installed,
         "C:\\PROD\\RUN.EXE -q"},
        {"command of 511 characters", "C:\\", max_line, true, true, Installed, max_line.c_str()},
        {"command of 511 characters without terminator", "C:\\", max_line, true, false, Installed,
         max_line.c_str()},
        {"command of 512 characters without terminator", "C:\\", over_line, true, false, Incomplete, ""},
        {"command of 512 characters", "C:\\", over_line, true, true, Incomplete, ""},
        {"command far too long", "C:\\", over_line + std::string(3000, 'z'), true, true, Incomplete, ""},
        {"program path of 128 characters or more", "C:\\", deep_quoted, true, true, Installed, deep_quoted.c_str()},
        {"unquoted program path with blanks", "C:\\", deep_bare, true, true, Installed, deep_bare.c_str()},
        {"unquoted, the program missing", "C:\\", "C:\\Program Files\\Orchard\\run.exe /x", true, true,
         Incomplete, "C:\\Program Files\\Orchard\\run.exe /x"},
        // Looked for where Windows looks when it starts a bare name.
        {"bare program name in the system folder", "C:\\", "notepad.exe readme.txt", true, true, Installed,
         "notepad.exe readme.txt"},
        {"program on the drive named by CD is not required", "D:\\", "C:\\PROD\\RUN.EXE", true, true, Installed,
         "C:\\PROD\\RUN.EXE"},
        {"bare program name found nowhere", "C:\\", "gone.exe readme.txt", true, true, Incomplete,
         "gone.exe readme.txt"},
        // Installed to run from a disc that is not in the drive: not there,
        // and no "no disk" box on the way.
        {"program on a drive without its disc", "E:\\", "E:\\PAPER\\PAPER.EXE /cd", true, true, Incomplete,
         "E:\\PAPER\\PAPER.EXE /cd"},
        {"CD names a drive without its disc", "E", "C:\\PROD\\RUN.EXE", true, true, Installed, "C:\\PROD\\RUN.EXE"},
    };
    for (const RecordCase &c : cases) {
        sim::Reset();
        Prepare();
        sim::AddRegKey(kKey);
        if (c.cd != none)
            sim::SetRegValue(kKey, "CD", c.cd_terminated ? std::string(c.cd.c_str(), c.cd.size() + 1) : c.cd);
        if (c.command != none)
            sim::SetRegValue(kKey, "CommandLine",
                             c.command_terminated ? std::string(c.command.c_str(), c.command.size() + 1) : c.command);
        PrepareProcess(); // as the launcher does before its first probe
        EXPECT_EQ(Run(), c.expected) << c.what;
        EXPECT_STREQ(command_, c.command_after) << c.what;
        EXPECT_EQ(sim::CriticalErrorBoxes(), std::vector<std::string>{}) << c.what;
        EXPECT_EQ(sim::Outstanding("key"), 0) << c.what;
        EXPECT_EQ(sim::Outstanding("local"), 0) << c.what;
    }
}

TEST_F(Probe, QuotedProgramPathIsTestedWithoutItsQuotes) {
    WriteFile("c/Program Files/Orchard/run.exe", "MZ");
    Record("C:\\", "\"C:\\Program Files\\Orchard\\run.exe\" /x");
    EXPECT_EQ(Run(), Installed);
    EXPECT_STREQ(command_, "\"C:\\Program Files\\Orchard\\run.exe\" /x");

    // Unquoted, the longest part that names a file is the program.
    Record("C:\\", "C:\\Program Files\\Orchard\\run.exe /x");
    EXPECT_EQ(Run(), Installed);
}

TEST_F(Probe, DriveTypesTwoToFiveAreUsable) {
    const struct {
        UINT type;
        InstallStatus expected;
    } cases[] = {
        {DRIVE_UNKNOWN, Incomplete},  {DRIVE_NO_ROOT_DIR, Incomplete}, {DRIVE_REMOVABLE, Installed},
        {DRIVE_FIXED, Installed},     {DRIVE_REMOTE, Installed},       {DRIVE_CDROM, Installed},
        {DRIVE_RAMDISK, Incomplete},
    };
    for (const auto &c : cases) {
        sim::Reset();
        Prepare();
        // The drive named by CD is E:, the program stays on C:.
        sim::MapDrive('E', c.type, Scratch() + "/c");
        Record("E:\\", "C:\\PROD\\RUN.EXE");
        EXPECT_EQ(Run(), c.expected) << "type " << c.type;
        EXPECT_EQ(IsUsableDrive("E:\\"), c.expected == Installed) << "type " << c.type;
    }
    // The root path handed to the drive check is "E:\".
    bool asked = false;
    for (const std::string &e : sim::Events())
        asked = asked || e == "GetDriveTypeA(E:\\)";
    EXPECT_TRUE(asked);
}

TEST_F(Probe, KeyPathComponentsComeFromInstallIni) {
    WriteFile("disc/LAUNCH/install.ini", "[cat]\nProgramName = Orchard Plus \nVersion=\"3.0 beta\"\n"
                                         "[NoVersion]\nProgramName=Orchard\n[Empty]\n");
    Run("cat");
    Run("NoVersion");
    Run("Empty");
    Run("Missing");
    EXPECT_EQ(FirstLooks(), (std::vector<std::string>{"SOFTWARE\\Vantorel\\Orchard Plus\\3.0 beta\\cat",
                                                      "SOFTWARE\\Vantorel\\Orchard\\\\NoVersion",
                                                      "SOFTWARE\\Vantorel\\\\\\Empty",
                                                      "SOFTWARE\\Vantorel\\\\\\Missing"}));
    EXPECT_STREQ(program_, "");
}

struct KeyCase {
    const char *what;
    std::string install;  // lines added to [INSTALL]
    std::string section;  // lines added to [Paper]
    std::string record;   // where the record is; "" for none
    std::vector<std::string> values; // its values, name then text
    sim::View view;
    InstallStatus expected;
    std::string looked;            // the key path opened first
    std::vector<std::string> read; // the values read, in order
    UINT codepage = 1252;          // the system's ANSI code page
};

TEST_F(Probe, InstallIniNamesTheKeyAndItsValues) {
    const std::string custom = "SOFTWARE\\Lumo\\Trainer\\3";
    const std::string rooted = "SOFTWARE\\Auenthal Lernmedien\\Orchard\\2.1\\Paper";
    const std::string fits = "SOFTWARE\\" + std::string(511 - 9, 'k');
    const std::vector<std::string> plain = {"CD", "C:\\", "CommandLine", "C:\\PROD\\RUN.EXE /X"};
    const std::vector<std::string> both = {"CD", "CommandLine"};
    // Code page 932: the second bytes of 表 and ソ are '\\'.
    const std::string kasumi = "SOFTWARE\\Kasumi\\\x8A\xBF\x8E\x9A\x95\x5C"; // ...\漢字表
    const std::string kasumi_key = kasumi + "\\Orchard\\2.1\\Paper";
    const std::string soft = "SOFTWARE\\Kasumi\\\x83\x5C\x83\x74\x83\x67\x83\x5C"; // ...\ソフトソ
    const KeyCase cases[] = {
        {"cp932 RegistryRoot ending in a character whose second byte is a backslash", "RegistryRoot=" + kasumi + "\r\n",
         "", kasumi_key, plain, sim::View32, Installed, kasumi_key, both, 932},
        {"cp932 RegistryRoot with backslashes around it", "RegistryRoot=\\" + kasumi + "\\\\\r\n", "", kasumi_key,
         plain, sim::View32, Installed, kasumi_key, both, 932},
        {"cp932 RegistryKey ending so", "", "RegistryKey=" + soft + "\\\r\n", soft, plain, sim::View32, Installed, soft,
         both, 932},
        // The same bytes in 1252 end in a backslash, which goes.
        {"cp1252 RegistryRoot of the same bytes", "RegistryRoot=" + kasumi + "\r\n", "",
         kasumi.substr(0, kasumi.size() - 1) + "\\Orchard\\2.1\\Paper", plain, sim::View32, Installed,
         kasumi.substr(0, kasumi.size() - 1) + "\\Orchard\\2.1\\Paper", both},
        // A value that fills its buffer is never cut, trimmed and opened.
        {"RegistryKey cut after backslashes", "", "RegistryKey=\\\\" + fits + "\r\n", fits.substr(0, 510), plain,
         sim::View32, NotInstalled, "", {}},
        {"RegistryRoot of 600 backslashes", "RegistryRoot=" + std::string(600, '\\') + "SOFTWARE\\Lumo\r\n", "", kKey,
         plain, sim::View32, NotInstalled, "", {}},
        {"no new keys", "", "", kKey, plain, sim::View32, Installed, kKey, both},
        {"RegistryRoot", "RegistryRoot=SOFTWARE\\Auenthal Lernmedien\r\n", "", rooted, plain, sim::View32, Installed,
         rooted, both},
        {"RegistryRoot with backslashes around it", "registryroot = \\SOFTWARE\\Auenthal Lernmedien\\\\\r\n", "",
         rooted, plain, sim::View32, Installed, rooted, both},
        {"RegistryRoot of backslashes only", "RegistryRoot=\\\\\r\n", "", kKey, plain, sim::View32, Installed, kKey,
         both},
        {"RegistryRoot empty", "RegistryRoot=\r\n", "", kKey, plain, sim::View32, Installed, kKey, both},
        {"RegistryKey", "", "RegistryKey=" + custom + "\r\n", custom, plain, sim::View32, Installed, custom, both},
        {"RegistryKey wins over RegistryRoot", "RegistryRoot=SOFTWARE\\Auenthal Lernmedien\r\n",
         "REGISTRYKEY=\\" + custom + "\\\r\n", custom, plain, sim::View32, Installed, custom, both},
        {"RegistryKey in the 64-bit view only", "", "RegistryKey=" + custom + "\r\n", custom, plain, sim::View64,
         Installed, custom, both},
        {"RegistryKey not recorded", "", "RegistryKey=" + custom + "\r\n", kKey, plain, sim::View32, NotInstalled,
         custom, {}},
        {"RegistryKey of 511 characters", "", "RegistryKey=" + fits + "\r\n", fits, plain, sim::View32, Installed,
         fits, both},
        {"RegistryKey of 512 characters is never opened", "", "RegistryKey=" + fits + "k\r\n", fits + "k", plain,
         sim::View32, NotInstalled, "", {}},
        {"RegistryKey in [INSTALL] is not read", "RegistryKey=" + custom + "\r\n", "", kKey, plain, sim::View32,
         Installed, kKey, both},
        {"a key commented out", "", ";RegistryKey=" + custom + "\r\n", kKey, plain, sim::View32, Installed, kKey,
         both},
        {"a longer key name", "", "RegistryKeys=" + custom + "\r\n", kKey, plain, sim::View32, Installed, kKey, both},
        {"CommandValue", "", "CommandValue=Startbefehl\r\n", kKey,
         {"CD", "C", "Startbefehl", "C:\\PROD\\RUN.EXE", "CommandLine", "C:\\GONE.EXE"}, sim::View32, Installed,
         kKey, {"CD", "Startbefehl"}},
        {"CommandValue of a missing value", "", "CommandValue=Startbefehl\r\n", kKey, plain, sim::View32, Incomplete,
         kKey, {"CD", "Startbefehl"}},
        {"CommandValue empty", "", "CommandValue=\r\n", kKey, plain, sim::View32, Installed, kKey, both},
        {"DriveValue", "", "DriveValue=Laufwerk\r\n", kKey,
         {"Laufwerk", "C", "CD", "Q", "CommandLine", "C:\\PROD\\RUN.EXE"}, sim::View32, Installed, kKey,
         {"Laufwerk", "CommandLine"}},
        {"DriveValue of a missing value", "", "DriveValue=Laufwerk\r\n", kKey, plain, sim::View32, Incomplete, kKey,
         {"Laufwerk"}},
        // Installed to the hard disk: the drive is not checked at all.
        {"DriveValue empty", "", "DriveValue=\r\n", kKey, {"CommandLine", "C:\\PROD\\RUN.EXE"}, sim::View32,
         Installed, kKey, {"CommandLine"}},
        {"DriveValue empty, CD of a missing drive", "", "DriveValue=\r\n", kKey,
         {"CD", "Q:\\", "CommandLine", "C:\\PROD\\RUN.EXE"}, sim::View32, Installed, kKey, {"CommandLine"}},
        {"DriveValue empty, the program gone", "", "DriveValue=\r\n", kKey, {"CommandLine", "C:\\PROD\\GONE.EXE"},
         sim::View32, Incomplete, kKey, {"CommandLine"}},
    };
    for (const KeyCase &c : cases) {
        sim::Reset();
        sim::SetCodePage(c.codepage);
        Prepare();
        WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\r\nConfigFile=yes\r\n" + c.install +
                                                 "Product=Paper\r\n\r\n[Paper]\r\nProgramName=Orchard\r\n" +
                                                 c.section + "Version=2.1\r\n");
        sim::AddRegKey(c.record, c.view);
        for (size_t i = 0; i + 1 < c.values.size(); i += 2)
            sim::SetRegString(c.record, c.values[i], c.values[i + 1], c.view);
        EXPECT_EQ(Run(), c.expected) << c.what;
        EXPECT_STREQ(program_, "Orchard") << c.what;
        if (c.looked.empty()) {
            EXPECT_TRUE(sim::RegOpens().empty()) << c.what;
        } else {
            ASSERT_FALSE(sim::RegOpens().empty()) << c.what;
            EXPECT_EQ(sim::RegOpens()[0].path, c.looked) << c.what;
            EXPECT_EQ(sim::RegOpens()[0].sam, (REGSAM)KEY_READ) << c.what;
        }
        std::vector<std::string> read;
        for (const sim::RegQuery &q : sim::RegQueries()) {
            EXPECT_EQ(q.path, c.looked) << c.what;
            if (read.empty() || read.back() != q.name)
                read.push_back(q.name);
        }
        EXPECT_EQ(read, c.read) << c.what;
        EXPECT_EQ(sim::Outstanding("key"), 0) << c.what;
    }
}

TEST_F(Probe, WhereTheRecordIsComesFromTheLaunchersOwnReading) {
    WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\nRegistryRoot=SOFTWARE\\Auenthal\n[Paper]\nProgramName=Orchard\n"
                                         "Version=2.1\nDriveValue=\nCommandValue=Startbefehl\n[Other]\n"
                                         "ProgramName=X\nVersion=" + std::string(600, 'v') + "\n");
    RecordPlace place;
    std::memset(&place, 'J', sizeof place);
    std::memset(program_, 'J', sizeof program_);
    EXPECT_TRUE(LocateRecord("Paper", "D:\\LAUNCH\\install.ini", program_, &place));
    EXPECT_STREQ(program_, "Orchard");
    EXPECT_STREQ(place.keyPath, "SOFTWARE\\Auenthal\\Orchard\\2.1\\Paper");
    EXPECT_STREQ(place.driveValue, "");
    EXPECT_STREQ(place.commandValue, "Startbefehl");
    // A version cut to 511 characters still makes a path too long to open.
    std::memset(&place, 'J', sizeof place);
    EXPECT_FALSE(LocateRecord("Other", "D:\\LAUNCH\\install.ini", program_, &place));
    EXPECT_STREQ(place.keyPath, "");
    EXPECT_STREQ(place.driveValue, "CD");
    EXPECT_STREQ(place.commandValue, "CommandLine");
    // Sections that cannot be listed give no key: the launcher's own names.
    sim::FailAlways("GetPrivateProfileSectionA");
    std::memset(&place, 'J', sizeof place);
    EXPECT_TRUE(LocateRecord("Paper", "D:\\LAUNCH\\install.ini", program_, &place));
    EXPECT_STREQ(place.keyPath, "SOFTWARE\\Vantorel\\Orchard\\2.1\\Paper");
    EXPECT_STREQ(place.driveValue, "CD");
}

TEST_F(Probe, KeyPathThatWouldNotFitIsNeverOpened) {
    // 18 + 7 + 1 + version + 1 + 5 characters: 511 fit, 512 do not.
    const std::string fits(511 - 18 - 7 - 1 - 1 - 5, 'v');
    WriteFile("disc/LAUNCH/install.ini", "[Paper]\nProgramName=Orchard\nVersion=" + fits + "\n");
    sim::AddRegKey("SOFTWARE\\Vantorel\\Orchard\\" + fits + "\\Paper");
    EXPECT_EQ(Run(), Incomplete); // opened: the record has no values
    ASSERT_EQ(sim::RegOpens().size(), 1u);
    EXPECT_EQ(sim::RegOpens()[0].path.size(), 511u);

    WriteFile("disc/LAUNCH/install.ini", "[Paper]\nProgramName=Orchard\nVersion=" + fits + "v\n");
    sim::AddRegKey("SOFTWARE\\Vantorel\\Orchard\\" + fits + "v\\Paper");
    EXPECT_EQ(Run(), NotInstalled);
    EXPECT_EQ(sim::RegOpens().size(), 1u); // nothing more was opened, in either view
    EXPECT_STREQ(program_, "Orchard");
}

TEST_F(Probe, ProfileValuesAreCutToTheirBuffers) {
    const std::string long_name(200, 'n');
    WriteFile("disc/LAUNCH/install.ini", "[Paper]\nProgramName=" + long_name + "\nVersion=1\n");
    Run();
    EXPECT_EQ(std::string(program_), long_name.substr(0, 127));
    ASSERT_EQ(FirstLooks().size(), 1u);
    EXPECT_EQ(FirstLooks()[0], "SOFTWARE\\Vantorel\\" + long_name.substr(0, 127) + "\\1\\Paper");

    // Code page 932: a cut never keeps half of \x95\x5C (表), nor a first
    // byte that stands alone at the end of the value.
    sim::SetCodePage(932);
    const std::string cases[][2] = {{std::string(126, 'n') + "\x95\x5C", std::string(126, 'n')},
                                     {std::string(125, 'n') + "\x95\x5C", std::string(125, 'n') + "\x95\x5C"},
                                     {"Orchard\x95", "Orchard"}};
    for (const auto &c : cases) {
        WriteFile("disc/LAUNCH/install.ini", "[Paper]\nProgramName=" + c[0] + "\nVersion=1\n");
        Run();
        EXPECT_EQ(std::string(program_), c[1]);
    }
}

TEST_F(Probe, RegistryReadFailuresCloseTheKey) {
    Record("C:\\", "C:\\PROD\\RUN.EXE");
    for (int nth = 1; nth <= 2; ++nth) {
        sim::FailCall("RegQueryValueExA", nth);
        EXPECT_EQ(Run(), Incomplete) << nth;
        EXPECT_EQ(sim::Outstanding("key"), 0);
    }
    sim::FailCall("GetFileAttributesA");
    EXPECT_EQ(Run(), Incomplete);
    sim::FailCall("RegOpenKeyExA", 1);
    sim::FailCall("RegOpenKeyExA", 2);
    EXPECT_EQ(Run(), NotInstalled);
    // The long-CD path allocates a scratch block; when that fails the drive is unknown.
    sim::SetRegString(kKey, "CD", "C" + std::string(600, ':'));
    sim::FailCall("LocalAlloc");
    EXPECT_EQ(Run(), Incomplete);
    EXPECT_EQ(Run(), Installed);
}

} // namespace
