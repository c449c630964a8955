#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
using namespace std::literals;

const std::string kNoRoom = "データが入りません！";

void loadInto(CPlmDoc& doc, std::vector<SongRecord> records) { ASSERT_TRUE(doc.load(songOf(std::move(records)))); }

std::vector<SongRecord> songOfGroups(std::initializer_list<std::initializer_list<SongRecord>> groups) {
    std::vector<SongRecord> song;
    for (const auto& records : groups) addGroup(song, records);
    return song;
}

// Sizes of the groups met when walking; fails the test when the walk does not end exactly at the count.
std::vector<std::size_t> groupSizes(const CPlmDoc& doc) {
    std::vector<std::size_t> sizes;
    std::size_t g = 0;
    for (; g < doc.recordCount(); g = doc.nextGroup(g)) {
        sizes.push_back(doc.records()[g].groupSize());
        for (std::size_t i = g + 1; i < doc.groupEnd(g); ++i) EXPECT_EQ(doc.records()[i].groupSize(), 0) << i;
        if (doc.records()[g].groupSize() == 0) break;
    }
    EXPECT_EQ(g, doc.recordCount());
    return sizes;
}

std::vector<int> fields(const CPlmDoc& doc, std::initializer_list<std::size_t> indices,
                        std::uint8_t (SongRecord::*field)() const) {
    std::vector<int> out;
    for (std::size_t i : indices) out.push_back((doc.records()[i].*field)());
    return out;
}
std::vector<int> ties(const CPlmDoc& doc, std::initializer_list<std::size_t> indices) {
    return fields(doc, indices, &SongRecord::tie);
}
std::vector<int> tuplets(const CPlmDoc& doc, std::initializer_list<std::size_t> indices) {
    return fields(doc, indices, &SongRecord::tuplet);
}

TEST(PlmDoc, InsertionsStopBelowTwentyThousandRecordsAndGroupsAt255) {
    platform::ScriptedMessageBox box;
    CPlmDoc doc;
    loadInto(doc, filledSong(19999));
    const std::vector<SongRecord> before(doc.records().begin(), doc.records().end());

    EXPECT_FALSE(doc.insertTypeGroup(0, type::kBarLine));
    EXPECT_FALSE(doc.appendEffect(0, effect::kPan, 64));
    EXPECT_FALSE(doc.setGroupText(0, kind::kLyric, "la"));

    EXPECT_EQ(box.shown(), (std::vector<std::string>{kNoRoom, kNoRoom, kNoRoom}));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(std::vector(doc.records().begin(), doc.records().end()), before);

    CPlmDoc smaller;
    loadInto(smaller, filledSong(19998));
    box.clear();
    EXPECT_FALSE(smaller.insertRecords(0, group({note(3, 60), note(3, 64)})));
    EXPECT_TRUE(smaller.insertTypeGroup(0, type::kBarLine));
    EXPECT_EQ(smaller.recordCount(), 19999u);
    EXPECT_EQ(box.shown(), std::vector<std::string>{kNoRoom});

    // AND curves over a range are refused whole: four pieces, the first replacing a volume value,
    // would bring 19,990 to 20,001
    CPlmDoc curved;
    loadInto(curved, filledSong(19990));
    box.clear();
    EXPECT_FALSE(curved.setCurves(0, curved.recordCount(), effect::kVolume, std::vector<CurveTriple>(4)));
    EXPECT_EQ(box.shown(), std::vector<std::string>{kNoRoom});
    EXPECT_EQ(curved.recordCount(), 19990u);
    EXPECT_FALSE(curved.isModified());

    std::vector<SongRecord> full = notes(3, {60});
    full.resize(255, effectValue(effect::kPan, 64));
    full[0].setGroupSize(255);
    loadInto(doc, full);
    box.clear();
    EXPECT_FALSE(doc.appendEffect(0, effect::kVolume, 1));
    EXPECT_FALSE(doc.setGroupText(0, kind::kLyric, "a"));
    EXPECT_EQ(doc.recordCount(), 255u);
    EXPECT_FALSE(doc.isModified());
    EXPECT_TRUE(box.shown().empty()) << "a full group is refused silently";
}

TEST(PlmDoc, InsertAndDeleteKeepGroupsWalkable) {
    CPlmDoc doc;
    loadInto(doc, songOfGroups({{note(3, 67), note(3, 60), effectValue(effect::kVolume, 90)}, {barLine()},
                                {note(4, 62)}}));

    EXPECT_TRUE(doc.insertTypeGroup(3, 10, mark::kDotted));
    EXPECT_TRUE(doc.insertTypeGroup(doc.recordCount(), type::kLineBreak, mark::kDotted));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{3, 1, 1, 1, 1}));
    EXPECT_EQ(doc.records()[3].bytes[2], 10 | mark::kDotted);
    EXPECT_EQ(doc.records()[6].bytes[2], type::kLineBreak) << "only notes and rests take dots";

    EXPECT_TRUE(doc.insertScoreGroup(doc.recordCount(), doc.records().subspan(0, 3)));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{3, 1, 1, 1, 1, 2}));
    EXPECT_EQ(doc.records()[8].key(), 60);

    EXPECT_TRUE(doc.deleteGroup(0));
    EXPECT_TRUE(doc.deleteGroup(1));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{1, 1, 1, 2}));
    EXPECT_EQ(doc.records()[1].key(), 62);

    EXPECT_FALSE(doc.deleteGroup(4));
    EXPECT_FALSE(doc.insertTypeGroup(4, type::kSpacer));
    EXPECT_FALSE(doc.deleteGroup(doc.recordCount()));
}

TEST(PlmDoc, ReplacingScoreRecordsKeepsTiesByKeyAndTheEffects) {
    CPlmDoc doc;
    loadInto(doc, group({note(3, 67, mark::kTieBegin), note(3, 60), effectValue(effect::kPan, 10)}));
    EXPECT_TRUE(doc.replaceScoreRecords(0, group({note(4, 72), note(4, 67), note(4, 64)})));
    EXPECT_EQ(groupSizes(doc), std::vector<std::size_t>{4});
    EXPECT_EQ(ties(doc, {0, 1, 2}), (std::vector{0, int(mark::kTieBegin), 0}));
    EXPECT_TRUE(doc.records()[3].isEffect());

    EXPECT_TRUE(doc.replaceWithTimeSignature(0, 3, 2));
    EXPECT_EQ(groupSizes(doc), std::vector<std::size_t>{2});
    EXPECT_EQ(doc.records()[0].bytes, (std::array<std::uint8_t, 10>{2, 0xFF, 0x58, 4, 2, 3, 0, 0, 0, 0}));
    EXPECT_TRUE(doc.records()[1].isEffect());
}

TEST(PlmDoc, GroupTextIsSetOverwrittenAndDeleted) {
    CPlmDoc doc;
    loadInto(doc, songOfGroups({{note(3, 60), effectValue(effect::kVolume, 90)}, {note(3, 62)}}));
    const auto texts = [&] { return std::pair(doc.groupText(0, kind::kLyric), doc.groupText(0, kind::kChordName)); };

    EXPECT_FALSE(doc.setGroupText(0, kind::kLyric, ""));
    EXPECT_FALSE(doc.isModified());

    EXPECT_TRUE(doc.setGroupText(0, kind::kLyric, "sakura"));
    EXPECT_TRUE(doc.setGroupText(0, kind::kChordName, "C7"));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{4, 1}));
    EXPECT_EQ(doc.records()[2].kind(), kind::kLyric);
    EXPECT_EQ(texts(), std::pair("sakura"sv, "C7"sv));

    // Overwriting keeps the size; a double-byte character is never cut in half.
    EXPECT_TRUE(doc.setGroupText(0, kind::kLyric, "abcde\x82\xa0"));
    EXPECT_EQ(doc.groupText(0, kind::kLyric), "abcde");
    EXPECT_EQ(doc.records()[2].bytes[2], 5);
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{4, 1}));

    EXPECT_TRUE(doc.setGroupText(0, kind::kLyric, ""));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{3, 1}));
    EXPECT_EQ(texts(), std::pair(""sv, "C7"sv));
}

TEST(PlmDoc, UntieInTheMiddleRepairsNeighbours) {
    // Key 60 in six groups (records 0, 1, 3, 4, 5, 6); record 2 is key 64 of a chord.
    CPlmDoc doc;
    loadInto(doc, songOfGroups({{note(3, 60)}, {note(3, 60), note(3, 64)}, {note(3, 60)}, {note(3, 60)}, {note(3, 60)},
                                {note(3, 60)}}));
    EXPECT_FALSE(doc.tieKey(1, 6, 61)) << "no note of that key";
    ASSERT_TRUE(doc.tieKey(0, doc.recordCount(), 60));
    EXPECT_TRUE(doc.untieKey(3, 5, 60));
    EXPECT_EQ(ties(doc, {0, 1, 3, 4, 5, 6}), (std::vector{0x40, 0xC0, 0, 0, 0x40, 0xC0}));
    EXPECT_TRUE(doc.untieNote(5));
    EXPECT_EQ(ties(doc, {5, 6}), (std::vector{0, 0}));
    EXPECT_TRUE(doc.clearGroupTies(1));
    EXPECT_EQ(ties(doc, {0, 1}), (std::vector{0, 0}));
}

TEST(PlmDoc, SetTupletMarksEveryTimedRecordAndClearsWhatReachesIn) {
    // A triplet (groups 0-2), a bar line, a triplet (groups 4-6, the middle one a chord), a rest.
    std::vector<SongRecord> song =
        songOfGroups({{note(4, 60)}, {note(4, 62, mark::kTieBegin)}, {note(4, 62, mark::kTieEnd)}, {barLine()},
                      {note(4, 65)}, {note(4, 67), note(4, 64)}, {rest(10)}, {rest(9)}});
    markTuplet(song, {0, 1, 2}, 3);
    markTuplet(song, {4, 5, 7}, 3);
    CPlmDoc doc;
    loadInto(doc, song);
    EXPECT_TRUE(doc.setTuplet(2, 7, 5));
    // THEN the first triplet's outside part is cleared, the bar line is skipped and the rest after
    // the range, left from the second triplet, is cleared too
    EXPECT_EQ(tuplets(doc, {0, 1}), (std::vector{0, 0}));
    EXPECT_EQ(tuplets(doc, {2, 4, 5, 6, 7}), (std::vector{0x15, 0x25, 0x35, 0x35, 0}));
    EXPECT_EQ(doc.records()[3].marks(), 0);
    EXPECT_EQ(ties(doc, {2}), (std::vector{0xC0}));

    EXPECT_TRUE(doc.clearTuplets(4, 7));
    EXPECT_EQ(tuplets(doc, {2, 4, 5, 6}), std::vector(4, 0));
    EXPECT_FALSE(doc.setTuplet(0, 1, 3)) << "one group is no tuplet";
}

TEST(PlmDoc, EffectValueReplacesCurveTripleAndBack) {
    CPlmDoc doc;
    loadInto(doc, songOfGroups({{note(3, 60), effectValue(effect::kPan, 10)}, {barLine()},
                                {rest(9), effectValue(effect::kVolume, 80)}}));

    CurveTriple piece;
    piece[0].setCurveFunction(1);  // a line
    piece[1].setCurveConstant(0x34);
    const std::vector<CurveTriple> pieces = {piece, piece, piece};

    EXPECT_TRUE(doc.setCurves(0, doc.recordCount(), effect::kVolume, pieces));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{5, 1, 4}));
    EXPECT_EQ(fields(doc, {2, 3}, &SongRecord::kind), (std::vector{int(kind::kVolumeCurve), kind::kVolumeCurve + 1}));
    EXPECT_EQ(doc.records()[3].bytes[2], 0x34);
    EXPECT_EQ(doc.findEffect(6, effect::kVolume), 7u);

    EXPECT_TRUE(doc.setEffect(0, effect::kVolume, 100));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{3, 1, 4}));
    EXPECT_EQ(doc.records()[2].bytes[1], kind::kEffect);
    EXPECT_EQ(doc.records()[2].value(), 100);

    EXPECT_TRUE(doc.setCurves(0, 4, effect::kVolume, pieces));
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{5, 1, 4}));
    EXPECT_EQ(doc.findEffect(0, effect::kVolume), 2u);

    EXPECT_EQ(doc.removeEffectInRange(0, doc.recordCount(), effect::kVolume), 2u);
    EXPECT_EQ(groupSizes(doc), (std::vector<std::size_t>{2, 1, 1}));
    EXPECT_NE(doc.findEffect(0, effect::kPan), kNoRecord);
    EXPECT_EQ(doc.findEffect(0, effect::kVolume), kNoRecord);
    EXPECT_FALSE(doc.removeEffect(0, effect::kVolume));
}

TEST(PlmDoc, ProgramIsPropagatedAndInsertedWhereItChanges) {
    CPlmDoc doc;
    const std::vector<SongRecord> song = notes(3, {60, 60, 60, 60, 60});
    loadInto(doc, song);
    SongInfo info = doc.songInfo();
    info.setSoundModule(2);  // SC-88
    doc.setSongInfo(info);

    EXPECT_TRUE(doc.setProgram(1, 25));
    EXPECT_EQ(doc.records()[2].bytes, (std::array<std::uint8_t, 10>{0, 0x10, 10, 2, 0, 25, 0, 0, 0, 25}));
    EXPECT_EQ(doc.propagateProgram(1), doc.recordCount());
    EXPECT_EQ(doc.records().back().programInForce(), 25);

    EXPECT_TRUE(doc.setProgram(4, 2, 8, 40));
    EXPECT_EQ(doc.propagateProgram(0), 1u);

    CPlmDoc drums;
    loadInto(drums, song);
    drums.mutableRecords()[2].setProgramInForce(16);
    EXPECT_TRUE(drums.insertProgramChanges(0, drums.recordCount()));
    EXPECT_EQ(groupSizes(drums), (std::vector<std::size_t>{1, 1, 2, 2, 1}));
    EXPECT_EQ(drums.records()[3].bytes[5], 16);
    EXPECT_EQ(drums.records()[5].bytes[5], 0);
    EXPECT_TRUE(drums.insertProgramChanges(0, drums.recordCount()));
    EXPECT_EQ(drums.recordCount(), 7u) << "groups with a program record are left alone";
}

// The value lists, lengths and dots of notes are the note-entry tests'; the document holds keys to MIDI's range.
TEST(PlmDoc, TransposeStopsAtKey127AndPassesOverEffects) {
    CPlmDoc doc;
    loadInto(doc, songOfGroups({{note(3, 60), effectValue(effect::kPan, 1)}, {rest(9)}, {note(4, 100)}}));
    EXPECT_TRUE(doc.transpose(0, doc.recordCount(), 30));
    EXPECT_EQ(fields(doc, {0, 3}, &SongRecord::key), (std::vector{90, 127}));
    EXPECT_EQ(doc.records()[1].value(), 1);
}

// The settings themselves are the project settings test's; here, that each change reaches the window.
TEST(PlmDoc, SettingsChangesAreReported) {
    CPlmDoc doc;
    EXPECT_EQ(doc.headerWord(), 2);
    int reports = 0;
    doc.setSettingsObserver([&] { ++reports; });
    doc.applySettings(96, 3, 3, 6, kKeep);
    doc.applySettings(96, 3, 3, 6, 9);
    EXPECT_EQ(reports, 2);
    EXPECT_TRUE(doc.isModified());
}

}  // namespace
}  // namespace plume
