#pragma once
// A wave "card" made of a WAV file, for tests and the command line: a take records the file's
// samples at the pace of a clock (a ManualClock runs as fast as the caller moves it), positions
// advance as on a card, and playback goes into a list of samples.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "voice/wave_device.h"

namespace plume::voice {

class WavFileDriver final : public WaveDriver {
public:
    // `take` is what the microphone hears, in the capture format; silence after its end.
    WavFileDriver(std::vector<std::int16_t> take, const platform::Clock& clock, std::string name = "WAV file");

    // Makes the next opening fail with a result code, or a start step fail (1, 2 or 3).
    void failOpeningWith(int result) { m_openFailure = result; }
    void failStartWith(int step) { m_startFailure = step; }

    std::vector<std::string> inputNames() override { return {m_name}; }
    std::vector<std::string> outputNames() override { return {m_name}; }
    int openInput(int deviceId, const WaveFormatRecord& format) override;
    int startInput(std::span<std::int16_t> buffer) override;
    std::optional<std::uint32_t> inputPosition() override;
    void resetInput() override;
    bool closeInput() override;
    std::optional<std::uint32_t> takeInputDone() override;

    int openOutput(int deviceId, const WaveFormatRecord& format) override;
    bool playOutput(std::span<const std::int16_t> samples) override;
    std::optional<std::uint32_t> outputPosition() override;
    void resetOutput() override;
    bool closeOutput() override;
    bool takeOutputDone() override;

    // Everything played since the output was opened.
    const std::vector<std::int16_t>& played() const { return m_played; }

private:
    int open(int deviceId, const WaveFormatRecord& format);
    std::uint32_t elapsedSamples() const;
    // Copies the take into the buffer up to the clock's position; the buffer is full at its end.
    std::uint32_t capture();

    std::vector<std::int16_t> m_take;
    const platform::Clock& m_clock;
    std::string m_name;
    int m_openFailure = 0;
    int m_startFailure = 0;

    bool m_inputOpen = false;
    bool m_capturing = false;
    bool m_inputDone = false;
    std::span<std::int16_t> m_buffer;
    std::uint32_t m_captured = 0;
    std::int64_t m_startMicros = 0;

    bool m_outputOpen = false;
    bool m_playing = false;
    bool m_outputDone = false;
    std::uint32_t m_playLength = 0;
    std::uint32_t m_playStopped = 0;
    std::vector<std::int16_t> m_played;
};

}  // namespace plume::voice
