// The whole run from the module path to the program started.
#include <cstring>
#include <string>
#include <vector>

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
