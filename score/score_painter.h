#pragma once
// Score display: draws the visible lines of the line table, the selection highlight and the caret
// onto a Canvas. The screen view and printing call the same code; only effect markers differ.

#include <optional>

#include "score/canvas.h"
#include "score/glyphs.h"
#include "score/line_table.h"
#include "score/score_position.h"

namespace plume {

enum class Surface { Screen, Printer };  // effect markers are drawn on the screen only

// What the view hands over for one line.
struct LinePaint {
    Rect rect;               // the line's band: the client's width, the line's top and height
    int scroll = 0;          // horizontal scroll position, in kColumnWidth steps
    bool firstLine = false;  // line 0 shows the time signature after its clef
};

// The view state a repaint needs.
struct ScoreViewState {
    int topLine = 0;
    int scroll = 0;
    int width = 0;  // client size
    int height = 0;
    ScorePosition cursor;
    ScorePosition anchor;  // equal to the cursor when nothing is selected
};

// Columns [first, last) of a line that lie in the range between anchor and cursor.
struct ColumnSpan {
    int first = 0;
    int last = 0;
    friend bool operator==(const ColumnSpan&, const ColumnSpan&) = default;
};
std::optional<ColumnSpan> selectedColumns(const LineTable& table, int line, ScorePosition anchor,
                                          ScorePosition cursor);

class ScorePainter {
public:
    explicit ScorePainter(const GlyphSet& glyphs, Surface surface = Surface::Screen);

    // The whole repaint: each visible line from the top line, each followed by its part of the
    // selection highlight. `table` must have been rebuilt from `records`.
    void paint(Canvas& canvas, Records records, const LineTable& table, const ScoreViewState& view) const;

    // One line: background, staff, clef and key, time signature on line 0, the groups, tuplet
    // brackets, ties, texts and effect markers, and the end-of-song mark.
    void paintLine(Canvas& canvas, Records records, const ScoreLine& line, const LinePaint& paint) const;

    // Inverts the selected part of one line; a second call with the same arguments restores it.
    void paintSelection(Canvas& canvas, Records records, const LineTable& table, int line, const LinePaint& paint,
                        ScorePosition anchor, ScorePosition cursor) const;

    // The caret (1 pixel wide in insert mode, 2 in overwrite mode, kCaretHeight high), drawn by
    // inverting: call again at the same place to take it away.
    static Rect caretRect(CaretPosition position, bool insert);
    void paintCaret(Canvas& canvas, CaretPosition position, bool insert) const;

    const GlyphSet& glyphs() const { return m_glyphs; }
    Surface surface() const { return m_surface; }

private:
    const GlyphSet& m_glyphs;
    Surface m_surface;
};

}  // namespace plume
