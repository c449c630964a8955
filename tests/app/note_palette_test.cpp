#include <gtest/gtest.h>

#include "app/note_palette_logic.h"
#include "support/song_builder.h"

namespace plume {
namespace {


TEST(NotePalette, RestButtonsPostTheirTypeWithTheCurrentDots) {
    // GIVEN the double dot chosen and a quarter-note length
    NoteChoice choice;
    choice.lengthIndex = 2;
    pressNoteButton(choice, note_button::kDoubleDot, false);
    // WHEN the 32nd rest is pressed THEN its type goes out with 0x80, and the length stays
    EXPECT_EQ(pressNoteButton(choice, note_button::k32ndRest, false), EntryRequest(entry::EnterRest{12 + 0x80}));
    EXPECT_EQ(choice.lengthIndex, 2);
    // AND the whole rest with a single dot carries 0x40
    pressNoteButton(choice, note_button::kDot, false);
    EXPECT_EQ(pressNoteButton(choice, note_button::kWholeRest, false), EntryRequest(entry::EnterRest{7 + 0x40}));
}

TEST(NotePalette, CheckedButtonsToggleAndDotsPostTheirChoice) {
    NoteChoice choice;
    // The dot: pressed, posts 1; pressed again, clears and posts 0.
    EXPECT_EQ(pressNoteButton(choice, note_button::kDot, false), EntryRequest(entry::SetDots{1}));
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kDot));
    EXPECT_EQ(pressNoteButton(choice, note_button::kDot, false), EntryRequest(entry::SetDots{0}));
    EXPECT_FALSE(isNoteButtonChecked(choice, note_button::kDot));
    // The double dot takes the check from the dot.
    pressNoteButton(choice, note_button::kDot, false);
    EXPECT_EQ(pressNoteButton(choice, note_button::kDoubleDot, false), EntryRequest(entry::SetDots{2}));
    EXPECT_FALSE(isNoteButtonChecked(choice, note_button::kDot));
    // Accidentals move their check the same way and post nothing.
    EXPECT_FALSE(pressNoteButton(choice, note_button::kDoubleFlat, false));
    pressNoteButton(choice, note_button::kNatural, false);
    EXPECT_EQ(choice.accidental, 3);
    pressNoteButton(choice, note_button::kNatural, false);
    EXPECT_EQ(choice.accidental, 0);
    // A length moves the check and posts its index, also when it is chosen already.
    EXPECT_EQ(pressNoteButton(choice, note_button::kEighthNote, false), EntryRequest(entry::SetLength{3}));
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kEighthNote));
    EXPECT_FALSE(isNoteButtonChecked(choice, note_button::kWholeNote));
    EXPECT_EQ(pressNoteButton(choice, note_button::kEighthNote, false), EntryRequest(entry::SetLength{3}));
}

TEST(NotePalette, WhilePlayingOnlyAccidentalsAndMonitorWork) {
    NoteChoice choice;
    for (int button : {note_button::k32ndNote, note_button::kHalfRest, note_button::kDot}) EXPECT_FALSE(pressNoteButton(choice, button, true)) << button;
    EXPECT_EQ(std::make_pair(choice.lengthIndex, choice.dot), std::make_pair(0, 0));
    pressNoteButton(choice, note_button::kSharp, true);
    pressNoteButton(choice, note_button::kMonitor, true);
    EXPECT_EQ(choice.accidental, 1);
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kMonitor));
    EXPECT_FALSE(passNoteKey(choice, '3', false, true).post);
    EXPECT_TRUE(passNoteKey(choice, '3', false, true).taken);
}

TEST(NotePalette, FollowsTheNoteAtTheCursor) {
    NoteChoice choice;
    choice.dot = 2;
    followRecord(choice, test::note(4, 60, 0, mark::kDotted));
    EXPECT_EQ(std::make_pair(choice.lengthIndex, choice.dot), std::make_pair(3, 1));
    EXPECT_TRUE(isNoteButtonChecked(choice, note_button::kEighthNote));
    followRecord(choice, test::note(6, 60));
    EXPECT_EQ(choice.dot, 0);
    // Rests, bar lines and effects leave the choice as it is.
    followRecord(choice, test::rest(9, 0, mark::kDoubleDotted));
    followRecord(choice, test::effectValue(effect::kTempo, 0xC2));
    EXPECT_EQ(std::make_pair(choice.lengthIndex, choice.dot), std::make_pair(5, 0));
}

TEST(NotePalette, KeysFromTheViewActAsTheButtons) {
    NoteChoice choice;
    EXPECT_EQ(passNoteKey(choice, '3', false, false).post, EntryRequest(entry::SetLength{2}));
    EXPECT_EQ(choice.lengthIndex, 2);
    EXPECT_EQ(passNoteKey(choice, '2', true, false).post, EntryRequest(entry::EnterRest{8}));
    EXPECT_EQ(passNoteKey(choice, '.', false, false).post, EntryRequest(entry::SetDots{1}));
    EXPECT_EQ(passNoteKey(choice, '.', true, false).post, EntryRequest(entry::SetDots{2}));
    EXPECT_EQ(passNoteKey(choice, '.', true, false).post, EntryRequest(entry::SetDots{0}));
    EXPECT_FALSE(passNoteKey(choice, '7', false, false).taken);
    EXPECT_FALSE(passNoteKey(choice, 'c', false, false).taken);
}

}  // namespace
}  // namespace plume
