#include <gtest/gtest.h>

#include "song/path_identity.h"
#include "song/song_record.h"
#include "song/song_timing.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

using namespace test;

TEST(SongRecord, WritersOfSharedBytesKeepTheOtherFieldOfTheirByte) {
    SongRecord r;
    r.setKind(kind::kScore);
    r.setTypeAndDots(std::uint8_t(4 | mark::kDotted));
    r.setMarks(std::uint8_t(mark::kTieBegin | mark::kTupletFirst | 3));
    r.setType(2);
    EXPECT_EQ(std::make_pair(r.type(), r.dots()), std::make_pair(std::uint8_t(2), mark::kDotted));
    r.setDots(mark::kDoubleDotted);
    EXPECT_EQ(std::make_pair(r.type(), r.dots()), std::make_pair(std::uint8_t(2), mark::kDoubleDotted));
    // and the tie and the tuplet of byte 3 change apart
    r.setTie(mark::kTieEnd);
    EXPECT_EQ(std::make_pair(r.tie(), r.tuplet()), std::make_pair(mark::kTieEnd, std::uint8_t(mark::kTupletFirst | 3)));
    r.setTuplet(0);
    EXPECT_EQ(std::make_pair(r.tie(), r.tuplet()), std::make_pair(mark::kTieEnd, std::uint8_t(0)));
}

TEST(PathIdentity, OneFileUnderTwoSpellingsIsOneSongAndLettersFoldWithoutTheFile) {
    const TempDir dir;
    const auto song = dir.write("Song.PLM", {1});
    // an existing file reached through a link to its folder, or through ".."
    std::filesystem::create_directory_symlink(dir.path(), dir / "link");
    EXPECT_TRUE(samePath(song, dir / "link" / "Song.PLM"));
    EXPECT_TRUE(samePath(song, dir / "sub" / ".." / "Song.PLM"));
    // a missing file: its absolute, normal form with ASCII case folded
    EXPECT_TRUE(samePath(dir / "gone" / "A.plm", dir / "GONE" / "." / "a.PLM"));
    EXPECT_FALSE(samePath(dir / "gone" / "A.plm", dir / "gone" / "B.plm"));
    // multibyte letters are not folded; an empty path names nothing
    EXPECT_FALSE(samePath(dir / "\xC3\xA4.plm", dir / "\xC3\x84.plm"));
    EXPECT_FALSE(samePath({}, {}));
}

// Lengths of every group at 48 ticks per quarter note, walked as the players walk them.
std::vector<std::uint32_t> ticksOf(const std::vector<SongRecord>& song) {
    std::vector<std::uint32_t> ticks;
    DurationRule rule(192);
    for (std::size_t g = 0; g < song.size(); g = nextGroup(song, g)) ticks.push_back(rule.groupLength(song, g));
    return ticks;
}

TEST(Durations, PlainLengthsRestsAndDots) {
    // whole, quarter, quarter rest, double-dotted quarter, dotted 32nd and 32nd rest, bar line, key change
    const auto song = groups({note(1, 60), note(3, 60), rest(9), note(3, 60, 0, mark::kDoubleDotted),
                              note(6, 60, 0, mark::kDotted), rest(12, 0, mark::kDotted), barLine(), metaKey(3)});
    EXPECT_EQ(ticksOf(song), (std::vector<std::uint32_t>{192, 48, 48, 84, 9, 9, 0, 0}));
}

TEST(Durations, TupletsShareTheirSpanAndTakeTheShortestMemberAsBase) {
    std::vector<SongRecord> song = notes(4, {60, 60, 60});  // eighth triplet
    markTuplet(song, {0, 1, 2}, 3);
    addGroups(song, {note(3, 62), note(4, 62)});  // quarter + eighth triplet
    markTuplet(song, {3, 4}, 3);
    addGroups(song, {note(5, 64), note(5, 64), note(5, 64), note(5, 64), note(5, 64)});  // quintuplet of 16ths
    markTuplet(song, {5, 6, 7, 8, 9}, 5);
    // WHEN the song is walked THEN each group gets its share of the span, the first the remainder
    EXPECT_EQ(ticksOf(song), (std::vector<std::uint32_t>{16, 16, 16, 32, 16, 12, 9, 9, 9, 9}));

    // the base is the shortest member, rests included
    std::vector<SongRecord> mixed = groups({note(3, 60), rest(11), note(4, 60)});
    markTuplet(mixed, {0, 1, 2}, 3);
    EXPECT_EQ(TupletBaseType(mixed, 0), 5);
    EXPECT_EQ(tupletBaseTypeAt(mixed, 2), 5);
}

TEST(Durations, MillisecondsAtATempo) {
    std::vector<SongRecord> song = groups({note(3, 60), note(4, 60, 0, mark::kDotted)});
    addGroups(song, {note(4, 60), note(4, 60), note(4, 60)});
    markTuplet(song, {2, 3, 4}, 3);
    EXPECT_EQ(GroupDuration(song, 0, 120), 500u);
    EXPECT_EQ(GroupDuration(song, 1, 120), 375u);
    // A triplet member looked up on its own still knows its tuplet's base type.
    EXPECT_EQ(GroupDuration(song, 3, 120), 167u);
    EXPECT_EQ(GroupDuration(song, 0, 0), GroupDuration(song, 0, 1)) << "a tempo of 0 must not divide by zero";
}

TEST(Walking, GroupSizeZeroStopsEveryWalker) {
    std::vector<SongRecord> song = group({note(3, 60), note(3, 64)});
    song.push_back(note(3, 62));  // a broken group start
    addGroup(song, {note(3, 65)});
    EXPECT_EQ(nextGroup(song, 0), 2u);
    EXPECT_EQ(nextGroup(song, 2), song.size());
    EXPECT_EQ(previousGroup(song, 2), 0u);
    EXPECT_EQ(previousGroup(song, 0), kNoGroup);
}

TEST(PitchBend, PackedAsLowThenHighSevenBits) {
    // centre: lsb 0, msb 64
    EXPECT_EQ((std::vector{PackPitchBend(0), PackPitchBend(std::uint16_t(-8192)), PackPitchBend(8191), PackPitchBend(1)}),
              (std::vector<std::uint16_t>{0x4000, 0x0000, 0x7F7F, 0x4001}));
}

}  // namespace
}  // namespace plume
