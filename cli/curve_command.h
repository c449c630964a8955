#pragma once
// `plume-cli curve`: the function sheet's OK over a range of a song file.

#include <ostream>
#include <string>
#include <vector>

namespace plume::cli {

extern const char* const kCurveUsage;

// args: IN.PLM --from A --to B --effect volume|modulation|bend
//       --function line|parabola|exp|sin|delete --start S --end E [--step 10..50] [--shape F]
//       [--peak F --phase F] [-o OUT.PLM]
int curveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace plume::cli
