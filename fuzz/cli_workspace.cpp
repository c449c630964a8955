#include "fuzz/cli_workspace.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "cli/commands.h"
#include "cli/demo_project.h"
#include "database/song_database.h"
#include "platform/file_io.h"
#include "voice/wave_file.h"

namespace plume::fuzz {

namespace fs = std::filesystem;

void fillWorkspace(const fs::path& dir) {
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    std::ostringstream ignored;
    writeDemoProject(dir, ignored);
    const std::vector<DbRecord> records = {DbRecord::of("melody.PLM", "demo", "the melody"),
                                           DbRecord::of("bass.PLM", "demo", "\x83\x78\x81\x5B\x83\x58")};
    platform::writeFileAtomically(dir / "songs.QDB", serializeDatabase(records));
    // half a second of a sung A
    std::vector<std::int16_t> take(voice::kSampleRate / 2);
    for (std::size_t i = 0; i < take.size(); ++i)
        take[i] = std::int16_t(8000 * std::sin(2 * 3.14159265 * 440 * double(i) / voice::kSampleRate));
    platform::writeFileAtomically(dir / "take.wav", voice::wavFileBytes(take));
}

std::optional<std::vector<std::string>> confinedArguments(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kMaxArguments = 32;
    std::vector<std::string> args(1);
    for (std::uint8_t byte : bytes) {
        if (byte == '\n') {
            if (args.size() == kMaxArguments) break;
            args.emplace_back();
        } else {
            args.back() += byte == '/' || byte == '\0' ? '_' : char(byte);
        }
    }
    for (std::string& arg : args) {
        if (arg == "." || arg == "..") arg = "_";
        if (arg == "--realtime" || arg == "--wav" || arg == "--soundfont") return std::nullopt;
    }
    return args;
}

int runInWorkspace(const fs::path& dir, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const int status = cli::runCli(args, out, err);
    fs::current_path(before);
    return status;
}

std::vector<FileStamp> listing(const fs::path& dir) {
    std::vector<FileStamp> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        std::error_code ec;
        const std::uintmax_t size = entry.is_regular_file(ec) ? entry.file_size(ec) : 0;
        files.push_back({fs::relative(entry.path(), dir).string(), size, entry.last_write_time(ec)});
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}

}  // namespace plume::fuzz
