#pragma once
// A sink that keeps every message with its time: for the tests and `plume-cli play --events`.

#include <string>
#include <vector>

#include "platform/spsc_queue.h"
#include "play/midi_out.h"

namespace plume {

class EventRecorder final : public MidiOut {
public:
    // Any one thread at a time, as MidiOut says; a message that finds the queue full is lost and counted.
    void send(const MidiMessage& message) override;
    // The consumer's side (one thread): moves waiting messages into events().
    void service() override;

    // Collects first; consumer thread only.
    const std::vector<MidiMessage>& events();
    std::size_t lost() const { return m_lost.load(std::memory_order_relaxed); }
    void clear();

private:
    platform::SpscQueue<MidiMessage, 16384> m_queue;
    std::vector<MidiMessage> m_events;
    std::atomic<std::size_t> m_lost{0};
};

// "300.000 B0 07 64": milliseconds with three decimals, then the bytes in upper-case hex.
std::string eventLine(const MidiMessage& message);

}  // namespace plume
