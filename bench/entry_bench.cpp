// A note entered at record 0 of a song at the size a document can reach, timed with everything
// the view does for it: the undo snapshot, the record operations, the line-table rebuild, the
// cursor move and the repaint of the entry's line onto a canvas that only counts the calls.
// Inserting needs room for one more record, so the insertion runs on 19,998 records (19,999
// after it); overwriting runs on 19,999. Undoing the entry is not timed.
#include "counting_canvas.h"
#include <benchmark/benchmark.h>

#include "score/note_entry.h"
#include "score/score_painter.h"
#include "score/score_view.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr const char* kGoal = "goal: 2 ms";
constexpr int kClientWidth = 1280;

using bench::CountingCanvas;

// Lines of quarter notes, chords and bar lines closed by a line break every 16 groups.
std::vector<SongRecord> benchSong(std::size_t count) {
    using namespace test;
    std::vector<SongRecord> song;
    std::uint8_t key = 48;
    for (int group = 0; song.size() < count; ++group) {
        const std::size_t left = count - song.size();
        if (group % 16 == 15 && left > 1) addGroup(song, {scoreMark(type::kLineBreak)});
        else if (group % 5 == 4 || left < 3) addGroup(song, {scoreMark(type::kBarLine)});
        else if (group % 7 == 1)
            addGroup(song, {note(3, std::uint8_t(key + 7)), note(3, std::uint8_t(key + 4)), note(3, key)});
        else addGroup(song, {note(3, key)});
        key = std::uint8_t(48 + (key - 48 + 5) % 30);
    }
    return song;
}

void enterAtStart(benchmark::State& state, std::size_t records, bool insert) {
    CPlmDoc doc;
    if (!doc.load(test::songOf(benchSong(records)))) state.SkipWithError("the song did not load");
    ScoreView view(doc);
    view.setClientSize(kClientWidth, 900);
    const GlyphSet glyphs;
    const ScorePainter painter(glyphs);
    const EntrySettings settings{4, 0, insert};
    const std::vector<NotePair> pitch = {{72, 0}};
    long calls = 0;
    for (auto _ : state) {
        const EntryResult result = enterNotes(doc, view, settings, pitch);
        if (result.repaint != Repaint::Line) {
            state.SkipWithError("the entry did not repaint one line");
            break;
        }
        const ScoreLine& line = view.lines().line(result.line);
        CountingCanvas canvas;
        painter.paintLine(canvas, view.records(), line,
                          {{0, view.lineTop(result.line), kClientWidth, view.lineTop(result.line) + line.height},
                           view.scroll(), result.line == 0});
        calls = canvas.calls();
        state.PauseTiming();
        UndoPositions positions;
        view.undoRing().undo(doc, positions);
        view.restore(positions);
        state.ResumeTiming();
    }
    state.counters["records"] = double(doc.recordCount());
    state.counters["calls"] = double(calls);
    state.SetLabel(kGoal);
}

void insertAtStart19998(benchmark::State& state) { enterAtStart(state, kRecordLimit - 2, true); }
BENCHMARK(insertAtStart19998)->Name("Entry/InsertNoteAtRecord0Of19998")->Unit(benchmark::kMicrosecond);

void overwriteAtStart19999(benchmark::State& state) { enterAtStart(state, kRecordLimit - 1, false); }
BENCHMARK(overwriteAtStart19999)->Name("Entry/OverwriteNoteAtRecord0Of19999")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plume
