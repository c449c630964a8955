#pragma once
// The effect-edit display: the song's groups in one horizontal row from x = 88, each as wide as its
// duration at the zoom setting, with one row per effect below a strip that carries the effect-edit
// cursor. Drawn through Canvas like the score; the widget only forwards clicks and keys.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "score/canvas.h"
#include "song/song_record.h"

namespace plume {

class CPlmDoc;
class ScoreView;

inline constexpr int kEffectAreaLeft = 88;
inline constexpr int kEffectHeaderHeight = 32;  // the strip above the rows
inline constexpr int kEffectRowHeight = 20;
inline constexpr int kEffectMarkWidth = 8;  // bar lines, line breaks and meta records
inline constexpr int kEffectZoomCount = 4;
inline constexpr int kEffectLabelPixels = 10;  // the labels' font, so that they fit left of x = 88

struct EffectRow {
    const char* label;
    std::uint8_t number;  // effect number; 8 and 9 are the notes' gate and velocity
};
inline constexpr std::array<EffectRow, 11> kEffectRows = {{
    {"ボリューム", 0}, {"パンポット", 1}, {"モジュレーション", 2}, {"ホールド", 3}, {"リバーブ", 4},
    {"コーラス", 5}, {"ピッチベンド", 6}, {"テンポ", 7}, {"ゲートタイム", 8}, {"ベロシティー", 9},
    {"プログラム", 10},
}};
inline constexpr int kEffectDisplayHeight = kEffectHeaderHeight + int(kEffectRows.size()) * kEffectRowHeight;

// Pixels per unit (a 32nd note) at zoom 0..3: 28, 14, 7, 4.
int effectUnitPixels(int zoom);

// One laid-out group; spacers get none.
struct EffectItem {
    std::size_t group = 0;
    int x = 0;  // left edge, before scrolling
    int width = 0;
};
// Whole 32 units down to the 32nd's 1, dots x 150 / 100 and x 175 / 100, a tuplet's span shared
// among its members with the remainder to its first note; marks kEffectMarkWidth.
std::vector<EffectItem> effectLayout(Records records, int zoom);
// x just after the last item.
int effectLayoutEnd(const std::vector<EffectItem>& items);

// What a click means. `cursor` counts items: 0 before the first, items.size() after the last.
struct EffectHit {
    enum class Kind { None, Cursor, Value };
    Kind kind = Kind::None;
    int cursor = 0;
    std::size_t group = 0;
    std::uint8_t number = 0;
    int value = 0;
};
// Left of x = 88 or below the rows: nothing; in the strip: the cursor on the item under the point
// (its left half) or after it (its right half); in a row: that row's value at that item, the row's
// top being the maximum and its bottom the minimum.
EffectHit effectHit(const std::vector<EffectItem>& items, int scroll, int x, int y);

// The value shown in a row for a group (a curve shows its value at its own start); false for none.
bool effectRowValue(Records records, std::size_t group, std::uint8_t number, int& value);

struct EffectPaintState {
    int scroll = 0;  // pixels the row is scrolled to the left
    int width = 800;
    int cursor = 0;
    bool showCursor = true;
};
void paintEffectDisplay(Canvas& canvas, Records records, const std::vector<EffectItem>& items,
                        const EffectPaintState& state);

// Editing from the display: each takes its snapshot first and lays the view out again.
// A clicked value: snapshot kind 8, then the effect (or the notes' field, or the program) set.
bool applyEffectHit(CPlmDoc& doc, ScoreView& view, const EffectHit& hit);
// Back Space: the group before the cursor is deleted (snapshot kind 3) and the cursor steps back.
bool effectBackSpace(CPlmDoc& doc, ScoreView& view, const std::vector<EffectItem>& items, int& cursor);

}  // namespace plume
