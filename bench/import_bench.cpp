// Import of the full-size project's Standard MIDI File (format 1, 17 tracks, and format 0, one
// track; time base 960): the read into events and the transcription into songs, in memory. Memory
// beside the time: the bytes the events and the songs hold, the process's peak resident size, and
// how far the import raised it over the project and its file (run the benchmark alone for that).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <array>

#include "bench_project.h"
#include "export/midi_file_writer.h"
#include "import/smf_transcriber.h"

namespace plume {
namespace {

constexpr const char* kGoal = "goal: 1 s";

const std::vector<std::uint8_t>& benchFile(int format) {
    static const std::array<std::vector<std::uint8_t>, 2> files = [] {
        MidiExportOptions options;
        options.timeBase = 960;
        std::array<std::vector<std::uint8_t>, 2> built;
        for (const int f : {0, 1}) {
            options.format = f;
            built[std::size_t(f)] = buildMidiFile(benchProject().project, options);
        }
        return built;
    }();
    return files[std::size_t(format)];
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void midiImport(benchmark::State& state, int format) {
    const std::vector<std::uint8_t>& bytes = benchFile(format);
    const long before = peakKilobytes();
    std::size_t notes = 0, records = 0, eventBytes = 0, songs = 0;
    for (auto _ : state) {
        const SmfFile file = readSmf(bytes);
        const ImportedMusic music = transcribeSmf(file);
        benchmark::DoNotOptimize(music.songs.data());
        state.PauseTiming();
        notes = records = eventBytes = 0;
        songs = music.songs.size();
        for (const SmfTrack& track : file.tracks) {
            for (const SmfEvent& e : track.events) {
                eventBytes += sizeof(SmfEvent) + e.bytes.capacity();
                notes += e.isNoteOn() ? 1 : 0;
            }
        }
        for (const ImportedSong& song : music.songs) records += song.records.size();
        state.ResumeTiming();
    }
    const long peak = peakKilobytes();
    state.counters["file_bytes"] = double(bytes.size());
    state.counters["notes"] = double(notes);
    state.counters["songs"] = double(songs);
    state.counters["records"] = double(records);
    state.counters["event_MB"] = double(eventBytes) / 1e6;
    state.counters["songs_MB"] = double(records * sizeof(SongRecord)) / 1e6;
    state.counters["peak_rss_MB"] = double(peak) / 1024.0;
    state.counters["import_peak_MB"] = double(peak - before) / 1024.0;
    state.SetLabel(kGoal);
}
BENCHMARK_CAPTURE(midiImport, format1, 1)->Name("MidiImport/Format1_16x19999_tb960")->Unit(benchmark::kMillisecond);
// One track for sixteen songs: each song's clock follows every tempo change of the conductor.
BENCHMARK_CAPTURE(midiImport, format0, 0)->Name("MidiImport/Format0_16x19999_tb960")->Unit(benchmark::kMillisecond);

// Our own file small enough to read back whole (each member's first 2,000 records, format 1): the
// import exports what it read to check it against the file, and reads again the voices that differ
// (their curves come back as values, so most of them: the most this check costs).
void checkedImport(benchmark::State& state) {
    static const std::vector<std::uint8_t> bytes = [] {
        static std::array<std::vector<SongRecord>, 16> songs;
        ExportProject project = benchProject().project;
        for (std::size_t i = 0; i < 16; ++i) {
            const std::vector<SongRecord>& whole = benchProject().songs[i];
            const Records records(whole);
            std::size_t end = 0;
            while (end < records.size() && groupEnd(records, end) <= 2000) end = groupEnd(records, end);
            songs[i].assign(whole.begin(), whole.begin() + std::ptrdiff_t(end));
            project.tracks[i].records = songs[i];
        }
        MidiExportOptions options;
        options.format = 1;
        options.timeBase = 960;
        return buildMidiFile(project, options);
    }();
    std::size_t records = 0;
    for (auto _ : state) {
        const ImportedMusic music = transcribeSmf(readSmf(bytes));
        benchmark::DoNotOptimize(music.songs.data());
        records = 0;
        for (const ImportedSong& song : music.songs) records += song.records.size();
    }
    state.counters["file_bytes"] = double(bytes.size());
    state.counters["records"] = double(records);
}
BENCHMARK(checkedImport)->Name("MidiImport/Format1_16x2000_tb960_checked")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plume
