// The line table and the positions on it: staves, columns, clicks, status numbers, caret, scrolling.
#include <gtest/gtest.h>

#include <array>

#include "score/line_table.h"
#include "score/score_position.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

LineTable laidOut(const std::vector<SongRecord>& song, LayoutOptions options = {},
                  SongInfo info = SongInfo::defaults()) {
    LineTable table;
    table.rebuild(song, info, options);
    return table;
}

using Staff = std::array<int, 3>;  // staff kind, top, height
std::vector<Staff> staves(const LineTable& table) {
    std::vector<Staff> out;
    for (const ScoreLine& l : table.lines()) out.push_back({int(l.staffKind), l.top, l.height});
    return out;
}

constexpr int kGrand = 0, kTreble = 1, kBass = 2;

TEST(LineTable, StaffKindFollowsTheNoteRangeOfEachLine) {
    // GIVEN lines with notes at or above 53, from 52 to 67, spanning 50..70, then 50..68 last
    std::vector<SongRecord> song = groups({note(3, 53), note(3, 84), lineBreak()});
    addGroup(song, {note(3, 67), note(3, 52)});
    addGroups(song, {lineBreak(), note(3, 50), note(3, 70), lineBreak(), note(3, 50), note(3, 68)});
    // THEN treble, bass, grand (153) and a final grand staff of 139, stacked without gaps
    EXPECT_EQ(staves(laidOut(song)),
              (std::vector<Staff>{{kTreble, 0, 102}, {kBass, 102, 102}, {kGrand, 204, 153}, {kGrand, 357, 139}}));
    // a final treble line keeps its 102 (the layout command's test has the grand-staff setting and a final bass line)
    EXPECT_EQ(staves(laidOut({song.begin(), song.begin() + 2})), (std::vector<Staff>{{kTreble, 0, 102}}));
}

using Entry = std::array<int, 4>;  // first group, group count, bars before, key
std::vector<Entry> entries(const LineTable& table) {
    std::vector<Entry> out;
    for (const ScoreLine& l : table.lines()) out.push_back({int(l.firstGroup), l.groupCount, l.barsBefore, l.key});
    return out;
}

TEST(LineTable, LinesCountTheirGroupsBarsAndKeysEvenWhenEmpty) {
    // GIVEN in key 8: two bars and a key change to three sharps, then a time change and a bar
    std::vector<SongRecord> song = group({note(3, 60), effectValue(effect::kVolume, 90)});
    addGroups(song, {barLine(), metaKey(3), note(3, 62), barLine(), lineBreak(), metaTime(3, 2), note(3, 64), barLine()});
    SongInfo info = SongInfo::defaults();
    info.setKeySignature(8);
    const LineTable table = laidOut(song, {}, info);
    EXPECT_EQ(entries(table), (std::vector<Entry>{{0, 6, 0, 8}, {7, 3, 3, 3}}));
    EXPECT_EQ(std::pair(table.line(1).beats, table.line(1).beatUnit), std::pair(4, 2));

    // empty lines and empty songs
    const LineTable empties = laidOut(groups({note(3, 40), lineBreak(), lineBreak(), note(3, 40)}));
    EXPECT_EQ(entries(empties), (std::vector<Entry>{{0, 2, 0, 0}, {2, 1, 1, 0}, {3, 1, 2, 0}}));
    EXPECT_EQ(staves(empties), (std::vector<Staff>{{kBass, 0, 102}, {kTreble, 102, 102}, {kBass, 204, 102}}));
    std::vector<SongRecord> ended = group({note(3, 70), note(3, 40)});
    addGroup(ended, {lineBreak()});
    EXPECT_EQ(entries(laidOut(ended)), (std::vector<Entry>{{0, 2, 0, 0}, {3, 0, 1, 0}}));
    EXPECT_EQ(staves(laidOut(ended)), (std::vector<Staff>{{kGrand, 0, 153}, {kGrand, 153, 153}}));
    EXPECT_EQ(staves(laidOut({})), (std::vector<Staff>{{kGrand, 0, 139}}));
}

TEST(LineTable, GrowsPastThreeHundredLinesAndKeepsMarks) {
    std::vector<SongRecord> song;
    for (int i = 0; i < 349; ++i) addGroups(song, {note(3, 72), lineBreak()});
    addGroup(song, {note(3, 72)});
    LineTable table;
    table.setMarked(5, true);
    table.setMarked(320, true);  // past the table: ignored until the table grows
    table.rebuild(song, SongInfo::defaults());
    ASSERT_EQ(table.lineCount(), 350);
    EXPECT_EQ(entries(table).back(), (Entry{698, 1, 349, 0}));
    EXPECT_EQ(table.line(349).top, 349 * 102);
    EXPECT_EQ(table.positionOf(song, 641), (ScorePosition{320, 1}));
    // a mark set before the growth is dropped; keeping marks through a rebuild is the score view's test
    EXPECT_EQ(std::pair(table.line(5).marked, table.line(320).marked), std::pair(true, false));
}

TEST(LineTable, GroupWidthsPlaceColumnsAndClicksFindThem) {
    // GIVEN in key 2: a note, a time change, a key change to 0, a key change to three flats, a note
    const std::vector<SongRecord> song = groups({note(3, 60), metaTime(3, 2), metaKey(0), metaKey(10), note(3, 60)});
    SongInfo info = SongInfo::defaults();
    info.setKeySignature(2);
    const LineTable table = laidOut(song, {}, info);
    const ScoreLine& line = table.line(0);
    const int x0 = line.staffX0;
    // THEN widths are 21, 16, the old key's signature + 8, the new key's signature + 8, 21
    std::vector<int> widths;
    for (const PlacedGroup& g : LineGroups(song, line)) widths.push_back(g.width);
    EXPECT_EQ(widths, (std::vector{21, 16, 2 * kKeyAccidentalWidth + 8, 3 * kKeyAccidentalWidth + 8, 21}));
    // AND columns stand at the running sum, 21 pixels further left per scroll step
    EXPECT_EQ(columnX(song, line, 3, 0), x0 + 21 + 16 + 22);
    EXPECT_EQ(columnX(song, line, 5, 2), x0 - 42 + 21 + 16 + 22 + 29 + 21);
    // {x, scroll, column}: a note splits at 10, a time change at 8, a key change at half its width
    const std::array<int, 3> clicks[] = {{x0 + 9, 0, 0},       {x0 + 10, 0, 1},      {x0 - 42 + 10, 2, 1},
                                         {x0 + 21 + 7, 0, 1},  {x0 + 21 + 8, 0, 2},  {x0 + 37 + 10, 0, 2},
                                         {x0 + 37 + 11, 0, 3}, {0, 0, 0},            {2000, 0, 5}};
    for (const auto& [x, scroll, column] : clicks) EXPECT_EQ(columnAt(song, line, x, scroll), column) << x;
}

// Line 0 grand (153), line 1 treble (102), line 2 treble, final (102).
struct ThreeLines : ::testing::Test {
    std::vector<SongRecord> song = [] {
        std::vector<SongRecord> s = group({note(3, 50), note(3, 70)});
        addGroups(s, {barLine(), note(3, 60), barLine(), note(3, 62), lineBreak(), note(3, 72), lineBreak(), note(3, 74)});
        return s;
    }();
    LineTable table = laidOut(song);
    LineTable grand = laidOut(song, {.grandStaff = true});
};

TEST_F(ThreeLines, YFindsTheLineByItsBandAndVisibleLinesFitTheClientHeight) {
    // {table, top line, y, line}: a grand staff's band is 139 high, and below it, as below every
    // line, is the last line; with the grand-staff setting every line is 139 further
    const std::tuple<const LineTable*, int, int, int> cases[] = {
        {&table, 0, 0, 0},   {&table, 0, 138, 0}, {&table, 0, 153, 1},  {&table, 0, 254, 1},
        {&table, 0, 255, 2}, {&table, 0, 140, 2}, {&table, 0, 5000, 2}, {&table, 1, 0, 1},
        {&table, 1, 102, 2}, {&grand, 0, 138, 0}, {&grand, 0, 139, 1},  {&grand, 1, 139, 2},
        {&grand, 1, 5000, 2}};
    for (const auto& [lines, top, y, line] : cases) EXPECT_EQ(lineAtY(*lines, top, y), line) << top << " " << y;
    EXPECT_EQ((std::vector{visibleLineCount(table, 0, 153), visibleLineCount(table, 0, 154), visibleLineCount(table, 1, 1000),
                           visibleLineCount(grand, 0, 140), visibleLineCount(grand, 1, 1000)}),
              (std::vector{1, 2, 2, 2, 2}));
}

TEST_F(ThreeLines, StatusNumbersCaretAndScrollRanges) {
    std::vector<StatusNumbers> numbers;
    for (ScorePosition p : {ScorePosition{0, 0}, {0, 2}, {0, 5}, {1, 0}, {2, 1}}) numbers.push_back(statusNumbers(song, table, p));
    EXPECT_EQ(numbers, (std::vector<StatusNumbers>{{1, 1}, {1, 2}, {1, 3}, {2, 4}, {3, 5}}));
    // the caret is centred in its line
    EXPECT_EQ(caretPosition(song, table, 0, {0, 2}, 0), (CaretPosition{table.line(0).staffX0 + 42, (153 - 80) / 2}));
    EXPECT_EQ(caretPosition(song, table, 0, {1, 1}, 1), (CaretPosition{table.line(1).staffX0, 153 + 11}));
    EXPECT_EQ(caretPosition(song, table, 1, {2, 0}, 0), (CaretPosition{table.line(2).staffX0, 102 + 11}));
    EXPECT_EQ(scrollRanges(table, DisplayMode::Score, 40), (ScrollRanges{true, 2, 500}));
    EXPECT_EQ(scrollRanges(table, DisplayMode::EffectEdit, 40), (ScrollRanges{false, 2, 39}));
    EXPECT_EQ(std::pair(clampEffectPosition(45, 40), clampEffectPosition(-1, 40)), std::pair(39, 0));
}

}  // namespace
}  // namespace plume
