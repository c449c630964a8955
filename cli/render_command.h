#pragma once
// `plume-cli render`: the score as the view draws it, into a PNG. Built with Qt; without it the
// command says so.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

// args: IN.PLM -o OUT.png [--width PX] [--grand-staff] [--first-line N]
int renderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace plume::cli
