#pragma once
// The score's glyphs: small images of fixed sizes whose anchor rows and columns the drawing relies
// on. Built once from pixel art in the source and shared by every view and by printing.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "score/canvas.h"
#include "score/score_geometry.h"

namespace plume {

// Palette of glyph pixels: kPaper is transparent under the source-AND-destination blit.
namespace ink {
inline constexpr std::uint8_t kPaper = 0;  // '.' in the pixel art
inline constexpr std::uint8_t kBlack = 1;  // '#'
inline constexpr std::uint8_t kRed = 2;    // 'r'
inline constexpr std::uint8_t kBlue = 3;   // 'b'
inline constexpr std::array<Rgb, 4> kColours = {kWhite, plume::kBlack, Rgb{192, 0, 0}, Rgb{0, 0, 192}};
}  // namespace ink

struct Glyph {
    int id = 0;  // the bitmap number that tells glyphs apart
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // ink:: values, row by row
    bool monochrome = true;            // only paper and black

    std::uint8_t at(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
    bool isInk(int x, int y) const { return at(x, y) != ink::kPaper; }
    Rgb colourAt(int x, int y) const { return ink::kColours[at(x, y)]; }
    Rect bounds() const { return {0, 0, width, height}; }
};

// Sizes and anchors. Rows and columns are glyph coordinates.
namespace glyph {
// Notes: a head of kHeadHeight rows; its centre row lies on the step's y.
inline constexpr int kNoteWidth = 10;
inline constexpr int kNoteHeight = 24;
inline constexpr int kWholeDownWidth = 16;
inline constexpr int kHeadHeight = 5;
inline constexpr int kStemUpHeadCentre = 21;   // stem-up: head in rows 19..23, stem end at row 0
inline constexpr int kStemDownHeadCentre = 2;  // stem-down: head in rows 0..4, stem end at the last row
inline constexpr int kStemUpColumn = 4;        // the stem of a stem-up glyph and of every chord
inline constexpr int kStemDownColumn = 0;      // the stem of a stem-down glyph, left of its head
inline constexpr int kChordHeadWidth = 10;
inline constexpr int kChordHeadShift = 4;      // a shifted head starts on the stem column
inline constexpr int kRestWidth = 10;
inline constexpr int kRestHeight = 24;         // row 0 on the staff's top line
inline constexpr int kAccidentalWidth = 6;
inline constexpr int kAccidentalHeight = 19;
inline constexpr int kAccidentalCentre = 9;    // row on the note's y
inline constexpr int kDotWidth = 5;
inline constexpr int kDotHeight = 2;
inline constexpr int kBarWidth = 21;
inline constexpr int kBarHeight = 61;          // a grand staff from its top line to its bottom line
inline constexpr int kBarSingleHeight = 24;    // the part drawn on a single staff
inline constexpr int kMarkerWidth = 24;
inline constexpr int kMarkerHeight = 5;
inline constexpr int kTrebleClefHeight = 48;
inline constexpr int kBassClefHeight = 34;
inline constexpr int kBassFlatClefHeight = 35; // flats reach one row lower
inline constexpr int kTrebleClefY = 29;        // top of a treble bitmap below the line's top
inline constexpr int kGrandBassClefY = 73;     // top of a bass bitmap on a grand staff (less 48 on a bass-only line)
inline constexpr int kTimeDigitWidth = 7;
inline constexpr int kTimeDigitHeight = 11;
inline constexpr int kTupletDigitWidth = 5;
inline constexpr int kTupletDigitHeight = 9;
inline constexpr int kCaretHeight = 80;
inline constexpr int kInsertCaretWidth = 1;
inline constexpr int kOverwriteCaretWidth = 2;
}  // namespace glyph

// Bitmap numbers. Glyphs without a number of their own take one from 2000 up.
namespace glyph_id {
inline constexpr std::array<int, 6> kNoteUp = {1001, 1006, 1002, 1005, 1004, 1003};   // whole..32nd
inline constexpr std::array<int, 6> kNoteDown = {1180, 1175, 1176, 1177, 1178, 1179};
inline constexpr std::array<int, 6> kRest = {1190, 1189, 1188, 1187, 1186, 1185};
inline constexpr std::array<int, 6> kAccidental = {0, 1007, 1000, 1225, 481, 480};   // by accidental code
inline constexpr int kDot = 1182;
inline constexpr int kDoubleDot = 1181;
inline constexpr int kBarLine = 1232;
inline constexpr int kLineBreak = 1233;
inline constexpr int kEndOfSong = 1250;
inline constexpr int kEffectMarker = 474;
inline constexpr int kFilledHead = 1283;
inline constexpr int kFilledHeadShifted = 1286;
inline constexpr int kHollowHead = 1287;
inline constexpr int kHollowHeadShifted = 1288;
inline constexpr int kWholeHead = 1291;
inline constexpr int kWholeHeadShifted = 1292;
inline constexpr std::array<int, 15> kTrebleClefKey = {1009, 1154, 1153, 1152, 1151, 1150, 1149, 1148,
                                                       1161, 1160, 1159, 1158, 1157, 1156, 1155};
inline constexpr std::array<int, 15> kBassClefKey = {1242, 1241, 1240, 1239, 1238, 1237, 1236, 1235,
                                                     1249, 1248, 1247, 1246, 1245, 1244, 1243};
inline constexpr std::array<int, 15> kTrebleKeyChange = {1009, 485, 489, 486, 488, 487, 490, 491,
                                                         512, 509, 507, 506, 510, 508, 511};
inline constexpr std::array<int, 15> kBassKeyChange = {1242, 498, 496, 495, 494, 497, 493, 492,
                                                       513, 528, 522, 527, 529, 521, 519};
inline constexpr int kInsertCaret = 1228;
inline constexpr int kOverwriteCaret = 549;
inline constexpr int kTimeDigit0 = 2000;       // + digit
inline constexpr int kTupletDigit0 = 2100;     // + tuplet number 3..7
inline constexpr int kTrebleCancel0 = 2200;    // + old key: naturals of a change to key 0
inline constexpr int kBassCancel0 = 2300;
}  // namespace glyph_id

enum class Clef { Treble, Bass };

// Every glyph of the score, built from the pixel art at construction: make one and share it.
class GlyphSet {
public:
    GlyphSet();

    const Glyph& note(int type, bool stemDown) const;   // note types 1..6
    const Glyph& rest(int type) const;                  // rest types 7..12
    const Glyph& accidental(int code) const;            // accidental:: codes 1..5
    const Glyph& dots(std::uint8_t dotBits) const;      // mark::kDotted or mark::kDoubleDotted
    const Glyph& chordHead(int type, bool shifted) const;
    const Glyph& barLine() const { return m_glyphs[m_barLine]; }
    const Glyph& lineBreak() const { return m_glyphs[m_lineBreak]; }
    const Glyph& endOfSong() const { return m_glyphs[m_endOfSong]; }
    const Glyph& effectMarker() const { return m_glyphs[m_effectMarker]; }
    // Clef, then the key's sharps or flats, kClefWidth + kKeyAccidentalWidth per accidental wide.
    const Glyph& clefKey(Clef clef, int key) const;
    // The new key's accidentals alone; key 0 gives the bare clef.
    const Glyph& keyChange(Clef clef, int key) const;
    // A change to key 0: a natural where each accidental of the old key stood.
    const Glyph& keyCancel(Clef clef, int oldKey) const;
    const Glyph& timeDigit(int digit) const;
    const Glyph* tupletDigit(int number) const;         // numbers 3..7, else none
    const Glyph& caret(bool insert) const;

    std::span<const Glyph> all() const { return m_glyphs; }
    const Glyph* find(int id) const;

private:
    std::size_t add(Glyph glyph);

    std::vector<Glyph> m_glyphs;
    std::array<std::size_t, 6> m_noteUp{}, m_noteDown{}, m_rest{}, m_accidental{};
    std::array<std::size_t, 6> m_chordHead{};  // filled, filled shifted, hollow, hollow shifted, whole, whole shifted
    std::size_t m_dot = 0, m_doubleDot = 0, m_barLine = 0, m_lineBreak = 0, m_endOfSong = 0, m_effectMarker = 0;
    std::array<std::array<std::size_t, kKeyCount>, 2> m_clefKey{}, m_keyChange{}, m_keyCancel{};
    std::array<std::size_t, 10> m_timeDigit{};
    std::array<std::size_t, 5> m_tupletDigit{};
    std::size_t m_insertCaret = 0, m_overwriteCaret = 0;
};

}  // namespace plume
