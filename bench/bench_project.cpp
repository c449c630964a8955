#include "bench_project.h"

#include <random>

#include "play/performer_songs.h"
#include "support/song_builder.h"

namespace plume {

namespace {

constexpr std::size_t kBenchRecords = 19999;
constexpr unsigned kChordPercent = 50;

// variedSong's groups with a plain chord (two to four notes, no effects) after about every other
// one, as dense as a full arrangement: some 15,000 notes a member. Cut at the last group that fits,
// padded with bar lines to the size.
std::vector<SongRecord> member(std::uint32_t seed, bool rhythm) {
    const std::vector<SongRecord> source = test::variedSong(seed, kBenchRecords, rhythm);
    const Records records(source);
    std::mt19937 random(seed);
    std::vector<SongRecord> out;
    out.reserve(kBenchRecords);
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const std::size_t end = groupEnd(records, g);
        if (out.size() + (end - g) > kBenchRecords) break;
        out.insert(out.end(), source.begin() + std::ptrdiff_t(g), source.begin() + std::ptrdiff_t(end));
        if (random() % 100 >= kChordPercent) continue;
        const std::size_t voices = 2 + random() % 3;
        if (out.size() + voices > kBenchRecords) break;
        const std::uint8_t type = std::uint8_t(3 + random() % 2), gate = std::uint8_t(40 + random() % 61);
        const int root = rhythm ? 35 + int(random() % 30) : 40 + int(random() % 40);
        const std::size_t first = out.size();
        for (std::size_t v = 0; v < voices; ++v)
            out.push_back(test::playedNote(type, std::uint8_t(root + 3 * int(v) + int(random() % 2)), 0, gate));
        out[first].setGroupSize(std::uint8_t(voices));
    }
    while (out.size() < kBenchRecords) test::addGroup(out, {test::scoreMark(type::kBarLine)});
    return out;
}

}  // namespace

const BenchProject& benchProject() {
    static const BenchProject bench = [] {
        BenchProject b;
        for (std::size_t i = 0; i < 16; ++i) {
            const bool rhythm = i % 4 == 3;
            b.songs[i] = member(std::uint32_t(1000 + i), rhythm);
            SongInfo info = SongInfo::defaults();
            if (rhythm) info.setFileKind(0);
            b.project.tracks[i] = {b.songs[i], info};
        }
        b.project.title = "bench";
        return b;
    }();
    return bench;
}


}  // namespace plume
