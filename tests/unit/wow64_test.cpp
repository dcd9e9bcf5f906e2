// The installation probe on 64-bit Windows: the 32-bit registry view first,
// the 64-bit view only when the record is not in the 32-bit one.
#include <cstring>
#include <string>

#include "launcher.h"
#include "sim_fixture.h"

namespace {

const char kKey[] = "SOFTWARE\\Vantorel\\Orchard\\2.1\\Paper";

class Wow64Probe : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        Prepare();
    }

    // A machine with the disc in D: and both candidate programs on C:; the
    // registry starts empty.
    void Prepare() {
        WriteFile("disc/LAUNCH/install.ini", "[Paper]\r\nProgramName=Orchard\r\nVersion=2.1\r\n");
        WriteFile("c/PROD32/RUN.EXE", "MZ");
        WriteFile("c/PROD64/RUN.EXE", "MZ");
        sim::MapDrive('D', DRIVE_CDROM, Scratch() + "/disc");
        sim::MapDrive('C', DRIVE_FIXED, Scratch() + "/c");
    }

    InstallStatus Run() {
        std::memset(program_, 'J', sizeof program_);
        std::memset(command_, 'J', sizeof command_);
        return ProbeProduct("Paper", "D:\\LAUNCH\\install.ini", program_, command_);
    }

    static void Record(sim::View view, const std::string &cd, const std::string &command) {
        sim::SetRegString(kKey, "CD", cd, view);
        sim::SetRegString(kKey, "CommandLine", command, view);
    }

    // The access asked for on each open, in order.
    static std::string Looks() {
        std::string looks;
        for (const sim::RegOpen &open : sim::RegOpens()) {
            EXPECT_EQ(open.path, kKey);
            EXPECT_EQ(open.sam & KEY_READ, (REGSAM)KEY_READ);
            EXPECT_EQ(open.sam & KEY_WOW64_32KEY, 0u);
            looks += (open.sam & KEY_WOW64_64KEY) ? "64" : "32";
            looks += open.result == ERROR_SUCCESS ? "+ " : "- ";
        }
        return looks;
    }

    char program_[PROGRAM_NAME_SIZE];
    char command_[COMMAND_LINE_SIZE];
};

struct ViewCase {
    const char *name;
    bool in32;         // a record in the 32-bit view, for C:\PROD32\RUN.EXE
    bool in64;         // a record in the 64-bit view, for C:\PROD64\RUN.EXE
    bool broken64;     // the 64-bit record names a program that is not there
    InstallStatus status;
    const char *command;
    const char *looks;
};

const ViewCase kViewCases[] = {
    {"neither view", false, false, false, NotInstalled, "", "32- 64- "},
    {"only the 64-bit view", false, true, false, Installed, "C:\\PROD64\\RUN.EXE /64", "32- 64+ "},
    {"only the 32-bit view", true, false, false, Installed, "C:\\PROD32\\RUN.EXE /32", "32+ "},
    {"both views: the 32-bit one wins", true, true, false, Installed, "C:\\PROD32\\RUN.EXE /32", "32+ "},
    {"only a broken 64-bit record", false, true, true, Incomplete, "C:\\PROD64\\GONE.EXE /64", "32- 64+ "},
};

TEST_F(Wow64Probe, ThirtyTwoBitViewFirstThenSixtyFourOnce) {
    for (const ViewCase &c : kViewCases) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        Prepare();
        if (c.in32)
            Record(sim::View32, "C", "C:\\PROD32\\RUN.EXE /32");
        if (c.in64)
            Record(sim::View64, "C", c.broken64 ? "C:\\PROD64\\GONE.EXE /64" : "C:\\PROD64\\RUN.EXE /64");

        EXPECT_EQ(Run(), c.status);
        EXPECT_STREQ(command_, c.command);
        EXPECT_STREQ(program_, "Orchard");
        EXPECT_EQ(Looks(), c.looks);
        EXPECT_EQ(sim::Outstanding("key"), 0) << sim::LedgerReport();
    }
}

TEST_F(Wow64Probe, RecordKeyWithoutValuesInThe32BitViewStopsTheSearch) {
    // An empty record where 32-bit installers write means a broken
    // installation there; the 64-bit view is not consulted.
    sim::AddRegKey(kKey, sim::View32);
    Record(sim::View64, "C", "C:\\PROD64\\RUN.EXE");
    EXPECT_EQ(Run(), Incomplete);
    EXPECT_EQ(Looks(), "32+ ");
}

TEST_F(Wow64Probe, FailedFirstOpenStillLooksInThe64BitView) {
    // Whatever made the first open fail, the second look is made, and a
    // failing second look leaves the product not installed.
    Record(sim::View64, "C", "C:\\PROD64\\RUN.EXE");
    sim::FailCall("RegOpenKeyExA", 1);
    EXPECT_EQ(Run(), Installed);
    EXPECT_EQ(Looks(), "32- 64+ ");

    sim::Reset();
    Prepare();
    Record(sim::View64, "C", "C:\\PROD64\\RUN.EXE");
    sim::FailCall("RegOpenKeyExA", 2); // a system that refuses the 64-bit view
    EXPECT_EQ(Run(), NotInstalled);
    EXPECT_STREQ(command_, "");
    EXPECT_EQ(Looks(), "32- 64- ");
}

TEST_F(Wow64Probe, KeysAreClosedOnEveryOutcomeInTheSecondLook) {
    // A 64-bit record whose values cannot be read: the key opened on the
    // second look is closed all the same (the fixture checks the ledger).
    Record(sim::View64, "C", "C:\\PROD64\\RUN.EXE");
    sim::FailAlways("RegQueryValueExA");
    EXPECT_EQ(Run(), Incomplete);
    EXPECT_EQ(Looks(), "32- 64+ ");
    EXPECT_EQ(sim::Acquired("key"), 1);
}

} // namespace
