// Record operations of the document at the size a song can reach.
#include <benchmark/benchmark.h>

#include <vector>

#include "song/plm_doc.h"

namespace plume {
namespace {

constexpr std::size_t kBenchRecords = 19998;

// One-record groups: quarter notes with a bar line after every fourth.
std::vector<SongRecord> benchRecords() {
    std::vector<SongRecord> records(kBenchRecords);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const bool bar = i % 5 == 4;
        records[i].bytes = {1, kind::kScore, bar ? type::kBarLine : std::uint8_t(3), 0, 0,
                            std::uint8_t(bar ? 0 : 48 + i % 36), std::uint8_t(bar ? 0 : 100), 0,
                            std::uint8_t(bar ? 0 : 75), 0};
    }
    return records;
}

// Inserting a one-record group (a bar line) before record 0 of a 19,998-record song moves every
// record. Only the insertion is timed; the group is deleted again outside the timed part.
void insertGroupAtStartOf19998(benchmark::State& state) {
    CPlmDoc doc;
    SongData song;
    song.records = benchRecords();
    if (!doc.load(song)) state.SkipWithError("the song did not load");
    for (auto _ : state) {
        if (!doc.insertTypeGroup(0, type::kBarLine)) state.SkipWithError("the insertion was refused");
        benchmark::ClobberMemory();
        state.PauseTiming();
        doc.deleteGroup(0);
        state.ResumeTiming();
    }
    state.SetLabel("part of note entry, goal 2 ms");
}
BENCHMARK(insertGroupAtStartOf19998)->Name("DocInsertGroupAtStart/19998/deletedUntimed");

}  // namespace
}  // namespace plume
