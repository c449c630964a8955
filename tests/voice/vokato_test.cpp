#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "voice/vokato.h"

namespace plume::voice {
namespace {

constexpr std::uint8_t kHalf = 2, kQuarter = 3, kEighth = 4, kQuarterRest = 9;

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
    EXPECT_EQ(notes.cursor(), 3u);
    notes.moveCursor(-1);
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
    EXPECT_EQ(notes.records()[0].groupSize(), 2);
    EXPECT_EQ(notes.records()[1].bytes[3], 0);
    EXPECT_EQ(notes.cursor(), 0u);
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
    SongRecord two[2] = {SongRecord{{2, 0, 3, 0, 0, 60, 100, 0, 75, 0}}, SongRecord{{0, 0, 3, 0, 0, 64, 100, 0, 75, 0}}};
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
    check({{vokato::kRecord, S::Idle, &empty, true}, {vokato::kRecord, S::Recording, &empty, false},
           {vokato::kStop, S::Idle, &empty, false}, {vokato::kStop, S::CountIn, &empty, true},
           {vokato::kPlayCopiedAndRecord, S::Idle, &empty, false}});
    context.clipboardHasData = true;
    check({{vokato::kPlayCopiedAndRecord, S::Idle, &empty, true}});
    context.frameIsPlaying = true;
    check({{vokato::kPlayCopiedAndRecord, S::Idle, &empty, false}, {vokato::kPlay, S::Idle, &empty, false}});
    context.playCopiedToo = true;
    check({{vokato::kPlay, S::Idle, &empty, true}, {vokato::kSemitoneDown, S::Idle, &low, false},
           {vokato::kSemitoneUp, S::Idle, &low, true}, {vokato::kTransfer, S::Idle, &empty, false},
           {vokato::kTransfer, S::Idle, &low, true}, {vokato::kUndoMark, S::Idle, &low, false},
           {vokato::kStopPlaying, S::Playing, &low, true}});
    EXPECT_TRUE(vokatoChecked(vokato::kAutoTranspose, context));
}

TEST(VokatoPlayback, TheCopiedRangeKeepsNotesAndRestsAndGoesBesideTheTakeUnlessBothAreRhythm) {
    // a note, a bar line, a rest, a two-note chord
    const std::vector<SongRecord> clip = {
        SongRecord{{1, kind::kScore, kQuarter, 0, 0, 60, 100, 0, 75, 0}},
        SongRecord{{1, kind::kScore, type::kBarLine, 0, 0, 0, 0, 0, 0, 0}},
        SongRecord{{1, kind::kScore, kQuarterRest, 0, 0, 0, 0, 0, 0, 0}},
        SongRecord{{2, kind::kScore, kHalf, 0, 0, 64, 100, 0, 75, 0}},
        SongRecord{{0, kind::kScore, kHalf, 0, 0, 67, 100, 0, 75, 0}},
    };
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
    EXPECT_EQ(both.play.channels[0].index, 0u);
    EXPECT_EQ(both.play.channels[1].index, 1u);
    EXPECT_EQ(both.play.channels[1].count, 4u);
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
