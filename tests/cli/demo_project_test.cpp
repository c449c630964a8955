#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "cli/demo_project.h"
#include "score/line_table.h"
#include "song/project.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

int countGroups(Records records, auto&& predicate) {
    int n = 0;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) n += predicate(g) ? 1 : 0;
    return n;
}

TEST(DemoProject, TheSongsShowWhatTheScoreCanHold) {
    const auto songs = demoSongs();
    ASSERT_GE(songs.size(), 3u);
    bool tuplet = false, tie = false, dotted = false, chord = false, keyChange = false, timeChange = false,
         lyric = false, chordName = false, rhythm = false;
    std::vector<StaffKind> kinds;
    for (const DemoSong& demo : songs) {
        const Records records(demo.song.records);
        rhythm = rhythm || demo.song.info.isRhythm();
        for (std::size_t i = 0; i < records.size(); ++i) {
            const SongRecord& r = records[i];
            tuplet = tuplet || (r.isNote() && r.tupletNumber() == 3);
            tie = tie || (r.isNote() && r.tie() == mark::kTieBegin);
            dotted = dotted || (r.takesTime() && r.dots() != 0);
            keyChange = keyChange || (r.isMeta() && r.metaType() == meta::kKeySignature);
            timeChange = timeChange || (r.isMeta() && r.metaType() == meta::kTimeSignature);
            lyric = lyric || r.kind() == kind::kLyric;
            chordName = chordName || r.kind() == kind::kChordName;
        }
        chord = chord || countGroups(records, [&](std::size_t g) { return isChord(records, g); }) > 0;
        LineTable table;
        table.rebuild(records, demo.song.info);
        for (const ScoreLine& line : table.lines()) kinds.push_back(line.staffKind);
    }
    EXPECT_TRUE(tuplet && tie && dotted && chord && keyChange && timeChange && lyric && chordName && rhythm);
    // treble, bass and grand staves all appear
    for (StaffKind kind : {StaffKind::Treble, StaffKind::Bass, StaffKind::Grand})
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), kind), kinds.end()) << int(kind);
}

TEST(DemoProject, TheCommandWritesAProjectThatReadsBack) {
    const fs::path dir = fs::temp_directory_path() / ("plume-demo-" + std::to_string(::getpid())) / "new folder";
    std::ostringstream out, err;
    ASSERT_EQ(cli::runCli({"demo-project", dir.string()}, out, err), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), "wrote " + (fs::absolute(dir) / kDemoProjectName).string() + "\n");
    const ProjectReadResult project = readProject(dir / kDemoProjectName);
    ASSERT_TRUE(project.ok());
    EXPECT_TRUE(project.missingMembers.empty());
    EXPECT_EQ(project.data.title(), "Plume デモ");
    std::size_t members = 0;
    for (std::size_t i = 0; i < kMemberCount; ++i) members += project.data.hasMember(i);
    EXPECT_EQ(members, demoSongs().size());
    EXPECT_FALSE(project.data.windowPath(0).empty());
    for (std::size_t i = 0; i < members; ++i) EXPECT_TRUE(readSong(project.data.memberPath(i)).ok());
    fs::remove_all(dir.parent_path());
}

}  // namespace
}  // namespace plume
