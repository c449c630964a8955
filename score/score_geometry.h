#pragma once
// Pixel geometry of the score: widths of score positions, staff heights, staff lines and the
// mapping of diatonic steps to y. All y values are relative to a line's top, growing downward.

#include <array>
#include <cstdint>

namespace plume {

enum class StaffKind : std::uint8_t { Grand = 0, Treble = 1, Bass = 2 };

// The view's magnifications in percent: the same layout drawn larger.
inline constexpr int kZoomSteps[] = {100, 150, 200, 300};

// Horizontal.
inline constexpr int kColumnWidth = 21;          // every score position, and one horizontal scroll step
inline constexpr int kTimeSignatureWidth = 16;   // a time-signature meta record "X"
inline constexpr int kKeyChangeMargin = 8;       // added to the key-change bitmap of a "Y"
inline constexpr int kStaffX0Margin = 12;        // after the clef-and-key bitmap
inline constexpr int kTimeSignatureSpace = 20;   // the time signature of line 0
inline constexpr int kHorizontalScrollMax = 500; // score display: 0..500 steps of kColumnWidth
// Click thresholds: a position is hit while x < its left + this.
inline constexpr int kScoreHitHalf = 10;
inline constexpr int kTimeSignatureHitHalf = 8;

// Clef-and-key bitmaps: a clef, then one accidental column per sharp or flat. The glyph set draws
// its treble and bass bitmaps (line start and key change alike) at exactly these widths.
inline constexpr int kClefWidth = 22;
inline constexpr int kKeyAccidentalWidth = 7;

inline constexpr int kKeyCount = 15;  // key-signature numbers 0..14

// Key-signature numbers outside 0..14 (damaged data) read as 0.
constexpr int validKey(int key) { return key >= 0 && key < kKeyCount ? key : 0; }

// Sharps (keys 1..7) or flats (keys 8..14) of a key signature.
constexpr int keyAccidentalCount(int key) {
    key = validKey(key);
    return key <= 7 ? key : key - 7;
}

// Width of the clef-and-key bitmap that opens a line in this key.
constexpr int clefKeyWidth(int key) { return kClefWidth + kKeyAccidentalWidth * keyAccidentalCount(key); }

// Width of the key-change bitmap of a key: the accidentals alone; key 0's is the bare clef.
constexpr int keyChangeWidth(int key) {
    return validKey(key) == 0 ? kClefWidth : kKeyAccidentalWidth * keyAccidentalCount(key);
}

// Vertical.
inline constexpr int kSingleStaffHeight = 102;
inline constexpr int kGrandStaffHeight = 153;
inline constexpr int kFinalGrandStaffHeight = 139;  // also the band of a grand staff in hit-testing
inline constexpr int kCaretHeight = 80;

inline constexpr int kLowestPlacedKey = 24;  // C1, step 0; lower keys are placed here
inline constexpr int kStepPixels = 3;
inline constexpr int kStepZeroY = 134;       // y of step 0 on a treble or grand staff
inline constexpr int kMiddleCStep = 21;
inline constexpr int kMiddleCY = 71;
inline constexpr int kBassOnlyShift = 48;    // a bass-only line is drawn this much higher

inline constexpr std::array<int, 5> kTrebleStaffLines = {41, 47, 53, 59, 65};     // F5 .. E4
inline constexpr std::array<int, 5> kGrandBassStaffLines = {77, 83, 89, 95, 101}; // A3 .. G2
inline constexpr std::array<int, 5> kBassOnlyStaffLines = {29, 35, 41, 47, 53};

inline constexpr int kStemDownStep = 27;      // B4, the treble staff's middle line
inline constexpr int kBassStemDownAbove = 14; // on a bass-only line stems turn down above C3

// The shift of every y on a line of this kind: a bass-only line sits kBassOnlyShift higher.
constexpr int staffShift(StaffKind kind) { return kind == StaffKind::Bass ? -kBassOnlyShift : 0; }

// y of a diatonic step (0 = C1) relative to the line's top.
constexpr int stepY(int step, StaffKind kind) { return kStepZeroY - kStepPixels * step + staffShift(kind); }

constexpr bool stemDown(int step, StaffKind kind) {
    return step >= kStemDownStep || (kind == StaffKind::Bass && step > kBassStemDownAbove);
}

}  // namespace plume
