#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "platform/file_io.h"
#include "song/project.h"
#include "support/song_builder.h"
#include "support/cli_run.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

using Cli = CliTest;

TEST_F(Cli, DumpPrintsSettingsAndGroups) {
    std::vector<SongRecord> records = group({note(3, 60), note(3, 64), effectValue(effect::kTempo, 90)});
    addGroups(records, {rest(10, 0, mark::kDotted), barLine(), effectValue(effect::kPan, 10)});
    const std::string path = file("a.PLM", serializeSong(songOf(records)));

    const CliRun r = run({"dump", path});

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "version 411\n"
              "count 6\n"
              "songinfo 5 0 1 0 120 0 0 0 0 0 4 2\n"
              "group 0 3 3 48\n"
              "group 3 1 10 36\n"
              "group 4 1 13 0\n"
              "group 5 1 255 0\n");
}

TEST_F(Cli, DumpReadsOldLayoutsWithoutTouchingTheFile) {
    const auto bytes = layout30(notes(2, {60}), SongInfo::defaults());
    const std::string path = file("old.PLM", bytes);
    const CliRun r = run({"dump", path});

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 20), "version 30\ncount 1\ns");
    EXPECT_NE(r.out.find("group 0 1 2 96\n"), std::string::npos);
    EXPECT_EQ(platform::readFile(path), bytes);
}

TEST_F(Cli, CheckPrintsMessagesOnOneLineAndWritesOnlyWhenAsked) {
    std::vector<SongRecord> records = notes(3, {60});
    records[0].setVelocity(0);  // velocity 0
    const auto bytes = serializeSong(songOf(records));
    const std::string path = file("v.PLM", bytes);

    CliRun r = run({"check", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, path + " | エラー修復　Velcity = 1\n");
    EXPECT_EQ(platform::readFile(path), bytes);

    EXPECT_EQ(run({"check", path, "--write"}).status, 0);
    EXPECT_EQ(run({"check", path}).out, path + " | No Error\n");
}

TEST_F(Cli, ConvertWritesTheCurrentLayoutAndLeavesTheInputAlone) {
    const auto old = layout30(notes(3, {60}), SongInfo::defaults());
    const std::string in = file("in.PLM", old);
    const std::string out = (dir / "out.PLM").string();
    EXPECT_EQ(run({"convert", in, out}).status, 0);
    EXPECT_EQ(platform::readFile(in), old);
    const auto converted = platform::readFile(out);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->size(), kSongHeaderSize + kRecordSize);
    EXPECT_EQ((*converted)[4] | ((*converted)[5] << 8), 411);
}

TEST_F(Cli, DemoWritesASongTheCheckFindsClean) {
    const std::string path = (dir / "demo.PLM").string();
    ASSERT_EQ(run({"demo", path}).status, 0);
    EXPECT_EQ(run({"check", path}).out, path + " | No Error\n");
}

TEST_F(Cli, LayoutPrintsOneLinePerScoreLine) {
    // GIVEN a grand-staff line, a treble line opening with a key change, and a final bass line
    std::vector<SongRecord> records = group({note(3, 50), note(3, 70)});
    addGroups(records, {barLine(), lineBreak(), metaKey(2), note(3, 72), lineBreak(), note(3, 40)});
    const std::string path = file("layout.PLM", serializeSong(songOf(records)));

    const CliRun r = run({"layout", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "line 0 0 3 0 0 0 0 153\nline 1 4 3 2 0 1 153 102\nline 2 7 1 3 2 2 255 102\n");
    const CliRun grand = run({"layout", path, "--grand-staff"});
    EXPECT_EQ(grand.status, 0);
    EXPECT_EQ(grand.out, "line 0 0 3 0 0 0 0 153\nline 1 4 3 2 0 0 153 153\nline 2 7 1 3 2 0 306 139\n");
}

TEST_F(Cli, ProjectPrintsSettingsAndResolvedMembers) {
    // GIVEN a project in 3/4 on SC-88 with one member found beside it and one in its place
    file("a.PLM", serializeSong(songOf(notes(3, {60}))));
    const std::string b = file("b.PLM", serializeSong(songOf(notes(3, {60}))));
    ProjectData data = ProjectData::fresh();
    ASSERT_TRUE(data.setTitle("夏の歌"));
    data.setTempo(90);
    data.setKey(3);
    data.setNumerator(3);
    data.setSoundModule(2);
    ASSERT_TRUE(data.setMemberPath(0, "C:\\old\\a.PLM"));
    ASSERT_TRUE(data.setMemberPath(15, b));
    const std::string prj = file("p.PRJ", std::vector<std::uint8_t>(data.bytes().begin(), data.bytes().end()));

    const auto r = run({"project", prj});

    EXPECT_EQ(r.status, 0);
    std::string expected = "title 夏の歌\ntempo 90\nkey 3\ntime 3/4\nmodule SC-88\ntrack 1 " + (dir / "a.PLM").string() + "\n";
    for (int i = 2; i <= 15; ++i) expected += "track " + std::to_string(i) + " -\n";
    EXPECT_EQ(r.out, expected + "track 16 " + b + "\n");
}

}  // namespace
}  // namespace plume
