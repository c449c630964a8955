// One song file of every layout; with PLUME_FUZZ_SEED_DIR set, the song reader's seed corpus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/file_io.h"
#include "song/song_file.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using test::addGroup;
using test::note;
using test::OldRecord;
using Bytes = std::vector<std::uint8_t>;

SongData currentSong() {
    std::vector<SongRecord> r;
    addGroup(r, {test::metaKey(3)});
    addGroup(r, {note(3, 60), note(3, 64), test::effectValue(effect::kVolume, 90),
                 test::effectValue(effect::kTempo, 132), test::textRecord(kind::kLyric, "la")});
    SongRecord bend = test::effectValue(effect::kPitchBend, 0);
    bend.setValue16(-4096);
    addGroup(r, {note(4, 62, mark::kTieBegin), bend, SongRecord{{0, kind::kVolumeCurve, 1, 2, 3, 0, 0, 0, 0, 0}},
                 SongRecord{{0, kind::kVolumeCurve + 1, 10, 0, 20, 0, 0, 0, 0, 0}},
                 SongRecord{{0, kind::kVolumeCurve + 2, 0, 0, 0x80, 0x3F, 0, 0, 0x00, 0x40}}});
    addGroup(r, {note(4, 62, mark::kTieEnd), test::textRecord(kind::kChordName, "Am7")});
    for (int i = 0; i < 3; ++i) addGroup(r, {note(4, std::uint8_t(67 + i))});
    test::markTuplet(r, {3, 4, 5}, 3);
    addGroup(r, {test::rest(9, 0, mark::kDotted)});
    addGroup(r, {test::scoreMark(type::kBarLine)});
    addGroup(r, {test::scoreMark(type::kLineBreak)});
    return test::songOf(r);
}

std::vector<OldRecord> oldRecords() {
    OldRecord chord(100, 3, mark::kTieBegin);
    chord.setKey(60);
    chord.setKey(64);
    chord.set(16, 5);
    OldRecord tied(100, 3, mark::kTieMiddle);
    tied.setKey(60);
    tied.set(28, 80);
    tied.set(29, 2);
    tied.setDouble(40, 0.5);
    OldRecord last(100, 0x43, 0x13);
    last.setKey(103);
    last.set(18, 20);
    last.set(96, 1);
    return {chord, tied, last, OldRecord(100, 9), OldRecord(0, type::kBarLine)};
}

std::map<std::string, Bytes> seedFiles() {
    const auto old = oldRecords();
    const std::vector<SongRecord> records = currentSong().records;
    SongInfo info = SongInfo::defaults();
    info.setTimeCode(3);
    return {
        {"current", serializeSong(currentSong())},
        {"empty", serializeSong(SongData{})},
        {"filled", serializeSong(test::songOf(test::filledSong(300)))},
        {"layout10", test::layout10({old[0], old[1], old[2], old[3], old[4]}, 3, 2, 1)},
        {"layout20", test::layout20({old[0], old[1], old[2], old[3], old[4]}, 7, 9, 0)},
        {"layout24", test::layout24({old[0], old[1], old[2], old[3], old[4]}, 1, 0, 1)},
        {"layout30", test::layout30(records, info)},
        {"layout300", test::layoutBelow411(300, records, info)},
    };
}

TEST(FuzzSeeds, EveryLayoutParses) {
    const char* seedDir = std::getenv("PLUME_FUZZ_SEED_DIR");
    const std::filesystem::path dir = seedDir ? std::filesystem::path(seedDir) / "fuzz_song_reader" : "";
    if (seedDir) std::filesystem::create_directories(dir);
    for (const auto& [name, bytes] : seedFiles()) {
        const SongReadResult read = parseSong(bytes);
        EXPECT_TRUE(read.ok()) << name;
        EXPECT_EQ(read.converted, name.starts_with("layout") && name != "layout300") << name;
        EXPECT_EQ(read.song.records.empty(), name == "empty") << name;
        if (seedDir) {
            EXPECT_TRUE(platform::writeFileAtomically(dir / (name + ".PLM"), bytes)) << name;
        }
    }
}

}  // namespace
}  // namespace plume
