#pragma once
// `plume-cli chords`: the three candidate lists of "コード判別" for a range of a song.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

// args: IN.PLM --from A --to B (record indices of the range's first and last group starts)
int chordsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kChordsUsage;

}  // namespace plume::cli
