#pragma once
// What the voice tests share: profiles of their own, and takes made of generated sound (sine tones
// of known pitch and length, silence and noise) in 20 ms blocks of 441 samples so that note
// boundaries fall where the test puts them.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <random>
#include <vector>

#include "platform/profile.h"

namespace plume::test {

// Empty settings, installed for the lifetime of the test.
struct Profiles {
    platform::MemoryProfile plm, app;
    Profiles() { platform::installProfiles(&plm, &app); }
    ~Profiles() { platform::installProfiles(nullptr, nullptr); }
};

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

inline double hzOf(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

// One piece of a take: `blocks` of the tone of `key`, or of silence when `key` is 0.
struct Piece {
    int key;
    std::uint32_t blocks;
    double amplitude = 12000.0;
};
inline Take takeOf(std::initializer_list<Piece> pieces) {
    Take take;
    for (const Piece& p : pieces) addTone(take, p.key == 0 ? 0.0 : hzOf(p.key), p.blocks, p.amplitude);
    return take;
}

}  // namespace plume::test
