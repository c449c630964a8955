#pragma once
// Builders for the songs the tests need: records, groups and whole files of every layout.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "song/song_file.h"
#include "song/song_record.h"

namespace plume::test {

// A note record (not yet a group start): type 1-6, key, marks byte 3, dots in byte 2.
SongRecord note(std::uint8_t type, std::uint8_t key, std::uint8_t marks = 0, std::uint8_t dots = 0);
SongRecord rest(std::uint8_t type, std::uint8_t marks = 0, std::uint8_t dots = 0);
SongRecord scoreMark(std::uint8_t type);  // bar line 13, line break 14, spacer 15
inline SongRecord barLine() { return scoreMark(type::kBarLine); }
inline SongRecord lineBreak() { return scoreMark(type::kLineBreak); }
SongRecord effectValue(std::uint8_t number, std::uint8_t value);
SongRecord metaTime(std::uint8_t numerator, std::uint8_t denominatorPower);
SongRecord metaKey(std::uint8_t keyNumber);
SongRecord textRecord(std::uint8_t kind, const std::string& text);
// A note with its velocity, delay and gate; a program-change effect record.
SongRecord withValues(SongRecord note, std::uint8_t velocity, std::uint8_t delay, std::uint8_t gate);
SongRecord programChange(std::uint8_t module, std::uint8_t bank, std::uint8_t number);

// Appends records as one group: the first gets bySize = records.size(), the rest 0.
void addGroup(std::vector<SongRecord>& song, std::initializer_list<SongRecord> records);
std::vector<SongRecord> group(std::initializer_list<SongRecord> records);
// Each record as a group of its own.
void addGroups(std::vector<SongRecord>& song, std::initializer_list<SongRecord> records);
std::vector<SongRecord> groups(std::initializer_list<SongRecord> records);
// One note group of `type` per key.
std::vector<SongRecord> notes(std::uint8_t type, std::initializer_list<int> keys);

// Type of the first record of every group, and the keys of one group's notes in stored order.
std::vector<int> groupTypes(Records song);
std::vector<int> keysOf(Records song, std::size_t group);

// Marks each of the given groups' score records as one tuplet of n (first, inner, last).
void markTuplet(std::vector<SongRecord>& song, const std::vector<std::size_t>& groups, std::uint8_t n);

// A song of `count` records: groups of quarter notes and bar lines, with some effects.
std::vector<SongRecord> filledSong(std::size_t count);

SongData songOf(std::vector<SongRecord> records, SongInfo info = SongInfo::defaults());

// Little-endian writers for hand-made files.
void put16(std::vector<std::uint8_t>& out, std::uint16_t v);
void put32(std::vector<std::uint8_t>& out, std::uint32_t v);

// A file header of an older layout: magic, version and count (8 bytes).
std::vector<std::uint8_t> oldHeader(std::uint16_t version, std::uint16_t count);

// One old 128-byte record in its widened layout, with fields a test sets by offset.
struct OldRecord {
    std::array<std::uint8_t, 128> bytes{};
    OldRecord(std::int16_t tempo, std::uint8_t typeAndDots, std::uint8_t marks = 0);
    void setKey(int key);
    void set(std::size_t offset, std::uint8_t v) { bytes[offset] = v; }
    void set16(std::size_t offset, std::int16_t v);
    void setDouble(std::size_t offset, double v);
};

// Files of the old layouts, built from widened records.
std::vector<std::uint8_t> layout10(std::initializer_list<OldRecord> records, std::uint16_t timeCode = 5,
                                   std::uint16_t key = 0, std::uint16_t fileKind = 1);
std::vector<std::uint8_t> layout20(std::initializer_list<OldRecord> records, std::uint16_t timeCode = 5,
                                   std::uint16_t key = 0, std::uint16_t fileKind = 1);
std::vector<std::uint8_t> layout24(std::initializer_list<OldRecord> records, std::uint16_t timeCode = 5,
                                   std::uint16_t key = 0, std::uint16_t fileKind = 1);
std::vector<std::uint8_t> layout30(const std::vector<SongRecord>& records, const SongInfo& info);
std::vector<std::uint8_t> layoutBelow411(std::uint16_t version, const std::vector<SongRecord>& records,
                                         const SongInfo& info);

}  // namespace plume::test
