#include "voice/wav_file_driver.h"

#include <algorithm>
#include <utility>

namespace plume::voice {

WavFileDriver::WavFileDriver(std::vector<std::int16_t> take, const platform::Clock& clock, std::string name)
    : m_take(std::move(take)), m_clock(clock), m_name(std::move(name)) {}

int WavFileDriver::open(int deviceId, const WaveFormatRecord& format) {
    if (const int failure = std::exchange(m_openFailure, 0)) return failure;
    if (deviceId < kWaveMapper) return mm::kBadDeviceId;  // the file stands in for any device
    const WaveFormatRecord capture;
    if (format.formatTag != capture.formatTag || format.channels != capture.channels ||
        format.samplesPerSecond != capture.samplesPerSecond || format.bitsPerSample != capture.bitsPerSample)
        return mm::kBadFormat;
    return mm::kNoError;
}

int WavFileDriver::openInput(int deviceId, const WaveFormatRecord& format) {
    if (m_inputOpen) return mm::kAllocated;
    const int result = open(deviceId, format);
    m_inputOpen = result == mm::kNoError;
    return result;
}

int WavFileDriver::startInput(std::span<std::int16_t> buffer) {
    if (!m_inputOpen) return 1;
    if (const int failure = std::exchange(m_startFailure, 0)) return failure;
    m_buffer = buffer;
    m_captured = 0;
    m_capturing = true;
    m_inputDone = false;
    m_startMicros = m_clock.nowMicros();
    return 0;
}

std::uint32_t WavFileDriver::elapsedSamples() const {
    const std::int64_t micros = std::max<std::int64_t>(0, m_clock.nowMicros() - m_startMicros);
    return std::uint32_t(std::min<std::int64_t>(micros * kSampleRate / 1000000, std::int64_t(m_buffer.size())));
}

std::uint32_t WavFileDriver::capture() {
    if (!m_capturing) return m_captured;
    const std::uint32_t target = elapsedSamples();
    for (; m_captured < target; ++m_captured) {
        m_buffer[m_captured] = m_captured < m_take.size() ? m_take[m_captured] : std::int16_t(0);
    }
    if (m_captured == m_buffer.size()) {
        m_capturing = false;
        m_inputDone = true;
    }
    return m_captured;
}

std::optional<std::uint32_t> WavFileDriver::inputPosition() {
    if (!m_inputOpen) return std::nullopt;
    return capture();
}

void WavFileDriver::resetInput() {
    if (!m_capturing) return;
    capture();
    if (m_capturing) {
        m_capturing = false;
        m_inputDone = true;
    }
}

bool WavFileDriver::closeInput() {
    m_inputOpen = m_capturing = false;
    return true;
}

std::optional<std::uint32_t> WavFileDriver::takeInputDone() {
    capture();
    if (!std::exchange(m_inputDone, false)) return std::nullopt;
    return m_captured * 2;
}

int WavFileDriver::openOutput(int deviceId, const WaveFormatRecord& format) {
    if (m_outputOpen) return mm::kAllocated;
    const int result = open(deviceId, format);
    m_outputOpen = result == mm::kNoError;
    m_played.clear();
    return result;
}

bool WavFileDriver::playOutput(std::span<const std::int16_t> samples) {
    if (!m_outputOpen || m_playing) return false;
    m_played.assign(samples.begin(), samples.end());
    m_playLength = std::uint32_t(samples.size());
    m_playing = true;
    m_outputDone = false;
    m_startMicros = m_clock.nowMicros();
    return true;
}

std::optional<std::uint32_t> WavFileDriver::outputPosition() {
    if (!m_outputOpen) return std::nullopt;
    if (!m_playing) return m_playStopped;
    const std::int64_t micros = std::max<std::int64_t>(0, m_clock.nowMicros() - m_startMicros);
    return std::uint32_t(std::min<std::int64_t>(micros * kSampleRate / 1000000, m_playLength));
}

void WavFileDriver::resetOutput() {
    if (!m_playing) return;
    m_playStopped = *outputPosition();
    m_playing = false;
    m_outputDone = true;
}

bool WavFileDriver::closeOutput() {
    m_outputOpen = m_playing = false;
    return true;
}

bool WavFileDriver::takeOutputDone() {
    if (m_playing && *outputPosition() >= m_playLength) {
        m_playStopped = m_playLength;
        m_playing = false;
        m_outputDone = true;
    }
    return std::exchange(m_outputDone, false);
}

}  // namespace plume::voice
