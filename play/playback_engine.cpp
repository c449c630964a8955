#include "play/playback_engine.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace plume {

PlaybackEngine::PlaybackEngine(ClockMode mode, MidiDevices& devices, PlayHost& host, PlayMixer& mixer,
                               platform::Profile& profile, PlaySettings settings)
    : m_mode(mode),
      m_clock(mode == ClockMode::Simulated ? static_cast<const platform::Clock*>(&m_manualClock) : &m_steadyClock),
      m_timers(mode == ClockMode::Simulated ? &m_manualClock : nullptr),
      m_port(std::make_unique<platform::MessagePort>()),
      m_block(std::make_unique<PlayBlock>()) {
    if (mode == ClockMode::Simulated) {
        auto ticks = std::make_unique<SimulatedPlayTimer>(m_manualClock);
        m_simulatedTicks = ticks.get();
        m_playTimer = std::move(ticks);
    } else {
        m_playTimer = std::make_unique<RealtimePlayTimer>();
        m_timers.advanceTo(m_clock->nowMicros());
    }
    m_component = std::make_unique<MidiOutputComponent>(*m_block, devices, *m_port, *m_clock, *m_playTimer);
    m_sequencer = std::make_unique<Sequencer>(*m_block, m_slots, *m_component, host, mixer, m_timers, profile,
                                              std::move(settings), kFrameWindow);
    addReportListener(kFrameWindow, *m_sequencer);
}

PlaybackEngine::~PlaybackEngine() {
    m_playTimer->stop();
    for (const auto& [window, reports] : m_reportWindows) m_router.remove(window);
}

void PlaybackEngine::addReportListener(platform::WindowId window, PlayReportListener& listener) {
    auto& reports = m_reportWindows[window];
    reports = std::make_unique<PlayReportWindow>(listener);
    m_router.add(window, *reports);
}

void PlaybackEngine::removeReportListener(platform::WindowId window) {
    m_router.remove(window);
    m_reportWindows.erase(window);
}

void PlaybackEngine::pump() {
    if (m_mode == ClockMode::Realtime) m_timers.advanceTo(m_clock->nowMicros());
    m_port->drain(m_router);
    m_component->service();
}

bool PlaybackEngine::stepSimulated(std::int64_t until) {
    const auto timer = m_timers.nextDue();
    const auto tick = m_simulatedTicks->nextTick();
    std::int64_t next = until + 1;
    if (timer) next = std::min(next, *timer);
    if (tick) next = std::min(next, *tick);
    if (next > until) return false;
    if (timer && *timer == next) {
        m_timers.advanceTo(next);
    } else {
        m_timers.advanceTo(next);
        m_simulatedTicks->fire();
    }
    pump();
    return true;
}

bool PlaybackEngine::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t until = m_clock->nowMicros() + limitMs * 1000;
    pump();
    if (m_mode == ClockMode::Simulated) {
        while (!done() && stepSimulated(until)) {
        }
        if (!done()) m_timers.advanceTo(until);
        return done();
    }
    while (!done() && m_clock->nowMicros() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        pump();
    }
    return done();
}

void PlaybackEngine::runFor(std::int64_t ms) {
    runUntil([] { return false; }, ms);
}

}  // namespace plume
