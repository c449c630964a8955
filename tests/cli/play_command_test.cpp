// `plume-cli play` with the mixer's mute and solo buttons.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "song/project.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

using namespace test;

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

TEST(PlayCommand, MuteAndSoloSilenceTheStripsAsTheMixerDoes) {
    // GIVEN a project of two melodies and a rhythm member in the third place
    TempDir dir;
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
        std::ostringstream out, err;
        EXPECT_EQ(cli::runCli(args, out, err), cli::kOk) << err.str();
        return noteOnsIn(dir / "e.txt");
    };
    const std::array<int, 16> all = play({});
    EXPECT_EQ(all[0] + all[1] + all[9], 9);
    // WHEN strips 1 and 3 are muted: the rhythm member's strip silences channel 10
    std::array<int, 16> ons = play({"--mute", "1,3"});
    EXPECT_EQ(ons[0] + ons[9], 0);
    EXPECT_EQ(ons[1], 3);
    // WHEN strip 3 is soloed, and strip 2 muted as well: only the rhythm member sounds
    ons = play({"--mute", "2", "--solo", "3"});
    EXPECT_EQ(ons[0] + ons[1], 0);
    EXPECT_EQ(ons[9], 3);
    // a solo on a muted strip leaves everything silent
    ons = play({"--mute", "3", "--solo", "3"});
    EXPECT_EQ(ons[0] + ons[1] + ons[9], 0);

    std::ostringstream out, err;
    for (std::vector<std::string> bad : {std::vector<std::string>{"--mute", "0"}, {"--mute", "1,,2"},
                                         {"--solo", "17"}, {"--solo", "1,2"}}) {
        bad.insert(bad.begin(), {"play", prj.string()});
        EXPECT_EQ(cli::runCli(bad, out, err), cli::kUsage) << bad[3];
    }
    EXPECT_EQ(cli::runCli({"play", (dir / "m0.PLM").string(), "--solo", "1"}, out, err), cli::kUsage);
}

}  // namespace
}  // namespace plume
