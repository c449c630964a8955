#include "score/edit_forms.h"

#include <algorithm>
#include <array>

#include "platform/message_box.h"
#include "song/project_form.h"

namespace plume {

namespace {

int floorDiv(int a, int b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
int ceilDiv(int a, int b) { return -floorDiv(-a, b); }

constexpr std::array<const char*, 12> kNoteNames = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

}  // namespace

// ---- transpose -----------------------------------------------------------------------------------

TransposeForm::TransposeForm(KeySpan span)
    : m_lowestShift(kTransposeLowestKey - span.lowest), m_highestShift(kTransposeHighestKey - span.highest) {
    setValue(0);
}

int TransposeForm::minimum() const {
    return m_unit == Unit::Semitones ? m_lowestShift : ceilDiv(m_lowestShift, 12);
}

int TransposeForm::maximum() const {
    return m_unit == Unit::Semitones ? m_highestShift : floorDiv(m_highestShift, 12);
}

void TransposeForm::setUnit(Unit unit) {
    m_unit = unit;
    setValue(m_value);
}

void TransposeForm::setValue(int value) {
    m_value = minimum() > maximum() ? 0 : std::clamp(value, minimum(), maximum());
}

std::optional<int> TransposeForm::semitones() const {
    if (minimum() > maximum()) return std::nullopt;
    return m_unit == Unit::Semitones ? m_value : m_value * 12;
}

// ---- tie -----------------------------------------------------------------------------------------

TieForm::TieForm(std::vector<std::uint8_t> keys) : m_keys(std::move(keys)), m_marked(m_keys.size(), true) {}

std::string TieForm::keyText(std::uint8_t key) {
    return platform::formatMessage("%d (%s%d)", key, kNoteNames[key % 12], key / 12 - 1);
}

std::vector<std::uint8_t> TieForm::markedKeys() const {
    std::vector<std::uint8_t> keys;
    for (std::size_t i = 0; i < m_keys.size(); ++i)
        if (m_marked[i]) keys.push_back(m_keys[i]);
    return keys;
}

// ---- key and time signature ----------------------------------------------------------------------

KeySignatureForm::KeySignatureForm(std::uint8_t keyInForce)
    : key(keyInForce < std::size(kKeySignatureNames) ? keyInForce : 0) {}

TimeSignatureForm::TimeSignatureForm(TimeSignature inForce)
    : numerator(std::clamp<int>(inForce.numerator, kNumeratorMin, kNumeratorMax)),
      denominator(std::clamp<int>(inForce.denominatorPower - 1, 0, int(std::size(kDenominatorNames)) - 1)) {}

TimeSignature TimeSignatureForm::result() const {
    return {std::uint8_t(std::clamp(numerator, kNumeratorMin, kNumeratorMax)),
            std::uint8_t(std::clamp(denominator, 0, int(std::size(kDenominatorNames)) - 1) + 1)};
}

// ---- go to line ----------------------------------------------------------------------------------

std::string GoToLineForm::lastLineText() const { return platform::formatMessage("最終行番号:%d", m_lastNumber); }

std::optional<int> GoToLineForm::accept(int number) const {
    if (number < 1 || number > m_lastNumber) {
        platform::messageBox().show(platform::formatMessage("1 から %d の範囲で入力して下さい。", m_lastNumber));
        return std::nullopt;
    }
    return number - 1;
}

}  // namespace plume
