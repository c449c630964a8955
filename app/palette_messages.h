#pragma once
// The entry requests the palettes post to the score view (or to the window that stands in for it),
// and the virtual keys and commands they pass on.

#include <cstdint>
#include <vector>

#include "song/song_record.h"

namespace plume {

namespace palette_msg {
inline constexpr std::uint32_t kEnterRest = 0x852;       // wParam: rest type 7..12 with dot bits
inline constexpr std::uint32_t kEnterChord = 0x853;      // lParam: 4 (key, accidental) pairs
inline constexpr std::uint32_t kSetLength = 0x854;       // wParam: length index + 1
inline constexpr std::uint32_t kSetDots = 0x855;         // wParam: dot choice 0..2
inline constexpr std::uint32_t kChordSpare = 0x857;      // chord button 661; the view ignores it
inline constexpr std::uint32_t kEnterGroup = 0x858;      // lParam: a complete group of up to 10 records
inline constexpr std::uint32_t kEditPaletteButton = 0x859;  // wParam: 1 enter, 2 close
inline constexpr std::uint32_t kSetDelayGate = 0x85D;    // wParam: pair count; lParam: (delay, gate) pairs
inline constexpr std::uint32_t kSetVelocity = 0x85E;     // wParam: count; lParam: velocities
inline constexpr std::uint32_t kEnterDrums = 0x865;      // wParam: drum-set number; lParam as kEnterChord
inline constexpr std::uint32_t kSetLyric = 0x868;        // lParam: the text
inline constexpr std::uint32_t kSetChordName = 0x869;    // lParam: the text
inline constexpr std::uint32_t kKeyDown = 0x100;
inline constexpr std::uint32_t kKeyUp = 0x101;
inline constexpr std::uint32_t kCommand = 0x111;         // wParam: command id
}  // namespace palette_msg

// Virtual key codes as the window system numbers them.
namespace vk {
inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kInsert = 0x2D;
inline constexpr int kDelete = 0x2E;
}  // namespace vk

inline constexpr std::uint8_t kNoKey = 255;  // ends a list of (key, accidental) pairs

// A message to post: lParam points to `data` (empty: lParam is 0), which the poster keeps alive
// until the message has been handled.
struct PaletteMessage {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::vector<std::uint8_t> data;

    friend bool operator==(const PaletteMessage&, const PaletteMessage&) = default;
};

// The bytes of a group as lParam of kEnterGroup carries them.
std::vector<std::uint8_t> groupBytes(const std::vector<SongRecord>& group);
// The records of a kEnterGroup payload; empty when the bytes are not whole records.
std::vector<SongRecord> groupRecords(const std::vector<std::uint8_t>& bytes);

}  // namespace plume
