#include <gtest/gtest.h>

#include "app/frame_settings.h"
#include "app/recent_file_list.h"
#include "app/startup_options.h"
#include "platform/profile.h"

namespace plume {
namespace {

// The player's keys, defaults and clamping are shown by the play settings' tests.
TEST(FrameSettings, TheFrameKeepsItsOwnKeysBesideThePlayers) {
    EXPECT_EQ(FrameSettings::load(platform::MemoryProfile()).viewMode, 0);
    platform::MemoryProfile profile("[MIDI Config]\nInterrupt=4\n[Draw]\nViewMode=1\n");
    FrameSettings s = FrameSettings::load(profile);
    EXPECT_EQ(s.play.interrupt, 2);
    EXPECT_EQ(s.viewMode, 1);
    // WHEN the frame goes THEN its keys are written beside the player's
    s.play.showLevel = 0;
    s.play.device = 2;
    s.newMouseInput = 1;
    s.save(profile);
    EXPECT_EQ(profile.getInt("MIDI Config", "ShowLevel", 9), 0);
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
    EXPECT_EQ(parseStartupOptions({}).song, std::nullopt);
    // a project file is reopened instead of opened as a song
    const StartupOptions project = parseStartupOptions({"-t", "demo/demo.prj"});
    EXPECT_EQ(project.project, std::filesystem::path("demo/demo.prj"));
    EXPECT_EQ(project.song, std::nullopt);
    // of two files the last one counts
    const StartupOptions last = parseStartupOptions({"a.PRJ", "b.PLM"});
    EXPECT_EQ(last.song, std::filesystem::path("b.PLM"));
    EXPECT_EQ(last.project, std::nullopt);
}

TEST(RecentFileList, KeepsFourMostRecentFirstAndSurvivesTheProfile) {
    RecentFileList list;
    for (const char* name : {"/a/1.PLM", "/a/2.PLM", "/a/3.PLM", "/a/4.PLM", "/a/5.PLM", "/a/3.PLM"}) list.add(name);
    EXPECT_EQ(list.paths(), (std::vector<std::filesystem::path>{"/a/3.PLM", "/a/5.PLM", "/a/4.PLM", "/a/2.PLM"}));
    EXPECT_EQ(list.menuText(1), "&2 /a/5.PLM");

    platform::MemoryProfile profile("[Recent File List]\nFile9=/old.PLM\n");
    ASSERT_TRUE(list.save(profile));
    EXPECT_EQ(profile.getString("Recent File List", "File1", ""), "/a/3.PLM");
    EXPECT_EQ(profile.getString("Recent File List", "File9", "gone"), "gone");
    RecentFileList loaded;
    loaded.load(profile);
    EXPECT_EQ(loaded.paths(), list.paths());
}

}  // namespace
}  // namespace plume
