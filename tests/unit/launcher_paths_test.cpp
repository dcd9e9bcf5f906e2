// Where the launcher looks for its sibling files, and how it splits the
// product list.
#include <cstring>
#include <string>

#include "launcher.h"
#include "sim_fixture.h"

namespace {

class LauncherPaths_ : public SimTest {};

struct PathCase {
    std::string module;
    std::string installer;
    std::string config;
    std::string bitmap;
    UINT codepage = 1252;
};

TEST_F(LauncherPaths_, SiblingsOfTheModulePath) {
    // 247 characters: room for "\\install.ini" in 260, not for "\\Launcher.bmp".
    const std::string long_dir = "C:\\" + std::string(244, 'd');
    const PathCase cases[] = {
        {"D:\\LAUNCH\\GO.EXE", "D:\\setup.exe", "D:\\LAUNCH\\install.ini", "D:\\LAUNCH\\Launcher.bmp"},
        {"E:\\AUTORUN\\LAUNCH.EXE", "E:\\setup.exe", "E:\\AUTORUN\\install.ini", "E:\\AUTORUN\\Launcher.bmp"},
        {"D:\\GO.EXE", "\\setup.exe", "D:\\install.ini", "D:\\Launcher.bmp"},
        {"E:\\A\\B\\C\\run.exe", "E:\\A\\B\\setup.exe", "E:\\A\\B\\C\\install.ini", "E:\\A\\B\\C\\Launcher.bmp"},
        {"\\\\server\\share\\cd\\go.exe", "\\\\server\\share\\setup.exe", "\\\\server\\share\\cd\\install.ini",
         "\\\\server\\share\\cd\\Launcher.bmp"},
        // No backslash at all: the root of the current drive, and no config.
        {"GO.EXE", "\\setup.exe", "", ""},
        // install.ini fits in 260 characters where Launcher.bmp (one longer) does not.
        {long_dir + "\\x.exe", "C:\\setup.exe", long_dir + "\\install.ini", ""},
        // Code page 932: the second byte of \x95\x5C (表) is a backslash, in the
        // launcher's folder and at the end of its own name.
        {"D:\\\x8B\x4E\x93\xAE\x95\x5C\\GO.EXE", "D:\\setup.exe", "D:\\\x8B\x4E\x93\xAE\x95\x5C\\install.ini",
         "D:\\\x8B\x4E\x93\xAE\x95\x5C\\Launcher.bmp", 932},
        {"D:\\CD\\LAUNCH\\\x8B\x4E\x93\xAE\x95\x5C", "D:\\CD\\setup.exe", "D:\\CD\\LAUNCH\\install.ini",
         "D:\\CD\\LAUNCH\\Launcher.bmp", 932},
    };
    for (const PathCase &c : cases) {
        sim::Reset();
        sim::SetCodePage(c.codepage);
        sim::SetModulePath(c.module);
        LauncherPaths paths;
        std::memset(&paths, 'J', sizeof paths);
        FormLauncherPaths(nullptr, &paths);
        EXPECT_EQ(paths.installer, c.installer) << c.module;
        EXPECT_EQ(paths.config, c.config) << c.module;
        EXPECT_EQ(paths.bitmap, c.bitmap) << c.module;
    }
}

TEST_F(LauncherPaths_, ModulePathThatDoesNotFitIsNeverCutAndUsed) {
    // 300 characters: whole in the 512-character installer buffer, cut short
    // (and left unterminated by the platform) in the 260-character ones.
    std::string module = "D:\\" + std::string(150, 'a') + "\\" + std::string(140, 'b') + "\\go.exe";
    sim::SetModulePath(module);
    LauncherPaths paths;
    std::memset(&paths, 'J', sizeof paths);
    FormLauncherPaths(nullptr, &paths);
    EXPECT_EQ(std::string(paths.installer), "D:\\" + std::string(150, 'a') + "\\setup.exe");
    EXPECT_STREQ(paths.config, "");
    EXPECT_STREQ(paths.bitmap, "");

    // 600 characters do not fit even the installer buffer.
    sim::SetModulePath("D:\\" + std::string(590, 'c') + "\\go.exe");
    std::memset(&paths, 'J', sizeof paths);
    FormLauncherPaths(nullptr, &paths);
    EXPECT_STREQ(paths.installer, "\\setup.exe");
    EXPECT_STREQ(paths.config, "");
}

TEST_F(LauncherPaths_, SetupNameThatDoesNotFitStartsNothing) {
    // The two cut components leave room for "setup.exe" ...
    std::string module = "D:\\" + std::string(490, 'a') + "\\\\x";
    sim::SetModulePath(module);
    LauncherPaths paths;
    std::memset(&paths, 'J', sizeof paths);
    FormLauncherPaths(nullptr, &paths);
    EXPECT_EQ(std::string(paths.installer), "D:\\" + std::string(490, 'a') + "\\setup.exe");

    // ... or do not: then there is no installer path rather than a cut one.
    module = "D:\\" + std::string(505, 'a') + "\\\\x";
    ASSERT_EQ(module.size(), 511u);
    sim::SetModulePath(module);
    std::memset(&paths, 'J', sizeof paths);
    FormLauncherPaths(nullptr, &paths);
    EXPECT_STREQ(paths.installer, "");
}

TEST_F(LauncherPaths_, FailedModuleQueryGivesRootInstallerAndNoConfig) {
    sim::FailAlways("GetModuleFileNameA");
    LauncherPaths paths;
    std::memset(&paths, 'J', sizeof paths);
    FormLauncherPaths(nullptr, &paths);
    EXPECT_STREQ(paths.installer, "\\setup.exe");
    EXPECT_STREQ(paths.config, "");
    EXPECT_STREQ(paths.bitmap, "");
}

struct TokenCase {
    const char *list;
    const char *first;  // null: no token
    const char *second; // null: no token
};

TEST_F(LauncherPaths_, ProductListSplitsInPlaceIntoAtMostTwoNames) {
    const TokenCase cases[] = {
        {"A,B", "A", "B"},
        {"A B", "A", "B"},
        {"A, B", "A", "B"},
        {" ,\t\nA,,  \t\nB ,\n", "A", "B"},
        {"Paper", "Paper", nullptr},
        {"Paper,", "Paper", nullptr},
        {"A B C", "A", "B"},
        {" , \t\n", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"A;B", "A;B", nullptr},
    };
    for (const TokenCase &c : cases) {
        char buffer[128];
        std::memset(buffer, 'J', sizeof buffer);
        std::strcpy(buffer, c.list);
        char *first = NextToken(buffer, " ,\t\n");
        char *second = first ? NextToken(nullptr, " ,\t\n") : nullptr;
        if (c.first) {
            ASSERT_NE(first, nullptr) << c.list;
            EXPECT_STREQ(first, c.first) << c.list;
            // Taken in place: the token points into the buffer.
            EXPECT_TRUE(first >= buffer && first < buffer + sizeof buffer) << c.list;
        } else {
            EXPECT_EQ(first, nullptr) << c.list;
        }
        if (c.second) {
            ASSERT_NE(second, nullptr) << c.list;
            EXPECT_STREQ(second, c.second) << c.list;
        } else {
            EXPECT_EQ(second, nullptr) << c.list;
        }
    }
}

TEST_F(LauncherPaths_, SplitsProgramFromItsArguments) {
    // Unquoted, the longest part of the line that names a file is the
    // program; a part that Windows would read otherwise than it is written
    // (a name ending in a dot or blank, "..") does not count.
    sim::MapDrive('C', DRIVE_FIXED, Scratch() + "/c");
    WriteFile("c/Program Files/Orchard/run.exe", "MZ");
    WriteFile("c/Program", "MZ");
    WriteFile("c/PROD/RUN.EXE", "MZ");
    WriteFile("c/PROD/x.dat", "");
    // An unquoted line of exactly 512 characters, as disccheck may hand
    // over from autorun.inf: its prefixes are tried, none overruns.
    const std::string line512 = "C:\\PROD\\RUN.EXE " + std::string(512 - 16, 'x');
    struct Case {
        const char *line;
        const char *program;
        const char *rest;
    } cases[] = {
        {"C:\\PROD\\RUN.EXE /X", "C:\\PROD\\RUN.EXE", "/X"},
        {"C:\\PROD\\RUN.EXE", "C:\\PROD\\RUN.EXE", ""},
        {"C:\\PROD\\RUN.EXE\t/a /b", "C:\\PROD\\RUN.EXE", "/a /b"},
        {"C:\\PROD\\RUN.EXE\n", "C:\\PROD\\RUN.EXE", ""},
        {"\"C:\\Program Files\\Orchard\\run.exe\" /x", "C:\\Program Files\\Orchard\\run.exe", "/x"},
        {"\"C:\\Program Files\\Orchard\\run.exe\"", "C:\\Program Files\\Orchard\\run.exe", ""},
        {"\"C:\\no end quote\\run.exe /x", "C:\\no end quote\\run.exe /x", ""},
        {"C:\\Program Files\\run.exe", "C:\\Program", "Files\\run.exe"},
        {"C:\\Program Files\\Orchard\\run.exe /x", "C:\\Program Files\\Orchard\\run.exe", "/x"},
        {"C:\\Program Files\\Orchard\\run.exe", "C:\\Program Files\\Orchard\\run.exe", ""},
        {"C:\\Program Files\\Orchard /x", "C:\\Program", "Files\\Orchard /x"}, // a folder
        {"C:\\PROD\\RUN.EXE .", "C:\\PROD\\RUN.EXE", "."},
        {"C:\\PROD\\RUN.EXE -d ..\\..\\x.dat", "C:\\PROD\\RUN.EXE", "-d ..\\..\\x.dat"},
        {"  C:\\RUN.EXE  -a", "C:\\RUN.EXE", "-a"},
        {"C:\\a,b.exe x", "C:\\a,b.exe", "x"},
        {"C:\\PROD\\RUN.EXE -d ../../x.dat", "C:\\PROD\\RUN.EXE", "-d ../../x.dat"},
        {"C:\\Program Files\\Orchard\\run.exe2 /x", "C:\\Program", "Files\\Orchard\\run.exe2 /x"},
        {line512.c_str(), "C:\\PROD\\RUN.EXE", line512.c_str() + 16},
    };
    for (const Case &c : cases) {
        char program[64];
        std::memset(program, 'J', sizeof program);
        const char *rest = SplitCommandLine(c.line, program, sizeof program);
        ASSERT_NE(rest, nullptr) << c.line;
        EXPECT_STREQ(program, c.program) << c.line;
        EXPECT_STREQ(rest, c.rest) << c.line;
    }
    char small[8];
    EXPECT_EQ(SplitCommandLine("C:\\LONGNAME.EXE", small, sizeof small), nullptr);
    EXPECT_NE(SplitCommandLine("C:\\A.EX", small, sizeof small), nullptr); // 7 characters fit
    EXPECT_EQ(SplitCommandLine("C:\\A.EXE", small, sizeof small), nullptr); // 8 leave no room for the end
}

} // namespace
