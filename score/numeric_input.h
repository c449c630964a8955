#pragma once
// The numeric input bar ("数値入力"): notes typed by name ("c e g", "FS4", "bLL"), read in an
// area of octaves, spelled through the key signature and entered as one group at the cursor.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "score/note_entry.h"

namespace plume {

namespace platform {
class Profile;
}

inline constexpr int kDefaultArea = 2;
inline constexpr int kMaxArea = 5;
inline constexpr std::size_t kMaxNoteText = 255;   // characters of the "音(&N)" field
inline constexpr std::size_t kMaxTypedNotes = 10;
inline constexpr int kLowestTypedKey = 24;
inline constexpr int kHighestTypedKey = 95;
inline constexpr const char* kAreaMessage = "0から5の数値を入力してください。";

// A note typed by name: its absolute diatonic step (0 = C1, key 24) and the accidental typed
// (accidental:: codes; kNone leaves it to the key signature).
struct NoteName {
    int step = 0;
    int accidental = 0;
    friend bool operator==(const NoteName&, const NoteName&) = default;
};

struct NoteNameParse {
    std::vector<NoteName> notes;
    std::size_t badPosition = 0;  // 1-based character of the first wrong character; 0 when all is well
    bool ok() const { return badPosition == 0; }
};

// Reads up to kMaxTypedNotes notes (UTF-8), spaces between them skipped: a letter C..B (capitals
// from the area's octave, small letters one octave higher; a step of 42 or more drops an octave),
// then "S", "SS", "N", "L" or "LL" (either case), then an octave digit 0..5 that replaces the area.
NoteNameParse parseNoteNames(std::string_view utf8, int area);

// The key number and accidental byte of a typed note: the letter's white key moved by the typed
// accidental, or else by the key signature's own accidental on that step.
NotePair spellNoteName(NoteName note, int keySignature);

// The group the bar enters: note records of the entry length and dots for the keys 24..95, highest
// first, the first byte the group size. Their velocity is 0, so the entry fills velocity, delay,
// gate and program from the note template. Empty when no key remains.
std::vector<SongRecord> typedNoteGroup(std::span<const NoteName> notes, int keySignature,
                                       const EntrySettings& settings);

// The bar's rules: the area (profile "PC KeyBoard"/"Area") and taking the typed text.
class NumericInput {
public:
    explicit NumericInput(platform::Profile& profile);

    int area() const { return m_area; }
    // A change of the area field: 0..5 is kept and written to the profile at once. Any other value
    // shows kAreaMessage and returns false: the bar empties the field and puts the focus into it. An
    // empty field is not yet a value and changes nothing.
    bool areaEdited(std::string_view text);
    // What the note field holds after a change: a text that begins with a space is cleared.
    static std::string_view notesEdited(std::string_view text);
    // Reads the typed notes in the current area; a wrong character shows "%d桁目が不正です。" and
    // the result's badPosition tells the bar which character to select.
    NoteNameParse take(std::string_view text) const;

private:
    platform::Profile& m_profile;
    int m_area = kDefaultArea;
};

}  // namespace plume
