// The whole run from the module path to the program started.
#include <cstring>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "launcher.h"
#include "sim_fixture.h"

namespace {

class Run : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        Prepare();
    }
    void Prepare() {
        sim::SetModulePath("D:\\LAUNCH\\GO.EXE");
        sim::MapDrive('D', DRIVE_CDROM, Scratch() + "/disc");
        sim::MapDrive('C', DRIVE_FIXED, Scratch() + "/c");
        WriteFile("c/ALPHA/RUN.EXE", "MZ");
        WriteFile("c/BETA/CAT.EXE", "MZ");
        std::memset(&g_launcher, 'J', sizeof g_launcher);
    }
    void Ini(const std::string &install_section) {
        WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\n" + install_section +
                                                 "\n[Alpha]\nProgramName=Orchard\nVersion=1\n"
                                                 "[Beta]\nProgramName=Orchard\nVersion=1\n"
                                                 "[Gamma]\nProgramName=Orchard\nVersion=1\n");
    }
    void Install(const char *section, const char *command) {
        std::string key = std::string("SOFTWARE\\Vantorel\\Orchard\\1\\") + section;
        sim::SetRegString(key, "CD", "C:\\");
        sim::SetRegString(key, "CommandLine", command);
    }
    std::vector<std::string> Opened() {
        std::vector<std::string> out;
        for (const auto &o : sim::RegOpens())
            if (!(o.sam & KEY_WOW64_64KEY)) // first looks only
                out.push_back(o.path);
        return out;
    }
    std::vector<std::string> ProfileReads() {
        std::vector<std::string> out;
        for (const auto &e : sim::Events())
            if (e.rfind("GetPrivateProfileStringA(", 0) == 0)
                out.push_back(e.substr(25, e.size() - 26));
        return out;
    }
};

TEST_F(Run, NoInstallIniOffersToInstall) {
    sim::QueueDialogResult(1);
    EXPECT_EQ(RunLauncher(nullptr), 1);
    ASSERT_EQ(sim::Dialogs().size(), 1u);
    EXPECT_STREQ(reinterpret_cast<const char *>(sim::Dialogs()[0].param), "&Install");
    ASSERT_EQ(sim::Starts().size(), 1u);
    EXPECT_EQ(sim::Starts()[0].file, "D:\\setup.exe");
    EXPECT_STREQ(g_launcher.productName, "");
    EXPECT_STREQ(g_launcher.paths.bitmap, "D:\\LAUNCH\\Launcher.bmp");
    EXPECT_EQ(ProfileReads(), (std::vector<std::string>{"INSTALL,ConfigFile", "INSTALL,ProductName"}));
}

// Before anything else: DLLs from the system folder only, by the best
// means the system has, and no "no disk" box during the probe; what is
// started gets the error mode the launcher was started with. The shell,
// loaded when WinExec cannot start the installer, has its own DLLs looked
// for beside it unless the system folder is already the only place.
TEST_F(Run, FirstKeepsDllsToTheSystemFolderAndDrivesQuiet) {
    const std::vector<std::string> kernel = {"GetModuleHandleA(KERNEL32)", "GetProcAddress(SetDefaultDllDirectories)"};
    const std::vector<std::string> quiet = {"SetErrorMode(0x8001)", "GetPrivateProfileStringA(INSTALL,ConfigFile)",
                                            "SetErrorMode(0x2)", "WinExec(D:\\setup.exe)"};
    const std::string shell = "LoadLibraryExA(C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL,";
    const struct {
        const char *system;
        std::vector<std::string> hidden; // KERNEL32 functions it lacks
        const char *fails;
        std::vector<std::string> search; // the calls after the first look-up
        const char *shellFlags;          // how the shell is loaded
    } cases[] = {
        {"Windows 8 to 11", {}, nullptr, {"SetDefaultDllDirectories(0x800)"}, "0)"},
        {"Windows XP SP1 to 7 without its update",
         {"SetDefaultDllDirectories"},
         nullptr,
         {"GetProcAddress(SetDllDirectoryA)", "SetDllDirectoryA(\"\")"},
         "0x8)"},
        {"Windows 95 to XP", {"SetDefaultDllDirectories", "SetDllDirectoryA"}, nullptr,
         {"GetProcAddress(SetDllDirectoryA)"}, "0x8)"},
        {"SetDefaultDllDirectories refuses",
         {},
         "SetDefaultDllDirectories",
         {"SetDefaultDllDirectories(0x800)", "GetProcAddress(SetDllDirectoryA)", "SetDllDirectoryA(\"\")"},
         "0x8)"},
        {"Windows 8 to 11 once more", {}, nullptr, {"SetDefaultDllDirectories(0x800)"}, "0)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.system);
        sim::Reset();
        Prepare();
        for (const std::string &f : c.hidden)
            sim::HideExport("KERNEL32", f);
        if (c.fails)
            sim::FailCall(c.fails);
        SetErrorMode(SEM_NOGPFAULTERRORBOX); // the mode it is started with
        sim::SetWinExecResult(5);            // elevation needed: the shell starts it
        sim::QueueDialogResult(1);
        EXPECT_EQ(RunLauncher(nullptr), 1);
        std::vector<std::string> want = {"SetErrorMode(0x2)"};
        want.insert(want.end(), kernel.begin(), kernel.end());
        want.insert(want.end(), c.search.begin(), c.search.end());
        want.insert(want.end(), quiet.begin(), quiet.end());
        want.push_back(shell + c.shellFlags);
        want.push_back("GetProcAddress(ShellExecuteA)");
        std::vector<std::string> got;
        for (const std::string &e : sim::Events())
            for (const char *kind : {"SetErrorMode", "GetModuleHandleA", "GetProcAddress", "SetDefaultDllDirectories",
                                     "SetDllDirectoryA", "LoadLibraryExA", "WinExec",
                                     "GetPrivateProfileStringA(INSTALL,ConfigFile)"})
                if (e.rfind(kind, 0) == 0)
                    got.push_back(e);
        EXPECT_EQ(got, want);
    }
}

TEST_F(Run, MarkerIsReadFirstAndGatesEveryProbe) {
    Install("Alpha", "C:\\ALPHA\\RUN.EXE");
    struct {
        const char *section;
        std::vector<std::string> reads;
        std::vector<std::string> opened;
    } cases[] = {
        {"ConfigFile=\nProductName=Orchard\nProduct=Alpha", {"INSTALL,ConfigFile", "INSTALL,ProductName"}, {}},
        {"ProductName=Orchard\nProduct=Alpha", {"INSTALL,ConfigFile", "INSTALL,ProductName"}, {}},
        {"ConfigFile=x\nProductName=Orchard\nProduct= , \t",
         {"INSTALL,ConfigFile", "INSTALL,ProductName", "INSTALL,Product"},
         {}},
        {"ConfigFile=x\nProductName=Orchard\nProduct=Alpha",
         {"INSTALL,ConfigFile", "INSTALL,ProductName", "INSTALL,Product", "Alpha,ProgramName", "Alpha,Version"},
         {"SOFTWARE\\Vantorel\\Orchard\\1\\Alpha"}},
        {"configfile=x\nPRODUCT=Gamma Alpha Beta",
         {"INSTALL,ConfigFile", "INSTALL,ProductName", "INSTALL,Product", "Gamma,ProgramName", "Gamma,Version",
          "Alpha,ProgramName", "Alpha,Version"},
         {"SOFTWARE\\Vantorel\\Orchard\\1\\Gamma", "SOFTWARE\\Vantorel\\Orchard\\1\\Alpha"}},
    };
    for (const auto &c : cases) {
        sim::Reset();
        Prepare();
        Install("Alpha", "C:\\ALPHA\\RUN.EXE");
        Ini(c.section);
        sim::QueueDialogResult(0);
        sim::QueueDialogResult(0);
        EXPECT_EQ(RunLauncher(nullptr), 1) << c.section;
        EXPECT_EQ(ProfileReads(), c.reads) << c.section;
        EXPECT_EQ(Opened(), c.opened) << c.section;
        // The product name is read whatever the marker says.
        if (std::string(c.section).find("ProductName=Orchard") != std::string::npos)
            EXPECT_STREQ(g_launcher.productName, "Orchard") << c.section;
    }
}

TEST_F(Run, BothInstalledTheSecondChoiceRunsTheSecondSection) {
    Ini("ConfigFile=1\nProductName=Orchard\nProduct=Beta,Alpha");
    Install("Alpha", "C:\\ALPHA\\RUN.EXE /paper");
    Install("Beta", "C:\\BETA\\CAT.EXE");
    sim::QueueDialogResult(1);
    sim::QueueDialogResult(102);
    EXPECT_EQ(RunLauncher(nullptr), 1);
    ASSERT_EQ(sim::Dialogs().size(), 2u);
    EXPECT_EQ(sim::Dialogs()[1].templ, "RunRun");
    ASSERT_EQ(sim::Starts().size(), 1u);
    EXPECT_EQ(sim::Starts()[0].file, "C:\\ALPHA\\RUN.EXE /paper");
    EXPECT_EQ(g_launcher.products[0].status, Installed);
    EXPECT_STREQ(g_launcher.products[0].section, "Beta");
    EXPECT_STREQ(g_launcher.products[1].section, "Alpha");
}

TEST_F(Run, OneSectionLeavesTheSecondProductNotInstalled) {
    Ini("ConfigFile=1\nProduct=Beta");
    Install("Beta", "C:\\BETA\\GONE.EXE");
    sim::QueueMessageBoxAnswer(IDYES);
    EXPECT_EQ(RunLauncher(nullptr), 1);
    EXPECT_EQ(g_launcher.products[0].status, Incomplete);
    EXPECT_EQ(g_launcher.products[1].status, NotInstalled);
    EXPECT_EQ(g_launcher.products[1].section, nullptr);
    EXPECT_STREQ(g_launcher.products[1].programName, "");
    EXPECT_STREQ(g_launcher.products[1].commandLine, "");
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    ASSERT_EQ(sim::Starts().size(), 1u);
    EXPECT_EQ(sim::Starts()[0].file, "D:\\setup.exe");
}

struct InstallerCase {
    const char *module;
    std::string installer; // the line in [INSTALL]
    std::string started;   // what WinExec is given
};

TEST_F(Run, TheDiscsOwnInstaller) {
    const std::string deep(250, 'd');
    ASSERT_EQ(deep.size() + 8, 258u);
    const InstallerCase cases[] = {
        {"D:\\LAUNCH\\GO.EXE", "", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Installation\\Setup.exe", "D:\\Installation\\Setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "installer = install.exe ", "D:\\install.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=.\\Disk 1\\Setup.exe", "\"D:\\.\\Disk 1\\Setup.exe\""},
        {"D:\\GO.EXE", "Installer=Inst\\Setup.exe", "\\Inst\\Setup.exe"},
        // Not below the disc root: setup.exe stands.
        {"D:\\LAUNCH\\GO.EXE", "Installer=", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=\\Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=/Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=C:\\Temp\\Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=C:Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=\\\\server\\share\\Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=..\\Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Install\\..\\..\\Setup.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Install/../../Setup.exe", "D:\\setup.exe"},
        // A quote would pass arguments; the rest no file name holds.
        {"D:\\LAUNCH\\GO.EXE", "Installer=Setup.exe\" /S", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Setup.exe|x", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Set<up>.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Setup*.exe", "D:\\setup.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=Setup?.exe", "D:\\setup.exe"},
        // 258 characters are used; 259 may have been cut by the profile call.
        {"D:\\LAUNCH\\GO.EXE", "Installer=" + deep + "\\Set.exe", "D:\\" + deep + "\\Set.exe"},
        {"D:\\LAUNCH\\GO.EXE", "Installer=" + deep + "\\Setu.exe", "D:\\setup.exe"},
    };
    for (const InstallerCase &c : cases) {
        sim::Reset();
        Prepare();
        sim::SetModulePath(c.module);
        std::string ini = "[INSTALL]\n" + c.installer + "\nProductName=Orchard\n";
        WriteFile("disc/install.ini", ini);
        WriteFile("disc/LAUNCH/install.ini", ini);
        sim::QueueDialogResult(1);
        EXPECT_EQ(RunLauncher(nullptr), 1) << c.installer;
        ASSERT_FALSE(sim::Starts().empty()) << c.installer;
        EXPECT_EQ(sim::Starts()[0].file, c.started) << c.installer;
    }
}

TEST_F(Run, TheDiscsWordingIsReadWhateverConfigFileSays) {
    WriteFile("disc/LAUNCH/install.ini", "[INSTALL]\nProductName=Orchard\n[Texts]\nInstall=&Installieren\n"
                                         "cancel = &Abbrechen\nRunFirst=\nUnknown=x\n");
    sim::QueueDialogResult(0);
    EXPECT_EQ(RunLauncher(nullptr), 1);
    ASSERT_EQ(sim::Dialogs().size(), 1u);
    EXPECT_STREQ(reinterpret_cast<const char *>(sim::Dialogs()[0].param), "&Installieren");
    EXPECT_STREQ(DiscText(TextCancel), "&Abbrechen");
    EXPECT_STREQ(DiscText(TextRunFirst), "Run &Paper"); // given empty: the launcher's own
    EXPECT_STREQ(DiscText(TextRun), "&Run");
    // Only the keys the section gives are read.
    EXPECT_EQ(ProfileReads(), (std::vector<std::string>{"INSTALL,ConfigFile", "INSTALL,ProductName",
                                                        "Texts,Install", "Texts,Cancel", "Texts,RunFirst"}));

    // The next run, from a disc without [Texts], has the launcher's own again.
    sim::Reset();
    Prepare();
    Ini("ConfigFile=1\nProduct=Alpha");
    sim::QueueDialogResult(0);
    RunLauncher(nullptr);
    EXPECT_STREQ(DiscText(TextCancel), "&Cancel");
    EXPECT_STREQ(reinterpret_cast<const char *>(sim::Dialogs()[0].param), "&Install");
}

// One disc for many languages: the user's UI language (on Windows 95 to Me
// the system's) picks a section, exactly or by its main form, where the
// system's code page shows it; what it leaves out comes from [Texts].
TEST_F(Run, TheUsersLanguageChoosesTheTexts) {
    const std::string ini =
        "[INSTALL]\nProductName=Orchard\nCodePage=1252\n[Texts]\nInstall=&Install it\nCancel=&Stop\n"
        "[Texts.0407]\nInstall=&Installieren\nCancel=\nProductName=Obstgarten\nBitmap=de.bmp\n"
        "[Texts.0415]\nCodePage=1250\nInstall=&Zainstaluj\nBitmap=..\\LAUNCH\\de.bmp\n"
        "[Texts.0804]\nCodePage=936\nInstall=\xB0\xB2\xD7\xB0\nBitmap=junk.bmp\n"
        "[texts.0c0a]\nInstall=&Instalar\nBitmap=sub/de.bmp\n"
        "[Texts.411]\nInstall=short\n[Texts.0411]\nCodePage=932x\nInstall=long\n";
    const struct {
        LANGID ui;
        LANGID system; // differs: a Windows without a UI language of the user's
        UINT codepage;
        const char *section, *install, *cancel, *product, *bitmap;
    } cases[] = {
        {0x0407, 0x0407, 1252, "Texts.0407", "&Installieren", "&Stop", "Obstgarten", "de.bmp"},
        {0x0807, 0x0807, 1252, "Texts.0407", "&Installieren", "&Stop", "Obstgarten", "de.bmp"},
        {0x0415, 0x0415, 1250, "Texts.0415", "&Zainstaluj", "&Stop", "Orchard", "Launcher.bmp"},
        {0x0415, 0x0415, 1252, "", "&Install it", "&Stop", "Orchard", "Launcher.bmp"},
        {0x1004, 0x1004, 936, "Texts.0804", "\xB0\xB2\xD7\xB0", "&Stop", "Orchard", "Launcher.bmp"},
        {0x0C04, 0x0C04, 936, "", "&Install it", "&Stop", "Orchard", "Launcher.bmp"},
        {0x0C0A, 0x0C0A, 1252, "Texts.0C0A", "&Instalar", "&Stop", "Orchard", "Launcher.bmp"},
        {0x080A, 0x080A, 1252, "", "&Install it", "&Stop", "Orchard", "Launcher.bmp"},
        {0x0411, 0x0411, 932, "", "&Install it", "&Stop", "Orchard", "Launcher.bmp"},
        {0x0415, 0x0407, 1252, "Texts.0407", "&Installieren", "&Stop", "Obstgarten", "de.bmp"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.section);
        sim::Reset();
        Prepare();
        WriteFile("disc/LAUNCH/install.ini", ini);
        WriteFile("disc/LAUNCH/de.bmp", bmp::File(bmp::Simple(8, 4, 4)));
        WriteFile("disc/LAUNCH/sub/de.bmp", bmp::File(bmp::Simple(8, 4, 4)));
        WriteFile("disc/LAUNCH/junk.bmp", "BM junk");
        sim::SetCodePage(c.codepage);
        sim::SetUILanguage(c.ui);
        if (c.system != c.ui) {
            sim::SetSystemLanguage(c.system);
            sim::HideExport("KERNEL32", "GetUserDefaultUILanguage");
        }
        sim::QueueDialogResult(0);
        RunLauncher(nullptr);
        EXPECT_STREQ(g_texts.section, c.section);
        EXPECT_STREQ(reinterpret_cast<const char *>(sim::Dialogs().at(0).param), c.install);
        EXPECT_STREQ(DiscText(TextCancel), c.cancel);
        EXPECT_STREQ(g_launcher.productName, c.product);
        EXPECT_EQ(std::string(g_launcher.paths.bitmap), std::string("D:\\LAUNCH\\") + c.bitmap);
    }
}

TEST_F(Run, LauncherInTheDiscRootStartsSetupFromTheCurrentRoot) {
    sim::SetModulePath("D:\\GO.EXE");
    WriteFile("disc/install.ini", "[INSTALL]\nConfigFile=1\nProduct=Alpha\n[Alpha]\nProgramName=Orchard\nVersion=1\n");
    sim::QueueDialogResult(1);
    EXPECT_EQ(RunLauncher(nullptr), 1);
    EXPECT_EQ(Opened(), (std::vector<std::string>{"SOFTWARE\\Vantorel\\Orchard\\1\\Alpha"}));
    ASSERT_EQ(sim::Starts().size(), 1u);
    EXPECT_EQ(sim::Starts()[0].file, "\\setup.exe");
}

} // namespace
