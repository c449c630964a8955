// WAV files of the layouts the reader meets; with PLUME_FUZZ_SEED_DIR set they also become the WAV
// reader's seed corpus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/file_io.h"
#include "voice/tones.h"
#include "voice/wave_file.h"

namespace plume::voice {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A PCM file of any layout, with an extra chunk before the data when `list` is set.
Bytes pcmFile(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::size_t frames, bool list) {
    Bytes b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
    };
    b.insert(b.end(), {'f', 'm', 't', ' '});
    put(16, 4), put(1, 2), put(channels, 2), put(rate, 4), put(rate * channels * bits / 8, 4);
    put(std::uint32_t(channels * bits / 8), 2), put(bits, 2);
    if (list) b.insert(b.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(std::uint32_t(frames * channels * bits / 8), 4);
    for (std::size_t i = 0; i < frames * channels; ++i) put(std::uint32_t(i * 37), bits / 8);
    return b;
}

TEST(FuzzSeeds, EveryWavLayoutReads) {
    const char* seedDir = std::getenv("PLUME_FUZZ_SEED_DIR");
    const std::filesystem::path dir = seedDir ? std::filesystem::path(seedDir) / "fuzz_wav_reader" : "";
    if (seedDir) std::filesystem::create_directories(dir);
    test::Take tone;
    test::addTone(tone, 440.0, 4);
    const std::map<std::string, std::pair<Bytes, std::size_t>> seeds = {
        {"take", {wavFileBytes(tone), tone.size()}},
        {"empty", {wavFileBytes({}), 0}},
        {"stereo44k", {pcmFile(2, 44100, 16, 300, false), 300}},
        {"mono8bit", {pcmFile(1, 8000, 8, 500, true), 500}},
    };
    for (const auto& [name, seed] : seeds) {
        const WavData read = parseWav(seed.first);
        EXPECT_TRUE(read.ok()) << name;
        EXPECT_EQ(read.samples.size(), seed.second) << name;
        if (seedDir) {
            EXPECT_TRUE(platform::writeFileAtomically(dir / (name + ".wav"), seed.first)) << name;
        }
    }
}

}  // namespace
}  // namespace plume::voice
