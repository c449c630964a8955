#pragma once
// The capture format and WAV files: the 44-byte header of a take, and a reader for any PCM file
// that turns it into the capture format.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace plume::voice {

// PCM mono, 16-bit, 22050 samples per second: every take is recorded and played in it.
inline constexpr std::uint32_t kSampleRate = 22050;
inline constexpr std::uint16_t kChannels = 1;
inline constexpr std::uint16_t kBitsPerSample = 16;
inline constexpr std::uint16_t kBlockAlign = 2;
inline constexpr std::uint32_t kBytesPerSecond = kSampleRate * kBlockAlign;
inline constexpr std::size_t kWavHeaderSize = 44;

struct WaveFormatRecord {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = kChannels;
    std::uint32_t samplesPerSecond = kSampleRate;
    std::uint32_t averageBytesPerSecond = kBytesPerSecond;
    std::uint16_t blockAlign = kBlockAlign;
    std::uint16_t bitsPerSample = kBitsPerSample;
    std::uint16_t extraSize = 0;
};

// "RIFF", data length + 36, "WAVEfmt ", the capture format, "data", data length.
std::vector<std::uint8_t> wavHeader(std::uint32_t dataLength);
// The header followed by the samples, little-endian.
std::vector<std::uint8_t> wavFileBytes(std::span<const std::int16_t> samples);

enum class WavStatus { Ok, CannotOpen, NotRiff, NoFormat, Unsupported, NoData };

struct WavData {
    WavStatus status = WavStatus::NotRiff;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    std::vector<std::int16_t> samples;  // mixed down to mono, at the file's own rate
    bool ok() const { return status == WavStatus::Ok; }
};

// PCM with 8 or 16 bits and 1 to 8 channels; chunks are walked by their sizes and a data chunk that
// claims more than the file holds yields what is there. Never reads past `bytes`.
WavData parseWav(std::span<const std::uint8_t> bytes);
// A clear one-line reason for a failed read.
std::string_view wavStatusText(WavStatus status);
// The samples at the capture rate (linear interpolation); the same samples when the rate matches.
std::vector<std::int16_t> toCaptureRate(std::span<const std::int16_t> samples, std::uint32_t rate);
// Reads a file and converts it to the capture format; status other than Ok on failure.
WavData readCaptureWav(const std::filesystem::path& path);

}  // namespace plume::voice
