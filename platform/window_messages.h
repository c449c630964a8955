#pragma once
// Messages to windows: a window is named by a WindowId; the real-time side posts through a
// lock-free port, and the user-interface thread drains the port and hands each message to the
// window registered under its id (a message to a window that has gone is dropped).

#include <cstddef>
#include <cstdint>
#include <map>

#include "platform/spsc_queue.h"

namespace plume::platform {

using WindowId = std::uint32_t;
inline constexpr WindowId kNoWindow = 0;

struct WindowMessage {
    WindowId window = kNoWindow;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// A window's message handler; the result is the handler's return value.
class MessageWindow {
public:
    virtual ~MessageWindow() = default;
    virtual std::intptr_t windowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

// The user-interface thread's table of windows.
class WindowRouter {
public:
    void add(WindowId id, MessageWindow& window) { m_windows[id] = &window; }
    void remove(WindowId id) { m_windows.erase(id); }
    // False when no window has that id.
    bool dispatch(const WindowMessage& message) const;

private:
    std::map<WindowId, MessageWindow*> m_windows;
};

// One producer (the thread that plays) and one consumer (the user-interface thread).
class MessagePort {
public:
    static constexpr std::size_t kCapacity = 8192;

    // Producer: no allocation, no lock; false (the message lost and counted) when the port is full.
    bool post(const WindowMessage& message);
    // Consumer: hands every waiting message to the router; returns how many there were.
    std::size_t drain(const WindowRouter& router);
    // Messages lost to a full port since the start.
    std::size_t lost() const { return m_lost.load(std::memory_order_relaxed); }

private:
    SpscQueue<WindowMessage, kCapacity> m_queue;
    std::atomic<std::size_t> m_lost{0};
};

}  // namespace plume::platform
