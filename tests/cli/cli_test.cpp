#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "cli/demo_project.h"
#include "database/song_database.h"
#include "fuzz/cli_workspace.h"
#include "platform/cp932.h"
#include "platform/file_io.h"
#include "song/data_check.h"
#include "song/project.h"
#include "song/song_file.h"
#include "support/cli_output.h"
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

    EXPECT_EQ(outputOf({"dump", path}),
              "version 411\n"
              "count 6\n"
              "songinfo 5 0 1 0 120 0 0 0 0 0 4 2\n"
              "group 0 3 3 48\n"
              "group 3 1 10 36\n"
              "group 4 1 13 0\n"
              "group 5 1 255 0\n");
}

TEST_F(Cli, CheckPrintsMessagesOnOneLineWritesOnlyWhenAskedAndFindsTheDemoClean) {
    std::vector<SongRecord> records = notes(3, {60});
    records[0].setVelocity(0);  // velocity 0
    const auto bytes = serializeSong(songOf(records));
    const std::string path = file("v.PLM", bytes);

    EXPECT_EQ(outputOf({"check", path}), path + " | エラー修復　Velcity = 1\n");
    EXPECT_EQ(platform::readFile(path), bytes);

    outputOf({"check", path, "--write"});
    EXPECT_EQ(outputOf({"check", path}), path + " | No Error\n");
    // and the demo song is clean
    const std::string demo = (dir / "demo.PLM").string();
    EXPECT_EQ(outputOf({"demo", demo}), "wrote " + demo + "\n");
    EXPECT_EQ(outputOf({"check", demo}), demo + " | No Error\n");
}

TEST_F(Cli, AnOldLayoutIsDumpedAsReadAndConvertedToTheCurrentOneLeavingTheInputAlone) {
    const auto old = layout30(notes(2, {60}), SongInfo::defaults());
    const std::string in = file("in.PLM", old);
    const std::string dump = outputOf({"dump", in});
    EXPECT_EQ(dump.substr(0, 20), "version 30\ncount 1\ns");
    EXPECT_NE(dump.find("group 0 1 2 96\n"), std::string::npos);

    const std::string out = (dir / "out.PLM").string();
    outputOf({"convert", in, out});
    EXPECT_EQ(platform::readFile(in), old);
    EXPECT_EQ(platform::readFile(out), serializeSong(parseSong(old).song));
}

TEST_F(Cli, LayoutPrintsOneLinePerScoreLine) {
    // a grand-staff line, a treble line opening with a key change, and a final bass line
    std::vector<SongRecord> records = group({note(3, 50), note(3, 70)});
    addGroups(records, {barLine(), lineBreak(), metaKey(2), note(3, 72), lineBreak(), note(3, 40)});
    const std::string path = file("layout.PLM", serializeSong(songOf(records)));

    EXPECT_EQ(outputOf({"layout", path}), "line 0 0 3 0 0 0 0 153\nline 1 4 3 2 0 1 153 102\nline 2 7 1 3 2 2 255 102\n");
    EXPECT_EQ(outputOf({"layout", path, "--grand-staff"}),
              "line 0 0 3 0 0 0 0 153\nline 1 4 3 2 0 0 153 153\nline 2 7 1 3 2 0 306 139\n");
}

std::string sjis(std::string_view utf8) { return platform::utf8ToCp932(utf8).value(); }

TEST_F(Cli, ChordsPrintsTheThreeListsOfARange) {
    std::vector<SongRecord> records;
    addGroup(records, {rest(9)});                                     // 0
    addGroup(records, {note(3, 48), note(3, 64)});                    // 1: C and E
    addGroup(records, {note(3, 67), effectValue(effect::kVolume, 9)});  // 3: G
    addGroup(records, {barLine()});                                   // 5
    addGroup(records, {note(2, 71)});                                 // 6: B
    const std::string path = dir.write("c.PLM", serializeSong(songOf(records))).string();

    const std::string seventh = outputOf({"chords", path, "--from", "1", "--to", "6"});
    EXPECT_TRUE(seventh.starts_with("1 CM7\n2 C E G C7 E7 G7 A7 EM7 FM7 ")) << seventh;
    EXPECT_EQ(std::count(seventh.begin(), seventh.end(), '\n'), 3);
    EXPECT_NE(seventh.find("\n3 "), std::string::npos);

    const std::string triad = outputOf({"chords", path, "--to", "3", "--from", "1"});
    EXPECT_TRUE(triad.starts_with("1\n2 C ")) << triad;
    EXPECT_EQ(outputOf({"chords", path, "--from", "0", "--to", "0"}), "1\n2\n3\n");

    EXPECT_EQ(run({"chords", path, "--from", "2", "--to", "6"}).status, 1);  // inside a group
    EXPECT_EQ(run({"chords", path, "--from", "x", "--to", "1"}).status, 1);
}

TEST_F(Cli, DbListsAndSearchesRecords) {
    const std::vector<DbRecord> records = {
        DbRecord::of("a.PLM", "pop", "first"),
        DbRecord::of(sjis("曲.PLM"), sjis("ジャズ"), sjis("メモ")),
        DbRecord::of("c.PLM", "pops", ""),
    };
    const std::string path = dir.write("d.QDB", serializeDatabase(records)).string();

    EXPECT_EQ(outputOf({"db", path}),
              "count 3\n"
              "0\ta.PLM\tpop\tfirst\n"
              "1\t曲.PLM\tジャズ\tメモ\n"
              "2\tc.PLM\tpops\t\n");

    EXPECT_EQ(run({"db", path, "--find", "category", "ャズ"}).out, "1\n");
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
        outputOf(args);
        return noteOnsIn(dir / "e.txt");
    };
    const std::array<int, 16> all = play({});
    EXPECT_EQ(all[0] + all[1] + all[9], 9);
    // strip 3 soloed, strip 2 muted as well: only the rhythm member sounds, on channel 10
    const std::array<int, 16> ons = play({"--mute", "2", "--solo", "3"});
    EXPECT_EQ(ons[0] + ons[1], 0);
    EXPECT_EQ(ons[9], 3);
    for (const auto& [option, value] : {std::pair{"--mute", "0"}, {"--mute", "1,,2"}, {"--solo", "17"}, {"--solo", "1,2"}})
        EXPECT_EQ(run({"play", prj.string(), option, value}).status, cli::kUsage) << option << " " << value;
    EXPECT_EQ(run({"play", (dir / "m0.PLM").string(), "--solo", "1"}).status, cli::kUsage);
}

TEST_F(Cli, TheDemoProjectReadsBackWithAChannelPerMemberAndPassesTheDataCheck) {
    const fs::path folder = dir / "new" / "new folder";
    const fs::path path = folder / kDemoProjectName;
    EXPECT_EQ(outputOf({"demo-project", folder.string()}), "wrote " + fs::absolute(path).string() + "\n");

    // the project and every member read back, and the data check finds nothing to repair
    const ProjectReadResult project = readProject(path);
    ASSERT_TRUE(project.ok());
    EXPECT_TRUE(project.missingMembers.empty());
    EXPECT_FALSE(project.data.windowPath(0).empty());
    std::set<int> channels;
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!project.data.hasMember(i)) continue;
        SongReadResult song = readSong(project.data.memberPath(i));
        ASSERT_TRUE(song.ok()) << i;
        EXPECT_EQ(checkRecords(song.song.records).total(), 0) << i;
        channels.insert(song.song.info.isRhythm() ? 9 : int(i));
    }
    EXPECT_EQ(channels.size(), demoSongs().size());
}

class CurveCli : public test::CliTest {
protected:
    // two quarter notes and a bar line at tempo 120: the notes start at records 0 and 1
    void SetUp() override {
        SongInfo info = SongInfo::defaults();
        info.setTempo(120);
        std::vector<SongRecord> song = test::groups({test::note(3, 60), test::note(3, 62), test::barLine()});
        song[0].bytes[8] = song[1].bytes[8] = 100;  // full gate, so the curve runs the whole note
        song_ = dir / "song.PLM";
        ASSERT_TRUE(writeSong(song_, test::songOf(song, info)));
    }
    SongData read(const std::filesystem::path& path) const {
        SongReadResult r = parseSong(platform::readFile(path).value_or(platform::Bytes{}));
        EXPECT_TRUE(r.ok());
        return r.song;
    }
    std::vector<std::string> args(std::initializer_list<std::string> rest) const {
        std::vector<std::string> a = {"curve", song_.string()};
        a.insert(a.end(), rest);
        return a;
    }

    std::filesystem::path song_;
};

TEST_F(CurveCli, BadArgumentsExitOneAndBadDataTwoLeavingTheFileAlone) {
    const auto before = platform::readFile(song_);
    // {from, to, effect, function, end, more options...}
    const auto curve = [&](std::vector<std::string> v) {
        std::vector<std::string> a =
            args({"--from", v[0], "--to", v[1], "--effect", v[2], "--function", v[3], "--start", "0", "--end", v[4]});
        a.insert(a.end(), v.begin() + 5, v.end());
        return run(a).status;
    };
    // a bend of 8192 is out of range, not clamped
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"0", "1", "bend", "line", "8192"}, {"0", "1", "pan", "line", "1"}, {"1", "0", "volume", "line", "1"},
             {"0", "5", "volume", "line", "1"}, {"0", "1", "volume", "sin", "1", "--peak", "0"},
             {"0", "1", "volume", "line", "1", "--step", "15"}})
        EXPECT_EQ(curve(bad), 1) << bad[0] << "-" << bad[1] << " " << bad[2] << " " << bad.back();
    // a range of nothing but the bar line holds no note: bad data
    EXPECT_EQ(curve({"2", "2", "volume", "line", "1"}), 2);
    const auto broken = dir.write("broken.PLM", platform::Bytes{1, 2, 3});
    EXPECT_EQ(run({"curve", broken.string(), "--from", "0", "--to", "0", "--effect", "volume", "--function",
                   "delete"}).status, 2);
    EXPECT_EQ(platform::readFile(song_), before);
}

TEST_F(CurveCli, WritesInPlaceOrToOutAndDeleteIgnoresTheValues) {
    // a pitch-bend line from -8192 to 8191 written to another file: IN as it was, OUT with two pieces of three
    const std::string out = (dir / "out.PLM").string();
    EXPECT_EQ(test::outputOf(args({"--from", "0", "--to", "1", "--effect", "bend", "--function", "line", "--start",
                                   "-8192", "--end", "8191", "--step", "50", "-o", out})),
              "wrote " + out + ": 2 pieces\n");
    EXPECT_EQ(read(song_).records.size(), 3u);
    EXPECT_EQ(read(out).records.size(), 9u);
    // deleted in place from OUT (the values given are ignored): the pieces are gone
    EXPECT_EQ(test::outputOf({"curve", out, "--from", "0", "--to", "4", "--effect", "bend", "--function", "delete",
                              "--start", "99999"}),
              "wrote " + out + ": 2 groups cleared\n");
    EXPECT_EQ(read(out).records, read(song_).records);
}

// Argument lists of every command, run in the fuzzing workspace; with PLUME_FUZZ_SEED_DIR set they
// also become the argument fuzzer's seed corpus.
std::optional<std::vector<std::string>> argumentsOf(const std::string& text) {
    return fuzz::confinedArguments(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(FuzzSeeds, EveryCommandRunsInTheWorkspace) {
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"dump", "dump\nmelody.PLM"},
        {"check", "check\npiano.PLM\n--write"},
        {"convert", "convert\nbass.PLM\nnew.PLM"},
        {"demo", "demo\nnew.PLM"},
        {"project", "project\ndemo.PRJ"},
        {"layout", "layout\npiano.PLM\n--grand-staff"},
        {"curve", "curve\nmelody.PLM\n--from\n0\n--to\n40\n--effect\nvolume\n--function\nsin\n--start\n20\n"
                  "--end\n100\n--peak\n0.3\n--phase\n0.1\n-o\nc.PLM"},
        {"demo-project", "demo-project\nagain"},
        {"export-midi", "export-midi\ndemo.PRJ\n-o\nout.mid\n--format\n0\n--timebase\n96\n--reset\ngs"},
        {"export-mld", "export-mld\ndemo.PRJ\n-o\nout.mld"},
        {"play", "play\ndemo.PRJ\n--events\nevents.txt\n--interrupt\n2\n--mute\n2,3\n--solo\n1"},
        {"chords", "chords\nmelody.PLM\n--from\n0\n--to\n29"},
        {"db", "db\nsongs.QDB\n--find\ncategory\ndemo\n--exact"},
        {"transcribe", "transcribe\ntake.wav\n--tempo\n100\n--detect-way\n1\n-o\nsung.PLM"},
        {"help", "play\n--help"},
    };
    const TempDir dir;
    const fs::path startedIn = fs::current_path();
    const char* seedDir = std::getenv("PLUME_FUZZ_SEED_DIR");
    const fs::path corpus = seedDir ? fs::path(seedDir) / "fuzz_cli_arguments" : "";
    if (seedDir) fs::create_directories(corpus);
    for (const auto& [name, text] : seeds) {
        fuzz::fillWorkspace(dir / "work");
        std::ostringstream out;
        std::ostringstream err;
        const auto args = argumentsOf(text);
        ASSERT_TRUE(args) << name;
        EXPECT_EQ(fuzz::runInWorkspace(dir / "work", *args, out, err), 0) << name << ": " << err.str();
        if (seedDir) {
            const platform::Bytes bytes(text.begin(), text.end());
            EXPECT_TRUE(platform::writeFileAtomically(corpus / name, bytes)) << name;
        }
    }
    EXPECT_EQ(fs::current_path(), startedIn);
}

TEST(FuzzSeeds, ArgumentsCannotNameAFileOutsideTheWorkspace) {
    const auto args = argumentsOf("convert\n/etc/passwd\n../../x.PLM\n..\n.\n./a\n");
    ASSERT_TRUE(args);
    EXPECT_EQ(*args, (std::vector<std::string>{"convert", "_etc_passwd", ".._.._x.PLM", "_", "_", "._a", ""}));
    for (const std::string& arg : *args) EXPECT_EQ(fs::path(arg).filename(), fs::path(arg)) << arg;
    // the options that open a real device or a SoundFont are left out, not cut short
    EXPECT_FALSE(argumentsOf("play\ndemo.PRJ\n--realtime"));
    EXPECT_FALSE(argumentsOf("play\ndemo.PRJ\n--wav\nx.wav"));
}

}  // namespace
}  // namespace plume
