// Score layout of a song at the size a document can reach: 19,999 records in some 900 lines.
#include <benchmark/benchmark.h>

#include "score/effect_display.h"
#include "score/line_table.h"
#include "score/pitch_spelling.h"
#include "score/score_position.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr std::size_t kBenchRecords = 19999;
constexpr int kGroupsPerLine = 16;
constexpr int kVisibleHeight = 1000;  // a maximised window's client height
constexpr const char* kGoal = "goal with painting: 4 ms";

// filledSong with every 16th group replaced by a line break, padded with bar lines to the size.
const std::vector<SongRecord>& benchSong() {
    static const std::vector<SongRecord> song = [] {
        const std::vector<SongRecord> source = test::filledSong(kBenchRecords);
        const Records records(source);
        std::vector<SongRecord> out;
        out.reserve(kBenchRecords);
        int groups = 0;
        for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
            if (++groups % kGroupsPerLine == 0) {
                test::addGroup(out, {test::scoreMark(type::kLineBreak)});
                continue;
            }
            const std::size_t end = groupEnd(records, g);
            if (out.size() + (end - g) > kBenchRecords) break;
            out.insert(out.end(), source.begin() + std::ptrdiff_t(g), source.begin() + std::ptrdiff_t(end));
        }
        while (out.size() < kBenchRecords) test::addGroup(out, {test::scoreMark(type::kBarLine)});
        return out;
    }();
    return song;
}

void rebuild19999(benchmark::State& state) {
    const Records records(benchSong());
    const SongInfo info = SongInfo::defaults();
    LineTable table;
    for (auto _ : state) {
        table.rebuild(records, info);
        benchmark::DoNotOptimize(table.lineCount());
    }
    state.counters["lines"] = table.lineCount();
    state.SetLabel(kGoal);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kBenchRecords));
}
BENCHMARK(rebuild19999)->Name("Layout/Rebuild19999")->Unit(benchmark::kMicrosecond);

// The layout half of a repaint: rebuild, then place every group and note of the visible lines
// in the middle of the song, with the measure accidentals, as the drawing walks them.
void rebuildAndPlace19999(benchmark::State& state) {
    const Records records(benchSong());
    const SongInfo info = SongInfo::defaults();
    LineTable table;
    for (auto _ : state) {
        table.rebuild(records, info);
        const int topLine = table.lineCount() / 2;
        const int visible = visibleLineCount(table, topLine, kVisibleHeight);
        int sum = 0;
        for (int i = topLine; i < topLine + visible; ++i) {
            const ScoreLine& line = table.line(i);
            MeasureAccidentals measure(line.key);
            for (const PlacedGroup& g : LineGroups(records, line)) {
                for (std::size_t r = g.record; r < groupEnd(records, g.record) && records[r].isNote(); ++r) {
                    const PlacedPitch pitch = measure.place(records[r]);
                    sum += stepY(pitch.step, line.staffKind) + pitch.accidental + g.x;
                }
                measure.passGroup(records[g.record]);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetLabel(kGoal);
}
BENCHMARK(rebuildAndPlace19999)->Name("Layout/RebuildAndPlaceVisible19999")->Unit(benchmark::kMicrosecond);

// The effect-edit display lays the whole song out again on every caret move.
void effectLayout19999(benchmark::State& state) {
    const Records records(benchSong());
    std::size_t items = 0;
    for (auto _ : state) {
        const std::vector<EffectItem> layout = effectLayout(records, 0);
        items = layout.size();
        benchmark::DoNotOptimize(layout.data());
    }
    state.counters["items"] = double(items);
    state.SetLabel("goal: 4 ms, a caret move's share of a frame");
}
BENCHMARK(effectLayout19999)->Name("Layout/EffectDisplay19999")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plume
