#pragma once
// The pitch correction of a recorded range: two read heads step through a copy of the samples at
// the frequency ratio and are crossfaded over 100 ms blocks, after each of which the leading head
// takes over and the other restarts at the output position, so the timing is kept.

#include <cstdint>
#include <span>

namespace plume::voice {

inline constexpr std::size_t kShiftBlock = 2205;  // 100 ms

// Shifts `samples` in place by `ratio` (2 ^ (semitones / 12)). Once a head reads past the end,
// the rest of the range becomes silence.
void pitchShift(std::span<std::int16_t> samples, double ratio);

}  // namespace plume::voice
