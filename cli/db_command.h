#pragma once
// `plume-cli db`: a song database's records, and its search.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

// args: IN.QDB [--find category|memo|file TEXT [--exact] [--from N] [--backward]]
int dbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kDbUsage;

}  // namespace plume::cli
