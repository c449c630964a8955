#include "platform/periodic_thread.h"

#include <cerrno>
#include <system_error>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>
#endif

namespace plume::platform {

namespace {

// Real-time priority and the finest timer slack where the system allows them; false otherwise.
bool raisePriority() {
#if defined(__linux__)
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
#else
    return false;
#endif
}

void sleepUntil(PeriodicThread::TimePoint deadline) {
#if defined(__linux__)
    // steady_clock is CLOCK_MONOTONIC here; an absolute sleep has no drift of its own.
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    timespec at{};
    at.tv_sec = time_t(ns / 1000000000);
    at.tv_nsec = long(ns % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
#else
    std::this_thread::sleep_until(deadline);
#endif
}

}  // namespace

bool PeriodicThread::start(std::chrono::microseconds period, Callback callback, void* context) {
    if (running() || !callback || period.count() <= 0) return false;
    m_period = period;
    m_callback = callback;
    m_context = context;
    m_stop.store(false, std::memory_order_relaxed);
    m_realtime.store(false, std::memory_order_relaxed);
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PeriodicThread::stop() {
    if (!running()) return;
    m_stop.store(true, std::memory_order_relaxed);
    m_thread.join();
}

void PeriodicThread::run() {
    m_realtime.store(raisePriority(), std::memory_order_relaxed);
    TimePoint next = std::chrono::steady_clock::now() + m_period;
    while (!m_stop.load(std::memory_order_relaxed)) {
        sleepUntil(next);
        if (m_stop.load(std::memory_order_relaxed)) break;
        m_deadline = next;
        m_callback(m_context);
        next += m_period;
        const TimePoint now = std::chrono::steady_clock::now();
        if (now - next > m_period) next = now + m_period;
    }
}

}  // namespace plume::platform
