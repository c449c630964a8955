#include "score/score_view.h"

#include <algorithm>

#include "song/plm_doc.h"

namespace plume {

namespace {

bool before(ScorePosition a, ScorePosition b) { return a.line < b.line || (a.line == b.line && a.column < b.column); }

int stepsFor(int pixels) { return (pixels + kColumnWidth - 1) / kColumnWidth; }

}  // namespace

ScoreView::ScoreView(const CPlmDoc& document) : m_document(document) { rebuild(); }

Records ScoreView::records() const { return m_document.records(); }

void ScoreView::rebuild() {
    m_table.rebuild(records(), m_document.songInfo(), m_options);
    m_cursor = clamped(m_cursor);
    m_anchor = clamped(m_anchor);
    m_topLine = std::clamp(m_topLine, 0, maxTopLine());
}

void ScoreView::setCursor(ScorePosition to, bool keepAnchor) {
    place(clamped(to), keepAnchor, true);
    keepLineVisible(m_cursor.line);
    keepColumnVisible();
}

UndoPositions ScoreView::undoPositions() const {
    return {m_topLine, m_anchor.line, m_anchor.column, m_cursor.line, m_cursor.column, 0, 0};
}

void ScoreView::restore(const UndoPositions& positions) {
    rebuild();
    m_topLine = std::clamp(positions.topLine, 0, maxTopLine());
    m_anchor = clamped({positions.anchorLine, positions.anchorColumn});
    m_cursor = clamped({positions.cursorLine, positions.cursorColumn});
    m_desiredColumn = m_cursor.column;
}

void ScoreView::setGrandStaff(bool on) {
    m_options.grandStaff = on;
    rebuild();
}

void ScoreView::setClientSize(int width, int height) {
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
}

ScorePosition ScoreView::rangeStart() const { return before(m_anchor, m_cursor) ? m_anchor : m_cursor; }
ScorePosition ScoreView::rangeEnd() const { return before(m_anchor, m_cursor) ? m_cursor : m_anchor; }

int ScoreView::lastColumn(int line) const {
    const int count = m_table.line(line).groupCount;
    return line < m_table.lastLine() ? std::max(count - 1, 0) : count;
}

ScorePosition ScoreView::clamped(ScorePosition p) const {
    p.line = std::clamp(p.line, 0, m_table.lastLine());
    p.column = std::clamp(p.column, 0, lastColumn(p.line));
    return p;
}

void ScoreView::place(ScorePosition to, bool shift, bool rememberColumn) {
    m_cursor = to;
    if (!shift) m_anchor = to;
    if (rememberColumn) m_desiredColumn = to.column;
}

void ScoreView::keepLineVisible(int line) {
    if (line < m_topLine) {
        m_topLine = line;
        return;
    }
    if (m_height <= 0) return;
    while (m_topLine < line && lineTop(line) + m_table.line(line).height > m_height) ++m_topLine;
}

void ScoreView::keepColumnVisible() {
    if (m_width <= 0) return;
    const ScoreLine& line = m_table.line(m_cursor.line);
    const int x = columnX(records(), line, m_cursor.column, m_scroll);
    if (x + kColumnWidth > m_width) m_scroll += stepsFor(x + kColumnWidth - m_width);
    else if (x < line.staffX0 && m_scroll > 0) m_scroll -= stepsFor(line.staffX0 - x);
    m_scroll = std::clamp(m_scroll, 0, kHorizontalScrollMax);
}

// ---- keys ----------------------------------------------------------------------------------------

bool ScoreView::moveLeft(bool shift) {
    const Moment old = moment();
    if (!shift) m_anchor = m_cursor;
    ScorePosition to = m_cursor;
    if (to.column > 0) {
        --to.column;
    } else if (to.line > 0) {
        --to.line;
        to.column = lastColumn(to.line);
    }
    place(to, shift, true);
    keepLineVisible(to.line);
    keepColumnVisible();
    return moment() != old;
}

bool ScoreView::moveRight(bool shift) {
    const Moment old = moment();
    if (!shift) m_anchor = m_cursor;
    ScorePosition to = m_cursor;
    if (to.column < lastColumn(to.line)) {
        ++to.column;
    } else if (to.line < m_table.lastLine()) {
        ++to.line;
        to.column = 0;
        m_scroll = 0;
    }
    place(to, shift, true);
    keepLineVisible(to.line);
    keepColumnVisible();
    return moment() != old;
}

bool ScoreView::moveUp(bool shift) {
    const Moment old = moment();
    if (!shift) m_anchor = m_cursor;
    if (m_cursor.line > 0) {
        const int line = m_cursor.line - 1;
        place({line, std::min(m_desiredColumn, lastColumn(line))}, shift, false);
        keepLineVisible(line);
        keepColumnVisible();
    }
    return moment() != old;
}

bool ScoreView::moveDown(bool shift) {
    const Moment old = moment();
    if (!shift) m_anchor = m_cursor;
    if (m_cursor.line < m_table.lastLine()) {
        const int line = m_cursor.line + 1;
        place({line, std::min(m_desiredColumn, lastColumn(line))}, shift, false);
        keepLineVisible(line);
        keepColumnVisible();
    }
    return moment() != old;
}

bool ScoreView::home(bool shift) {
    const Moment old = moment();
    if (shift) {
        m_anchor.column = 0;
    } else {
        place({m_cursor.line, 0}, false, true);
        m_scroll = 0;
    }
    return moment() != old;
}

bool ScoreView::end(bool shift) {
    const Moment old = moment();
    if (shift) {
        m_anchor.column = lastColumn(m_anchor.line);
    } else {
        place({m_cursor.line, lastColumn(m_cursor.line)}, false, true);
        keepColumnVisible();
    }
    return moment() != old;
}

bool ScoreView::pageUp(bool shift) { return goToLine(std::max(m_cursor.line - kPageLines, 0), shift); }

bool ScoreView::pageDown(bool shift) {
    return goToLine(std::min(m_cursor.line + kPageLines, m_table.lastLine()), shift);
}

bool ScoreView::goToLine(int line, bool shift) {
    line = std::clamp(line, 0, m_table.lastLine());
    if (line == 0 && m_topLine == 0) return false;
    place({line, std::min(m_desiredColumn, lastColumn(line))}, shift, false);
    const int visible = visibleLines();
    const bool onScreen = line >= m_topLine && line < m_topLine + visible;
    if (!onScreen) {
        const int lastScreenTop = m_table.lastLine() - visible + 2;
        m_topLine = line >= lastScreenTop ? std::max(lastScreenTop, 0) : line;
        m_topLine = std::clamp(m_topLine, 0, maxTopLine());
    }
    return true;
}

bool ScoreView::selectAll() {
    if (records().empty()) return false;
    const int last = m_table.lastLine();
    m_topLine = 0;
    m_scroll = 0;
    m_cursor = {0, 0};
    m_desiredColumn = 0;
    m_anchor = {last, m_table.line(last).groupCount};
    return true;
}

bool ScoreView::clearRange() {
    if (!hasRange()) return false;
    m_anchor = m_cursor;
    return true;
}

// ---- line marks ----------------------------------------------------------------------------------

void ScoreView::toggleLineMark() { m_table.setMarked(m_cursor.line, !m_table.line(m_cursor.line).marked); }

bool ScoreView::findMarkAbove(bool shift) {
    for (int line = std::min(m_topLine, m_table.lastLine() + 1) - 1; line >= 0; --line)
        if (m_table.line(line).marked) {
            goToLine(line, shift);
            return true;
        }
    return false;
}

bool ScoreView::findMarkBelow(bool shift) {
    for (int line = m_topLine + 1; line <= m_table.lastLine(); ++line)
        if (m_table.line(line).marked) {
            goToLine(line, shift);
            return true;
        }
    return false;
}

void ScoreView::clearLineMarks() { m_table.clearMarks(); }

// ---- mouse ---------------------------------------------------------------------------------------

ScorePosition ScoreView::hit(int x, int y) const {
    const int line = lineAtY(m_table, m_topLine, y);
    return clamped({line, columnAt(records(), m_table.line(line), x, m_scroll)});
}

void ScoreView::press(int x, int y) {
    place(hit(x, y), false, true);
    m_dragging = true;
}

bool ScoreView::dragTo(int x, int y) {
    if (!m_dragging) return false;
    const ScorePosition to = hit(std::clamp(x, 0, std::max(m_width - 1, 0)), std::clamp(y, 0, std::max(m_height - 1, 0)));
    if (to == m_cursor) return false;
    place(to, true, true);
    return true;
}

bool ScoreView::isOutside(int x, int y) const { return x < 0 || y < 0 || x >= m_width || y >= m_height; }

bool ScoreView::autoScroll(int x, int y) {
    if (!m_dragging) return false;
    bool scrolled = false;
    if (y < 0 && m_topLine > 0) {
        --m_topLine;
        scrolled = true;
    } else if (y >= m_height && m_topLine < maxTopLine()) {
        ++m_topLine;
        scrolled = true;
    }
    if (x < 0 && m_scroll > 0) {
        --m_scroll;
        scrolled = true;
    } else if (x >= m_width && m_scroll < kHorizontalScrollMax) {
        ++m_scroll;
        scrolled = true;
    }
    return dragTo(x, y) || scrolled;
}

bool ScoreView::wheel(int delta) {
    m_wheel += delta;
    bool moved = false;
    for (; m_wheel >= kWheelStep; m_wheel -= kWheelStep) moved = moveUp(false) || moved;
    for (; m_wheel <= -kWheelStep; m_wheel += kWheelStep) moved = moveDown(false) || moved;
    return moved;
}

// ---- scroll bars ---------------------------------------------------------------------------------

bool ScoreView::setTopLine(int line) {
    line = std::clamp(line, 0, maxTopLine());
    if (line == m_topLine) return false;
    m_topLine = line;
    return true;
}

bool ScoreView::setScroll(int steps) {
    steps = std::clamp(steps, 0, kHorizontalScrollMax);
    if (steps == m_scroll) return false;
    m_scroll = steps;
    return true;
}

ScrollRanges ScoreView::scrollRanges() const { return plume::scrollRanges(m_table, DisplayMode::Score, 0); }

// ---- what the window shows -----------------------------------------------------------------------

int ScoreView::visibleLines() const { return visibleLineCount(m_table, m_topLine, m_height); }

CaretPosition ScoreView::caret() const { return caretPosition(records(), m_table, m_topLine, m_cursor, m_scroll); }

StatusNumbers ScoreView::cursorNumbers() const { return statusNumbers(records(), m_table, m_cursor); }

std::optional<StatusNumbers> ScoreView::rangeEndNumbers() const {
    if (!hasRange()) return std::nullopt;
    return statusNumbers(records(), m_table, m_anchor);
}

ScoreViewState ScoreView::paintState() const {
    return {m_topLine, m_scroll, m_width, m_height, m_cursor, m_anchor};
}

}  // namespace plume
