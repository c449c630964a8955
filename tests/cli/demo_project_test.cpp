#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "cli/demo_project.h"
#include "song/data_check.h"
#include "song/project.h"
#include "song/song_file.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

TEST(DemoProject, TheWrittenProjectReadsBackPassesTheDataCheckAndPlaysEveryMember) {
    const fs::path dir = fs::temp_directory_path() / ("plume-demo-" + std::to_string(::getpid())) / "new folder";
    std::ostringstream out, err;
    ASSERT_EQ(cli::runCli({"demo-project", dir.string()}, out, err), cli::kOk) << err.str();
    const fs::path path = dir / kDemoProjectName;
    EXPECT_EQ(out.str(), "wrote " + fs::absolute(path).string() + "\n");

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

    // and playing the project sounds notes on every member's channel
    const fs::path events = dir / "play.events";
    ASSERT_EQ(cli::runCli({"play", path.string(), "--events", events.string()}, out, err), cli::kOk) << err.str();
    std::ifstream in(events);
    std::set<int> sounding;
    for (std::string time, status, key, velocity; in >> time >> status;) {
        std::string rest;
        std::getline(in, rest);
        std::istringstream data(rest);
        if (status.size() == 2 && status[0] == '9' && data >> key >> velocity && velocity != "00")
            sounding.insert(std::stoi(status.substr(1), nullptr, 16));
    }
    EXPECT_EQ(sounding, channels);
    fs::remove_all(dir.parent_path());
}

}  // namespace
}  // namespace plume
