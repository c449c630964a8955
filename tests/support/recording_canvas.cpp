#include "support/recording_canvas.h"

#include <ostream>
#include <sstream>

namespace plume::test {

namespace {

std::string str(const Rect& r) {
    std::ostringstream out;
    out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
    return out.str();
}

std::string str(Point p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; }

std::string str(Rgb c) {
    return "rgb(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + ")";
}

}  // namespace

std::string describe(const CanvasCall& c) {
    switch (c.kind) {
    case CanvasCall::Kind::Fill: return "fill " + str(c.rect) + " " + str(c.colour);
    case CanvasCall::Kind::Line:
        return "line " + str(c.from) + "->" + str(c.to) + " " + str(c.colour) + " w" + std::to_string(c.penWidth);
    case CanvasCall::Kind::Arc:
        return "arc " + str(c.rect) + " from " + std::to_string(c.startAngle) + " span " + std::to_string(c.spanAngle) +
               " " + str(c.colour) + " w" + std::to_string(c.penWidth);
    case CanvasCall::Kind::Blit: return "blit " + std::to_string(c.glyph) + " " + str(c.source) + " at " + str(c.rect);
    case CanvasCall::Kind::Text: return "text \"" + c.text + "\" at " + str(Point{c.rect.left, c.rect.top});
    case CanvasCall::Kind::Invert: return "invert " + str(c.rect);
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const CanvasCall& call) { return out << describe(call); }

CanvasCall fillCall(Rect rect, Rgb colour) { return {.kind = CanvasCall::Kind::Fill, .rect = rect, .colour = colour}; }

CanvasCall lineCall(Point from, Point to, Pen pen) {
    return {.kind = CanvasCall::Kind::Line, .from = from, .to = to, .colour = pen.colour, .penWidth = pen.width};
}

CanvasCall arcCall(Rect bounds, int startAngle, int spanAngle, Pen pen) {
    return {.kind = CanvasCall::Kind::Arc, .rect = bounds, .colour = pen.colour, .penWidth = pen.width,
            .startAngle = startAngle, .spanAngle = spanAngle};
}

CanvasCall blitCall(int glyph, Point at, Rect source) {
    return {.kind = CanvasCall::Kind::Blit, .rect = {at.x, at.y, at.x + source.width(), at.y + source.height()},
            .glyph = glyph, .source = source};
}

void RecordingCanvas::fillRect(const Rect& rect, Rgb colour) { m_calls.push_back(fillCall(rect, colour)); }
void RecordingCanvas::line(Point from, Point to, const Pen& pen) { m_calls.push_back(lineCall(from, to, pen)); }
void RecordingCanvas::arc(const Rect& bounds, int startAngle, int spanAngle, const Pen& pen) {
    m_calls.push_back(arcCall(bounds, startAngle, spanAngle, pen));
}
void RecordingCanvas::blit(const Glyph& glyph, Point at, const Rect& source) {
    m_calls.push_back(blitCall(glyph.id, at, source));
}
void RecordingCanvas::text(Point at, std::string_view utf8) {
    m_calls.push_back({.kind = CanvasCall::Kind::Text, .rect = {at.x, at.y, at.x, at.y}, .text = std::string(utf8)});
}
void RecordingCanvas::invertRect(const Rect& rect) {
    m_calls.push_back({.kind = CanvasCall::Kind::Invert, .rect = rect});
}

std::vector<CanvasCall> RecordingCanvas::calls(CanvasCall::Kind kind) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& c : m_calls)
        if (c.kind == kind) out.push_back(c);
    return out;
}

std::vector<Point> RecordingCanvas::blitsOf(int glyphId) const {
    std::vector<Point> out;
    for (const CanvasCall& c : m_calls)
        if (c.kind == CanvasCall::Kind::Blit && c.glyph == glyphId) out.push_back({c.rect.left, c.rect.top});
    return out;
}

std::vector<CanvasCall> RecordingCanvas::linesOf(Rgb colour) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& c : m_calls)
        if (c.kind == CanvasCall::Kind::Line && c.colour == colour) out.push_back(c);
    return out;
}

std::string RecordingCanvas::dump() const {
    std::string out;
    for (const CanvasCall& c : m_calls) out += describe(c) + "\n";
    return out;
}

}  // namespace plume::test
