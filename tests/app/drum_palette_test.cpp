// The drum palette's list, its entry request and profile, and the rhythm-instrument dialog's rules.
#include <gtest/gtest.h>

#include "app/drum_palette_logic.h"
#include "platform/profile.h"
#include "play/instrument_tables.h"

namespace plume {
namespace {

SongInfo rhythmSettings(std::uint8_t module, std::uint8_t setProgram) {
    SongInfo info = SongInfo::defaults();
    info.bytes[2] = 0;
    info.bytes[8] = setProgram;
    info.bytes[9] = module;
    return info;
}

TEST(DrumPalette, OkEntersTheFirstTenSelectedEntriesInListOrderAndNothingFromAnEmptyPalette) {
    DrumPalette palette{sound_module::kSc88, 25, {}};
    EXPECT_FALSE(drumEntryRequest(palette, {0}));
    for (int k = 0; k < 14; ++k) palette.keys.push_back(std::uint8_t(35 + k));
    // twelve rows selected, given in click order
    const auto request = drumEntryRequest(palette, {13, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->drumSet, 25u);
    std::vector<int> keys;
    for (const NotePair& n : request->notes) keys.push_back(n.key);
    EXPECT_EQ(keys, (std::vector<int>{35, 37, 38, 39, 40, 41, 42, 43, 44, 45}));
}

TEST(DrumPalette, TheProfileKeepsTheSetAndThirtyPlacesAndSkipsEmptyOnes) {
    platform::MemoryProfile profile("[User Drum]\nDrum Set=16\ndrum0=36\ndrum1=0\ndrum2=38\n");
    DrumPalette palette = loadDrumPalette(profile, sound_module::kSc88);
    EXPECT_EQ(palette, (DrumPalette{sound_module::kSc88, 16, {36, 38}}));
    palette.keys = {42};
    saveDrumPalette(profile, palette);
    EXPECT_EQ(profile.getInt("User Drum", "drum0", -1), 42);
    EXPECT_EQ(profile.getInt("User Drum", "drum2", -1), 0);
    EXPECT_EQ(profile.getInt("User Drum", "drum29", -1), 0);
    EXPECT_EQ(loadDrumPalette(profile, 0).keys, (std::vector<std::uint8_t>{42}));
}

TEST(RhythmInstrumentDialog, RegisterInsertsBeforeTheSelectedEntryUntilThirtyAndTheButtonsFollow) {
    RhythmInstrumentSelection dialog(rhythmSettings(sound_module::kGm, 0), {}, 120);
    EXPECT_FALSE(dialog.canRegister());  // no sound selected
    EXPECT_FALSE(dialog.canClear());
    dialog.selectSound(1);
    const std::uint8_t second = dialog.sounds()[1].key;
    dialog.registerSound();
    dialog.selectSound(0);
    dialog.selectEntry(0);
    EXPECT_TRUE(dialog.canRemove());
    dialog.registerSound();  // before the entry
    EXPECT_EQ(dialog.entries(), (std::vector<std::uint8_t>{dialog.sounds()[0].key, second}));
    EXPECT_FALSE(dialog.canRemove());  // the refilled list has no selection
    while (dialog.entries().size() < kDrumPaletteCapacity) {
        ASSERT_TRUE(dialog.canRegister());
        dialog.registerSound();
    }
    EXPECT_FALSE(dialog.canRegister());
    dialog.registerSound();
    EXPECT_EQ(dialog.entries().size(), kDrumPaletteCapacity);
    dialog.selectEntry(29);
    dialog.removeEntry();
    EXPECT_TRUE(dialog.canRegister());
    dialog.clearEntries();
    EXPECT_FALSE(dialog.canClear());
}

TEST(RhythmInstrumentDialog, ChangingTheSetRenamesTheEntriesKeepsTheirKeysAndTheTestPlaysTheNewSet) {
    const DrumPalette start{sound_module::kSc88, 0, {36, 38}};
    RhythmInstrumentSelection dialog(rhythmSettings(sound_module::kSc88, 0), start, 150);
    EXPECT_EQ(dialog.entryNames().front(), "Standard 1 Kick 1");
    int tr808 = -1;
    for (std::size_t i = 0; i < dialog.sets().size(); ++i)
        if (dialog.sets()[i].program == 25) tr808 = int(i);
    ASSERT_GE(tr808, 0);
    dialog.chooseSet(tr808);
    EXPECT_EQ(dialog.entries(), start.keys);
    EXPECT_EQ(dialog.entryNames().front(), "808 Bass Drum");
    EXPECT_EQ(dialog.settings().initialProgram(), 25);
    // the test play: the selected sound four times on channel 10 with the set's program
    EXPECT_FALSE(dialog.prepareTestPlay());
    dialog.selectSound(0);
    dialog.setNoteLength(3);
    const auto test = dialog.prepareTestPlay();
    ASSERT_TRUE(test);
    EXPECT_EQ(test->midiChannel, 9);
    EXPECT_EQ(test->tone, (Tone{sound_module::kSc88, 0, 25}));
    EXPECT_EQ(test->tempo, 150);
    ASSERT_EQ(test->records.size(), 4u);
    EXPECT_EQ(test->records[3].bytes[5], dialog.sounds()[0].key);
    EXPECT_EQ(test->records[3].bytes[2], 4);  // eighth note
    dialog.testPlayStarted();
    EXPECT_FALSE(dialog.canPlay());
    EXPECT_TRUE(dialog.canStop());
    // OK gives the palette the new set with the same keys, named by the palette's own module
    EXPECT_EQ(dialog.palette(), (DrumPalette{sound_module::kSc88, 25, {36, 38}}));
}

}  // namespace
}  // namespace plume
