#include <gtest/gtest.h>

#include "app/edit_key_bar.h"
#include "app/entry_tool_wheel.h"
#include "app/frame_commands.h"
#include "app/palette_routing.h"

namespace plume {
namespace {

TEST(PaletteRouting, MessagesGoToTheWindowThatStandsForTheView) {
    RoutingState s;
    EXPECT_EQ(routePaletteMessage(0x853, s), PaletteTarget::View);
    s.editPaletteShown = true;
    EXPECT_EQ(routePaletteMessage(0x853, s), PaletteTarget::View);  // the view has not allowed it
    s.viewAllowsEditPalette = true;
    EXPECT_EQ(routePaletteMessage(0x852, s), PaletteTarget::EnlargedEditPalette);
    EXPECT_EQ(routePaletteMessage(0x85D, s), PaletteTarget::View);
    s.vokatoMode = true;
    EXPECT_EQ(routePaletteMessage(0x858, s), PaletteTarget::HumToScore);
    EXPECT_EQ(routePaletteMessage(0x85E, s), std::nullopt);
    EXPECT_EQ(routePaletteMessage(0x868, s), std::nullopt);
    // WHILE playing the group, drum and text relays stop; the value windows still reach the view.
    RoutingState playing;
    playing.playing = true;
    for (std::uint32_t m : {0x858u, 0x865u, 0x868u, 0x869u}) EXPECT_EQ(routePaletteMessage(m, playing), std::nullopt);
    EXPECT_EQ(routePaletteMessage(0x85D, playing), PaletteTarget::View);
}

TEST(PaletteRouting, ShowCommandsToggleAndTheTextBarsExcludeEachOther) {
    PaletteVisibility v;
    v.toggle(cmd::kChordPalette);
    EXPECT_TRUE(v.isShown(cmd::kChordPalette) && !v.isShown(cmd::kNotePalette));
    v.closed(cmd::kChordPalette);
    EXPECT_FALSE(v.isShown(cmd::kChordPalette));
    v.toggle(cmd::kLyricInput);
    v.toggle(cmd::kChordNameInput);
    EXPECT_FALSE(v.isShown(cmd::kLyricInput));
    EXPECT_TRUE(v.isShown(cmd::kChordNameInput));
}

TEST(EditKeyBar, ButtonsPassTheirKeyAndHideTheBar) {
    EditKeyBar bar;
    bar.showAt(300, 200);
    EXPECT_EQ(bar.press(edit_key_button::kInsert, false), (std::vector<PaletteMessage>{{0x100, 0x2D, {}}, {0x101, 0x2D, {}}}));
    EXPECT_FALSE(bar.isShown());
    const std::pair<int, int> keys[] = {{edit_key_button::kBackSpace, 0x08}, {edit_key_button::kDelete, 0x2E},
                                        {edit_key_button::kBarLine, 0x09}, {edit_key_button::kLineBreak, 0x0D}};
    for (auto [button, key] : keys)
        EXPECT_EQ(bar.press(button, false), (std::vector<PaletteMessage>{{0x100, std::uintptr_t(key), {}}}));
    EXPECT_EQ(bar.press(cmd::kLastLine, false), (std::vector<PaletteMessage>{{0x111, 32866, {}}}));
    // WHILE playing only insert/overwrite works, and the bar stays.
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
    // Each further notch restarts the two seconds.
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
    // The next notch opens the window again without stepping.
    wheel.notch(-120, 0);
    EXPECT_EQ(wheel.tool(), 3);
}

TEST_F(EntryToolWheelTest, StepsWrapAndSkipToolsTheLengthExcludes) {
    wheel.notch(-120, 0);
    notches(16, -120);
    EXPECT_EQ(wheel.tool(), 18);
    wheel.notch(-120, 0);
    EXPECT_EQ(wheel.tool(), 0);
    wheel.notch(120, 0);
    EXPECT_EQ(wheel.tool(), 18);
    // Up from 11: a whole rest skips 12 and 13; a 32nd note skips 13 and 14.
    notches(7, 120);
    ASSERT_EQ(wheel.tool(), 11);
    wheel.notch(-120, 6);
    EXPECT_EQ(wheel.tool(), 14);
    notches(2, 120);
    wheel.notch(-120, 5);
    EXPECT_EQ(wheel.tool(), 15);
    // Down: landing on 13 with a whole rest goes to 11, with a 32nd note to 12.
    notches(1, 120);
    wheel.notch(120, 6);
    EXPECT_EQ(wheel.tool(), 11);
    notches(3, -120);
    wheel.notch(120, 5);
    EXPECT_EQ(wheel.tool(), 12);
    wheel.notch(-120, 0);
    wheel.notch(120, 6);
    EXPECT_EQ(wheel.tool(), 11);
}

}  // namespace
}  // namespace plume
