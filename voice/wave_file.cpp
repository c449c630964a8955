#include "voice/wave_file.h"

#include <algorithm>
#include <cstring>

#include "platform/file_io.h"

namespace plume::voice {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t((v >> (8 * i)) & 0xFF));
}
void putTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + std::strlen(tag)); }

std::uint16_t get16(std::span<const std::uint8_t> b, std::size_t at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); }
std::uint32_t get32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}
bool isTag(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return std::memcmp(b.data() + at, tag, 4) == 0;
}

}  // namespace

std::vector<std::uint8_t> wavHeader(std::uint32_t dataLength) {
    const WaveFormatRecord format;
    std::vector<std::uint8_t> out;
    out.reserve(kWavHeaderSize);
    putTag(out, "RIFF");
    put32(out, dataLength + 36);
    putTag(out, "WAVEfmt ");
    put32(out, 16);
    put16(out, format.formatTag);
    put16(out, format.channels);
    put32(out, format.samplesPerSecond);
    put32(out, format.averageBytesPerSecond);
    put16(out, format.blockAlign);
    put16(out, format.bitsPerSample);
    putTag(out, "data");
    put32(out, dataLength);
    return out;
}

std::vector<std::uint8_t> wavFileBytes(std::span<const std::int16_t> samples) {
    std::vector<std::uint8_t> out = wavHeader(std::uint32_t(samples.size() * 2));
    out.reserve(out.size() + samples.size() * 2);
    for (std::int16_t s : samples) put16(out, std::uint16_t(s));
    return out;
}

WavData parseWav(std::span<const std::uint8_t> bytes) {
    WavData wav;
    if (bytes.size() < 12 || !isTag(bytes, 0, "RIFF") || !isTag(bytes, 8, "WAVE")) return wav;
    bool haveFormat = false;
    std::uint16_t tag = 0;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size = get32(bytes, at + 4);
        const std::size_t body = at + 8;
        const std::size_t available = std::min<std::size_t>(size, bytes.size() - body);
        if (isTag(bytes, at, "fmt ")) {
            if (available < 16) break;
            tag = get16(bytes, body);
            wav.channels = get16(bytes, body + 2);
            wav.sampleRate = get32(bytes, body + 4);
            wav.bitsPerSample = get16(bytes, body + 14);
            if (tag == 0xFFFE && available >= 26) tag = get16(bytes, body + 24);  // extensible: its sub-format
            haveFormat = true;
        } else if (isTag(bytes, at, "data")) {
            if (!haveFormat) {
                wav.status = WavStatus::NoFormat;
                return wav;
            }
            if (tag != 1 || wav.channels < 1 || wav.channels > 8 || wav.sampleRate < 1000 ||
                wav.sampleRate > 192000 || (wav.bitsPerSample != 8 && wav.bitsPerSample != 16)) {
                wav.status = WavStatus::Unsupported;
                return wav;
            }
            const std::size_t frameBytes = std::size_t(wav.channels) * (wav.bitsPerSample / 8);
            const std::size_t frames = available / frameBytes;
            wav.samples.resize(frames);
            for (std::size_t f = 0; f < frames; ++f) {
                int sum = 0;
                for (std::size_t c = 0; c < wav.channels; ++c) {
                    const std::size_t p = body + f * frameBytes + c * (wav.bitsPerSample / 8);
                    sum += wav.bitsPerSample == 8 ? (int(bytes[p]) - 128) * 256 : int(std::int16_t(get16(bytes, p)));
                }
                wav.samples[f] = std::int16_t(sum / int(wav.channels));
            }
            wav.status = WavStatus::Ok;
            return wav;
        }
        if (size > bytes.size() - body) break;
        at = body + size + (size & 1);  // chunks are padded to an even size
    }
    wav.status = haveFormat ? WavStatus::NoData : WavStatus::NoFormat;
    return wav;
}

std::string_view wavStatusText(WavStatus status) {
    switch (status) {
    case WavStatus::Ok: return "ok";
    case WavStatus::CannotOpen: return "cannot open the file";
    case WavStatus::NotRiff: return "not a WAV file (no RIFF/WAVE header)";
    case WavStatus::NoFormat: return "the WAV file has no format chunk before its data";
    case WavStatus::Unsupported: return "only PCM with 8 or 16 bits and 1 to 8 channels can be read";
    case WavStatus::NoData: return "the WAV file has no data chunk";
    }
    return "unknown";
}

std::vector<std::int16_t> toCaptureRate(std::span<const std::int16_t> samples, std::uint32_t rate) {
    if (rate == kSampleRate || samples.empty() || rate == 0) return {samples.begin(), samples.end()};
    const double step = double(rate) / double(kSampleRate);
    const auto count = std::size_t(double(samples.size()) / step);
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = double(i) * step;
        const auto j = std::size_t(x);
        const double frac = x - double(j);
        const double a = samples[std::min(j, samples.size() - 1)];
        const double b = samples[std::min(j + 1, samples.size() - 1)];
        out[i] = std::int16_t(a + (b - a) * frac);
    }
    return out;
}

WavData readCaptureWav(const std::filesystem::path& path) {
    const auto bytes = platform::readFile(path);
    if (!bytes) {
        WavData failed;
        failed.status = WavStatus::CannotOpen;
        return failed;
    }
    WavData wav = parseWav(*bytes);
    if (!wav.ok()) return wav;
    wav.samples = toCaptureRate(wav.samples, wav.sampleRate);
    wav.sampleRate = kSampleRate;
    wav.channels = 1;
    wav.bitsPerSample = 16;
    return wav;
}

}  // namespace plume::voice
