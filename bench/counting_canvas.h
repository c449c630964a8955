#pragma once
// A canvas that only counts the drawing calls, so that benchmarks time the painter, not pixels.

#include "score/canvas.h"

namespace plume::bench {

class CountingCanvas : public Canvas {
public:
    void fillRect(const Rect&, Rgb) override { ++m_calls; }
    void line(Point, Point, const Pen&) override { ++m_calls; }
    void arc(const Rect&, int, int, const Pen&) override { ++m_calls; }
    void blit(const Glyph&, Point, const Rect&) override { ++m_calls; }
    void text(Point, std::string_view) override { ++m_calls; }
    void invertRect(const Rect&) override { ++m_calls; }
    long calls() const { return m_calls; }

private:
    long m_calls = 0;
};

}  // namespace plume::bench
