// Any bytes through the song reader; whatever it accepts must survive a write and a second read.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "song/song_file.h"

namespace {

bool sameSong(const plume::SongData& a, const plume::SongData& b) {
    // The writer sets the version and count words; every other header byte is carried over.
    plume::FileHeader ha = a.header;
    plume::FileHeader hb = b.header;
    for (plume::FileHeader* h : {&ha, &hb}) {
        h->setWord(4, 0);
        h->setWord(6, 0);
    }
    return ha.bytes == hb.bytes && a.reserved == b.reserved && a.info == b.info && a.records == b.records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const plume::SongReadResult first = plume::parseSong(std::span(data, size));
    if (!first.ok()) return 0;
    const std::vector<std::uint8_t> written = plume::serializeSong(first.song);
    const plume::SongReadResult second = plume::parseSong(written);
    const bool same = second.ok() && !second.converted && second.version == plume::kSongVersion &&
                      sameSong(first.song, second.song) && plume::serializeSong(second.song) == written;
    if (!same) std::abort();
    return 0;
}
