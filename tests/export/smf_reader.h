#pragma once
// The exporters' files read back through the real reader, held to the writer's own rules: every
// event carries its status byte and every chunk ends with an end of track where its length says.

#include <cstdint>
#include <string>
#include <vector>

#include "import/smf_reader.h"

namespace plume::test {

using SmfEvent = plume::SmfEvent;

struct Smf {
    bool ok = false;
    std::string error;
    int format = -1;
    int trackCount = 0;
    int division = 0;
    std::vector<std::vector<SmfEvent>> tracks;
};

Smf readSmf(const std::vector<std::uint8_t>& bytes);

// "00 FF 2F 00" style.
std::string hex(const std::vector<std::uint8_t>& bytes);

// Ticks of the note-ons of one track.
std::vector<std::uint32_t> noteOnTicks(const std::vector<SmfEvent>& track);

}  // namespace plume::test
