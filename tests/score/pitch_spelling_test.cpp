// Spelling and the measure state as values; what they draw is shown by the score painter's tests.
#include <gtest/gtest.h>

#include <utility>

#include "score/line_table.h"
#include "score/pitch_spelling.h"
#include "support/song_builder.h"

namespace plume {
namespace {

TEST(PitchSpelling, KeySignatureAndAccidentalByteChooseStepAndGlyph) {
    // GIVEN key 8 (one flat): B needs a natural, then B flat its flat again; a fresh measure nothing
    MeasureAccidentals oneFlat(8);
    EXPECT_EQ(oneFlat.place(71, 0).accidental, accidental::kNatural);
    EXPECT_EQ(oneFlat.place(70, 0).accidental, accidental::kFlat);
    EXPECT_EQ(MeasureAccidentals(8).place(70, 0).accidental, accidental::kNone);
    // Black keys below the white key with sharps, above it with flats; E#, B#, Cb, Fb where the key has them
    const std::pair<int, int> pitches[] = {{61, 0}, {61, 12}, {65, 6}, {65, 5}, {60, 7},
                                           {71, 13}, {71, 12}, {64, 14}, {64, 13}};
    std::vector<int> steps;
    for (const auto& [key, signature] : pitches) steps.push_back(spellPitch(key, 0, signature).step);
    EXPECT_EQ(steps, (std::vector{21, 22, 23, 24, 20, 28, 27, 24, 23}));
    EXPECT_EQ(spellPitch(61, 0, 0).accidental, accidental::kSharp);
    EXPECT_EQ(spellPitch(61, 0, 12).accidental, accidental::kNone);

    // A stored accidental byte wins over the key: {key, byte, step, glyph}
    const std::array<int, 4> cases[] = {
        {60, 1, 20, accidental::kSharp},       {61, 2, 22, accidental::kFlat},        // B sharp, D flat
        {62, 4, 21, accidental::kDoubleSharp}, {63, 5, 24, accidental::kDoubleFlat},  // C double sharp, F double flat
        {65, 33, 23, accidental::kSharp},      {62, 36, 20, accidental::kDoubleSharp},  // E sharp
        {62, 53, 23, accidental::kDoubleFlat},
    };
    for (const auto& [key, byte, step, glyph] : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << byte);
        const Spelling s = spellPitch(key, std::uint8_t(byte), 0);
        EXPECT_EQ(std::make_tuple(s.step, s.accidental, s.fromKey), std::make_tuple(step, glyph, false));
    }
    // Keys below 24 are placed as 24 (C1, step 0)
    EXPECT_EQ(spellPitch(10, 0, 0).step, 0);
    EXPECT_EQ(stepY(spellPitch(10, 0, 0).step, StaffKind::Treble), 134);
}

TEST(PitchSpelling, MeasureStateFollowsKeyChangesPerStep) {
    MeasureAccidentals measure(0);
    EXPECT_EQ(measure.place(66, 0).accidental, accidental::kSharp);
    // a key change to one sharp starts from the new key: F sharp needs nothing
    measure.passGroup(test::metaKey(1));
    EXPECT_EQ(measure.keySignature(), 1);
    EXPECT_EQ(measure.place(66, 0).accidental, accidental::kNone);
    // the state is kept per step: F5 and F4 each show their natural once
    EXPECT_EQ(measure.place(77, 0).accidental, accidental::kNatural);
    EXPECT_EQ(measure.place(65, 0).accidental, accidental::kNatural);
    EXPECT_EQ(measure.place(65, 0).accidental, accidental::kNone);
}

TEST(ScoreGeometry, StepsMapToPixels) {
    EXPECT_EQ(stepY(kMiddleCStep, StaffKind::Grand), 71);
    EXPECT_EQ(stepY(spellPitch(77, 0, 0).step, StaffKind::Treble), 41);  // F5, top treble line
    EXPECT_EQ(stepY(spellPitch(43, 0, 0).step, StaffKind::Grand), 101);  // G2, bottom bass line
    EXPECT_EQ(stepY(spellPitch(43, 0, 0).step, StaffKind::Bass), 53);
    // Stems turn down from B4, on a bass-only line from D3
    EXPECT_FALSE(stemDown(26, StaffKind::Treble));
    EXPECT_TRUE(stemDown(27, StaffKind::Treble));
    EXPECT_FALSE(stemDown(15, StaffKind::Grand));
    EXPECT_TRUE(stemDown(15, StaffKind::Bass));
}

}  // namespace
}  // namespace plume
