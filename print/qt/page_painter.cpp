#include "print/qt/page_painter.h"

#include <QFontDatabase>
#include <QImage>
#include <QString>
#include <algorithm>

#include "score/qt/qt_canvas.h"
#include "score/score_painter.h"

namespace plume::platform {

namespace {

constexpr int kStripPixels = 1 << 22;  // pixels of one score strip

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// Text with its top-left at `at`, as the page's texts are placed.
void textAt(QPainter& painter, const QFont& font, QPoint at, const QString& text) {
    painter.setFont(font);
    painter.drawText(QPoint(at.x(), at.y() + QFontMetrics(font, painter.device()).ascent()), text);
}

}  // namespace

QFont minchoFont(int pixelHeight, int weight) {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                      QStringLiteral("Noto Serif CJK JP")});
    font.setStyleHint(QFont::Serif, QFont::PreferQuality);
    font.setPixelSize(std::max(pixelHeight, 1));
    font.setWeight(QFont::Weight(weight));
    return font;
}

void paintPage(QPainter& painter, const PrintSource& source, const PrintPlan& plan, const PrintedPage& page,
               const GlyphSet& glyphs, GlyphImages& images) {
    const PageGeometry& g = plan.geometry;
    painter.save();
    painter.setPen(Qt::black);
    painter.setRenderHint(QPainter::LosslessImageRendering);  // no JPEG blur on the glyphs in a PDF

    // The title line in millimetres from the effective margins, "Page %d" ending at the right margin.
    const QFont title = minchoFont(g.deviceY(kTitleHeight));
    const std::string number = pageNumberText(page.number);
    textAt(painter, title, {g.deviceX(g.leftMm * 10), g.deviceY(g.topMm * 10)}, qs(plan.title));
    textAt(painter, title, {g.deviceX(g.leftMm * 10 + pageNumberX(g, int(number.size()))), g.deviceY(g.topMm * 10)},
           qs(number));

    // The score in layout units, drawn as the view draws it, then scaled to the unit's printer pixels.
    // The glyphs combine with the page by raster operations, so the score is drawn on images first:
    // strips of the page each showing their part of the one drawing, so memory stays small.
    const QRect area(g.marginLeft * g.unitX, g.marginTop * g.unitY, g.printableWidth * g.unitX,
                     g.printableHeight * g.unitY);
    painter.setClipRect(area);
    const int width = page.view.width;
    const int height = page.view.height;
    if (width > 0 && height > 0) {
        const ScorePainter scorePainter(glyphs, Surface::Printer);
        const int stripHeight = std::clamp(kStripPixels / width, 1, height);
        QImage strip(width, stripHeight, QImage::Format_RGB32);
        for (int top = 0; top < height; top += stripHeight) {
            const int rows = std::min(stripHeight, height - top);
            strip.fill(Qt::white);
            QPainter stripPainter(&strip);
            stripPainter.translate(0, -top);
            stripPainter.setClipRect(0, top, width, rows);
            QtCanvas canvas(stripPainter, scoreTextFont(), images);
            scorePainter.paint(canvas, source.records, source.table, page.view);
            stripPainter.end();
            painter.drawImage(QRect(area.left(), area.top() + top * g.unitY, width * g.unitX, rows * g.unitY), strip,
                              QRect(0, 0, width, rows));
        }
    }

    // The line numbers, bold, at the left edge of the score area at each line's top.
    const QFont numbers = minchoFont(kLineNumberHeight * g.unitY, QFont::Bold);
    for (const LineNumberLabel& label : page.numbers)
        textAt(painter, numbers, {area.left(), area.top() + label.y * g.unitY}, qs(label.text));
    painter.restore();
}

int paintPages(QPainter& painter, const std::function<bool()>& newPage, const PrintSource& source,
               const PrintPlan& plan, const GlyphSet& glyphs, GlyphImages& images) {
    int printed = 0;
    for (int number = 1;; ++number) {
        const std::optional<PrintedPage> page = plan.page(source, number);
        if (!page) break;
        if (printed > 0 && !newPage()) break;
        paintPage(painter, source, plan, *page, glyphs, images);
        ++printed;
        if (page->last) break;
    }
    return printed;
}

}  // namespace plume::platform
