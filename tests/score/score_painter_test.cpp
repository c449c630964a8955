#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "score/pitch_spelling.h"
#include "score/score_painter.h"
#include "support/recording_canvas.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
using Kind = CanvasCall::Kind;
using Points = std::vector<Point>;

const GlyphSet& glyphSet() {
    static const GlyphSet set;
    return set;
}

constexpr int kWidth = 800;
constexpr int kX0 = 54;  // column 0 of line 0 in key 0: clef 22 + margin 12 + time signature 20
constexpr int kX1 = 34;  // column 0 of a later line in key 0

SongInfo inKey(int key) {
    SongInfo info = SongInfo::defaults();
    info.bytes[1] = std::uint8_t(key);
    return info;
}

// A song, its line table and a screen to paint it on, every line visible.
struct Score {
    explicit Score(std::vector<SongRecord> records, SongInfo songInfo = SongInfo::defaults(), LayoutOptions layout = {})
        : song(std::move(records)), info(songInfo), options(layout) {}

    std::vector<SongRecord> song;
    SongInfo info;
    LayoutOptions options;
    LineTable table;
    ScoreViewState view{0, 0, kWidth, 2000, {}, {}};
    Surface surface = Surface::Screen;

    RecordingCanvas paint() {
        table.rebuild(song, info, options);
        RecordingCanvas canvas;
        ScorePainter(glyphSet(), surface).paint(canvas, song, table, view);
        return canvas;
    }
};

// Each group of `groups` as a one-record group.
std::vector<SongRecord> song(std::initializer_list<SongRecord> groups) {
    std::vector<SongRecord> out;
    for (const SongRecord& r : groups) addGroup(out, {r});
    return out;
}

RecordingCanvas paintSong(std::vector<SongRecord> records, SongInfo info = SongInfo::defaults(),
                          LayoutOptions options = {}) {
    return Score(std::move(records), info, options).paint();
}

// Ledger lines: gray, 16 pixels long. Each as {from x, to x, y}.
std::vector<std::array<int, 3>> ledgers(const RecordingCanvas& canvas) {
    std::vector<std::array<int, 3>> out;
    for (const CanvasCall& c : canvas.linesOf(kStaffGray))
        if (c.from.y == c.to.y && c.to.x - c.from.x == 16) out.push_back({c.from.x, c.to.x, c.from.y});
    return out;
}

CanvasCall blitCall(int glyph, Point at, Rect source) {
    CanvasCall c;
    c.kind = Kind::Blit;
    c.glyph = glyph;
    c.source = source;
    c.rect = {at.x, at.y, at.x + source.width(), at.y + source.height()};
    return c;
}

CanvasCall lineCall(Point from, Point to, Pen pen) {
    CanvasCall c;
    c.kind = Kind::Line;
    c.from = from;
    c.to = to;
    c.colour = pen.colour;
    c.penWidth = pen.width;
    return c;
}

CanvasCall fillCall(Rect rect, Rgb colour) {
    CanvasCall c;
    c.kind = Kind::Fill;
    c.rect = rect;
    c.colour = colour;
    return c;
}

CanvasCall arcCall(Rect bounds, int start) {
    CanvasCall c;
    c.kind = Kind::Arc;
    c.rect = bounds;
    c.startAngle = start;
    c.spanAngle = kArcHalfSpan;
    c.colour = kBlack;
    c.penWidth = 1;
    return c;
}

std::vector<CanvasCall> blackLines(const RecordingCanvas& canvas) { return canvas.linesOf(kBlack); }

TEST(ScorePainter, LedgerLinesFollowTheStaffKind) {
    // GIVEN key 60 alone, on a treble-only line
    // THEN one ledger line at 71 under its head, from x + 2 to x + 18
    EXPECT_EQ(ledgers(paintSong(song({note(3, 60)}))), (std::vector<std::array<int, 3>>{{56, 72, 71}}));
    // AND on a grand staff, set or chosen by the range, it shares the middle-C line between the staves
    EXPECT_EQ(ledgers(paintSong(song({note(3, 60)}), {}, {.grandStaff = true})),
              (std::vector<std::array<int, 3>>{{56, 72, 71}}));
    EXPECT_EQ(ledgers(paintSong(song({note(3, 40), note(3, 60), note(3, 72)}))),
              (std::vector<std::array<int, 3>>{{56, 72, 107}, {77, 93, 71}}));
    // AND a treble-only line reaches a low note with lines every 6 pixels instead of a bass staff
    EXPECT_EQ(ledgers(paintSong(song({note(3, 55)}))), (std::vector<std::array<int, 3>>{{56, 72, 71}, {56, 72, 77}}));
    // AND a bass-only line, 48 pixels higher, does the same above its staff
    EXPECT_EQ(ledgers(paintSong(song({note(3, 40), note(3, 60)}))),
              (std::vector<std::array<int, 3>>{{56, 72, 59}, {77, 93, 23}}));
    // AND notes above the treble staff get lines at 35, 29, ...
    EXPECT_EQ(ledgers(paintSong(song({note(3, 81), note(3, 84)}))),
              (std::vector<std::array<int, 3>>{{56, 72, 35}, {77, 93, 35}, {77, 93, 29}}));
}

TEST(ScorePainter, RestsStandOnTheTopLineOfEachStaff) {
    // GIVEN a dotted quarter rest on a treble line, on a grand staff and on a bass-only line
    const RecordingCanvas treble = paintSong(song({rest(9, 0, mark::kDotted)}));
    const RecordingCanvas grand = paintSong(song({rest(9, 0, mark::kDotted)}), {}, {.grandStaff = true});
    const RecordingCanvas bass = paintSong(song({note(3, 40), rest(9)}));
    // THEN the rest glyph stands at x + 7 from the staff's top line, its dot at x + 17
    EXPECT_EQ(treble.blitsOf(glyph_id::kRest[2]), (Points{{61, 41}}));
    EXPECT_EQ(treble.blitsOf(glyph_id::kDot), (Points{{71, 49}}));
    // AND a grand staff shows it in both staves
    EXPECT_EQ(grand.blitsOf(glyph_id::kRest[2]), (Points{{61, 41}, {61, 77}}));
    EXPECT_EQ(grand.blitsOf(glyph_id::kDot), (Points{{71, 49}, {71, 85}}));
    EXPECT_EQ(bass.blitsOf(glyph_id::kRest[2]), (Points{{82, 29}}));
}

TEST(ScorePainter, NotesStandOnTheirStep) {
    // GIVEN G4 (a line, stem up), C5 (stem down), a whole A4, a dotted G4 and a double-dotted A4
    const RecordingCanvas c = paintSong(song({note(3, 67), note(3, 72), note(1, 69), note(4, 67, 0, mark::kDotted),
                                              note(4, 69, 0, mark::kDoubleDotted)}));
    // THEN a stem-up glyph's top is 21 above the step's y, a stem-down glyph's 2 above
    EXPECT_EQ(c.blitsOf(glyph_id::kNoteUp[2]), (Points{{61, 38}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kNoteDown[2]), (Points{{82, 48}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kNoteUp[0]), (Points{{103, 35}}));
    // AND a dot on a line moves up into the space: both dots end up in the space at 56
    EXPECT_EQ(c.blitsOf(glyph_id::kDot), (Points{{134, 55}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kDoubleDot), (Points{{155, 55}}));
}

TEST(ScorePainter, MeasureAccidentalsResetAtBarLinesAndLineBreaks) {
    // GIVEN F sharp twice in one measure, then once after a bar line
    const RecordingCanvas bars = paintSong(song({note(3, 66), note(3, 66), scoreMark(type::kBarLine), note(3, 66)}));
    // THEN the sharp shows on the first and after the bar line, centred on the note's y (62)
    EXPECT_EQ(bars.blitsOf(glyph_id::kAccidental[accidental::kSharp]), (Points{{kX0, 53}, {kX0 + 63, 53}}));
    // AND a line break starts afresh as well
    const RecordingCanvas breaks = paintSong(song({note(3, 66), scoreMark(type::kLineBreak), note(3, 66)}));
    EXPECT_EQ(breaks.blitsOf(glyph_id::kAccidental[accidental::kSharp]), (Points{{kX0, 53}, {kX1, 102 + 53}}));
}

TEST(ScorePainter, KeySignatureDecidesTheAccidental) {
    const int natural = glyph_id::kAccidental[accidental::kNatural];
    // GIVEN key 1 (F sharp): F shows a natural, F sharp nothing
    EXPECT_EQ(paintSong(song({note(3, 65)}), inKey(1)).blitsOf(natural), (Points{{kX0 + 7, 53}}));
    const RecordingCanvas fSharp = paintSong(song({note(3, 66)}), inKey(1));
    for (int code = accidental::kSharp; code <= accidental::kDoubleFlat; ++code)
        EXPECT_TRUE(fSharp.blitsOf(glyph_id::kAccidental[std::size_t(code)]).empty()) << fSharp.dump();
    // AND in key 8 (B flat) B shows a natural on the middle line
    EXPECT_EQ(paintSong(song({note(3, 71)}), inKey(8)).blitsOf(natural), (Points{{kX0 + 7, 44}}));
}

TEST(ScorePainter, ChordHeadsStackOnOneStem) {
    // GIVEN a quarter cluster C5 B4 A4, stored highest first; its lowest note A4 turns the stem up
    std::vector<SongRecord> cluster;
    addGroup(cluster, {note(3, 72), note(3, 71), note(3, 69)});
    const RecordingCanvas c = paintSong(cluster);
    // THEN the heads alternate: the second of each second moves 4 pixels right
    EXPECT_EQ(c.blitsOf(glyph_id::kFilledHead), (Points{{61, 48}, {61, 54}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kFilledHeadShifted), (Points{{61, 51}}));
    // AND a stem 4 pixels right of the heads runs from the lowest head up into the quarter glyph's
    // stem part, drawn without its head above the highest head
    EXPECT_EQ(blackLines(c), (std::vector{lineCall({65, 56}, {65, 47}, {kBlack, 1})}));
    EXPECT_EQ(c.blitCalls(glyph_id::kNoteUp[2]), (std::vector{blitCall(glyph_id::kNoteUp[2], {61, 29}, {0, 0, 10, 19})}));

    // GIVEN an eighth chord C6 G5: stem down from the highest head to the eighth glyph's flag part
    std::vector<SongRecord> high;
    addGroup(high, {note(4, 84), note(4, 79)});
    const RecordingCanvas down = paintSong(high);
    EXPECT_EQ(blackLines(down), (std::vector{lineCall({65, 29}, {65, 41}, {kBlack, 1})}));
    EXPECT_EQ(down.blitCalls(glyph_id::kNoteDown[3]),
              (std::vector{blitCall(glyph_id::kNoteDown[3], {65, 41}, {0, 5, 10, 24})}));
    // AND ledger lines are drawn once for the chord
    EXPECT_EQ(ledgers(down), (std::vector<std::array<int, 3>>{{56, 72, 35}, {56, 72, 29}}));
}

TEST(ScorePainter, WholeAndHalfChordsHaveHollowHeads) {
    // GIVEN a whole chord C5 E4 and a half-note second G4 F4
    std::vector<SongRecord> s;
    addGroup(s, {note(1, 72), note(1, 64)});
    addGroup(s, {note(2, 67), note(2, 65)});
    const RecordingCanvas c = paintSong(s);
    // THEN whole heads without a stem, and hollow heads with one
    EXPECT_EQ(c.blitsOf(glyph_id::kWholeHead), (Points{{61, 48}, {61, 63}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kHollowHead), (Points{{82, 57}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kHollowHeadShifted), (Points{{82, 60}}));
    EXPECT_EQ(blackLines(c), (std::vector{lineCall({86, 62}, {86, 56}, {kBlack, 1})}));
    EXPECT_TRUE(c.blitsOf(glyph_id::kNoteUp[0]).empty());
}

TEST(ScorePainter, TiesJoinNotesOfOneKeyWithinALine) {
    // GIVEN G4 tied to G4 (stems up) and D5 tied to D5 (stems down)
    const RecordingCanvas under = paintSong(song({note(3, 67, mark::kTieBegin), note(3, 67, mark::kTieEnd)}));
    const RecordingCanvas over = paintSong(song({note(3, 74, mark::kTieBegin), note(3, 74, mark::kTieEnd)}));
    // THEN an arc from x + 10 to x + 10: under the heads for stem up, over them for stem down
    EXPECT_EQ(under.calls(Kind::Arc), (std::vector{arcCall({64, 56, 85, 68}, kArcLowerHalfStart)}));
    EXPECT_EQ(over.calls(Kind::Arc), (std::vector{arcCall({64, 40, 85, 52}, kArcUpperHalfStart)}));
    // AND a note tied on both sides ends one arc and starts the next
    const RecordingCanvas chain = paintSong(
        song({note(3, 67, mark::kTieBegin), note(3, 67, mark::kTieMiddle), note(3, 67, mark::kTieEnd)}));
    EXPECT_EQ(chain.calls(Kind::Arc),
              (std::vector{arcCall({64, 56, 85, 68}, kArcLowerHalfStart), arcCall({85, 56, 106, 68}, kArcLowerHalfStart)}));

    // GIVEN a tie from the last note of a line to the first of the next
    const RecordingCanvas across = paintSong(
        song({note(3, 67, mark::kTieBegin), scoreMark(type::kLineBreak), note(3, 67, mark::kTieEnd)}));
    // THEN no arc is drawn
    EXPECT_TRUE(across.calls(Kind::Arc).empty()) << across.dump();

    // GIVEN eleven notes tied at once: only ten slots
    std::vector<SongRecord> eleven;
    for (std::uint8_t state : {mark::kTieBegin, mark::kTieEnd}) {
        addGroup(eleven, {note(3, 60, state), note(3, 62, state), note(3, 64, state), note(3, 65, state),
                          note(3, 67, state), note(3, 69, state), note(3, 71, state), note(3, 72, state),
                          note(3, 74, state), note(3, 76, state), note(3, 77, state)});
    }
    EXPECT_EQ(paintSong(eleven).calls(Kind::Arc).size(), 10u);
}

TEST(ScorePainter, TupletBracketSpansItsNotes) {
    // GIVEN a triplet of eighths C5 D5 E5 (stems down, highest head top 42)
    std::vector<SongRecord> s = song({note(4, 72), note(4, 74), note(4, 76)});
    markTuplet(s, {0, 1, 2}, 3);
    const RecordingCanvas c = paintSong(s);
    // THEN a 2-pixel bracket 2 above it from the first x + 7 to the last x + 14, broken by a gap
    // of 16 around 85, with ticks of 7 and the number in the gap
    const Pen pen{kBlack, 2};
    EXPECT_EQ(blackLines(c), (std::vector{lineCall({61, 40}, {77, 40}, pen), lineCall({93, 40}, {110, 40}, pen),
                                          lineCall({61, 40}, {61, 47}, pen), lineCall({110, 40}, {110, 47}, pen)}));
    EXPECT_EQ(c.blitsOf(glyph_id::kTupletDigit0 + 3), (Points{{83, 33}}));

    // GIVEN stems up: the stem ends are the highest points
    std::vector<SongRecord> low = song({note(4, 60), note(4, 62), note(4, 64)});
    markTuplet(low, {0, 1, 2}, 3);
    EXPECT_EQ(blackLines(paintSong(low)).front(), lineCall({61, 42}, {77, 42}, pen));

    // GIVEN a tuplet whose first note is on the line before: no bracket
    std::vector<SongRecord> split = song({note(4, 72), scoreMark(type::kLineBreak), note(4, 74), note(4, 76)});
    markTuplet(split, {0, 2, 3}, 3);
    EXPECT_TRUE(blackLines(paintSong(split)).empty());
}

TEST(ScorePainter, StaffLinesRunFromTheClefToTheLastGroup) {
    // GIVEN one note on a treble line
    const std::vector<CanvasCall> treble = paintSong(song({note(3, 67)})).linesOf(kStaffGray);
    // THEN five gray lines from x 4 to the x after the note, and the join at the left end
    std::vector<CanvasCall> expected;
    for (int y : kTrebleStaffLines) expected.push_back(lineCall({4, y}, {75, y}, {kStaffGray, 1}));
    expected.push_back(lineCall({4, 41}, {4, 66}, {kStaffGray, 1}));
    EXPECT_EQ(treble, expected);
    // AND a grand staff has ten lines joined from 41 to 101, a bass-only line five from 29 to 53
    const std::vector<CanvasCall> grand = paintSong(song({note(3, 67)}), {}, {.grandStaff = true}).linesOf(kStaffGray);
    ASSERT_EQ(grand.size(), 11u);
    EXPECT_EQ(grand[9], lineCall({4, 101}, {75, 101}, {kStaffGray, 1}));
    EXPECT_EQ(grand[10], lineCall({4, 41}, {4, 102}, {kStaffGray, 1}));
    const std::vector<CanvasCall> bass = paintSong(song({note(3, 40)})).linesOf(kStaffGray);
    EXPECT_EQ(bass.front(), lineCall({4, 29}, {75, 29}, {kStaffGray, 1}));
    EXPECT_EQ(bass[5], lineCall({4, 29}, {4, 54}, {kStaffGray, 1}));

    // GIVEN the view scrolled by one column and narrower than the line
    Score scrolled{song({note(3, 67), note(3, 67), note(3, 67), note(3, 67)})};
    scrolled.view.scroll = 1;
    scrolled.view.width = 90;
    const std::vector<CanvasCall> lines = scrolled.paint().linesOf(kStaffGray);
    // THEN the lines start 21 further left, stop at the right edge, and have no join
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines.front(), lineCall({-17, 41}, {90, 41}, {kStaffGray, 1}));
}

TEST(ScorePainter, ClefKeyAndTimeSignatureOpenTheLine) {
    // GIVEN a song in key 3 and 3/8 over two lines
    SongInfo info = inKey(3);
    info.bytes[10] = 3;
    info.bytes[11] = 3;
    const RecordingCanvas c = paintSong(song({note(3, 67), scoreMark(type::kLineBreak), note(3, 67)}), info);
    // THEN each line starts with the treble clef-and-key bitmap at (4, top + 29)
    EXPECT_EQ(c.blitsOf(glyph_id::kTrebleClefKey[3]), (Points{{4, 29}, {4, 102 + 29}}));
    // AND line 0 alone shows 3 over 8, 8 pixels after the bitmap's width
    EXPECT_EQ(c.blitsOf(glyph_id::kTimeDigit0 + 3), (Points{{8 + 43, 42}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kTimeDigit0 + 8), (Points{{8 + 43, 54}}));

    // GIVEN a grand staff in 12/8: both staves show it, the 8 centred under the 12
    info.bytes[10] = 12;
    const RecordingCanvas grand = paintSong(song({note(3, 67)}), info, {.grandStaff = true});
    EXPECT_EQ(grand.blitsOf(glyph_id::kBassClefKey[3]), (Points{{4, 73}}));
    EXPECT_EQ(grand.blitsOf(glyph_id::kTimeDigit0 + 1), (Points{{51, 42}, {51, 78}}));
    EXPECT_EQ(grand.blitsOf(glyph_id::kTimeDigit0 + 2), (Points{{59, 42}, {59, 78}}));
    EXPECT_EQ(grand.blitsOf(glyph_id::kTimeDigit0 + 8), (Points{{55, 54}, {55, 90}}));

    // GIVEN a bass-only line: its clef at top + 25 and no treble clef
    const RecordingCanvas bass = paintSong(song({note(3, 40)}), info);
    EXPECT_EQ(bass.blitsOf(glyph_id::kBassClefKey[3]), (Points{{4, 25}}));
    EXPECT_TRUE(bass.blitsOf(glyph_id::kTrebleClefKey[3]).empty());
}

TEST(ScorePainter, BarLinesAndLineBreaksSpanTheStaff) {
    const Rect single{0, 0, 21, 24};
    // GIVEN a bar line and a line break on a treble line, a grand staff and a bass-only line
    const auto s = song({scoreMark(type::kBarLine), scoreMark(type::kLineBreak)});
    const RecordingCanvas treble = paintSong(s);
    // THEN they hang from the top line, cut to one staff, or across both staves of a grand staff
    EXPECT_EQ(treble.blitCalls(glyph_id::kBarLine), (std::vector{blitCall(glyph_id::kBarLine, {kX0, 41}, single)}));
    EXPECT_EQ(treble.blitCalls(glyph_id::kLineBreak),
              (std::vector{blitCall(glyph_id::kLineBreak, {kX0 + 21, 41}, single)}));
    const RecordingCanvas grand = paintSong(s, {}, {.grandStaff = true});
    EXPECT_EQ(grand.blitCalls(glyph_id::kBarLine),
              (std::vector{blitCall(glyph_id::kBarLine, {kX0, 41}, {0, 0, 21, 61})}));
    const RecordingCanvas bass = paintSong(song({note(3, 40), scoreMark(type::kBarLine)}));
    EXPECT_EQ(bass.blitsOf(glyph_id::kBarLine), (Points{{kX0 + 21, 29}}));
}

TEST(ScorePainter, EndOfSongMarkFollowsTheLastGroup) {
    // GIVEN a song ending without a line break
    const RecordingCanvas open = paintSong(song({note(3, 67)}));
    // THEN the mark stands after the last group, placed like a bar line
    EXPECT_EQ(open.calls(Kind::Blit).back(), blitCall(glyph_id::kEndOfSong, {75, 41}, {0, 0, 21, 24}));
    // AND a song ending with a line break shows it on the empty line after it, not on the ended line
    EXPECT_EQ(paintSong(song({note(3, 67), scoreMark(type::kLineBreak)})).blitsOf(glyph_id::kEndOfSong),
              (Points{{kX1, 102 + 41}}));
    // AND nothing is drawn when the end lies at or past the right edge
    Score narrow{song({note(3, 67)})};
    narrow.view.width = 75;
    EXPECT_TRUE(narrow.paint().blitsOf(glyph_id::kEndOfSong).empty());
}

TEST(ScorePainter, MarkedLineIsYellowUntilMarksAreCleared) {
    // GIVEN two lines, the second marked
    Score score{song({note(3, 67), scoreMark(type::kLineBreak), note(3, 67)})};
    score.table.setMarked(1, true);
    // THEN line 0's band is filled white and line 1's yellow
    EXPECT_EQ(score.paint().calls(Kind::Fill),
              (std::vector{fillCall({0, 0, kWidth, 102}, kWhite), fillCall({0, 102, kWidth, 204}, kMarkYellow)}));
    // WHEN the marks are cleared THEN every line is white again
    score.table.clearMarks();
    for (const CanvasCall& fill : score.paint().calls(Kind::Fill)) EXPECT_EQ(fill.colour, kWhite);
}

TEST(ScorePainter, KeyChangesShowTheNewSignature) {
    // GIVEN key 0, a change to two sharps, then F sharp
    const RecordingCanvas c = paintSong(song({metaKey(2), note(3, 66)}), {}, {.grandStaff = true});
    // THEN the key-change bitmaps stand 4 pixels into the change's width, in both staves
    EXPECT_EQ(c.blitsOf(glyph_id::kTrebleKeyChange[2]), (Points{{kX0 + 4, 29}}));
    EXPECT_EQ(c.blitsOf(glyph_id::kBassKeyChange[2]), (Points{{kX0 + 4, 73}}));
    // AND the F sharp after it, 14 + 8 further right, needs no sharp
    EXPECT_EQ(c.blitsOf(glyph_id::kNoteUp[2]), (Points{{kX0 + 22 + 7, 41}}));
    EXPECT_TRUE(c.blitsOf(glyph_id::kAccidental[accidental::kSharp]).empty());

    // GIVEN key 3 and a change to key 0: naturals where the three sharps stood; F is plain again
    const RecordingCanvas cancel = paintSong(song({metaKey(0), note(3, 65)}), inKey(3));
    EXPECT_EQ(cancel.blitsOf(glyph_id::kTrebleCancel0 + 3), (Points{{75 + 4, 29}}));
    EXPECT_TRUE(cancel.blitsOf(glyph_id::kAccidental[accidental::kNatural]).empty());

    // GIVEN a time-signature change 3/4: its digits centred in its 16 pixels
    const RecordingCanvas time = paintSong(song({metaTime(3, 2), note(3, 67)}));
    EXPECT_EQ(time.blitsOf(glyph_id::kTimeDigit0 + 3), (Points{{kX0 + 4, 42}}));
    EXPECT_EQ(time.blitsOf(glyph_id::kTimeDigit0 + 4), (Points{{8 + 22, 42}, {8 + 22, 54}, {kX0 + 4, 54}}));
    EXPECT_EQ(time.blitsOf(glyph_id::kNoteUp[2]), (Points{{kX0 + 16 + 7, 38}}));
}

TEST(ScorePainter, TextsAndEffectMarkersOfAGroup) {
    // GIVEN a note with a volume value, a volume curve, a lyric (CP932 "ド") and a chord name
    SongRecord curve;
    curve.bytes[1] = kind::kVolumeCurve;
    std::vector<SongRecord> s;
    addGroup(s, {note(3, 67), effectValue(effect::kVolume, 90), curve, textRecord(kind::kLyric, "\x83\x68"),
                 textRecord(kind::kChordName, "C7")});
    Score screen{s};
    const RecordingCanvas c = screen.paint();
    // THEN the lyric stands 14 above the line's bottom and the chord name 5 below its top, as UTF-8
    std::vector<CanvasCall> texts = c.calls(Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "ド");
    EXPECT_EQ(texts[0].rect.left, kX0);
    EXPECT_EQ(texts[0].rect.top, 102 - 14);
    EXPECT_EQ(texts[1].text, "C7");
    EXPECT_EQ(texts[1].rect.top, 5);
    // AND on the screen the value and the curve show the two halves of the marker at the line's top
    EXPECT_EQ(c.calls(Kind::Blit)[c.calls(Kind::Blit).size() - 3],
              blitCall(glyph_id::kEffectMarker, {kX0, 0}, {0, 0, 12, 5}));
    EXPECT_EQ(c.calls(Kind::Blit)[c.calls(Kind::Blit).size() - 2],
              blitCall(glyph_id::kEffectMarker, {kX0 + 12, 0}, {12, 0, 24, 5}));

    // WHEN printing THEN the texts remain and the markers do not
    Score printed{s};
    printed.surface = Surface::Printer;
    const RecordingCanvas paper = printed.paint();
    EXPECT_EQ(paper.calls(Kind::Text).size(), 2u);
    EXPECT_TRUE(paper.blitsOf(glyph_id::kEffectMarker).empty());
}

TEST(ScorePainter, SelectionInvertsTheRangeLineByLine) {
    // GIVEN two lines (3 notes and a line break; 3 notes), the range from line 0 column 1 to line 1
    // column 2
    Score score{song({note(3, 67), note(3, 67), note(3, 67), scoreMark(type::kLineBreak), note(3, 67), note(3, 67),
                      note(3, 67)})};
    score.view.anchor = {0, 1};
    score.view.cursor = {1, 2};
    // THEN line 0 is inverted from column 1 to its end, line 1 from its start to column 2
    const std::vector<CanvasCall> forward = score.paint().calls(Kind::Invert);
    ASSERT_EQ(forward.size(), 2u);
    EXPECT_EQ(forward[0].rect, (Rect{kX0 + 21, 0, kX0 + 84, 102}));
    EXPECT_EQ(forward[1].rect, (Rect{kX1, 102, kX1 + 42, 204}));
    // AND the direction of the range does not matter
    std::swap(score.view.anchor, score.view.cursor);
    EXPECT_EQ(score.paint().calls(Kind::Invert), forward);
    // AND a range within one line spans the columns between its ends
    score.view.anchor = {0, 2};
    score.view.cursor = {0, 1};
    EXPECT_EQ(score.paint().calls(Kind::Invert).at(0).rect, (Rect{kX0 + 21, 0, kX0 + 42, 102}));
    // AND with no range nothing is inverted
    score.view.anchor = score.view.cursor;
    EXPECT_TRUE(score.paint().calls(Kind::Invert).empty());
    // AND a line between the ends is selected whole
    score.table.rebuild(score.song, score.info);
    EXPECT_EQ(selectedColumns(score.table, 1, {0, 0}, {2, 0}), (ColumnSpan{0, 3}));
    EXPECT_EQ(selectedColumns(score.table, 2, {0, 0}, {1, 1}), std::nullopt);

    // GIVEN a grand staff of 153: the highlight covers its 139-pixel band
    Score grand{song({note(3, 67), scoreMark(type::kLineBreak), note(3, 67)}), {}, {.grandStaff = true}};
    grand.view.cursor = {0, 1};
    EXPECT_EQ(grand.paint().calls(Kind::Invert).at(0).rect, (Rect{kX0, 0, kX0 + 21, 139}));
}

TEST(ScorePainter, CaretIsInvertedOneOrTwoPixelsWide) {
    EXPECT_EQ(ScorePainter::caretRect({30, 11}, true), (Rect{30, 11, 31, 91}));
    EXPECT_EQ(ScorePainter::caretRect({30, 11}, false), (Rect{30, 11, 32, 91}));
    RecordingCanvas canvas;
    ScorePainter(glyphSet()).paintCaret(canvas, {30, 11}, false);
    EXPECT_EQ(canvas.calls(Kind::Invert).at(0).rect, (Rect{30, 11, 32, 91}));
}

TEST(ScorePainter, GroupsScrolledOutStillCountInTheMeasure) {
    // GIVEN F sharp twice, scrolled so that the first lies left of the window
    Score score{song({note(3, 66), note(3, 66)})};
    score.view.scroll = 4;
    const RecordingCanvas c = score.paint();
    // THEN only the second is drawn, at 54 - 84 + 21, and its sharp is already in force
    EXPECT_EQ(c.blitsOf(glyph_id::kNoteUp[2]), (Points{{-9 + 7, 41}}));
    EXPECT_TRUE(c.blitsOf(glyph_id::kAccidental[accidental::kSharp]).empty());
}

}  // namespace
}  // namespace plume
