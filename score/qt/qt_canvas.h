#pragma once
// The Canvas over a QPainter: the editor's windows and `plume-cli render` draw the score through it.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <unordered_map>

#include "score/canvas.h"

namespace plume::platform {

// The images of the glyphs, made once for all canvases.
class GlyphImages {
public:
    const QImage& image(const Glyph& glyph);

private:
    std::unordered_map<const Glyph*, QImage> m_images;
};

// Draws on a painter that is active on a raster device (a widget or a QImage): the raster
// operations of glyph blits and inverted rectangles need one. Text uses `font`.
class QtCanvas : public Canvas {
public:
    QtCanvas(QPainter& painter, const QFont& font, GlyphImages& images);

    void fillRect(const Rect& rect, Rgb colour) override;
    void line(Point from, Point to, const Pen& pen) override;
    void arc(const Rect& bounds, int startAngle, int spanAngle, const Pen& pen) override;
    void blit(const Glyph& glyph, Point at, const Rect& source) override;
    void text(Point at, std::string_view utf8) override;
    void invertRect(const Rect& rect) override;

private:
    QPainter& m_painter;
    QFont m_font;
    GlyphImages& m_images;
};

// The font of score texts (lyrics and chord names): a Japanese gothic of `pixelSize` pixels,
// drawn without antialiasing so that images come out the same on every run.
QFont scoreTextFont(int pixelSize = 12);

}  // namespace plume::platform
