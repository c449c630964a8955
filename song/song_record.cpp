#include "song/song_record.h"

#include <algorithm>

namespace plume {

SongInfo SongInfo::defaults() {
    SongInfo info;
    info.setTimeCode(5);
    info.setFileKind(1);
    info.setTempo(120);
    info.setNumerator(4);
    info.setDenominatorPower(2);
    return info;
}

FileHeader FileHeader::fresh() {
    FileHeader header;
    std::copy(kSongMagic.begin(), kSongMagic.end(), header.bytes.begin());
    header.setHeaderWord(2);
    return header;
}

std::size_t nextGroup(Records records, std::size_t group) {
    if (group >= records.size()) return records.size();
    const std::size_t size = records[group].groupSize();
    if (size == 0) return records.size();
    return std::min(records.size(), group + size);
}

std::size_t previousGroup(Records records, std::size_t group) {
    group = std::min(group, records.size());
    const std::size_t lowest = group > 255 ? group - 255 : 0;
    for (std::size_t j = group; j-- > lowest;) {
        if (records[j].groupSize() == group - j) return j;
    }
    return kNoGroup;
}

std::size_t groupEnd(Records records, std::size_t group) {
    if (group >= records.size()) return records.size();
    return std::min(records.size(), group + std::max<std::size_t>(1, records[group].groupSize()));
}

std::size_t noteCount(Records records, std::size_t group) {
    const std::size_t end = groupEnd(records, group);
    std::size_t n = 0;
    for (std::size_t i = group; i < end; ++i) n += records[i].isNote();
    return n;
}

std::size_t scoreCount(Records records, std::size_t group) {
    const std::size_t end = groupEnd(records, group);
    std::size_t n = 0;
    for (std::size_t i = group; i < end; ++i) n += records[i].isScore();
    return n;
}

bool isChord(Records records, std::size_t group) { return noteCount(records, group) >= 2; }

std::size_t groupOrdinal(Records records, std::size_t group) {
    std::size_t ordinal = 0;
    for (std::size_t g = 0; g < group && g < records.size(); g = nextGroup(records, g)) ++ordinal;
    return ordinal;
}

bool isTimedGroup(Records records, std::size_t group) {
    return group < records.size() && records[group].takesTime();
}

std::size_t nextScoreGroup(Records records, std::size_t group) {
    for (std::size_t g = nextGroup(records, group); g < records.size(); g = nextGroup(records, g)) {
        if (records[g].type() < type::kBarLine) return g;
    }
    return records.size();
}

std::size_t previousScoreGroup(Records records, std::size_t group) {
    for (std::size_t g = previousGroup(records, group); g != kNoGroup; g = previousGroup(records, g)) {
        if (records[g].type() < type::kBarLine) return g;
    }
    return kNoGroup;
}

bool higherKey(const SongRecord& a, const SongRecord& b) { return a.key() > b.key(); }

int keySignatureSharps(std::uint8_t keyNumber) {
    if (keyNumber >= 1 && keyNumber <= 7) return keyNumber;
    if (keyNumber >= 8 && keyNumber <= 14) return 7 - keyNumber;
    return 0;
}

}  // namespace plume
