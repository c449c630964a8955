#include <gtest/gtest.h>

#include <set>

#include "app/command_registry.h"
#include "app/frame_settings.h"
#include "app/recent_file_list.h"
#include "app/startup_options.h"
#include "platform/profile.h"

namespace plume {
namespace {

FrameState songActive() { return {.active = ActiveChild::Song, .songEmpty = false, .palettes = {}}; }

// A registry with every command bound to an action that records its id and index.
struct BoundRegistry {
    CommandRegistry registry;
    std::vector<std::pair<int, int>> runs;

    BoundRegistry() {
        for (const CommandEntry& e : commandEntries())
            if (e.id > 0) registry.bind(e.id, CommandRegistry::Action([this, id = e.id](int i) { runs.push_back({id, i}); }));
    }
    // Every command of `on` enabled in `s`, every one of `off` disabled.
    void expect(const FrameState& s, std::initializer_list<int> on, std::initializer_list<int> off = {}) const {
        for (int id : on) EXPECT_TRUE(registry.enabled(id, s)) << id;
        for (int id : off) EXPECT_FALSE(registry.enabled(id, s)) << id;
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

TEST(CommandRegistry, RecentListsRunOneActionWithTheIndexAndExportNeedsAProjectAndNoPlayback) {
    BoundRegistry b;
    EXPECT_TRUE(b.registry.run(cmd::kRecentFile1 + 2, FrameState{}));
    EXPECT_TRUE(b.registry.run(cmd::kRecentProject1 + 5, FrameState{}));
    EXPECT_EQ(b.runs, (std::vector<std::pair<int, int>>{{cmd::kRecentFile1, 2}, {cmd::kRecentProject1, 5}}));
    FrameState s;
    b.expect(s, {}, {cmd::kExportMidi, cmd::kProjectClose});
    s.projectSet = true;
    b.expect(s, {cmd::kExportMld, cmd::kProjectClose});
    s.playing = true;
    b.expect(s, {}, {cmd::kExportMidi, cmd::kLevelMeter});
}

TEST(CommandRegistry, ViewCommandsNeedAShownSongWindow) {
    const BoundRegistry b;
    FrameState s = songActive();
    b.expect(s, {cmd::kEditSelectAll, cmd::kNotePalette}, {cmd::kClearRange});
    s.hasRange = true;
    b.expect(s, {cmd::kClearRange});
    // an empty song has nothing to select
    s.songEmpty = true;
    b.expect(s, {}, {cmd::kEditSelectAll});
    // a minimised window can still be saved, not scrolled
    s.activeMinimised = true;
    b.expect(s, {cmd::kFileSave}, {cmd::kFirstLine, cmd::kNotePalette});
    EXPECT_FALSE(positionPanesEnabled(s));
    s.active = ActiveChild::Mixer;
    s.activeMinimised = false;
    b.expect(s, {}, {cmd::kFileSave});
    EXPECT_TRUE(positionPanesEnabled(songActive()));
}

TEST(CommandRegistry, EditCommandsFollowTheRangeTheClipboardAndTheUndoRing) {
    const BoundRegistry b;
    FrameState s = songActive();
    b.expect(s, {}, {cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kTranspose, cmd::kTriplet});
    s.hasRange = true;
    s.clipboardFull = true;
    s.canUndo = true;
    b.expect(s, {cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo, cmd::kTranspose});
    // a range that forms three enables "三連符" only, and not while playing
    s.tupletCount = 3;
    b.expect(s, {cmd::kTriplet}, {cmd::kTriplet + 1});
    s.playing = true;
    b.expect(s, {}, {cmd::kTriplet});
    s.projectSet = true;
    b.expect(s, {}, {cmd::kCheckAll});
}

// The check marks of the toggles are shown by the main window's and the palettes' tests.
TEST(CommandRegistry, ACommandWithoutCheckRulePaneTextsAndTheCloseRule) {
    const BoundRegistry b;
    EXPECT_EQ(b.registry.checked(cmd::kFileOpen, FrameState{}), std::nullopt);

    EXPECT_EQ((std::vector{linePaneText(7), linePaneText(1234), linePaneText(-1), barPaneText(12)}),
              (std::vector<std::string>{"  7行", "1234行", "", " 12小節"}));

    FrameState s;
    EXPECT_EQ(closeRefusal(s), std::nullopt);
    s.vokatoMode = true;
    EXPECT_EQ(closeRefusal(s), "Vokatoを終わりにしてから、終了して下さい。");
    s.playing = true;
    EXPECT_EQ(closeRefusal(s), "演奏を止めてから、終了して下さい。");
}

// The player's keys, defaults and clamping are shown by the play settings' tests.
TEST(FrameSettings, TheFrameKeepsItsOwnKeysBesideThePlayers) {
    EXPECT_EQ(FrameSettings::load(platform::MemoryProfile()).viewMode, 0);
    platform::MemoryProfile profile("[MIDI Config]\nInterrupt=4\n[Draw]\nViewMode=1\n");
    FrameSettings s = FrameSettings::load(profile);
    EXPECT_EQ(s.play.interrupt, 2);
    EXPECT_EQ(s.viewMode, 1);
    // WHEN the frame goes THEN its keys are written beside the player's
    s.play.device = 2;
    s.newMouseInput = 1;
    s.save(profile);
    EXPECT_EQ(profile.getInt("MIDI Config", "Device", 9), 2);
    EXPECT_EQ(profile.getInt("MouseWheelFunc", "valid", 9), 1);
}

TEST(StartupOptions, OptionsAreIgnoredAndTheLastFileCounts) {
    EXPECT_EQ(parseStartupOptions({"-t", "/T"}).song, std::nullopt);
    const StartupOptions withE = parseStartupOptions({"-e", "song.PLM"});
    EXPECT_EQ(withE.song, std::filesystem::path("song.PLM"));
    // an absolute path is no option, though it starts with "/t"
    const StartupOptions path = parseStartupOptions({"/tmp/a.PLM"});
    EXPECT_EQ(path.song, std::filesystem::path("/tmp/a.PLM"));
    // a project file is reopened instead of opened as a song
    const StartupOptions project = parseStartupOptions({"-t", "demo/demo.prj"});
    EXPECT_EQ(project.project, std::filesystem::path("demo/demo.prj"));
    EXPECT_EQ(project.song, std::nullopt);
    // of two files the last one counts
    const StartupOptions last = parseStartupOptions({"a.PRJ", "b.PLM"});
    EXPECT_EQ(last.song, std::filesystem::path("b.PLM"));
    EXPECT_EQ(last.project, std::nullopt);
}

TEST(RecentFileList, KeepsFourMostRecentFirstInItsOwnSection) {
    RecentFileList list;
    for (const char* name : {"/a/1.PLM", "/a/2.PLM", "/a/3.PLM", "/a/4.PLM", "/a/5.PLM", "/a/3.PLM"}) list.add(name);
    EXPECT_EQ(list.paths(), (std::vector<std::filesystem::path>{"/a/3.PLM", "/a/5.PLM", "/a/4.PLM", "/a/2.PLM"}));
    EXPECT_EQ(list.menuText(1), "&2 /a/5.PLM");
}

}  // namespace
}  // namespace plume
