// The recovery folder without windows: copies per window named by their song, the index, what a
// dead editor leaves behind, and editors running side by side.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "app/recovery_store.h"
#include "platform/file_io.h"
#include "song/project.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != "lock") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A process that runs until the returned pid is killed.
pid_t startSleeper() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::pause();
        ::_exit(0);
    }
    return pid;
}

platform::ProcessIdentity deadProcess() {
    const pid_t pid = startSleeper();
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return {pid, 0};
}

std::vector<int> typesOf(const RecoveredSong& song) {
    const auto data = readRecoveredSong(song);
    return data ? groupTypes(data->records) : std::vector<int>{-1};
}

class RecoveryStoreTest : public testing::Test {
protected:
    TempDir dir;
    const fs::path folder = dir / "recovery";
};

TEST_F(RecoveryStoreTest, CopiesFollowTheModifiedWindowsAndACleanExitLeavesNothing) {
    RecoveryStore store(folder);
    const std::string tag = platform::processTag(platform::currentProcess());
    // a saved song and an untitled one, both modified: copies named after this editor and the song, and an index
    ASSERT_TRUE(store.keep(1, dir / "songs" / "Waltz.PLM", songOf(notes(3, {60, 62})), 100));
    ASSERT_TRUE(store.keep(2, {}, songOf(notes(4, {64})), 101));
    const auto files = filesIn(folder);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_TRUE(files[0].starts_with(tag + "-") && files[0].ends_with("-Waltz.PLM")) << files[0];
    EXPECT_EQ(files[1], tag + "-u2.PLM");
    EXPECT_EQ(files[2], tag + ".idx");
    // a change reaches the copy; a save under another name drops the old copy
    ASSERT_TRUE(store.keep(1, dir / "songs" / "Waltz.PLM", songOf(notes(5, {60, 62, 64})), 102));
    const auto copy = parseSong(*platform::readFile(folder / files[0]));
    EXPECT_EQ(groupTypes(copy.song.records), (std::vector<int>{5, 5, 5}));
    ASSERT_TRUE(store.keep(1, dir / "songs" / "March.PLM", songOf(notes(5, {60})), 103));
    EXPECT_EQ(filesIn(folder).size(), 3u);
    // saved, its copy goes; a clean exit leaves nothing
    store.drop(1);
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{tag + "-u2.PLM", tag + ".idx"}));
    EXPECT_EQ(store.keptWindows(), (std::vector<std::uint64_t>{2}));
    store.dropAll();
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(RecoveryStoreTest, ADeadEditorsSongsAreOfferedOnceOldestFirstWithPathAndTime) {
    // an editor died with a song whose path holds a tab and a line end, and an untitled one
    const fs::path odd = dir / "a\tb\nc.PLM";
    {
        RecoveryStore dead(folder, deadProcess());
        ASSERT_TRUE(dead.keep(7, odd, songOf(notes(2, {60})), 2000));
        ASSERT_TRUE(dead.keep(8, {}, songOf(notes(6, {60, 61})), 1000));
    }
    // the next editor gets both, the older first
    RecoveryStore next(folder);
    const auto songs = next.claimOrphans();
    ASSERT_EQ(songs.size(), 2u);
    EXPECT_TRUE(songs[0].original.empty());
    EXPECT_EQ(songs[0].time, 1000);
    EXPECT_EQ(typesOf(songs[0]), (std::vector<int>{6, 6}));
    EXPECT_EQ(songs[1].original, odd);
    EXPECT_EQ(songs[1].time, 2000);
    EXPECT_EQ(typesOf(songs[1]), (std::vector<int>{2}));
    const std::string offer = recoveryOfferText(songs);
    EXPECT_TRUE(offer.starts_with("前回、保存されずに終了した曲があります。\n")) << offer;
    EXPECT_NE(offer.find("(無題)"), std::string::npos);
    EXPECT_NE(offer.find(utf8Of(odd)), std::string::npos);
    EXPECT_TRUE(offer.ends_with("\n復元しますか？"));
    // another editor starting while this one runs gets nothing; reopened or declined, the files go
    const pid_t other = startSleeper();
    EXPECT_TRUE(RecoveryStore(folder, {other, 0}).claimOrphans().empty());
    EXPECT_EQ(filesIn(folder).size(), 3u);
    next.releaseClaimed();
    EXPECT_TRUE(filesIn(folder).empty());
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
}

TEST_F(RecoveryStoreTest, ARunningEditorsCopiesAreLeftAloneUntilItDies) {
    const pid_t running = startSleeper();
    RecoveryStore other(folder, {running, 0});
    ASSERT_TRUE(other.keep(1, dir / "Song.PLM", songOf(notes(3, {60})), 10));
    // a copy written but not yet listed in its index belongs to the running editor too
    const std::string unlisted = platform::processTag({running, 0}) + "-u9.PLM";
    dir.write("recovery/" + unlisted, serializeSong(songOf(notes(3, {62}))));
    RecoveryStore self(folder);
    EXPECT_TRUE(self.claimOrphans().empty());
    EXPECT_EQ(filesIn(folder).size(), 3u);
    // a reused process id with another start time is not the editor that wrote the files
    const platform::ProcessIdentity me = platform::currentProcess();
    if (me.start != 0) {
        RecoveryStore reused(dir / "reused", {me.pid, me.start + 1});
        ASSERT_TRUE(reused.keep(1, {}, songOf(notes(3, {60})), 10));
        EXPECT_EQ(RecoveryStore(dir / "reused").claimOrphans().size(), 1u);
    }
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    // once it is gone its listed song is offered and the unlisted copy removed
    const auto songs = self.claimOrphans();
    ASSERT_EQ(songs.size(), 1u);
    EXPECT_EQ(songs[0].original, dir / "Song.PLM");
    EXPECT_FALSE(fs::exists(folder / unlisted));
}

TEST_F(RecoveryStoreTest, BrokenAndStaleFilesAreNeverOfferedAndNothingOutsideIsTouched) {
    const std::string dead = platform::processTag(deadProcess());
    fs::create_directories(folder);
    const fs::path outside = dir.write("outside.PLM", serializeSong(songOf(notes(3, {60}))));
    dir.write("recovery/" + dead + "-broken.PLM", {'j', 'u', 'n', 'k'});
    dir.write("recovery/" + dead + "-stray.PLM", serializeSong(songOf(notes(3, {60}))));
    dir.write("recovery/" + dead + ".idx.plume-1-0.tmp", {'x'});
    dir.write("recovery/notes.txt", {'k', 'e', 'e', 'p'});
    const std::string index = "Plume recovery\n" + dead + "-broken.PLM\t5\t/a.PLM\n" + dead +
                              "-gone.PLM\t6\t/b.PLM\n../outside.PLM\t7\t/c.PLM\nno fields\n" + dead +
                              "-stray.PLM\tnot a time\t/d.PLM\n";
    dir.write("recovery/" + dead + ".idx", platform::Bytes(index.begin(), index.end()));
    RecoveryStore store(folder);
    EXPECT_TRUE(store.claimOrphans().empty());
    // the unlisted copy and the dead writer's temporary file are gone; a file not of ours stays
    EXPECT_FALSE(fs::exists(folder / (dead + "-stray.PLM")));
    EXPECT_FALSE(fs::exists(folder / (dead + ".idx.plume-1-0.tmp")));
    store.releaseClaimed();
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"notes.txt"}));
    EXPECT_TRUE(fs::exists(outside));
}

}  // namespace
}  // namespace plume
