#include "score/glyphs.h"

#include <algorithm>
#include <string_view>

#include "score/pitch_spelling.h"

namespace plume {

namespace {

using Art = std::span<const std::string_view>;

// Pixel art is checked for straight edges at compile time.
template <std::size_t N>
constexpr bool rectangular(const std::string_view (&rows)[N], std::size_t width) {
    for (std::string_view row : rows) {
        if (row.size() != width) return false;
    }
    return true;
}

// ---- Note heads (5 rows; column 4 is the right edge of the filled and hollow heads, column 0 their left) ----

constexpr std::string_view kFilledHeadArt[] = {
    "..###",
    ".####",
    "#####",
    "####.",
    "###..",
};
constexpr std::string_view kHollowHeadArt[] = {
    "..###",
    ".#..#",
    "#...#",
    "#..#.",
    "###..",
};
constexpr std::string_view kWholeHeadArt[] = {
    ".####.",
    "##..##",
    "##..##",
    "##..##",
    ".####.",
};
static_assert(rectangular(kFilledHeadArt, 5) && rectangular(kHollowHeadArt, 5) && rectangular(kWholeHeadArt, 6));

// A flag hanging from the top of an up stem, from the column right of it; flipped for down stems.
constexpr std::string_view kFlagArt[] = {
    "#....",
    "##...",
    ".##..",
    "..##.",
    "...#.",
    "...#.",
    "..#..",
};
static_assert(rectangular(kFlagArt, 5));
constexpr int kFlagSpacing = 4;

// ---- Rests: row 0 on the staff's top line, lines every 6 rows ----

constexpr std::string_view kWholeRestArt[] = {
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    ".#######..",  // hangs from the second line
    ".#######..",
    ".#######..",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
};
constexpr std::string_view kHalfRestArt[] = {
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    ".#######..",
    ".#######..",
    ".#######..",  // sits on the middle line
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
};
constexpr std::string_view kQuarterRestArt[] = {
    "..........",
    "..........",
    "..........",
    "...#......",
    "...##.....",
    "....##....",
    "....###...",
    ".....###..",
    "....###...",
    "...###....",
    "...##.....",
    "....##....",
    ".....##...",
    "....####..",
    "...###....",
    "..##......",
    "..##......",
    "...##.....",
    "....##....",
    "....#.....",
    "..........",
    "..........",
    "..........",
    "..........",
};
constexpr std::string_view kEighthRestArt[] = {
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    ".##.......",
    "####...##.",
    "####..##..",
    ".######...",
    "......#...",
    ".....##...",
    ".....#....",
    "....##....",
    "....#.....",
    "...##.....",
    "...#......",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
};
constexpr std::string_view kSixteenthRestArt[] = {
    "..........",
    "..........",
    "..........",
    "..........",
    "..........",
    "..##......",
    ".####..##.",
    ".####.##..",
    "..######..",
    ".##...#...",
    "####.##...",
    "####.#....",
    ".#####....",
    "....#.....",
    "...##.....",
    "...#......",
    "..##......",
    "..#.......",
    ".##.......",
    ".#........",
    "..........",
    "..........",
    "..........",
    "..........",
};
constexpr std::string_view kThirtySecondRestArt[] = {
    "..........",
    "..##......",
    ".####..##.",
    ".####.##..",
    "..######..",
    ".##...#...",
    "####.##...",
    "####.#....",
    ".#####....",
    ".##.##....",
    "####.#....",
    "#####.....",
    ".####.....",
    "...##.....",
    "...#......",
    "..##......",
    "..#.......",
    ".##.......",
    ".#........",
    "##........",
    "#.........",
    "..........",
    "..........",
    "..........",
};
static_assert(rectangular(kWholeRestArt, 10) && rectangular(kHalfRestArt, 10) &&
              rectangular(kQuarterRestArt, 10) && rectangular(kEighthRestArt, 10) &&
              rectangular(kSixteenthRestArt, 10) && rectangular(kThirtySecondRestArt, 10));
static_assert(std::size(kWholeRestArt) == 24 && std::size(kHalfRestArt) == 24 && std::size(kQuarterRestArt) == 24 &&
              std::size(kEighthRestArt) == 24 && std::size(kSixteenthRestArt) == 24 &&
              std::size(kThirtySecondRestArt) == 24);

// ---- Accidentals: row 9 on the note's y ----

constexpr std::string_view kSharpArt[] = {
    "......",
    "......",
    "......",
    ".#..#.",
    ".#..#.",
    ".#..#.",
    ".#..##",
    ".####.",
    "##..#.",
    ".#..#.",
    ".#..##",
    ".####.",
    "##..#.",
    ".#..#.",
    ".#..#.",
    ".#..#.",
    "......",
    "......",
    "......",
};
constexpr std::string_view kFlatArt[] = {
    ".#....",
    ".#....",
    ".#....",
    ".#....",
    ".#....",
    ".#....",
    ".#....",
    ".#.##.",
    ".##..#",
    ".#...#",
    ".#..#.",
    ".#.#..",
    ".##...",
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
};
constexpr std::string_view kNaturalArt[] = {
    "......",
    "......",
    "......",
    ".#....",
    ".#....",
    ".#....",
    ".#..#.",
    ".####.",
    ".#..#.",
    ".#..#.",
    ".#..#.",
    ".####.",
    ".#..#.",
    "....#.",
    "....#.",
    "....#.",
    "......",
    "......",
    "......",
};
constexpr std::string_view kDoubleSharpArt[] = {
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
    "##..##",
    ".#..#.",
    "..##..",
    ".#..#.",
    "##..##",
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
};
constexpr std::string_view kDoubleFlatArt[] = {
    "#..#..",
    "#..#..",
    "#..#..",
    "#..#..",
    "#..#..",
    "#..#..",
    "#..#..",
    "##.##.",
    "#.##.#",
    "#.##.#",
    "#.##.#",
    "##.##.",
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
    "......",
};
static_assert(rectangular(kSharpArt, 6) && rectangular(kFlatArt, 6) && rectangular(kNaturalArt, 6) &&
              rectangular(kDoubleSharpArt, 6) && rectangular(kDoubleFlatArt, 6));
static_assert(std::size(kSharpArt) == 19 && std::size(kFlatArt) == 19 && std::size(kNaturalArt) == 19 &&
              std::size(kDoubleSharpArt) == 19 && std::size(kDoubleFlatArt) == 19);

// ---- Clefs: the treble clef's G line (row 30) runs through its spiral; the bass clef's head and
// dots sit on its F line (row 10). ----

constexpr std::string_view kTrebleClefArt[] = {
    "..................",
    "..........##......",
    ".........#..#.....",
    ".........#..#.....",
    ".........#..#.....",
    ".........#..#.....",
    ".........#.##.....",
    ".........#.#......",
    ".........###......",
    ".........##.......",
    "........###.......",
    ".......####.......",
    "......##.#........",
    ".....##..#........",
    "....##...#........",
    "...##....#........",
    "..##.....#........",
    "..#......#........",
    ".##......#........",
    ".#.......#........",
    "##.......#........",
    "##.......#........",
    "##.....######.....",
    "##....##.#...##...",
    "##...##..#....##..",
    "##...#...#.....#..",
    "##...#...#.....##.",
    "##...#...#.....##.",
    ".##...#..#.....##.",
    ".##....###.....##.",
    "..##.....#.....#..",
    "...##....#....##..",
    "....###..#..###...",
    "......#######.....",
    ".........#........",
    ".........#........",
    ".........#........",
    ".........#........",
    ".........#........",
    ".........#........",
    "...###...#........",
    "..#####..#........",
    "..#####..#........",
    "..#####.##........",
    "...##..##.........",
    "....###...........",
    "..................",
    "..................",
};
constexpr std::string_view kBassClefArt[] = {
    "..................",
    "..................",
    "..................",
    "..................",
    "....######........",
    "..##......##......",
    ".#.........##.....",
    ".#..........##..##",
    "###.........##..##",
    "####........##....",
    "####........##....",
    ".##.........##....",
    "............##..##",
    "...........##...##",
    "...........##.....",
    "..........##......",
    ".........##.......",
    "........##........",
    ".......##.........",
    "......##..........",
    ".....##...........",
    "...##.............",
    ".##...............",
    "#.................",
    "..................",
    "..................",
    "..................",
    "..................",
    "..................",
    "..................",
    "..................",
    "..................",
    "..................",
    "..................",
};
static_assert(rectangular(kTrebleClefArt, 18) && std::size(kTrebleClefArt) == glyph::kTrebleClefHeight);
static_assert(rectangular(kBassClefArt, 18) && std::size(kBassClefArt) == glyph::kBassClefHeight);
constexpr int kClefArtX = 2;

// Steps of a key signature's sharps and flats, in the order they enter, on each staff.
constexpr std::array<int, 7> kTrebleSharpSteps = {31, 28, 32, 29, 26, 30, 27};  // F C G D A E B
constexpr std::array<int, 7> kTrebleFlatSteps = {27, 30, 26, 29, 25, 28, 24};   // B E A D G C F
constexpr std::array<int, 7> kBassSharpSteps = {17, 14, 18, 15, 12, 16, 13};
constexpr std::array<int, 7> kBassFlatSteps = {13, 16, 12, 15, 11, 14, 10};

// ---- Digits ----

constexpr std::string_view kTimeDigitArt[10][11] = {
    {".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##",
     "##...##", ".#####."},
    {"...##..", "..###..", ".####..", "...##..", "...##..", "...##..", "...##..", "...##..", "...##..",
     "...##..", ".######"},
    {".#####.", "##...##", ".....##", ".....##", "....##.", "...##..", "..##...", ".##....", "##.....",
     "##.....", "#######"},
    {".#####.", "##...##", ".....##", ".....##", "..####.", ".....##", ".....##", ".....##", ".....##",
     "##...##", ".#####."},
    {"....##.", "...###.", "..####.", ".##.##.", "##..##.", "##..##.", "#######", "....##.", "....##.",
     "....##.", "....##."},
    {"#######", "##.....", "##.....", "##.....", "######.", ".....##", ".....##", ".....##", ".....##",
     "##...##", ".#####."},
    {"..####.", ".##....", "##.....", "##.....", "######.", "##...##", "##...##", "##...##", "##...##",
     "##...##", ".#####."},
    {"#######", ".....##", ".....##", "....##.", "....##.", "...##..", "...##..", "..##...", "..##...",
     "..##...", "..##..."},
    {".#####.", "##...##", "##...##", "##...##", ".#####.", "##...##", "##...##", "##...##", "##...##",
     "##...##", ".#####."},
    {".#####.", "##...##", "##...##", "##...##", "##...##", ".######", ".....##", ".....##", ".....##",
     "....##.", ".####.."},
};
static_assert([] {
    for (const auto& digit : kTimeDigitArt)
        if (!rectangular(digit, std::size_t(glyph::kTimeDigitWidth))) return false;
    return true;
}());

constexpr std::string_view kTupletDigitArt[5][9] = {
    {".###.", "#...#", "....#", "....#", "..##.", "....#", "....#", "#...#", ".###."},  // 3
    {"...#.", "..##.", ".#.#.", "#..#.", "#..#.", "#####", "...#.", "...#.", "...#."},  // 4
    {"#####", "#....", "#....", "####.", "....#", "....#", "....#", "#...#", ".###."},  // 5
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", "#...#", "#...#", ".###."},  // 6
    {"#####", "....#", "...#.", "...#.", "..#..", "..#..", ".#...", ".#...", ".#..."},  // 7
};
static_assert([] {
    for (const auto& digit : kTupletDigitArt)
        if (!rectangular(digit, std::size_t(glyph::kTupletDigitWidth))) return false;
    return true;
}());

// ---- Bar lines and marks (21 x 61, row 0 on the top staff line) ----

// Left half: an effect value; right half: an effect curve.
constexpr std::string_view kEffectMarkerArt[] = {
    "rrrrrrrrrr.....bb....bb.",
    ".rrrrrrrr.....b..b..b..b",
    "..rrrrrr.....b....bb....",
    "...rrrr.....b...........",
    "....rr..................",
};
static_assert(rectangular(kEffectMarkerArt, glyph::kMarkerWidth) && std::size(kEffectMarkerArt) == glyph::kMarkerHeight);

// A return arrow beside the bar of a line break.
constexpr std::string_view kReturnArrowArt[] = {
    ".......#",
    ".......#",
    "...#...#",
    "..##...#",
    ".#######",
    "..##....",
    "...#....",
};
static_assert(rectangular(kReturnArrowArt, 8));

// ---- Building ----

std::uint8_t inkOf(char c) {
    switch (c) {
    case '#': return ink::kBlack;
    case 'r': return ink::kRed;
    case 'b': return ink::kBlue;
    default: return ink::kPaper;
    }
}

Glyph blank(int id, int width, int height) {
    Glyph g;
    g.id = id;
    g.width = width;
    g.height = height;
    g.pixels.assign(std::size_t(width * height), ink::kPaper);
    return g;
}

void setInk(Glyph& g, int x, int y, std::uint8_t value) {
    if (x < 0 || y < 0 || x >= g.width || y >= g.height || value == ink::kPaper) return;
    g.pixels[std::size_t(y * g.width + x)] = value;
    if (value != ink::kBlack) g.monochrome = false;
}

// Copies the ink of `art` onto `g` with the art's top-left at (x, y); ink outside `g` is dropped.
void stamp(Glyph& g, Art art, int x, int y, bool flipVertically = false) {
    const int rows = int(art.size());
    for (int r = 0; r < rows; ++r) {
        const std::string_view row = art[std::size_t(flipVertically ? rows - 1 - r : r)];
        for (int c = 0; c < int(row.size()); ++c) setInk(g, x + c, y + r, inkOf(row[std::size_t(c)]));
    }
}

void stampGlyph(Glyph& g, const Glyph& part, int x, int y) {
    for (int r = 0; r < part.height; ++r)
        for (int c = 0; c < part.width; ++c) setInk(g, x + c, y + r, part.at(c, r));
}

void verticalLine(Glyph& g, int x, int fromRow, int toRow) {
    for (int r = fromRow; r <= toRow; ++r) setInk(g, x, r, ink::kBlack);
}

Glyph fromArt(int id, Art art) {
    Glyph g = blank(id, int(art[0].size()), int(art.size()));
    stamp(g, art, 0, 0);
    return g;
}

// Note types 1..6 (whole..32nd): head art and number of flags.
Art headArt(int type) {
    if (type == type::kWhole) return kWholeHeadArt;
    if (type == 2) return kHollowHeadArt;
    return kFilledHeadArt;
}
int flagCount(int type) { return std::max(0, type - 3); }

Glyph noteGlyph(int type, bool stemDown) {
    const std::size_t index = std::size_t(type - 1);
    if (!stemDown) {
        Glyph g = blank(glyph_id::kNoteUp[index], glyph::kNoteWidth, glyph::kNoteHeight);
        const int headTop = glyph::kStemUpHeadCentre - glyph::kHeadHeight / 2;
        stamp(g, headArt(type), 0, headTop);
        if (type == type::kWhole) return g;
        verticalLine(g, glyph::kStemUpColumn, 0, headTop);
        for (int f = 0; f < flagCount(type); ++f) stamp(g, kFlagArt, glyph::kStemUpColumn + 1, f * kFlagSpacing);
        return g;
    }
    const int width = type == type::kWhole ? glyph::kWholeDownWidth : glyph::kNoteWidth;
    Glyph g = blank(glyph_id::kNoteDown[index], width, glyph::kNoteHeight);
    stamp(g, headArt(type), 0, glyph::kStemDownHeadCentre - glyph::kHeadHeight / 2);
    if (type == type::kWhole) return g;
    verticalLine(g, glyph::kStemDownColumn, glyph::kStemDownHeadCentre, glyph::kNoteHeight - 1);
    const int flagRows = int(std::size(kFlagArt));
    for (int f = 0; f < flagCount(type); ++f)
        stamp(g, kFlagArt, glyph::kStemDownColumn + 1, glyph::kNoteHeight - flagRows - f * kFlagSpacing, true);
    return g;
}

Glyph chordHeadGlyph(int id, Art art, bool shifted) {
    Glyph g = blank(id, glyph::kChordHeadWidth, glyph::kHeadHeight);
    stamp(g, art, shifted ? glyph::kChordHeadShift : 0, 0);
    return g;
}

Glyph barGlyph(int id) {
    Glyph g = blank(id, glyph::kBarWidth, glyph::kBarHeight);
    verticalLine(g, glyph::kBarWidth / 2, 0, glyph::kBarHeight - 1);
    return g;
}

Glyph lineBreakGlyph() {
    Glyph g = barGlyph(glyph_id::kLineBreak);
    stamp(g, kReturnArrowArt, glyph::kBarWidth / 2 + 2, 1);
    return g;
}

Glyph endOfSongGlyph() {
    Glyph g = blank(glyph_id::kEndOfSong, glyph::kBarWidth, glyph::kBarHeight);
    verticalLine(g, 8, 0, glyph::kBarHeight - 1);
    for (int x = 11; x <= 13; ++x) verticalLine(g, x, 0, glyph::kBarHeight - 1);
    return g;
}

// Row of a step inside a clef bitmap placed at its usual height on the line.
int clefRow(Clef clef, int step) {
    return stepY(step, StaffKind::Grand) - (clef == Clef::Treble ? glyph::kTrebleClefY : glyph::kGrandBassClefY);
}

int clefHeight(Clef clef, int key) {
    if (clef == Clef::Treble) return glyph::kTrebleClefHeight;
    return validKey(key) > 7 ? glyph::kBassFlatClefHeight : glyph::kBassClefHeight;
}

const std::array<int, 7>& signatureSteps(Clef clef, int key) {
    if (clef == Clef::Treble) return key <= 7 ? kTrebleSharpSteps : kTrebleFlatSteps;
    return key <= 7 ? kBassSharpSteps : kBassFlatSteps;
}

// One accidental per column of kKeyAccidentalWidth, from column `x`, at the key's steps.
void stampSignature(Glyph& g, Clef clef, int key, int x, const Glyph& mark) {
    const auto& steps = signatureSteps(clef, key);
    for (int i = 0; i < keyAccidentalCount(key); ++i) {
        const int row = clefRow(clef, steps[std::size_t(i)]) - glyph::kAccidentalCentre;
        stampGlyph(g, mark, x + i * kKeyAccidentalWidth, row);
    }
}

Art clefArt(Clef clef) { return clef == Clef::Treble ? Art(kTrebleClefArt) : Art(kBassClefArt); }

Glyph caretGlyph(int id, int width) {
    Glyph g = blank(id, width, glyph::kCaretHeight);
    for (int x = 0; x < width; ++x) verticalLine(g, x, 0, glyph::kCaretHeight - 1);
    return g;
}

}  // namespace

std::size_t GlyphSet::add(Glyph glyph) {
    m_glyphs.push_back(std::move(glyph));
    return m_glyphs.size() - 1;
}

GlyphSet::GlyphSet() {
    for (int type = 1; type <= 6; ++type) {
        m_noteUp[std::size_t(type - 1)] = add(noteGlyph(type, false));
        m_noteDown[std::size_t(type - 1)] = add(noteGlyph(type, true));
    }
    const std::array<Art, 6> rests = {kWholeRestArt,   kHalfRestArt,      kQuarterRestArt,
                                      kEighthRestArt,  kSixteenthRestArt, kThirtySecondRestArt};
    for (std::size_t i = 0; i < rests.size(); ++i) m_rest[i] = add(fromArt(glyph_id::kRest[i], rests[i]));

    const std::array<Art, 6> accidentals = {Art{}, kSharpArt, kFlatArt, kNaturalArt, kDoubleSharpArt, kDoubleFlatArt};
    for (std::size_t code = 1; code < accidentals.size(); ++code)
        m_accidental[code] = add(fromArt(glyph_id::kAccidental[code], accidentals[code]));
    m_accidental[0] = m_accidental[accidental::kNatural];

    Glyph dot = blank(glyph_id::kDot, glyph::kDotWidth, glyph::kDotHeight);
    Glyph doubleDot = blank(glyph_id::kDoubleDot, glyph::kDotWidth, glyph::kDotHeight);
    for (int x : {0, 1}) {
        verticalLine(dot, x, 0, 1);
        verticalLine(doubleDot, x, 0, 1);
        verticalLine(doubleDot, x + 3, 0, 1);
    }
    m_dot = add(std::move(dot));
    m_doubleDot = add(std::move(doubleDot));

    m_chordHead = {add(chordHeadGlyph(glyph_id::kFilledHead, kFilledHeadArt, false)),
                   add(chordHeadGlyph(glyph_id::kFilledHeadShifted, kFilledHeadArt, true)),
                   add(chordHeadGlyph(glyph_id::kHollowHead, kHollowHeadArt, false)),
                   add(chordHeadGlyph(glyph_id::kHollowHeadShifted, kHollowHeadArt, true)),
                   add(chordHeadGlyph(glyph_id::kWholeHead, kWholeHeadArt, false)),
                   add(chordHeadGlyph(glyph_id::kWholeHeadShifted, kWholeHeadArt, true))};

    m_barLine = add(barGlyph(glyph_id::kBarLine));
    m_lineBreak = add(lineBreakGlyph());
    m_endOfSong = add(endOfSongGlyph());
    m_effectMarker = add(fromArt(glyph_id::kEffectMarker, kEffectMarkerArt));

    for (Clef clef : {Clef::Treble, Clef::Bass}) {
        const std::size_t c = clef == Clef::Treble ? 0 : 1;
        const auto& clefIds = clef == Clef::Treble ? glyph_id::kTrebleClefKey : glyph_id::kBassClefKey;
        const auto& changeIds = clef == Clef::Treble ? glyph_id::kTrebleKeyChange : glyph_id::kBassKeyChange;
        const int cancel0 = clef == Clef::Treble ? glyph_id::kTrebleCancel0 : glyph_id::kBassCancel0;
        for (int key = 0; key < kKeyCount; ++key) {
            const std::size_t k = std::size_t(key);
            // Copies: adding glyphs moves the others.
            const Glyph mark = m_glyphs[m_accidental[std::size_t(key <= 7 ? accidental::kSharp : accidental::kFlat)]];
            const Glyph natural = m_glyphs[m_accidental[accidental::kNatural]];
            Glyph withClef = blank(clefIds[k], clefKeyWidth(key), clefHeight(clef, key));
            stamp(withClef, clefArt(clef), kClefArtX, 0);
            stampSignature(withClef, clef, key, kClefWidth, mark);
            m_clefKey[c][k] = add(std::move(withClef));
            if (key == 0) {
                m_keyChange[c][0] = m_clefKey[c][0];
                m_keyCancel[c][0] = m_clefKey[c][0];
                continue;
            }
            Glyph change = blank(changeIds[k], keyChangeWidth(key), clefHeight(clef, key));
            stampSignature(change, clef, key, 0, mark);
            m_keyChange[c][k] = add(std::move(change));
            Glyph cancel = blank(cancel0 + key, keyChangeWidth(key), clefHeight(clef, key));
            stampSignature(cancel, clef, key, 0, natural);
            m_keyCancel[c][k] = add(std::move(cancel));
        }
    }

    for (int d = 0; d < 10; ++d) m_timeDigit[std::size_t(d)] = add(fromArt(glyph_id::kTimeDigit0 + d, kTimeDigitArt[d]));
    for (int n = 3; n <= 7; ++n)
        m_tupletDigit[std::size_t(n - 3)] = add(fromArt(glyph_id::kTupletDigit0 + n, kTupletDigitArt[n - 3]));
    m_insertCaret = add(caretGlyph(glyph_id::kInsertCaret, glyph::kInsertCaretWidth));
    m_overwriteCaret = add(caretGlyph(glyph_id::kOverwriteCaret, glyph::kOverwriteCaretWidth));
}

const Glyph& GlyphSet::note(int type, bool stemDown) const {
    const std::size_t i = std::size_t(std::clamp(type, 1, 6) - 1);
    return m_glyphs[stemDown ? m_noteDown[i] : m_noteUp[i]];
}

const Glyph& GlyphSet::rest(int type) const {
    return m_glyphs[m_rest[std::size_t(std::clamp(type, int(type::kWholeRest), int(type::k32ndRest)) - type::kWholeRest)]];
}

const Glyph& GlyphSet::accidental(int code) const {
    return m_glyphs[m_accidental[std::size_t(std::clamp(code, 0, accidental::kDoubleFlat))]];
}

const Glyph& GlyphSet::dots(std::uint8_t dotBits) const {
    return m_glyphs[dotBits == mark::kDoubleDotted ? m_doubleDot : m_dot];
}

const Glyph& GlyphSet::chordHead(int type, bool shifted) const {
    const std::size_t kind = type == type::kWhole ? 4 : type == 2 ? 2 : 0;
    return m_glyphs[m_chordHead[kind + (shifted ? 1 : 0)]];
}

const Glyph& GlyphSet::clefKey(Clef clef, int key) const {
    return m_glyphs[m_clefKey[clef == Clef::Treble ? 0 : 1][std::size_t(validKey(key))]];
}

const Glyph& GlyphSet::keyChange(Clef clef, int key) const {
    return m_glyphs[m_keyChange[clef == Clef::Treble ? 0 : 1][std::size_t(validKey(key))]];
}

const Glyph& GlyphSet::keyCancel(Clef clef, int oldKey) const {
    return m_glyphs[m_keyCancel[clef == Clef::Treble ? 0 : 1][std::size_t(validKey(oldKey))]];
}

const Glyph& GlyphSet::timeDigit(int digit) const { return m_glyphs[m_timeDigit[std::size_t(std::clamp(digit, 0, 9))]]; }

const Glyph* GlyphSet::tupletDigit(int number) const {
    if (number < 3 || number > 7) return nullptr;
    return &m_glyphs[m_tupletDigit[std::size_t(number - 3)]];
}

const Glyph& GlyphSet::caret(bool insert) const { return m_glyphs[insert ? m_insertCaret : m_overwriteCaret]; }

const Glyph* GlyphSet::find(int id) const {
    const auto it = std::find_if(m_glyphs.begin(), m_glyphs.end(), [id](const Glyph& g) { return g.id == id; });
    return it == m_glyphs.end() ? nullptr : &*it;
}

}  // namespace plume
