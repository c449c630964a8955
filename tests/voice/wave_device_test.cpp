#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "support/temp_dir.h"
#include "voice/tones.h"
#include "voice/wav_file_driver.h"
#include "voice/wave_device.h"
#include "voice/wave_file.h"

namespace plume::voice {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Take;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24));
}

struct Owner : WaveOwner {
    std::vector<std::uint32_t> inputs;
    void waveInputDone(std::uint32_t bytes) override { inputs.push_back(bytes); }
    void waveOutputDone() override {}
};

// A PCM file of any layout, with an extra chunk before the data when `list` is set.
Bytes pcmFile(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::size_t frames, bool list,
              const std::function<std::uint32_t(std::size_t)>& sample = [](std::size_t i) { return i * 37; }) {
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
    for (std::size_t i = 0; i < frames * channels; ++i) put(sample(i), bits / 8);
    return b;
}

// A device on a WAV-file microphone that hears a sawtooth of a second.
class WaveDevice : public testing::Test, protected test::Profiles {
protected:
    platform::ManualClock clock;
    const Take take = [] {
        Take t;
        for (int i = 0; i < 22050; ++i) t.push_back(std::int16_t(i % 1000 - 500));
        return t;
    }();
    WavFileDriver driver{take, clock};
    CWaveDevice device{driver};
    Owner owner;
};

TEST(WavFile, OtherLayoutsBecomeTheCaptureFormatAndBrokenOnesAreRefused) {
    // GIVEN a 44.1 kHz stereo file whose channels hold +1000 and -3000
    Bytes bytes =
        pcmFile(2, 44100, 16, 10000, false, [](std::size_t i) { return i % 2 ? std::uint32_t(-3000) : 1000u; });
    const WavData read = parseWav(bytes);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.samples.size(), 10000u);
    EXPECT_EQ(read.samples[5], -1000);
    EXPECT_EQ(toCaptureRate(read.samples, 44100).size(), 5000u);
    // A data chunk claiming more than the file holds yields what is there; cut headers are refused.
    bytes.resize(44 + 400);
    EXPECT_EQ(parseWav(bytes).samples.size(), 100u);
    for (std::size_t cut : {0u, 11u, 30u, 40u}) EXPECT_FALSE(parseWav(std::span(bytes).first(cut)).ok()) << cut;
    bytes[20] = 3;  // floating point
    EXPECT_EQ(parseWav(bytes).status, WavStatus::Unsupported);
}

TEST_F(WaveDevice, ATakeAdvancesAtTheClocksPaceAndStopsEarly) {
    EXPECT_EQ(device.GetInputPosition(), kNoPosition);
    EXPECT_EQ(device.GetOutputPosition(), kNoPosition);
    ASSERT_TRUE(device.Allocate(2));
    EXPECT_EQ(device.GetBufferHandle().size(), 2u * 22050u);
    ASSERT_EQ(device.OpenInput(&owner), mm::kNoError);
    ASSERT_EQ(device.StartRecording(1.0), 0);
    EXPECT_TRUE(device.HasRecording());
    clock.advanceMillis(100);
    EXPECT_EQ(device.GetInputPosition(), 2205u);
    device.service();
    EXPECT_TRUE(owner.inputs.empty());
    // WHEN the take is stopped at 200 ms
    clock.advanceMillis(100);
    device.StopRecording();
    device.service();
    // THEN the buffer comes back with what was recorded, and only that is written
    ASSERT_EQ(owner.inputs, std::vector<std::uint32_t>{4410 * 2});
    device.CloseInput();
    device.SetDataLength(0);
    EXPECT_EQ(device.GetSampleCount(), 4410u);
    std::ostringstream file;
    EXPECT_EQ(device.WriteData(file), 1);
    EXPECT_EQ(file.str().size(), 4410u * 2);
}

TEST_F(WaveDevice, AFullBufferComesBackAndTheFileIsWritten) {
    ASSERT_TRUE(device.Allocate(2));
    ASSERT_EQ(device.OpenInput(&owner), mm::kNoError);
    ASSERT_EQ(device.StartRecording(0.5), 0);
    clock.advanceMillis(2000);
    EXPECT_EQ(device.GetInputPosition(), 11025u);
    device.service();
    ASSERT_EQ(owner.inputs, std::vector<std::uint32_t>{22050});
    device.CloseInput();
    device.SetDataLength(owner.inputs[0]);
    test::TempDir dir;
    ASSERT_TRUE(writeWavFile(dir / "take.wav", device));
    const auto bytes = platform::readFile(dir / "take.wav");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 44u + 22050u);
    // the RIFF size, the data size, the sample rate and the byte rate
    EXPECT_EQ(std::make_tuple(le32(*bytes, 4), le32(*bytes, 40), le32(*bytes, 24), le32(*bytes, 28)),
              std::make_tuple(22050u + 36u, 22050u, 22050u, 44100u));
    EXPECT_EQ(parseWav(*bytes).samples, Take(take.begin(), take.begin() + 11025));
}

TEST_F(WaveDevice, EveryOpeningFailureHasItsMessage) {
    platform::ScriptedMessageBox box;
    EXPECT_FALSE(reportOpening(device.IsReady(), device.OpenInput(&owner)));
    ASSERT_TRUE(device.Allocate(1));
    const std::pair<int, const char*> cases[] = {
        {mm::kBadDeviceId, "範囲外のデバイスIDが指定されました。"},
        {mm::kNoMemory, "メモリの割り当てやロックができません。"},
        {mm::kBadFormat, "サポートされていないウェーブフォーム形式でオープンしようとしました。"},
        {mm::kSyncDriver, "WAVE_ALLOWSYNCフラグを指定せずに同期ドライバをオープンしようとしました。"},
    };
    for (const auto& [code, text] : cases) {
        driver.failOpeningWith(code);
        EXPECT_FALSE(reportOpening(device.IsReady(), device.OpenInput(&owner)));
        EXPECT_EQ(box.shown().back(), text);
    }
    EXPECT_EQ(box.shown().front(), "ウェーブデバイス用のメモリーが足りません。");
    EXPECT_TRUE(reportOpening(device.IsReady(), device.OpenInput(&owner)));
    driver.failStartWith(2);
    EXPECT_EQ(device.StartRecording(0.5), 2);
    EXPECT_EQ(startMessage(2), "録音バッファが無効になりました。");
    EXPECT_FALSE(device.HasRecording());
    EXPECT_EQ(box.shown().size(), 5u);
}

TEST(SilenceLevel, IsTheMeanTruncatedTowardsZero) { EXPECT_EQ(silenceLevel(Take{-3, -4, -4}), -3); }

// WAV files of the layouts the reader meets; with PLUME_FUZZ_SEED_DIR set they also become the WAV
// reader's seed corpus.
TEST(FuzzSeeds, EveryWavLayoutReads) {
    const char* seedDir = std::getenv("PLUME_FUZZ_SEED_DIR");
    const std::filesystem::path dir = seedDir ? std::filesystem::path(seedDir) / "fuzz_wav_reader" : "";
    if (seedDir) std::filesystem::create_directories(dir);
    const Take tone = test::takeOf({{69, 4}});
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
