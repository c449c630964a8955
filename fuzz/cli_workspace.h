#pragma once
// A folder of input files for running plume-cli in-process on arbitrary arguments: the demo
// project and its songs, a song database and a sung take. Arguments are confined to the folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace plume::fuzz {

// Empties `dir` and writes the input files into it.
void fillWorkspace(const std::filesystem::path& dir);

// One argument a line. Every argument becomes a name inside the current folder: "/" turns into
// "_" and "." or ".." into "_", so no command can reach outside it. nullopt for the options
// that need a real device or a SoundFont (--realtime, --wav, --soundfont), which are slow by
// design rather than faulty.
std::optional<std::vector<std::string>> confinedArguments(std::span<const std::uint8_t> bytes);

// runCli with `dir` as the current folder, which is restored afterwards.
int runInWorkspace(const std::filesystem::path& dir, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);

// Names, sizes and modification times of the files under `dir`, to show that a command changed nothing.
struct FileStamp {
    std::string name;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
std::vector<FileStamp> listing(const std::filesystem::path& dir);

}  // namespace plume::fuzz
