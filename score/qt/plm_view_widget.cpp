#include "score/qt/plm_view_widget.h"

#include <algorithm>
#include <iterator>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "score/qt/qt_canvas.h"
#include "song/plm_doc.h"

namespace plume {

CPlmView::CPlmView(CPlmDoc& document, const GlyphSet& glyphs, platform::GlyphImages& images, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_view(document), m_painter(glyphs), m_images(images) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
    syncScrollBars();
}

void CPlmView::setGrandStaff(bool on) {
    m_view.setGrandStaff(on);
    refresh();
}

void CPlmView::setZoom(int percent) {
    if (std::find(std::begin(kZoomSteps), std::end(kZoomSteps), percent) == std::end(kZoomSteps)) return;
    m_zoom = percent;
    setLayoutSize();
    refresh();
}

QPoint CPlmView::toLayout(QPointF point) const { return (point / scale()).toPoint(); }

void CPlmView::setLayoutSize() {
    m_view.setClientSize(int(viewport()->width() / scale()), int(viewport()->height() / scale()));
}

void CPlmView::setInsertMode(bool insert) {
    m_insert = insert;
    viewport()->update();
}

void CPlmView::songChanged() {
    m_view.rebuild();
    refresh();
}

void CPlmView::refresh() {
    syncScrollBars();
    viewport()->update();
    Q_EMIT cursorMoved();
}

void CPlmView::showEntry(const EntryResult& result) {
    if (!result.changed) return;
    m_caretShown = true;
    if (result.repaint == Repaint::Line) {
        const ScoreLine& line = m_view.lines().line(result.line);
        const double s = scale();
        viewport()->update(0, int(m_view.lineTop(result.line) * s), viewport()->width(), int(line.height * s) + 1);
    } else {
        viewport()->update();
    }
    syncScrollBars();
    Q_EMIT cursorMoved();
}

void CPlmView::moved(bool changed) {
    if (!changed) return;
    m_caretShown = true;
    refresh();
}

void CPlmView::syncScrollBars() {
    m_syncing = true;
    const ScrollRanges ranges = m_view.scrollRanges();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, ranges.verticalMax);
    vertical->setPageStep(std::max(1, m_view.visibleLines() - 1));
    vertical->setValue(m_view.topLine());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, ranges.horizontalMax);
    horizontal->setPageStep(std::max(1, int(viewport()->width() / scale()) / kColumnWidth - 1));
    horizontal->setValue(m_view.scroll());
    m_syncing = false;
}

void CPlmView::scrollContentsBy(int, int) {
    if (m_syncing) return;
    const bool vertical = m_view.setTopLine(verticalScrollBar()->value());
    const bool horizontal = m_view.setScroll(horizontalScrollBar()->value());
    if (vertical || horizontal) refresh();
}

void CPlmView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    setLayoutSize();
    syncScrollBars();
}

void CPlmView::paintEvent(QPaintEvent*) {
    setLayoutSize();
    m_view.rebuild();
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    painter.scale(scale(), scale());
    platform::QtCanvas canvas(painter, platform::scoreTextFont(), m_images);
    m_painter.paint(canvas, m_view.records(), m_view.lines(), m_view.paintState());
    if (hasFocus() && m_caretShown) m_painter.paintCaret(canvas, m_view.caret(), m_insert);
}

void CPlmView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        moved(m_view.moveLeft(shift));
        break;
    case Qt::Key_Right:
        moved(m_view.moveRight(shift));
        break;
    case Qt::Key_Up:
        moved(m_view.moveUp(shift));
        break;
    case Qt::Key_Down:
        moved(m_view.moveDown(shift));
        break;
    case Qt::Key_Home:
        moved(control ? m_view.firstLine(shift) : m_view.home(shift));
        break;
    case Qt::Key_End:
        moved(control ? m_view.lastLine(shift) : m_view.end(shift));
        break;
    case Qt::Key_PageUp:
        moved(m_view.pageUp(shift));
        break;
    case Qt::Key_PageDown:
        moved(m_view.pageDown(shift));
        break;
    default:
        if (editKey(*event) || passOn(*event)) break;
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool CPlmView::editKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const int key = event.key();
    const bool known = key == Qt::Key_Backspace || key == Qt::Key_Tab || key == Qt::Key_Return ||
                       key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Delete;
    if (!known) return false;
    if (m_host && !m_host->mayEdit()) return true;
    const EntrySettings settings = m_host ? m_host->entrySettings() : EntrySettings{};
    switch (key) {
    case Qt::Key_Backspace:
        showEntry(backSpace(m_document, m_view));
        break;
    case Qt::Key_Tab:
        showEntry(enterMark(m_document, m_view, settings, type::kBarLine));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        showEntry(enterMark(m_document, m_view, settings, type::kLineBreak));
        break;
    case Qt::Key_Space:
        showEntry(enterMark(m_document, m_view, settings, type::kSpacer));
        break;
    default:
        showEntry(deleteForward(m_document, m_view));
        break;
    }
    return true;
}

bool CPlmView::passOn(const QKeyEvent& event) {
    if (!m_host || (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return false;
    const bool shift = event.modifiers() & Qt::ShiftModifier;
    const int key = event.key();
    // Shift with a digit gives the layout's symbol: the US and the Japanese ones are both known.
    static constexpr std::pair<int, char> kShiftedDigits[] = {
        {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'},     {Qt::Key_QuoteDbl, '2'}, {Qt::Key_NumberSign, '3'},
        {Qt::Key_Dollar, '4'}, {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '6'},
    };
    if (key >= Qt::Key_1 && key <= Qt::Key_6) return m_host->passKey(char('1' + (key - Qt::Key_1)), shift);
    if (key == Qt::Key_Period) return m_host->passKey('.', shift);
    if (key == Qt::Key_Greater && shift) return m_host->passKey('.', true);
    if (shift)
        for (const auto& [symbol, digit] : kShiftedDigits)
            if (key == symbol) return m_host->passKey(digit, true);
    const QString text = event.text();
    if (text.size() != 1) return false;
    const char16_t c = text.at(0).unicode();
    if ((c >= u'A' && c <= u'G') || (c >= u'a' && c <= u'g')) return m_host->passNoteName(char(c));
    return false;
}

void CPlmView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Q_EMIT rightButtonPressed(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_dragPoint = toLayout(event->position());
    m_view.press(m_dragPoint.x(), m_dragPoint.y());
    m_caretShown = true;
    refresh();
}

void CPlmView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_view.isDragging()) return;
    m_dragPoint = toLayout(event->position());
    if (m_view.isOutside(m_dragPoint.x(), m_dragPoint.y())) {
        if (!m_autoScroll.isActive()) m_autoScroll.start(kAutoScrollInterval, this);
    } else {
        m_autoScroll.stop();
    }
    moved(m_view.dragTo(m_dragPoint.x(), m_dragPoint.y()));
}

void CPlmView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_autoScroll.stop();
    m_view.release();
}

void CPlmView::wheelEvent(QWheelEvent* event) {
    if (!m_wheelHook || !m_wheelHook(event->angleDelta().y())) moved(m_view.wheel(event->angleDelta().y()));
    event->accept();
}

void CPlmView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_autoScroll.timerId()) {
        moved(m_view.autoScroll(m_dragPoint.x(), m_dragPoint.y()));
    } else if (event->timerId() == m_caretBlink.timerId()) {
        m_caretShown = !m_caretShown;
        viewport()->update();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void CPlmView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0) m_caretBlink.start(flash / 2, this);
    viewport()->update();
    Q_EMIT cursorMoved();
}

void CPlmView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_caretBlink.stop();
    m_caretShown = false;
    viewport()->update();
}

// Tab belongs to the score (a bar line), not to focus changes.
bool CPlmView::focusNextPrevChild(bool) { return false; }

}  // namespace plume
