#pragma once
// The surface the score is drawn on: the screen, the printer and the test recorder implement it.
// Coordinates are integer pixels (layout units when printing), y growing downward.

#include <cstdint>
#include <string_view>

namespace plume {

struct Glyph;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kMarkYellow{255, 255, 0};  // background of a line carrying a line mark
inline constexpr Rgb kStaffGray{192, 192, 192}; // staff and ledger lines

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Left and top inside, right and bottom just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Pen {
    Rgb colour;
    int width = 1;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// Angles of an arc in 1/16 degree, counter-clockwise from three o'clock (as QPainter::drawArc).
inline constexpr int kArcUpperHalfStart = 0;
inline constexpr int kArcLowerHalfStart = 180 * 16;
inline constexpr int kArcHalfSpan = 180 * 16;

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void fillRect(const Rect& rect, Rgb colour) = 0;
    // A pen line from `from` up to `to`, the end point itself not drawn (as GDI's LineTo).
    virtual void line(Point from, Point to, const Pen& pen) = 0;
    // Part of the ellipse inscribed in `bounds`, from `startAngle` over `spanAngle`.
    virtual void arc(const Rect& bounds, int startAngle, int spanAngle, const Pen& pen) = 0;
    // The part `source` (glyph coordinates) of a glyph with its top-left at `at`, combined as
    // source AND destination: white leaves the page as it is, black marks, colours tint.
    virtual void blit(const Glyph& glyph, Point at, const Rect& source) = 0;
    // UTF-8 text in the canvas's current font with its top-left at `at`, no background.
    virtual void text(Point at, std::string_view utf8) = 0;
    // Inverts every pixel of the rectangle (XOR with white); doing it twice restores the area.
    virtual void invertRect(const Rect& rect) = 0;
};

}  // namespace plume
