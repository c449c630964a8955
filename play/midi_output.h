#pragma once
// The MIDI output component: it owns the output device and plays the PlayBlock on a periodic
// timer. Its operations keep the names and the order of use that the sequencer relies on:
// OpenMidiOutput, a reset, SendMasterVolume, SendInitialModule / Bank / Program per channel, the
// chased values, then the clock with PlayTick; at stop SendHold (0) and SilenceChannel per
// channel, then CloseMidiOutput.
//
// "ch" is a channel index of the block: the message goes to that channel's MIDI channel (its
// index when the channel has nothing to play). Everything but PlayTick runs on the
// user-interface thread, and only while the clock is stopped.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "play/midi_out.h"
#include "play/performer.h"
#include "play/play_block.h"
#include "play/play_report.h"
#include "play/play_timer.h"

namespace plume {

namespace platform {
class Clock;
class MessagePort;
}  // namespace platform

class MidiOutputComponent {
public:
    MidiOutputComponent(PlayBlock& block, MidiDevices& devices, platform::MessagePort& port,
                        const platform::Clock& clock, PlayTimer& timer);
    MidiOutputComponent(const MidiOutputComponent&) = delete;
    MidiOutputComponent& operator=(const MidiOutputComponent&) = delete;
    ~MidiOutputComponent();

    enum class OpenResult { Opened, CannotOpen };
    // Opens the device (kMidiMapper: the built-in synthesiser), with `handle` set when opened.
    // The reports go to the block's window.
    OpenResult OpenMidiOutput(MidiHandle& handle, platform::WindowId window, int deviceId);
    void CloseMidiOutput(MidiHandle handle);
    bool isOpen() const { return m_out != nullptr; }
    MidiDevices& devices() { return m_devices; }

    void SendGmSystemOn(MidiHandle handle);
    void SendGsReset(MidiHandle handle);
    void SendMasterVolume(MidiHandle handle, std::uint8_t value);
    // The song's sound module, bank and program, in this order: bank select only off GM (module 0).
    void SendInitialModule(MidiHandle handle, std::uint8_t module, std::uint8_t ch);
    void SendInitialBank(MidiHandle handle, std::uint8_t bank, std::uint8_t ch);
    void SendInitialProgram(MidiHandle handle, std::uint8_t program, std::uint8_t ch);
    void SendVolume(MidiHandle handle, std::uint8_t value, std::uint8_t ch);
    void SendPan(MidiHandle handle, std::uint8_t value, std::uint8_t ch);
    void SendModulation(MidiHandle handle, std::uint8_t value, std::uint8_t ch);
    void SendHold(MidiHandle handle, std::uint8_t value, std::uint8_t ch);
    void SendReverb(MidiHandle handle, std::uint8_t value, std::uint8_t ch);
    void SendChorus(MidiHandle handle, std::uint8_t value, std::uint8_t ch);
    // The stored signed value of a pitch-bend effect.
    void SendPitchBend(MidiHandle handle, std::uint16_t value, std::uint8_t ch);
    // Program (and bank) change of a program effect record.
    void SendProgramRecord(MidiHandle handle, const SongRecord& record, std::uint8_t ch);
    // After it nothing sounds on the channel.
    void SilenceChannel(MidiHandle handle, std::uint8_t ch);

    // The periodic timer: PlayTick on the block every block.interruptPeriod ms from now on.
    bool startClock();
    // Returns once the last PlayTick has returned.
    void stopClock();
    bool clockRunning() const { return m_timer.running(); }

    // Runs on the timer thread every period: no allocation, no locks, no logging. Plays every
    // non-idle channel up to the time elapsed since the clock started, applies what the mixer
    // changed, reports to the block's window and, once every channel is done, reports the end.
    void PlayTick(PlayBlock& block);

    // User-interface thread, now and then while playing: lets the open sink catch up.
    void service();
    // Microseconds since the device was opened.
    std::int64_t deviceTime() const;

private:
    // Takes one channel's messages from its performer: key shift, note bookkeeping, reports.
    class ChannelOutput final : public PerformerSink {
    public:
        void reset(MidiOutputComponent* owner, std::uint8_t index);
        void noteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity) override;
        void noteOff(std::uint8_t channel, std::uint8_t key) override;
        void controller(std::uint8_t channel, std::uint8_t number, std::uint8_t value) override;
        void pitchBend(std::uint8_t channel, std::uint8_t lsb, std::uint8_t msb) override;
        void programChange(std::uint8_t channel, std::uint8_t program) override;
        void tempo(int quarterNotesPerMinute) override;
        void timeSignature(std::uint8_t, std::uint8_t) override {}
        void keySignature(std::uint8_t) override {}
        void silenced() { m_sounding.fill(0); }

    private:
        MidiOutputComponent* m_owner = nullptr;
        std::uint8_t m_index = 0;
        std::array<std::uint8_t, 128> m_sounding{};  // note-ons not yet released, by written key
        std::array<std::uint8_t, 128> m_soundedAs{};  // the key each written key went down as
    };

    static void tick(void* self);
    bool valid(MidiHandle handle) const { return handle != 0 && handle == m_handle && m_out; }
    std::uint8_t midiChannelOf(std::uint8_t ch) const;
    void send(std::span<const std::uint8_t> bytes);
    void sendAt(std::span<const std::uint8_t> bytes, std::int64_t micros);
    void controllerNow(std::uint8_t ch, std::uint8_t number, std::uint8_t value);
    void post(const PlayReport& report);
    std::int64_t unitTime() const;  // the time of the unit being played
    void beginPlay(PlayBlock& block);
    void applyLiveChanges(PlayBlock& block);
    int keyShiftFor(std::uint8_t index, std::uint8_t key) const;

    PlayBlock& m_block;
    MidiDevices& m_devices;
    platform::MessagePort& m_port;
    const platform::Clock& m_clock;
    PlayTimer& m_timer;

    std::unique_ptr<MidiOut> m_out;
    MidiHandle m_handle = 0;
    MidiHandle m_lastHandle = 0;
    std::int64_t m_openedAt = 0;
    std::array<std::uint8_t, kPlayChannels> m_module{};

    // The play under way; rebuilt in place by the first tick after startClock().
    bool m_begun = false;
    bool m_ended = false;
    std::int64_t m_clockStart = 0;  // device time of unit 0
    PerformerClock m_performerClock = PerformerClock::milliseconds(120);
    int m_knownTempo = 120;
    std::array<ChannelOutput, kPlayChannels> m_outputs{};
    std::array<std::optional<Performer>, kPlayChannels> m_performers{};
    std::optional<Ensemble> m_ensemble;
};

}  // namespace plume
