#include <gtest/gtest.h>

#include "app/edit_key_bar.h"
#include "app/entry_tool_wheel.h"
#include "app/frame_commands.h"
#include "app/palette_routing.h"
#include "app/vokato_entry.h"
#include "platform/message_box.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr std::uint8_t kHalf = 2, kEighth = 4, kQuarterRest = 9;

TEST(PaletteRouting, RequestsGoToTheWindowThatStandsForTheViewAndShowCommandsToggleOnlyTheFloatingPalettes) {
    const EntryRequest chord = entry::EnterChord{{{60, 0}}};
    const EntryRequest group = entry::EnterGroup{};
    const EntryRequest lyric = entry::SetLyric{"あ"};
    const EntryRequest gates = entry::SetDelayGates{};
    RoutingState s{.editPaletteShown = true};
    EXPECT_EQ(routeEntryRequest(chord, s), PaletteTarget::View);  // the view has not allowed it
    s.viewAllowsEditPalette = true;
    EXPECT_EQ(routeEntryRequest(chord, s), PaletteTarget::EnlargedEditPalette);
    EXPECT_EQ(routeEntryRequest(gates, s), PaletteTarget::View);  // the value windows reach the view only
    s.vokatoMode = true;
    EXPECT_EQ(routeEntryRequest(group, s), PaletteTarget::HumToScore);
    EXPECT_EQ(routeEntryRequest(lyric, s), std::nullopt);
    // while playing, a group or a text that would change the song stops; the value windows go on
    const RoutingState playing{.playing = true};
    EXPECT_EQ(routeEntryRequest(group, playing), std::nullopt);
    EXPECT_EQ(routeEntryRequest(lyric, playing), std::nullopt);
    EXPECT_EQ(routeEntryRequest(gates, playing), PaletteTarget::View);
    // the show commands toggle the floating palettes only
    PaletteVisibility v;
    v.toggle(cmd::kChordPalette);
    EXPECT_TRUE(v.isShown(cmd::kChordPalette) && !v.isShown(cmd::kNotePalette));
    v.closed(cmd::kChordPalette);
    EXPECT_FALSE(v.isShown(cmd::kChordPalette));
    v.toggle(cmd::kLyricInput);  // a bar of the frame's own
    EXPECT_FALSE(v.isShown(cmd::kLyricInput));
}

TEST(EditKeyBar, ButtonsPassTheirKeyAndHideTheBar) {
    EditKeyBar bar;
    bar.showAt(300, 200);
    EXPECT_EQ(bar.press(edit_key_button::kInsert, false),
              (std::vector<EntryRequest>{entry::KeyDown{vk::kInsert}, entry::KeyUp{vk::kInsert}}));
    EXPECT_FALSE(bar.isShown());
    EXPECT_EQ(bar.press(edit_key_button::kDelete, false), std::vector<EntryRequest>{entry::KeyDown{vk::kDelete}});
    // the frame's commands on the bar run as commands
    EXPECT_EQ(bar.press(cmd::kLastLine, false), std::vector<EntryRequest>{entry::RunCommand{cmd::kLastLine}});
    // while playing only insert/overwrite works, and the bar stays
    bar.showAt(10, 10);
    EXPECT_TRUE(bar.press(edit_key_button::kDelete, true).empty());
    EXPECT_TRUE(bar.isShown());
    EXPECT_EQ(bar.press(edit_key_button::kInsert, true).size(), 2u);
}

class EntryToolWheelTest : public testing::Test {
protected:
    platform::ManualTimers timers;
    std::vector<unsigned> refreshes;
    EntryToolWheel wheel{timers, [this](unsigned windows) { refreshes.push_back(windows); }};

    void notches(int n, int delta, int lengthIndex = 0) {
        for (int i = 0; i < n; ++i) wheel.notch(delta, lengthIndex);
    }
};

TEST_F(EntryToolWheelTest, TheFirstNotchOpensAndTheTimerCloses) {
    wheel.notch(-120, 0);
    EXPECT_TRUE(wheel.isOpen());
    EXPECT_EQ(wheel.tool(), 2);
    EXPECT_EQ(timers.intervalOf(wheel, 24), 2000);
    EXPECT_TRUE(refreshes.empty());
    // each further notch restarts the two seconds
    timers.advanceMillis(1500);
    notches(2, -120);
    EXPECT_EQ(wheel.tool(), 4);
    timers.advanceMillis(1500);
    wheel.notch(120, 0);
    EXPECT_EQ(wheel.tool(), 3);
    EXPECT_EQ(refreshes, (std::vector<unsigned>(3, cursor_refresh::kPalettes)));
    timers.advanceMillis(2000);
    EXPECT_FALSE(wheel.isOpen());
    EXPECT_FALSE(timers.isSet(wheel, 24));
    EXPECT_EQ(refreshes.back(), cursor_refresh::kView | cursor_refresh::kPalettes);
    // the next notch opens the window again without stepping
    wheel.notch(-120, 0);
    EXPECT_EQ(wheel.tool(), 3);
}

TEST_F(EntryToolWheelTest, StepsWrapAndSkipToolsTheLengthExcludes) {
    // each row: notches of `delta` at `lengthIndex`, then the tool; a negative delta steps up
    const struct {
        int count, delta, lengthIndex, tool;
    } rows[] = {
        {16, -120, 0, 18}, {1, -120, 0, 0}, {1, 120, 0, 18}, {7, 120, 0, 11},
        // up: a whole rest (6) skips 12 and 13, a 32nd note (5) skips 13 and 14
        {1, -120, 6, 14}, {2, 120, 0, 12}, {1, -120, 5, 15},
        // down onto 13: a whole rest goes on to 11, a 32nd note to 12
        {1, 120, 0, 14}, {1, 120, 6, 11}, {3, -120, 0, 14}, {1, 120, 5, 12}, {1, -120, 0, 13}, {1, 120, 6, 11},
    };
    wheel.notch(-120, 0);
    for (const auto& r : rows) {
        notches(r.count, r.delta, r.lengthIndex);
        EXPECT_EQ(wheel.tool(), r.tool) << r.count << " x " << r.delta << " at length " << r.lengthIndex;
    }
}

TEST(PaletteRouting, TheHumToScoreWindowTakesRestsChordsLengthsDotsGroupsAndDrums) {
    platform::ScriptedMessageBox box;
    const SongInfo info = SongInfo::defaults();
    voice::VokatoNotes notes;
    EntrySettings eighth{kEighth, 0, true};
    ASSERT_TRUE(applyEntryToVokato(notes, entry::EnterChord{{{67, 0}, {60, 0}, {kEndOfList, 0}}}, eighth, info));
    ASSERT_TRUE(applyEntryToVokato(notes, entry::EnterRest{kQuarterRest}, eighth, info));
    // a chord becomes one group sorted by key, at the palette's length, with the transcription's gate
    ASSERT_EQ(notes.records().size(), 3u);
    EXPECT_EQ(test::keysOf(notes.records(), 0), (std::vector<int>{60, 67}));
    EXPECT_EQ(notes.records()[1].type(), kEighth);
    EXPECT_EQ(notes.records()[0].gate(), 75);
    EXPECT_EQ(notes.records()[2].type(), kQuarterRest);
    // at the chord: a length reaches its notes, a dot reaches the rest too; a rest takes no length
    notes.moveCursor(-2);
    ASSERT_TRUE(applyEntryToVokato(notes, entry::SetLength{}, EntrySettings{kHalf, mark::kDotted, true}, info));
    EXPECT_EQ(notes.records()[1].typeAndDots(), kHalf | mark::kDotted);
    notes.moveCursor(1);
    EXPECT_FALSE(applyEntryToVokato(notes, entry::SetLength{}, eighth, info));
    ASSERT_TRUE(applyEntryToVokato(notes, entry::SetDots{2}, eighth, info));
    EXPECT_EQ(notes.records()[2].dots(), mark::kDoubleDotted);
    // overwriting with a complete group keeps the replaced group's byte 3
    voice::VokatoNotes marked;
    const SongRecord tied{{1, kind::kScore, kEighth, 0x21, 0, 60, 100, 0, 75, 0}};
    ASSERT_TRUE(applyEntryToVokato(marked, entry::EnterGroup{{tied}}, eighth, info));
    marked.moveCursor(-1);
    const SongRecord single{{1, kind::kScore, type::kWhole, 0, 0, 72, 100, 0, 75, 0}};
    ASSERT_TRUE(applyEntryToVokato(marked, entry::EnterGroup{{single}}, EntrySettings{kEighth, 0, false}, info));
    EXPECT_EQ(marked.records()[0].key(), 72);
    EXPECT_EQ(marked.records()[0].marks(), 0x21);
    // drums write their set into every record; texts are not taken
    ASSERT_TRUE(applyEntryToVokato(notes, entry::EnterDrums{25, {{38, 0}, {kEndOfList, 0}}}, eighth, info));
    for (const SongRecord& r : notes.records()) EXPECT_EQ(r.programInForce(), 25);
    EXPECT_FALSE(applyEntryToVokato(notes, entry::SetLyric{"あ"}, eighth, info));
}

}  // namespace
}  // namespace plume
