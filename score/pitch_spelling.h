#pragma once
// Where a key number stands on the staff (its diatonic step) and which accidental it shows, given
// the note's accidental byte, the key signature and the accidentals already used in the measure.

#include <array>
#include <cstdint>

#include "song/song_record.h"

namespace plume {

namespace accidental {
inline constexpr int kNone = 0;
inline constexpr int kSharp = 1;
inline constexpr int kFlat = 2;
inline constexpr int kNatural = 3;
inline constexpr int kDoubleSharp = 4;
inline constexpr int kDoubleFlat = 5;
}  // namespace accidental

// A key number spelled in a key signature, before the measure state is consulted.
struct Spelling {
    int step = 0;        // absolute diatonic step, 0 = C1 (key 24); keys below 24 are placed as 24
    int accidental = 0;  // the accidental the pitch calls for (accidental:: codes)
    bool fromKey = true; // the note has no accidental byte: the key tables chose step and accidental
};

// A note as drawn: its step and the accidental to draw (accidental::kNone when nothing is drawn).
struct PlacedPitch {
    int step = 0;
    int accidental = 0;
};

// Step within the octave (-1..7) and the accidental (0..3) of a pitch class in a key signature
// when the note has no accidental byte.
int keyStepWithinOctave(int keySignature, int pitchClass);
int keyTableAccidental(int keySignature, int pitchClass);

// The key signature's own accidental on a step: accidental::kSharp, kFlat or kNone.
int keyAccidentalOnStep(int keySignature, int step);

Spelling spellPitch(int key, std::uint8_t accidentalByte, int keySignature);

// The accidentals in force on each step of the current measure.
class MeasureAccidentals {
public:
    explicit MeasureAccidentals(int keySignature = 0) { reset(keySignature); }

    // At a line start, after a bar line or a line break, and at a key change.
    void reset(int keySignature);
    int keySignature() const { return m_key; }
    int state(int step) const;

    // Spells the note, decides the accidental to draw and records it for the rest of the measure.
    PlacedPitch place(int key, std::uint8_t accidentalByte);
    PlacedPitch place(const SongRecord& note) { return place(note.key(), note.accidental()); }

    // After each group of a line: a bar line, a line break or a key change "Y" starts afresh.
    void passGroup(const SongRecord& first);

private:
    static constexpr int kLowestStep = -4;  // B sharp and double-sharp spellings reach below C1
    static constexpr int kStepCount = 72;
    static int slot(int step);

    int m_key = 0;
    std::array<std::uint8_t, kStepCount> m_state{};
};

}  // namespace plume
