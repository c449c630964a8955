#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "score/chord_identify.h"
#include "score/range_edit.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
using Names = std::vector<std::string>;

std::uint16_t setOf(std::initializer_list<int> pitchClasses) {
    std::uint16_t set = 0;
    for (int pc : pitchClasses) set = std::uint16_t(set | (1u << pc));
    return set;
}

std::ptrdiff_t indexOf(const Names& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : it - names.begin();
}

Names prefix(const Names& names, std::size_t n) { return Names(names.begin(), names.begin() + std::ptrdiff_t(std::min(n, names.size()))); }

// The lists of C E G B, of C E G and of no tone at all are the chords command's output in the command-line tests.
TEST(ChordIdentify, FourTonesPresentRankFirstTriadsSecondAndRootsFollowTheKeyAndItsSpelling) {
    // CM7, complete, is not repeated among the chords with two tones or more.
    EXPECT_EQ(indexOf(identifyChords(setOf({0, 4, 7, 11}), 0).second, "CM7"), -1);
    // C E G: CM7 with three of its tones is a second candidate; one-tone chords fill the third.
    const ChordCandidates triad = identifyChords(setOf({0, 4, 7}), 0);
    EXPECT_NE(indexOf(triad.second, "CM7"), -1);
    EXPECT_EQ(prefix(triad.third, 4), (Names{"E", "F", "G", "A"}));
    for (const std::string& name : triad.third) EXPECT_EQ(indexOf(triad.second, name), -1) << name;

    // C7 and Bb7 both complete: two flats try C before B-flat, one flat starts at F.
    const std::uint16_t both = setOf({0, 4, 7, 10, 2, 5, 8});
    const Names twoFlats = identifyChords(both, 9).first;
    ASSERT_NE(indexOf(twoFlats, "Bb7"), -1);
    EXPECT_LT(indexOf(twoFlats, "C7"), indexOf(twoFlats, "Bb7"));
    const Names oneFlat = identifyChords(both, 8).first;
    ASSERT_NE(indexOf(oneFlat, "Bb7"), -1) << "one flat spells with flats";
    EXPECT_GT(indexOf(oneFlat, "C7"), indexOf(oneFlat, "Bb7"));
    // Without accidentals B-flat is not a candidate root at all.
    EXPECT_EQ(indexOf(identifyChords(both, 0).first, "A#7"), -1);

    const Names sharps = identifyChords(setOf({10, 1, 5, 8}), 5).first;  // B-flat minor seven
    EXPECT_NE(indexOf(sharps, "A#m7"), -1);
    for (const std::string& name : sharps) EXPECT_EQ(name.find('b'), std::string::npos) << name;
}

TEST(ChordIdentify, NamesParseBackToRootAndQuality) {
    // {name, key, root, quality}; a sharp key (3) has no "Bb"
    const std::tuple<const char*, std::uint8_t, int, int> names[] = {
        {"Bbm7", 10, 10, 9}, {"C#m7-5", 2, 1, 14}, {"G", 0, 7, 0}, {"Bbm7", 3, -1, 0}, {"Gmaj", 0, -1, 0},
        {"H", 0, -1, 0},     {"", 0, -1, 0}};
    for (const auto& [name, key, root, quality] : names) {
        const auto parsed = parseChordName(name, key);
        const auto got = parsed ? std::pair(parsed->root, parsed->quality) : std::pair(-1, 0);
        EXPECT_EQ(got, std::pair(root, quality)) << name;
    }
}

TEST(ChordIdentify, CommandNeedsANoteInAMelodyRange) {
    std::vector<SongRecord> song = groups({rest(9), barLine(), rest(10)});
    addGroup(song, {note(3, 62), effectValue(effect::kVolume, 90)});
    const SongInfo melody = SongInfo::defaults();
    SongInfo rhythm = melody;
    rhythm.setFileKind(0);
    // rests and a bar line; a note in a rhythm song (a note, playing and no range: the play test's menu states)
    EXPECT_EQ((std::vector{canIdentifyChords(song, {0, 3}, melody, false), canIdentifyChords(song, {2, 5}, rhythm, false)}),
              (std::vector{false, false}));

    // The rests' zero key bytes do not count as C; the effect after the note is no note.
    const auto range = chordRangeOf(song, RecordRange{0, 5});
    ASSERT_TRUE(range);
    EXPECT_EQ(range->last, 3u);
    EXPECT_EQ(rangeRecordCount(song, *range), 5u);
    EXPECT_EQ(pitchClassSet(song, *range), setOf({2}));
}

TEST(ChordAudition, NoteGroupsBecomeTheChordOthersStayOneRecordAndTheRangePlaysBesideIt) {
    std::vector<SongRecord> song = groups({rest(8)});  // before the range
    addGroup(song, {note(3, 60, 0, mark::kDotted), effectValue(effect::kVolume, 90)});
    addGroups(song, {rest(10)});
    addGroup(song, {note(4, 64), note(4, 67)});
    addGroup(song, {note(2, 50)});  // after the range
    const ChordRange range{1, 4};
    ChordAudition audition(song, range);
    ASSERT_TRUE(audition.allocated());

    ASSERT_EQ(audition.build(ParsedChord{7, 1}, 90), 9u);  // G7: 4 + 1 + 4
    const Records built = audition.written();
    ASSERT_EQ(built.size(), 10u);
    std::vector<int> sizes, keys;
    for (const SongRecord& r : built) {
        sizes.push_back(r.groupSize());
        keys.push_back(r.key());
    }
    EXPECT_EQ(sizes, (std::vector<int>{4, 0, 0, 0, 1, 4, 0, 0, 0, 0}));
    EXPECT_EQ(keys, (std::vector<int>{67, 71, 74, 77, 0, 67, 71, 74, 77, 0}));
    for (std::size_t i : {0u, 3u, 5u, 8u})
        EXPECT_EQ(std::tuple(int(built[i].gate()), int(built[i].velocity())), std::tuple(100, 90)) << i;
    EXPECT_EQ(built[0].bytes[2], song[1].bytes[2]);  // the dotted quarter keeps its length
    EXPECT_TRUE(built[4].isRest());
    EXPECT_EQ(built[9].bytes[1], 0);

    // the range plays as written beside the chord
    SongInfo info = SongInfo::defaults();
    info.setInitialTone(2, 8, 24);
    info.setTempo(96);
    const AuditionPlay chord = chordAuditionPlay(song, info, range, audition.played());
    ASSERT_EQ(chord.channels.size(), 2u);
    EXPECT_EQ(chord.tempo, 96);
    const AuditionChannel& written = chord.channels[0];
    EXPECT_EQ(written.track.data(), song.data());
    EXPECT_EQ(std::tuple(written.index, written.start, written.count, int(written.program), int(written.bank),
                         int(written.module)),
              std::tuple(0u, 1u, 5u, 24, 8, 2));
    const AuditionChannel& voiced = chord.channels[1];
    EXPECT_EQ(std::tuple(voiced.index, voiced.count, int(voiced.program), int(voiced.module)),
              std::tuple(1u, 9u, int(kAuditionProgram), 0));

    info.setFileKind(0);
    const AuditionPlay rhythm = rangeAuditionPlay(song, info, range);
    ASSERT_EQ(rhythm.channels.size(), 1u);
    EXPECT_EQ(rhythm.channels[0].index, kRhythmChannelIndex);
    EXPECT_FALSE(rhythm.channels[0].melodic);
}

}  // namespace
}  // namespace plume
