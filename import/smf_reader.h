#pragma once
// Standard MIDI File reader (format 0, 1 and 2) into a neutral event list: every event with its
// absolute tick and its full bytes, the status byte restored where the file used running status.
// Any bytes are safe: unknown chunks are skipped, meta and system-exclusive events are read by
// their length, and a file cut short or broken gives a message instead of a partial read.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plume {

struct SmfEvent {
    std::uint32_t tick = 0;
    std::vector<std::uint8_t> bytes;  // status first; meta: FF type length data; sysex: F0/F7 length data
                                      // (the length byte held at most 255)
    bool runningStatus = false;       // the file left out the status byte

    std::uint8_t status() const { return bytes.empty() ? 0 : bytes[0]; }
    bool isChannel() const { return status() >= 0x80 && status() < 0xF0; }
    std::uint8_t channel() const { return std::uint8_t(status() & 0x0F); }
    std::uint8_t command() const { return std::uint8_t(status() & 0xF0); }
    bool isNoteOn() const { return bytes.size() == 3 && command() == 0x90 && bytes[2] != 0; }
    bool isNoteOff() const { return bytes.size() == 3 && (command() == 0x80 || (command() == 0x90 && bytes[2] == 0)); }
    bool isMeta(std::uint8_t type) const { return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == type; }
    // Data of a meta event (after its length byte) or of a system-exclusive event.
    std::span<const std::uint8_t> data() const;
};

struct SmfTrack {
    std::vector<SmfEvent> events;
    std::size_t chunkOffset = 0;  // the "MTrk" of this track in the file
    std::size_t chunkSize = 0;    // the chunk whole, header included
    bool endOfTrack = false;      // the chunk ends with FF 2F 00 where its length says
};

enum class SmfStatus { Ok, NotMidi, Truncated, SmpteDivision, BadData };

struct SmfFile {
    SmfStatus status = SmfStatus::NotMidi;
    std::string error;  // what went wrong, for a message
    int format = 0;
    int declaredTracks = 0;
    std::uint16_t division = 0;  // ticks per quarter note
    std::vector<SmfTrack> tracks;

    bool ok() const { return status == SmfStatus::Ok; }
};

// Events longer than this (meta or sysex) are refused as broken data.
inline constexpr std::uint32_t kMaxSmfEventLength = 1u << 24;

SmfFile readSmf(std::span<const std::uint8_t> bytes);

}  // namespace plume
