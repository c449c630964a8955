#pragma once
// The 4096-point radix-2 transform of the pitch stage: sine, cosine and window tables computed
// once per process, and a frame that a detector owns.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plume::voice {

inline constexpr int kSpectrumStages = 12;
inline constexpr std::size_t kSpectrumSize = std::size_t(1) << kSpectrumStages;  // N = 4096
inline constexpr std::size_t kWindowSize = kSpectrumSize / 2;

struct SpectrumTables {
    std::vector<double> sine;     // sin(-2πk/N)
    std::vector<double> cosine;   // cos(-2πk/N)
    std::vector<double> window;   // the square root of a Hann window over the first N/2 entries
    std::vector<std::uint16_t> bitReversed;

    // Built on first use, shared by every detector.
    static const SpectrumTables& shared();
};

// Forward transform in place, no scaling: decimation in frequency with the twiddle tables, then
// the bit-reversal reordering. Both spans hold N values.
void forwardTransform(const SpectrumTables& tables, double* re, double* im);

}  // namespace plume::voice
