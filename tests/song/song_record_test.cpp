#include <gtest/gtest.h>

#include "song/path_identity.h"
#include "song/song_record.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

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

TEST(SongRecord, CurveFieldsReadBackWhatWasWrittenAcrossTheirBytes) {
    SongRecord first, second, third;
    first.setCurveStartOffset(-123456);
    second.setCurveConstant(-300);
    second.setCurveAmplitude(32767);
    third.setCurveA(-0.015625f);
    third.setCurveB(3.5e9f);
    EXPECT_EQ(first.curveStartOffset(), -123456);
    EXPECT_EQ(std::make_pair(second.curveConstant(), second.curveAmplitude()),
              std::make_pair(std::int16_t(-300), std::int16_t(32767)));
    EXPECT_EQ(std::make_pair(third.curveA(), third.curveB()), std::make_pair(-0.015625f, 3.5e9f));
    // the kind and bySize bytes are left alone
    EXPECT_EQ(first.bytes[0] | first.bytes[1] | second.bytes[1] | third.bytes[1], 0);
}

TEST(PathIdentity, OneFileUnderTwoSpellingsIsOneSongAndLettersFoldWithoutTheFile) {
    const test::TempDir dir;
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

}  // namespace
}  // namespace plume
