#include "platform/window_messages.h"

namespace plume::platform {

bool WindowRouter::dispatch(const WindowMessage& message) const {
    const auto it = m_windows.find(message.window);
    if (it == m_windows.end()) return false;
    it->second->windowMessage(message.message, message.wParam, message.lParam);
    return true;
}

bool MessagePort::post(const WindowMessage& message) {
    if (m_queue.push(message)) return true;
    m_lost.fetch_add(1, std::memory_order_relaxed);
    return false;
}

std::size_t MessagePort::drain(const WindowRouter& router) {
    std::size_t count = 0;
    WindowMessage message;
    while (m_queue.pop(message)) {
        router.dispatch(message);
        ++count;
    }
    return count;
}

}  // namespace plume::platform
