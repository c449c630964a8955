#pragma once
// A thread that calls one function at absolute deadlines, every period, with real-time priority
// where the system grants it. It sleeps until the next deadline (never "for" a time), so late
// wake-ups do not add up; a deadline missed by more than a period is dropped, not made up.

#include <atomic>
#include <chrono>
#include <thread>

namespace plume::platform {

class PeriodicThread {
public:
    using Callback = void (*)(void* context);
    using TimePoint = std::chrono::steady_clock::time_point;

    PeriodicThread() = default;
    PeriodicThread(const PeriodicThread&) = delete;
    PeriodicThread& operator=(const PeriodicThread&) = delete;
    ~PeriodicThread() { stop(); }

    // The first call comes one period from now. False when a thread runs already or none can be made.
    bool start(std::chrono::microseconds period, Callback callback, void* context);
    // Returns after the last call has returned; no call follows.
    void stop();
    bool running() const { return m_thread.joinable(); }
    // Whether the thread got real-time priority (known once the first call has been made).
    bool realtime() const { return m_realtime.load(std::memory_order_relaxed); }
    // Inside the callback: the deadline of this call.
    TimePoint deadline() const { return m_deadline; }

private:
    void run();

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_realtime{false};
    std::chrono::microseconds m_period{1000};
    Callback m_callback = nullptr;
    void* m_context = nullptr;
    TimePoint m_deadline{};
};

}  // namespace plume::platform
