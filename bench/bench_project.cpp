#include "bench_project.h"

#include "play/performer_songs.h"
#include "support/song_builder.h"

namespace plume {

namespace {

constexpr std::size_t kBenchRecords = 19999;


// variedSong cut at the last group that fits, padded with bar lines to the size.
std::vector<SongRecord> member(std::uint32_t seed, bool rhythm) {
    const std::vector<SongRecord> source = test::variedSong(seed, kBenchRecords, rhythm);
    const Records records(source);
    std::vector<SongRecord> out;
    out.reserve(kBenchRecords);
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const std::size_t end = groupEnd(records, g);
        if (out.size() + (end - g) > kBenchRecords) break;
        out.insert(out.end(), source.begin() + std::ptrdiff_t(g), source.begin() + std::ptrdiff_t(end));
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
