#pragma once
// Playback wired together: the block, the slots, the component, the sequencer, a clock, window
// timers and the message port, whose reports reach the sequencer and the listeners added here. In real time the component plays on its real-time thread and the
// owner calls pump() every few milliseconds on the user-interface thread; simulated, a manual
// clock jumps from one timer or tick to the next, so a song plays faster than real time through
// the same code (tests, the command line).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/clock.h"
#include "platform/window_messages.h"
#include "platform/window_timers.h"
#include "play/midi_output.h"
#include "play/play_timer.h"
#include "play/sequencer.h"

namespace plume {

class PlaybackEngine {
public:
    enum class ClockMode { Simulated, Realtime };
    static constexpr platform::WindowId kFrameWindow = 1;

    PlaybackEngine(ClockMode mode, MidiDevices& devices, PlayHost& host, PlayMixer& mixer, platform::Profile& profile,
                   PlaySettings settings);
    ~PlaybackEngine();

    Sequencer& sequencer() { return *m_sequencer; }
    PlayBlock& block() { return *m_block; }
    PlaySlots& slots() { return m_slots; }
    MidiOutputComponent& component() { return *m_component; }
    platform::ManualTimers& timers() { return m_timers; }
    // The reports of plays started for `window` go to `listener` until it is removed.
    void addReportListener(platform::WindowId window, PlayReportListener& listener);
    void removeReportListener(platform::WindowId window);
    platform::MessagePort& port() { return *m_port; }
    const platform::Clock& clock() const { return *m_clock; }
    ClockMode mode() const { return m_mode; }

    // Real time: fires the window timers that are due, hands the component's messages to their
    // windows and lets the sink catch up. Simulated: the same at the current time.
    void pump();
    // Plays on until `done()` holds, or until `limitMs` more milliseconds have passed. Real time
    // sleeps a millisecond between pumps. Returns done().
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs);
    void runFor(std::int64_t ms);

private:
    // Simulated: the next timer or tick at or before `until`; false when there is none.
    bool stepSimulated(std::int64_t until);

    ClockMode m_mode;
    platform::ManualClock m_manualClock;
    platform::SteadyClock m_steadyClock;
    const platform::Clock* m_clock;
    platform::ManualTimers m_timers;
    std::unique_ptr<PlayTimer> m_playTimer;
    SimulatedPlayTimer* m_simulatedTicks = nullptr;
    std::unique_ptr<platform::MessagePort> m_port;
    std::map<platform::WindowId, std::unique_ptr<PlayReportWindow>> m_reportWindows;
    platform::WindowRouter m_router;
    std::unique_ptr<PlayBlock> m_block;
    PlaySlots m_slots;
    std::unique_ptr<MidiOutputComponent> m_component;
    std::unique_ptr<Sequencer> m_sequencer;
};

}  // namespace plume
