#include <gtest/gtest.h>

#include <sstream>

#include "platform/message_box.h"
#include "song/song_file.h"
#include "support/cli_run.h"
#include "voice/tones.h"
#include "voice/transcription.h"
#include "voice/vokato.h"

namespace plume::voice {
namespace {

using test::kBlock;

constexpr std::uint8_t kHalf = 2, kQuarter = 3, kEighth = 4, kQuarterRest = 9;

// A score record in a group of `size`; a note sounds at velocity 100 with gate 75.
SongRecord rec(std::uint8_t size, std::uint8_t type, std::uint8_t key = 0) {
    const auto velocity = std::uint8_t(key ? 100 : 0), gate = std::uint8_t(key ? 75 : 0);
    return SongRecord{{size, kind::kScore, type, 0, 0, key, velocity, 0, gate, 0}};
}

class Transcribe : public testing::Test, protected test::Profiles {};

// C D E G, each a quarter at tempo 120 (25 blocks, 500 ms onset to onset), the last one stretched.
constexpr int kKeys[] = {60, 62, 64, 67};
test::Take melody() {
    return test::takeOf({{0, 10}, {60, 20}, {0, 5}, {62, 20}, {0, 5}, {64, 20}, {0, 5}, {67, 20}, {0, 15}});
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
    std::vector<SongRecord> notes = {rec(1, kQuarter, 25), rec(1, type::kBarLine), rec(1, kEighth, 94)};
    EXPECT_TRUE(shiftSemitone(notes, -1));
    EXPECT_EQ(std::make_tuple(notes[0].key(), notes[1].key()), std::make_tuple(24, 0));
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

std::vector<NoteSegment> segments(std::initializer_list<int> keys) {
    std::vector<NoteSegment> list;
    for (int key : keys) list.push_back(NoteSegment{3, 0, std::uint8_t(key), 0, 0, 0});
    return list;
}

std::vector<int> keys(const VokatoNotes& notes) {
    std::vector<int> k;
    for (const SongRecord& r : notes.records()) k.push_back(r.type() == type::kBarLine ? -1 : r.key());
    return k;
}

TEST(VokatoNotes, KeysEditGroupsAtTheCursor) {
    VokatoNotes notes;
    notes.rebuild(segments({60, 62, 64}), SongInfo::defaults(), 0);
    notes.moveCursor(-1);  // from the end
    ASSERT_TRUE(notes.insertBarLine(true));
    EXPECT_EQ(keys(notes), (std::vector{60, 62, -1, 64}));
    EXPECT_EQ(notes.cursor(), 3u);
    notes.backspace();
    notes.moveCursor(-2);
    notes.deleteAtCursor();
    EXPECT_EQ(keys(notes), (std::vector{62, 64}));
    // Overwrite replaces the group at the cursor, keeping its marks when asked; at the end it inserts.
    notes.rebuild(segments({60, 62}), SongInfo::defaults(), 0);
    notes.moveCursor(-2);
    SongRecord chord[2] = {SongRecord{{1, 0, 4, 0x40, 0, 67, 100, 0, 75, 0}}, SongRecord{{0, 0, 4, 0, 0, 71, 100, 0, 75, 0}}};
    ASSERT_TRUE(notes.insertGroup(chord, false, true));
    EXPECT_EQ(keys(notes), (std::vector{67, 71, 62}));
    EXPECT_EQ(std::make_tuple(notes.records()[0].groupSize(), notes.records()[1].bytes[3], notes.cursor()),
              std::make_tuple(2, 0, 0u));
    notes.moveCursor(5);  // beyond the end: refused
    EXPECT_EQ(notes.cursor(), 0u);
    notes.moveCursor(2);
    ASSERT_TRUE(notes.insertGroup(std::span(chord, 1), false));
    EXPECT_EQ(notes.groupCount(), 3u);
}

TEST(VokatoNotes, AFullListRefusesAndStaysAsItWas) {
    platform::ScriptedMessageBox box;
    VokatoNotes notes;
    std::vector<NoteSegment> many(198, NoteSegment{3, 0, 60, 0, 0, 0});
    notes.rebuild(many, SongInfo::defaults(), 0);
    SongRecord two[2] = {rec(2, kQuarter, 60), rec(0, kQuarter, 64)};
    EXPECT_FALSE(notes.insertGroup(two, true));
    EXPECT_EQ(box.shown().back(), "データが入りません！");
    EXPECT_TRUE(notes.insertBarLine(true));
    EXPECT_FALSE(notes.insertBarLine(true));
    EXPECT_EQ(box.shown().back(), "データオーバーフロー！");
    EXPECT_EQ(notes.records().size(), 199u);
    notes.moveCursor(-5);
    EXPECT_TRUE(notes.insertBarLine(false));  // overwriting needs no room
    EXPECT_EQ(notes.records().size(), 199u);
}

TEST(VokatoCommands, FollowTheStateTheListAndTheFrame) {
    VokatoNotes empty, low;
    low.rebuild(segments({24, 60}), SongInfo::defaults(), 0);
    VokatoContext context;
    using S = VokatoState;
    // each row in the context the rows before it left: {command, state, notes, enabled}
    const auto check = [&](std::initializer_list<std::tuple<int, S, const VokatoNotes*, bool>> rows) {
        for (const auto& [command, state, notes, enabled] : rows)
            EXPECT_EQ(vokatoEnabled(command, state, *notes, context), enabled) << "command " << command;
    };
    check({{vokato::kStop, S::CountIn, &empty, true}, {vokato::kPlayCopiedAndRecord, S::Idle, &empty, false}});
    context.clipboardHasData = true;
    check({{vokato::kPlayCopiedAndRecord, S::Idle, &empty, true}});
    context.frameIsPlaying = true;
    check({{vokato::kPlayCopiedAndRecord, S::Idle, &empty, false}, {vokato::kPlay, S::Idle, &empty, false}});
    context.playCopiedToo = true;
    check({{vokato::kPlay, S::Idle, &empty, true}, {vokato::kSemitoneDown, S::Idle, &low, false},
           {vokato::kTransfer, S::Idle, &empty, false}, {vokato::kTransfer, S::Idle, &low, true},
           {vokato::kStopPlaying, S::Playing, &low, true}});
    EXPECT_TRUE(vokatoChecked(vokato::kAutoTranspose, context));
}

TEST(VokatoPlayback, TheCopiedRangeKeepsNotesAndRestsAndGoesBesideTheTakeUnlessBothAreRhythm) {
    // a note, a bar line, a rest, a two-note chord
    const std::vector<SongRecord> clip = {rec(1, kQuarter, 60), rec(1, type::kBarLine), rec(1, kQuarterRest),
                                          rec(2, kHalf, 64), rec(0, kHalf, 67)};
    const std::vector<SongRecord> copied = copiedRangeOf(clip);
    ASSERT_EQ(copied.size(), 4u);
    EXPECT_EQ(copied[1].type(), kQuarterRest);
    // a clipboard of 150 two-record chords stops before the group that would pass 199 records
    std::vector<SongRecord> chords;
    for (int i = 0; i < 150; ++i) chords.insert(chords.end(), {clip[3], clip[4]});
    EXPECT_EQ(copiedRangeOf(chords).size(), 198u);

    VokatoNotes take;
    take.rebuild(segments({60, 62}), SongInfo::defaults(), 0);
    SongInfo melody = SongInfo::defaults(), rhythm = SongInfo::defaults();
    melody.setTempo(90);
    rhythm.setFileKind(0);
    const VokatoPlay both = vokatoPlay(take.records(), melody, copied, melody, true);
    ASSERT_EQ(both.play.channels.size(), 2u);
    EXPECT_EQ(both.play.tempo, 90);
    EXPECT_EQ(std::make_tuple(both.play.channels[0].index, both.play.channels[1].index, both.play.channels[1].count),
              std::make_tuple(0u, 1u, 4u));
    EXPECT_EQ(vokatoPlay(take.records(), melody, copied, rhythm, true).play.channels[1].index, 9u);
    EXPECT_EQ(vokatoPlay(take.records(), melody, copied, melody, false).play.channels.size(), 1u);
    const VokatoPlay clash = vokatoPlay(take.records(), rhythm, copied, rhythm, true);
    EXPECT_TRUE(clash.conflict);
    ASSERT_EQ(clash.play.channels.size(), 1u);
    EXPECT_EQ(clash.play.channels[0].count, take.records().size());
    EXPECT_EQ(copiedRangePlay(copied, rhythm).channels.at(0).index, 9u);
}

}  // namespace
}  // namespace plume::voice
