#include "app/palette_messages.h"

#include <cstring>

namespace plume {

std::vector<std::uint8_t> groupBytes(const std::vector<SongRecord>& group) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(group.size() * kRecordSize);
    for (const SongRecord& r : group) bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
    return bytes;
}

std::vector<SongRecord> groupRecords(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() % kRecordSize != 0) return {};
    std::vector<SongRecord> records(bytes.size() / kRecordSize);
    for (std::size_t i = 0; i < records.size(); ++i)
        std::memcpy(records[i].bytes.data(), bytes.data() + i * kRecordSize, kRecordSize);
    return records;
}

}  // namespace plume
