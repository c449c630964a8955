#include "support/song_builder.h"

#include <algorithm>
#include <cstring>

namespace plume::test {

SongRecord note(std::uint8_t type, std::uint8_t key, std::uint8_t marks, std::uint8_t dots) {
    return {{0, kind::kScore, std::uint8_t(type | dots), marks, 0, key, 100, 0, 75, 0}};
}

SongRecord rest(std::uint8_t type, std::uint8_t marks, std::uint8_t dots) {
    return {{0, kind::kScore, std::uint8_t(type | dots), marks, 0, 0, 0, 0, 0, 0}};
}

SongRecord scoreMark(std::uint8_t type) { return rest(type); }

SongRecord effectValue(std::uint8_t number, std::uint8_t value) {
    return {{0, kind::kEffect, number, value, 0, 0, 0, 0, 0, 0}};
}

SongRecord metaTime(std::uint8_t numerator, std::uint8_t denominatorPower) {
    return {{0, kind::kMeta, meta::kTimeSignature, 4, denominatorPower, numerator, 0, 0, 0, 0}};
}

SongRecord metaKey(std::uint8_t keyNumber) { return {{0, kind::kMeta, meta::kKeySignature, 2, keyNumber, 0, 0, 0, 0, 0}}; }

SongRecord textRecord(std::uint8_t textKind, const std::string& text) {
    SongRecord r;
    r.setKind(textKind);
    const std::size_t n = std::min<std::size_t>(text.size(), 6);
    r.setTextLength(std::uint8_t(n));
    std::memcpy(r.bytes.data() + 3, text.data(), n);
    return r;
}

SongRecord withValues(SongRecord note, std::uint8_t velocity, std::uint8_t delay, std::uint8_t gate) {
    note.setVelocity(velocity);
    note.setDelay(delay);
    note.setGate(gate);
    return note;
}

SongRecord programChange(std::uint8_t module, std::uint8_t bank, std::uint8_t number) {
    SongRecord r = effectValue(effect::kProgram, module);
    r.setProgram(module, bank, number);
    return r;
}

void addGroup(std::vector<SongRecord>& song, std::initializer_list<SongRecord> records) {
    const std::size_t first = song.size();
    song.insert(song.end(), records.begin(), records.end());
    for (std::size_t i = first; i < song.size(); ++i) song[i].setGroupSize(0);
    song[first].setGroupSize(std::uint8_t(records.size()));
}

std::vector<SongRecord> group(std::initializer_list<SongRecord> records) {
    std::vector<SongRecord> song;
    addGroup(song, records);
    return song;
}

void addGroups(std::vector<SongRecord>& song, std::initializer_list<SongRecord> records) {
    for (const SongRecord& r : records) addGroup(song, {r});
}

std::vector<SongRecord> groups(std::initializer_list<SongRecord> records) {
    std::vector<SongRecord> song;
    addGroups(song, records);
    return song;
}

std::vector<SongRecord> notes(std::uint8_t type, std::initializer_list<int> keys) {
    std::vector<SongRecord> song;
    for (int key : keys) addGroup(song, {note(type, std::uint8_t(key))});
    return song;
}

std::vector<int> groupTypes(Records song) {
    std::vector<int> types;
    for (std::size_t g = 0; g < song.size(); g = nextGroup(song, g)) types.push_back(song[g].type());
    return types;
}

std::vector<int> keysOf(Records song, std::size_t group) {
    std::vector<int> keys;
    for (std::size_t i = group; i < groupEnd(song, group); ++i)
        if (song[i].isNote()) keys.push_back(song[i].key());
    return keys;
}

void markTuplet(std::vector<SongRecord>& song, const std::vector<std::size_t>& groups, std::uint8_t n) {
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const std::uint8_t position = k == 0 ? mark::kTupletFirst
                                      : k + 1 == groups.size() ? mark::kTupletLast
                                                               : mark::kTupletInner;
        const std::size_t end = groupEnd(song, groups[k]);
        for (std::size_t i = groups[k]; i < end; ++i) {
            if (song[i].takesTime()) song[i].setTuplet(std::uint8_t(position | n));
        }
    }
}

std::vector<SongRecord> filledSong(std::size_t count) {
    std::vector<SongRecord> song;
    std::uint8_t key = 48;
    while (song.size() < count) {
        const std::size_t left = count - song.size();
        if (song.size() % 9 == 8 || left == 1) {
            addGroup(song, {scoreMark(type::kBarLine)});
        } else if (left >= 3 && song.size() % 7 == 0) {
            addGroup(song, {note(3, key), note(3, std::uint8_t(key + 4)), effectValue(effect::kVolume, 90)});
        } else {
            addGroup(song, {note(3, key)});
        }
        key = std::uint8_t(48 + (key + 1) % 36);
    }
    return song;
}

SongData songOf(std::vector<SongRecord> records, SongInfo info) {
    SongData song;
    song.records = std::move(records);
    song.info = info;
    return song;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

std::vector<std::uint8_t> oldHeader(std::uint16_t version, std::uint16_t count) {
    std::vector<std::uint8_t> out = {'P', 'L', 'M', 0};
    put16(out, version);
    put16(out, count);
    return out;
}

OldRecord::OldRecord(std::int16_t tempo, std::uint8_t typeAndDots, std::uint8_t marks) {
    set16(0, tempo);
    bytes[2] = typeAndDots;
    bytes[3] = marks;
    // The running state a conversion starts from, so that a plain record adds no effect records.
    bytes[17] = 100;  // velocity
    bytes[18] = 64;   // pan
    bytes[21] = 40;   // reverb
    bytes[26] = 75;   // gate
    bytes[28] = 100;  // volume
}

void OldRecord::setKey(int key) {
    const int bit = key - 24;  // keys 24-103
    bytes[6 + 2 * std::size_t(bit / 16) + std::size_t(bit % 16 / 8)] |= std::uint8_t(1 << (bit % 8));
}

void OldRecord::set16(std::size_t offset, std::int16_t v) {
    bytes[offset] = std::uint8_t(std::uint16_t(v) & 0xFF);
    bytes[offset + 1] = std::uint8_t(std::uint16_t(v) >> 8);
}

void OldRecord::setDouble(std::size_t offset, double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (std::size_t i = 0; i < 8; ++i) bytes[offset + i] = std::uint8_t(bits >> (8 * i));
}

namespace {

// Old settings: four words (0, time code, key, file kind), padded with zeros to `size` bytes.
void putOldSettings(std::vector<std::uint8_t>& out, std::size_t size, std::uint16_t timeCode, std::uint16_t key,
                    std::uint16_t fileKind) {
    for (std::uint16_t word : {std::uint16_t(0), timeCode, key, fileKind}) put16(out, word);
    out.resize(out.size() + size - 8, 0);
}

// Narrows widened records to the stored layout: the inverse of the reader's widening.
std::vector<std::uint8_t> oldLayout(std::uint16_t version, std::size_t settingsSize, std::size_t recordSize,
                                    std::initializer_list<OldRecord> records, std::uint16_t timeCode,
                                    std::uint16_t key, std::uint16_t fileKind) {
    std::vector<std::uint8_t> out = oldHeader(version, std::uint16_t(records.size()));
    putOldSettings(out, settingsSize, timeCode, key, fileKind);
    for (const OldRecord& r : records) {
        std::vector<std::uint8_t> stored(recordSize, 0);
        if (version == 10) {
            std::copy_n(r.bytes.begin(), 14, stored.begin());
            std::copy_n(r.bytes.begin() + 16, 7, stored.begin() + 14);
            std::copy_n(r.bytes.begin() + 24, 2, stored.begin() + 22);
            stored[24] = r.bytes[26];
        } else {
            std::copy_n(r.bytes.begin(), recordSize, stored.begin());
        }
        out.insert(out.end(), stored.begin(), stored.end());
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> layout10(std::initializer_list<OldRecord> records, std::uint16_t timeCode,
                                   std::uint16_t key, std::uint16_t fileKind) {
    return oldLayout(10, 16, 26, records, timeCode, key, fileKind);
}

std::vector<std::uint8_t> layout20(std::initializer_list<OldRecord> records, std::uint16_t timeCode,
                                   std::uint16_t key, std::uint16_t fileKind) {
    return oldLayout(20, 18, 28, records, timeCode, key, fileKind);
}

std::vector<std::uint8_t> layout24(std::initializer_list<OldRecord> records, std::uint16_t timeCode,
                                   std::uint16_t key, std::uint16_t fileKind) {
    return oldLayout(24, 22, 128, records, timeCode, key, fileKind);
}

std::vector<std::uint8_t> layout30(const std::vector<SongRecord>& records, const SongInfo& info) {
    std::vector<std::uint8_t> out = oldHeader(30, std::uint16_t(records.size()));
    out.resize(out.size() + 8, 0);  // reserved block
    out.insert(out.end(), info.bytes.begin(), info.bytes.begin() + 10);
    for (const SongRecord& r : records) out.insert(out.end(), r.bytes.begin(), r.bytes.end());
    return out;
}

std::vector<std::uint8_t> layoutBelow411(std::uint16_t version, const std::vector<SongRecord>& records,
                                         const SongInfo& info) {
    std::vector<std::uint8_t> out = oldHeader(version, std::uint16_t(records.size()));
    out.resize(out.size() + 8, 0);  // reserved block
    out.insert(out.end(), info.bytes.begin(), info.bytes.end());
    for (const SongRecord& r : records) out.insert(out.end(), r.bytes.begin(), r.bytes.end());
    return out;
}

}  // namespace plume::test
