#include "sim_fixture.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void MakeDirs(const std::string &path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0755);
    }
}
} // namespace

void SimTest::SetUp() {
    sim::Reset();
    char templ[] = "/tmp/launcher-test-XXXXXX";
    char *dir = mkdtemp(templ);
    ASSERT_NE(dir, nullptr);
    scratch_ = dir;
}

void SimTest::TearDown() {
    if (check_ledger_) {
        EXPECT_EQ(sim::Outstanding(), 0) << sim::LedgerReport();
        EXPECT_TRUE(sim::LedgerErrors().empty()) << sim::LedgerReport();
    }
    std::string cmd = "rm -rf '" + scratch_ + "'";
    if (std::system(cmd.c_str()) != 0)
        ADD_FAILURE() << "could not remove " << scratch_;
}

std::string SimTest::WriteFile(const std::string &relative, const std::string &content) {
    std::string path = scratch_ + "/" + relative;
    MakeDirs(path.substr(0, path.rfind('/')));
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path;
}

void SimTest::RemoveFile(const std::string &relative) { unlink((scratch_ + "/" + relative).c_str()); }
