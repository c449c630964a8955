#include "app/qt/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/frame_commands.h"

namespace plume {

namespace {

constexpr int S = kToolIconSize;
const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 250);
const QColor kMarkYellow(255, 230, 0);

void page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
}

// A quarter note with its head centred at (x, y).
void noteAt(QPainter& p, qreal x, qreal y, bool flag = false) {
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.save();
    p.translate(x, y);
    p.rotate(-20);
    p.drawEllipse(QRectF(-3, -2, 6, 4));
    p.restore();
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(x + 2.6, y - 0.5), QPointF(x + 2.6, y - 11));
    if (flag) p.drawLine(QPointF(x + 2.6, y - 11), QPointF(x + 6, y - 6));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head({to + d * 2, to - d * 3 + n * 3, to - d * 3 - n * 3});
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void text(QPainter& p, const QString& label, const QColor& colour = kInk) {
    QFont font = p.font();
    font.setPixelSize(label.size() > 1 ? 9 : 13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(0, 0, S, S), Qt::AlignCenter, label);
}

void lineMark(QPainter& p) {
    p.fillRect(QRectF(2, 7, 16, 6), kMarkYellow);
    p.setPen(QPen(kInk, 1));
    for (int y : {8, 10, 12}) p.drawLine(2, y, 18, y);
}

void draw(QPainter& p, int id) {
    switch (id) {
    case cmd::kFileNew:
        page(p, {4, 2, 12, 16});
        break;
    case cmd::kFileOpen: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2, 6, 14, 11));
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygonF({QPointF(4, 9), QPointF(19, 9), QPointF(16, 17), QPointF(2, 17)}));
        break;
    }
    case cmd::kFileSave:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(70, 90, 160));
        p.drawRect(QRectF(3, 3, 14, 14));
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 3, 8, 5));
        p.drawRect(QRectF(5, 11, 10, 6));
        break;
    case cmd::kEditCut:
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(6, 2), QPointF(13, 13));
        p.drawLine(QPointF(14, 2), QPointF(7, 13));
        p.drawEllipse(QRectF(3, 13, 5, 5));
        p.drawEllipse(QRectF(12, 13, 5, 5));
        break;
    case cmd::kEditCopy:
        page(p, {2, 2, 10, 12});
        page(p, {8, 6, 10, 12});
        break;
    case cmd::kEditPaste:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(200, 150, 90));
        p.drawRect(QRectF(3, 4, 12, 14));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(6, 2, 6, 4));
        page(p, {9, 8, 9, 10});
        break;
    case cmd::kLineMark:
        lineMark(p);
        break;
    case cmd::kLineMarkUp:
        lineMark(p);
        arrow(p, {10, 19}, {10, 3}, QColor(200, 0, 0));
        break;
    case cmd::kLineMarkDown:
        lineMark(p);
        arrow(p, {10, 1}, {10, 17}, QColor(200, 0, 0));
        break;
    case cmd::kNotePalette:
        noteAt(p, 7, 15, true);
        noteAt(p, 14, 13);
        break;
    case cmd::kChordPalette:
        for (int y : {16, 12, 8}) {
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawEllipse(QRectF(6, y - 2, 6, 4));
        }
        p.setPen(QPen(kInk, 1.2));
        p.drawLine(QPointF(11.6, 16), QPointF(11.6, 2));
        break;
    case cmd::kEditPalette:
        noteAt(p, 6, 14);
        p.setPen(QPen(QColor(0, 90, 200), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(9, 3, 8, 8));
        p.drawLine(QPointF(16, 10), QPointF(19, 13));
        break;
    case cmd::kKeyboardPalette:
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 4, 16, 13));
        for (int x = 6; x < 18; x += 4) p.drawLine(x, 4, x, 17);
        p.setBrush(kInk);
        for (int x : {5, 9, 13}) p.drawRect(QRectF(x, 4, 2, 7));
        break;
    case cmd::kEffectPalette: {
        QPainterPath wave;
        wave.moveTo(2, 10);
        wave.cubicTo(6, 0, 8, 0, 10, 10);
        wave.cubicTo(12, 20, 14, 20, 18, 10);
        p.setPen(QPen(QColor(0, 120, 60), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case cmd::kDrumPalette:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(200, 60, 60));
        p.drawRect(QRectF(3, 8, 14, 8));
        p.setBrush(QColor(230, 230, 230));
        p.drawEllipse(QRectF(3, 5, 14, 6));
        p.setPen(QPen(QColor(120, 80, 40), 1.5));
        p.drawLine(QPointF(6, 1), QPointF(10, 7));
        p.drawLine(QPointF(15, 1), QPointF(11, 7));
        break;
    case cmd::kVokato:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(120, 120, 130));
        p.drawRoundedRect(QRectF(7, 2, 6, 10), 3, 3);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 5, 12, 10), 180 * 16, 180 * 16);
        p.drawLine(10, 15, 10, 18);
        p.drawLine(6, 18, 14, 18);
        break;
    case cmd::kAllTracks:
        for (int y : {4, 8, 12, 16}) p.fillRect(QRectF(3, y, 14, 2), QColor(60, 90, 170));
        break;
    case cmd::kRepeat:
        p.setPen(QPen(QColor(0, 110, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 14, 14), 30 * 16, 300 * 16);
        arrow(p, {15, 5}, {16.5, 7.5}, QColor(0, 110, 0));
        break;
    case cmd::kPlay:
    case cmd::kVokatoPlay:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 140, 0));
        p.drawPolygon(QPolygonF({QPointF(5, 3), QPointF(17, 10), QPointF(5, 17)}));
        break;
    case cmd::kStop:
    case cmd::kVokatoStopRecording:
        p.fillRect(QRectF(5, 5, 10, 10), QColor(30, 30, 120));
        break;
    case cmd::kChordIdentification:
        text(p, QStringLiteral("C?"), QColor(120, 0, 120));
        break;
    case cmd::kContextHelp:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPolygon(QPolygonF({QPointF(2, 2), QPointF(2, 14), QPointF(5, 11), QPointF(8, 17), QPointF(10, 16),
                                 QPointF(7, 10), QPointF(11, 10)}));
        p.setPen(QColor(0, 0, 180));
        {
            QFont font = p.font();
            font.setPixelSize(11);
            font.setBold(true);
            p.setFont(font);
        }
        p.drawText(QRectF(10, 0, 10, 14), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case cmd::kVokatoAdjust:
        p.setPen(QPen(kInk, 1));
        for (int x : {5, 10, 15}) p.drawLine(x, 3, x, 17);
        p.setBrush(QColor(0, 90, 200));
        p.drawRect(QRectF(3, 12, 4, 3));
        p.drawRect(QRectF(8, 5, 4, 3));
        p.drawRect(QRectF(13, 9, 4, 3));
        break;
    case cmd::kVokatoMeasurePitch:
        p.setPen(QPen(QColor(90, 90, 90), 2));
        p.drawLine(QPointF(7, 2), QPointF(7, 11));
        p.drawLine(QPointF(13, 2), QPointF(13, 11));
        p.drawArc(QRectF(7, 6, 6, 8), 180 * 16, 180 * 16);
        p.drawLine(QPointF(10, 14), QPointF(10, 19));
        break;
    case cmd::kVokatoRecord:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 0, 0));
        p.drawEllipse(QRectF(4, 4, 12, 12));
        break;
    case cmd::kVokatoDown:
        text(p, QStringLiteral("♭"));
        arrow(p, {16, 3}, {16, 15}, QColor(0, 0, 180));
        break;
    case cmd::kVokatoUp:
        text(p, QStringLiteral("♯"));
        arrow(p, {16, 17}, {16, 5}, QColor(180, 0, 0));
        break;
    case cmd::kVokatoTransfer:
        page(p, {9, 3, 9, 14});
        arrow(p, {1, 10}, {10, 10}, QColor(0, 110, 0));
        break;
    default:
        text(p, QStringLiteral("・"));
        break;
    }
}

}  // namespace

QIcon toolIcon(int id) {
    QPixmap pixmap(S, S);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, id);
    painter.end();
    return QIcon(pixmap);
}

QIcon appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 20.0, size / 20.0);
        p.setBrush(QColor(250, 250, 240));
        p.setPen(QPen(QColor(90, 60, 140), 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
        p.setPen(QPen(QColor(150, 150, 150), 0.6));
        for (int y = 6; y <= 14; y += 2) p.drawLine(QPointF(2, y), QPointF(18, y));
        noteAt(p, 8, 13, true);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace plume
