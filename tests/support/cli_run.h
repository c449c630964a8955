#pragma once
// plume-cli run in-process: its exit status and what it wrote, in a folder of the test's own.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "support/temp_dir.h"

namespace plume::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun runCommand(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::runCli(args, out, err);
    return {status, out.str(), err.str()};
}

class CliTest : public testing::Test {
protected:
    TempDir dir;
    // Writes a file into the test's folder and returns its path.
    std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        return dir.write(name, bytes).string();
    }
    static CliRun run(const std::vector<std::string>& args) { return runCommand(args); }
};

}  // namespace plume::test
