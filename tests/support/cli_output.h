#pragma once
// What a plume-cli run that must succeed writes; a failed run fails the test with its messages.

#include "support/cli_run.h"

namespace plume::test {

inline std::string outputOf(const std::vector<std::string>& args) {
    const CliRun run = runCommand(args);
    EXPECT_EQ(run.status, 0) << testing::PrintToString(args) << "\n" << run.err;
    return run.out;
}

}  // namespace plume::test
