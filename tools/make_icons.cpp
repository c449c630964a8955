// Draws the application icon from the score's own glyphs (a treble clef and two notes on a staff)
// and writes it as PNG files: make_icons OUT_DIR SIZE... writes OUT_DIR/SIZExSIZE/apps/plume.png.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

#include "score/glyphs.h"
#include "score/score_geometry.h"

namespace {

using namespace plume;

constexpr int kArt = 48;  // the art is drawn once at this size, on the score's own pixel grid

void blit(QImage& image, const Glyph& glyph, int left, int top) {
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x) {
            if (!glyph.isInk(x, y) || left + x >= kArt || top + y >= kArt) continue;
            const Rgb c = glyph.colourAt(x, y);
            image.setPixel(left + x, top + y, qRgb(c.red, c.green, c.blue));
        }
}

QImage art() {
    const GlyphSet glyphs;
    QImage image(kArt, kArt, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // the staff's lines where the treble clef expects them, with the clef's top at row 0
    const int staffTop = kTrebleStaffLines[0] - glyph::kTrebleClefY;
    for (int line = 0; line < 5; ++line)
        for (int x = 0; x < kArt; ++x) image.setPixel(x, staffTop + line * 6, qRgb(0, 0, 0));
    blit(image, glyphs.clefKey(Clef::Treble, 0), 0, 0);
    // an eighth note on G4 and a quarter note on B4, heads centred on their lines
    const Glyph& eighth = glyphs.note(4, false);
    const Glyph& quarter = glyphs.note(3, false);
    blit(image, eighth, 24, staffTop + 18 - glyph::kStemUpHeadCentre);
    blit(image, quarter, 36, staffTop + 12 - glyph::kStemUpHeadCentre);
    return image;
}

QImage icon(const QImage& drawing, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // a sheet of paper with a soft edge, the drawing inside it
    const qreal margin = size / 16.0;
    QPainterPath sheet;
    sheet.addRoundedRect(QRectF(margin, margin, size - 2 * margin, size - 2 * margin), size / 8.0, size / 8.0);
    painter.fillPath(sheet, QColor(255, 252, 240));
    painter.setPen(QPen(QColor(120, 110, 90), std::max(1.0, size / 48.0)));
    painter.drawPath(sheet);
    const int inner = int(size - 4 * margin);
    const Qt::TransformationMode mode = inner >= kArt ? Qt::FastTransformation : Qt::SmoothTransformation;
    // whole multiples keep the 1-bit pixels square; smaller sizes are averaged down
    const int scaled = inner >= kArt ? inner / kArt * kArt : inner;
    const QImage picture = drawing.scaled(scaled, scaled, Qt::KeepAspectRatio, mode);
    painter.drawImage((size - picture.width()) / 2, (size - picture.height()) / 2, picture);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons OUT_DIR SIZE...\n");
        return 1;
    }
    const QImage drawing = art();
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "make_icons: bad size %s\n", argv[i]);
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) || !icon(drawing, size).save(folder + QStringLiteral("/plume.png"))) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
