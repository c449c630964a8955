#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "platform/file_io.h"
#include "platform/profile.h"
#include "song/song_file.h"
#include "support/cli_run.h"
#include "voice/tones.h"
#include "voice/transcription.h"

namespace plume::voice {
namespace {

using test::addSilence;
using test::addTone;
using test::kBlock;
using test::Take;

class Transcribe : public testing::Test {
protected:
    platform::MemoryProfile plm, app;
    Transcribe() { platform::installProfiles(&plm, &app); }
    ~Transcribe() override { platform::installProfiles(nullptr, nullptr); }
};

// C D E G, each a quarter at tempo 120 (25 blocks, 500 ms onset to onset), the last one stretched.
constexpr int kKeys[] = {60, 62, 64, 67};
Take melody() {
    Take take;
    addSilence(take, 10);
    for (int key : kKeys) {
        addTone(take, test::hzOf(key), 20);
        addSilence(take, 5);
    }
    addSilence(take, 10);
    return take;
}

TEST_F(Transcribe, NotesBecomeOneRecordGroupsWithTheEnrolledTransposition) {
    const auto take = transcribeTake(melody(), 120, DetectParameters::defaults());
    enrolVoice(55, 60);  // the user's low voice stands for five semitones higher
    SongInfo info = SongInfo::defaults();
    info.bytes[8] = 41;
    const auto notes = notesFromSegments(take.segments, info, enrolledTransposition());
    ASSERT_EQ(notes.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const auto key = std::uint8_t(kKeys[i] + 5);
        EXPECT_EQ(notes[i].bytes, (std::array<std::uint8_t, 10>{1, 0, 3, 0, 0, key, 100, 0, 75, 41})) << i;
    }
    info.bytes[2] = 0;  // a rhythm song
    for (const SongRecord& r : notesFromSegments(take.segments, info, 5)) EXPECT_EQ(r.key(), 38);
}

TEST(SemitoneShift, StopsAtTheKeyboardsEnds) {
    std::vector<SongRecord> notes = {SongRecord{{1, 0, 3, 0, 0, 25, 100, 0, 75, 0}},
                                     SongRecord{{1, 0, 13, 0, 0, 0, 0, 0, 0, 0}},  // a bar line
                                     SongRecord{{1, 0, 4, 0, 0, 94, 100, 0, 75, 0}}};
    EXPECT_TRUE(shiftSemitone(notes, -1));
    EXPECT_EQ(notes[0].key(), 24);
    EXPECT_EQ(notes[1].key(), 0);
    EXPECT_FALSE(canShiftDown(notes));
    EXPECT_FALSE(shiftSemitone(notes, -1));
    EXPECT_TRUE(shiftSemitone(notes, 1));
    EXPECT_TRUE(shiftSemitone(notes, 1));
    EXPECT_EQ(notes[2].key(), 95);
    EXPECT_FALSE(shiftSemitone(notes, 1));
    EXPECT_EQ(notes[2].key(), 95);
    EXPECT_FALSE(canShiftUp(std::vector<SongRecord>{notes[1]}));
}

TEST_F(Transcribe, CommandLinePrintsEveryNoteAndWritesTheSong) {
    test::TempDir dir;
    const auto wav = dir.write("take.wav", wavFileBytes(melody()));
    const auto out = (dir / "out.PLM").string();
    const auto r = test::runCommand({"transcribe", wav.string(), "--tempo", "60", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    for (std::uint32_t i = 0; i < 4; ++i) {
        int code = 0, dots = 0, note = 0, freq = 0;
        std::uint32_t start = 0, end = 0;
        ASSERT_TRUE(lines >> code >> dots >> note >> freq >> start >> end) << r.out;
        // 500 ms at tempo 60 is an eighth; the last, 400 × 1.25 ms, also
        EXPECT_EQ(std::tie(code, dots, note, start, end),
                  std::make_tuple(4, 0, kKeys[i], (10 + 25 * i) * kBlock, (30 + 25 * i) * kBlock)) << i;
        EXPECT_NEAR(freq, test::hzOf(kKeys[i]), 6.0);
    }
    const SongReadResult song = readSong(out);
    ASSERT_TRUE(song.ok());
    EXPECT_EQ(song.song.info.tempo(), 60);
    ASSERT_EQ(song.song.records.size(), 4u);
    EXPECT_EQ(song.song.records[3].key(), 67);
}

}  // namespace
}  // namespace plume::voice
