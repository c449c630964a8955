#pragma once
// CPlmView: the score view of one song window. It lays out its scroll bars, hands keys, mouse and
// wheel to its ScoreView and paints what the ScoreView and the ScorePainter say.

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <functional>

#include "score/note_entry.h"
#include "score/score_geometry.h"
#include "score/score_painter.h"
#include "score/score_view.h"

namespace plume {

class CPlmDoc;
namespace platform {
class GlyphImages;
}

class CPlmView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kAutoScrollInterval = 60;  // milliseconds a step of the drag's auto-scroll

    CPlmView(CPlmDoc& document, const GlyphSet& glyphs, platform::GlyphImages& images, QWidget* parent = nullptr);

    ScoreView& logic() { return m_view; }
    const ScoreView& logic() const { return m_view; }
    CPlmDoc& document() { return m_document; }

    // The main frame, asked at each entry key; without one the view edits with default settings.
    void setEntryHost(EntryHost* host) { m_host = host; }
    // After an entry request changed the song: repaints what the result names, scroll bars, status.
    void showEntry(const EntryResult& result);

    void setGrandStaff(bool on);
    // The view's magnification in percent (kZoomSteps): the same layout drawn larger; the cursor,
    // scrolling and hit-testing stay in layout units.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // Insert mode shows a 1-pixel caret, overwrite mode a 2-pixel one.
    void setInsertMode(bool insert);
    // Lays the song out again after it changed, then shows it.
    void songChanged();
    // After the frame moved the cursor through logic(): scroll bars, repaint, status.
    void refresh();
    // Offered each wheel turn first; when it takes the turn (returns true) the view does not scroll.
    void setWheelHook(std::function<bool(int delta)> hook) { m_wheelHook = std::move(hook); }

Q_SIGNALS:
    // After every move of the cursor, the anchor or the view.
    void cursorMoved();
    // The right button was pressed at a screen point: the main frame shows its edit keys there.
    void rightButtonPressed(QPoint global);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void syncScrollBars();
    double scale() const { return m_zoom / 100.0; }
    QPoint toLayout(QPointF viewportPoint) const;
    void setLayoutSize();
    void moved(bool changed);
    // Back Space, Tab, Enter, Space and Delete; false for any other key.
    bool editKey(const QKeyEvent& event);
    // Keys and note-name letters the main frame takes; false when it does not.
    bool passOn(const QKeyEvent& event);

    CPlmDoc& m_document;
    EntryHost* m_host = nullptr;
    ScoreView m_view;
    ScorePainter m_painter;
    platform::GlyphImages& m_images;
    int m_zoom = 100;
    bool m_insert = true;
    bool m_syncing = false;  // scroll bars being set from the logic
    bool m_caretShown = false;
    QBasicTimer m_autoScroll;  // timer 11: scrolls while a drag is outside the window
    QBasicTimer m_caretBlink;
    QPoint m_dragPoint;
    std::function<bool(int)> m_wheelHook;
};

}  // namespace plume
