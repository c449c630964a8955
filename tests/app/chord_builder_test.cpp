#include <gtest/gtest.h>

#include <vector>

#include "app/chord_builder.h"
#include "app/note_palette_logic.h"
#include "score/pitch_spelling.h"
#include "support/song_builder.h"

namespace plume {
namespace {

constexpr int kC = 0, kD = 1, kB = 6;
constexpr int kSeventh = 1, kAug = 7;

TEST(ChordSpelling, EveryToneStandsOnTheLetterOfItsDegree) {
    // Degrees of the tones of each quality, as the chord symbols name them.
    const int degrees[kChordQualityCount][kChordToneCount] = {
        {1, 3, 5, 0}, {1, 3, 5, 7}, {1, 3, 5, 7}, {1, 3, 5, 6}, {1, 4, 5, 0}, {1, 2, 5, 0}, {1, 3, 5, 0}, {1, 3, 5, 0},
        {1, 3, 5, 0}, {1, 3, 5, 7}, {1, 3, 5, 7}, {1, 3, 5, 6}, {1, 3, 4, 0}, {1, 3, 5, 0}, {1, 3, 5, 7}};
    for (int acc = 0; acc < kChordRootAccidentalCount; ++acc) {
        for (int root = 0; root < kChordRootCount; ++root) {
            for (int q = 0; q < kChordQualityCount; ++q) {
                const ChordTones chord = buildChord(root, acc, q);
                // the spelling the score draws for each tone in C major
                const int rootStep = spellPitch(chord[0].key, chord[0].spelling, 0).step;
                for (int t = 0; t < kChordToneCount; ++t) {
                    SCOPED_TRACE(testing::Message() << "accidental " << acc << " root " << root << " quality " << q
                                                    << " tone " << t);
                    if (degrees[q][t] == 0) {
                        EXPECT_EQ(chord[std::size_t(t)].key, kNoKey);
                        EXPECT_EQ(chordSpelling(acc, root, q, t), 0);
                        continue;
                    }
                    // B sharp aug: its fifth would need a triple sharp, and is written G sharp.
                    const bool outOfReach = acc == chord_root_accidental::kSharp && root == kB && q == kAug && t == 2;
                    const ChordTone tone = chord[std::size_t(t)];
                    const Spelling spelled = spellPitch(tone.key, tone.spelling, 0);
                    EXPECT_EQ(spelled.step - rootStep, degrees[q][t] - 1 + (outOfReach ? 1 : 0));
                    // A tone without a spelling byte is a white key, drawn without an accidental.
                    EXPECT_EQ(spelled.accidental, tone.spelling & 0x0F);
                }
            }
        }
    }
}

TEST(ChordPalette, RootAccidentalAndQualityBuildTheChord) {
    ChordPalette palette;
    EXPECT_EQ(palette.chord()[0], (ChordTone{60, 0}));
    // C with the root sharp, "aug": C sharp, E sharp, G double sharp, and "Enter" posts them
    palette.press(chord_button::kSharp, false);
    palette.press(chordQualityButton(kAug), false);
    EXPECT_EQ(palette.chord(), (ChordTones{{{61, 17}, {65, 17}, {69, 20}, {kNoKey, 0}}}));
    EXPECT_TRUE(palette.isChecked(chord_button::kSharp));
    EXPECT_TRUE(palette.isChecked(chordQualityButton(kAug)));
    EXPECT_EQ(palette.press(chord_button::kEnter, false),
              EntryRequest(entry::EnterChord{{{61, 17}, {65, 17}, {69, 20}}}));
    // the checked quality and accidental pressed again: the plain major triad
    palette.press(chordQualityButton(kAug), false);
    palette.press(chord_button::kSharp, false);
    EXPECT_EQ(palette.quality(), 0);
    EXPECT_EQ(palette.rootAccidental(), chord_root_accidental::kNone);
    // the flat takes the check from the sharp
    palette.press(chord_button::kSharp, false);
    palette.press(chord_button::kFlat, false);
    palette.press(chord_button::kRootC + kD, false);
    EXPECT_EQ(palette.chord()[0], (ChordTone{61, 18}));
}

TEST(ChordPalette, InversionsStopAtTheirLimitsAndPlayingLeavesOnlyAccidentalsAndQualities) {
    ChordPalette palette;
    // C major inverted up until its lowest key is 84: "up" refused, "down" still works
    int steps = 0;
    while (palette.invertUp()) ++steps;
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(palette.chord()[0].key, 84);
    EXPECT_FALSE(palette.isEnabled(chord_button::kInvertUp));
    EXPECT_TRUE(palette.isEnabled(chord_button::kInvertDown));
    // lowered until its highest key is below 36
    while (palette.invertDown()) {}
    int highest = 0;
    for (const ChordTone& t : palette.chord())
        if (t.key != kNoKey) highest = std::max<int>(highest, t.key);
    EXPECT_LT(highest, 36);
    EXPECT_GE(highest, 24);
    EXPECT_FALSE(palette.isEnabled(chord_button::kInvertDown));
    // a new quality builds the chord afresh
    palette.press(chordQualityButton(kSeventh), false);
    EXPECT_EQ(palette.chord(), (ChordTones{{{60, 0}, {64, 0}, {67, 0}, {70, 18}}}));
    // while playing only accidentals and qualities work
    palette.press(chord_button::kRootC + kD, true);
    EXPECT_EQ(palette.root(), kC);
    EXPECT_FALSE(palette.press(chord_button::kEnter, true));
    EXPECT_FALSE(palette.press(chord_button::kSpare, true));
    palette.press(chord_button::kFlat, true);
    EXPECT_EQ(palette.chord()[3], (ChordTone{69, 21}));  // C flat 7: B double flat
    palette.press(chordQualityButton(kAug), true);
    EXPECT_EQ(palette.quality(), kAug);
    const auto spare = palette.press(chord_button::kSpare, false);
    ASSERT_TRUE(spare);
    EXPECT_TRUE(std::holds_alternative<entry::ChordSpare>(*spare));
}

TEST(NotePalette, CheckedButtonsToggleDotsPostTheirChoiceAndRestsTheirTypeWithTheDots) {
    NoteChoice choice;
    // the double dot takes the check from the dot
    EXPECT_EQ(pressNoteButton(choice, note_button::kDot, false), EntryRequest(entry::SetDots{1}));
    EXPECT_EQ(pressNoteButton(choice, note_button::kDoubleDot, false), EntryRequest(entry::SetDots{2}));
    EXPECT_FALSE(isNoteButtonChecked(choice, note_button::kDot));
    // accidentals move their check the same way and post nothing
    EXPECT_FALSE(pressNoteButton(choice, note_button::kDoubleFlat, false));
    pressNoteButton(choice, note_button::kNatural, false);
    EXPECT_EQ(choice.accidental, 3);
    pressNoteButton(choice, note_button::kNatural, false);
    EXPECT_EQ(choice.accidental, 0);
    // a length moves the check and posts its index, also when it is chosen already
    EXPECT_EQ(pressNoteButton(choice, note_button::kEighthNote, false), EntryRequest(entry::SetLength{3}));
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kEighthNote));
    EXPECT_FALSE(isNoteButtonChecked(choice, note_button::kWholeNote));
    EXPECT_EQ(pressNoteButton(choice, note_button::kEighthNote, false), EntryRequest(entry::SetLength{3}));
    // the double dot and an eighth length chosen: the 32nd rest goes out with 0x80, the length stays
    EXPECT_EQ(pressNoteButton(choice, note_button::k32ndRest, false), EntryRequest(entry::EnterRest{12 + 0x80}));
    EXPECT_EQ(choice.lengthIndex, 3);
    // the whole rest with a single dot carries 0x40
    pressNoteButton(choice, note_button::kDot, false);
    EXPECT_EQ(pressNoteButton(choice, note_button::kWholeRest, false), EntryRequest(entry::EnterRest{7 + 0x40}));
}

TEST(NotePalette, WhilePlayingOnlyAccidentalsAndMonitorWorkAndTheChoiceFollowsTheCursorAndTheKeys) {
    NoteChoice choice;
    for (int button : {note_button::k32ndNote, note_button::kHalfRest, note_button::kDot})
        EXPECT_FALSE(pressNoteButton(choice, button, true)) << button;
    EXPECT_EQ(std::make_pair(choice.lengthIndex, choice.dot), std::make_pair(0, 0));
    pressNoteButton(choice, note_button::kSharp, true);
    pressNoteButton(choice, note_button::kMonitor, true);
    EXPECT_EQ(choice.accidental, 1);
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kMonitor));
    EXPECT_FALSE(passNoteKey(choice, '3', false, true).post);
    EXPECT_TRUE(passNoteKey(choice, '3', false, true).taken);
    // the note at the cursor sets the length and the dots
    choice.dot = 2;
    followRecord(choice, test::note(4, 60, 0, mark::kDotted));
    EXPECT_EQ(std::make_pair(choice.lengthIndex, choice.dot), std::make_pair(3, 1));
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kEighthNote));
    followRecord(choice, test::note(6, 60));
    EXPECT_EQ(choice.dot, 0);
    // rests, bar lines and effects leave the choice as it is
    followRecord(choice, test::rest(9, 0, mark::kDoubleDotted));
    followRecord(choice, test::effectValue(effect::kTempo, 0xC2));
    EXPECT_EQ(std::make_pair(choice.lengthIndex, choice.dot), std::make_pair(5, 0));
    // keys from the view act as the buttons
    EXPECT_EQ(passNoteKey(choice, '3', false, false).post, EntryRequest(entry::SetLength{2}));
    EXPECT_EQ(choice.lengthIndex, 2);
    EXPECT_EQ(passNoteKey(choice, '2', true, false).post, EntryRequest(entry::EnterRest{8}));
    EXPECT_EQ(passNoteKey(choice, '.', false, false).post, EntryRequest(entry::SetDots{1}));
    EXPECT_EQ(passNoteKey(choice, '.', true, false).post, EntryRequest(entry::SetDots{2}));
    EXPECT_EQ(passNoteKey(choice, '.', true, false).post, EntryRequest(entry::SetDots{0}));
    EXPECT_FALSE(passNoteKey(choice, '7', false, false).taken);
}

}  // namespace
}  // namespace plume
