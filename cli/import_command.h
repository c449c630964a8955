#pragma once
// `plume-cli import`: a Standard MIDI File written as songs (and a project), one line per file.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

// args: IN.mid [-o OUT.PRJ|OUT.PLM] [--grid 32|16|8] [--no-triplets]
int importCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kImportUsage;

}  // namespace plume::cli
