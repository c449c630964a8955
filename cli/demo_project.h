#pragma once
// The demo project that `make run` opens: a few songs that show what the score can hold (chords,
// ties, tuplets, dotted notes, key and time changes, lyrics and chord names), and their project.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "song/song_file.h"

namespace plume {

struct DemoSong {
    std::string fileName;  // e.g. "melody.PLM"
    SongData song;
    bool openWindow;       // listed in the project's open-window list
};

std::vector<DemoSong> demoSongs();

inline constexpr const char* kDemoProjectName = "demo.PRJ";

// Writes the songs and kDemoProjectName into `folder` (created when missing) and returns the
// project's path; nullopt after a one-line message on `err`.
std::optional<std::filesystem::path> writeDemoProject(const std::filesystem::path& folder, std::ostream& err);

}  // namespace plume
