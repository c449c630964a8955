#pragma once
// The chord palette: a root, a root accidental and a quality make a chord of up to four keys, each
// with the spelling byte that writes it on the letter of its chord degree; inversions move the
// outer keys by an octave, and "Enter" posts the chord.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/entry_request.h"

namespace plume {

inline constexpr int kChordRootCount = 7;            // C, D, E, F, G, A, B
inline constexpr int kChordRootAccidentalCount = 3;  // none, sharp, flat
inline constexpr int kChordQualityCount = 15;
inline constexpr int kChordToneCount = 4;

namespace chord_root_accidental {
inline constexpr int kNone = 0;
inline constexpr int kSharp = 1;
inline constexpr int kFlat = 2;
}  // namespace chord_root_accidental

namespace chord_button {
inline constexpr int kRootC = 630;  // .. 636 for B
inline constexpr int kSharp = 637;
inline constexpr int kFlat = 645;
inline constexpr int kInvertDown = 659;
inline constexpr int kInvertUp = 660;
inline constexpr int kSpare = 661;
inline constexpr int kEnter = 653;
}  // namespace chord_button

// The palette's 27 buttons in the order they are laid out, nine to a row.
std::span<const int> chordPaletteButtons();
// The button of quality 1..14; quality 0 (the major triad) has none and gives 0.
int chordQualityButton(int quality);
// The quality a button selects, or -1 when it is no quality button.
int chordQualityOfButton(int button);

// One chord tone: a key number and its spelling byte (0, or 16 + the accidental code).
struct ChordTone {
    std::uint8_t key = kNoKey;
    std::uint8_t spelling = 0;

    friend bool operator==(const ChordTone&, const ChordTone&) = default;
};
// Tones in chord-degree order; the first tone whose key is kNoKey ends the chord.
using ChordTones = std::array<ChordTone, kChordToneCount>;

// Keys of a quality built on C (60); kNoKey for a missing fourth tone.
std::span<const std::uint8_t, kChordToneCount> chordQualityKeys(int quality);
// The spelling byte of tone `tone` of a chord; 0 for a tone the quality does not have.
std::uint8_t chordSpelling(int rootAccidental, int root, int quality, int tone);
ChordTones buildChord(int root, int rootAccidental, int quality);
// The chord's (key, spelling) pairs up to its first missing tone.
std::vector<NotePair> chordPairs(const ChordTones& tones);

class ChordPalette {
public:
    ChordPalette() { rebuild(); }

    int root() const { return m_root; }
    int rootAccidental() const { return m_rootAccidental; }
    int quality() const { return m_quality; }
    const ChordTones& chord() const { return m_chord; }

    // Selects the root (pressing the selected root changes nothing); ignored while playing.
    void pressRoot(int root, bool playing);
    // Pressing the checked accidental or quality returns to none or to the major triad.
    void pressRootAccidental(int accidental);
    void pressQuality(int quality);
    // Up raises the lowest key an octave while it is at most 83; down lowers the highest while it
    // is at least 36. False when the button is disabled.
    bool invertUp();
    bool invertDown();
    bool canInvertUp() const;
    bool canInvertDown() const;
    // kEnterChord with the chord's pairs; nothing while playing.
    std::optional<EntryRequest> enter(bool playing) const;

    // Any of the 27 buttons by id; returns what to post.
    std::optional<EntryRequest> press(int button, bool playing);
    bool isChecked(int button) const;
    bool isEnabled(int button) const;

private:
    void rebuild();

    int m_root = 0;
    int m_rootAccidental = chord_root_accidental::kNone;
    int m_quality = 0;
    ChordTones m_chord{};
};

}  // namespace plume
