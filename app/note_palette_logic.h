#pragma once
// The note palette: length, rest, accidental, dot and monitor buttons over the frame's entry
// choice, the keys the score view passes on, and following the record at the cursor.

#include <cstdint>
#include <optional>
#include <span>

#include "app/entry_request.h"
#include "song/song_record.h"

namespace plume {

// The part of the frame's entry state that the note palette shows and changes.
struct NoteChoice {
    int lengthIndex = 0;  // 0..5 whole..32nd note, 6..11 whole..32nd rest; the record type is index + 1
    int dot = 0;          // 0 none, 1 dotted, 2 double-dotted
    int accidental = 0;   // 0 none, 1 sharp, 2 flat, 3 natural, 4 double sharp, 5 double flat
    bool monitor = false; // a written note is sounded
};

inline constexpr int kLengthCount = 6;  // whole .. 32nd

namespace note_button {
inline constexpr int kWholeNote = 600;  // notes 600, 603, .. 615; each rest is its note + 1
inline constexpr int kWholeRest = 601;
inline constexpr int kNatural = 602;
inline constexpr int kSharp = 605;
inline constexpr int kFlat = 608;
inline constexpr int kDot = 614;
inline constexpr int kDoubleDot = 617;
inline constexpr int kMonitor = 618;
inline constexpr int kDoubleSharp = 625;
inline constexpr int kDoubleFlat = 626;
inline constexpr int kUnassigned = 627;
inline constexpr int kTie = 32893;
// The note and rest buttons of each length.
inline constexpr int kHalfNote = 603, kQuarterNote = 606, kEighthNote = 609, k16thNote = 612, k32ndNote = 615;
inline constexpr int kHalfRest = 604, kQuarterRest = 607, kEighthRest = 610, k16thRest = 613, k32ndRest = 616;
}  // namespace note_button

// The palette's 21 buttons in the order they are laid out, three to a row.
std::span<const int> notePaletteButtons();
// Position 0..5 (whole..32nd) of a note button (`first` = kWholeNote) or a rest button (`first` =
// kWholeRest), or -1.
int lengthPosition(int button, int first);

// The record type of the length index (1..12).
std::uint8_t lengthType(int lengthIndex);
// The note type of the same length (1..6), also when a rest length is chosen.
std::uint8_t noteLengthType(int lengthIndex);
// Dot choice 0..2 as the bits of record byte 2 (0, 0x40, 0x80).
std::uint8_t dotBits(int dot);

// A button press; returns what to post. While playing the length, rest and dot buttons do nothing.
std::optional<EntryRequest> pressNoteButton(NoteChoice& choice, int button, bool playing);
bool isNoteButtonChecked(const NoteChoice& choice, int button);

// The view's record at the cursor: a note's length and dots become the choice.
void followRecord(NoteChoice& choice, const SongRecord& record);

// A key the score view passes on: '1'..'6' chooses a length (rests with Shift), '.' toggles the dot
// (the double dot with Shift). `taken` is false for any other key.
struct NoteKeyOutcome {
    bool taken = false;
    std::optional<EntryRequest> post;
};
NoteKeyOutcome passNoteKey(NoteChoice& choice, char key, bool shift, bool playing);

}  // namespace plume
