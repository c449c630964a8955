#include <gtest/gtest.h>

#include <filesystem>

#include "export/export_project.h"
#include "export/smf_reader.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "play/performer_songs.h"
#include "play/play_fixture.h"
#include "song/project.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/cli_output.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

using test::CliRun;

class ExportCli : public test::CliTest {
protected:
    std::string prj;

    // GIVEN a project of a melody on track 1 and a drum song on track 3
    void SetUp() override {
        const auto melody = test::groups({test::playedNote(3, 60, 0, 50), test::playedNote(3, 62, 0, 50)});
        SongInfo drums = SongInfo::defaults();
        drums.setFileKind(0);
        ASSERT_TRUE(writeSong(dir / "melody.PLM", test::songOf(melody)));
        ASSERT_TRUE(writeSong(dir / "drums.PLM", test::songOf(test::group({test::playedNote(3, 36, 0, 50)}), drums)));
        ProjectData project = ProjectData::fresh();
        ASSERT_TRUE(project.setMemberPath(0, dir / "melody.PLM"));
        ASSERT_TRUE(project.setMemberPath(2, dir / "drums.PLM"));
        ASSERT_TRUE(project.setTitle("cli"));
        prj = (dir / "song.PRJ").string();
        ASSERT_EQ(writeProjectFile(prj, project), ProjectWriteStatus::Written);
    }
};

TEST_F(ExportCli, OptionsOnlyOneCommandKnowsAreRefusedAndExportMidiFollowsTheDefaultsAndTheOptions) {
    // (the bad values of the options both know are rows of the command line's bad-input table)
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"export-midi"}, {"export-midi", prj, "--rest-bar", "yes"}, {"export-mld", prj, "-x"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 1) << args.back();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(dir / "song.MID"));
    // WHEN exported with the defaults THEN the file sits beside the project as format 1 at 96
    EXPECT_EQ(test::outputOf({"export-midi", prj}), "wrote " + (dir / "song.MID").string() + "\n");
    test::Smf smf = test::readSmf(platform::readFile(dir / "song.MID").value_or(platform::Bytes{}));
    ASSERT_TRUE(smf.ok) << smf.error;
    EXPECT_EQ(std::make_pair(smf.trackCount, smf.division), std::make_pair(17, 96));
    EXPECT_EQ(test::hex(smf.tracks[0][1].bytes), "F0 05 7E 7F 09 01 F7");
    EXPECT_EQ(test::noteOnTicks(smf.tracks[1]), (std::vector<std::uint32_t>{384, 480}));
    EXPECT_EQ(test::hex(smf.tracks[3][1].bytes), "99 24 64");
    // WHEN the options are given THEN they are followed
    const std::string out = (dir / "o.mid").string();
    test::outputOf({"export-midi", prj, "--format", "0", "--timebase", "480", "--reset", "gs", "--rest-bar", "off", "-o", out});
    smf = test::readSmf(platform::readFile(out).value_or(platform::Bytes{}));
    ASSERT_TRUE(smf.ok) << smf.error;
    EXPECT_EQ(std::make_pair(smf.format, smf.division), std::make_pair(0, 480));
    EXPECT_EQ(smf.tracks[0][1].bytes.size(), 12u);  // GS Reset
    EXPECT_EQ(test::noteOnTicks(smf.tracks[0]), (std::vector<std::uint32_t>{1, 1, 481}));
}

TEST_F(ExportCli, MembersLoadWithTheProjectsSettingsOrNotAtAllWithoutMemory) {
    const ProjectReadResult read = readProject(prj);
    ASSERT_TRUE(read.ok());
    platform::ScriptedMessageBox box;
    PlaySlots slots;
    ExportProject project;
    ASSERT_TRUE(loadExportProject(read.data, test::FakeHost{}, slots, 4, project));
    EXPECT_EQ(std::make_tuple(project.title, project.tracks[0].records.size(), project.transposition),
              std::make_tuple("cli", 2u, 4));
    EXPECT_TRUE(!project.tracks[1].used() && project.tracks[2].info.isRhythm());
    // WHEN a member's buffer cannot be had THEN "メモリー不足" follows the loader's message
    const RecordAllocator none = [](std::size_t) { return std::unique_ptr<std::vector<SongRecord>>(); };
    EXPECT_FALSE(loadExportProject(read.data, test::FakeHost{}, slots, 0, project, none));
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"Truck1:メモリーが確保できません。", "メモリー不足"}));
    EXPECT_FALSE(slots[0].used());
}

}  // namespace
}  // namespace plume
