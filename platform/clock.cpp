#include "platform/clock.h"

#include <chrono>

namespace plume::platform {

std::int64_t SteadyClock::nowMicros() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ManualClock::set(std::int64_t micros) {
    if (micros > m_now.load(std::memory_order_relaxed)) m_now.store(micros, std::memory_order_relaxed);
}

}  // namespace plume::platform
