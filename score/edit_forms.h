#pragma once
// The rules of the score view's editing dialogs, apart from their windows: "編集－トランスポーズ",
// "タイ", the key-signature and time-signature dialogs and "行番号の指定".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "score/range_edit.h"

namespace plume {

// "編集－トランスポーズ": a shift in semitones or octaves that keeps every note within 24..95.
class TransposeForm {
public:
    enum class Unit { Semitones, Octaves };  // "半音で指定する", "オクターブで指定する"

    explicit TransposeForm(KeySpan span);

    Unit unit() const { return m_unit; }
    // Switching the unit keeps the value inside the new bounds.
    void setUnit(Unit unit);
    // Bounds of the value in the current unit; an octave bound is the whole octaves within the
    // semitone bounds. A minimum above the maximum means no shift fits.
    int minimum() const;
    int maximum() const;
    int value() const { return m_value; }
    // Kept within the bounds.
    void setValue(int value);
    // The shift in semitones, or nullopt when no shift fits.
    std::optional<int> semitones() const;

private:
    int m_lowestShift;   // 24 - lowest
    int m_highestShift;  // 95 - highest
    Unit m_unit = Unit::Semitones;
    int m_value = 0;
};

// "タイ": the keys of the range's notes, each marked or not, and "セット" or "リセット".
class TieForm {
public:
    explicit TieForm(std::vector<std::uint8_t> keys);

    const std::vector<std::uint8_t>& keys() const { return m_keys; }
    // "60 (C4)": the key number and its name, middle C being C4.
    static std::string keyText(std::uint8_t key);
    bool isMarked(std::size_t i) const { return m_marked.at(i); }
    void setMarked(std::size_t i, bool marked) { m_marked.at(i) = marked; }
    bool setsTies() const { return m_set; }
    void setSetsTies(bool set) { m_set = set; }
    std::vector<std::uint8_t> markedKeys() const;

private:
    std::vector<std::uint8_t> m_keys;
    std::vector<bool> m_marked;
    bool m_set = true;
};

// The key-signature dialog: one entry of kKeySignatureNames, opened on the key in force.
struct KeySignatureForm {
    explicit KeySignatureForm(std::uint8_t keyInForce);
    int key = 0;  // 0-14
};

// The time-signature dialog: numerator 1-63 and a denominator of kDenominatorNames, opened on
// the time signature in force.
struct TimeSignatureForm {
    explicit TimeSignatureForm(TimeSignature inForce);
    int numerator = 4;
    int denominator = 1;  // index into kDenominatorNames: the power of two less one
    TimeSignature result() const;
};

// "行番号の指定": a line number from 1 to the last one.
class GoToLineForm {
public:
    // `lastLine` is the table's last line index.
    explicit GoToLineForm(int lastLine) : m_lastNumber(lastLine + 1) {}

    // "最終行番号:%d", counted from 1.
    std::string lastLineText() const;
    // The line index to go to, or nullopt after "1 から %d の範囲で入力して下さい。".
    std::optional<int> accept(int number) const;

private:
    int m_lastNumber;
};

}  // namespace plume
