#include <gtest/gtest.h>

#include <vector>

#include "app/chord_builder.h"
#include "score/pitch_spelling.h"

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
                // GIVEN the spelling the score draws for each tone in C major
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
    // GIVEN C with the root sharp WHEN "aug" is pressed
    palette.press(chord_button::kSharp, false);
    palette.press(chordQualityButton(kAug), false);
    // THEN the chord is C sharp, E sharp, G double sharp
    EXPECT_EQ(palette.chord(), (ChordTones{{{61, 17}, {65, 17}, {69, 20}, {kNoKey, 0}}}));
    EXPECT_TRUE(palette.isChecked(chord_button::kSharp));
    EXPECT_TRUE(palette.isChecked(chordQualityButton(kAug)));
    // AND "Enter" posts its three notes
    EXPECT_EQ(palette.press(chord_button::kEnter, false),
              EntryRequest(entry::EnterChord{{{61, 17}, {65, 17}, {69, 20}}}));

    // Pressing the checked quality and accidental returns to the plain major triad.
    palette.press(chordQualityButton(kAug), false);
    palette.press(chord_button::kSharp, false);
    EXPECT_EQ(palette.quality(), 0);
    EXPECT_EQ(palette.rootAccidental(), chord_root_accidental::kNone);
    // The flat takes the check from the sharp.
    palette.press(chord_button::kSharp, false);
    palette.press(chord_button::kFlat, false);
    palette.press(chord_button::kRootC + kD, false);
    EXPECT_EQ(palette.chord()[0], (ChordTone{61, 18}));
}

TEST(ChordPalette, InversionsStopAtTheirLimits) {
    ChordPalette palette;
    // GIVEN C major inverted up until its lowest key is 84 (84, 88, 91)
    int steps = 0;
    while (palette.invertUp()) ++steps;
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(palette.chord()[0].key, 84);
    // THEN "up" is disabled and refused, "down" still works
    EXPECT_FALSE(palette.isEnabled(chord_button::kInvertUp));
    EXPECT_FALSE(palette.invertUp());
    EXPECT_EQ(palette.chord()[0].key, 84);
    EXPECT_TRUE(palette.isEnabled(chord_button::kInvertDown));

    // GIVEN the chord lowered until its highest key is below 36
    while (palette.invertDown()) {}
    int highest = 0;
    for (const ChordTone& t : palette.chord())
        if (t.key != kNoKey) highest = std::max<int>(highest, t.key);
    EXPECT_LT(highest, 36);
    EXPECT_GE(highest, 24);
    EXPECT_FALSE(palette.isEnabled(chord_button::kInvertDown));
    // WHEN the quality changes THEN the chord is built afresh
    palette.press(chordQualityButton(kSeventh), false);
    EXPECT_EQ(palette.chord(), (ChordTones{{{60, 0}, {64, 0}, {67, 0}, {70, 18}}}));
}

TEST(ChordPalette, WhilePlayingOnlyAccidentalsAndQualitiesWork) {
    ChordPalette palette;
    palette.press(chord_button::kRootC + kD, true);
    EXPECT_EQ(palette.root(), kC);
    EXPECT_FALSE(palette.press(chord_button::kEnter, true));
    EXPECT_FALSE(palette.press(chord_button::kSpare, true));
    palette.press(chord_button::kFlat, true);
    palette.press(chordQualityButton(kSeventh), true);
    EXPECT_EQ(palette.chord()[3], (ChordTone{69, 21}));  // C flat 7: B double flat
    const auto spare = palette.press(chord_button::kSpare, false);
    ASSERT_TRUE(spare);
    EXPECT_TRUE(std::holds_alternative<entry::ChordSpare>(*spare));
}

}  // namespace
}  // namespace plume
