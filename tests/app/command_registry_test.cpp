#include <gtest/gtest.h>

#include <set>

#include "app/command_registry.h"

namespace plume {
namespace {

FrameState songActive() {
    FrameState s;
    s.active = ActiveChild::Song;
    s.songEmpty = false;
    return s;
}

// A registry with every command bound to an action that records its id and index.
struct BoundRegistry {
    CommandRegistry registry;
    std::vector<std::pair<int, int>> runs;

    BoundRegistry() {
        for (const CommandEntry& e : commandEntries())
            if (e.id > 0) registry.bind(e.id, CommandRegistry::Action([this, id = e.id](int i) { runs.push_back({id, i}); }));
    }
};

TEST(CommandRegistry, EveryCommandHasOneEntryAndEveryToolButtonACommand) {
    std::multiset<int> ids;
    for (const CommandEntry& e : commandEntries())
        for (int id = e.id; id > 0 && id < e.id + e.count; ++id) ids.insert(id);
    for (int id : ids) EXPECT_EQ(ids.count(id), 1u) << id;
    for (std::span<const int> bar : {mainToolBar(), vokatoToolBar()})
        for (int id : bar) EXPECT_TRUE(id == 0 || findCommand(id)) << id;
    EXPECT_EQ(findCommand(cmd::kRecentProject1 + 7), findCommand(cmd::kRecentProject1));
    EXPECT_EQ(findCommand(cmd::kRecentProject1 + 8), nullptr);
}

TEST(CommandRegistry, ACommandWithoutActionIsDisabledAndDoesNotRun) {
    CommandRegistry registry;
    int opened = 0;
    EXPECT_FALSE(registry.enabled(cmd::kFileOpen, FrameState{}));
    EXPECT_FALSE(registry.run(cmd::kFileOpen, FrameState{}));
    registry.bind(cmd::kFileOpen, [&opened] { ++opened; });
    EXPECT_TRUE(registry.run(cmd::kFileOpen, FrameState{}));
    EXPECT_EQ(opened, 1);
    // bound but its rule says no: "閉じる" with no song window
    registry.bind(cmd::kFileClose, [&opened] { ++opened; });
    EXPECT_FALSE(registry.run(cmd::kFileClose, FrameState{}));
    EXPECT_TRUE(registry.run(cmd::kFileClose, songActive()));
    EXPECT_EQ(opened, 2);
}

TEST(CommandRegistry, RecentListsRunOneActionWithTheIndex) {
    BoundRegistry b;
    EXPECT_TRUE(b.registry.run(cmd::kRecentFile1 + 2, FrameState{}));
    EXPECT_TRUE(b.registry.run(cmd::kRecentProject1 + 5, FrameState{}));
    EXPECT_EQ(b.runs, (std::vector<std::pair<int, int>>{{cmd::kRecentFile1, 2}, {cmd::kRecentProject1, 5}}));
}

TEST(CommandRegistry, ExportNeedsAProjectAndNoPlayback) {
    const BoundRegistry b;
    FrameState s;
    EXPECT_FALSE(b.registry.enabled(cmd::kExportMidi, s));
    EXPECT_FALSE(b.registry.enabled(cmd::kProjectClose, s));
    s.projectSet = true;
    EXPECT_TRUE(b.registry.enabled(cmd::kExportMld, s));
    EXPECT_TRUE(b.registry.enabled(cmd::kProjectClose, s));
    s.playing = true;
    EXPECT_FALSE(b.registry.enabled(cmd::kExportMidi, s));
    EXPECT_FALSE(b.registry.enabled(cmd::kLevelMeter, s));
}

TEST(CommandRegistry, ViewCommandsNeedAShownSongWindow) {
    const BoundRegistry b;
    FrameState s = songActive();
    EXPECT_TRUE(b.registry.enabled(cmd::kEditSelectAll, s));
    EXPECT_TRUE(b.registry.enabled(cmd::kNotePalette, s));
    EXPECT_FALSE(b.registry.enabled(cmd::kClearRange, s));
    s.hasRange = true;
    EXPECT_TRUE(b.registry.enabled(cmd::kClearRange, s));
    // an empty song has nothing to select
    s.songEmpty = true;
    EXPECT_FALSE(b.registry.enabled(cmd::kEditSelectAll, s));
    // a minimised window can still be saved, not scrolled
    s.activeMinimised = true;
    EXPECT_FALSE(b.registry.enabled(cmd::kFirstLine, s));
    EXPECT_FALSE(b.registry.enabled(cmd::kNotePalette, s));
    EXPECT_TRUE(b.registry.enabled(cmd::kFileSave, s));
    EXPECT_FALSE(positionPanesEnabled(s));
    s.active = ActiveChild::Mixer;
    s.activeMinimised = false;
    EXPECT_FALSE(b.registry.enabled(cmd::kFileSave, s));
    EXPECT_TRUE(positionPanesEnabled(songActive()));
}

TEST(CommandRegistry, EditCommandsFollowTheRangeTheClipboardAndTheUndoRing) {
    const BoundRegistry b;
    FrameState s = songActive();
    for (int id : {cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kTranspose, cmd::kTriplet})
        EXPECT_FALSE(b.registry.enabled(id, s)) << id;
    s.hasRange = true;
    s.clipboardFull = true;
    s.canUndo = true;
    for (int id : {cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kTranspose})
        EXPECT_TRUE(b.registry.enabled(id, s));
    // a range that forms three enables "三連符" only, and not while playing
    s.tupletCount = 3;
    EXPECT_TRUE(b.registry.enabled(cmd::kTriplet, s));
    EXPECT_FALSE(b.registry.enabled(cmd::kTriplet + 1, s));
    s.playing = true;
    EXPECT_FALSE(b.registry.enabled(cmd::kTriplet, s));
    s.projectSet = true;
    EXPECT_FALSE(b.registry.enabled(cmd::kCheckAll, s));
}

TEST(CommandRegistry, TogglesPaneTextsAndTheCloseRule) {
    const BoundRegistry b;
    FrameState toggles;
    toggles.repeat = true;
    toggles.showLevel = false;
    toggles.lyricBarShown = true;
    toggles.palettes.toggle(cmd::kChordPalette);
    EXPECT_EQ(b.registry.checked(cmd::kRepeat, toggles), true);
    EXPECT_EQ(b.registry.checked(cmd::kChordPalette, toggles), true);
    EXPECT_EQ(b.registry.checked(cmd::kNotePalette, toggles), false);
    EXPECT_EQ(b.registry.checked(cmd::kFileOpen, toggles), std::nullopt);

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
