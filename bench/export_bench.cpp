// Standard MIDI File export of a full project: 16 members of 19,999 records at time base 960,
// built in memory. Each member is a varied song: chords, rests, ties, tuplets, delays, effects,
// tempo changes and curve pieces stepping every 0-50 ms; four of them are rhythm members.
#include <benchmark/benchmark.h>

#include "export/midi_file_writer.h"
#include "bench_project.h"

namespace plume {
namespace {

constexpr const char* kGoal = "goal: 300 ms";

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
