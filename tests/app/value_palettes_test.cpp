#include <gtest/gtest.h>

#include "app/effect_palette_content.h"
#include "app/gate_velocity_form.h"
#include "platform/message_box.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using test::group;
using test::note;
using test::programChange;
using test::withValues;

SongInfo songKind(std::uint8_t fileKind, std::uint8_t module) {
    SongInfo info = SongInfo::defaults();
    info.setFileKind(fileKind);
    info.setSoundModule(module);
    return info;
}

// A C major chord (records 60, 64, 67) whose notes share delay 0 and velocity 90 but not the gate.
const std::vector<SongRecord> kChord = group({withValues(note(3, 60), 90, 0, 80), withValues(note(3, 64), 90, 0, 70),
                                              withValues(note(3, 67), 90, 0, 60), test::effectValue(effect::kVolume, 99)});

TEST(EffectPalette, EndAndBarLinesShowOnlyTheirWord) {
    const SongInfo melody = songKind(1, 0);
    EffectPaletteContent end = effectPaletteContent(melody, kChord, true);
    EXPECT_EQ(end.instrument, "データ終端");
    EXPECT_TRUE(end.notes.empty());
    EXPECT_EQ(end.value(EffectField::Volume), "");
    const auto bar = group({test::scoreMark(type::kBarLine), test::effectValue(effect::kTempo, 90)});
    EXPECT_EQ(effectPaletteContent(melody, bar, false).instrument, "縦線");
    EXPECT_EQ(effectPaletteContent(melody, bar, false).value(EffectField::Tempo), "");
}

TEST(EffectPalette, MelodyGroupsShowNotesValuesAndTheTone) {
    auto records = group({note(3, 60), note(3, 73), test::effectValue(effect::kPan, 64),
                          test::effectValue(effect::kTempo, 132), test::effectValue(effect::kGateTime, 50),
                          programChange(1, 8, 0)});
    SongRecord bend = test::effectValue(effect::kPitchBend, 0);
    bend.setValue16(-200);
    records.push_back(bend);
    SongRecord curve;
    curve.setKind(kind::kModulationCurve);
    records.push_back(curve);
    records.front().setGroupSize(std::uint8_t(records.size()));

    const EffectPaletteContent c = effectPaletteContent(songKind(1, 1), records, false);
    EXPECT_EQ(c.notes, (std::vector<std::string>{" 73-C# Db", " 60-C"}));
    EXPECT_EQ(c.instrument, "Piano 1w");
    std::vector<std::string> values;
    for (EffectField f : {EffectField::Pan, EffectField::Tempo, EffectField::PitchBend, EffectField::Modulation,
                          EffectField::Volume})
        values.push_back(c.value(f));
    EXPECT_EQ(values, (std::vector<std::string>{"64", "132", "-200", "f(t)", ""}));
}

TEST(EffectPalette, RhythmGroupsShowTheDrumSetAndSounds) {
    SongRecord kick = note(3, 36);
    kick.setProgramInForce(8);
    // GIVEN SC-55, a note under the set "ROOM"
    const SongInfo rhythm = songKind(0, 1);
    const EffectPaletteContent c = effectPaletteContent(rhythm, group({kick}), false);
    EXPECT_EQ(c.instrument, "ROOM");
    EXPECT_EQ(c.notes.size(), 1u);
    // A set changed at the group shows with a star.
    EXPECT_EQ(effectPaletteContent(rhythm, group({kick, programChange(1, 0, 16)}), false).instrument, "POWER*");
    // GM names its one set and the General MIDI percussion.
    SongRecord gmKick = note(3, 35);
    EXPECT_EQ(effectPaletteContent(songKind(0, 0), group({gmKick}), false).notes,
              (std::vector<std::string>{"Acoustic Bass Drum"}));
}

// Both windows on the chord.
class GateVelocityFormTest : public testing::Test {
protected:
    GateVelocityFormTest() {
        gate.refresh(kChord, false, false);
        velocity.refresh(kChord, false, false);
    }
    platform::ScriptedMessageBox box;
    GateVelocityForm gate{NoteValueKind::DelayGate};
    GateVelocityForm velocity{NoteValueKind::Velocity};
};

TEST_F(GateVelocityFormTest, AChordListsItsNotesAndTheValuesTheyShare) {
    EXPECT_EQ(gate.listEntries(), (std::vector<std::string>{" 67-G", " 64-E", " 60-C"}));
    EXPECT_EQ(gate.field(0), "0");
    EXPECT_EQ(gate.field(1), "");  // the gates differ
    EXPECT_TRUE(gate.isOkEnabled() && gate.isCheckEnabled());
    EXPECT_FALSE(gate.isListEnabled());
}

TEST_F(GateVelocityFormTest, OkRefusesValuesOutOfRange) {
    gate.setField(0, "60");
    gate.setField(1, "50");
    EXPECT_FALSE(gate.ok());
    gate.setField(0, "0");
    gate.setField(1, "0");
    EXPECT_FALSE(gate.ok());
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"ﾃﾞｨﾚｰ + ｹﾞｰﾄｵﾝ が 100 以下で設定してください。",
                                                     "ｹﾞｰﾄｵﾝは、1～100で設定してください。"}));
    gate.setField(1, "100");
    EXPECT_TRUE(gate.ok());
    box.clear();
    for (const char* text : {"0", "128"}) {
        velocity.setField(0, text);
        EXPECT_FALSE(velocity.ok()) << text;
    }
    EXPECT_EQ(box.shown(), (std::vector<std::string>(2, "1～127 で設定してください。")));
    velocity.setField(0, "127");
    const auto sent = velocity.ok();
    ASSERT_TRUE(sent);
    EXPECT_EQ(*sent, EntryRequest(entry::SetVelocities{{127, 127, 127}}));
}

TEST_F(GateVelocityFormTest, TheCheckBoxSetsOneNote) {
    EXPECT_FALSE(gate.chooseNote(0));  // the list is disabled until the box is checked
    gate.setChecked(true);
    ASSERT_TRUE(gate.chooseNote(1));
    EXPECT_EQ(gate.field(1), "70");
    // GIVEN the chosen note's gate edited WHEN another note is chosen THEN the edit is kept
    gate.setField(1, "30");
    ASSERT_TRUE(gate.chooseNote(2));
    EXPECT_EQ(gate.field(1), "80");
    EXPECT_EQ(gate.storedValues(1)[1], 30);
    // A sum above 100 keeps the choice where it was.
    gate.setField(0, "60");
    gate.setField(1, "50");
    EXPECT_FALSE(gate.chooseNote(0));
    EXPECT_EQ(gate.chosenNote(), 2);
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"ﾃﾞｨﾚｰ + ｹﾞｰﾄﾀｲﾑ が 100 以下で設定してください。"}));
    // "OK" gives only the chosen note the fields' values.
    gate.setField(0, "5");
    EXPECT_EQ(gate.ok(), EntryRequest(entry::SetDelayGates{{{0, 60}, {0, 30}, {5, 50}}}));
}

TEST_F(GateVelocityFormTest, RangesSendOnePairAndOtherGroupsNothing) {
    gate.refresh(kChord, false, true);
    EXPECT_TRUE(gate.listEntries().empty() && gate.areFieldsEnabled());
    EXPECT_FALSE(gate.isCheckEnabled());
    gate.setField(1, "40");
    EXPECT_EQ(gate.ok(), EntryRequest(entry::SetDelayGates{{{kKeep, 40}}}));

    for (bool atEnd : {false, true}) {
        gate.refresh(atEnd ? kChord : group({test::rest(9)}), atEnd, false);
        EXPECT_FALSE(gate.areFieldsEnabled() || gate.isOkEnabled());
        EXPECT_EQ(gate.field(0), "");
        EXPECT_FALSE(gate.ok());
    }
    EXPECT_TRUE(box.shown().empty());
}

}  // namespace
}  // namespace plume
