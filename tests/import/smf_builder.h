#pragma once
// Hand-made Standard MIDI Files for the import tests, as other programs write them.

#include <cstdint>
#include <string>
#include <vector>

namespace plume::test {

class SmfTrackBuilder {
public:
    // An event `delta` ticks after the previous one; `bytes` as written (leave out the status
    // byte yourself for running status).
    SmfTrackBuilder& at(std::uint32_t delta, std::vector<std::uint8_t> bytes);
    SmfTrackBuilder& noteOn(std::uint32_t delta, int channel, int key, int velocity);
    SmfTrackBuilder& noteOff(std::uint32_t delta, int channel, int key);
    SmfTrackBuilder& meta(std::uint32_t delta, std::uint8_t type, const std::string& data);
    SmfTrackBuilder& tempo(std::uint32_t delta, int quarterNotesPerMinute);
    // The chunk whole, with an end of track after the last event.
    std::vector<std::uint8_t> chunk() const;

private:
    std::vector<std::uint8_t> m_data;
};

std::vector<std::uint8_t> smfFile(int format, int division, const std::vector<std::vector<std::uint8_t>>& chunks);

struct TimedNote {
    std::uint32_t on;
    std::uint32_t off;
    int key;
    int velocity = 80;
};

// One track of notes on one channel at absolute ticks, with a track name.
std::vector<std::uint8_t> notesTrack(int channel, std::vector<TimedNote> notes, const std::string& name = "");

}  // namespace plume::test
