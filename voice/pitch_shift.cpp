#include "voice/pitch_shift.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace plume::voice {

void pitchShift(std::span<std::int16_t> samples, double ratio) {
    const std::vector<std::int16_t> scratch(samples.begin(), samples.end());
    const std::size_t n = scratch.size();
    // The value at a fractional position; false when its right neighbour is past the end.
    auto read = [&](double position, double& value) {
        const auto left = std::size_t(position);
        if (left + 1 >= n) return false;
        const double fraction = position - double(left);
        value = double(scratch[left]) * (1.0 - fraction) + double(scratch[left + 1]) * fraction;
        return true;
    };
    double headA = 0.0, headB = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = i % kShiftBlock;
        double a = 0.0, b = 0.0;
        if (!read(headA, a) || !read(headB, b)) {
            std::fill(samples.begin() + std::ptrdiff_t(i), samples.end(), std::int16_t(0));
            return;
        }
        const double w = (std::cos(std::numbers::pi * double(k) / double(kShiftBlock)) + 1.0) / 2.0;
        const double mixed = std::trunc(a * w + b * (1.0 - w));
        samples[i] = std::int16_t(std::clamp(mixed, -32768.0, 32767.0));
        headA += ratio;
        headB += ratio;
        if (k == kShiftBlock - 1) {
            headA = headB;
            headB = double(i + 1);  // the next output position
        }
    }
}

}  // namespace plume::voice
