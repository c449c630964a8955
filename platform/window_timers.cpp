#include "platform/window_timers.h"

#include <algorithm>

#include "platform/clock.h"

namespace plume::platform {

void ManualTimers::setTimer(TimerTarget& target, int id, int ms) {
    killTimer(target, id);
    if (m_clock) m_now = std::max(m_now, m_clock->nowMicros());
    m_entries.push_back({&target, id, std::max(ms, 1), m_now + std::int64_t(std::max(ms, 1)) * 1000, m_order++});
}

void ManualTimers::killTimer(TimerTarget& target, int id) {
    std::erase_if(m_entries, [&](const Entry& e) { return e.target == &target && e.id == id; });
}

bool ManualTimers::isSet(const TimerTarget& target, int id) const { return intervalOf(target, id).has_value(); }

std::optional<int> ManualTimers::intervalOf(const TimerTarget& target, int id) const {
    for (const Entry& e : m_entries) {
        if (e.target == &target && e.id == id) return e.ms;
    }
    return std::nullopt;
}

std::size_t ManualTimers::earliest() const {
    std::size_t first = m_entries.size();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        if (first == m_entries.size() || e.due < m_entries[first].due ||
            (e.due == m_entries[first].due && e.order < m_entries[first].order))
            first = i;
    }
    return first;
}

std::optional<std::int64_t> ManualTimers::nextDue() const {
    const std::size_t i = earliest();
    if (i == m_entries.size()) return std::nullopt;
    return m_entries[i].due;
}

void ManualTimers::advanceTo(std::int64_t micros) {
    for (std::size_t i = earliest(); i < m_entries.size() && m_entries[i].due <= micros; i = earliest()) {
        Entry& entry = m_entries[i];
        m_now = std::max(m_now, entry.due);
        if (m_clock) m_clock->set(m_now);
        TimerTarget* target = entry.target;
        const int id = entry.id;
        // Re-armed before it fires, so that the handler may kill it or set it again.
        entry.due += std::int64_t(entry.ms) * 1000;
        entry.order = m_order++;
        target->onTimer(id);
    }
    m_now = std::max(m_now, micros);
    if (m_clock) m_clock->set(m_now);
}

}  // namespace plume::platform
