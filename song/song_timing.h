#pragma once
// The duration rule: lengths of notes and rests at a resolution, with dots and tuplets.

#include <cstdint>

#include "song/song_record.h"

namespace plume {

// Length of score type k (1 whole .. 6 32nd) at `whole` units per whole note; k below 1 keeps
// doubling, so a tuplet based on a long note still has a span.
std::uint32_t typeLength(std::uint32_t whole, int k);

// Base type of the tuplet whose first group starts at `group`: the largest note length code
// (rests counted as their note length) among the score records of the tuplet's groups.
int TupletBaseType(Records records, std::size_t group);

// Walks groups in order and measures them; remembers the tuplet base type from the first group
// of each tuplet, as every player and exporter does.
class DurationRule {
public:
    explicit DurationRule(std::uint32_t whole) : m_whole(whole) {}
    void setWhole(std::uint32_t whole) { m_whole = whole; }
    std::uint32_t whole() const { return m_whole; }
    int tupletBase() const { return m_tupletBase; }
    void setTupletBase(int base) { m_tupletBase = base; }

    // Length of the group at `group`; 0 for bar lines, line breaks, spacers and non-score groups.
    std::uint32_t groupLength(Records records, std::size_t group);
    // Length of one score record under the tuplet base type in force.
    std::uint32_t recordLength(const SongRecord& record, bool firstOfGroup) const;

private:
    std::uint32_t m_whole;
    int m_tupletBase = 0;
};

// Tuplet base type in force at `group`, found by looking back for its tuplet's first group.
int tupletBaseTypeAt(Records records, std::size_t group);

// Length of the group in milliseconds at `tempo` quarter notes per minute.
std::uint32_t GroupDuration(Records records, std::size_t group, std::int16_t tempo);

// A signed 16-bit pitch-bend value (-8192..8191) as the two MIDI data bytes: low byte first.
std::uint16_t PackPitchBend(std::uint16_t value);

}  // namespace plume
