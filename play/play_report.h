#pragma once
// What the player reports while it plays: the end of play, the mixer's values as the song sets
// them, note levels, tempo changes and each note's start and end. The real-time side posts them
// through the lock-free message port to the window that started the play, where a
// PlayReportWindow decodes them and hands them to its listener.

#include <cstdint>
#include <optional>

#include "platform/window_messages.h"

namespace plume {

struct PlayReport {
    enum class Kind : std::uint8_t {
        Ended,      // every channel is done
        Volume,     // value: the controller's value
        Pan,
        Reverb,
        Chorus,
        Level,      // value: the velocity of a note just started, 0-127
        Tempo,      // value: quarter notes per minute
        NoteStart,  // value: the key as sounded
        NoteEnd,
    };
    Kind kind = Kind::Ended;
    std::uint8_t channel = 0;  // channel index 0-15; 0 for Ended and Tempo
    int value = 0;

    friend bool operator==(const PlayReport&, const PlayReport&) = default;
};

class PlayReportListener {
public:
    virtual ~PlayReportListener() = default;
    virtual void playReport(const PlayReport& report) = 0;
};

// The port carries a report as one window message; these two are the only places that know how.
platform::WindowMessage toWindowMessage(platform::WindowId window, const PlayReport& report);
std::optional<PlayReport> playReportOf(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// The window a play's reports are addressed to: registered with the router under the block's
// window id, it hands each report to its listener and drops every other message.
class PlayReportWindow final : public platform::MessageWindow {
public:
    explicit PlayReportWindow(PlayReportListener& listener) : m_listener(listener) {}
    std::intptr_t windowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    PlayReportListener& m_listener;
};

}  // namespace plume
