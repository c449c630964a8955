#pragma once
// The playback state that the sequencer fills and the MIDI output component plays: up to sixteen
// channels of song records, the tempo, the key shift and what the mixer changes while playing.
//
// Before the clock starts only the user-interface thread touches the block. While playing, the
// user-interface thread writes only the fields marked "live" (through the set... functions
// below), and the player reads them with std::atomic_ref, relaxed: single values, no lock.

#include <array>
#include <atomic>
#include <cstdint>

#include "play/channel_state.h"
#include "platform/window_messages.h"

namespace plume {

enum class PlayMode : std::int32_t { Stopped = 0, Track = 1, Project = 2, File = 3, DeviceOnly = 4 };

enum class PlayType : std::uint16_t { Idle = 0, OneTrack = 1, SeveralTracks = 2 };

// Whether a play command got the device going.
enum class PlayStart { NotStarted, Started };

using MidiHandle = std::uint32_t;  // 0: no device open

inline constexpr std::size_t kPlayChannels = 16;
inline constexpr std::uint8_t kRhythmMidiChannel = 9;

// Interrupt periods in milliseconds by the "Interrupt" setting.
inline constexpr std::array<int, 3> kInterruptPeriods = {1, 2, 5};

struct PlayBlock {
    PlayType playType = PlayType::Idle;
    platform::WindowId window = platform::kNoWindow;  // receives the component's reports
    MidiHandle output = 0;
    std::int16_t keyShift = 0;  // live: semitones -12..+12
    // Semitones added to each key of each channel, all equal to keyShift at each reset; the key
    // shift's later moves (keyShift - shiftTableBase) are added on top while playing.
    std::array<std::array<std::int16_t, 128>, kPlayChannels> shiftTable{};
    std::int16_t shiftTableBase = 0;  // the key shift the table was filled with
    std::uint16_t startTempo = 120;
    std::uint16_t currentTempo = 120;  // live: written by the mixer and by the player
    std::uint16_t interruptPeriod = 2;  // milliseconds
    std::uint8_t levelFlag = 1;         // the player reports note levels
    std::uint8_t masterVolume = 127;    // as last sent
    std::uint8_t masterVolumeRequested = 127;  // live
    std::array<ChannelState, kPlayChannels> channels{};
    std::uint8_t modeByte = 0;  // the caller's mode, given to the reset
};

template <typename T>
T liveLoad(const T& field) {
    return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}
template <typename T>
void liveStore(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}

// What the mixer writes while playing.
inline void setLiveMixerValue(PlayBlock& block, std::size_t channel, LiveMixerByte which, std::uint8_t value) {
    liveStore(block.channels[channel].liveMixer[which], value);
}
inline void setChannelMuted(PlayBlock& block, std::size_t channel, bool muted) {
    liveStore(block.channels[channel].muted, muted);
}
inline void setLiveKeyShift(PlayBlock& block, std::int16_t semitones) { liveStore(block.keyShift, semitones); }
inline void setLiveTempo(PlayBlock& block, std::uint16_t tempo) { liveStore(block.currentTempo, tempo); }
inline void setLiveMasterVolume(PlayBlock& block, std::uint8_t volume) {
    liveStore(block.masterVolumeRequested, volume);
}

}  // namespace plume
