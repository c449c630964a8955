#include "cli/song_input.h"

#include "platform/file_io.h"

namespace plume::cli {

std::optional<SongReadResult> loadSong(const std::string& path, std::ostream& err) {
    const auto bytes = platform::readFile(path);
    if (!bytes) {
        err << "plume-cli: " << path << ": cannot open the file\n";
        return std::nullopt;
    }
    SongReadResult result = parseSong(*bytes);
    if (result.status == ReadStatus::WrongMagic) {
        err << "plume-cli: " << path << ": not a song file (no PLM magic)\n";
        return std::nullopt;
    }
    if (!result.ok()) {
        err << "plume-cli: " << path << ": データ形式が違います。 (the song data is broken or of an unknown layout)\n";
        return std::nullopt;
    }
    return result;
}

}  // namespace plume::cli
