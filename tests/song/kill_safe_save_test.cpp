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
#include "platform/profile.h"
#include "song/project.h"
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

TEST(KillSafeSave, ASongAProjectAndAProfileAreOldOrNewNeverDamaged) {
    const test::TempDir dir;
    std::mt19937 random(20261206);
    std::array<SongData, 2> songs = {test::songOf(test::filledSong(19'999)), test::songOf(test::filledSong(19'999))};
    songs[1].records[100].setKey(std::uint8_t(songs[1].records[100].key() + 1));
    std::array<ProjectData, 2> projects = {ProjectData::fresh(), ProjectData::fresh()};
    projects[1].setTempo(88);
    projects[1].setMemberPath(0, dir / "song.PLM");

    const std::vector<std::pair<fs::path, Save>> kinds = {
        {dir / "song.PLM", [&](const fs::path& p, int g) { writeSong(p, songs[std::size_t(g)]); }},
        {dir / "p.PRJ", [&](const fs::path& p, int g) { writeProjectFile(p, projects[std::size_t(g)]); }},
        {dir / "plm.ini",
         [](const fs::path& p, int g) {
             platform::FileProfile(p).writeString("Keys", "k100", g == 0 ? "old value" : "a new value");
         }},
    };
    // a profile of many keys, so that its one save takes long enough to be caught in the middle
    platform::FileProfile profile(dir / "plm.ini");
    for (int i = 0; i < 200; ++i) profile.writeString("Keys", "k" + std::to_string(i), "a value of some length");
    KillCounts all;
    for (const auto& [target, save] : kinds) {
        const KillCounts counts = killSavesAtRandom(target, save, 100, random);
        EXPECT_EQ(counts.damaged, 0) << target;
        all.oldIntact += counts.oldIntact;
        all.newComplete += counts.newComplete;
    }
    // both outcomes were reached, so the kills did land before and after the rename
    EXPECT_GT(all.oldIntact, 0);
    EXPECT_GT(all.newComplete, 0);

    for (const auto& [target, save] : kinds) save(target, 0);
    for (const auto& entry : fs::directory_iterator(dir)) EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
}

}  // namespace
}  // namespace plume
