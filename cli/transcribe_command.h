#pragma once
// `plume-cli transcribe`: a WAV file through the pitch detector, one line per analysed note.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

// args: IN.wav [--tempo N] [--detect-way 0|1] [-o OUT.PLM]
int transcribeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kTranscribeUsage;

}  // namespace plume::cli
