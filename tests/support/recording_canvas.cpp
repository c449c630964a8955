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

void RecordingCanvas::fillRect(const Rect& rect, Rgb colour) {
    CanvasCall c;
    c.kind = CanvasCall::Kind::Fill;
    c.rect = rect;
    c.colour = colour;
    m_calls.push_back(c);
}

void RecordingCanvas::line(Point from, Point to, const Pen& pen) {
    CanvasCall c;
    c.kind = CanvasCall::Kind::Line;
    c.from = from;
    c.to = to;
    c.colour = pen.colour;
    c.penWidth = pen.width;
    m_calls.push_back(c);
}

void RecordingCanvas::arc(const Rect& bounds, int startAngle, int spanAngle, const Pen& pen) {
    CanvasCall c;
    c.kind = CanvasCall::Kind::Arc;
    c.rect = bounds;
    c.startAngle = startAngle;
    c.spanAngle = spanAngle;
    c.colour = pen.colour;
    c.penWidth = pen.width;
    m_calls.push_back(c);
}

void RecordingCanvas::blit(const Glyph& glyph, Point at, const Rect& source) {
    CanvasCall c;
    c.kind = CanvasCall::Kind::Blit;
    c.glyph = glyph.id;
    c.source = source;
    c.rect = {at.x, at.y, at.x + source.width(), at.y + source.height()};
    m_calls.push_back(c);
}

void RecordingCanvas::text(Point at, std::string_view utf8) {
    CanvasCall c;
    c.kind = CanvasCall::Kind::Text;
    c.rect = {at.x, at.y, at.x, at.y};
    c.text = std::string(utf8);
    m_calls.push_back(c);
}

void RecordingCanvas::invertRect(const Rect& rect) {
    CanvasCall c;
    c.kind = CanvasCall::Kind::Invert;
    c.rect = rect;
    m_calls.push_back(c);
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

std::vector<CanvasCall> RecordingCanvas::blitCalls(int glyphId) const {
    std::vector<CanvasCall> out;
    for (const CanvasCall& c : m_calls)
        if (c.kind == CanvasCall::Kind::Blit && c.glyph == glyphId) out.push_back(c);
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
