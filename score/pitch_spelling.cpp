#include "score/pitch_spelling.h"

#include <algorithm>

#include "score/score_geometry.h"

namespace plume {

namespace {

using Row = std::array<int, 12>;

// Black keys as the lower white key with a sharp, or as the upper one with a flat.
constexpr Row kSharpSteps = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr Row kFlatSteps = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};

constexpr std::array<Row, kKeyCount> makeKeySteps() {
    std::array<Row, kKeyCount> table{};
    for (int k = 0; k < kKeyCount; ++k) table[std::size_t(k)] = k <= 7 ? kSharpSteps : kFlatSteps;
    table[6][5] = 2;   // E sharp
    table[7][0] = -1;  // B sharp
    table[7][5] = 2;
    table[13][11] = 7; // C flat
    table[14][11] = 7;
    table[14][4] = 3;  // F flat
    return table;
}
constexpr std::array<Row, kKeyCount> kKeySteps = makeKeySteps();

// The accidental a pitch class needs against each key: 0 nothing, 1 sharp, 2 flat, 3 natural.
constexpr std::array<Row, kKeyCount> kKeyAccidentals = {{
    {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0},
    {0, 1, 0, 1, 0, 3, 0, 0, 1, 0, 1, 0},
    {3, 0, 0, 1, 0, 3, 0, 0, 1, 0, 1, 0},
    {3, 0, 0, 1, 0, 3, 0, 3, 0, 0, 1, 0},
    {3, 0, 3, 0, 0, 3, 0, 3, 0, 0, 1, 0},
    {3, 0, 3, 0, 0, 3, 0, 3, 0, 3, 0, 0},
    {3, 0, 3, 0, 3, 0, 0, 3, 0, 3, 0, 0},
    {0, 0, 3, 0, 3, 0, 0, 3, 0, 3, 0, 3},
    {0, 2, 0, 2, 0, 0, 2, 0, 2, 0, 0, 3},
    {0, 2, 0, 0, 3, 0, 2, 0, 2, 0, 0, 3},
    {0, 2, 0, 0, 3, 0, 2, 0, 0, 3, 0, 3},
    {0, 0, 3, 0, 3, 0, 2, 0, 0, 3, 0, 3},
    {0, 0, 3, 0, 3, 0, 0, 3, 0, 3, 0, 3},
    {3, 0, 3, 0, 3, 0, 0, 3, 0, 3, 0, 0},
    {3, 0, 3, 0, 0, 3, 0, 3, 0, 3, 0, 0},
}};

// Steps within the octave (C = 0) in the order sharps and flats enter a key signature.
constexpr std::array<int, 7> kSharpOrder = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
constexpr std::array<int, 7> kFlatOrder = {6, 2, 5, 1, 4, 0, 3};   // B E A D G C F

// Step within the octave chosen by a nonzero accidental byte.
int explicitStep(std::uint8_t accidentalByte, int pc) {
    const int def = kSharpSteps[std::size_t(pc)];
    switch (accidentalByte) {
    case 1:
    case 17:
    case 33: return def - (pc == 0 || pc == 5 ? 1 : 0);
    case 2:
    case 18:
    case 34: return def + 1;
    case 4:
    case 20: return def - 1;
    case 5:
    case 21: return def + 1 + (pc == 3 || pc == 10 ? 1 : 0);
    case 36: return def - 2;
    case 37: return def + 2;
    case 49:
    case 52: return def - 1;
    case 50:
    case 53: return def + 1;
    default: return def;
    }
}

int floorMod7(int step) { return ((step % 7) + 7) % 7; }

}  // namespace

int keyStepWithinOctave(int keySignature, int pitchClass) {
    return kKeySteps[std::size_t(validKey(keySignature))][std::size_t(pitchClass % 12)];
}

int keyTableAccidental(int keySignature, int pitchClass) {
    return kKeyAccidentals[std::size_t(validKey(keySignature))][std::size_t(pitchClass % 12)];
}

int keyAccidentalOnStep(int keySignature, int step) {
    const int key = validKey(keySignature);
    const int count = keyAccidentalCount(key);
    const auto& order = key <= 7 ? kSharpOrder : kFlatOrder;
    const int within = floorMod7(step);
    for (int i = 0; i < count; ++i) {
        if (order[std::size_t(i)] == within) return key <= 7 ? accidental::kSharp : accidental::kFlat;
    }
    return accidental::kNone;
}

Spelling spellPitch(int key, std::uint8_t accidentalByte, int keySignature) {
    key = std::max(key, kLowestPlacedKey);
    const int octave = (key - kLowestPlacedKey) / 12;
    const int pc = key % 12;
    Spelling spelling;
    if (accidentalByte == 0) {
        spelling.step = octave * 7 + keyStepWithinOctave(keySignature, pc);
        spelling.accidental = keyTableAccidental(keySignature, pc);
        spelling.fromKey = true;
    } else {
        const int drawn = accidentalByte & 0x0F;
        spelling.step = octave * 7 + explicitStep(accidentalByte, pc);
        spelling.accidental = drawn <= accidental::kDoubleFlat ? drawn : accidental::kNone;
        spelling.fromKey = false;
    }
    return spelling;
}

int MeasureAccidentals::slot(int step) { return std::clamp(step - kLowestStep, 0, kStepCount - 1); }

void MeasureAccidentals::reset(int keySignature) {
    m_key = validKey(keySignature);
    for (int i = 0; i < kStepCount; ++i)
        m_state[std::size_t(i)] = std::uint8_t(keyAccidentalOnStep(m_key, i + kLowestStep));
}

void MeasureAccidentals::passGroup(const SongRecord& first) {
    if (first.isMeta() && first.metaType() == meta::kKeySignature) reset(first.metaKeySignature());
    else if (first.type() == type::kBarLine || first.type() == type::kLineBreak) reset(m_key);
}

int MeasureAccidentals::state(int step) const { return m_state[std::size_t(slot(step))]; }

PlacedPitch MeasureAccidentals::place(int key, std::uint8_t accidentalByte) {
    const Spelling spelling = spellPitch(key, accidentalByte, m_key);
    const int inForce = state(spelling.step);
    int shown = spelling.accidental;
    if (spelling.fromKey) {
        const int own = keyAccidentalOnStep(m_key, spelling.step);
        const int table = spelling.accidental;
        if (inForce == accidental::kSharp || inForce == accidental::kFlat) {
            if (own != inForce && table == accidental::kNone) shown = accidental::kNatural;
        } else if (inForce == accidental::kNatural) {
            if (table == accidental::kNone) shown = own;
            else if (table == accidental::kNatural) shown = accidental::kNone;
        }
    }
    if (shown == accidental::kNone || shown == inForce) return {spelling.step, accidental::kNone};
    m_state[std::size_t(slot(spelling.step))] = std::uint8_t(shown);
    return {spelling.step, shown};
}

}  // namespace plume
