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

}  // namespace
}  // namespace plume
