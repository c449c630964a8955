// Import of the full-size project's Standard MIDI File (format 1, 17 tracks, time base 960): the
// read into events and the transcription into songs, in memory. Memory beside the time: the bytes
// the events and the songs hold, and the process's peak resident size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "bench_project.h"
#include "export/midi_file_writer.h"
#include "import/smf_transcriber.h"

namespace plume {
namespace {

constexpr const char* kGoal = "goal: 1 s";

const std::vector<std::uint8_t>& benchFile() {
    static const std::vector<std::uint8_t> file = [] {
        MidiExportOptions options;
        options.timeBase = 960;
        return buildMidiFile(benchProject().project, options);
    }();
    return file;
}

void midiImport(benchmark::State& state) {
    const std::vector<std::uint8_t>& bytes = benchFile();
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
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_bytes"] = double(bytes.size());
    state.counters["notes"] = double(notes);
    state.counters["songs"] = double(songs);
    state.counters["records"] = double(records);
    state.counters["event_MB"] = double(eventBytes) / 1e6;
    state.counters["songs_MB"] = double(records * sizeof(SongRecord)) / 1e6;
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.SetLabel(kGoal);
}
BENCHMARK(midiImport)->Name("MidiImport/Format1_16x19999_tb960")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plume
