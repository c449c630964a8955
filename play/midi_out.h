#pragma once
// Where MIDI messages go: one interface for every sink (the built-in synthesiser, MIDI ports,
// the event recorder), and the list of devices the user chooses from.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace plume {

// MIDI control change numbers the player and the exporter send.
namespace cc {
inline constexpr std::uint8_t kBankSelect = 0;
inline constexpr std::uint8_t kModulation = 1;
inline constexpr std::uint8_t kVolume = 7;
inline constexpr std::uint8_t kPan = 10;
inline constexpr std::uint8_t kBankSelectLow = 32;  // carries the sound module
inline constexpr std::uint8_t kHold = 64;
inline constexpr std::uint8_t kReverb = 91;
inline constexpr std::uint8_t kChorus = 93;
inline constexpr std::uint8_t kAllSoundOff = 120;
inline constexpr std::uint8_t kAllNotesOff = 123;
}  // namespace cc

inline constexpr int kMidiMapper = -1;  // the default device: the built-in synthesiser
inline constexpr const char* kMidiMapperName = "MIDI Mapper";

// One complete message (a channel message, or a system exclusive from F0 to F7) and its time in
// microseconds since the device was opened.
struct MidiMessage {
    static constexpr std::size_t kMaxSize = 15;
    std::int64_t micros = 0;
    std::uint8_t size = 0;
    std::array<std::uint8_t, kMaxSize> bytes{};

    std::span<const std::uint8_t> data() const { return {bytes.data(), size}; }
    // A longer message is cut to kMaxSize bytes.
    static MidiMessage of(std::span<const std::uint8_t> message, std::int64_t micros);
};

class MidiOut {
public:
    virtual ~MidiOut() = default;
    // Called by one thread at a time: the user-interface thread before the clock starts and
    // after it stops, the playing thread in between. Implementations neither allocate nor lock.
    virtual void send(const MidiMessage& message) = 0;
    // User-interface thread, now and then while playing: a sink that records or renders catches up.
    virtual void service() {}
};

class MidiDevices {
public:
    virtual ~MidiDevices() = default;
    // The output ports 0..n-1 by name, as the device dialog lists them before "MIDI Mapper".
    virtual std::vector<std::string> portNames() = 0;
    // Port `id`, or the built-in synthesiser for kMidiMapper; null when it cannot be opened.
    virtual std::unique_ptr<MidiOut> open(int id) = 0;
};

// Sends every message to each of its sinks (not owned), in order.
class MidiFanOut final : public MidiOut {
public:
    explicit MidiFanOut(std::vector<MidiOut*> sinks) : m_sinks(std::move(sinks)) {}
    void send(const MidiMessage& message) override {
        for (MidiOut* sink : m_sinks) sink->send(message);
    }
    void service() override {
        for (MidiOut* sink : m_sinks) sink->service();
    }

private:
    std::vector<MidiOut*> m_sinks;
};

// No ports; the default device is the given sinks (not owned), and nothing opens without them.
// For the command line and the tests.
class FixedDevices final : public MidiDevices {
public:
    explicit FixedDevices(std::vector<MidiOut*> sinks) : m_sinks(std::move(sinks)) {}
    std::vector<std::string> portNames() override { return {}; }
    std::unique_ptr<MidiOut> open(int id) override {
        if (id != kMidiMapper || m_sinks.empty()) return nullptr;
        return std::make_unique<MidiFanOut>(m_sinks);
    }

private:
    std::vector<MidiOut*> m_sinks;
};

inline MidiMessage MidiMessage::of(std::span<const std::uint8_t> message, std::int64_t micros) {
    MidiMessage m;
    m.micros = micros;
    m.size = std::uint8_t(std::min(message.size(), kMaxSize));
    std::copy_n(message.begin(), m.size, m.bytes.begin());
    return m;
}

}  // namespace plume
