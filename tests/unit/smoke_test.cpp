#include "sim_fixture.h"
#include "launcher.h"
class Smoke : public SimTest {};
TEST_F(Smoke, Builds) { EXPECT_EQ(RunLauncher(nullptr), 1); }
