#include "export/smf_reader.h"

#include <cstdio>

namespace plume::test {

Smf readSmf(const std::vector<std::uint8_t>& bytes) {
    Smf smf;
    const SmfFile file = plume::readSmf(bytes);
    smf.format = file.format;
    smf.trackCount = file.declaredTracks;
    smf.division = file.division;
    if (!file.ok()) {
        smf.error = file.error;
        return smf;
    }
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        const SmfTrack& track = file.tracks[t];
        smf.tracks.push_back(track.events);
        for (const SmfEvent& e : track.events) {
            if (e.runningStatus) smf.error = "running status at tick " + std::to_string(e.tick);
        }
        if (!track.endOfTrack) smf.error = "track " + std::to_string(t) + " has no end of track where it ends";
        if (!smf.error.empty()) return smf;
    }
    smf.ok = !file.tracks.empty() &&
             file.tracks.back().chunkOffset + file.tracks.back().chunkSize == bytes.size();
    if (!smf.ok) smf.error = "bytes after the last track";
    return smf;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char buffer[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buffer, sizeof buffer, out.empty() ? "%02X" : " %02X", b);
        out += buffer;
    }
    return out;
}

std::vector<std::uint32_t> noteOnTicks(const std::vector<SmfEvent>& track) {
    std::vector<std::uint32_t> ticks;
    for (const SmfEvent& e : track) {
        if (e.isNoteOn()) ticks.push_back(e.tick);
    }
    return ticks;
}

}  // namespace plume::test
