#pragma once
// Monotonic time in microseconds: the steady clock of the system, or a clock moved by hand for
// tests and for playing faster than real time.

#include <atomic>
#include <cstdint>

namespace plume::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Any thread; never goes backwards.
    virtual std::int64_t nowMicros() const = 0;
};

class SteadyClock final : public Clock {
public:
    std::int64_t nowMicros() const override;
};

class ManualClock final : public Clock {
public:
    std::int64_t nowMicros() const override { return m_now.load(std::memory_order_relaxed); }
    // Later times only: an earlier one is ignored.
    void set(std::int64_t micros);
    void advanceMillis(std::int64_t ms) { set(nowMicros() + ms * 1000); }

private:
    std::atomic<std::int64_t> m_now{0};
};

}  // namespace plume::platform
