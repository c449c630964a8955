#include <gtest/gtest.h>

#include <fstream>

#include "export/smf_reader.h"
#include "platform/file_io.h"
#include "song/project.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/cli_output.h"

namespace plume {
namespace {

// Controller values of one controller on a track, with their ticks.
std::vector<std::pair<std::uint32_t, int>> controllerValues(const std::vector<test::SmfEvent>& track, int number) {
    std::vector<std::pair<std::uint32_t, int>> values;
    for (const test::SmfEvent& e : track)
        if (e.bytes.size() == 3 && (e.bytes[0] & 0xF0) == 0xB0 && e.bytes[1] == number) values.emplace_back(e.tick, e.bytes[2]);
    return values;
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
    EXPECT_EQ(platform::readFile(song_), before);
    // a range of nothing but the bar line holds no note: bad data
    EXPECT_EQ(curve({"2", "2", "volume", "line", "1"}), 2);
    const auto broken = dir.write("broken.PLM", platform::Bytes{1, 2, 3});
    EXPECT_EQ(run({"curve", broken.string(), "--from", "0", "--to", "0", "--effect", "volume", "--function",
                   "delete"}).status, 2);
    EXPECT_EQ(platform::readFile(song_), before);
}

TEST_F(CurveCli, WritesInPlaceOrToOutAndDeleteIgnoresTheValues) {
    // a pitch-bend line from -8192 to 8191 written to another file: IN as it was, OUT with two pieces of three
    test::outputOf(args({"--from", "0", "--to", "1", "--effect", "bend", "--function", "line", "--start", "-8192",
                        "--end", "8191", "-o", (dir / "out.PLM").string()}));
    EXPECT_EQ(read(song_).records.size(), 3u);
    EXPECT_EQ(read(dir / "out.PLM").records.size(), 9u);
    // deleted in place from OUT (the values given are ignored): the pieces are gone
    test::outputOf({"curve", (dir / "out.PLM").string(), "--from", "0", "--to", "4", "--effect", "bend", "--function",
                    "delete", "--start", "99999"});
    EXPECT_EQ(read(dir / "out.PLM").records, read(song_).records);
}

TEST_F(CurveCli, TheCurveIsExportedAndPlayedAsTheFormulaGives) {
    // a volume line 0 -> 100 over both notes (N = 1000 ms, a = 0.1 per ms) sampled every 50 ms
    test::outputOf(args({"--from", "0", "--to", "1", "--effect", "volume", "--function", "line", "--start", "0",
                        "--end", "100", "--step", "50"}));
    ProjectData project = ProjectData::fresh();
    ASSERT_TRUE(project.setMemberPath(0, song_));
    const std::string prj = (dir / "song.PRJ").string();
    ASSERT_EQ(writeProjectFile(prj, project), ProjectWriteStatus::Written);

    // exported at 480 ticks per quarter (50 ms = 48 ticks at 120)
    test::outputOf({"export-midi", prj, "-o", (dir / "song.mid").string(), "--timebase", "480"});
    const test::Smf smf = test::readSmf(platform::readFile(dir / "song.mid").value_or(platform::Bytes{}));
    ASSERT_TRUE(smf.ok) << smf.error;
    const auto values = controllerValues(smf.tracks[1], 7);
    // the first note steps 5, 10, 15 ... 48 ticks apart, the second starts from t = 550: 55
    ASSERT_GE(values.size(), 12u);
    for (std::size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(values[k].second, int(5 * (k + 1))) << k;
        EXPECT_TRUE(k == 0 || values[k].first - values[k - 1].first == 48u) << k;
    }
    const auto second = std::find_if(values.begin(), values.end(), [](const auto& v) { return v.second > 50; });
    ASSERT_NE(second, values.end());
    EXPECT_EQ(second->second, 55);
    // the last step falls on the end of the range: t = 1000, the end value
    EXPECT_EQ(values.back().second, 100);

    // played, the same values come 50 ms apart
    test::outputOf({"play", song_.string(), "--events", (dir / "events.txt").string()});
    std::ifstream events(dir / "events.txt");
    std::vector<std::pair<double, std::string>> volume;
    for (std::string line; std::getline(events, line);) {
        const auto space = line.find(' ');
        if (line.substr(space + 1, 5) == "B0 07") volume.emplace_back(std::stod(line.substr(0, space)), line.substr(space + 7));
    }
    ASSERT_GE(volume.size(), 3u);
    EXPECT_EQ(volume[0].second, "05");
    EXPECT_EQ(volume[1].second, "0A");
    EXPECT_DOUBLE_EQ(volume[1].first - volume[0].first, 50.0);
    EXPECT_TRUE(std::any_of(volume.begin(), volume.end(), [](const auto& v) { return v.second == "37"; }));
}

}  // namespace
}  // namespace plume
