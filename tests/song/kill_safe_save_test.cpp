// Saves killed at random moments leave exactly the old or the new file, and no temporary file after the next.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>

#include "platform/file_io.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using platform::Bytes;

struct KillCounts {
    int oldIntact = 0, newComplete = 0, damaged = 0;
};

// Saves generation 0 or 1 of one kind of file.
using Save = std::function<void(const fs::path&, int generation)>;

// Runs `save` of the other generation in a child killed after a random delay, `rounds` times.
KillCounts killSavesAtRandom(const fs::path& target, const Save& save, int rounds, std::mt19937& random) {
    // the two generations' exact bytes, as an undisturbed save writes them
    std::array<Bytes, 2> generations;
    for (int g = 0; g < 2; ++g) {
        save(target, g);
        generations[std::size_t(g)] = *platform::readFile(target);
    }
    EXPECT_NE(generations[0], generations[1]);
    // a save in a child, timed, bounds the moments to kill at
    const auto start = std::chrono::steady_clock::now();
    const pid_t timed = ::fork();
    if (timed == 0) {
        save(target, 0);
        ::_exit(0);
    }
    ::waitpid(timed, nullptr, 0);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::uniform_int_distribution<long> moment(0, std::max<long>(1, long(span.count() * 5 / 4)));

    KillCounts counts;
    int onDisk = 0;
    for (int round = 0; round < rounds; ++round) {
        const int next = 1 - onDisk;
        const pid_t child = ::fork();
        if (child == 0) {
            save(target, next);
            ::_exit(0);
        }
        ::usleep(useconds_t(moment(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const auto bytes = platform::readFile(target);
        if (bytes && *bytes == generations[std::size_t(onDisk)]) {
            ++counts.oldIntact;
        } else if (bytes && *bytes == generations[std::size_t(next)]) {
            ++counts.newComplete;
            onDisk = next;
        } else {
            ++counts.damaged;
        }
    }
    return counts;
}

// The song stands for every file: projects and the profile are written by the same atomic write.
TEST(KillSafeSave, ASongIsOldOrNewNeverDamaged) {
    const test::TempDir dir;
    std::mt19937 random(20261206);
    std::array<SongData, 2> songs = {test::songOf(test::filledSong(19'999)), test::songOf(test::filledSong(19'999))};
    songs[1].records[100].setKey(std::uint8_t(songs[1].records[100].key() + 1));
    const fs::path target = dir / "song.PLM";
    const Save save = [&](const fs::path& p, int g) { writeSong(p, songs[std::size_t(g)]); };

    const KillCounts counts = killSavesAtRandom(target, save, 100, random);
    EXPECT_EQ(counts.damaged, 0);
    // both outcomes were reached, so the kills did land before and after the rename
    EXPECT_GT(counts.oldIntact, 0);
    EXPECT_GT(counts.newComplete, 0);

    save(target, 0);
    for (const auto& entry : fs::directory_iterator(dir)) EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
}

}  // namespace
}  // namespace plume
