#include "cli/import_command.h"

#include <filesystem>

#include "cli/commands.h"
#include "import/midi_import.h"

namespace plume::cli {

const char* const kImportUsage =
    "usage: plume-cli import IN.mid [-o OUT.PRJ|OUT.PLM] [--grid 32|16|8] [--no-triplets]\n"
    "Reads a Standard MIDI File (format 0 or 1) and writes one song per channel that has notes,\n"
    "with a project over them when there is more than one; without -o they go beside IN under its\n"
    "name. Notes are quantised to the grid (default 16: 16th notes; triplets where a beat fits them\n"
    "better, unless --no-triplets). Prints one line per file written:\n"
    "  song PATH: track T, channel C, N records\n"
    "  project PATH: M members\n";

namespace {

int usage(std::ostream& err, const std::string& why) {
    err << "plume-cli: import: " << why << '\n' << kImportUsage;
    return kUsage;
}

}  // namespace

int importCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string in;
    std::string target;
    ImportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--grid";
        if (takesValue && i + 1 >= args.size()) return usage(err, arg + " needs a value");
        const std::string value = takesValue ? args[++i] : "";
        if (arg == "-o") {
            target = value;
        } else if (arg == "--grid") {
            if (value != "32" && value != "16" && value != "8") return usage(err, "--grid is 32, 16 or 8");
            options.grid = std::stoi(value);
        } else if (arg == "--no-triplets") {
            options.triplets = false;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (in.empty()) {
            in = arg;
        } else {
            return usage(err, "takes one MIDI file");
        }
    }
    if (in.empty()) return usage(err, "needs a MIDI file");
    // Nothing is written into a folder that is not there.
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder)) {
        err << "plume-cli: " << folder.string() << ": no such folder\n";
        return kBadData;
    }

    const MidiImportResult result = importMidiFile(in, target, options);
    if (!result.ok) return kBadData;
    // The songs are written in order, the project last.
    const std::vector<ImportedSong>& songs = result.music.songs;
    std::size_t members = 0;
    for (std::size_t i = 0; i < result.written.size(); ++i) {
        if (i >= songs.size()) {
            out << "project " << result.written[i].string() << ": " << members << " members\n";
            continue;
        }
        if (songs[i].slot >= 0) ++members;
        out << "song " << result.written[i].string() << ": track " << songs[i].track + 1 << ", channel "
            << songs[i].channel + 1 << ", " << songs[i].records.size() << " records\n";
    }
    return kOk;
}

}  // namespace plume::cli
