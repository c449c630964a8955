#include "app/qt/edit_palette_window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>

#include "app/frame_commands.h"
#include "app/qt/main_frame.h"
#include "app/qt/plm_app.h"
#include "score/qt/qt_canvas.h"
#include "score/line_table.h"
#include "score/note_entry.h"
#include "score/numeric_input.h"
#include "score/pitch_spelling.h"
#include "score/qt/plm_view_widget.h"
#include "score/range_edit.h"
#include "score/score_painter.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

// The part of a grand-staff line that is shown enlarged: from above the highest ledger line of key
// 95 to below the lowest of key 24, around the group's column.
constexpr int kCropTop = 8;
constexpr int kCropHeight = (kEditPaletteHeight - EditPaletteWindow::kStaffTop) / EditPaletteWindow::kScale;
constexpr int kCropLeft = 9;  // pixels shown left of the group's column
constexpr int kCropWidth = kEditPaletteWidth / EditPaletteWindow::kScale;
constexpr int kHighestStep = 41;  // B6, key 95
constexpr int kWheelNotch = 120;
// The narrow staff has no room for a key signature: every accidental is drawn at its note.
constexpr std::uint8_t kNoKeySignature = 0;

const QColor kDragBar(0, 0, 128);
const QColor kSelection(0, 0, 192);

QRect buttonRect(EditPaletteArea area) {
    const int top = area == EditPaletteArea::CloseButton ? kEditPaletteCloseTop : kEditPaletteEnterTop;
    return {kEditPaletteButtonRight - kEditPaletteButtonSize, top, kEditPaletteButtonSize, kEditPaletteButtonSize};
}

}  // namespace

EditPaletteWindow::EditPaletteWindow(CMainFrame& frame)
    : PaletteWindow(cmd::kEditPalette, QStringLiteral("拡大編集パレット"), &frame), m_frame(frame) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setFixedSize(kEditPaletteWidth + 2 * kFrame, kEditPaletteHeight + 2 * kFrame);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + area.width() / 3, area.y() + area.height() / 3);
    }
    connect(&frame, &CMainFrame::caretPlaced, this, &EditPaletteWindow::followCursor);
}

void EditPaletteWindow::receive(const EntryRequest& message) {
    const auto post = m_group.receive(message, m_frame.entryState().choice, m_frame.isPlaying());
    const auto* button = std::get_if<entry::EditPaletteButton>(&message);
    if (button && button->button == edit_palette_button::kClose) close();
    // The palette's own group goes to the view, never back to the palette that stands in for it.
    if (post) m_frame.deliverToActiveView(*post);
    update();
}

// Hidden, the palette has no use for the key signature; it looks again when it is shown.
void EditPaletteWindow::followCursor(CPlmView* view) {
    if (!view || !isVisible()) return;
    const ScoreView& logic = view->logic();
    m_keySignature = keyInForce(logic.records(), view->document().songInfo(), cursorRecord(logic));
}

int EditPaletteWindow::stepClientY(int step) {
    return kStaffTop + (stepY(step, StaffKind::Grand) - kCropTop) * kScale + kScale / 2;
}

int EditPaletteWindow::keyY(int key) const { return stepClientY(spellPitch(key, 0, kNoKeySignature).step); }

int EditPaletteWindow::keyAt(int clientY) const {
    const int lineY = std::clamp((clientY - kStaffTop) / kScale + kCropTop, stepY(kHighestStep, StaffKind::Grand) - 1,
                                 kStepZeroY + 1);
    const int step = (kStepZeroY - lineY + 1) / kStepPixels;
    return spellNoteName({step, accidental::kNone}, m_keySignature).key;
}

QImage EditPaletteWindow::staffImage() const {
    std::vector<SongRecord> records = m_group.group();
    // Spacers after the group keep the end-of-song mark out of the part shown.
    SongRecord spacer;
    spacer.setGroupSize(1);
    spacer.setTypeAndDots(type::kSpacer);
    records.insert(records.end(), 2, spacer);
    SongInfo info = SongInfo::defaults();
    info.setKeySignature(kNoKeySignature);
    LineTable table;
    table.rebuild(records, info, LayoutOptions{true});
    const ScoreLine& line = table.line(0);
    const int width = line.staffX0 + 4 * kColumnWidth;
    QImage image(width, line.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        platform::QtCanvas canvas(painter, platform::scoreTextFont(), m_frame.app().glyphImages());
        const ScorePainter scorePainter(m_frame.app().glyphs());
        scorePainter.paintLine(canvas, records, line, LinePaint{{0, 0, width, line.height}, 0, false});
    }
    return image.copy(line.staffX0 - kCropLeft, kCropTop, kCropWidth, kCropHeight);
}

const QImage& EditPaletteWindow::staff() {
    if (m_staff.isNull() || m_staffGroup != m_group.group()) {
        m_staffGroup = m_group.group();
        m_staff = staffImage();
    }
    return m_staff;
}

void EditPaletteWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, palette().window());
    painter.setPen(palette().light().color());
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(palette().shadow().color());
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());

    painter.translate(kFrame, kFrame);
    painter.fillRect(0, 0, kEditPaletteWidth, kEditPaletteDragHeight, kDragBar);
    painter.fillRect(0, kEditPaletteDragHeight, kEditPaletteWidth, kEditPaletteHeight - kEditPaletteDragHeight,
                     Qt::white);
    painter.drawImage(QRect(0, kStaffTop, kCropWidth * kScale, kCropHeight * kScale), staff());
    if (const auto selected = m_group.selectedKey()) {
        const auto& records = m_group.group();
        const auto note = std::find_if(records.begin(), records.end(),
                                       [&](const SongRecord& r) { return r.isNote() && r.key() == *selected; });
        const int accidentalByte = note != records.end() ? note->accidental() : 0;
        const int y = stepClientY(spellPitch(*selected, std::uint8_t(accidentalByte), kNoKeySignature).step);
        const QPoint marker[] = {{1, y - 4}, {7, y}, {1, y + 4}};
        painter.setPen(Qt::NoPen);
        painter.setBrush(kSelection);
        painter.drawPolygon(marker, 3);
    }
    paintButton(painter, EditPaletteArea::CloseButton);
    paintButton(painter, EditPaletteArea::EnterButton);
}

void EditPaletteWindow::paintButton(QPainter& painter, EditPaletteArea area) const {
    const QRect r = buttonRect(area);
    const bool sunken = m_pressed == area && m_pressedInside;
    const bool enabled = area == EditPaletteArea::CloseButton || m_group.isEnterEnabled();
    painter.setBrush(Qt::NoBrush);
    painter.fillRect(r, palette().button());
    painter.setPen(sunken ? palette().shadow().color() : palette().light().color());
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(sunken ? palette().light().color() : palette().shadow().color());
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    const QPoint shift = sunken ? QPoint(1, 1) : QPoint();
    painter.setPen(QPen(enabled ? Qt::black : Qt::gray, 1));
    const QRect face = r.adjusted(3, 3, -3, -3).translated(shift);
    if (area == EditPaletteArea::CloseButton) {
        painter.drawLine(face.topLeft(), face.bottomRight());
        painter.drawLine(face.topRight(), face.bottomLeft());
        return;
    }
    // Enter: a return arrow.
    const int y = face.center().y() + 1;
    painter.drawLine(face.right(), face.top(), face.right(), y);
    painter.drawLine(face.left(), y, face.right(), y);
    painter.drawLine(face.left(), y, face.left() + 2, y - 2);
    painter.drawLine(face.left(), y, face.left() + 2, y + 2);
}

void EditPaletteWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint() - QPoint(kFrame, kFrame);
    const EditPaletteArea area = editPaletteArea(at.x(), at.y());
    if (event->button() == Qt::LeftButton) {
        switch (area) {
        case EditPaletteArea::Drag:
            m_drag.start(*this, *event);
            break;
        case EditPaletteArea::CloseButton:
        case EditPaletteArea::EnterButton:
            m_group.buttonDown(at.x(), at.y());
            if (area == EditPaletteArea::CloseButton || m_group.isEnterEnabled()) {
                m_pressed = area;
                m_pressedInside = true;
            }
            break;
        case EditPaletteArea::Body:
            if (at.y() >= kStaffTop) m_group.addNote(keyAt(at.y()), m_frame.entryState().choice);
            break;
        }
    } else if (event->button() == Qt::RightButton && area == EditPaletteArea::Body && at.y() >= kStaffTop) {
        m_group.removeNearest(keyAt(at.y()));
    }
    update();
    event->accept();
}

void EditPaletteWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag.follow(*this, *event)) return;
    if (m_pressed == EditPaletteArea::Body) return;
    const QPoint at = event->position().toPoint() - QPoint(kFrame, kFrame);
    const bool inside = editPaletteArea(at.x(), at.y()) == m_pressed;
    if (inside == m_pressedInside) return;
    m_pressedInside = inside;
    update();
}

void EditPaletteWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_drag.stop();
    m_pressed = EditPaletteArea::Body;
    m_pressedInside = false;
    const QPoint at = event->position().toPoint() - QPoint(kFrame, kFrame);
    if (const auto button = m_group.buttonUp(at.x(), at.y())) receive(*button);
    update();
}

void EditPaletteWindow::wheelEvent(QWheelEvent* event) {
    m_wheel += event->angleDelta().y();
    for (; m_wheel >= kWheelNotch; m_wheel -= kWheelNotch) m_group.moveSelected(+1);
    for (; m_wheel <= -kWheelNotch; m_wheel += kWheelNotch) m_group.moveSelected(-1);
    update();
    event->accept();
}

void EditPaletteWindow::showEvent(QShowEvent* event) {
    PaletteWindow::showEvent(event);
    followCursor(m_frame.activeView());
}

}  // namespace plume
