// Standard MIDI File export of a full project: 16 members of 19,999 records at time base 960,
// built in memory. Each member is a varied song: chords, rests, ties, tuplets, delays, effects,
// tempo changes and curve pieces stepping every 0-50 ms; four of them are rhythm members.
#include <benchmark/benchmark.h>

#include <array>

#include "export/midi_file_writer.h"
#include "play/performer_songs.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr std::size_t kBenchRecords = 19999;
constexpr const char* kGoal = "goal: 300 ms";

struct BenchProject {
    std::array<std::vector<SongRecord>, 16> songs;
    ExportProject project;
};

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

void midiExport(benchmark::State& state, int format) {
    const ExportProject& project = benchProject().project;
    MidiExportOptions options;
    options.format = format;
    options.timeBase = 960;
    std::size_t size = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> file = buildMidiFile(project, options);
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = double(size);
    state.SetLabel(kGoal);
}
BENCHMARK_CAPTURE(midiExport, format0, 0)->Name("MidiExport/Format0_16x19999")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(midiExport, format1, 1)->Name("MidiExport/Format1_16x19999")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plume
