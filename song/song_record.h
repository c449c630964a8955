#pragma once
// The song's records, its settings and file header, and the plain functions that walk them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace plume {

inline constexpr std::size_t kRecordSize = 10;
inline constexpr std::size_t kRecordCapacity = 20001;  // records the buffer holds
inline constexpr std::size_t kRecordLimit = 20000;     // an insertion must keep the count below this
inline constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);

namespace kind {
inline constexpr std::uint8_t kScore = 0x00;
inline constexpr std::uint8_t kEffect = 0x10;
inline constexpr std::uint8_t kVolumeCurve = 0x20;
inline constexpr std::uint8_t kModulationCurve = 0x30;
inline constexpr std::uint8_t kPitchBendCurve = 0x40;
inline constexpr std::uint8_t kLyric = 0xE0;
inline constexpr std::uint8_t kChordName = 0xE1;
inline constexpr std::uint8_t kMeta = 0xFF;
}  // namespace kind

namespace type {
inline constexpr std::uint8_t kWhole = 1;
inline constexpr std::uint8_t k32nd = 6;
inline constexpr std::uint8_t kWholeRest = 7;
inline constexpr std::uint8_t k32ndRest = 12;
inline constexpr std::uint8_t kBarLine = 13;
inline constexpr std::uint8_t kLineBreak = 14;
inline constexpr std::uint8_t kSpacer = 15;
inline constexpr std::uint8_t kNotScore = 255;
}  // namespace type

namespace effect {
inline constexpr std::uint8_t kVolume = 0;
inline constexpr std::uint8_t kPan = 1;
inline constexpr std::uint8_t kModulation = 2;
inline constexpr std::uint8_t kHold = 3;
inline constexpr std::uint8_t kReverb = 4;
inline constexpr std::uint8_t kChorus = 5;
inline constexpr std::uint8_t kPitchBend = 6;
inline constexpr std::uint8_t kTempo = 7;
inline constexpr std::uint8_t kGateTime = 8;
inline constexpr std::uint8_t kVelocity = 9;
inline constexpr std::uint8_t kProgram = 10;
inline constexpr std::uint8_t kNone = 11;
inline constexpr std::uint8_t kExpression = 12;
inline constexpr std::uint8_t kVariation = 17;
}  // namespace effect

namespace meta {
inline constexpr std::uint8_t kTimeSignature = 0x58;
inline constexpr std::uint8_t kKeySignature = 0x59;
}  // namespace meta

namespace mark {
inline constexpr std::uint8_t kTieMask = 0xC0;
inline constexpr std::uint8_t kTieBegin = 0x40;
inline constexpr std::uint8_t kTieMiddle = 0x80;
inline constexpr std::uint8_t kTieEnd = 0xC0;
inline constexpr std::uint8_t kTupletMask = 0x3F;  // position and number together
inline constexpr std::uint8_t kTupletPositionMask = 0x30;
inline constexpr std::uint8_t kTupletFirst = 0x10;
inline constexpr std::uint8_t kTupletInner = 0x20;
inline constexpr std::uint8_t kTupletLast = 0x30;
inline constexpr std::uint8_t kTupletNumberMask = 0x0F;
inline constexpr std::uint8_t kDotMask = 0xC0;
inline constexpr std::uint8_t kDotted = 0x40;
inline constexpr std::uint8_t kDoubleDotted = 0x80;
}  // namespace mark

// One 10-byte record, exactly as stored in a file.
struct SongRecord {
    std::array<std::uint8_t, kRecordSize> bytes{};

    std::uint8_t groupSize() const { return bytes[0]; }
    void setGroupSize(std::uint8_t n) { bytes[0] = n; }
    std::uint8_t kind() const { return bytes[1]; }
    bool isScore() const { return bytes[1] == kind::kScore; }
    bool isEffect() const { return bytes[1] == kind::kEffect; }
    bool isMeta() const { return bytes[1] == kind::kMeta; }
    bool isText() const { return bytes[1] == kind::kLyric || bytes[1] == kind::kChordName; }
    // Score type 1-15, or 255 for every record that is not a score record.
    std::uint8_t type() const { return isScore() ? std::uint8_t(bytes[2] & 0x0F) : type::kNotScore; }
    bool isNote() const { return type() >= type::kWhole && type() <= type::k32nd; }
    bool isRest() const { return type() >= type::kWholeRest && type() <= type::k32ndRest; }
    bool takesTime() const { return type() >= type::kWhole && type() <= type::k32ndRest; }
    std::uint8_t dots() const { return bytes[2] & mark::kDotMask; }
    std::uint8_t effectNumber() const { return bytes[2]; }
    std::uint8_t metaType() const { return bytes[2]; }
    std::uint8_t marks() const { return bytes[3]; }
    std::uint8_t tie() const { return bytes[3] & mark::kTieMask; }
    std::uint8_t tuplet() const { return bytes[3] & mark::kTupletMask; }
    std::uint8_t tupletNumber() const { return bytes[3] & mark::kTupletNumberMask; }
    std::uint8_t tupletPosition() const { return bytes[3] & mark::kTupletPositionMask; }
    std::uint8_t value() const { return bytes[3]; }
    std::int16_t value16() const { return std::int16_t(bytes[3] | (bytes[4] << 8)); }
    void setValue16(std::int16_t v) {
        bytes[3] = std::uint8_t(std::uint16_t(v) & 0xFF);
        bytes[4] = std::uint8_t(std::uint16_t(v) >> 8);
    }
    std::uint8_t accidental() const { return bytes[4]; }
    std::uint8_t key() const { return bytes[5]; }
    std::uint8_t velocity() const { return bytes[6]; }
    std::uint8_t delay() const { return bytes[7]; }
    std::uint8_t gate() const { return bytes[8]; }
    std::uint8_t programInForce() const { return bytes[9]; }

    friend bool operator==(const SongRecord&, const SongRecord&) = default;
};
static_assert(sizeof(SongRecord) == kRecordSize);

// The 12 song-wide settings bytes.
struct SongInfo {
    std::array<std::uint8_t, 12> bytes{};

    std::uint8_t timeCode() const { return bytes[0]; }
    std::uint8_t keySignature() const { return bytes[1]; }
    std::uint8_t fileKind() const { return bytes[2]; }  // 0 rhythm, 1 melody
    bool isRhythm() const { return bytes[2] != 1; }
    std::int16_t tempo() const { return std::int16_t(bytes[4] | (bytes[5] << 8)); }
    void setTempo(std::int16_t t) {
        bytes[4] = std::uint8_t(std::uint16_t(t) & 0xFF);
        bytes[5] = std::uint8_t(std::uint16_t(t) >> 8);
    }
    std::uint8_t initialModule() const { return bytes[6]; }
    std::uint8_t initialBank() const { return bytes[7]; }
    std::uint8_t initialProgram() const { return bytes[8]; }
    std::uint8_t soundModule() const { return bytes[9]; }
    std::uint8_t numerator() const { return bytes[10]; }
    std::uint8_t denominatorPower() const { return bytes[11]; }

    // The settings of a song made by the document before the user has chosen anything.
    static SongInfo defaults();

    friend bool operator==(const SongInfo&, const SongInfo&) = default;
};
static_assert(sizeof(SongInfo) == 12);

inline constexpr std::array<char, 4> kSongMagic = {'P', 'L', 'M', '\0'};
inline constexpr std::uint16_t kSongVersion = 411;

struct FileHeader {
    std::array<std::uint8_t, 256> bytes{};

    std::uint16_t word(std::size_t offset) const { return std::uint16_t(bytes[offset] | (bytes[offset + 1] << 8)); }
    void setWord(std::size_t offset, std::uint16_t w) {
        bytes[offset] = std::uint8_t(w & 0xFF);
        bytes[offset + 1] = std::uint8_t(w >> 8);
    }
    std::uint16_t version() const { return word(4); }
    std::uint16_t count() const { return word(6); }
    std::uint16_t headerWord() const { return word(8); }
    void setHeaderWord(std::uint16_t w) { setWord(8, w); }

    // Magic and header word 2, the rest zero.
    static FileHeader fresh();
};
static_assert(sizeof(FileHeader) == 256);

using Records = std::span<const SongRecord>;
using MutableRecords = std::span<SongRecord>;

// Groups are walked by bySize. A group start of size 0 cannot be walked past: it is seen as a
// one-record group and nextGroup then returns records.size(), so every walker ends there.
std::size_t nextGroup(Records records, std::size_t group);
// Start of the group before `group`, or kNoGroup at the start of the song.
std::size_t previousGroup(Records records, std::size_t group);
// Record indices [group, end) of one group, clipped to the song.
std::size_t groupEnd(Records records, std::size_t group);
std::size_t noteCount(Records records, std::size_t group);
std::size_t scoreCount(Records records, std::size_t group);
bool isChord(Records records, std::size_t group);
// 0-based ordinal of the group that starts at `group`, counted from the first record.
std::size_t groupOrdinal(Records records, std::size_t group);
// Score groups: the first record is a score record of type 1-12 (notes, rests and chords).
bool isTimedGroup(Records records, std::size_t group);
// Next / previous group whose first record has a score type below 13.
std::size_t nextScoreGroup(Records records, std::size_t group);
std::size_t previousScoreGroup(Records records, std::size_t group);
// Orders chord records highest key first.
bool higherKey(const SongRecord& a, const SongRecord& b);

// Key-signature number 0-14 as MIDI sharps (+) or flats (-).
int keySignatureSharps(std::uint8_t keyNumber);

}  // namespace plume
