#include <gtest/gtest.h>

#include "score/score_position.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

// Line 0 grand (153), line 1 treble (102), line 2 treble, final (102).
std::vector<SongRecord> threeLines() {
    std::vector<SongRecord> song = group({note(3, 50), note(3, 70)});
    addGroups(song, {barLine(), note(3, 60), barLine(), note(3, 62), lineBreak(), note(3, 72), lineBreak(), note(3, 74)});
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
    const LineTable grand = laidOut(song, {.grandStaff = true});
    // {table, top line, y, line}: a grand staff's band is 139 high, and below it, as below every
    // line, is the last line; with the grand-staff setting every line is 139 further
    const std::tuple<const LineTable*, int, int, int> cases[] = {
        {&table, 0, 0, 0},   {&table, 0, 138, 0}, {&table, 0, 153, 1},  {&table, 0, 254, 1},
        {&table, 0, 255, 2}, {&table, 0, 140, 2}, {&table, 0, 5000, 2}, {&table, 1, 0, 1},
        {&table, 1, 102, 2}, {&grand, 0, 138, 0}, {&grand, 0, 139, 1},  {&grand, 1, 139, 2},
        {&grand, 1, 5000, 2}};
    for (const auto& [lines, top, y, line] : cases) EXPECT_EQ(lineAtY(*lines, top, y), line) << top << " " << y;
}

TEST(ScorePosition, VisibleLinesFitTheClientHeight) {
    const LineTable table = laidOut(threeLines()), grand = laidOut(threeLines(), {.grandStaff = true});
    EXPECT_EQ((std::vector{visibleLineCount(table, 0, 153), visibleLineCount(table, 0, 154), visibleLineCount(table, 1, 1000),
                           visibleLineCount(grand, 0, 140), visibleLineCount(grand, 1, 1000)}),
              (std::vector{1, 2, 2, 2, 2}));
}

TEST(ScorePosition, StatusNumbersCountBarsAndLineBreaks) {
    const auto song = threeLines();
    const LineTable table = laidOut(song);
    std::vector<StatusNumbers> numbers;
    for (ScorePosition p : {ScorePosition{0, 0}, {0, 2}, {0, 5}, {1, 0}, {2, 1}}) numbers.push_back(statusNumbers(song, table, p));
    EXPECT_EQ(numbers, (std::vector<StatusNumbers>{{1, 1}, {1, 2}, {1, 3}, {2, 4}, {3, 5}}));
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
