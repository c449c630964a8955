#pragma once
// The note palette window: 21 tool buttons, three to a row, over the frame's entry choice. Lengths,
// rests and dots post their requests through the frame; the tie button ties the cursor group to
// the next note group; the palette follows the record at the cursor.

#include <QMap>
#include <QPixmap>

#include "app/qt/palette_window.h"

class QToolButton;

namespace plume {

class CMainFrame;
class CPlmDoc;
class CPlmView;
class GlyphSet;
class ScoreView;
struct Glyph;

class NotePaletteWindow : public PaletteWindow {
    Q_OBJECT

public:
    NotePaletteWindow(CMainFrame& frame, const GlyphSet& glyphs);

    // The button of an id from notePaletteButtons(), the monitor (618) standing in the unassigned slot.
    QToolButton* button(int id) const { return m_buttons.value(id); }
    // The checks show the frame's entry choice.
    void syncChecks();

protected:
    void placeFirst() override;

private:
    void press(int id);
    void followCursor(CPlmView* view);
    void toggleTie();

    CMainFrame& m_frame;
    QMap<int, QToolButton*> m_buttons;
};


// A glyph of the score as a pixmap whose paper is transparent.
QPixmap glyphPixmap(const Glyph& glyph);

// A palette's first place when it is shown: inside the frame's client area at `corner`.
void placeAtFrameEdge(QWidget& palette, const CMainFrame& frame, Qt::Alignment corner);

}  // namespace plume
