#include "score/qt/score_image.h"

#include <algorithm>

#include "score/qt/qt_canvas.h"
#include "score/effect_display.h"
#include "score/score_painter.h"

namespace plume::platform {

QImage renderScoreImage(Records records, const SongInfo& info, const GlyphSet& glyphs, GlyphImages& images,
                        const ScoreImageOptions& options) {
    LineTable table;
    table.rebuild(records, info, {.grandStaff = options.grandStaff});
    const int first = std::clamp(options.firstLine, 0, table.lastLine());
    int height = options.height;
    if (height <= 0) height = table.line(table.lastLine()).bottom() - table.line(first).top;
    height = std::clamp(height, 1, kMaxImageHeight);
    const int width = std::clamp(options.width, 1, kMaxImageHeight);

    const double scale = std::clamp(options.scale, 1.0, kMaxImageScale);
    const auto scaled = [scale](int size) { return std::min(int(size * scale + 0.5), kMaxImageHeight); };
    QImage image(scaled(width), scaled(height), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    QtCanvas canvas(painter, scoreTextFont(), images);
    const ScorePosition start{first, 0};
    ScorePainter(glyphs).paint(canvas, records, table, {first, 0, width, height, start, start});
    painter.end();
    return image;
}

QImage renderEffectImage(Records records, int zoom, int width) {
    const std::vector<EffectItem> items = effectLayout(records, zoom);
    if (width <= 0) width = effectLayoutEnd(items) + 8;
    width = std::clamp(width, kEffectAreaLeft + 1, kMaxImageHeight);
    QImage image(width, kEffectDisplayHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    GlyphImages images;
    QtCanvas canvas(painter, scoreTextFont(kEffectLabelPixels), images);
    paintEffectDisplay(canvas, records, items, {.scroll = 0, .width = width, .cursor = 0, .showCursor = false});
    painter.end();
    return image;
}

}  // namespace plume::platform
