#pragma once
// The entry tool chosen with the mouse wheel (new mouse input): the first notch opens the wheel
// window, each further notch within two seconds steps the tool, and the window closes when timer
// 24 fires. The windows that show the tool as their cursor are told to refresh it.

#include <functional>

#include "platform/window_timers.h"

namespace plume {

// The windows whose cursor shows the entry tool.
namespace cursor_refresh {
inline constexpr unsigned kPalettes = 1;  // the enlarged edit palette and the keyboard palette
inline constexpr unsigned kView = 2;      // the active score view
}  // namespace cursor_refresh

class EntryToolWheel final : public platform::TimerTarget {
public:
    static constexpr int kTimerId = 24;
    static constexpr int kWindowMs = 2000;
    static constexpr int kToolCount = 19;
    static constexpr int kStartTool = 2;

    using RefreshCursors = std::function<void(unsigned windows)>;

    EntryToolWheel(platform::WindowTimers& timers, RefreshCursors refresh);
    ~EntryToolWheel() override;
    EntryToolWheel(const EntryToolWheel&) = delete;
    EntryToolWheel& operator=(const EntryToolWheel&) = delete;

    int tool() const { return m_tool; }
    // The wheel window is open from the first notch until the timer fires.
    bool isOpen() const { return m_open; }

    // One wheel notch (the new mouse input is on); a negative delta is a notch toward the user.
    // Tools 12 and 13 are skipped for some lengths: `lengthIndex` is the palettes' current length.
    void notch(int delta, int lengthIndex);
    void onTimer(int id) override;

private:
    platform::WindowTimers& m_timers;
    RefreshCursors m_refresh;
    int m_tool = kStartTool;
    bool m_open = false;
};

}  // namespace plume
