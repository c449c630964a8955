// The glyphs, spelling and the measure state as values, and what the golden images do not reach: scrolling,
// ties and tuplets across lines, marks, selections, printing.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "score/line_table.h"
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

bool hasInk(const Glyph& g) {
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (g.isInk(x, y)) return true;
    return false;
}

// Sizes where the drawing takes whole glyphs are pinned by the painter's blit rectangles and the
// golden images; here each glyph is told apart and carries ink.
TEST(Glyphs, EveryGlyphHasAnIdAndInkAndClefAndKeyBitmapsHaveTheWidthsTheLayoutUses) {
    const GlyphSet& set = glyphSet();
    std::set<int> ids;
    for (const Glyph& g : set.all()) {
        EXPECT_TRUE(ids.insert(g.id).second) << "duplicate id " << g.id;
        EXPECT_TRUE(hasInk(g)) << "glyph " << g.id << " is blank";
    }
    EXPECT_EQ(set.tupletDigit(2), nullptr);
    EXPECT_EQ(set.tupletDigit(8), nullptr);
    for (int key = 0; key < kKeyCount; ++key) {
        EXPECT_EQ(set.clefKey(Clef::Treble, key).width, clefKeyWidth(key)) << key;
        EXPECT_EQ(set.clefKey(Clef::Bass, key).width, clefKeyWidth(key)) << key;
        EXPECT_EQ(set.keyChange(Clef::Treble, key).width, keyChangeWidth(key)) << key;
        EXPECT_EQ(set.keyCancel(Clef::Bass, key).width, keyChangeWidth(key)) << key;
    }
}

TEST(PitchSpelling, KeySignatureAndAccidentalByteChooseStepAndGlyph) {
    // GIVEN key 8 (one flat): B needs a natural, then B flat its flat again; a fresh measure nothing
    MeasureAccidentals oneFlat(8);
    EXPECT_EQ(oneFlat.place(71, 0).accidental, accidental::kNatural);
    EXPECT_EQ(oneFlat.place(70, 0).accidental, accidental::kFlat);
    EXPECT_EQ(MeasureAccidentals(8).place(70, 0).accidental, accidental::kNone);
    // Black keys below the white key with sharps, above it with flats; E#, B#, Cb, Fb where the key has them
    const std::pair<int, int> pitches[] = {{61, 0}, {61, 12}, {65, 6}, {65, 5}, {60, 7},
                                           {71, 13}, {71, 12}, {64, 14}, {64, 13}};
    std::vector<int> steps;
    for (const auto& [key, signature] : pitches) steps.push_back(spellPitch(key, 0, signature).step);
    EXPECT_EQ(steps, (std::vector{21, 22, 23, 24, 20, 28, 27, 24, 23}));
    EXPECT_EQ(spellPitch(61, 0, 0).accidental, accidental::kSharp);
    EXPECT_EQ(spellPitch(61, 0, 12).accidental, accidental::kNone);

    // A stored accidental byte wins over the key: {key, byte, step, glyph}
    const std::array<int, 4> cases[] = {
        {60, 1, 20, accidental::kSharp},       {61, 2, 22, accidental::kFlat},        // B sharp, D flat
        {62, 4, 21, accidental::kDoubleSharp}, {63, 5, 24, accidental::kDoubleFlat},  // C double sharp, F double flat
        {65, 33, 23, accidental::kSharp},      {62, 36, 20, accidental::kDoubleSharp},  // E sharp
        {62, 53, 23, accidental::kDoubleFlat},
    };
    for (const auto& [key, byte, step, glyph] : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << byte);
        const Spelling s = spellPitch(key, std::uint8_t(byte), 0);
        EXPECT_EQ(std::make_tuple(s.step, s.accidental, s.fromKey), std::make_tuple(step, glyph, false));
    }
    // Keys below 24 are placed as 24 (C1, step 0)
    EXPECT_EQ(spellPitch(10, 0, 0).step, 0);
}

// Where each step stands on each staff, and where stems turn down, is pinned by the golden images.
TEST(PitchSpelling, MeasureStateFollowsKeyChangesAndIsKeptPerStep) {
    MeasureAccidentals measure(0);
    EXPECT_EQ(measure.place(66, 0).accidental, accidental::kSharp);
    // a key change to one sharp starts from the new key: F sharp needs nothing
    measure.passGroup(test::metaKey(1));
    EXPECT_EQ(measure.keySignature(), 1);
    EXPECT_EQ(measure.place(66, 0).accidental, accidental::kNone);
    // the state is kept per step: F5 and F4 each show their natural once
    EXPECT_EQ(measure.place(77, 0).accidental, accidental::kNatural);
    EXPECT_EQ(measure.place(65, 0).accidental, accidental::kNatural);
    EXPECT_EQ(measure.place(65, 0).accidental, accidental::kNone);
}

constexpr int kWidth = 800;
constexpr int kX0 = 54;  // column 0 of line 0 in key 0: clef 22 + margin 12 + time signature 20
constexpr int kX1 = 34;  // column 0 of a later line in key 0

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

RecordingCanvas paintSong(std::vector<SongRecord> records, SongInfo info = SongInfo::defaults(),
                          LayoutOptions options = {}) {
    return Score(std::move(records), info, options).paint();
}

CanvasCall tieArc(Rect bounds, int start) { return arcCall(bounds, start, kArcHalfSpan, {kBlack, 1}); }
CanvasCall blackLine(Point from, Point to, int width = 1) { return lineCall(from, to, {kBlack, width}); }
std::vector<CanvasCall> blackLines(const RecordingCanvas& canvas) { return canvas.linesOf(kBlack); }

TEST(ScorePainter, MeasureAccidentalsFollowTheKeyResetAtBarLinesAndLineBreaksAndCountScrolledGroups) {
    const int sharp = glyph_id::kAccidental[accidental::kSharp];
    // THEN the sharp shows on the first and after the bar line, centred on the note's y (62)
    EXPECT_EQ(paintSong(groups({note(3, 66), note(3, 66), barLine(), note(3, 66)})).blitsOf(sharp),
              (Points{{kX0, 53}, {kX0 + 63, 53}}));
    EXPECT_EQ(paintSong(groups({note(3, 66), lineBreak(), note(3, 66)})).blitsOf(sharp),
              (Points{{kX0, 53}, {kX1, 102 + 53}}));
    Score scrolled{groups({note(3, 66), note(3, 66)})};
    scrolled.view.scroll = 4;
    const RecordingCanvas c = scrolled.paint();
    // THEN only the second is drawn, at 54 - 84 + 21, and its sharp is already in force
    EXPECT_EQ(c.blitsOf(glyph_id::kNoteUp[2]), (Points{{-9 + 7, 41}}));
    EXPECT_TRUE(c.blitsOf(sharp).empty());
    // the song's key signature decides the accidental (the rules per key are MeasureAccidentals' own, above)
    SongInfo oneSharp = SongInfo::defaults();
    oneSharp.setKeySignature(1);
    EXPECT_EQ(paintSong(groups({note(3, 65)}), oneSharp).blitsOf(glyph_id::kAccidental[accidental::kNatural]),
              (Points{{kX0 + 7, 53}}));
}

// A stem-up tie and a triplet bracket over stems down are pinned by the melody's golden image.
TEST(ScorePainter, TiesJoinNotesOfOneKeyAndTupletBracketsSpanTheirNotesWithinALine) {
    // THEN an arc from x + 10 to x + 10, over the heads for stem down
    EXPECT_EQ(paintSong(groups({note(3, 74, mark::kTieBegin), note(3, 74, mark::kTieEnd)})).calls(Kind::Arc),
              (std::vector{tieArc({64, 40, 85, 52}, kArcUpperHalfStart)}));
    EXPECT_EQ(
        paintSong(groups({note(3, 67, mark::kTieBegin), note(3, 67, mark::kTieMiddle), note(3, 67, mark::kTieEnd)}))
            .calls(Kind::Arc),
        (std::vector{tieArc({64, 56, 85, 68}, kArcLowerHalfStart), tieArc({85, 56, 106, 68}, kArcLowerHalfStart)}));

    const RecordingCanvas across = paintSong(groups({note(3, 67, mark::kTieBegin), lineBreak(), note(3, 67, mark::kTieEnd)}));
    EXPECT_TRUE(across.calls(Kind::Arc).empty()) << across.dump();

    std::vector<SongRecord> eleven;
    for (std::uint8_t state : {mark::kTieBegin, mark::kTieEnd}) {
        const std::size_t first = eleven.size();
        for (int key : {60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77}) eleven.push_back(note(3, std::uint8_t(key), state));
        eleven[first].setGroupSize(11);
    }
    EXPECT_EQ(paintSong(eleven).calls(Kind::Arc).size(), 10u);

    // GIVEN a triplet of low eighths: the 2-pixel bracket stays at 42, from the first x + 7 to the gap around 85
    std::vector<SongRecord> low = notes(4, {60, 62, 64});
    markTuplet(low, {0, 1, 2}, 3);
    EXPECT_EQ(blackLines(paintSong(low)).front(), blackLine({61, 42}, {77, 42}, 2));

    std::vector<SongRecord> split = groups({note(4, 72), lineBreak(), note(4, 74), note(4, 76)});
    markTuplet(split, {0, 2, 3}, 3);
    EXPECT_TRUE(blackLines(paintSong(split)).empty());
}

// The texts' places, and key changes with their cancelling naturals, are pinned by the golden images.
TEST(ScorePainter, EffectMarkersShowOnTheScreenOnlyAndTextsOnBoth) {
    SongRecord curve;
    curve.setKind(kind::kVolumeCurve);
    const auto s = group({note(3, 67), effectValue(effect::kVolume, 90), curve, textRecord(kind::kLyric, "\x83\x68"),
                          textRecord(kind::kChordName, "C7")});
    // THEN an effect's marker, then a curve's
    const std::vector<CanvasCall> blits = paintSong(s).calls(Kind::Blit);
    EXPECT_EQ(std::vector(blits.end() - 3, blits.end() - 1),
              (std::vector{blitCall(glyph_id::kEffectMarker, {kX0, 0}, {0, 0, 12, 5}),
                           blitCall(glyph_id::kEffectMarker, {kX0 + 12, 0}, {12, 0, 24, 5})}));

    Score printed{s};
    printed.surface = Surface::Printer;
    const RecordingCanvas paper = printed.paint();
    EXPECT_EQ(paper.calls(Kind::Text).size(), 2u);
    EXPECT_TRUE(paper.blitsOf(glyph_id::kEffectMarker).empty());
}

// The caret's width in either mode is read off the song window's pixels in the main frame's test.
TEST(ScorePainter, SelectionInvertsTheRangeLineByLineAndMarkedLinesAreYellow) {
    Score score{groups({note(3, 67), note(3, 67), note(3, 67), lineBreak(), note(3, 67), note(3, 67), note(3, 67)})};
    score.view.anchor = {0, 1};
    score.view.cursor = {1, 2};
    const std::vector<CanvasCall> forward = score.paint().calls(Kind::Invert);
    ASSERT_EQ(forward.size(), 2u);
    EXPECT_EQ(forward[0].rect, (Rect{kX0 + 21, 0, kX0 + 84, 102}));
    EXPECT_EQ(forward[1].rect, (Rect{kX1, 102, kX1 + 42, 204}));
    std::swap(score.view.anchor, score.view.cursor);
    EXPECT_EQ(score.paint().calls(Kind::Invert), forward);
    score.view.anchor = {0, 2};
    score.view.cursor = {0, 1};
    EXPECT_EQ(score.paint().calls(Kind::Invert).at(0).rect, (Rect{kX0 + 21, 0, kX0 + 42, 102}));
    score.view.anchor = score.view.cursor;
    EXPECT_TRUE(score.paint().calls(Kind::Invert).empty());
    EXPECT_EQ(selectedColumns(score.table, 1, {0, 0}, {2, 0}), (ColumnSpan{0, 3}));
    EXPECT_EQ(selectedColumns(score.table, 2, {0, 0}, {1, 1}), std::nullopt);

    // GIVEN a grand staff of 153: the highlight covers its 139-pixel band
    Score grand{groups({note(3, 67), lineBreak(), note(3, 67)}), {}, {.grandStaff = true}};
    grand.view.cursor = {0, 1};
    EXPECT_EQ(grand.paint().calls(Kind::Invert).at(0).rect, (Rect{kX0, 0, kX0 + 21, 139}));

    // a marked line is yellow until the marks are cleared
    Score marked{groups({note(3, 67), lineBreak(), note(3, 67)})};
    marked.table.setMarked(1, true);
    EXPECT_EQ(marked.paint().calls(Kind::Fill),
              (std::vector{fillCall({0, 0, kWidth, 102}, kWhite), fillCall({0, 102, kWidth, 204}, kMarkYellow)}));
    marked.table.clearMarks();
    for (const CanvasCall& fill : marked.paint().calls(Kind::Fill)) EXPECT_EQ(fill.colour, kWhite);
}

}  // namespace
}  // namespace plume
