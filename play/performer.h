#pragma once
// The Performer turns one channel's records into MIDI messages. It is clock-agnostic: the caller
// counts time in its own unit (MIDI ticks for the exporter, milliseconds for the player) and
// steps the performer one unit at a time; PerformerClock says how long things are in that unit.
//
// step(), quietUnits() and skip() run on the player's real-time thread: no allocation, no locks,
// no exceptions, nothing logged.

#include <array>
#include <cstdint>
#include <limits>
#include <span>

#include "play/channel_state.h"
#include "song/song_timing.h"

namespace plume {

// Tempo and unit conversions. In ticks: `timeBase` units per quarter note, milliseconds converted
// with rounding; in milliseconds: one unit per millisecond. Tempo is clamped to 1..255.
class PerformerClock {
public:
    static PerformerClock ticks(std::uint32_t timeBase, int tempo);
    static PerformerClock milliseconds(int tempo);

    void setTempo(int tempo);
    int tempo() const { return m_tempo; }
    std::uint32_t usPerQuarter() const { return m_usPerQuarter; }
    std::uint32_t timeBase() const { return m_timeBase; }
    // Length of a 32nd note: the milliseconds of a quarter over 8 (both truncated), in units.
    std::uint32_t thirtySecond() const { return m_thirtySecond; }
    std::uint32_t msToUnits(std::uint32_t ms) const;
    std::uint32_t unitsToMs(std::uint32_t units) const;
    // Counts tempo changes, so that a driver can tell that lengths in units have moved.
    std::uint32_t changes() const { return m_changes; }

private:
    PerformerClock(std::uint32_t timeBase, bool milliseconds, int tempo);

    std::uint32_t m_timeBase;
    bool m_milliseconds;
    int m_tempo = 120;
    std::uint32_t m_usPerQuarter = 500000;
    std::uint32_t m_thirtySecond = 1;
    std::uint32_t m_changes = 0;
};

// Where the messages go. Channel messages carry the channel 0-15; values are 0-127.
class PerformerSink {
public:
    virtual ~PerformerSink() = default;
    virtual void noteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity) = 0;
    virtual void noteOff(std::uint8_t channel, std::uint8_t key) = 0;
    virtual void controller(std::uint8_t channel, std::uint8_t number, std::uint8_t value) = 0;
    virtual void pitchBend(std::uint8_t channel, std::uint8_t lsb, std::uint8_t msb) = 0;
    virtual void programChange(std::uint8_t channel, std::uint8_t program) = 0;
    // A tempo effect; the performer has already set the clock to it.
    virtual void tempo(int quarterNotesPerMinute) = 0;
    // Meta records, sent only by a performer that writes them.
    virtual void timeSignature(std::uint8_t numerator, std::uint8_t denominatorPower) = 0;
    virtual void keySignature(std::uint8_t keyNumber) = 0;
};

class Performer {
public:
    static constexpr std::uint32_t kNever = std::numeric_limits<std::uint32_t>::max();

    Performer(ChannelState& state, PerformerClock& clock, PerformerSink& sink);

    // Semitones added to every key except on MIDI channel 9.
    void setTransposition(int semitones) { m_transposition = semitones; }
    // This channel sends the time- and key-signature meta records it passes (format 0's conductor).
    void setWritesMeta(bool writes) { m_writesMeta = writes; }

    // Moves past the leading groups up to the first note, rest or meta group and makes it due;
    // a channel without one is finished at once.
    void begin();

    // One unit: the due group is processed, otherwise the slots count down and a group that
    // becomes due is processed at once; then the active curves step.
    void step();
    bool finished() const { return m_state.finished; }

    // Steps from now on that would send nothing and change nothing but counters: after that many
    // the next step() does something. kNever when finished. Valid until the clock changes.
    std::uint32_t quietUnits() const;
    // Lets `units` (at most quietUnits()) pass exactly as that many step() calls would.
    void skip(std::uint32_t units);

    const ChannelState& state() const { return m_state; }

private:
    Records walked() const;
    std::size_t nextPlayable(std::size_t group) const;
    void processDueGroups();
    void processGroup(std::size_t group);
    void effect(const SongRecord& record, std::size_t group, std::uint32_t& length);
    void loadCurve(const SongRecord& record);
    void takeSlot(std::uint32_t record, std::uint32_t length);
    void enter(VoiceSlot& slot, VoiceState state, std::uint32_t units);
    void expire(VoiceSlot& slot);
    void endGroup(VoiceSlot& slot);
    void countDown();
    void stepCurves();
    // Semitones added to this channel's keys now: none on the rhythm channel.
    int shift() const;
    void keyDown(const SongRecord& record);
    void keyUp(const SongRecord& record);
    std::uint32_t groupLength(std::size_t group);
    std::uint32_t curvePeriod(const CurveState& curve) const;

    ChannelState& m_state;
    PerformerClock& m_clock;
    PerformerSink& m_sink;
    int m_transposition = 0;
    bool m_writesMeta = false;
};

enum class Stepping {
    EveryUnit,  // the reference: every performer steps at every unit
    SkipQuiet,  // jumps over the units in which no performer would do anything
};

// Steps up to 16 performers that share one clock, channel by channel within each unit, as the
// reference loop does. Both steppings send the same messages at the same units.
class Ensemble {
public:
    static constexpr std::size_t kMaxPerformers = 16;

    // `first` is the unit of the first step. At most kMaxPerformers performers, all on `clock`.
    Ensemble(std::span<Performer* const> performers, const PerformerClock& clock, std::int64_t first,
             Stepping stepping);

    // The unit being stepped (or last stepped); first - 1 before the first step.
    std::int64_t now() const { return m_now; }
    bool finished() const;
    // Steps every unit up to and including `last`, or until every performer is finished.
    void runUntil(std::int64_t last);
    void runToEnd() { runUntil(std::numeric_limits<std::int64_t>::max()); }
    // Called after each unit in which a performer finished (outside the real-time thread only).
    void setOnFinish(void (*callback)(void*, std::size_t finished), void* context);

private:
    void runEveryUnit(std::int64_t last);
    void runSkippingQuiet(std::int64_t last);
    void resync(std::size_t changed);
    std::int64_t dueAfterSync(std::size_t i) const;
    void catchUp(std::size_t i, std::int64_t unit);
    void reportFinished();

    std::array<Performer*, kMaxPerformers> m_performers{};
    std::size_t m_count = 0;
    const PerformerClock& m_clock;
    Stepping m_stepping;
    std::int64_t m_now;
    std::array<std::int64_t, kMaxPerformers> m_synced{};  // last unit each performer has been brought to
    std::array<std::int64_t, kMaxPerformers> m_due{};     // next unit at which each performer does something
    std::size_t m_finished = 0;
    void (*m_onFinish)(void*, std::size_t) = nullptr;
    void* m_onFinishContext = nullptr;
};

}  // namespace plume
