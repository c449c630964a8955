#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
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

// A window of four visible lines (102 high each) and 400 pixels.
struct ViewFixture : ::testing::Test {
    std::unique_ptr<CPlmDoc> doc = linesSong();
    ScoreView view{*doc};
    ViewFixture() { view.setClientSize(400, 350); }
    // Arrow keys by their initial (R, L, U, D); a small letter holds Shift.
    void keys(std::string_view presses) {
        for (char k : presses) {
            const bool shift = std::islower(static_cast<unsigned char>(k)) != 0;
            switch (std::toupper(static_cast<unsigned char>(k))) {
            case 'R': view.moveRight(shift); break;
            case 'L': view.moveLeft(shift); break;
            case 'U': view.moveUp(shift); break;
            case 'D': view.moveDown(shift); break;
            }
        }
    }
    At at() const { return {view.cursor(), view.anchor()}; }
    std::pair<int, int> lineAndTop() const { return {view.cursor().line, view.topLine()}; }
};

using ScoreViewKeys = ViewFixture;
using ScoreViewLines = ViewFixture;
using ScoreViewMouse = ViewFixture;

TEST_F(ScoreViewKeys, RightWalksTheLineWrapsToTheNextAndStopsAtTheEnds) {
    EXPECT_FALSE(view.moveLeft(false));
    EXPECT_FALSE(view.moveUp(false));
    keys(std::string(kGroupsPerLine - 1, 'R'));
    EXPECT_EQ(view.cursor(), (ScorePosition{0, 8}));
    EXPECT_TRUE(view.moveRight(false));
    EXPECT_EQ(at(), (At{{1, 0}, {1, 0}}));
    EXPECT_TRUE(view.moveLeft(false));
    EXPECT_EQ(view.cursor(), (ScorePosition{0, 8}));
    // the last line has no line break: its last column lies after its 8 groups
    view.home(false);
    view.goToLine(kLines - 1, false);
    EXPECT_TRUE(view.end(false));
    EXPECT_EQ(view.cursor(), (ScorePosition{kLines - 1, 8}));
    EXPECT_FALSE(view.moveRight(false));
    EXPECT_FALSE(view.moveDown(false));
}

TEST_F(ScoreViewKeys, ShiftExtendsTheRangeAndHomeOrEndWithShiftMoveOnlyTheAnchor) {
    keys("Rrrd");
    EXPECT_EQ(at(), (At{{1, 3}, {0, 1}}));
    EXPECT_TRUE(view.hasRange());
    EXPECT_EQ(std::pair(view.rangeStart(), view.rangeEnd()), (At{{0, 1}, {1, 3}}));
    view.moveLeft(false);
    EXPECT_FALSE(view.hasRange());
    EXPECT_EQ(view.anchor(), (ScorePosition{1, 2}));
    // Shift+End and Shift+Home move the anchor to the line's ends, the cursor stays
    EXPECT_TRUE(view.end(true));
    EXPECT_EQ(view.anchor(), (ScorePosition{1, 8}));
    EXPECT_TRUE(view.home(true));
    EXPECT_EQ(at(), (At{{1, 2}, {1, 0}}));
    view.end(false);
    EXPECT_EQ(at(), (At{{1, 8}, {1, 8}}));
    view.home(false);
    EXPECT_EQ(at(), (At{{1, 0}, {1, 0}}));
}

TEST_F(ScoreViewKeys, VerticalMovesKeepTheColumnTheUserChose) {
    view.goToLine(10, false);
    view.end(false);
    view.moveDown(false);
    EXPECT_EQ(view.cursor(), (ScorePosition{11, 8}));
    keys("LLUU");
    // the horizontal move set the column the vertical moves keep
    EXPECT_EQ(view.cursor(), (ScorePosition{9, 6}));
}

TEST_F(ScoreViewKeys, RightScrollsWhenTheColumnLeavesTheWindowAndAWrapScrollsBack) {
    view.setClientSize(150, 350);
    keys("RRRR");  // column 4 at x 54 + 84 = 138 needs one step of 21 pixels
    EXPECT_EQ(view.scroll(), 1);
    EXPECT_LE(view.caret().x + kColumnWidth, 150);
    view.end(false);
    view.moveRight(false);
    EXPECT_EQ(view.cursor(), (ScorePosition{1, 0}));
    EXPECT_EQ(view.scroll(), 0);
}

TEST_F(ScoreViewLines, GoingToALineScrollsOnlyWhenItIsOffTheScreen) {
    EXPECT_TRUE(view.goToLine(3, false));
    EXPECT_EQ(lineAndTop(), std::pair(3, 0));
    EXPECT_FALSE(view.firstLine(false)) << "line 0 is on top: the cursor stays";
    EXPECT_EQ(lineAndTop(), std::pair(3, 0));
    // line 6 is off the screen and not in the last screenful: it becomes the top line
    EXPECT_TRUE(view.goToLine(6, false));
    EXPECT_EQ(lineAndTop(), std::pair(6, 6));
    EXPECT_TRUE(view.firstLine(false));
    EXPECT_EQ(lineAndTop(), std::pair(0, 0));
    // line 11 lies in the last screenful: the top line becomes 11 - 4 + 2
    EXPECT_TRUE(view.lastLine(false));
    EXPECT_EQ(lineAndTop(), std::pair(11, 9));
}

TEST(ScoreViewOneLine, LastLineOfAOneLineSongKeepsTheView) {
    const auto doc = linesSong(1);
    ScoreView view(*doc);
    view.setClientSize(400, 350);
    view.moveRight(false);
    EXPECT_FALSE(view.lastLine(false));
    EXPECT_EQ(view.cursor(), (ScorePosition{0, 1}));
    EXPECT_EQ(view.topLine(), 0);
}

TEST_F(ScoreViewLines, PagesGoEightLinesAndShiftKeepsTheAnchor) {
    view.moveRight(false);
    EXPECT_TRUE(view.pageDown(true));
    EXPECT_EQ(at(), (At{{8, 1}, {0, 1}}));
    EXPECT_TRUE(view.pageDown(false));
    EXPECT_EQ(at(), (At{{11, 1}, {11, 1}}));
    EXPECT_TRUE(view.pageUp(false));
    EXPECT_EQ(view.cursor().line, 3);
}

TEST_F(ScoreViewLines, LineMarksAreFoundAboveAndBelowTheTopLine) {
    for (int line : {2, 9}) {
        view.goToLine(line, false);
        view.toggleLineMark();
    }
    view.setTopLine(5);
    EXPECT_TRUE(view.findMarkBelow(false));
    EXPECT_EQ(view.cursor().line, 9);
    view.setTopLine(5);
    EXPECT_TRUE(view.findMarkAbove(false));
    EXPECT_EQ(view.cursor().line, 2);
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
    EXPECT_TRUE(view.selectAll());
    EXPECT_EQ(at(), (At{{0, 0}, {11, 8}}));
    EXPECT_EQ(view.topLine(), 0);
    ASSERT_TRUE(view.rangeEndNumbers());
    EXPECT_EQ(*view.rangeEndNumbers(), (StatusNumbers{12, 24}));
    EXPECT_TRUE(view.clearRange());
    EXPECT_FALSE(view.hasRange());
    EXPECT_FALSE(view.rangeEndNumbers());
    EXPECT_FALSE(view.clearRange());

    auto empty = CPlmDoc::create();
    EXPECT_FALSE(ScoreView(*empty).selectAll());
}

TEST_F(ScoreViewMouse, AClickPlacesTheCursorByTheHalfOfThePositionHit) {
    // column 2 of line 1 spans x 34 + 42 .. 97
    view.press(34 + 42 + 9, 110);
    view.release();
    EXPECT_EQ(view.cursor(), (ScorePosition{1, 2}));
    view.press(34 + 42 + 10, 110);
    view.release();
    EXPECT_EQ(view.cursor(), (ScorePosition{1, 3}));
    EXPECT_FALSE(view.hasRange());
    // past the line break the cursor stays on it
    view.press(399, 110);
    EXPECT_EQ(view.cursor(), (ScorePosition{1, 8}));
}

TEST_F(ScoreViewMouse, DraggingMovesTheCursorAndTheTimerScrollsOutsideTheWindow) {
    view.press(60, 10);
    ASSERT_EQ(view.anchor(), (ScorePosition{0, 0}));
    EXPECT_TRUE(view.dragTo(34 + 63 + 2, 210));
    EXPECT_EQ(at(), (At{{2, 3}, {0, 0}}));
    // held below the window, each tick scrolls a line and drags to the bottom line
    EXPECT_TRUE(view.isOutside(100, 400));
    EXPECT_TRUE(view.autoScroll(100, 400));
    EXPECT_EQ(lineAndTop(), std::pair(4, 1));
    EXPECT_TRUE(view.autoScroll(100, 400));
    EXPECT_EQ(view.topLine(), 2);
    view.release();
    EXPECT_FALSE(view.dragTo(60, 10));
    EXPECT_FALSE(view.autoScroll(100, 400));
    EXPECT_EQ(view.anchor(), (ScorePosition{0, 0}));
}

TEST_F(ScoreViewMouse, TheWheelMovesALinePer120Units) {
    view.goToLine(5, false);
    EXPECT_TRUE(view.wheel(-120));
    EXPECT_EQ(view.cursor().line, 6);
    EXPECT_FALSE(view.wheel(60));
    EXPECT_TRUE(view.wheel(60));
    EXPECT_EQ(view.cursor().line, 5);
    EXPECT_TRUE(view.wheel(240));
    EXPECT_EQ(view.cursor().line, 3);
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
