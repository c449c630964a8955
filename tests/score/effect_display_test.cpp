#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "platform/message_box.h"
#include "score/effect_display.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

// Fills and inversions into pixels; lines and text are left out.
class PixelCanvas : public Canvas {
public:
    PixelCanvas(int width, int height) : m_width(width), m_pixels(std::size_t(width * height), kWhite) {}
    Rgb pixel(int x, int y) const { return m_pixels[std::size_t(y * m_width + x)]; }
    void fillRect(const Rect& r, Rgb colour) override {
        for (int y = std::max(r.top, 0); y < r.bottom && y < height(); ++y)
            for (int x = std::max(r.left, 0); x < r.right && x < m_width; ++x) m_pixels[std::size_t(y * m_width + x)] = colour;
    }
    void invertRect(const Rect& r) override {
        for (int y = std::max(r.top, 0); y < r.bottom && y < height(); ++y)
            for (int x = std::max(r.left, 0); x < r.right && x < m_width; ++x) {
                Rgb& p = m_pixels[std::size_t(y * m_width + x)];
                p = {std::uint8_t(255 - p.red), std::uint8_t(255 - p.green), std::uint8_t(255 - p.blue)};
            }
    }
    void line(Point, Point, const Pen&) override {}
    void arc(const Rect&, int, int, const Pen&) override {}
    void blit(const Glyph&, Point, const Rect&) override {}
    void text(Point, std::string_view) override {}

private:
    int height() const { return int(m_pixels.size()) / m_width; }
    int m_width;
    std::vector<Rgb> m_pixels;
};

std::vector<int> widths(const std::vector<SongRecord>& song, int zoom) {
    std::vector<int> w;
    for (const EffectItem& item : effectLayout(song, zoom)) w.push_back(item.width);
    return w;
}

TEST(EffectDisplayLayout, GroupWidthsFollowDurationAndZoom) {
    // whole, half, dotted quarter, double-dotted eighth, bar line, spacer (skipped), 16th rest
    std::vector<SongRecord> song = groups({note(1, 60), note(2, 60), note(3, 60, 0, mark::kDotted),
                                           note(4, 60, 0, mark::kDoubleDotted), barLine(), scoreMark(type::kSpacer),
                                           rest(11)});
    const int unit[4] = {28, 14, 7, 4};
    for (int zoom = 0; zoom < 4; ++zoom) {
        const int u = unit[zoom];
        EXPECT_EQ(widths(song, zoom),
                  (std::vector<int>{32 * u, 16 * u, 8 * u * 150 / 100, 4 * u * 175 / 100, 8, 2 * u}))
            << "zoom " << zoom;
    }
    // the row starts at 88 and each group follows the one before
    const std::vector<EffectItem> items = effectLayout(song, 3);
    EXPECT_EQ(items[0].x, 88);
    EXPECT_EQ(items[1].x, 88 + 128);
    EXPECT_EQ(effectLayoutEnd(items), 88 + 128 + 64 + 48 + 28 + 8 + 8);
}

TEST(EffectDisplayLayout, ATupletSharesItsSpanWithTheRemainderToItsFirstNote) {
    // a triplet of eighths spans a quarter: 8 units; a quintuplet of 16ths spans a quarter too
    std::vector<SongRecord> triplet = groups({note(4, 60), note(4, 62), note(4, 64)});
    markTuplet(triplet, {0, 1, 2}, 3);
    std::vector<SongRecord> quintuplet = groups({note(5, 60), note(5, 62), note(5, 64), note(5, 65), note(5, 67)});
    markTuplet(quintuplet, {0, 1, 2, 3, 4}, 5);
    // zoom 3: 32 px / 3 = 10 rest 2; zoom 2: 56 / 3 = 18 rest 2; zoom 0: 224 / 3 = 74 rest 2
    EXPECT_EQ(widths(triplet, 3), (std::vector<int>{12, 10, 10}));
    EXPECT_EQ(widths(triplet, 2), (std::vector<int>{20, 18, 18}));
    EXPECT_EQ(widths(triplet, 0), (std::vector<int>{76, 74, 74}));
    // zoom 1: 8 x 14 = 112 px / 5 = 22 rest 2
    EXPECT_EQ(widths(quintuplet, 1), (std::vector<int>{24, 22, 22, 22, 22}));
}

class EffectDisplayEdit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.load(songOf(groups({note(3, 60), note(3, 62), barLine(), note(3, 64)}))));
        view.rebuild();
        items = effectLayout(doc.records(), 2);  // quarters 56 px wide
    }
    platform::ScriptedMessageBox box;
    CPlmDoc doc;
    ScoreView view{doc};
    std::vector<EffectItem> items;
};

TEST_F(EffectDisplayEdit, ClicksPlaceTheCursorOrEditTheClickedRow) {
    // left of 88 and below the rows nothing happens
    EXPECT_EQ(effectHit(items, 0, 87, 5).kind, EffectHit::Kind::None);
    EXPECT_EQ(effectHit(items, 0, 100, kEffectDisplayHeight).kind, EffectHit::Kind::None);
    // in the strip: the second note's left half puts the cursor on it, its right half after it
    EXPECT_EQ(effectHit(items, 0, 88 + 56 + 10, 5).kind, EffectHit::Kind::Cursor);
    EXPECT_EQ(effectHit(items, 0, 88 + 56 + 10, 5).cursor, 1);
    EXPECT_EQ(effectHit(items, 0, 88 + 56 + 40, 5).cursor, 2);
    // scrolled by 56 the same point is over the bar line's right half
    EXPECT_EQ(effectHit(items, 56, 88 + 56 + 5, 5).cursor, 3);
    // in the pan row (second): its top is 127, its bottom 0
    const int panTop = kEffectHeaderHeight + kEffectRowHeight;
    const EffectHit hit = effectHit(items, 0, 90, panTop);
    EXPECT_EQ(std::tuple(hit.kind, int(hit.number), hit.group, hit.value),
              std::tuple(EffectHit::Kind::Value, int(effect::kPan), 0u, 127));
    EXPECT_EQ(effectHit(items, 0, 90, panTop + kEffectRowHeight - 1).value, 0);
    ASSERT_TRUE(applyEffectHit(doc, view, effectHit(items, 0, 90, panTop)));
    EXPECT_EQ(doc.record(doc.findEffect(0, effect::kPan)).value(), 127);
    EXPECT_EQ(view.undoRing().newestKind(), UndoKind::Effect);
    // the velocity row of a bar line has nothing to edit
    items = effectLayout(doc.records(), 2);
    const int velocityTop = kEffectHeaderHeight + 9 * kEffectRowHeight;
    EXPECT_FALSE(applyEffectHit(doc, view, effectHit(items, 0, 88 + 112 + 2, velocityTop)));
}

TEST_F(EffectDisplayEdit, BackSpaceDeletesTheGroupBeforeTheCursor) {
    int cursor = 0;
    EXPECT_FALSE(effectBackSpace(doc, view, items, cursor));
    cursor = 2;
    ASSERT_TRUE(effectBackSpace(doc, view, items, cursor));
    EXPECT_EQ(cursor, 1);
    EXPECT_EQ(groupTypes(doc.records()), (std::vector<int>{3, 13, 3}));
    EXPECT_EQ(keysOf(doc.records(), 2), std::vector<int>{64});
    EXPECT_EQ(view.undoRing().newestKind(), UndoKind::BackSpace);
}

TEST_F(EffectDisplayEdit, ValuesAreDrawnAsBarsInTheirEffectsColour) {
    ASSERT_TRUE(doc.appendEffect(0, effect::kVolume, 127));
    items = effectLayout(doc.records(), 2);
    PixelCanvas canvas(400, kEffectDisplayHeight);
    paintEffectDisplay(canvas, doc.records(), items, {.scroll = 0, .width = 400, .cursor = 0, .showCursor = false});
    // a full volume fills its row's inside in the volume colour; the next note's volume row stays dark
    const int volumeMiddle = kEffectHeaderHeight + kEffectRowHeight / 2;
    EXPECT_EQ(canvas.pixel(90, volumeMiddle), (Rgb{53, 255, 255}));
    EXPECT_EQ(canvas.pixel(88 + 56 + 5, volumeMiddle), kBlack);
    // the notes' velocity (100 of 127) stands in the velocity row
    const int velocityBottom = kEffectHeaderHeight + 10 * kEffectRowHeight - 3;
    EXPECT_EQ(canvas.pixel(90, velocityBottom), kWhite);
    EXPECT_EQ(canvas.pixel(90, velocityBottom - 16), kBlack);
    // the cursor inverts a column at its group's left edge
    paintEffectDisplay(canvas, doc.records(), items, {.scroll = 0, .width = 400, .cursor = 1, .showCursor = true});
    EXPECT_EQ(canvas.pixel(88 + 56, volumeMiddle + kEffectRowHeight), kWhite);
}

}  // namespace
}  // namespace plume
