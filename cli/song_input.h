#pragma once
// The song a command reads: one reading, one set of messages for every command.

#include <optional>
#include <ostream>
#include <string>

#include "song/song_file.h"

namespace plume::cli {

// Reads a song without converting the file on disk; reports and yields nullopt on failure.
std::optional<SongReadResult> loadSong(const std::string& path, std::ostream& err);

}  // namespace plume::cli
