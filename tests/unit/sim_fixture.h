// Test fixture over the simulated platform: a fresh machine per test, a
// scratch folder for real files, and a ledger check at the end.
#ifndef TESTS_SIM_FIXTURE_H
#define TESTS_SIM_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "sim.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file under the scratch folder (folders made as needed) and
    // returns its host path.
    std::string WriteFile(const std::string &relative, const std::string &content);
    void RemoveFile(const std::string &relative);
    // The scratch folder; MapDrive a letter to it to give the file a Windows path.
    const std::string &Scratch() const { return scratch_; }

    // Set false in a test that checks the ledger itself.
    bool check_ledger_ = true;

private:
    std::string scratch_;
};

#endif
