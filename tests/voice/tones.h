#pragma once
// Takes made of generated sound: sine tones of known pitch and length, silence and noise, in
// 20 ms blocks of 441 samples so that note boundaries fall where the test puts them.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace plume::test {

using Take = std::vector<std::int16_t>;
inline constexpr std::uint32_t kBlock = 441;

inline void addTone(Take& take, double hz, std::uint32_t blocks, double amplitude = 12000.0) {
    for (std::uint32_t i = 0; i < blocks * kBlock; ++i) {
        take.push_back(std::int16_t(amplitude * std::sin(2.0 * std::numbers::pi * hz * double(i) / 22050.0)));
    }
}

inline void addSilence(Take& take, std::uint32_t blocks) { take.insert(take.end(), blocks * kBlock, 0); }

inline void addNoise(Take& take, std::uint32_t blocks, int amplitude, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(-amplitude, amplitude);
    for (std::uint32_t i = 0; i < blocks * kBlock; ++i) take.push_back(std::int16_t(value(random)));
}

// The note a tone of `hz` should give: the nearest equal-tempered key.
inline int keyOf(double hz) { return int(std::lround(69.0 + 12.0 * std::log2(hz / 440.0))); }
inline double hzOf(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

}  // namespace plume::test
