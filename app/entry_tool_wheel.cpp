#include "app/entry_tool_wheel.h"

#include <utility>

namespace plume {

namespace {

// Tools 12 and 13 do not apply to some lengths; the step goes past them.
int skip(int landed, int step, int lengthIndex) {
    if (step > 0) {
        if (landed == 12 && lengthIndex == 6) return 2;
        if (landed == 13 && lengthIndex == 5) return 2;
        if (landed == 13 && lengthIndex == 6) return 1;
    } else {
        if (landed == 12 && lengthIndex == 6) return -1;
        if (landed == 13 && lengthIndex == 5) return -1;
        if (landed == 13 && lengthIndex == 6) return -2;
    }
    return 0;
}

}  // namespace

EntryToolWheel::EntryToolWheel(platform::WindowTimers& timers, RefreshCursors refresh)
    : m_timers(timers), m_refresh(std::move(refresh)) {}

EntryToolWheel::~EntryToolWheel() {
    if (m_open) m_timers.killTimer(*this, kTimerId);
}

void EntryToolWheel::notch(int delta, int lengthIndex) {
    if (delta == 0) return;
    m_timers.setTimer(*this, kTimerId, kWindowMs);
    if (!m_open) {
        m_open = true;
        return;
    }
    const int step = delta < 0 ? 1 : -1;
    int tool = m_tool + step;
    tool += skip(tool, step, lengthIndex);
    m_tool = (tool % kToolCount + kToolCount) % kToolCount;
    if (m_refresh) m_refresh(cursor_refresh::kPalettes);
}

void EntryToolWheel::onTimer(int id) {
    if (id != kTimerId) return;
    m_timers.killTimer(*this, kTimerId);
    m_open = false;
    if (m_refresh) m_refresh(cursor_refresh::kView | cursor_refresh::kPalettes);
}

}  // namespace plume
