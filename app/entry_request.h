#pragma once
// The entry requests that the palettes, the entry bars and the keys send to the score view (or to the
// window that stands in for it), one small struct each.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "score/note_entry.h"
#include "song/song_record.h"

namespace plume {

inline bool operator==(const DelayGate& a, const DelayGate& b) { return a.delay == b.delay && a.gate == b.gate; }

namespace entry {
// A rest type 7..12 with dot bits.
struct EnterRest {
    std::uint8_t type = 0;
    friend bool operator==(const EnterRest&, const EnterRest&) = default;
};
// A note or chord: (key, spelling) pairs, highest first as the chord palette builds them.
struct EnterChord {
    std::vector<NotePair> notes;
    friend bool operator==(const EnterChord&, const EnterChord&) = default;
};
// The note palette chose a length (its index); the group at the cursor takes it.
struct SetLength {
    int lengthIndex = 0;
    friend bool operator==(const SetLength&, const SetLength&) = default;
};
// The note palette chose a dot (0..2); the group at the cursor takes it.
struct SetDots {
    int dot = 0;
    friend bool operator==(const SetDots&, const SetDots&) = default;
};
// The chord palette's spare button, which the view ignores.
struct ChordSpare {
    friend bool operator==(const ChordSpare&, const ChordSpare&) = default;
};
// A complete group (first record holding the group size).
struct EnterGroup {
    std::vector<SongRecord> records;
    friend bool operator==(const EnterGroup&, const EnterGroup&) = default;
};
// A button of the enlarged edit palette (edit_palette_button).
struct EditPaletteButton {
    int button = 0;
    friend bool operator==(const EditPaletteButton&, const EditPaletteButton&) = default;
};
// (delay, gate) pairs, last note first.
struct SetDelayGates {
    std::vector<DelayGate> pairs;
    friend bool operator==(const SetDelayGates&, const SetDelayGates&) = default;
};
// Velocities, last note first.
struct SetVelocities {
    std::vector<std::uint8_t> values;
    friend bool operator==(const SetVelocities&, const SetVelocities&) = default;
};
// Drum notes as EnterChord, with the drum set they play in.
struct EnterDrums {
    std::uint8_t drumSet = 0;
    std::vector<NotePair> notes;
    friend bool operator==(const EnterDrums&, const EnterDrums&) = default;
};
// The lyric of the cursor group (UTF-8).
struct SetLyric {
    std::string text;
    friend bool operator==(const SetLyric&, const SetLyric&) = default;
};
// The chord name of the cursor group (UTF-8).
struct SetChordName {
    std::string text;
    friend bool operator==(const SetChordName&, const SetChordName&) = default;
};
// A key typed into the view (a virtual key code, see vk).
struct KeyDown {
    int key = 0;
    friend bool operator==(const KeyDown&, const KeyDown&) = default;
};
struct KeyUp {
    int key = 0;
    friend bool operator==(const KeyUp&, const KeyUp&) = default;
};
// A frame command, or a palette's own command (the note palette's tie button).
struct RunCommand {
    int id = 0;
    friend bool operator==(const RunCommand&, const RunCommand&) = default;
};
}  // namespace entry

using EntryRequest =
    std::variant<entry::EnterRest, entry::EnterChord, entry::SetLength, entry::SetDots, entry::ChordSpare,
                 entry::EnterGroup, entry::EditPaletteButton, entry::SetDelayGates, entry::SetVelocities,
                 entry::EnterDrums, entry::SetLyric, entry::SetChordName, entry::KeyDown, entry::KeyUp,
                 entry::RunCommand>;

// Virtual key codes as the window system numbers them.
namespace vk {
inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kInsert = 0x2D;
inline constexpr int kDelete = 0x2E;
}  // namespace vk

inline constexpr std::uint8_t kNoKey = 255;  // a missing tone of a chord

}  // namespace plume
