#pragma once
// `plume-cli play`: a song or a project played by the sequencer and the MIDI output component,
// into an event list and/or a WAV file rendered by the built-in synthesiser.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

// args: IN.PLM|IN.PRJ [--events OUT.txt] [--wav OUT.wav] [--soundfont SF2] [--interrupt 1|2|5]
//       [--reset auto|gm|gs|none] [--realtime] [--mute CH[,CH...]] [--solo CH]
int playCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kPlayUsage;

}  // namespace plume::cli
