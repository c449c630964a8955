#include "play/play_timer.h"

#include <chrono>

#include "platform/clock.h"

namespace plume {

bool RealtimePlayTimer::start(int periodMs, Tick tick, void* context) {
    return m_thread.start(std::chrono::milliseconds(periodMs), tick, context);
}

bool SimulatedPlayTimer::start(int periodMs, Tick tick, void* context) {
    if (running() || !tick || periodMs <= 0) return false;
    m_period = std::int64_t(periodMs) * 1000;
    m_tick = tick;
    m_context = context;
    m_next = m_clock.nowMicros() + m_period;
    return true;
}

void SimulatedPlayTimer::fire() {
    if (!m_next) return;
    m_clock.set(*m_next);
    *m_next += m_period;
    m_tick(m_context);
}

}  // namespace plume
