// The simulated platform behaves as Windows does where the launcher depends
// on it: profile reading, registry reads, file existence and the module
// path. The profile answers and the file existence tests were checked
// against Wine with the same files (a small Windows program printing each
// lookup).
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "sim_fixture.h"

namespace {

class Platform : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        WriteFile("d/t.ini", "[Install]\r\n  Key1 =  value with spaces   \r\nkey2=\"quoted value\"\r\n"
                             "key3='single'\r\nkey4=\"unbalanced\r\nkey5=\r\nDup=first\r\nDup=second\r\n"
                             "key6 = \"  inner  \" \r\nkey7=\"a\"b\"\r\n;comment=yes\r\nkey8=a\tb\t\r\n"
                             "[ Spaced ]\r\nk=v\r\n[Other]\r\nkey1=other\r\n[install]\r\nlate=yes\r\n"
                             "[\tBlanks\x1a]\r\n \tTab\t =\t v1 \t\r\n\vVt\f=\x1a" "v2\x1a\r\nNbsp\xa0=v3\r\n"
                             "\x1f" "Ctl=v4\r\nCr\r=v5\r\n");
        sim::MapDrive('D', DRIVE_CDROM, Scratch() + "/d");
    }
};

TEST_F(Platform, ProfileStringsFollowWindowsRules) {
    const struct {
        const char *section, *key, *def, *expected;
    } cases[] = {
        {"INSTALL", "key1", "", "value with spaces"},
        {"install", "KEY2", "", "quoted value"},
        {"Install", "key3", "", "single"},
        {"Install", "key4", "", "\"unbalanced"},
        {"Install", "key5", "d", ""},
        {"Install", "missing", "  def  ", "  def"},
        {"Install", "dup", "", "first"},
        {"Install", "key6", "", "  inner  "},
        {"Install", "key7", "", "a\"b"},
        {"Install", ";comment", "", "yes"},
        {"Install", "key8", "", "a\tb"},
        // Only the first section of a name is read.
        {"Install", "late", "", ""},
        {"Spaced", "k", "", "v"},
        {"Other", "key1", "", "other"},
        {"Nosection", "k", "x", "x"},
        // Blanks as Wine shows them: space, tab, vertical tab, form feed and
        // Ctrl-Z, in the file and in the names asked for; a carriage return
        // ends a line.
        {"Blanks", "tab", "", "v1"},
        {" \x1a" "Blanks\t", "\tTab \v", "", "v1"},
        {"Blanks", "VT", "", "v2"},
        {"Blanks", "Nbsp\xa0", "", "v3"},
        {"Blanks", "Cr", "d", "d"},
    };
    for (const auto &c : cases) {
        char buffer[64];
        std::memset(buffer, 'J', sizeof buffer);
        DWORD n = GetPrivateProfileStringA(c.section, c.key, c.def, buffer, sizeof buffer, "D:\\t.ini");
        EXPECT_STREQ(buffer, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(n, std::strlen(c.expected)) << c.section << "/" << c.key;
    }
}

TEST_F(Platform, ProfileStringsAreCutToCapacityMinusOne) {
    char buffer[8];
    std::memset(buffer, 'J', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA("Install", "key1", "", buffer, 5, "D:\\t.ini"), 4u);
    EXPECT_EQ(std::string(buffer, 6), std::string("valu\0J", 6));
    std::memset(buffer, 'J', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA("Install", "key1", "", buffer, 1, "D:\\t.ini"), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 'J');
    // A missing file reads as the default.
    std::memset(buffer, 'J', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA("Install", "key1", "", buffer, sizeof buffer, "D:\\none.ini"), 0u);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(Platform, ProfileSectionsListTheirKeys) {
    const struct {
        const char *section;
        DWORD size;
        std::string expected; // every byte written, through the two terminators
        DWORD result;
        bool fails = false;
    } cases[] = {
        // Blanks around names and values go, quotes stay, comments are left out.
        {"INSTALL", 300,
         std::string("Key1=value with spaces\0key2=\"quoted value\"\0key3='single'\0key4=\"unbalanced\0key5=\0"
                     "Dup=first\0Dup=second\0key6=\"  inner  \"\0key7=\"a\"b\"\0key8=a\tb\0\0",
                     139),
         138},
        // Cut: still two terminators, and size - 2.
        {"install", 12, std::string("Key1=value\0\0", 12), 10},
        {"Install", 3, std::string("K\0\0", 3), 1},
        {"Install", 2, std::string("\0\0", 2), 0},
        {"Other", 20, std::string("key1=other\0\0", 12), 11},
        {"Nosection", 8, std::string("\0\0", 2), 0},
        {"Blanks", 60, std::string("Tab=v1\0Vt=v2\0Nbsp\xa0=v3\0\x1f" "Ctl=v4\0Cr\0=v5\0\0", 38), 37},
        // A failing call leaves the buffer alone.
        {"Install", 300, "", 0, true},
    };
    for (const auto &c : cases) {
        char buffer[320];
        std::memset(buffer, 'J', sizeof buffer);
        if (c.fails)
            sim::FailCall("GetPrivateProfileSectionA");
        DWORD n = GetPrivateProfileSectionA(c.section, buffer, c.size, "D:\\t.ini");
        EXPECT_EQ(n, c.result) << c.section << " " << c.size;
        EXPECT_EQ(std::string(buffer, c.expected.size() + 1), c.expected + "J") << c.section << " " << c.size;
    }
}

TEST_F(Platform, RegistryValuesComeBackAsStored) {
    sim::SetRegValue("SOFTWARE\\K", "bare", "ABC");   // no terminator
    sim::SetRegString("SOFTWARE\\K", "sz", "ABC");    // with one
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\k", 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE buffer[8];
    DWORD size, type;

    size = sizeof buffer;
    std::memset(buffer, 'J', sizeof buffer);
    EXPECT_EQ(RegQueryValueExA(key, "BARE", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(buffer[3], 'J'); // nothing terminated it

    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "sz", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);

    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "sz", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, (DWORD)REG_SZ);

    size = sizeof buffer;
    std::memset(buffer, 'J', sizeof buffer);
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(buffer[0], 'J');
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // The 64-bit view is separate and seen only when asked for.
    sim::SetRegString("SOFTWARE\\Only64", "v", "x", sim::View64);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Only64", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Only64", 0, KEY_READ | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Platform, ModulePathTruncationLeavesNoTerminator) {
    sim::SetModulePath("C:\\ABCDEFGH.EXE");
    char buffer[8];
    std::memset(buffer, 'J', sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 5), "C:\\AJ");
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 0), 0u);
}

TEST_F(Platform, FileExistenceAsWindowsReportsIt) {
    // OpenFile copies the path it found into the record's 128 characters:
    // 127 characters are found, 128 are refused although the file is there.
    const std::string folder = "d/" + std::string(100, 'f') + "/";
    const std::string p127 = "D:\\" + std::string(100, 'f') + "\\" + std::string(19, 'n') + ".exe";
    const std::string p128 = "D:\\" + std::string(100, 'f') + "\\" + std::string(20, 'n') + ".exe";
    ASSERT_EQ(p127.size(), 127u);
    WriteFile(folder + std::string(19, 'n') + ".exe", "MZ");
    WriteFile(folder + std::string(20, 'n') + ".exe", "MZ");
    OFSTRUCT of;
    std::memset(&of, 'J', sizeof of);
    EXPECT_EQ(OpenFile(p127.c_str(), &of, OF_EXIST), 1);
    EXPECT_EQ(std::string(of.szPathName), p127);
    std::memset(&of, 'J', sizeof of);
    EXPECT_EQ(OpenFile(p128.c_str(), &of, OF_EXIST), HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_INVALID_DATA);
    EXPECT_EQ(of.cBytes, sizeof of);
    // GetFileAttributesA takes both, tells a folder from a file, and drops
    // a last name's trailing dots and blanks.
    EXPECT_EQ(GetFileAttributesA(p128.c_str()), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA((p127 + " .").c_str()), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA(("D:\\" + std::string(100, 'f')).c_str()), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA("D:\\none.exe"), INVALID_FILE_ATTRIBUTES);
    // ".." pops the name before it, blanks and all; "RUN.EXE -d .." is a
    // name of its own (seen so under Wine).
    WriteFile("d/PROD/RUN.EXE", "MZ");
    WriteFile("d/PROD/x.dat", "");
    EXPECT_EQ(GetFileAttributesA("D:\\PROD\\RUN.EXE -d ../../x.dat"), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA("D:\\PROD\\RUN.EXE /../x.dat"), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA("D:\\PROD\\RUN.EXE -d ../x.dat"), INVALID_FILE_ATTRIBUTES);
}

// A drive without its disc keeps its type; each file query on it fails, and
// raises the system's "no disk" box unless the error mode says otherwise.
TEST_F(Platform, DriveWithoutItsDiscRaisesTheBoxUnlessTold) {
    const struct {
        const char *what;
        UINT mode;
        bool box;
    } modes[] = {
        {"default mode", 0, true},
        {"no open-file box only", SEM_NOOPENFILEERRORBOX, true},
        {"critical errors fail", SEM_FAILCRITICALERRORS, false},
        {"both", SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, false},
    };
    const struct {
        const char *call;
        bool (*fails)();
    } queries[] = {
        {"GetFileAttributesA", [] { return GetFileAttributesA("D:\\t.ini") == INVALID_FILE_ATTRIBUTES; }},
        {"OpenFile", [] {
             OFSTRUCT of;
             std::memset(&of, 'J', sizeof of);
             return OpenFile("D:\\t.ini", &of, OF_EXIST) == HFILE_ERROR && of.nErrCode == ERROR_NOT_READY;
         }},
        {"OpenFile, bare name in the module's folder", [] {
             OFSTRUCT of;
             sim::SetModulePath("D:\\GO.EXE");
             return OpenFile("t.ini", &of, OF_EXIST) == HFILE_ERROR;
         }},
        {"CreateFileA", [] {
             return CreateFileA("D:\\t.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE;
         }},
        {"GetPrivateProfileStringA", [] {
             char buffer[16];
             return GetPrivateProfileStringA("Install", "key1", "none", buffer, sizeof buffer, "D:\\t.ini") == 4 &&
                    std::string(buffer) == "none";
         }},
    };
    for (const auto &m : modes) {
        for (const auto &q : queries) {
            SCOPED_TRACE(std::string(m.what) + ": " + q.call);
            sim::Reset();
            sim::MapDrive('D', DRIVE_CDROM, Scratch() + "/d");
            sim::SetMediaPresent('D', false);
            EXPECT_EQ(SetErrorMode(m.mode), 0u);
            EXPECT_EQ(GetDriveTypeA("D:\\"), (UINT)DRIVE_CDROM);
            EXPECT_TRUE(q.fails());
            EXPECT_EQ(sim::CriticalErrorBoxes().size(), m.box ? 1u : 0u);
            EXPECT_EQ(sim::ErrorMode(), m.mode);
            // The disc back in the drive: the file is there again, no box.
            sim::MapDrive('D', DRIVE_CDROM, Scratch() + "/d");
            EXPECT_EQ(GetFileAttributesA("D:\\t.ini"), (DWORD)FILE_ATTRIBUTE_ARCHIVE);
            EXPECT_EQ(sim::CriticalErrorBoxes().size(), m.box ? 1u : 0u);
        }
    }
}

TEST_F(Platform, LedgerCatchesWhatIsLeftOpen) {
    check_ledger_ = false;
    sim::AddRegKey("SOFTWARE\\K");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\K", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(sim::Outstanding("key"), 1);
    RegCloseKey(key);
    RegCloseKey(key);
    EXPECT_EQ(sim::Outstanding("key"), 0);
    EXPECT_EQ(sim::LedgerErrors().size(), 1u); // the second close
}

// Handles count up through a long fuzzing run; none may come out equal to a
// stock object, which DeleteObject leaves alone.
TEST_F(Platform, NoNewHandleIsAStockObject) {
    struct {
        LOGPALETTE head;
        PALETTEENTRY more[1];
    } lp = {{0x300, 2, {{0, 0, 0, 0}}}, {{255, 255, 255, 0}}};
    std::set<uintptr_t> stock;
    for (int i = 0; i <= 19; ++i)
        stock.insert(reinterpret_cast<uintptr_t>(GetStockObject(i)));
    // Handles only count up, so only those around the stock values can meet
    // one: every handle from well below the lowest to well above the highest.
    const uintptr_t from = *stock.begin() - 0x100, to = *stock.rbegin() + 0x100;
    sim::SkipHandlesTo(from);
    int made = 0;
    for (uintptr_t h = 0; h <= to; ++made) {
        HPALETTE pal = CreatePalette(&lp.head);
        ASSERT_NE(pal, nullptr);
        h = reinterpret_cast<uintptr_t>(pal);
        ASSERT_EQ(stock.count(h), 0u) << std::hex << h;
        if (made == 0)
            ASSERT_LE(h, from + 0x10) << std::hex << h; // none was skipped past
        ASSERT_TRUE(DeleteObject(pal));
    }
    EXPECT_GE(made, static_cast<int>((to - from) / 0x10));
    EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
}

} // namespace
