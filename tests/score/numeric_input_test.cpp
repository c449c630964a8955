// The numeric input bar: note names, their spelling through the key, the group entered, the area setting.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/numeric_input.h"
#include "support/song_builder.h"

namespace plume {
namespace {

std::vector<int> keys(std::string_view text, int area, int keySignature = 0) {
    const NoteNameParse parse = parseNoteNames(text, area);
    std::vector<int> out;
    for (const NoteName& n : parse.notes) out.push_back(spellNoteName(n, keySignature).key);
    return out;
}

TEST(NumericInput, LettersCountFromTheAreaAndDigitsChooseTheOctave) {
    // capitals in the area's octave, small letters one higher, spaces optional
    EXPECT_EQ(keys("C c e g", 2), (std::vector<int>{48, 60, 64, 67}));
    EXPECT_EQ(keys("Cceg", 2), keys("C c e g", 2));
    // an octave digit replaces the area, whatever the letter's case
    EXPECT_EQ(keys("C0 a4 b5", 3), (std::vector<int>{24, 81, 95}));
    // a step of 42 or more drops an octave
    EXPECT_EQ(keys("C c", 5), (std::vector<int>{84, 84}));
    EXPECT_EQ(parseNoteNames("cdefgabcdefx", 2).notes.size(), kMaxTypedNotes);
    EXPECT_TRUE(parseNoteNames("cdefgabcdefx", 2).ok());
}

TEST(NumericInput, AccidentalsAndTheKeySignatureSpellTheKey) {
    EXPECT_EQ(keys("cS cSS cL cLL cN", 2), (std::vector<int>{61, 62, 59, 58, 60}));
    EXPECT_EQ(keys("fs fss", 2), (std::vector<int>{66, 67}));
    EXPECT_EQ(spellNoteName(parseNoteNames("eLL", 2).notes[0], 0).accidental, 5);
    // G major raises F unless a natural is typed; F major lowers B
    EXPECT_EQ(keys("f fN", 2, 1), (std::vector<int>{66, 65}));
    EXPECT_EQ(spellNoteName(parseNoteNames("f", 2).notes[0], 1).accidental, 0);
    EXPECT_EQ(keys("b", 2, 8), (std::vector<int>{70}));
}

TEST(NumericInput, AWrongCharacterIsReportedByItsPosition) {
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile;
    const NumericInput input(profile);
    const NoteNameParse parse = input.take("c e x");
    EXPECT_FALSE(parse.ok());
    EXPECT_EQ(parse.badPosition, 5u);
    EXPECT_TRUE(parse.notes.empty());
    // positions count characters, not bytes; a digit above 5 is no octave
    EXPECT_EQ(input.take("ドc").badPosition, 1u);
    EXPECT_EQ(input.take("c7").badPosition, 2u);
    EXPECT_EQ(box.shown(),
              (std::vector<std::string>{"5桁目が不正です。", "1桁目が不正です。", "2桁目が不正です。"}));
}

TEST(NumericInput, TheGroupHoldsTheTypedKeysHighestFirst) {
    // C flat below key 24 and B sharp above 95 are left out
    const NoteNameParse parse = parseNoteNames("e C g CL0 BS5", 2);
    const std::vector<SongRecord> group = typedNoteGroup(parse.notes, 0, {4, mark::kDotted, true});
    ASSERT_EQ(group.size(), 3u);
    EXPECT_EQ(group[0].groupSize(), 3);
    EXPECT_EQ(test::keysOf(group, 0), (std::vector{67, 64, 48}));
    EXPECT_EQ(std::tuple(int(group[2].bytes[2]), int(group[2].velocity())), std::tuple(4 | mark::kDotted, 0));
    EXPECT_TRUE(typedNoteGroup(parseNoteNames("CL0", 2).notes, 0, {}).empty());
}

TEST(NumericInput, TheAreaIsCheckedAndKeptInTheProfile) {
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile("[PC KeyBoard]\nArea=9\n");
    NumericInput input(profile);
    EXPECT_EQ(input.area(), kDefaultArea);
    // a wrong value is refused with its message and changes nothing
    EXPECT_FALSE(input.areaEdited("6"));
    EXPECT_FALSE(input.areaEdited("x"));
    EXPECT_EQ(box.shown(), (std::vector<std::string>{kAreaMessage, kAreaMessage}));
    EXPECT_TRUE(input.areaEdited(""));
    EXPECT_EQ(input.area(), kDefaultArea);
    EXPECT_TRUE(input.areaEdited("4"));
    EXPECT_EQ((std::vector{input.area(), profile.getInt("pc keyboard", "area", -1), NumericInput(profile).area()}),
              std::vector(3, 4));
    // a note text that begins with a space is cleared
    EXPECT_EQ(std::tuple(NumericInput::notesEdited(" c"), NumericInput::notesEdited("c ")),
              std::tuple(std::string(), std::string("c ")));
}

}  // namespace
}  // namespace plume
