#pragma once
// The view's questions to the layout: which line and column a mouse position means, how many lines
// fit, where the caret stands, the line and measure numbers of the status bar, the scroll ranges.

#include "score/line_table.h"

namespace plume {

enum class DisplayMode { Score = 0, EffectEdit = 1 };  // "楽譜表示形式", "効果編集表示形式"

// y of a line's top in the window, with `topLine` at the top.
int lineY(const LineTable& table, int topLine, int line);
// Height of the band that hit-testing gives a line: kFinalGrandStaffHeight for a grand staff (even
// where the line is kGrandStaffHeight high), kSingleStaffHeight for a single staff.
int hitBandHeight(const ScoreLine& line);
// The line under window y; a y in no line's band gives the last line.
int lineAtY(const LineTable& table, int topLine, int y);
// Lines from `topLine` whose top lies within the client height, never more than the lines left.
int visibleLineCount(const LineTable& table, int topLine, int clientHeight);

// Numbers shown in the status bar ("%3d行", "%3d小節"): a line break closes a measure too.
struct StatusNumbers {
    int line = 1;
    int measure = 1;
    friend bool operator==(const StatusNumbers&, const StatusNumbers&) = default;
};
int measureNumber(Records records, const ScoreLine& line, int column);
StatusNumbers statusNumbers(Records records, const LineTable& table, ScorePosition position);

// Top-left of the kCaretHeight-high caret: at the column's x, centred in the line.
struct CaretPosition {
    int x = 0;
    int y = 0;
    friend bool operator==(const CaretPosition&, const CaretPosition&) = default;
};
CaretPosition caretPosition(Records records, const LineTable& table, int topLine, ScorePosition cursor,
                            int scroll);

struct ScrollRanges {
    bool verticalShown = true;
    int verticalMax = 0;    // vertical range 0..verticalMax, in lines
    int horizontalMax = 0;  // horizontal range 0..horizontalMax, in kColumnWidth steps or effect groups
    friend bool operator==(const ScrollRanges&, const ScrollRanges&) = default;
};
// `effectGroups`: groups shown by the effect-edit display (read only in that mode).
ScrollRanges scrollRanges(const LineTable& table, DisplayMode mode, int effectGroups);
// The effect-edit position kept within 0..effectGroups - 1.
int clampEffectPosition(int position, int effectGroups);

}  // namespace plume
