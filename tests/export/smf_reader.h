#pragma once
// A strict reader of the Standard MIDI Files the tests write: every event must carry its status
// byte, every data byte stay below 128, every chunk end with an end of track where its length says.

#include <cstdint>
#include <string>
#include <vector>

namespace plume::test {

struct SmfEvent {
    std::uint32_t tick = 0;
    std::vector<std::uint8_t> bytes;  // status byte first; meta events FF type length data

    bool isNoteOn() const { return bytes.size() == 3 && (bytes[0] & 0xF0) == 0x90 && bytes[2] != 0; }
    bool isMeta(std::uint8_t type) const { return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == type; }
};

struct Smf {
    bool ok = false;
    std::string error;
    int format = -1;
    int trackCount = 0;
    int division = 0;
    std::vector<std::vector<std::uint8_t>> chunks;  // each track chunk whole, "MTrk" and length included
    std::vector<std::vector<SmfEvent>> tracks;
};

Smf readSmf(const std::vector<std::uint8_t>& bytes);

// "00 FF 2F 00" style.
std::string hex(const std::vector<std::uint8_t>& bytes);

// Ticks of the note-ons of one track.
std::vector<std::uint32_t> noteOnTicks(const std::vector<SmfEvent>& track);

}  // namespace plume::test
