#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "score/score_view.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

constexpr int kLines = 12;
constexpr int kGroupsPerLine = 9;  // four notes, a bar line, three notes, the line break

// kLines treble lines of kGroupsPerLine groups; the last line has no line break (8 groups).
std::unique_ptr<CPlmDoc> linesSong(int lines = kLines) {
    std::vector<SongRecord> song;
    for (int line = 0; line < lines; ++line) {
        addGroups(song, {note(3, 60), note(3, 61), note(3, 62), note(3, 63), barLine(), note(3, 67), note(3, 68),
                         note(3, 69)});
        if (line + 1 < lines) addGroup(song, {lineBreak()});
    }
    auto doc = CPlmDoc::create();
    doc->load(songOf(song));
    return doc;
}

using At = std::pair<ScorePosition, ScorePosition>;  // cursor, anchor
using Moved = std::pair<bool, At>;                    // what a move returned, cursor and anchor after it

// A window of four visible lines (102 high each) and 400 pixels.
struct ViewFixture : ::testing::Test {
    std::unique_ptr<CPlmDoc> doc = linesSong();
    ScoreView view{*doc};
    ViewFixture() { view.setClientSize(400, 350); }
    void right(int times, bool shift = false) {
        for (int i = 0; i < times; ++i) view.moveRight(shift);
    }
    At at() const { return {view.cursor(), view.anchor()}; }
    Moved after(bool moved) const { return {moved, at()}; }
    // What a move returned, the cursor's line and the top line after it.
    std::tuple<bool, int, int> onLine(bool moved) const { return {moved, view.cursor().line, view.topLine()}; }
    ScorePosition click(int x, int y) {
        view.press(x, y);
        view.release();
        return view.cursor();
    }
};

using ScoreViewKeys = ViewFixture;
using ScoreViewLines = ViewFixture;
using ScoreViewMouse = ViewFixture;

TEST_F(ScoreViewKeys, RightWalksTheLineWrapsToTheNextAndStopsAtTheEnds) {
    EXPECT_FALSE(view.moveLeft(false));
    EXPECT_FALSE(view.moveUp(false));
    right(kGroupsPerLine - 1);
    EXPECT_EQ(after(view.moveRight(false)), (Moved{true, {{1, 0}, {1, 0}}}));
    EXPECT_EQ(after(view.moveLeft(false)), (Moved{true, {{0, 8}, {0, 8}}}));
    // the last line has no line break: its last column lies after its 8 groups
    view.home(false);
    view.goToLine(kLines - 1, false);
    EXPECT_EQ(after(view.end(false)), (Moved{true, {{kLines - 1, 8}, {kLines - 1, 8}}}));
    EXPECT_FALSE(view.moveRight(false));
    EXPECT_FALSE(view.moveDown(false));
    // vertical moves keep the column the user chose last
    view.goToLine(10, false);
    view.end(false);
    EXPECT_EQ(after(view.moveDown(false)), (Moved{true, {{11, 8}, {11, 8}}}));
    view.moveLeft(false);
    view.moveUp(false);
    EXPECT_EQ(view.cursor(), (ScorePosition{10, 7}));
}

TEST_F(ScoreViewKeys, ShiftExtendsTheRangeAndHomeOrEndWithShiftMoveOnlyTheAnchor) {
    right(1);
    right(2, true);
    view.moveDown(true);
    EXPECT_EQ(at(), (At{{1, 3}, {0, 1}}));
    EXPECT_EQ(std::pair(view.rangeStart(), view.rangeEnd()), (At{{0, 1}, {1, 3}}));
    view.moveLeft(false);  // a move without Shift drops the range (the main frame's test checks it)
    // Shift+End and Shift+Home move the anchor to the line's ends, the cursor stays
    EXPECT_EQ(after(view.end(true)), (Moved{true, {{1, 2}, {1, 8}}}));
    EXPECT_EQ(after(view.home(true)), (Moved{true, {{1, 2}, {1, 0}}}));
    EXPECT_EQ(after(view.home(false)), (Moved{true, {{1, 0}, {1, 0}}}));
}

TEST_F(ScoreViewKeys, RightScrollsWhenTheColumnLeavesTheWindowAndAWrapScrollsBack) {
    view.setClientSize(150, 350);
    right(4);  // column 4 at x 54 + 84 = 138 needs one step of 21 pixels
    EXPECT_EQ(view.scroll(), 1);
    view.end(false);
    view.moveRight(false);
    EXPECT_EQ(std::pair(view.cursor(), view.scroll()), std::pair(ScorePosition{1, 0}, 0));
}

TEST_F(ScoreViewLines, GoingToALineScrollsOnlyWhenItIsOffTheScreenAndPagesGoEightLines) {
    EXPECT_EQ(onLine(view.goToLine(3, false)), std::tuple(true, 3, 0));
    // line 0 is on top: the cursor stays
    EXPECT_EQ(onLine(view.firstLine(false)), std::tuple(false, 3, 0));
    // line 6 is off the screen and not in the last screenful: it becomes the top line
    EXPECT_EQ(onLine(view.goToLine(6, false)), std::tuple(true, 6, 6));
    // line 11 lies in the last screenful: the top line becomes 11 - 4 + 2
    EXPECT_EQ(onLine(view.lastLine(false)), std::tuple(true, 11, 9));
    // pages go eight lines and Shift keeps the anchor
    view.firstLine(false);
    view.moveRight(false);
    EXPECT_EQ(after(view.pageDown(true)), (Moved{true, {{8, 1}, {0, 1}}}));
    EXPECT_EQ(after(view.pageDown(false)), (Moved{true, {{11, 1}, {11, 1}}}));
    EXPECT_EQ(after(view.pageUp(false)), (Moved{true, {{3, 1}, {3, 1}}}));

    // the last line of a one-line song keeps the view
    const auto one = linesSong(1);
    ScoreView single(*one);
    single.setClientSize(400, 350);
    single.moveRight(false);
    EXPECT_FALSE(single.lastLine(false));
    EXPECT_EQ(std::pair(single.cursor(), single.topLine()), std::pair(ScorePosition{0, 1}, 0));
}

TEST_F(ScoreViewLines, LineMarksAreFoundAboveAndBelowTheTopLine) {
    for (int line : {2, 9}) {
        view.goToLine(line, false);
        view.toggleLineMark();
    }
    view.setTopLine(5);
    EXPECT_EQ(after(view.findMarkBelow(false)), (Moved{true, {{9, 0}, {9, 0}}}));
    view.setTopLine(5);
    EXPECT_EQ(after(view.findMarkAbove(false)), (Moved{true, {{2, 0}, {2, 0}}}));
    // the marks stay through a rebuild and go with "clear"
    view.rebuild();
    EXPECT_TRUE(view.lines().line(9).marked);
    view.clearLineMarks();
    view.setTopLine(5);
    EXPECT_FALSE(view.findMarkBelow(false));
    EXPECT_FALSE(view.findMarkAbove(false));
}

TEST_F(ScoreViewLines, SelectAllReachesAfterTheLastGroupAndClearRangeDropsIt) {
    view.goToLine(7, false);
    EXPECT_EQ(after(view.selectAll()), (Moved{true, {{0, 0}, {11, 8}}}));
    EXPECT_EQ(view.topLine(), 0);
    EXPECT_EQ(view.rangeEndNumbers(), (StatusNumbers{12, 24}));
    EXPECT_TRUE(view.clearRange());
    EXPECT_FALSE(view.rangeEndNumbers());
    EXPECT_FALSE(view.clearRange());
    auto empty = CPlmDoc::create();
    EXPECT_FALSE(ScoreView(*empty).selectAll());
}

TEST_F(ScoreViewMouse, AClickPlacesTheCursorByTheHalfOfThePositionHitAndTheWheelByLines) {
    // column 2 of line 1 spans x 34 + 42 .. 97
    EXPECT_EQ(click(34 + 42 + 9, 110), (ScorePosition{1, 2}));
    EXPECT_EQ(click(34 + 42 + 10, 110), (ScorePosition{1, 3}));
    // past the line break the cursor stays on it
    EXPECT_EQ(click(399, 110), (ScorePosition{1, 8}));
    // the wheel moves a line per 120 units, in the column clicked last
    view.goToLine(5, false);
    EXPECT_EQ(after(view.wheel(-120)), (Moved{true, {{6, 8}, {6, 8}}}));
    EXPECT_EQ(after(view.wheel(60)), (Moved{false, {{6, 8}, {6, 8}}}));
    EXPECT_EQ(after(view.wheel(60)), (Moved{true, {{5, 8}, {5, 8}}}));
}

TEST_F(ScoreViewMouse, DraggingMovesTheCursorAndTheTimerScrollsOutsideTheWindow) {
    view.press(60, 10);
    ASSERT_EQ(view.anchor(), (ScorePosition{0, 0}));
    EXPECT_TRUE(view.dragTo(34 + 63 + 2, 210));
    EXPECT_EQ(at(), (At{{2, 3}, {0, 0}}));
    // held below the window, each tick scrolls a line and drags to the bottom line
    EXPECT_TRUE(view.isOutside(100, 400));
    EXPECT_EQ(onLine(view.autoScroll(100, 400)), std::tuple(true, 4, 1));
    EXPECT_EQ(onLine(view.autoScroll(100, 400)), std::tuple(true, 5, 2));
    view.release();
    EXPECT_FALSE(view.dragTo(60, 10));
    EXPECT_FALSE(view.autoScroll(100, 400));
    EXPECT_EQ(view.anchor(), (ScorePosition{0, 0}));
}

TEST_F(ScoreViewLines, ARebuildKeepsTheCursorInsideAShorterSong) {
    view.goToLine(11, false);
    view.end(false);
    ASSERT_TRUE(doc->setRecordCount(view.lines().line(9).firstGroup - 1));
    view.rebuild();
    EXPECT_EQ(std::tuple(view.lines().lastLine(), view.cursor().line), std::tuple(8, 8));
    EXPECT_LE(view.cursor().column, view.lastColumn(8));
    EXPECT_LE(view.topLine(), 8);
}

}  // namespace
}  // namespace plume
