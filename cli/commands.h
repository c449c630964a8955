#pragma once
// plume-cli: batch use of the core. Output formats here are read by scripts: keep them exact.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

enum Exit { kOk = 0, kUsage = 1, kBadData = 2 };

// args excludes the program name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace plume::cli
