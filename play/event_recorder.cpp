#include "play/event_recorder.h"

#include <cstdio>

namespace plume {

void EventRecorder::send(const MidiMessage& message) {
    if (!m_queue.push(message)) m_lost.fetch_add(1, std::memory_order_relaxed);
}

void EventRecorder::service() {
    MidiMessage message;
    while (m_queue.pop(message)) m_events.push_back(message);
}

const std::vector<MidiMessage>& EventRecorder::events() {
    service();
    return m_events;
}

void EventRecorder::clear() {
    service();
    m_events.clear();
}

std::string eventLine(const MidiMessage& message) {
    const std::int64_t us = message.micros < 0 ? 0 : message.micros;
    char head[32];
    std::snprintf(head, sizeof head, "%lld.%03lld", static_cast<long long>(us / 1000), static_cast<long long>(us % 1000));
    std::string line = head;
    for (std::uint8_t b : message.data()) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    return line;
}

}  // namespace plume
