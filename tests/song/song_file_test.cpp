#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/seed_corpus.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using test::addGroup;
using test::note;
using test::OldRecord;
using Bytes = std::vector<std::uint8_t>;
using Group = std::vector<SongRecord>;
using Record = std::array<std::uint8_t, 10>;

// Parses a file and checks that what it yields is written, read and written again unchanged.
SongReadResult parsedAndRoundTripped(const Bytes& file) {
    const SongReadResult read = parseSong(file);
    if (!read.ok()) return read;
    const Bytes written = serializeSong(read.song);
    const SongReadResult again = parseSong(written);
    EXPECT_TRUE(again.ok() && !again.converted);
    EXPECT_EQ(std::tie(again.song.records, again.song.info, again.song.reserved),
              std::tie(read.song.records, read.song.info, read.song.reserved));
    EXPECT_EQ(serializeSong(again.song), written);
    return read;
}

std::vector<Group> groupsOf(const Group& records) {
    std::vector<Group> groups;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const auto first = records.begin() + std::ptrdiff_t(g);
        groups.emplace_back(first, first + std::ptrdiff_t(groupEnd(records, g) - g));
    }
    return groups;
}

std::vector<Group> convertedGroups(const Bytes& file, SongInfo* info = nullptr) {
    const SongReadResult read = parsedAndRoundTripped(file);
    EXPECT_TRUE(read.ok() && read.converted);
    if (info) *info = read.song.info;
    return groupsOf(read.song.records);
}

OldRecord oldNote(std::uint8_t marks, std::initializer_list<int> keys, std::int16_t tempo = 120) {
    OldRecord r(tempo, 3, marks);
    for (int key : keys) r.setKey(key);
    return r;
}

// A song with every kind of record and the bytes no field names set.
SongData richSong() {
    Group r = test::groups({test::metaTime(3, 2), test::metaKey(3)});
    addGroup(r, {note(3, 60), note(3, 64), test::effectValue(effect::kVolume, 90), test::effectValue(effect::kTempo, 132),
                 test::textRecord(kind::kLyric, "\x82\xa0"), test::textRecord(kind::kChordName, "C")});
    SongRecord bend = test::effectValue(effect::kPitchBend, 0);
    bend.setValue16(-4096);
    addGroup(r, {note(4, 62, mark::kTieBegin), bend, SongRecord{{0, kind::kModulationCurve, 2, 7, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0}},
                 SongRecord{{0, kind::kModulationCurve + 1, 1, 0, 0xFE, 0xFF, 0, 0, 0, 0}},
                 SongRecord{{0, kind::kModulationCurve + 2, 0, 0, 0x80, 0x3F, 0, 0, 0xC0, 0x7F}}});
    test::addGroups(r, {note(4, 62, mark::kTieEnd), note(4, 65), note(4, 66), note(4, 67), test::rest(9, 0, mark::kDotted),
                        test::barLine(), test::lineBreak()});
    test::markTuplet(r, {5, 6, 7}, 3);
    SongData rich = test::songOf(r);
    rich.info.bytes[3] = 0xAB;
    rich.reserved = {1, 2, 3, 4, 5, 6, 7, 8};
    rich.header.setWord(200, 0x5A);
    return rich;
}

TEST(SongFile, VersionsBelow411ReadInPlaceAndMustMatchTheCountExactly) {
    // Versions below 411 other than the old layouts (a broken file of every layout is a row of the
    // command line's bad-input table): header word 2, the rest read in place, exactly.
    SongInfo info = SongInfo::defaults();
    info.setNumerator(7);
    Bytes below = test::layoutBelow411(300, test::filledSong(12), info);
    below[9] = 0x77;
    const SongReadResult read = parsedAndRoundTripped(below);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(std::tuple(read.converted, int(read.version), int(read.song.header.headerWord()),
                         int(read.song.reserved[1])),
              std::tuple(false, 300, 2, 0x77));
    EXPECT_EQ(read.song.info, info);
    EXPECT_EQ(read.song.records, test::filledSong(12));
    below.push_back(0);
    EXPECT_EQ(parseSong(below).status, ReadStatus::WrongData);
}

TEST(OldLayouts, Version10ChordBecomesOneGroupInKeyOrder) {
    OldRecord chord = oldNote(0, {64, 60}, 100);
    chord.set(16, 9);  // a program: dropped by widening, rhythm songs of this layout have none
    SongInfo info;
    const auto groups = convertedGroups(test::layout10({chord}, 7, 3, 0), &info);
    // THEN one group: the notes from the lowest key, then the volume the widening sets (127)
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (Group{{{3, 0, 3, 0, 0, 60, 100, 0, 75, 0}}, {{0, 0, 3, 0, 0, 64, 100, 0, 75, 0}},
                                {{0, 0x10, effect::kVolume, 127, 0, 0, 0, 0, 0, 0}}}));
    // AND the settings come from the old words, tempo 100, the time signature from code 7
    EXPECT_EQ(info.bytes, (std::array<std::uint8_t, 12>{7, 3, 0, 0, 100, 0, 0, 0, 0, 0, 6, 3}));
}

TEST(OldLayouts, TieMarksPerGroupBecomeTieStatesPerNote) {
    const OldRecord bar(120, type::kBarLine);
    auto tiesOf = [](const std::vector<Group>& groups) {
        std::vector<int> ties;
        for (const Group& g : groups)
            for (const SongRecord& r : g) ties.push_back(r.tie());
        return ties;
    };
    const auto chord = [](std::uint8_t marks) { return oldNote(marks, {60, 67}); };
    EXPECT_EQ(tiesOf(convertedGroups(test::layout24({chord(0x40), bar, chord(0x80), bar, chord(0)}))),
              (std::vector{0x40, 0x40, 0, 0xC0, 0xC0, 0, 0, 0}));
    // GIVEN a tie a rest breaks, a middle mark with nothing begun, a begin that never ends
    const auto broken = convertedGroups(
        test::layout24({oldNote(0x40, {60}), OldRecord(120, 9), oldNote(0x80, {60}), oldNote(0x43, {60})}));
    EXPECT_EQ(tiesOf(broken), (std::vector{0, 0, 0, 0x40}));
    EXPECT_EQ(broken[3][0].tuplet(), 0x03) << "tuplet bits are kept";
}

TEST(OldLayouts, EffectsFollowTheNotesOnlyWhenTheyChange) {
    OldRecord all = oldNote(0, {72});
    const std::pair<std::size_t, std::uint8_t> values[] = {{28, 90}, {22, 10}, {21, 50}, {20, 127}, {19, 20}, {18, 30}};
    for (auto [offset, value] : values) all.set(offset, value);  // volume, chorus, reverb, hold, modulation, pan
    all.set16(24, -200);
    OldRecord pan = all;
    pan.set(18, 100);
    const auto groups = convertedGroups(test::layout24({all, all, pan}));
    // THEN in the order volume, pitch bend, chorus, reverb, hold, modulation, pan
    ASSERT_EQ(groups.size(), 3u);
    std::vector<std::pair<int, int>> effects;
    for (std::size_t i = 1; i < groups[0].size(); ++i) {
        const SongRecord& e = groups[0][i];
        effects.emplace_back(e.effectNumber(), e.effectNumber() == effect::kPitchBend ? e.value16() : e.value());
    }
    EXPECT_EQ(effects,
              (std::vector<std::pair<int, int>>{{0, 90}, {6, -200}, {5, 10}, {4, 50}, {3, 127}, {2, 20}, {1, 30}}));
    EXPECT_EQ(groups[1].size(), 1u) << "nothing changed";
    EXPECT_EQ(groups[2], (Group{groups[2][0], test::effectValue(effect::kPan, 100)}));
}

TEST(OldLayouts, CurvesBecomeTriplesWithFloatsNarrowed) {
    OldRecord curved = oldNote(0, {60});
    curved.set(29, 3);  // volume curve: function, parameter, 32-bit value, two 16-bit values, two doubles
    curved.set(30, 9);
    for (auto [offset, value] : {std::pair{32, -2}, {34, -1}, {48, 300}, {50, -300}})
        curved.set16(std::size_t(offset), std::int16_t(value));
    curved.setDouble(40, 0.1);
    curved.setDouble(56, 1e300);
    curved.set(96, 1);  // pitch-bend curve
    curved.setDouble(104, -2.5);
    const auto groups = convertedGroups(test::layout24({curved, oldNote(0, {60})}));
    ASSERT_EQ(groups.size(), 2u);
    ASSERT_EQ(groups[0].size(), 7u);
    EXPECT_EQ(groups[0][1].bytes, (Record{0, 0x20, 3, 9, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(groups[0][2].bytes, (Record{0, 0x21, 0x2C, 0x01, 0xD4, 0xFE, 0, 0, 0, 0}));
    auto floatAt = [](const SongRecord& r, std::size_t at) {
        return std::bit_cast<float>(std::array{r.bytes[at], r.bytes[at + 1], r.bytes[at + 2], r.bytes[at + 3]});
    };
    EXPECT_EQ(groups[0][3].kind(), 0x22);
    EXPECT_EQ(floatAt(groups[0][3], 2), 0.1f);
    EXPECT_TRUE(std::isinf(floatAt(groups[0][3], 6))) << "beyond the float range";
    EXPECT_EQ(groups[0][4].kind(), 0x40);
    EXPECT_EQ(floatAt(groups[0][6], 2), -2.5f);
    SongRecord bend = test::effectValue(effect::kPitchBend, 0);
    EXPECT_EQ(groups[1], (Group{groups[1][0], test::effectValue(effect::kVolume, 100), bend}));
}

TEST(OldLayouts, ProgramsOfRhythmAndMelodySongs) {
    auto withProgram = [](std::uint8_t program, std::uint8_t bank) {
        OldRecord r = oldNote(0, {50});
        r.set(16, program);
        r.set(27, bank);
        return r;
    };
    auto initialInstrument = [](const SongInfo& i) { return Bytes(i.bytes.begin() + 6, i.bytes.begin() + 10); };
    SongInfo info;
    auto groups =
        convertedGroups(test::layout24({withProgram(25, 3), withProgram(25, 5), withProgram(40, 0)}, 5, 0, 0), &info);
    EXPECT_EQ(initialInstrument(info), (Bytes{1, 0, 25, 1}));
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[1].size(), 1u) << "a bank change alone means nothing in a rhythm song";
    EXPECT_EQ(groups[2][1].bytes, (Record{0, 0x10, effect::kProgram, 1, 0, 40, 0, 0, 0, 0}));
    EXPECT_EQ(groups[2][0].programInForce(), 40);

    groups = convertedGroups(test::layout24({withProgram(25, 3), withProgram(25, 5)}, 5, 0, 1), &info);
    EXPECT_EQ(initialInstrument(info), (Bytes{1, 3, 25, 1}));
    EXPECT_EQ(groups[1][1].bytes, (Record{0, 0x10, effect::kProgram, 0, 5, 25, 0, 0, 0, 0}));
    convertedGroups(test::layout24({withProgram(25, 0)}, 5, 0, 1), &info);
    EXPECT_EQ(info.soundModule(), 0) << "bank 0 leaves the target module alone";
}

TEST(OldLayouts, RestsBarLinesAndTheDefaultTempo) {
    OldRecord rest(90, 9);
    rest.set(16, 4);
    rest.set(28, 55);
    SongInfo info;
    const auto groups = convertedGroups(test::layout20({OldRecord(200, type::kBarLine), rest}, 9, 14, 1), &info);
    EXPECT_EQ(groups, (std::vector<Group>{{{{1, 0, 13, 0, 0, 0, 0, 0, 0, 0}}}, {{{1, 0, 9, 0, 0, 0, 0, 0, 0, 4}}}}));
    EXPECT_EQ(info.tempo(), 90);
    EXPECT_EQ(info.keySignature(), 14);
    EXPECT_EQ(info.numerator(), 4) << "codes from 8 up give 4/4";
    convertedGroups(test::layout24({OldRecord(200, type::kBarLine)}), &info);
    EXPECT_EQ(info.tempo(), 120) << "no note or rest: tempo 120";
}

TEST(OldLayouts, OverflowAndShortRecordsAreWrongData) {
    // GIVEN old records of 80 keys each: 250 fit in the buffer, 260 do not
    OldRecord chord(120, 3);
    for (int key = 24; key < 104; ++key) chord.setKey(key);
    const Bytes one = test::layout24({chord});
    auto repeated = [&one](std::uint16_t count) {
        Bytes file = one;
        for (int i = 1; i < count; ++i) file.insert(file.end(), one.end() - 128, one.end());
        file[6] = std::uint8_t(count & 0xFF);
        file[7] = std::uint8_t(count >> 8);
        return file;
    };
    EXPECT_TRUE(parseSong(repeated(250)).ok());
    EXPECT_EQ(parseSong(repeated(260)).status, ReadStatus::WrongData);

    for (const Bytes& file : {test::layout10({chord, chord}), test::layout30(test::filledSong(3), SongInfo::defaults())})
        EXPECT_EQ(parseSong(Bytes(file.begin(), file.end() - 1)).status, ReadStatus::WrongData);
}

// One file of every layout; with PLUME_FUZZ_SEED_DIR set, the song reader's seed corpus.
TEST(SongFile, FuzzSeedsOfEveryLayoutParseAndRoundTrip) {
    OldRecord chord = oldNote(mark::kTieBegin, {60, 64}, 100);
    chord.set(16, 5);
    OldRecord tied = oldNote(mark::kTieMiddle, {60}, 100);
    tied.set(28, 80);
    tied.set(29, 2);
    tied.setDouble(40, 0.5);
    OldRecord last(100, 0x43, 0x13);
    last.setKey(103);
    last.set(18, 20);
    last.set(96, 1);
    const OldRecord rest(100, 9), bar(0, type::kBarLine);
    SongInfo info = SongInfo::defaults();
    info.setTimeCode(3);
    std::map<std::string, Bytes> seeds = {
        {"layout10", test::layout10({chord, tied, last, rest, bar}, 3, 2, 1)},
        {"layout20", test::layout20({chord, tied, last, rest, bar}, 7, 9, 0)},
        {"layout24", test::layout24({chord, tied, last, rest, bar}, 1, 0, 1)},
        {"layout30", test::layout30(richSong().records, info)},
        {"layout300", test::layoutBelow411(300, richSong().records, info)},
    };
    // the current layout reads back every byte it was given (its header is the rewritten layout 30's test)
    const std::map<std::string, SongData> current = {
        {"current", richSong()}, {"empty", SongData{}}, {"filled", test::songOf(test::filledSong(300))}};
    for (const auto& [name, song] : current) {
        seeds[name] = serializeSong(song);
        const SongReadResult read = parseSong(seeds[name]);
        EXPECT_EQ(std::tie(read.song.records, read.song.info, read.song.reserved, read.song.header.bytes[200]),
                  std::tie(song.records, song.info, song.reserved, song.header.bytes[200]));
    }
    for (const auto& [name, bytes] : seeds) {
        const SongReadResult read = parsedAndRoundTripped(bytes);
        EXPECT_TRUE(read.ok()) << name;
        EXPECT_EQ(read.converted, name.starts_with("layout") && name != "layout300") << name;
        EXPECT_EQ(read.song.records.empty(), name == "empty") << name;
        EXPECT_TRUE(test::writeSeed("fuzz_song_reader", name + ".PLM", bytes)) << name;
    }
}

class SongFileOnDisk : public testing::Test {
protected:
    test::TempDir dir;
    platform::ScriptedMessageBox messages;
};

TEST_F(SongFileOnDisk, Layout30IsRewrittenAs411WhenRead) {
    SongInfo info = SongInfo::defaults();
    info.setTimeCode(4);
    Bytes image = test::layout30(test::filledSong(40), info);
    image[15] = 0xEE;
    const fs::path path = dir.write("old.PLM", image);
    const SongReadResult read = readSong(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.song.records, test::filledSong(40));
    EXPECT_EQ(read.song.reserved[7], 0xEE);
    // THEN the file on disk is the current layout: version 411, header word 2, 3/8 in bytes 10-11
    const Bytes disk = *platform::readFile(path);
    ASSERT_EQ(disk.size(), kSongHeaderSize + 400);
    EXPECT_EQ(Bytes(disk.begin() + 4, disk.begin() + 10), (Bytes{0x9B, 0x01, 40, 0, 2, 0}));
    EXPECT_EQ(Bytes(disk.begin() + 264, disk.begin() + 276), (Bytes{4, 0, 1, 0, 120, 0, 0, 0, 0, 0, 3, 3}));
    EXPECT_EQ(serializeSong(read.song), disk);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(SongFileOnDisk, FailedReadsLeaveTheFileAsItWas) {
    const Bytes v30 = test::layout30(test::filledSong(3), SongInfo::defaults());
    Bytes badMagic = v30;
    badMagic[0] = 'Q';
    for (const Bytes& bytes : {Bytes(v30.begin(), v30.end() - 4), badMagic}) {
        const fs::path path = dir.write("bad.PLM", bytes);
        EXPECT_FALSE(readSong(path).ok());
        EXPECT_EQ(recordCountOfFile(path), bytes == badMagic ? -1 : 3) << "version 30 trusts its count word";
        EXPECT_FALSE(updateSongSettings(path, 100, 1, 3, 3, 0));
        EXPECT_FALSE(checkSongFile(path));
        EXPECT_EQ(*platform::readFile(path), bytes);
    }
    EXPECT_EQ(recordCountOfFile(dir.write("good.PLM", serializeSong(test::songOf(test::filledSong(20))))), 20);
    EXPECT_EQ(readSong(dir / "absent.PLM").status, ReadStatus::CannotOpen);
    EXPECT_FALSE(readSongSettings(dir / "absent.PLM"));
    EXPECT_TRUE(messages.shown().empty());
}

}  // namespace
}  // namespace plume
