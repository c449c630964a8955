#pragma once
// The periodic timer that calls PlayTick: a real-time thread, or ticks stepped by hand so that a
// song plays faster than real time through the same code.

#include <cstdint>
#include <optional>

#include "platform/periodic_thread.h"

namespace plume {

namespace platform {
class ManualClock;
}

class PlayTimer {
public:
    using Tick = void (*)(void* context);
    virtual ~PlayTimer() = default;
    // Calls `tick` every `periodMs` from one period after now on. False when it cannot.
    virtual bool start(int periodMs, Tick tick, void* context) = 0;
    // Returns after the last call has returned; no call follows.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

// The real thing: a thread that wakes at absolute deadlines with real-time priority if allowed.
class RealtimePlayTimer final : public PlayTimer {
public:
    bool start(int periodMs, Tick tick, void* context) override;
    void stop() override { m_thread.stop(); }
    bool running() const override { return m_thread.running(); }
    bool realtime() const { return m_thread.realtime(); }

private:
    platform::PeriodicThread m_thread;
};

// Ticks when the owner says so, on the owner's thread, with the manual clock set to each tick's time.
class SimulatedPlayTimer final : public PlayTimer {
public:
    explicit SimulatedPlayTimer(platform::ManualClock& clock) : m_clock(clock) {}
    bool start(int periodMs, Tick tick, void* context) override;
    void stop() override { m_next.reset(); }
    bool running() const override { return m_next.has_value(); }

    // Time of the next tick in microseconds; nullopt when stopped.
    std::optional<std::int64_t> nextTick() const { return m_next; }
    // Sets the clock to the next tick's time and makes the call.
    void fire();

private:
    platform::ManualClock& m_clock;
    std::optional<std::int64_t> m_next;
    std::int64_t m_period = 1000;
    Tick m_tick = nullptr;
    void* m_context = nullptr;
};

}  // namespace plume
