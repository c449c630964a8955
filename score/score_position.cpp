#include "score/score_position.h"

#include <algorithm>

namespace plume {

int lineY(const LineTable& table, int topLine, int line) { return table.line(line).top - table.line(topLine).top; }

int hitBandHeight(const ScoreLine& line) {
    return line.staffKind == StaffKind::Grand ? kFinalGrandStaffHeight : kSingleStaffHeight;
}

int lineAtY(const LineTable& table, int topLine, int y) {
    if (table.grandStaff()) return std::clamp(topLine + y / kFinalGrandStaffHeight, 0, table.lastLine());
    for (int i = std::max(topLine, 0); i <= table.lastLine(); ++i) {
        const int top = lineY(table, topLine, i);
        if (y >= top && y < top + hitBandHeight(table.line(i))) return i;
    }
    return table.lastLine();
}

int visibleLineCount(const LineTable& table, int topLine, int clientHeight) {
    const int left = std::max(0, table.lastLine() - topLine + 1);
    if (table.grandStaff())
        return std::min(left, (std::max(clientHeight, 0) + kFinalGrandStaffHeight - 1) / kFinalGrandStaffHeight);
    int count = 0;
    while (count < left && lineY(table, topLine, topLine + count) < clientHeight) ++count;
    return count;
}

int measureNumber(Records records, const ScoreLine& line, int column) {
    int bars = 0;
    for (const PlacedGroup& g : LineGroups(records, line)) {
        if (g.column >= column) break;
        bars += records[g.record].type() == type::kBarLine;
    }
    return line.barsBefore + 1 + bars;
}

StatusNumbers statusNumbers(Records records, const LineTable& table, ScorePosition position) {
    return {position.line + 1, measureNumber(records, table.line(position.line), position.column)};
}

CaretPosition caretPosition(Records records, const LineTable& table, int topLine, ScorePosition cursor,
                            int scroll) {
    const ScoreLine& line = table.line(cursor.line);
    return {columnX(records, line, cursor.column, scroll),
            lineY(table, topLine, cursor.line) + (line.height - kCaretHeight) / 2};
}

ScrollRanges scrollRanges(const LineTable& table, DisplayMode mode, int effectGroups) {
    if (mode == DisplayMode::EffectEdit) return {false, table.lastLine(), std::max(0, effectGroups - 1)};
    return {true, table.lastLine(), kHorizontalScrollMax};
}

int clampEffectPosition(int position, int effectGroups) { return std::clamp(position, 0, std::max(0, effectGroups - 1)); }

}  // namespace plume
