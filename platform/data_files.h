#pragma once
// Files the program ships beside its code (the chord help, the sounds): next to the executable in
// a build folder, in <prefix>/share/plume once installed with the executable in <prefix>/bin.

#include <filesystem>
#include <string_view>

namespace plume::platform {

// The first of PROGRAM_DIR/NAME and PROGRAM_DIR/../share/plume/NAME that exists; the first one
// when neither does, so that a message names where the file was looked for.
std::filesystem::path dataFileFrom(const std::filesystem::path& programDir, std::string_view name);

// The same from the running executable's folder.
std::filesystem::path dataFile(std::string_view name);

}  // namespace plume::platform
