#include "app/chord_builder.h"

#include <algorithm>

namespace plume {

namespace {

constexpr std::array<std::array<std::uint8_t, kChordToneCount>, kChordQualityCount> kQualityKeys = {{
    {60, 64, 67, kNoKey},  // major triad
    {60, 64, 67, 70},      // 7
    {60, 64, 67, 71},      // M7
    {60, 64, 67, 69},      // 6
    {60, 65, 67, kNoKey},  // sus4
    {60, 62, 67, kNoKey},  // add2
    {60, 64, 66, kNoKey},  // alt
    {60, 64, 68, kNoKey},  // aug
    {60, 63, 67, kNoKey},  // m
    {60, 63, 67, 70},      // m7
    {60, 63, 67, 71},      // mM7
    {60, 63, 67, 69},      // m6
    {60, 63, 65, kNoKey},  // msus4
    {60, 63, 66, kNoKey},  // dim
    {60, 63, 66, 70},      // m7-5
}};

constexpr std::array<int, kChordRootCount> kRootOffsets = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, kChordRootAccidentalCount> kRootAccidentalOffsets = {0, 1, -1};

// Each tone is written on the letter of its degree above the root letter, with the accidental that
// reaches its key. Rows: root accidental (none, sharp, flat), root C..B; five qualities to a line
// in quality order (maj 7 M7 6 sus4 / add2 alt aug m m7 / mM7 m6 msus4 dim m7-5), four tones each.
constexpr std::uint8_t kSpellingTable[] = {
    // C
     0, 0, 0, 0,   0, 0, 0,18,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,
     0, 0, 0, 0,   0, 0,18, 0,   0, 0,17, 0,   0,18, 0, 0,   0,18, 0,18,
     0,18, 0, 0,   0,18, 0, 0,   0,18, 0, 0,   0,18,18, 0,   0,18,18,18,
    // D
     0,17, 0, 0,   0,17, 0, 0,   0,17, 0,17,   0,17, 0, 0,   0, 0, 0, 0,
     0, 0, 0, 0,   0,17,18, 0,   0,17,17, 0,   0, 0, 0, 0,   0, 0, 0, 0,
     0, 0, 0,17,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0,18, 0,   0, 0,18, 0,
    // E
     0,17, 0, 0,   0,17, 0, 0,   0,17, 0,17,   0,17, 0,17,   0, 0, 0, 0,
     0,17, 0, 0,   0,17,18, 0,   0,17,17, 0,   0, 0, 0, 0,   0, 0, 0, 0,
     0, 0, 0,17,   0, 0, 0,17,   0, 0, 0, 0,   0, 0,18, 0,   0, 0,18, 0,
    // F
     0, 0, 0, 0,   0, 0, 0,18,   0, 0, 0, 0,   0, 0, 0, 0,   0,18, 0, 0,
     0, 0, 0, 0,   0, 0,18, 0,   0, 0,17, 0,   0,18, 0, 0,   0,18, 0,18,
     0,18, 0, 0,   0,18, 0, 0,   0,18,18, 0,   0,18,18, 0,   0,18,18,18,
    // G
     0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0,17,   0, 0, 0, 0,   0, 0, 0, 0,
     0, 0, 0, 0,   0, 0,18, 0,   0, 0,17, 0,   0,18, 0, 0,   0,18, 0, 0,
     0,18, 0,17,   0,18, 0, 0,   0,18, 0, 0,   0,18,18, 0,   0,18,18, 0,
    // A
     0,17, 0, 0,   0,17, 0, 0,   0,17, 0,17,   0,17, 0,17,   0, 0, 0, 0,
     0, 0, 0, 0,   0,17,18, 0,   0,17,17, 0,   0, 0, 0, 0,   0, 0, 0, 0,
     0, 0, 0,17,   0, 0, 0,17,   0, 0, 0, 0,   0, 0,18, 0,   0, 0,18, 0,
    // B
     0,17,17, 0,   0,17,17, 0,   0,17,17,17,   0,17,17,17,   0, 0,17, 0,
     0,17,17, 0,   0,17, 0, 0,   0,17,20, 0,   0, 0,17, 0,   0, 0,17, 0,
     0, 0,17,17,   0, 0,17,17,   0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,
    // C#
    17,17,17, 0,  17,17,17, 0,  17,17,17,17,  17,17,17,17,  17,17,17, 0,
    17,17,17, 0,  17,17, 0, 0,  17,17,20, 0,  17, 0,17, 0,  17, 0,17, 0,
    17, 0,17,17,  17, 0,17,17,  17, 0,17, 0,  17, 0, 0, 0,  17, 0, 0, 0,
    // D#
    17,20,17, 0,  17,20,17,17,  17,20,17,20,  17,20,17,17,  17,17,17, 0,
    17,17,17, 0,  17,20, 0, 0,  17,20,20, 0,  17,17,17, 0,  17,17,17,17,
    17,17,17,20,  17,17,17,17,  17,17,17, 0,  17,17, 0, 0,  17,17, 0,17,
    // E#
    17,20,17, 0,  17,20,17,17,  17,20,17,20,  17,20,17,20,  17,17,17, 0,
    17,20,17, 0,  17,20, 0, 0,  17,20,20, 0,  17,17,17, 0,  17,17,17,17,
    17,17,17,20,  17,17,17,20,  17,17,17, 0,  17,17, 0, 0,  17,17, 0,17,
    // F#
    17,17,17, 0,  17,17,17, 0,  17,17,17,17,  17,17,17,17,  17, 0,17, 0,
    17,17,17, 0,  17,17, 0, 0,  17,17,20, 0,  17, 0,17, 0,  17, 0,17, 0,
    17, 0,17,17,  17, 0,17,17,  17, 0, 0, 0,  17, 0, 0, 0,  17, 0, 0, 0,
    // G#
    17,17,17, 0,  17,17,17,17,  17,17,17,20,  17,17,17,17,  17,17,17, 0,
    17,17,17, 0,  17,17, 0, 0,  17,17,20, 0,  17, 0,17, 0,  17, 0,17,17,
    17, 0,17,20,  17, 0,17,17,  17, 0,17, 0,  17, 0, 0, 0,  17, 0, 0,17,
    // A#
    17,20,17, 0,  17,20,17,17,  17,20,17,20,  17,20,17,20,  17,17,17, 0,
    17,17,17, 0,  17,20, 0, 0,  17,20,20, 0,  17,17,17, 0,  17,17,17,17,
    17,17,17,20,  17,17,17,20,  17,17,17, 0,  17,17, 0, 0,  17,17, 0,17,
    // B#  (the aug fifth would need a triple sharp on F: written G sharp)
    17,20,20, 0,  17,20,20,17,  17,20,20,20,  17,20,20,20,  17,17,20, 0,
    17,20,20, 0,  17,20,17, 0,  17,20,17, 0,  17,17,20, 0,  17,17,20,17,
    17,17,20,20,  17,17,20,20,  17,17,17, 0,  17,17,17, 0,  17,17,17,17,
    // Cb
    18,18,18, 0,  18,18,18,21,  18,18,18,18,  18,18,18,18,  18,18,18, 0,
    18,18,18, 0,  18,18,21, 0,  18,18, 0, 0,  18,21,18, 0,  18,21,18,21,
    18,21,18,18,  18,21,18,18,  18,21,18, 0,  18,21,21, 0,  18,21,21,21,
    // Db
    18, 0,18, 0,  18, 0,18,18,  18, 0,18, 0,  18, 0,18,18,  18,18,18, 0,
    18,18,18, 0,  18, 0,21, 0,  18, 0, 0, 0,  18,18,18, 0,  18,18,18,18,
    18,18,18, 0,  18,18,18,18,  18,18,18, 0,  18,18,21, 0,  18,18,21,18,
    // Eb
    18, 0,18, 0,  18, 0,18,18,  18, 0,18, 0,  18, 0,18, 0,  18,18,18, 0,
    18, 0,18, 0,  18, 0,21, 0,  18, 0, 0, 0,  18,18,18, 0,  18,18,18,18,
    18,18,18, 0,  18,18,18, 0,  18,18,18, 0,  18,18,21, 0,  18,18,21,18,
    // Fb
    18,18,18, 0,  18,18,18,21,  18,18,18,18,  18,18,18,18,  18,21,18, 0,
    18,18,18, 0,  18,18,21, 0,  18,18, 0, 0,  18,21,18, 0,  18,21,18,21,
    18,21,18,18,  18,21,18,18,  18,21,21, 0,  18,21,21, 0,  18,21,21,21,
    // Gb
    18,18,18, 0,  18,18,18,18,  18,18,18, 0,  18,18,18,18,  18,18,18, 0,
    18,18,18, 0,  18,18,21, 0,  18,18, 0, 0,  18,21,18, 0,  18,21,18,18,
    18,21,18, 0,  18,21,18,18,  18,21,18, 0,  18,21,21, 0,  18,21,21,18,
    // Ab
    18, 0,18, 0,  18, 0,18,18,  18, 0,18, 0,  18, 0,18, 0,  18,18,18, 0,
    18,18,18, 0,  18, 0,21, 0,  18, 0, 0, 0,  18,18,18, 0,  18,18,18,18,
    18,18,18, 0,  18,18,18, 0,  18,18,18, 0,  18,18,21, 0,  18,18,21,18,
    // Bb
    18, 0, 0, 0,  18, 0, 0,18,  18, 0, 0, 0,  18, 0, 0, 0,  18,18, 0, 0,
    18, 0, 0, 0,  18, 0,18, 0,  18, 0,17, 0,  18,18, 0, 0,  18,18, 0,18,
    18,18, 0, 0,  18,18, 0, 0,  18,18,18, 0,  18,18,18, 0,  18,18,18,18,
};
static_assert(sizeof(kSpellingTable) ==
              kChordRootAccidentalCount * kChordRootCount * kChordQualityCount * kChordToneCount);

constexpr std::array<int, 27> kButtons = {
    630, 631, 632, 633, 634, 635, 636, chord_button::kSharp, chord_button::kInvertDown,
    638, 639, 640, 641, 642, 643, 644, chord_button::kFlat, chord_button::kInvertUp,
    646, 647, 658, 649, 650, 651, 652, chord_button::kSpare, chord_button::kEnter,
};

// Buttons of qualities 1..14; the major triad is the state with none of them checked.
constexpr std::array<int, kChordQualityCount> kQualityButtons = {0,   638, 639, 640, 641, 642, 643, 644,
                                                                  646, 647, 658, 649, 650, 651, 652};

constexpr int kInvertUpHighestLowKey = 83;
constexpr int kInvertDownLowestHighKey = 36;

}  // namespace

std::span<const int> chordPaletteButtons() { return kButtons; }

int chordQualityButton(int quality) {
    return quality >= 0 && quality < kChordQualityCount ? kQualityButtons[std::size_t(quality)] : 0;
}

int chordQualityOfButton(int button) {
    const auto it = std::find(kQualityButtons.begin() + 1, kQualityButtons.end(), button);
    return it == kQualityButtons.end() ? -1 : int(it - kQualityButtons.begin());
}

std::span<const std::uint8_t, kChordToneCount> chordQualityKeys(int quality) {
    return kQualityKeys[std::size_t(std::clamp(quality, 0, kChordQualityCount - 1))];
}

std::uint8_t chordSpelling(int rootAccidental, int root, int quality, int tone) {
    if (rootAccidental < 0 || rootAccidental >= kChordRootAccidentalCount || root < 0 || root >= kChordRootCount ||
        quality < 0 || quality >= kChordQualityCount || tone < 0 || tone >= kChordToneCount)
        return 0;
    const int index = ((rootAccidental * kChordRootCount + root) * kChordQualityCount + quality) * kChordToneCount + tone;
    return kSpellingTable[std::size_t(index)];
}

ChordTones buildChord(int root, int rootAccidental, int quality) {
    ChordTones tones{};
    const auto keys = chordQualityKeys(quality);
    const int offset = kRootOffsets[std::size_t(std::clamp(root, 0, kChordRootCount - 1))] +
                       kRootAccidentalOffsets[std::size_t(std::clamp(rootAccidental, 0, kChordRootAccidentalCount - 1))];
    for (int i = 0; i < kChordToneCount; ++i) {
        if (keys[std::size_t(i)] == kNoKey) break;
        tones[std::size_t(i)] = {std::uint8_t(keys[std::size_t(i)] + offset), chordSpelling(rootAccidental, root, quality, i)};
    }
    return tones;
}

std::vector<NotePair> chordPairs(const ChordTones& tones) {
    std::vector<NotePair> pairs;
    for (const ChordTone& t : tones) {
        if (t.key == kNoKey) break;
        pairs.push_back({t.key, t.spelling});
    }
    return pairs;
}

void ChordPalette::rebuild() { m_chord = buildChord(m_root, m_rootAccidental, m_quality); }

void ChordPalette::pressRoot(int root, bool playing) {
    if (playing || root < 0 || root >= kChordRootCount || root == m_root) return;
    m_root = root;
    rebuild();
}

void ChordPalette::pressRootAccidental(int accidental) {
    if (accidental != chord_root_accidental::kSharp && accidental != chord_root_accidental::kFlat) return;
    m_rootAccidental = accidental == m_rootAccidental ? chord_root_accidental::kNone : accidental;
    rebuild();
}

void ChordPalette::pressQuality(int quality) {
    if (quality <= 0 || quality >= kChordQualityCount) return;
    m_quality = quality == m_quality ? 0 : quality;
    rebuild();
}

namespace {

// Index of the tone with the lowest (or highest) key, or -1 for an empty chord.
int extremeTone(const ChordTones& chord, bool lowest) {
    int found = -1;
    for (int i = 0; i < kChordToneCount && chord[std::size_t(i)].key != kNoKey; ++i) {
        const int key = chord[std::size_t(i)].key;
        if (found < 0 || (lowest ? key < chord[std::size_t(found)].key : key > chord[std::size_t(found)].key)) found = i;
    }
    return found;
}

}  // namespace

bool ChordPalette::canInvertUp() const {
    const int i = extremeTone(m_chord, true);
    return i >= 0 && m_chord[std::size_t(i)].key <= kInvertUpHighestLowKey;
}

bool ChordPalette::canInvertDown() const {
    const int i = extremeTone(m_chord, false);
    return i >= 0 && m_chord[std::size_t(i)].key >= kInvertDownLowestHighKey;
}

bool ChordPalette::invertUp() {
    if (!canInvertUp()) return false;
    ChordTone& lowest = m_chord[std::size_t(extremeTone(m_chord, true))];
    lowest.key = std::uint8_t(lowest.key + 12);
    return true;
}

bool ChordPalette::invertDown() {
    if (!canInvertDown()) return false;
    ChordTone& highest = m_chord[std::size_t(extremeTone(m_chord, false))];
    highest.key = std::uint8_t(highest.key - 12);
    return true;
}

std::optional<EntryRequest> ChordPalette::enter(bool playing) const {
    if (playing) return std::nullopt;
    return entry::EnterChord{chordPairs(m_chord)};
}

std::optional<EntryRequest> ChordPalette::press(int button, bool playing) {
    if (button >= chord_button::kRootC && button < chord_button::kRootC + kChordRootCount) {
        pressRoot(button - chord_button::kRootC, playing);
    } else if (button == chord_button::kSharp) {
        pressRootAccidental(chord_root_accidental::kSharp);
    } else if (button == chord_button::kFlat) {
        pressRootAccidental(chord_root_accidental::kFlat);
    } else if (button == chord_button::kInvertUp) {
        invertUp();
    } else if (button == chord_button::kInvertDown) {
        invertDown();
    } else if (button == chord_button::kEnter) {
        return enter(playing);
    } else if (button == chord_button::kSpare) {
        if (!playing) return entry::ChordSpare{};
    } else if (const int quality = chordQualityOfButton(button); quality > 0) {
        pressQuality(quality);
    }
    return std::nullopt;
}

bool ChordPalette::isChecked(int button) const {
    if (button >= chord_button::kRootC && button < chord_button::kRootC + kChordRootCount)
        return button - chord_button::kRootC == m_root;
    if (button == chord_button::kSharp) return m_rootAccidental == chord_root_accidental::kSharp;
    if (button == chord_button::kFlat) return m_rootAccidental == chord_root_accidental::kFlat;
    const int quality = chordQualityOfButton(button);
    return quality > 0 && quality == m_quality;
}

bool ChordPalette::isEnabled(int button) const {
    if (button == chord_button::kInvertUp) return canInvertUp();
    if (button == chord_button::kInvertDown) return canInvertDown();
    return true;
}

}  // namespace plume
