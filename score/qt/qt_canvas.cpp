#include "score/qt/qt_canvas.h"

#include <QPen>
#include <QString>

#include "score/glyphs.h"

namespace plume::platform {

namespace {

QColor colourOf(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QPen qtPen(const Pen& pen) {
    QPen p(colourOf(pen.colour));
    p.setWidth(pen.width);
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

// Restores the painter's composition mode, pen and brush when the drawing step ends.
class PainterState {
public:
    explicit PainterState(QPainter& painter) : m_painter(painter) { m_painter.save(); }
    ~PainterState() { m_painter.restore(); }
    PainterState(const PainterState&) = delete;
    PainterState& operator=(const PainterState&) = delete;

private:
    QPainter& m_painter;
};

}  // namespace

const QImage& GlyphImages::image(const Glyph& glyph) {
    auto [it, added] = m_images.try_emplace(&glyph);
    if (added) {
        QImage image(glyph.width, glyph.height, QImage::Format_RGB32);
        for (int y = 0; y < glyph.height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < glyph.width; ++x) {
                const Rgb c = glyph.colourAt(x, y);
                row[x] = qRgb(c.red, c.green, c.blue);
            }
        }
        it->second = std::move(image);
    }
    return it->second;
}

QtCanvas::QtCanvas(QPainter& painter, const QFont& font, GlyphImages& images)
    : m_painter(painter), m_font(font), m_images(images) {}

void QtCanvas::fillRect(const Rect& rect, Rgb colour) {
    m_painter.fillRect(QRect(rect.left, rect.top, rect.width(), rect.height()), colourOf(colour));
}

// A one-pixel line is drawn pixel-exact without antialiasing; the end point stays empty.
void QtCanvas::line(Point from, Point to, const Pen& pen) {
    if (from == to) return;
    PainterState state(m_painter);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    if (pen.width <= 1 && (from.x == to.x || from.y == to.y)) {
        const int dx = (to.x > from.x) - (to.x < from.x);
        const int dy = (to.y > from.y) - (to.y < from.y);
        const QRect r = QRect(QPoint(std::min(from.x, to.x - dx), std::min(from.y, to.y - dy)),
                              QPoint(std::max(from.x, to.x - dx), std::max(from.y, to.y - dy)));
        m_painter.fillRect(r, colourOf(pen.colour));
        return;
    }
    m_painter.setPen(qtPen(pen));
    m_painter.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QtCanvas::arc(const Rect& bounds, int startAngle, int spanAngle, const Pen& pen) {
    PainterState state(m_painter);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setPen(qtPen(pen));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawArc(QRect(bounds.left, bounds.top, bounds.width() - 1, bounds.height() - 1), startAngle, spanAngle);
}

void QtCanvas::blit(const Glyph& glyph, Point at, const Rect& source) {
    const Rect clip{std::max(source.left, 0), std::max(source.top, 0), std::min(source.right, glyph.width),
                    std::min(source.bottom, glyph.height)};
    if (clip.width() <= 0 || clip.height() <= 0) return;
    PainterState state(m_painter);
    m_painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    m_painter.drawImage(QPoint(at.x + clip.left - source.left, at.y + clip.top - source.top), m_images.image(glyph),
                        QRect(clip.left, clip.top, clip.width(), clip.height()));
}

void QtCanvas::text(Point at, std::string_view utf8) {
    PainterState state(m_painter);
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
    const QFontMetrics metrics(m_font);
    m_painter.drawText(QPoint(at.x, at.y + metrics.ascent()), QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

void QtCanvas::invertRect(const Rect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    PainterState state(m_painter);
    m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    m_painter.fillRect(QRect(rect.left, rect.top, rect.width(), rect.height()), QColor(255, 255, 255));
}

QFont scoreTextFont(int pixelSize) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace plume::platform
