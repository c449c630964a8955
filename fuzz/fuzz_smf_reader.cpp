// Any bytes through the MIDI file reader and, when it reads them, the transcription into songs:
// neither may fail, and every song must stay under the record limit with walkable groups.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "import/smf_transcriber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const plume::SmfFile file = plume::readSmf(std::span(data, size));
    if (!file.ok()) {
        if (file.error.empty() || !file.tracks.empty()) std::abort();
        return 0;
    }
    // Long files are read above; transcribing them at every step would only slow the search down,
    // as would files of a few bytes that last for hours (a lost note-off): their songs run to millions
    // of records, which the import tests cover.
    if (size > 1 << 16) return 0;
    std::uint64_t last = 0;
    for (const plume::SmfTrack& track : file.tracks) {
        if (!track.events.empty()) last = std::max<std::uint64_t>(last, track.events.back().tick);
    }
    if (file.division != 0 && last / file.division > 4000) return 0;
    const plume::ImportedMusic music = plume::transcribeSmf(file);
    for (const plume::ImportedSong& song : music.songs) {
        if (song.records.size() >= plume::kRecordLimit) std::abort();
        const plume::Records records(song.records);
        std::size_t groups = 0;
        for (std::size_t g = 0; g < records.size(); g = plume::nextGroup(records, g)) {
            if (records[g].groupSize() == 0 || ++groups > records.size()) std::abort();
        }
    }
    return 0;
}
