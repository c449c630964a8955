#pragma once
// One channel's playing state: its records, the ten voice slots, the group walk and the three
// curves. The player and the Standard MIDI File exporter keep one per channel.

#include <array>
#include <cstddef>
#include <cstdint>

#include "song/song_record.h"

namespace plume {

inline constexpr std::size_t kVoiceSlots = 10;

// What a voice slot is doing; the value is the state code.
enum class VoiceState : std::uint8_t {
    Free = 0,
    Rest = 1,      // a rest runs for its length
    Delay = 2,     // waiting for the delay before a note
    Gate = 3,      // note sounding for its gate time (or a tie's end running out)
    Tail = 4,      // silent rest of the note's length after the release
    TieDelay = 5,  // waiting for the delay before a tied note
    Tied = 6,      // tied note sounding for the whole rest of its length
};

struct VoiceSlot {
    std::uint32_t record = 0;  // the note or rest record, as an index into the track
    VoiceState state = VoiceState::Free;
    std::uint32_t remaining = 0;  // units left in this state; never 0 between two steps
    std::uint32_t length = 0;     // length of the group the slot belongs to

    bool busy() const { return state != VoiceState::Free; }
};

enum CurveKind : std::uint8_t { kVolumeCurve = 0, kModulationCurve = 1, kPitchBendCurve = 2 };

// A function curve piece as loaded from its three records.
struct CurveState {
    std::uint8_t function = 0;     // 0 inactive, 1 line, 2 parabola, 3 exponential, 4 sine
    std::uint8_t interval = 0;     // step interval in milliseconds
    std::int32_t startOffset = 0;  // milliseconds from the start of the curve
    float a = 0;                   // first float
    std::int16_t c = 0;            // first 16-bit value: the base
    std::int16_t amplitude = 0;    // second 16-bit value (A)
    float b = 0;                   // second float
    std::uint32_t steps = 0;       // step counter: units since the piece was loaded

    bool active() const { return function != 0; }
};

// Bytes of the live mixer values: the odd ones are written by the mixer while playing, each even
// one holds the value the player last applied from the odd byte after it.
enum LiveMixerByte : std::uint8_t { kLivePan = 1, kLiveChorus = 3, kLiveReverb = 5, kLiveVolume = 7 };

struct ChannelState {
    std::array<std::uint8_t, 8> liveMixer{};  // read and written through std::atomic_ref while playing
    bool idle = false;     // the sequencer's flag: nothing to play on this channel
    bool finished = true;  // no more groups: the performer's end
    std::uint8_t midiChannel = 0;
    Records track;          // the whole song, from its first record
    std::size_t start = 0;  // first record to play
    std::array<VoiceSlot, kVoiceSlots> slots{};
    bool nextGroupDue = true;
    std::size_t count = 0;     // records to play from start
    std::size_t position = 0;  // records consumed: the next group to process is start + position
    bool muted = false;  // written by the mixer while playing: read through std::atomic_ref
    bool melodic = true;
    std::array<CurveState, 3> curves{};  // indexed by CurveKind
    std::uint8_t initialModule = 0;
    std::uint8_t initialBank = 0;
    std::uint8_t initialProgram = 0;
    std::uint8_t tupletBase = 0;  // tuplet base type in force (the shortest type of the tuplet)
    // Key shift applied at each key's note-on, so its release goes to the key that went down.
    std::array<std::int8_t, 128> shiftAtNoteOn{};

    // A channel that plays `count` records of `song` from `first` on MIDI channel `channel`.
    static ChannelState forSong(Records song, const SongInfo& info, std::uint8_t channel, std::size_t first = 0,
                                std::size_t count = static_cast<std::size_t>(-1));
};

}  // namespace plume
