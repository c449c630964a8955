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

TEST(FrameCommands, ToolBarsHoldTheirCommandsInOrder) {
    const std::vector<int> main(mainToolBar().begin(), mainToolBar().end());
    EXPECT_EQ(main, (std::vector<int>{cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, 0, cmd::kEditCut, cmd::kEditCopy,
                                      cmd::kEditPaste, 0, 32868, 32871, 32870, 0, 32875, 32876, 32877, 32878, 32873,
                                      32894, 0, 32881, 0, 32864, 32863, 32772, 32773, 0, 32874, 0,
                                      cmd::kContextHelp}));
    const std::vector<int> vokato(vokatoToolBar().begin(), vokatoToolBar().end());
    EXPECT_EQ(vokato, (std::vector<int>{700, 701, 0, 0, 706, 711, 705, 0, 709, 710, 0, 713}));
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

    std::vector<std::string> titles;
    for (const Menu& menu : mainMenus()) titles.emplace_back(menu.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"ファイル", "編集", "表示", "ﾌﾟﾛｼﾞｪｸﾄ", "演奏", "Vokato", "ウィンドウ",
                                                "ヘルプ"}));
    EXPECT_EQ(commandText(cmd::kExportMidi), "MIDIﾌｧｲﾙ作成");
    EXPECT_EQ(commandText(cmd::kExportMld), "i ﾒﾛﾃﾞｨ(mld)ﾌｧｲﾙ作成");
    EXPECT_EQ(commandText(cmd::kGrandStaff), "大譜表表示");
    EXPECT_EQ(commandText(cmd::kLevelMeter), "ﾚﾍﾞﾙﾒｰﾀ表示");
    EXPECT_EQ(commandText(cmd::kTriplet + 4), "七連符");
}

TEST(FrameCommands, CommandsOfLaterWorkAreShownDisabled) {
    FrameState everything = songActive();
    everything.projectSet = true;
    everything.hasRange = true;
    for (int id : {cmd::kPlay, cmd::kStop, cmd::kVokato, cmd::kNotePalette, cmd::kFilePrint, cmd::kVokatoRecord,
                   cmd::kMidiDevice})
        EXPECT_FALSE(commandEnabled(id, everything)) << id;
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

TEST(FrameCommands, TogglesShowTheirState) {
    FrameState s;
    s.grandStaff = true;
    s.repeat = true;
    s.showLevel = false;
    EXPECT_EQ(commandChecked(cmd::kGrandStaff, s), true);
    EXPECT_EQ(commandChecked(cmd::kRepeat, s), true);
    EXPECT_EQ(commandChecked(cmd::kAllTracks, s), false);
    EXPECT_EQ(commandChecked(cmd::kLevelMeter, s), false);
    EXPECT_EQ(commandChecked(cmd::kFileOpen, s), std::nullopt);
}

TEST(FrameCommands, PaneTextsAndTheCloseRule) {
    EXPECT_EQ(linePaneText(7), "  7行");
    EXPECT_EQ(linePaneText(1234), "1234行");
    EXPECT_EQ(linePaneText(-1), "");
    EXPECT_EQ(barPaneText(12), " 12小節");

    FrameState s;
    EXPECT_EQ(closeRefusal(s), std::nullopt);
    s.vokatoMode = true;
    EXPECT_EQ(closeRefusal(s), "Vokatoを終わりにしてから、終了して下さい。");
    s.playing = true;
    EXPECT_EQ(closeRefusal(s), "演奏を止めてから、終了して下さい。");
}

}  // namespace
}  // namespace plume
