#include "voice/devices/portaudio_driver.h"

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace plume::voice {

namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

int resultOf(PaError error) {
    switch (error) {
    case paNoError: return mm::kNoError;
    case paInvalidDevice: return mm::kBadDeviceId;
    case paDeviceUnavailable: return mm::kAllocated;
    case paInsufficientMemory: return mm::kNoMemory;
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paInvalidChannelCount: return mm::kBadFormat;
    default: return mm::kNoDriver;
    }
}

class PortAudioDriver final : public WaveDriver {
public:
    PortAudioDriver() {
        snd_lib_error_set_handler(quietAlsa);  // ALSA reports every missing card on stderr
        m_initialised = Pa_Initialize() == paNoError;
    }
    ~PortAudioDriver() override {
        closeStream();
        if (m_initialised) Pa_Terminate();
    }

    std::vector<std::string> inputNames() override { return names(true); }
    std::vector<std::string> outputNames() override { return names(false); }

    int openInput(int deviceId, const WaveFormatRecord& format) override { return open(deviceId, format, true); }
    int startInput(std::span<std::int16_t> buffer) override {
        if (!m_stream || !m_input) return 1;
        if (m_running) return 2;
        m_capture = buffer;
        m_position.store(0, std::memory_order_relaxed);
        m_done.store(false, std::memory_order_relaxed);
        if (Pa_StartStream(m_stream) != paNoError) return 3;
        m_running = true;
        return 0;
    }
    std::optional<std::uint32_t> inputPosition() override {
        if (!m_stream || !m_input) return std::nullopt;
        return m_position.load(std::memory_order_acquire);
    }
    void resetInput() override { stop(); }
    bool closeInput() override { return closeStream(); }
    std::optional<std::uint32_t> takeInputDone() override {
        if (!m_stream || !m_input || !m_done.exchange(false, std::memory_order_acq_rel)) return std::nullopt;
        settle();
        return m_position.load(std::memory_order_acquire) * 2;
    }

    int openOutput(int deviceId, const WaveFormatRecord& format) override { return open(deviceId, format, false); }
    bool playOutput(std::span<const std::int16_t> samples) override {
        if (!m_stream || m_input || m_running) return false;
        m_playback = samples;
        m_position.store(0, std::memory_order_relaxed);
        m_done.store(false, std::memory_order_relaxed);
        if (Pa_StartStream(m_stream) != paNoError) return false;
        m_running = true;
        return true;
    }
    std::optional<std::uint32_t> outputPosition() override {
        if (!m_stream || m_input) return std::nullopt;
        return m_position.load(std::memory_order_acquire);
    }
    void resetOutput() override { stop(); }
    bool closeOutput() override { return closeStream(); }
    bool takeOutputDone() override {
        if (!m_stream || m_input || !m_done.exchange(false, std::memory_order_acq_rel)) return false;
        settle();
        return true;
    }

private:
    std::vector<std::string> names(bool input) const {
        std::vector<std::string> list;
        if (!m_initialised) return list;
        for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info && (input ? info->maxInputChannels : info->maxOutputChannels) > 0) list.emplace_back(info->name);
        }
        return list;
    }

    // Our device id (among the devices of one direction) to PortAudio's index.
    PaDeviceIndex deviceIndex(int deviceId, bool input) const {
        if (deviceId == kWaveMapper) return input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
        int seen = 0;
        for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info && (input ? info->maxInputChannels : info->maxOutputChannels) > 0 && seen++ == deviceId) return i;
        }
        return paNoDevice;
    }

    int open(int deviceId, const WaveFormatRecord& format, bool input) {
        if (!m_initialised || Pa_GetDeviceCount() <= 0) return mm::kNoDriver;
        if (m_stream) return mm::kAllocated;
        if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels != 1) return mm::kBadFormat;
        const PaDeviceIndex index = deviceIndex(deviceId, input);
        if (index == paNoDevice) return deviceId == kWaveMapper ? mm::kNoDriver : mm::kBadDeviceId;
        PaStreamParameters parameters{};
        parameters.device = index;
        parameters.channelCount = 1;
        parameters.sampleFormat = paInt16;
        parameters.suggestedLatency = input ? Pa_GetDeviceInfo(index)->defaultLowInputLatency
                                            : Pa_GetDeviceInfo(index)->defaultLowOutputLatency;
        const PaError error = Pa_OpenStream(&m_stream, input ? &parameters : nullptr, input ? nullptr : &parameters,
                                            format.samplesPerSecond, paFramesPerBufferUnspecified, paClipOff,
                                            &PortAudioDriver::callback, this);
        if (error != paNoError) {
            m_stream = nullptr;
            return resultOf(error);
        }
        m_input = input;
        return mm::kNoError;
    }

    void stop() {
        if (!m_stream || !m_running) return;
        Pa_AbortStream(m_stream);
        m_running = false;
        m_done.store(true, std::memory_order_release);
    }

    // A stream that completed by itself is stopped before it can be started again.
    void settle() {
        if (m_running) {
            Pa_StopStream(m_stream);
            m_running = false;
        }
    }

    bool closeStream() {
        if (!m_stream) return true;
        stop();
        const bool closed = Pa_CloseStream(m_stream) == paNoError;
        m_stream = nullptr;
        m_done.store(false, std::memory_order_relaxed);
        return closed;
    }

    // The audio thread: copies between the stream and the buffer; no allocation, no lock.
    static int callback(const void* in, void* out, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* user) {
        auto* self = static_cast<PortAudioDriver*>(user);
        const std::uint32_t at = self->m_position.load(std::memory_order_relaxed);
        if (self->m_input) {
            const std::size_t n = std::min<std::size_t>(frames, self->m_capture.size() - at);
            if (in) std::memcpy(self->m_capture.data() + at, in, n * sizeof(std::int16_t));
            else std::fill_n(self->m_capture.data() + at, n, std::int16_t(0));
            self->m_position.store(at + std::uint32_t(n), std::memory_order_release);
            if (at + n < self->m_capture.size()) return paContinue;
        } else {
            auto* target = static_cast<std::int16_t*>(out);
            const std::size_t n = std::min<std::size_t>(frames, self->m_playback.size() - at);
            std::memcpy(target, self->m_playback.data() + at, n * sizeof(std::int16_t));
            std::fill(target + n, target + frames, std::int16_t(0));
            self->m_position.store(at + std::uint32_t(n), std::memory_order_release);
            if (at + n < self->m_playback.size()) return paContinue;
        }
        self->m_done.store(true, std::memory_order_release);
        return paComplete;
    }

    bool m_initialised = false;
    PaStream* m_stream = nullptr;
    bool m_input = false;
    bool m_running = false;
    std::span<std::int16_t> m_capture;
    std::span<const std::int16_t> m_playback;
    std::atomic<std::uint32_t> m_position{0};
    std::atomic<bool> m_done{false};
};

}  // namespace

std::unique_ptr<WaveDriver> makeSystemWaveDriver() { return std::make_unique<PortAudioDriver>(); }

}  // namespace plume::voice
