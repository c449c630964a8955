#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "database/song_database.h"
#include "platform/cp932.h"
#include "platform/file_io.h"
#include "song/project.h"
#include "song/song_file.h"
#include "support/cli_run.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

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
    // a grand-staff line, a treble line opening with a key change, and a final bass line
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
    // a project in 3/4 on SC-88 with one member found beside it and one in its place
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

std::string sjis(std::string_view utf8) { return platform::utf8ToCp932(utf8).value(); }

using ChordsDbCli = CliTest;

TEST_F(ChordsDbCli, ChordsPrintsTheThreeListsOfARange) {
    std::vector<SongRecord> records;
    addGroup(records, {rest(9)});                                     // 0
    addGroup(records, {note(3, 48), note(3, 64)});                    // 1: C and E
    addGroup(records, {note(3, 67), effectValue(effect::kVolume, 9)});  // 3: G
    addGroup(records, {barLine()});                                   // 5
    addGroup(records, {note(2, 71)});                                 // 6: B
    const std::string path = dir.write("c.PLM", serializeSong(songOf(records))).string();

    const CliRun seventh = run({"chords", path, "--from", "1", "--to", "6"});
    ASSERT_EQ(seventh.status, 0) << seventh.err;
    EXPECT_TRUE(seventh.out.starts_with("1 CM7\n2 C E G C7 E7 G7 A7 EM7 FM7 ")) << seventh.out;
    EXPECT_EQ(std::count(seventh.out.begin(), seventh.out.end(), '\n'), 3);
    EXPECT_NE(seventh.out.find("\n3 "), std::string::npos);

    const CliRun triad = run({"chords", path, "--to", "3", "--from", "1"});
    EXPECT_TRUE(triad.out.starts_with("1\n2 C ")) << triad.out;
    EXPECT_EQ(run({"chords", path, "--from", "0", "--to", "0"}).out, "1\n2\n3\n");

    EXPECT_EQ(run({"chords", path, "--from", "2", "--to", "6"}).status, 1);  // inside a group
    EXPECT_EQ(run({"chords", path, "--from", "x", "--to", "1"}).status, 1);
}

TEST_F(ChordsDbCli, DbListsAndSearchesRecords) {
    const std::vector<DbRecord> records = {
        DbRecord::of("a.PLM", "pop", "first"),
        DbRecord::of(sjis("曲.PLM"), sjis("ジャズ"), sjis("メモ")),
        DbRecord::of("c.PLM", "pops", ""),
    };
    const std::string path = dir.write("d.QDB", serializeDatabase(records)).string();

    const CliRun list = run({"db", path});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out,
              "count 3\n"
              "0\ta.PLM\tpop\tfirst\n"
              "1\t曲.PLM\tジャズ\tメモ\n"
              "2\tc.PLM\tpops\t\n");

    EXPECT_EQ(run({"db", path, "--find", "category", "ャズ"}).out, "1\n");
    EXPECT_EQ(run({"db", path, "--find", "category", "pop", "--from", "0"}).out, "2\n");
    EXPECT_EQ(run({"db", path, "--find", "category", "pops", "--exact"}).out, "2\n");
    EXPECT_EQ(run({"db", path, "--find", "file", "a.", "--backward", "--from", "1"}).out, "0\n");
    const CliRun miss = run({"db", path, "--find", "memo", "first", "--from", "0"});
    EXPECT_EQ(miss.status, 1);
    EXPECT_NE(miss.err.find("検索条件と一致するレコードはありません。"), std::string::npos);
}

// Note-ons per MIDI channel in an --events file.
std::array<int, 16> noteOnsIn(const std::filesystem::path& events) {
    std::array<int, 16> ons{};
    std::ifstream in(events);
    std::string time, status, key, velocity;
    while (in >> time >> status) {
        if (status.size() == 2 && status[0] == '9' && in >> key >> velocity && velocity != "00") {
            ++ons[std::size_t(std::stoi(status.substr(1), nullptr, 16))];
        } else {
            std::getline(in, key);
        }
    }
    return ons;
}

TEST_F(Cli, PlayMutesAndSolosTheStripsAsTheMixerDoes) {
    // two melodies and a rhythm member in the third place
    ProjectData project = ProjectData::fresh();
    for (std::size_t i = 0; i < 3; ++i) {
        SongInfo info = SongInfo::defaults();
        info.bytes[2] = i == 2 ? 0 : 1;
        const auto path = dir.write("m" + std::to_string(i) + ".PLM",
                                    serializeSong(songOf(notes(3, {40 + int(i), 50, 52}), info)));
        ASSERT_TRUE(project.setMemberPath(i, path));
    }
    const auto prj = dir / "p.PRJ";
    ASSERT_EQ(writeProjectFile(prj, project), ProjectWriteStatus::Written);
    const auto play = [&](std::vector<std::string> options) {
        std::vector<std::string> args = {"play", prj.string(), "--events", (dir / "e.txt").string()};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun r = run(args);
        EXPECT_EQ(r.status, cli::kOk) << r.err;
        return noteOnsIn(dir / "e.txt");
    };
    const std::array<int, 16> all = play({});
    EXPECT_EQ(all[0] + all[1] + all[9], 9);
    // strips 1 and 3 muted: the rhythm member's strip silences channel 10
    std::array<int, 16> ons = play({"--mute", "1,3"});
    EXPECT_EQ(ons[0] + ons[9], 0);
    EXPECT_EQ(ons[1], 3);
    // strip 3 soloed, strip 2 muted as well: only the rhythm member sounds
    ons = play({"--mute", "2", "--solo", "3"});
    EXPECT_EQ(ons[0] + ons[1], 0);
    EXPECT_EQ(ons[9], 3);
    // a solo on a muted strip leaves everything silent
    ons = play({"--mute", "3", "--solo", "3"});
    EXPECT_EQ(ons[0] + ons[1] + ons[9], 0);
    for (const auto& [option, value] : {std::pair{"--mute", "0"}, {"--mute", "1,,2"}, {"--solo", "17"}, {"--solo", "1,2"}})
        EXPECT_EQ(run({"play", prj.string(), option, value}).status, cli::kUsage) << option << " " << value;
    EXPECT_EQ(run({"play", (dir / "m0.PLM").string(), "--solo", "1"}).status, cli::kUsage);
}

}  // namespace
}  // namespace plume
