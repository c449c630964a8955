#include "song/song_timing.h"

#include <algorithm>

namespace plume {

namespace {
// Milliseconds are measured at 480 units per quarter note and rounded once per group.
constexpr std::uint32_t kMsWhole = 1920;
}  // namespace

std::uint32_t typeLength(std::uint32_t whole, int k) {
    if (k >= 1) return k > 32 ? 0 : whole >> (k - 1);
    return whole << std::min(1 - k, 16);
}

int TupletBaseType(Records records, std::size_t group) {
    int base = 0;
    for (std::size_t g = group; g < records.size(); g = nextGroup(records, g)) {
        const SongRecord& first = records[g];
        if (!first.takesTime()) continue;
        if (first.tupletNumber() == 0) break;
        if (g != group && first.tupletPosition() == mark::kTupletFirst) break;
        const std::size_t end = groupEnd(records, g);
        for (std::size_t i = g; i < end; ++i) {
            if (!records[i].takesTime()) continue;
            const int t = records[i].isRest() ? records[i].type() - 6 : records[i].type();
            base = std::max(base, t);
        }
        if (first.tupletPosition() == mark::kTupletLast) break;
    }
    return base;
}

std::uint32_t DurationRule::recordLength(const SongRecord& record, bool firstOfGroup) const {
    if (!record.takesTime()) return 0;
    const int t = record.isRest() ? record.type() - 6 : record.type();
    std::uint32_t length = typeLength(m_whole, t);
    const int n = record.tupletNumber();
    if (n >= 3 && n <= 7 && m_tupletBase >= 1) {
        const int b = m_tupletBase;
        std::uint32_t span;
        if (n == 3) span = typeLength(m_whole, b - 1);
        else if (n == 4) span = typeLength(m_whole, b - 1) * 3 / 2;
        else span = typeLength(m_whole, b - 2);
        const std::uint32_t unit = span / std::uint32_t(n);
        length = b >= t ? unit << std::min(b - t, 16) : unit >> std::min(t - b, 16);
        if (firstOfGroup && record.tupletPosition() == mark::kTupletFirst) length += span % std::uint32_t(n);
    }
    if (record.dots() & mark::kDoubleDotted) length = length * 7 / 4;
    else if (record.dots() & mark::kDotted) length = length * 3 / 2;
    return length;
}

std::uint32_t DurationRule::groupLength(Records records, std::size_t group) {
    if (!isTimedGroup(records, group)) return 0;
    const SongRecord& first = records[group];
    if (first.tupletNumber() != 0 && first.tupletPosition() == mark::kTupletFirst)
        m_tupletBase = TupletBaseType(records, group);
    return recordLength(first, true);
}

int tupletBaseTypeAt(Records records, std::size_t group) {
    for (std::size_t g = group; g != kNoGroup; g = previousGroup(records, g)) {
        const SongRecord& first = records[g];
        if (!first.takesTime()) continue;
        if (first.tupletNumber() == 0) return 0;
        if (first.tupletPosition() == mark::kTupletFirst) return TupletBaseType(records, g);
    }
    return 0;
}

std::uint32_t GroupDuration(Records records, std::size_t group, std::int16_t tempo) {
    if (!isTimedGroup(records, group)) return 0;
    DurationRule rule(kMsWhole);
    rule.setTupletBase(tupletBaseTypeAt(records, group));
    const std::uint64_t units = rule.recordLength(records[group], true);
    const std::uint64_t perMinute = std::uint64_t(std::max<int>(tempo, 1)) * (kMsWhole / 4);
    return std::uint32_t((units * 60000 + perMinute / 2) / perMinute);
}

std::uint16_t PackPitchBend(std::uint16_t value) {
    const int centred = std::clamp(int(std::int16_t(value)) + 8192, 0, 16383);
    return std::uint16_t((centred & 0x7F) | ((centred >> 7) << 8));
}

}  // namespace plume
