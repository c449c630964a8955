#include "voice/fourier_transform.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace plume::voice {

namespace {

SpectrumTables build() {
    SpectrumTables t;
    const double n = double(kSpectrumSize);
    t.sine.resize(kSpectrumSize);
    t.cosine.resize(kSpectrumSize);
    for (std::size_t k = 0; k < kSpectrumSize; ++k) {
        t.sine[k] = std::sin(-2.0 * std::numbers::pi * double(k) / n);
        t.cosine[k] = std::cos(-2.0 * std::numbers::pi * double(k) / n);
    }
    t.window.assign(kSpectrumSize, 0.0);
    for (std::size_t i = 0; i < kWindowSize; ++i) {
        t.window[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(kWindowSize));
    }
    for (double& w : t.window) w = std::sqrt(w);
    t.bitReversed.resize(kSpectrumSize);
    for (std::size_t k = 0; k < kSpectrumSize; ++k) {
        std::size_t r = 0;
        for (int bit = 0; bit < kSpectrumStages; ++bit) r |= ((k >> bit) & 1) << (kSpectrumStages - 1 - bit);
        t.bitReversed[k] = std::uint16_t(r);
    }
    return t;
}

}  // namespace

const SpectrumTables& SpectrumTables::shared() {
    static const SpectrumTables tables = build();
    return tables;
}

void forwardTransform(const SpectrumTables& tables, double* re, double* im) {
    // Each stage splits blocks of `span` points into sums and twiddled differences.
    std::size_t twiddleStep = 1;
    for (std::size_t span = kSpectrumSize; span >= 2; span /= 2, twiddleStep *= 2) {
        const std::size_t half = span / 2;
        for (std::size_t base = 0; base < kSpectrumSize; base += span) {
            for (std::size_t j = 0; j < half; ++j) {
                const std::size_t a = base + j;
                const std::size_t b = a + half;
                const double dr = re[a] - re[b];
                const double di = im[a] - im[b];
                re[a] += re[b];
                im[a] += im[b];
                const double c = tables.cosine[j * twiddleStep];
                const double s = tables.sine[j * twiddleStep];
                re[b] = dr * c - di * s;
                im[b] = dr * s + di * c;
            }
        }
    }
    for (std::size_t k = 0; k < kSpectrumSize; ++k) {
        const std::size_t r = tables.bitReversed[k];
        if (r > k) {
            std::swap(re[k], re[r]);
            std::swap(im[k], im[r]);
        }
    }
}

}  // namespace plume::voice
