#pragma once
// Draws the pages of a PrintPlan on a QPainter: the printer, the print preview and the PDF of
// `plume-cli print` all go through here.

#include <QFont>
#include <QPainter>
#include <functional>

#include "print/print_plan.h"

namespace plume {
class GlyphSet;
}

namespace plume::platform {

class GlyphImages;

// "ＭＳ 明朝" when installed, else a Mincho face (IPA Mincho), else any serif face.
QFont minchoFont(int pixelHeight, int weight = QFont::Normal);

// One page on a painter whose device pixel (0, 0) is the printer's printable origin: the title
// line and "Page %d", then the score of the page's lines (the ordinary score drawing, clipped to the
// printable area), then the bold line numbers. The painter's state is left as it was.
void paintPage(QPainter& painter, const PrintSource& source, const PrintPlan& plan, const PrintedPage& page,
               const GlyphSet& glyphs, GlyphImages& images);

// Every page of the plan, `newPage` called between two pages (false from it stops). Returns the
// number of pages drawn.
int paintPages(QPainter& painter, const std::function<bool()>& newPage, const PrintSource& source,
               const PrintPlan& plan, const GlyphSet& glyphs, GlyphImages& images);

}  // namespace plume::platform
