#pragma once
// A canvas that keeps every drawing call with its pixel arguments, for tests of the score drawing,
// the view and printing.

#include <iosfwd>
#include <string>
#include <vector>

#include "score/canvas.h"
#include "score/glyphs.h"

namespace plume::test {

struct CanvasCall {
    enum class Kind { Fill, Line, Arc, Blit, Text, Invert };

    Kind kind = Kind::Fill;
    Rect rect{};         // Fill, Invert; Arc: the ellipse's bounds; Blit: where the glyph part lands
    Point from{};        // Line
    Point to{};          // Line (not drawn itself)
    Rgb colour{};        // Fill; the pen's colour for Line and Arc
    int penWidth = 0;    // Line, Arc
    int startAngle = 0;  // Arc, 1/16 degree
    int spanAngle = 0;
    int glyph = 0;       // Blit: the glyph's id
    Rect source{};       // Blit: the part of the glyph
    std::string text{};  // Text, UTF-8

    friend bool operator==(const CanvasCall&, const CanvasCall&) = default;
};

// The calls as the canvas records them; tests build their expectations with the same helpers.
CanvasCall fillCall(Rect rect, Rgb colour);
CanvasCall lineCall(Point from, Point to, Pen pen);
CanvasCall arcCall(Rect bounds, int startAngle, int spanAngle, Pen pen);
CanvasCall blitCall(int glyph, Point at, Rect source);

std::string describe(const CanvasCall& call);
std::ostream& operator<<(std::ostream& out, const CanvasCall& call);

class RecordingCanvas : public Canvas {
public:
    void fillRect(const Rect& rect, Rgb colour) override;
    void line(Point from, Point to, const Pen& pen) override;
    void arc(const Rect& bounds, int startAngle, int spanAngle, const Pen& pen) override;
    void blit(const Glyph& glyph, Point at, const Rect& source) override;
    void text(Point at, std::string_view utf8) override;
    void invertRect(const Rect& rect) override;

    std::vector<CanvasCall> calls(CanvasCall::Kind kind) const;
    // Top-left corners of the blits of one glyph, in drawing order.
    std::vector<Point> blitsOf(int glyphId) const;
    // Lines drawn with a pen of this colour.
    std::vector<CanvasCall> linesOf(Rgb colour) const;
    // One call a line, for failure messages.
    std::string dump() const;

private:
    std::vector<CanvasCall> m_calls;
};

}  // namespace plume::test
