#include "app/qt/keyboard_palette_window.h"

#include <QLinearGradient>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <array>

#include "app/entry_tool_wheel.h"
#include "app/qt/main_frame.h"
#include "app/qt/note_palette_window.h"

namespace plume {

namespace {

constexpr std::array<const char*, 12> kPitchNames = {"C", "C♯", "D", "E♭", "E", "F", "F♯", "G", "G♯", "A", "B♭", "B"};
const QColor kCollectedWhite(90, 160, 245);
const QColor kCollectedBlack(30, 100, 235);
const QColor kBandPaper(255, 250, 215);
constexpr int kCloseBoxSize = 16;

QString keyName(int key) {
    return QString::fromUtf8(kPitchNames[std::size_t(key % 12)]) + QString::number(key / 12 - 1);
}

}  // namespace

KeyboardPaletteWindow::KeyboardPaletteWindow(CMainFrame& frame, int size)
    : PaletteWindow(cmd::kKeyboardPalette, QStringLiteral("鍵盤パレット"), &frame), m_frame(frame), m_keyboard(size) {
    setObjectName(QStringLiteral("keyboardPalette"));
    // The drag bar stands in for the title bar; clicks leave the keyboard focus with the score.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setPaletteSize(size);
}

void KeyboardPaletteWindow::setPaletteSize(int size) {
    const QRect before = geometry();
    m_keyboard.setSize(size);
    setFixedSize(m_keyboard.width(), m_keyboard.height());
    if (isPlaced()) {
        // It grows and shrinks about its lower right corner and stays within the frame's client area.
        const QWidget* area = m_frame.mdiArea();
        const QRect client(area->mapToGlobal(QPoint(0, 0)), area->size());
        const QPoint corner = before.bottomRight() - QPoint(width() - 1, height() - 1);
        move(std::clamp(corner.x(), client.left(), std::max(client.left(), client.right() - width())),
             std::clamp(corner.y(), client.top(), std::max(client.top(), client.bottom() - height())));
    }
    update();
}

QRect KeyboardPaletteWindow::closeBox() const {
    return {width() - kCloseBoxSize - 8, (kKeyboardDragBarHeight - kCloseBoxSize) / 2, kCloseBoxSize, kCloseBoxSize};
}

void KeyboardPaletteWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintDragBar(p);
    paintSendBand(p);
    paintKeys(p);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void KeyboardPaletteWindow::paintDragBar(QPainter& p) {
    QLinearGradient shade(0, 0, 0, kKeyboardDragBarHeight);
    shade.setColorAt(0, QColor(70, 90, 140));
    shade.setColorAt(1, QColor(40, 55, 95));
    p.fillRect(QRect(0, 0, width(), kKeyboardDragBarHeight), shade);
    QFont font = p.font();
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 0, width() - 40, kKeyboardDragBarHeight), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
    const QRect box = closeBox();
    p.setPen(QColor(220, 220, 230));
    p.setBrush(QColor(90, 105, 150));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(box.topLeft() + QPoint(4, 4), box.bottomRight() - QPoint(4, 4));
    p.drawLine(box.topRight() + QPoint(-4, 4), box.bottomLeft() + QPoint(4, -4));
}

void KeyboardPaletteWindow::paintSendBand(QPainter& p) {
    const QRect band(0, kKeyboardDragBarHeight, width(), kKeyboardKeysTop - kKeyboardDragBarHeight);
    p.fillRect(band, kBandPaper);
    p.setPen(QColor(150, 140, 100));
    p.drawLine(band.bottomLeft(), band.bottomRight());
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(60, 50, 20));
    QString text;
    if (m_keyboard.collection().empty()) {
        text = QStringLiteral("鍵盤で音を選び、ここをクリックして入力");
    } else {
        QStringList names;
        for (auto it = m_keyboard.collection().rbegin(); it != m_keyboard.collection().rend(); ++it)
            names << keyName(it->key());
        text = QStringLiteral("ここをクリックして入力：") + names.join(QLatin1Char(' '));
    }
    p.drawText(band, Qt::AlignCenter, text);
}

void KeyboardPaletteWindow::paintKeys(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(m_keyboard.size() == 1 ? 9 : 8);
    p.setFont(font);
    for (int pass = 0; pass < 2; ++pass) {
        const bool black = pass == 1;
        for (int key = kKeyboardLowestKey; key <= kKeyboardHighestKey; ++key) {
            const KeyRect r = m_keyboard.keyRect(key);
            if (r.black != black) continue;
            const QRect area(r.x, r.y, r.width, r.height);
            const bool collected = m_keyboard.isCollected(key);
            p.setPen(QColor(40, 40, 40));
            p.setBrush(black ? (collected ? kCollectedBlack : QColor(20, 20, 20))
                             : (collected ? kCollectedWhite : QColor(Qt::white)));
            p.drawRect(area.adjusted(0, 0, -1, -1));
            if (!black && key % 12 == 0) {
                // C carries its octave; the small keyboard has room for the digit only.
                const QString label = m_keyboard.size() == 1 ? keyName(key) : QString::number(key / 12 - 1);
                p.setPen(QColor(120, 0, 0));
                p.drawText(QRect(r.x, r.y + r.height - 14, r.width, 12), Qt::AlignHCenter | Qt::AlignBottom, label);
            }
        }
    }
}

void KeyboardPaletteWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (closeBox().contains(at)) {
        close();
        return;
    }
    KeyboardClickContext context;
    context.lengthIndex = m_frame.entryState().choice.lengthIndex;
    context.playing = m_frame.isPlaying();
    context.newMouseInput = m_frame.settings().newMouseInput != 0;
    context.shift = event->modifiers() & Qt::ShiftModifier;
    context.wheelOpen = m_wheel && m_wheel->isOpen();
    const KeyboardClick click = m_keyboard.click(at.x(), at.y(), context);
    switch (click.kind) {
    case KeyboardClick::Kind::Drag:
        m_drag.start(*this, *event);
        return;
    case KeyboardClick::Kind::Sent:
        m_frame.postRequest(*click.post);
        break;
    default:
        break;
    }
    update();
}

void KeyboardPaletteWindow::mouseMoveEvent(QMouseEvent* event) { m_drag.follow(*this, *event); }

void KeyboardPaletteWindow::mouseReleaseEvent(QMouseEvent*) { m_drag.stop(); }

void KeyboardPaletteWindow::placeFirst() { placeAtFrameEdge(*this, m_frame, Qt::AlignBottom | Qt::AlignRight); }

}  // namespace plume
