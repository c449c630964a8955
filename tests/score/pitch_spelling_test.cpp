#include <gtest/gtest.h>

#include <utility>

#include "score/line_table.h"
#include "score/pitch_spelling.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

// Accidentals drawn for the notes of line 0, walking it as the drawing does.
std::vector<int> drawnAccidentals(const std::vector<SongRecord>& song, int key) {
    SongInfo info = SongInfo::defaults();
    info.bytes[1] = std::uint8_t(key);
    LineTable table;
    table.rebuild(song, info);
    std::vector<int> drawn;
    MeasureAccidentals measure(table.line(0).key);
    for (const PlacedGroup& g : LineGroups(song, table.line(0))) {
        if (song[g.record].isNote()) drawn.push_back(measure.place(song[g.record]).accidental);
        measure.passGroup(song[g.record]);
    }
    return drawn;
}

TEST(PitchSpelling, KeySignatureDecidesTheAccidental) {
    // GIVEN key 1 (one sharp): F needs a natural, F sharp nothing
    MeasureAccidentals oneSharp(1);
    EXPECT_EQ(oneSharp.place(65, 0).accidental, accidental::kNatural);
    MeasureAccidentals fresh(1);
    EXPECT_EQ(fresh.place(66, 0).accidental, accidental::kNone);
    // GIVEN key 8 (one flat): B needs a natural, B flat nothing
    MeasureAccidentals oneFlat(8);
    EXPECT_EQ(oneFlat.place(71, 0).accidental, accidental::kNatural);
    EXPECT_EQ(oneFlat.place(70, 0).accidental, accidental::kFlat);  // after the natural, the flat again
    MeasureAccidentals oneFlatFresh(8);
    EXPECT_EQ(oneFlatFresh.place(70, 0).accidental, accidental::kNone);
    // Black keys below the white key with sharps, above it with flats; E#, B#, Cb, Fb where the key has them
    const std::pair<int, int> pitches[] = {{61, 0}, {61, 12}, {65, 6}, {65, 5}, {60, 7},
                                           {71, 13}, {71, 12}, {64, 14}, {64, 13}};
    std::vector<int> steps;
    for (const auto& [key, signature] : pitches) steps.push_back(spellPitch(key, 0, signature).step);
    EXPECT_EQ(steps, (std::vector{21, 22, 23, 24, 20, 28, 27, 24, 23}));
    EXPECT_EQ(spellPitch(61, 0, 0).accidental, accidental::kSharp);
    EXPECT_EQ(spellPitch(61, 0, 12).accidental, accidental::kNone);
}

TEST(PitchSpelling, AccidentalByteChoosesSpellingAndGlyph) {
    struct Case {
        int key;
        std::uint8_t byte;
        int step;
        int accidental;
    };
    const Case cases[] = {
        {60, 1, 20, accidental::kSharp},        // B sharp
        {61, 2, 22, accidental::kFlat},         // D flat
        {62, 4, 21, accidental::kDoubleSharp},  // C double sharp
        {63, 5, 24, accidental::kDoubleFlat},   // F double flat
        {65, 33, 23, accidental::kSharp},       // E sharp
        {62, 36, 20, accidental::kDoubleSharp},
        {62, 53, 23, accidental::kDoubleFlat},
    };
    for (const Case& c : cases) {
        const Spelling s = spellPitch(c.key, c.byte, 0);
        EXPECT_EQ(s.step, c.step) << "byte " << int(c.byte);
        EXPECT_EQ(s.accidental, c.accidental) << "byte " << int(c.byte);
        EXPECT_FALSE(s.fromKey);
    }
    // Keys below 24 are placed as 24 (C1, step 0)
    EXPECT_EQ(spellPitch(10, 0, 0).step, 0);
    EXPECT_EQ(stepY(spellPitch(10, 0, 0).step, StaffKind::Treble), 134);
}

TEST(PitchSpelling, MeasureStateResetsAtBarLinesLineBreaksAndKeyChanges) {
    // GIVEN F sharp twice in one measure, then again after a bar line and after a line break
    std::vector<SongRecord> song;
    addGroup(song, {note(3, 66)});
    addGroup(song, {note(3, 66)});
    addGroup(song, {scoreMark(type::kBarLine)});
    addGroup(song, {note(3, 66)});
    addGroup(song, {note(3, 65)});
    addGroup(song, {note(3, 66)});
    EXPECT_EQ(drawnAccidentals(song, 0), (std::vector{1, 0, 1, 3, 1}));

    MeasureAccidentals measure(0);
    EXPECT_EQ(measure.place(66, 0).accidental, accidental::kSharp);
    measure.passGroup(scoreMark(type::kLineBreak));
    EXPECT_EQ(measure.place(66, 0).accidental, accidental::kSharp);
    // a key change to one sharp starts from the new key: F sharp needs nothing
    measure.passGroup(metaKey(1));
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
