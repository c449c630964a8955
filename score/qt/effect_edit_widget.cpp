#include "score/qt/effect_edit_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "score/qt/qt_canvas.h"
#include "score/score_view.h"
#include "song/plm_doc.h"

namespace plume {

EffectEditWidget::EffectEditWidget(CPlmDoc& doc, ScoreView& view, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_view(view) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMinimumHeight(kEffectDisplayHeight + horizontalScrollBar()->sizeHint().height() + 4);
    layOut();
}

void EffectEditWidget::setZoom(int zoom) {
    m_zoom = std::clamp(zoom, 0, kEffectZoomCount - 1);
    layOut();
}

void EffectEditWidget::songChanged() { layOut(); }

void EffectEditWidget::layOut() {
    m_items = effectLayout(m_doc.records(), m_zoom);
    m_cursor = std::clamp(m_cursor, 0, int(m_items.size()));
    const int rowWidth = effectLayoutEnd(m_items) - kEffectAreaLeft;
    const int visible = std::max(viewport()->width() - kEffectAreaLeft, 1);
    horizontalScrollBar()->setRange(0, std::max(rowWidth - visible + 8, 0));
    horizontalScrollBar()->setPageStep(visible);
    horizontalScrollBar()->setSingleStep(effectUnitPixels(m_zoom) * 8);
    viewport()->update();
}

void EffectEditWidget::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    static platform::GlyphImages images;
    platform::QtCanvas canvas(painter, platform::scoreTextFont(kEffectLabelPixels), images);
    paintEffectDisplay(canvas, m_doc.records(), m_items,
                       {.scroll = horizontalScrollBar()->value(), .width = viewport()->width(), .cursor = m_cursor,
                        .showCursor = hasFocus()});
}

void EffectEditWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layOut();
}

void EffectEditWidget::scrollContentsBy(int, int) { viewport()->update(); }

void EffectEditWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const EffectHit hit = effectHit(m_items, horizontalScrollBar()->value(), at.x(), at.y());
    if (hit.kind == EffectHit::Kind::Cursor) {
        placeCursor(hit.cursor);
    } else if (hit.kind == EffectHit::Kind::Value && applyEffectHit(m_doc, m_view, hit)) {
        layOut();
        Q_EMIT edited();
    }
}

void EffectEditWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (effectBackSpace(m_doc, m_view, m_items, m_cursor)) {
            layOut();
            Q_EMIT edited();
        }
        return;
    case Qt::Key_Left: placeCursor(m_cursor - 1); return;
    case Qt::Key_Right: placeCursor(m_cursor + 1); return;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
}

void EffectEditWidget::placeCursor(int cursor) {
    m_cursor = std::clamp(cursor, 0, int(m_items.size()));
    viewport()->update();
    Q_EMIT cursorPlaced(std::size_t(m_cursor) < m_items.size() ? m_items[std::size_t(m_cursor)].group
                                                               : m_doc.recordCount());
}

}  // namespace plume
