// Any bytes through the database reader; whatever it accepts must be written back as it was read,
// apart from the version word, and read again to the same records.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "database/song_database.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const plume::DbReadResult first = plume::parseDatabase(std::span(data, size));
    if (!first.ok()) return 0;
    std::vector<std::uint8_t> written = plume::serializeDatabase(first.records);
    const plume::DbReadResult second = plume::parseDatabase(written);
    written[4] = data[4];
    written[5] = data[5];
    const bool same = second.ok() && second.records == first.records &&
                      std::equal(written.begin(), written.end(), data, data + size);
    if (!same) std::abort();
    return 0;
}
