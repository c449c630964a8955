#include <gtest/gtest.h>

#include "score/score_position.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

// Line 0 grand (153), line 1 treble (102), line 2 treble, final (102).
std::vector<SongRecord> threeLines() {
    std::vector<SongRecord> song;
    addGroup(song, {note(3, 50), note(3, 70)});
    addGroup(song, {scoreMark(type::kBarLine)});
    addGroup(song, {note(3, 60)});
    addGroup(song, {scoreMark(type::kBarLine)});
    addGroup(song, {note(3, 62)});
    addGroup(song, {scoreMark(type::kLineBreak)});
    addGroup(song, {note(3, 72)});
    addGroup(song, {scoreMark(type::kLineBreak)});
    addGroup(song, {note(3, 74)});
    return song;
}

LineTable laidOut(const std::vector<SongRecord>& song, LayoutOptions options = {}) {
    LineTable table;
    table.rebuild(song, SongInfo::defaults(), options);
    return table;
}

TEST(ScorePosition, YFindsTheLineByItsBand) {
    const auto song = threeLines();
    const LineTable table = laidOut(song);
    EXPECT_EQ(lineAtY(table, 0, 0), 0);
    EXPECT_EQ(lineAtY(table, 0, 138), 0);
    EXPECT_EQ(lineAtY(table, 0, 153), 1);
    EXPECT_EQ(lineAtY(table, 0, 254), 1);
    EXPECT_EQ(lineAtY(table, 0, 255), 2);
    // a grand staff's band is 139 high: below it, and below every line, is the last line
    EXPECT_EQ(lineAtY(table, 0, 140), 2);
    EXPECT_EQ(lineAtY(table, 0, 5000), 2);
    // counted from the top line
    EXPECT_EQ(lineAtY(table, 1, 0), 1);
    EXPECT_EQ(lineAtY(table, 1, 102), 2);

    // WITH the grand-staff setting every line is 139 further
    const LineTable grand = laidOut(song, {.grandStaff = true});
    EXPECT_EQ(lineAtY(grand, 0, 138), 0);
    EXPECT_EQ(lineAtY(grand, 0, 139), 1);
    EXPECT_EQ(lineAtY(grand, 1, 139), 2);
    EXPECT_EQ(lineAtY(grand, 1, 5000), 2);
}

TEST(ScorePosition, VisibleLinesFitTheClientHeight) {
    const auto song = threeLines();
    EXPECT_EQ(visibleLineCount(laidOut(song), 0, 153), 1);
    EXPECT_EQ(visibleLineCount(laidOut(song), 0, 154), 2);
    EXPECT_EQ(visibleLineCount(laidOut(song), 1, 1000), 2);
    EXPECT_EQ(visibleLineCount(laidOut(song, {.grandStaff = true}), 0, 140), 2);
    EXPECT_EQ(visibleLineCount(laidOut(song, {.grandStaff = true}), 1, 1000), 2);
}

TEST(ScorePosition, StatusNumbersCountBarsAndLineBreaks) {
    const auto song = threeLines();
    const LineTable table = laidOut(song);
    EXPECT_EQ(statusNumbers(song, table, {0, 0}), (StatusNumbers{1, 1}));
    EXPECT_EQ(statusNumbers(song, table, {0, 2}), (StatusNumbers{1, 2}));
    EXPECT_EQ(statusNumbers(song, table, {0, 5}), (StatusNumbers{1, 3}));
    EXPECT_EQ(statusNumbers(song, table, {1, 0}), (StatusNumbers{2, 4}));
    EXPECT_EQ(statusNumbers(song, table, {2, 1}), (StatusNumbers{3, 5}));
}

TEST(ScorePosition, CaretIsCentredInItsLine) {
    const auto song = threeLines();
    const LineTable table = laidOut(song);
    const int x0 = table.line(0).staffX0;
    EXPECT_EQ(caretPosition(song, table, 0, {0, 2}, 0), (CaretPosition{x0 + 42, (153 - 80) / 2}));
    EXPECT_EQ(caretPosition(song, table, 0, {1, 1}, 1), (CaretPosition{table.line(1).staffX0, 153 + 11}));
    EXPECT_EQ(caretPosition(song, table, 1, {2, 0}, 0), (CaretPosition{table.line(2).staffX0, 102 + 11}));
}

TEST(ScorePosition, ScrollRangesFollowTheDisplayMode) {
    const LineTable table = laidOut(threeLines());
    EXPECT_EQ(scrollRanges(table, DisplayMode::Score, 40), (ScrollRanges{true, 2, 500}));
    EXPECT_EQ(scrollRanges(table, DisplayMode::EffectEdit, 40), (ScrollRanges{false, 2, 39}));
    EXPECT_EQ(clampEffectPosition(45, 40), 39);
    EXPECT_EQ(clampEffectPosition(-1, 40), 0);
}

}  // namespace
}  // namespace plume
