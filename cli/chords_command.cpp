#include "cli/chords_command.h"

#include <algorithm>
#include <optional>

#include "cli/commands.h"
#include "cli/song_input.h"
#include "score/chord_identify.h"
#include "song/song_file.h"

namespace plume::cli {

const char* const kChordsUsage =
    "usage: plume-cli chords IN.PLM --from A --to B\n"
    "Prints the chord candidates of the range whose first group starts at record A and whose last\n"
    "group starts at record B (the FIRST column of 'dump'), as three lines '1 NAME...', '2 NAME...',\n"
    "'3 NAME...': names in the order found, spelled by the song's key.\n";

namespace {

std::optional<std::size_t> recordIndex(const std::string& text) {
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return std::nullopt;
    return std::stoul(text);
}

bool isGroupStart(Records records, std::size_t index) {
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        if (g == index) return true;
        if (g > index) return false;
    }
    return false;
}

int usage(std::ostream& err, const std::string& problem) {
    err << "plume-cli: chords: " << problem << '\n';
    return kUsage;
}

void printList(std::ostream& out, int number, const std::vector<std::string>& names) {
    out << number;
    for (const std::string& name : names) out << ' ' << name;
    out << '\n';
}

}  // namespace

int chordsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    std::optional<std::size_t> from, to;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--from" || arg == "--to") {
            if (i + 1 >= args.size()) return usage(err, arg + " needs a record index");
            const auto index = recordIndex(args[++i]);
            if (!index) return usage(err, arg + " takes a record index");
            (arg == "--from" ? from : to) = index;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (path.empty()) {
            path = arg;
        } else {
            return usage(err, "takes one song file");
        }
    }
    if (path.empty() || !from || !to) return usage(err, "needs a song file, --from and --to");

    const auto loaded = loadSong(path, err);
    if (!loaded) return kBadData;
    const SongReadResult& read = *loaded;
    const Records records(read.song.records);
    for (std::size_t index : {*from, *to}) {
        if (!isGroupStart(records, index))
            return usage(err, "record " + std::to_string(index) + " does not start a group");
    }
    if (*from > *to) return usage(err, "--from is after --to");

    const ChordRange range{*from, *to};
    const ChordCandidates lists = identifyChords(pitchClassSet(records, range), read.song.info.keySignature());
    printList(out, 1, lists.first);
    printList(out, 2, lists.second);
    printList(out, 3, lists.third);
    return kOk;
}

}  // namespace plume::cli
