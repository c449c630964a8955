#pragma once
// Window timers by id, as the window system keeps them: a timer fires every `ms` until it is
// killed, setting it again restarts it, and it fires on the user-interface thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace plume::platform {

class Clock;
class ManualClock;

class TimerTarget {
public:
    virtual ~TimerTarget() = default;
    virtual void onTimer(int id) = 0;
};

class WindowTimers {
public:
    virtual ~WindowTimers() = default;
    virtual void setTimer(TimerTarget& target, int id, int ms) = 0;
    virtual void killTimer(TimerTarget& target, int id) = 0;
};

// Timers moved by hand: advanceTo() fires, in time order, every timer due by then. With a
// ManualClock, the clock reads each timer's due time while it fires (tests, and playing faster
// than real time); without one the caller moves time with a real clock.
class ManualTimers final : public WindowTimers {
public:
    explicit ManualTimers(ManualClock* clock = nullptr) : m_clock(clock) {}

    void setTimer(TimerTarget& target, int id, int ms) override;
    void killTimer(TimerTarget& target, int id) override;

    bool isSet(const TimerTarget& target, int id) const;
    // The time set for the timer, in milliseconds; nullopt when it is not set.
    std::optional<int> intervalOf(const TimerTarget& target, int id) const;
    std::optional<std::int64_t> nextDue() const;
    std::int64_t now() const { return m_now; }
    void advanceTo(std::int64_t micros);
    void advanceMillis(std::int64_t ms) { advanceTo(m_now + ms * 1000); }

private:
    struct Entry {
        TimerTarget* target;
        int id;
        int ms;
        std::int64_t due;
        std::uint64_t order;  // ties fire in the order the timers were set
    };
    // Index of the timer due first; m_entries.size() when none is set.
    std::size_t earliest() const;

    ManualClock* m_clock;
    std::vector<Entry> m_entries;
    std::int64_t m_now = 0;
    std::uint64_t m_order = 0;
};

}  // namespace plume::platform
