#include <gtest/gtest.h>

#include <set>

#include "app/frame_commands.h"

namespace plume {
namespace {

FrameState songActive() {
    FrameState s;
    s.active = ActiveChild::Song;
    s.songEmpty = false;
    return s;
}

TEST(FrameCommands, EveryCommandOfTheToolBarsHasOneMenuItem) {
    std::multiset<int> inMenus;
    std::function<void(std::span<const MenuEntry>)> walk = [&](std::span<const MenuEntry> entries) {
        for (const MenuEntry& e : entries) {
            if (e.id == MenuEntry::kSubmenu) walk(e.entries);
            else if (e.id > 0) inMenus.insert(e.id);
        }
    };
    for (const Menu& menu : mainMenus()) walk(menu.entries);
    std::vector<int> toolBarIds(mainToolBar().begin(), mainToolBar().end());
    toolBarIds.insert(toolBarIds.end(), vokatoToolBar().begin(), vokatoToolBar().end());
    std::erase(toolBarIds, 0);
    for (int id : toolBarIds) EXPECT_EQ(inMenus.count(id), 1u) << id;
    for (int id : inMenus) EXPECT_EQ(inMenus.count(id), 1u) << id;
    EXPECT_EQ(commandText(cmd::kTriplet + 4), "七連符");  // the tuplet commands follow on from the triplet
}

TEST(FrameCommands, CommandsOfLaterWorkAreShownDisabled) {
    FrameState everything = songActive();
    everything.projectSet = true;
    everything.hasRange = true;
    for (int id : {cmd::kVokato, cmd::kFilePrint, cmd::kVokatoRecord}) EXPECT_FALSE(commandEnabled(id, everything)) << id;
    for (int id : {cmd::kFileOpen, cmd::kProjectNew, cmd::kProjectOpen, cmd::kGrandStaff, cmd::kAllTracks,
                   cmd::kRepeat, cmd::kAppExit})
        EXPECT_TRUE(commandEnabled(id, FrameState{})) << id;
}

TEST(FrameCommands, ExportNeedsAProjectAndNoPlayback) {
    FrameState s;
    EXPECT_FALSE(commandEnabled(cmd::kExportMidi, s));
    EXPECT_FALSE(commandEnabled(cmd::kProjectClose, s));
    s.projectSet = true;
    EXPECT_TRUE(commandEnabled(cmd::kExportMidi, s));
    EXPECT_TRUE(commandEnabled(cmd::kExportMld, s));
    EXPECT_TRUE(commandEnabled(cmd::kProjectClose, s));
    s.playing = true;
    EXPECT_FALSE(commandEnabled(cmd::kExportMidi, s));
    EXPECT_FALSE(commandEnabled(cmd::kExportMld, s));
    EXPECT_FALSE(commandEnabled(cmd::kLevelMeter, s));
}

TEST(FrameCommands, ViewCommandsNeedAShownSongWindow) {
    FrameState s = songActive();
    EXPECT_TRUE(commandEnabled(cmd::kEditSelectAll, s));
    EXPECT_TRUE(commandEnabled(cmd::kFirstLine, s));
    EXPECT_FALSE(commandEnabled(cmd::kClearRange, s));
    s.hasRange = true;
    EXPECT_TRUE(commandEnabled(cmd::kClearRange, s));
    // an empty song has nothing to select
    s.songEmpty = true;
    EXPECT_FALSE(commandEnabled(cmd::kEditSelectAll, s));
    // a minimised window can still be saved, not scrolled
    s.activeMinimised = true;
    EXPECT_FALSE(commandEnabled(cmd::kFirstLine, s));
    EXPECT_TRUE(commandEnabled(cmd::kFileSave, s));
    EXPECT_FALSE(positionPanesEnabled(s));
    s.active = ActiveChild::Mixer;
    s.activeMinimised = false;
    EXPECT_FALSE(commandEnabled(cmd::kFileSave, s));
    EXPECT_FALSE(positionPanesEnabled(s));
    EXPECT_TRUE(positionPanesEnabled(songActive()));
}

TEST(FrameCommands, EditCommandsFollowTheRangeTheClipboardAndTheUndoRing) {
    FrameState s = songActive();
    for (int id : {cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kTranspose, cmd::kTriplet})
        EXPECT_FALSE(commandEnabled(id, s)) << id;
    s.hasRange = true;
    s.clipboardFull = true;
    s.canUndo = true;
    for (int id : {cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kTranspose}) EXPECT_TRUE(commandEnabled(id, s));
    // a range that forms three enables "三連符" only, and not while playing
    s.tupletCount = 3;
    EXPECT_TRUE(commandEnabled(cmd::kTriplet, s));
    EXPECT_FALSE(commandEnabled(cmd::kTriplet + 1, s));
    s.playing = true;
    EXPECT_FALSE(commandEnabled(cmd::kTriplet, s));
    s.projectSet = true;
    EXPECT_FALSE(commandEnabled(cmd::kCheckAll, s));
}

TEST(FrameCommands, TogglesPaneTextsAndTheCloseRule) {
    FrameState toggles;
    toggles.repeat = true;
    toggles.showLevel = false;
    EXPECT_EQ(commandChecked(cmd::kRepeat, toggles), true);
    EXPECT_EQ(commandChecked(cmd::kLevelMeter, toggles), false);
    EXPECT_EQ(commandChecked(cmd::kFileOpen, toggles), std::nullopt);

    EXPECT_EQ((std::vector{linePaneText(7), linePaneText(1234), linePaneText(-1), barPaneText(12)}),
              (std::vector<std::string>{"  7行", "1234行", "", " 12小節"}));

    FrameState s;
    EXPECT_EQ(closeRefusal(s), std::nullopt);
    s.vokatoMode = true;
    EXPECT_EQ(closeRefusal(s), "Vokatoを終わりにしてから、終了して下さい。");
    s.playing = true;
    EXPECT_EQ(closeRefusal(s), "演奏を止めてから、終了して下さい。");
}

}  // namespace
}  // namespace plume
