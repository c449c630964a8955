#include <gtest/gtest.h>

#include "app/enlarged_edit_group.h"
#include "app/entry_state.h"
#include "app/keyboard_palette_logic.h"
#include "score/score_view.h"
#include "support/song_builder.h"

namespace plume {
namespace {

KeyboardClick clickKey(KeyboardPalette& palette, int key, const KeyboardClickContext& context = {}) {
    const KeyRect r = palette.keyRect(key);
    return palette.click(r.x + r.width / 2, r.y + r.height - 2, context);
}

const int kBandY = 45;

std::vector<int> keysAndTypes(const std::vector<SongRecord>& group) {
    std::vector<int> out;
    for (const SongRecord& r : group) out.insert(out.end(), {r.groupSize(), r.key(), r.bytes[2], r.accidental()});
    return out;
}

TEST(KeyboardPalette, EveryKeyIsFoundWhereItIsDrawn) {
    for (int size : {0, 1}) {
        const KeyboardPalette palette(size);
        for (int key = kKeyboardLowestKey; key <= kKeyboardHighestKey; ++key) {
            const KeyRect r = palette.keyRect(key);
            EXPECT_EQ(palette.keyAt(r.x + r.width / 2, r.y + 1), key) << key;
            EXPECT_LE(r.x + r.width, palette.width());
        }
        // Below the black keys a white key's whole width is its own.
        const KeyRect c = palette.keyRect(60);
        EXPECT_EQ(palette.keyAt(c.x + c.width - 1, c.y + c.height - 1), 60);
        EXPECT_EQ(palette.keyAt(c.x + c.width - 1, c.y + 1), 61);
    }
    EXPECT_GT(KeyboardPalette(1).width(), KeyboardPalette(0).width());
}

TEST(KeyboardPalette, ClicksCollectAGroupThatTheBandSendsUnlessPlayingShiftOrTheWheelWindowStopIt) {
    KeyboardPalette palette;
    // C, E and G clicked, E twice more: highest first, the size in the first record
    EXPECT_EQ(clickKey(palette, 60).kind, KeyboardClick::Kind::Added);
    clickKey(palette, 64);
    clickKey(palette, 67);
    EXPECT_EQ(clickKey(palette, 64).kind, KeyboardClick::Kind::Removed);
    clickKey(palette, 64);
    EXPECT_EQ(keysAndTypes(palette.collection()), (std::vector<int>{3, 67, 0, 0, 0, 64, 0, 0, 0, 60, 0, 0}));
    // the band with an eighth-rest length sends eighth notes and starts a new group
    const KeyboardClickContext context{.lengthIndex = 9};
    const KeyboardClick sent = palette.click(10, kBandY, context);
    ASSERT_EQ(sent.kind, KeyboardClick::Kind::Sent);
    ASSERT_TRUE(sent.post);
    ASSERT_TRUE(std::holds_alternative<entry::EnterGroup>(*sent.post));
    EXPECT_EQ(keysAndTypes(std::get<entry::EnterGroup>(*sent.post).records),
              (std::vector<int>{3, 67, 4, 0, 0, 64, 4, 0, 0, 60, 4, 0}));
    EXPECT_TRUE(palette.collection().empty());
    EXPECT_EQ(palette.click(10, kBandY, context).kind, KeyboardClick::Kind::Ignored);
    EXPECT_EQ(palette.click(10, 20, context).kind, KeyboardClick::Kind::Drag);
    // ten keys at most; playing, Shift and the wheel window
    for (int key = 40; key < 51; ++key) clickKey(palette, key);
    EXPECT_EQ(palette.collection().size(), 10u);  // an eleventh key does not fit
    // while playing the band keeps the group
    const KeyboardClickContext playing{.playing = true};
    EXPECT_EQ(palette.click(10, kBandY, playing).kind, KeyboardClick::Kind::Ignored);
    EXPECT_EQ(palette.collection().size(), 10u);
    // Shift clears only with the new mouse input, and the open wheel window blocks every click.
    KeyboardClickContext shift{.shift = true};
    EXPECT_EQ(clickKey(palette, 40, shift).kind, KeyboardClick::Kind::Removed);
    shift.newMouseInput = true;
    shift.wheelOpen = true;
    EXPECT_EQ(clickKey(palette, 40, shift).kind, KeyboardClick::Kind::Ignored);
    shift.wheelOpen = false;
    EXPECT_EQ(clickKey(palette, 40, shift).kind, KeyboardClick::Kind::Cleared);
    EXPECT_TRUE(palette.collection().empty());
}

TEST(EnlargedEditGroup, EntryRequestsChangeItsOwnGroup) {
    EnlargedEditGroup palette;
    NoteChoice choice;
    EXPECT_FALSE(palette.isEnterEnabled());
    palette.receive(entry::EnterRest{8 | 0x40}, choice, false);
    EXPECT_EQ(keysAndTypes(palette.group()), (std::vector<int>{1, 0, 0x48, 0}));
    EXPECT_TRUE(palette.isEnterEnabled());
    // a chord with a dotted quarter chosen: highest first
    choice.lengthIndex = 2;
    choice.dot = 1;
    palette.receive(entry::EnterChord{{{60, 0}, {64, 18}, {67, 0}}}, choice, false);
    EXPECT_EQ(keysAndTypes(palette.group()), (std::vector<int>{3, 67, 0x43, 0, 0, 64, 0x43, 18, 0, 60, 0x43, 0}));
    // length keeps the dots, dots keep the length; a rest group keeps its type
    choice.lengthIndex = 0;
    palette.receive(entry::SetLength{0}, choice, false);
    EXPECT_EQ(palette.group()[1].bytes[2], 0x41);
    choice.dot = 2;
    palette.receive(entry::SetDots{2}, choice, false);
    EXPECT_EQ(palette.group()[2].bytes[2], 0x81);
    palette.receive(entry::EnterRest{10}, choice, false);
    palette.receive(entry::SetLength{0}, choice, false);
    EXPECT_EQ(palette.group()[0].bytes[2], 10);
}

TEST(EnlargedEditGroup, TheEnterButtonAndTheDragStrip) {
    EnlargedEditGroup palette;
    NoteChoice choice;
    const int x = kEditPaletteButtonRight - 4;
    const int enterY = kEditPaletteEnterTop + 4;
    // a disabled enter button does not arm; released elsewhere, nothing
    palette.buttonDown(x, enterY);
    EXPECT_FALSE(palette.buttonUp(x, enterY));
    palette.receive(entry::EnterChord{{{62, 0}}}, choice, false);
    palette.buttonDown(x, enterY);
    EXPECT_FALSE(palette.buttonUp(x, 100));
    palette.buttonDown(x, enterY);
    const auto button = palette.buttonUp(x, enterY);
    ASSERT_TRUE(button);
    EXPECT_EQ(*button, EntryRequest(entry::EditPaletteButton{edit_palette_button::kEnter}));
    // while playing the group waits; then it goes to the frame and "enter" is disabled
    EXPECT_FALSE(palette.receive(*button, choice, true));
    const auto entered = palette.receive(*button, choice, false);
    ASSERT_TRUE(entered);
    ASSERT_TRUE(std::holds_alternative<entry::EnterGroup>(*entered));
    EXPECT_EQ(keysAndTypes(std::get<entry::EnterGroup>(*entered).records), (std::vector<int>{1, 62, 1, 0}));
    EXPECT_FALSE(palette.isEnterEnabled());
    EXPECT_FALSE(palette.receive(*button, choice, false));
    // the top strip drags the window (the close button is clicked in the palette window's test)
    EXPECT_EQ(editPaletteArea(10, 15), EditPaletteArea::Drag);
    EXPECT_EQ(editPaletteArea(10, 16), EditPaletteArea::Body);
}

using namespace test;

TEST(EntryState, ADrumRequestEntersItsNotesWithTheDrumSetAsProgram) {
    // the quarter-rest length chosen, dotted: entries use a dotted quarter
    std::unique_ptr<CPlmDoc> doc = CPlmDoc::create();
    doc->load(songOf(notes(3, {60})));
    ScoreView view(*doc);
    const EntryState state{.choice = {.lengthIndex = 8, .dot = 1}};
    deliverToView(*doc, view, state.settings(), entry::EnterDrums{16, {{36, 0}, {42, 0}}});
    // set 16 with two keys: a group before the note, with the set as its program and a program record
    EXPECT_EQ(doc->record(0).groupSize(), 3);
    EXPECT_EQ(doc->record(0).key(), 42);
    EXPECT_EQ(doc->record(0).bytes[2], 3 | mark::kDotted);
    EXPECT_EQ(doc->record(1).programInForce(), 16);
    EXPECT_NE(doc->findEffect(0, effect::kProgram), kNoRecord);
    EXPECT_NE(doc->findEffect(3, effect::kProgram), kNoRecord) << "the next note gets its own program back";
    EXPECT_FALSE(deliverToView(*doc, view, state.settings(), entry::ChordSpare{}).changed);
}

}  // namespace
}  // namespace plume
