#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "play/instrument_selection.h"
#include "play/instrument_tables.h"

namespace plume {
namespace {

using namespace sound_module;

SongInfo songInfo(bool rhythm, int module, int bank, int program, int soundModule) {
    SongInfo info = SongInfo::defaults();
    info.setFileKind(rhythm ? 0 : 1);
    info.setInitialModule(std::uint8_t(module));
    info.setInitialBank(std::uint8_t(bank));
    info.setInitialProgram(std::uint8_t(program));
    info.setSoundModule(std::uint8_t(soundModule));
    return info;
}

TEST(InstrumentTables, EveryPositionIsFoundAgainByItsNumbers) {
    EXPECT_EQ(familyEntryCount(4, 0) + familyEntryCount(kSc55, 16), 0);
    EXPECT_EQ(familyName(16), "");
    for (int module = 0; module < kCount; ++module) {
        std::set<std::pair<int, int>> seen;
        for (int family = 0; family < kFamilyCount; ++family) {
            for (int index = 0; index < familyEntryCount(module, family); ++index) {
                const Tone tone = toneAt(module, family, index);
                const ToneMatch match = findTone(module, tone.bank, tone.program);
                EXPECT_EQ(tone.module, module);
                EXPECT_EQ(tone.program / 8, family);
                EXPECT_EQ(match.index, index) << module << ": " << int(tone.bank) << "/" << int(tone.program);
                EXPECT_EQ(match.name, toneNameAt(module, family, index));
                EXPECT_TRUE(seen.insert({tone.program, tone.bank}).second);
            }
        }
    }
}

TEST(InstrumentTables, ToneNamesNeedTheExactVariation) {
    // SC-55 bank 8 names its variation Piano 1w, and bank 1, which the module lacks, names nothing
    EXPECT_EQ(toneName(kSc55, 8, 0), "Piano 1w");
    EXPECT_EQ(toneName(kSc55, 1, 0), "");
    EXPECT_EQ(findTone(kSc55, 1, 0).index, -1);
    // AND GM ignores the bank, but not a program out of range
    EXPECT_EQ(toneName(kGm, 8, 25), "Acoustic Guitar (steel)");
    EXPECT_EQ(findTone(kGm, 0, 130).index, -1);
    EXPECT_EQ(toneName(kSc88, 0, 200), "");
    EXPECT_EQ(toneName(5, 0, 0), "");
    EXPECT_EQ(toneNameAt(kSc55, 0, 21), "");
}

TEST(InstrumentTables, DrumSetsAndTheirSounds) {
    EXPECT_EQ(std::make_tuple(drumSetCount(4), drumSetIndex(kSc55, 17), drumSetName(kSc55, 17)),
              std::make_tuple(0, -1, ""));
    // GM has one set, whatever the program says
    EXPECT_EQ(drumSetIndex(kGm, 17), 0);
    EXPECT_EQ(drumSoundName(kGm, 17, 35), "Acoustic Bass Drum");
    EXPECT_TRUE(drumSoundName(kSc55, 0, 26).empty() && drumSoundName(kSc55, 17, 36).empty());
}

TEST(InstrumentTables, TitleNamesTheInitialInstrument) {
    EXPECT_EQ(documentTitle("", songInfo(false, kGm, 0, 40, kGm)), "Untitled - Violin");
    // A rhythm song names the drum set of byte 8 on the module of byte 9
    EXPECT_EQ(documentTitle("song.plm", songInfo(true, kGm, 0, 25, kSc88)), "song.plm - TR-808/909");
}

TEST(MelodyInstrumentSelection, OpensOnTheCurrentTone) {
    // GIVEN an SC-55 song on Piano 1w
    MelodyInstrumentSelection dialog(Tone{kSc55, 8, 0}, 120);
    EXPECT_EQ(std::make_tuple(dialog.selectedTone(), dialog.noteLength()), std::make_tuple(1, kQuarterNoteLength));
    // WHEN nothing changes THEN OK hands back the same tone
    EXPECT_EQ(dialog.accept().tone, (Tone{kSc55, 8, 0}));
    EXPECT_FALSE(dialog.accept().remove);

    // A program of 128 or more opens Piano with nothing selected; OK then takes its first entry
    MelodyInstrumentSelection high(Tone{kSc88, 0, 130}, 120);
    EXPECT_EQ(high.family(), 0);
    EXPECT_EQ(high.selectedTone(), kNoSelection);
    EXPECT_EQ(high.accept().tone, (Tone{kSc88, 0, 0}));
}

TEST(MelodyInstrumentSelection, FamilyButtonsListTheirTones) {
    MelodyInstrumentSelection dialog(Tone{kSc88Pro, 8, 0}, 120);
    // WHEN Bass is chosen THEN its tones are listed with none selected
    dialog.chooseFamily(4);
    EXPECT_EQ(dialog.tones().size(), 76u);
    EXPECT_EQ(dialog.selectedTone(), kNoSelection);
    EXPECT_EQ(dialog.chosenTone(), toneAt(kSc88Pro, 4, 0));
    // WHEN a tone is selected and "削除する" checked THEN both are the result
    dialog.selectTone(5);
    dialog.setRemoveChecked(true);
    EXPECT_EQ(dialog.accept().tone, toneAt(kSc88Pro, 4, 5));
    EXPECT_TRUE(dialog.accept().remove);
    // A position outside the list, or a family outside 0..15, changes nothing wrongly
    dialog.selectTone(76);
    EXPECT_EQ(dialog.selectedTone(), kNoSelection);
    dialog.chooseFamily(16);
    EXPECT_EQ(dialog.family(), 4);
}

TEST(MelodyInstrumentSelection, TestPlayPlaysTheScaleOfTheChosenTone) {
    MelodyInstrumentSelection dialog(Tone{kSc55, 0, 25}, 96);
    dialog.setOctaveShift(-3);
    dialog.setNoteLength(4);
    const auto play = dialog.prepareTestPlay();
    ASSERT_TRUE(play.has_value());
    EXPECT_EQ(std::tie(play->midiChannel, play->tone, play->tempo), std::make_tuple(0, Tone{kSc55, 0, 25}, 96));
    // sixteenths from key 24, each its own group, velocity 100, delay 0, gate 75
    std::vector<std::array<int, 7>> notes;
    for (const SongRecord& r : play->records)
        notes.push_back({r.key(), r.groupSize(), r.type(), r.marks(), r.velocity(), r.delay(), r.gate()});
    std::vector<std::array<int, 7>> expected;
    for (int key : {24, 26, 28, 29, 31, 33, 35, 36}) expected.push_back({key, 1, 5, 0, 100, 0, 75});
    EXPECT_EQ(notes, expected);

    // WHILE it plays a second "Play" gives nothing
    dialog.testPlayStarted();
    EXPECT_FALSE(dialog.prepareTestPlay().has_value());

    // The shift stays within -3..+3
    dialog.setOctaveShift(5);
    EXPECT_EQ(dialog.octaveShift(), 3);
    EXPECT_EQ(testScale(0, 3, 0).back().key(), 108);
    EXPECT_EQ(testScale(0, 0, 0).front().type(), 1);
}

TEST(DrumSetSelection, SelectsTheCurrentSetAndWritesTheChosenOne) {
    // GIVEN an SC-55 rhythm song whose program 17 is not a set
    DrumSetSelection dialog(songInfo(true, kSc55, 0, 17, kSc55));
    EXPECT_EQ(dialog.accept().info.initialProgram(), 17);
    // WHEN JAZZ is chosen THEN its program goes into byte 8
    dialog.chooseSet(5);
    EXPECT_EQ(dialog.accept().info.initialProgram(), 32);

    EXPECT_EQ(DrumSetSelection(songInfo(true, kSc88Pro, 0, 53, kSc88Pro)).selectedSet(), 21);
    // GM keeps byte 8 and clears byte 7
    DrumSetSelection gm(songInfo(true, kGm, 3, 9, kGm));
    gm.chooseSet(0);
    gm.setRemoveChecked(true);
    EXPECT_EQ(gm.accept().info, songInfo(true, kGm, 0, 9, kGm));
    EXPECT_TRUE(gm.accept().remove);
    EXPECT_EQ(DrumSetSelection(songInfo(true, kGm, 0, 0, 9)).selectedSet(), kNoSelection);
}

}  // namespace
}  // namespace plume
