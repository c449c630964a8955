#include <gtest/gtest.h>

#include <set>

#include "score/glyphs.h"
#include "score/pitch_spelling.h"

namespace plume {
namespace {

const GlyphSet& glyphSet() {
    static const GlyphSet set;
    return set;
}

// Smallest rectangle holding the ink of a glyph's columns [fromX, toX) and rows [fromY, toY).
Rect inkBox(const Glyph& g, int fromX = 0, int toX = -1, int fromY = 0, int toY = -1) {
    if (toX < 0) toX = g.width;
    if (toY < 0) toY = g.height;
    Rect box{g.width, g.height, -1, -1};
    for (int y = fromY; y < toY; ++y) {
        for (int x = fromX; x < toX; ++x) {
            if (!g.isInk(x, y)) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        }
    }
    return box;
}

int centreRow(const Rect& box) { return (box.top + box.bottom - 1) / 2; }

// Sizes where the drawing takes whole glyphs are pinned by the painter's blit rectangles and the
// golden images; here each glyph is told apart and carries ink.
TEST(Glyphs, EveryGlyphHasAnIdAndInk) {
    const GlyphSet& set = glyphSet();
    std::set<int> ids;
    for (const Glyph& g : set.all()) {
        EXPECT_TRUE(ids.insert(g.id).second) << "duplicate id " << g.id;
        EXPECT_GE(inkBox(g).right, 0) << "glyph " << g.id << " is blank";
    }
    for (int type = 1; type <= 6; ++type) EXPECT_EQ(set.note(type, true).width, type == 1 ? 16 : 10);
    EXPECT_EQ(set.tupletDigit(2), nullptr);
    EXPECT_EQ(set.tupletDigit(8), nullptr);
}

TEST(Glyphs, ClefAndKeyBitmapsHaveTheWidthsTheLayoutUses) {
    const GlyphSet& set = glyphSet();
    for (int key = 0; key < kKeyCount; ++key) {
        EXPECT_EQ(set.clefKey(Clef::Treble, key).width, clefKeyWidth(key)) << key;
        EXPECT_EQ(set.clefKey(Clef::Bass, key).width, clefKeyWidth(key)) << key;
        EXPECT_EQ(set.keyChange(Clef::Treble, key).width, keyChangeWidth(key)) << key;
        EXPECT_EQ(set.keyCancel(Clef::Bass, key).width, keyChangeWidth(key)) << key;
        EXPECT_EQ(set.clefKey(Clef::Treble, key).height, 48);
        EXPECT_EQ(set.clefKey(Clef::Bass, key).height, key > 7 ? 35 : 34);
    }
}

TEST(Glyphs, NoteHeadsCentreOnTheirAnchorRow) {
    const GlyphSet& set = glyphSet();
    for (int type = 1; type <= 6; ++type) {
        // GIVEN the stem-up glyph: the head lies in rows 19..23 left of the stem column
        const Glyph& up = set.note(type, false);
        EXPECT_EQ(centreRow(inkBox(up, 0, glyph::kStemUpColumn)), glyph::kStemUpHeadCentre) << type;
        // AND the stem-down glyph: in rows 0..4 right of its stem column
        const Glyph& down = set.note(type, true);
        EXPECT_EQ(centreRow(inkBox(down, glyph::kStemDownColumn + 1, 4, 0, 8)), glyph::kStemDownHeadCentre) << type;
        if (type == type::kWhole) {
            // THEN a whole note has nothing but its head
            EXPECT_EQ(inkBox(up).top, 19);
            EXPECT_EQ(inkBox(down).bottom, 5);
            continue;
        }
        // THEN the stem runs unbroken from the head to the glyph's far edge
        for (int y = 0; y <= 19; ++y) EXPECT_TRUE(up.isInk(glyph::kStemUpColumn, y)) << type << " row " << y;
        for (int y = 2; y < 24; ++y) EXPECT_TRUE(down.isInk(glyph::kStemDownColumn, y)) << type << " row " << y;
    }
    // AND chord heads are 5 rows, the shifted ones starting on the stem column
    EXPECT_EQ(inkBox(set.chordHead(3, false)), (Rect{0, 0, 5, 5}));
    EXPECT_EQ(inkBox(set.chordHead(3, true)), (Rect{4, 0, 9, 5}));
    EXPECT_EQ(inkBox(set.chordHead(1, true)).left, 4);
}

TEST(Glyphs, AccidentalsRestsAndBarsSitOnTheirLines) {
    const GlyphSet& set = glyphSet();
    // Accidentals centred on row 9; a flat's bowl ends 3 rows below it
    for (int code : {accidental::kSharp, accidental::kNatural, accidental::kDoubleSharp})
        EXPECT_EQ(centreRow(inkBox(set.accidental(code))), glyph::kAccidentalCentre) << code;
    EXPECT_EQ(inkBox(set.accidental(accidental::kFlat)).bottom, 13);
    // Rests: the whole rest hangs from the second line, the half rest sits on the middle one
    EXPECT_EQ(inkBox(set.rest(type::kWholeRest)).top, 6);
    EXPECT_EQ(inkBox(set.rest(8)).bottom, 13);
    // Bars start on the top line and reach the grand staff's bottom line
    for (const Glyph* g : {&set.barLine(), &set.lineBreak(), &set.endOfSong()})
        EXPECT_EQ(inkBox(*g).top, 0) << g->id;
    EXPECT_EQ(inkBox(set.barLine()), (Rect{10, 0, 11, 61}));
}

TEST(Glyphs, KeySignaturesStandOnTheirSteps) {
    const GlyphSet& set = glyphSet();
    const int firstColumn = kClefWidth;
    const int secondColumn = kClefWidth + kKeyAccidentalWidth;
    // GIVEN one sharp: on the treble F line (row 12 of a bitmap at 29) and the bass F line (row 10 at 73)
    EXPECT_EQ(centreRow(inkBox(set.clefKey(Clef::Treble, 1), firstColumn, secondColumn)), 41 - 29);
    EXPECT_EQ(centreRow(inkBox(set.clefKey(Clef::Bass, 1), firstColumn, secondColumn)), 83 - 73);
    // GIVEN two sharps: the second on C5 (y 50)
    EXPECT_EQ(centreRow(inkBox(set.clefKey(Clef::Treble, 2), secondColumn, secondColumn + 6)), 50 - 29);
    // GIVEN one flat on the middle line B4 (y 53): its glyph's row 9 lies there
    const Rect flat = inkBox(set.clefKey(Clef::Treble, 8), firstColumn, secondColumn);
    EXPECT_EQ(flat.top, 53 - 29 - glyph::kAccidentalCentre);
    // AND a key change to key 0 from two flats shows two naturals, on B and E
    const Glyph& cancel = set.keyCancel(Clef::Treble, 9);
    EXPECT_EQ(centreRow(inkBox(cancel, 0, 6)), 53 - 29);
    EXPECT_EQ(centreRow(inkBox(cancel, 7, 13)), 44 - 29);
}

}  // namespace
}  // namespace plume
