// Saves killed at random moments leave exactly the old or the new file, and no temporary file after the next.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "platform/file_io.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using platform::Bytes;

// The song stands for every file: projects and the profile are written by the same atomic write.
TEST(KillSafeSave, ASongIsOldOrNewNeverDamaged) {
    const test::TempDir dir;
    const fs::path target = dir / "song.PLM";
    std::array<SongData, 2> songs = {test::songOf(test::filledSong(19'999)), test::songOf(test::filledSong(19'999))};
    songs[1].records[100].setKey(std::uint8_t(songs[1].records[100].key() + 1));
    // the two generations' exact bytes, as an undisturbed save writes them
    std::array<Bytes, 2> generations;
    for (std::size_t g = 0; g < 2; ++g) {
        writeSong(target, songs[g]);
        generations[g] = *platform::readFile(target);
    }
    // a save in a child, timed, bounds the moments to kill at
    const auto start = std::chrono::steady_clock::now();
    const pid_t timed = ::fork();
    if (timed == 0) {
        writeSong(target, songs[0]);
        ::_exit(0);
    }
    ::waitpid(timed, nullptr, 0);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    long latest = std::max<long>(1, long(span.count() * 5 / 4));
    std::mt19937 random(20261206);

    // each round saves the other generation in a child killed after a random delay
    int oldIntact = 0, newComplete = 0;
    std::size_t onDisk = 0;
    // (on a loaded machine the timed save says little: the moments widen or narrow until both
    // outcomes come, every fifty rounds, up to two thousand)
    for (int round = 0; round < 2000 && (round < 100 || oldIntact == 0 || newComplete == 0); ++round) {
        if (round > 0 && round % 50 == 0 && newComplete == 0) latest *= 2;
        if (round > 0 && round % 50 == 0 && oldIntact == 0) latest = std::max<long>(1, latest / 2);
        const std::size_t next = 1 - onDisk;
        const pid_t child = ::fork();
        if (child == 0) {
            writeSong(target, songs[next]);
            ::_exit(0);
        }
        ::usleep(useconds_t(std::uniform_int_distribution<long>(0, latest)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const auto bytes = platform::readFile(target);
        ASSERT_TRUE(bytes && (*bytes == generations[onDisk] || *bytes == generations[next])) << "damaged in round " << round;
        if (*bytes == generations[next]) {
            ++newComplete;
            onDisk = next;
        } else {
            ++oldIntact;
        }
    }
    // both outcomes were reached, so the kills did land before and after the rename
    EXPECT_GT(oldIntact, 0);
    EXPECT_GT(newComplete, 0);

    writeSong(target, songs[0]);
    for (const auto& entry : fs::directory_iterator(dir)) EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
}

}  // namespace
}  // namespace plume
