// A repaint of the score view on a song at the size a document can reach: the line table rebuilt
// from 19,999 records, then the visible lines drawn onto a canvas that only counts the calls.
#include "counting_canvas.h"
#include <benchmark/benchmark.h>

#include "score/score_painter.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr std::size_t kBenchRecords = 19999;
constexpr int kGroupsPerLine = 16;
constexpr const char* kGoal = "goal with the rebuild: 4 ms";

using bench::CountingCanvas;

// Lines of 16 groups with notes over both staves, chords, accidentals, dots, ties, a triplet,
// rests, bar lines, lyrics, chord names and effects.
const std::vector<SongRecord>& benchSong() {
    static const std::vector<SongRecord> song = [] {
        using namespace test;
        std::vector<SongRecord> out;
        out.reserve(kBenchRecords + 8);
        std::uint8_t key = 40;
        for (int group = 0; out.size() + 6 <= kBenchRecords; ++group) {
            const int column = group % kGroupsPerLine;
            key = std::uint8_t(40 + (key - 40 + 5) % 45);
            if (column == kGroupsPerLine - 1) {
                addGroup(out, {scoreMark(type::kLineBreak)});
            } else if (column % 5 == 4) {
                addGroup(out, {scoreMark(type::kBarLine)});
            } else if (column == 1) {
                addGroup(out, {note(3, std::uint8_t(key + 7)), note(3, std::uint8_t(key + 4)), note(3, key),
                               textRecord(kind::kChordName, "Am7")});
            } else if (column == 2) {
                addGroup(out, {note(4, key, mark::kTieBegin), effectValue(effect::kVolume, 90)});
                addGroup(out, {note(4, key, mark::kTieEnd), textRecord(kind::kLyric, "\x83\x68")});
            } else if (column >= 10 && column <= 12) {
                addGroup(out, {note(4, std::uint8_t(key + 1))});
                if (column == 12) markTuplet(out, {out.size() - 3, out.size() - 2, out.size() - 1}, 3);
            } else if (column == 13) {
                addGroup(out, {rest(9, 0, mark::kDotted)});
            } else {
                addGroup(out, {note(3, std::uint8_t(key + column % 2), 0, column == 6 ? mark::kDotted : 0)});
            }
        }
        while (out.size() < kBenchRecords) test::addGroup(out, {test::scoreMark(type::kBarLine)});
        return out;
    }();
    return song;
}

ScoreViewState middleOfTheSong(const LineTable& table) {
    ScoreViewState view;
    view.topLine = table.lineCount() / 2;
    view.width = 1280;  // a maximised window's client area
    view.height = 1000;
    view.cursor = {view.topLine + 1, 3};
    view.anchor = {view.topLine + 2, 5};
    return view;
}

void rebuildAndPaint19999(benchmark::State& state) {
    const Records records(benchSong());
    const SongInfo info = SongInfo::defaults();
    const GlyphSet glyphs;
    const ScorePainter painter(glyphs);
    LineTable table;
    long calls = 0;
    for (auto _ : state) {
        table.rebuild(records, info);
        CountingCanvas canvas;
        painter.paint(canvas, records, table, middleOfTheSong(table));
        calls = canvas.calls();
        benchmark::DoNotOptimize(calls);
    }
    state.counters["lines"] = table.lineCount();
    state.counters["calls"] = double(calls);
    state.SetLabel(kGoal);
}
BENCHMARK(rebuildAndPaint19999)->Name("Paint/RebuildAndPaintVisible19999")->Unit(benchmark::kMicrosecond);

// The drawing alone, on a grand staff throughout.
void paintVisible(benchmark::State& state) {
    const Records records(benchSong());
    const GlyphSet glyphs;
    const ScorePainter painter(glyphs);
    LineTable table;
    table.rebuild(records, SongInfo::defaults(), {.grandStaff = true});
    const ScoreViewState view = middleOfTheSong(table);
    for (auto _ : state) {
        CountingCanvas canvas;
        painter.paint(canvas, records, table, view);
        benchmark::DoNotOptimize(canvas.calls());
    }
    state.SetLabel("part of the 4 ms");
}
BENCHMARK(paintVisible)->Name("Paint/PaintVisibleGrandStaff")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plume
