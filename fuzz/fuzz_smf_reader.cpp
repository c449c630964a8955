// Any bytes through the MIDI file reader and, when it reads them, the transcription into songs:
// neither may fail, and every song must stay under the record limit with walkable groups.
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
    // Long files are read above; transcribing them at every step would only slow the search down.
    if (size > 1 << 16) return 0;
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
