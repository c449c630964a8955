#pragma once
// The score view's state and its rules for moving the cursor, selecting and scrolling: the logic
// behind CPlmView. The widget hands over its client size and the user's input and paints what this
// says. Coordinates are window pixels.

#include <optional>

#include "score/line_table.h"
#include "score/score_painter.h"
#include "score/score_position.h"
#include "score/undo_ring.h"

namespace plume {

class CPlmDoc;

class ScoreView {
public:
    static constexpr int kWheelStep = 120;   // wheel units per line
    static constexpr int kPageLines = 8;     // Page Up / Page Down

    explicit ScoreView(const CPlmDoc& document);

    // --- layout ----------------------------------------------------------------------------------
    // Lays the song out again and keeps the cursor, the anchor and the top line within it.
    void rebuild();
    void setGrandStaff(bool on);
    bool grandStaff() const { return m_options.grandStaff; }
    void setClientSize(int width, int height);
    int clientWidth() const { return m_width; }
    int clientHeight() const { return m_height; }
    const LineTable& lines() const { return m_table; }
    Records records() const;
    const CPlmDoc& document() const { return m_document; }

    // --- state -----------------------------------------------------------------------------------
    int topLine() const { return m_topLine; }
    int scroll() const { return m_scroll; }
    ScorePosition cursor() const { return m_cursor; }
    ScorePosition anchor() const { return m_anchor; }
    bool hasRange() const { return m_cursor != m_anchor; }
    // The range's two ends, the earlier first.
    ScorePosition rangeStart() const;
    ScorePosition rangeEnd() const;
    // The cursor's furthest column on a line: its line-break group, or after the last group on the
    // last line.
    int lastColumn(int line) const;

    // --- keys: each returns whether the cursor, the anchor or the view moved ----------------------
    // Without Shift a range is dropped first and the anchor moves with the cursor.
    bool moveLeft(bool shift);
    bool moveRight(bool shift);
    bool moveUp(bool shift);
    bool moveDown(bool shift);
    // Column 0 and scroll 0; with Shift only the anchor's column becomes 0.
    bool home(bool shift);
    // The line's last column; with Shift only the anchor's column goes there.
    bool end(bool shift);
    bool pageUp(bool shift);
    bool pageDown(bool shift);
    // The cursor to line L at the remembered column; scrolls only when L is off the screen.
    bool goToLine(int line, bool shift);
    bool firstLine(bool shift) { return goToLine(0, shift); }
    bool lastLine(bool shift) { return goToLine(m_table.lastLine(), shift); }
    // Cursor at the start (top line and scrolls 0), anchor after the song's last group; nothing
    // for an empty song.
    bool selectAll();
    bool clearRange();

    // --- editing ---------------------------------------------------------------------------------
    // Puts the cursor (and unless keepAnchor the anchor) at a position and keeps it on screen.
    void setCursor(ScorePosition to, bool keepAnchor = false);
    // The view's ring of undo snapshots, and the positions a snapshot stores and restores.
    UndoRing& undoRing() { return m_undo; }
    const UndoRing& undoRing() const { return m_undo; }
    UndoPositions undoPositions() const;
    // After the song was restored from a snapshot: lays it out and puts the positions back.
    void restore(const UndoPositions& positions);

    // --- line marks --------------------------------------------------------------------------------
    void toggleLineMark();
    // The nearest marked line above (below) the top line; false when there is none.
    bool findMarkAbove(bool shift);
    bool findMarkBelow(bool shift);
    void clearLineMarks();

    // --- mouse -----------------------------------------------------------------------------------
    // The cursor and the anchor at the clicked position; a drag starts.
    void press(int x, int y);
    // While dragging: the cursor follows the point (kept inside the window); the anchor stays.
    bool dragTo(int x, int y);
    // The drag's timer tick: scrolls one step towards a point outside the window, then drags there.
    bool autoScroll(int x, int y);
    void release() { m_dragging = false; }
    bool isDragging() const { return m_dragging; }
    // Whether a point lies outside the window, so that the drag needs the scroll timer.
    bool isOutside(int x, int y) const;
    // Every kWheelStep units move the cursor a line: forward (positive) up, back down.
    bool wheel(int delta);

    // --- scroll bars -----------------------------------------------------------------------------
    bool setTopLine(int line);
    bool setScroll(int steps);
    ScrollRanges scrollRanges() const;

    // --- what the window shows -------------------------------------------------------------------
    int visibleLines() const;
    // Window y of a line's top.
    int lineTop(int line) const { return lineY(m_table, m_topLine, line); }
    CaretPosition caret() const;
    StatusNumbers cursorNumbers() const;
    // The anchor's numbers while a range exists.
    std::optional<StatusNumbers> rangeEndNumbers() const;
    // What the painter needs for a repaint.
    ScoreViewState paintState() const;

private:
    // What a move can change, to tell whether it changed anything.
    struct Moment {
        ScorePosition cursor;
        ScorePosition anchor;
        int topLine = 0;
        int scroll = 0;
        friend bool operator==(const Moment&, const Moment&) = default;
    };
    Moment moment() const { return {m_cursor, m_anchor, m_topLine, m_scroll}; }

    ScorePosition hit(int x, int y) const;
    ScorePosition clamped(ScorePosition p) const;
    // Moves the cursor (and without Shift the anchor) and remembers the column for vertical moves.
    void place(ScorePosition to, bool shift, bool rememberColumn);
    void keepLineVisible(int line);
    void keepColumnVisible();
    int maxTopLine() const { return m_table.lastLine(); }

    const CPlmDoc& m_document;
    LineTable m_table;
    LayoutOptions m_options;
    int m_width = 0;
    int m_height = 0;
    int m_topLine = 0;
    int m_scroll = 0;
    ScorePosition m_cursor;
    ScorePosition m_anchor;
    int m_desiredColumn = 0;
    bool m_dragging = false;
    int m_wheel = 0;
    UndoRing m_undo;
};

}  // namespace plume
