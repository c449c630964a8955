#pragma once
// The song's records, its settings and file header, and the plain functions that walk them.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

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
    void setValue16(std::int16_t v) { setWord16(3, v); }
    std::uint8_t accidental() const { return bytes[4]; }
    std::uint8_t key() const { return bytes[5]; }
    std::uint8_t velocity() const { return bytes[6]; }
    std::uint8_t delay() const { return bytes[7]; }
    std::uint8_t gate() const { return bytes[8]; }
    std::uint8_t programInForce() const { return bytes[9]; }
    std::uint8_t typeAndDots() const { return bytes[2]; }
    std::uint8_t textLength() const { return bytes[2]; }
    // Effect 10 (program change): sound module, bank and program.
    std::uint8_t programModule() const { return bytes[3]; }
    std::uint8_t programBank() const { return bytes[4]; }
    std::uint8_t programNumber() const { return bytes[5]; }
    // Meta records: time signature numerator and denominator power, or the key-signature number.
    std::uint8_t metaNumerator() const { return bytes[5]; }
    std::uint8_t metaDenominatorPower() const { return bytes[4]; }
    std::uint8_t metaKeySignature() const { return bytes[4]; }

    // A curve piece is three records of kinds 0xN0, 0xN1, 0xN2 (N = 2 volume, 3 modulation, 4 bend).
    // First: function 0-4, interval, start offset in milliseconds.
    std::uint8_t curveFunction() const { return bytes[2]; }
    std::uint8_t curveInterval() const { return bytes[3]; }
    std::int32_t curveStartOffset() const { return std::int32_t(word32(4)); }
    // Second: constant c and amplitude.
    std::int16_t curveConstant() const { return word16(2); }
    std::int16_t curveAmplitude() const { return word16(4); }
    // Third: factors a and b as 32-bit floats.
    float curveA() const { return std::bit_cast<float>(word32(2)); }
    float curveB() const { return std::bit_cast<float>(word32(6)); }

    void setKind(std::uint8_t k) { bytes[1] = k; }
    // Byte 2 of a score record whole: type in the low bits, dots in the top two.
    void setTypeAndDots(std::uint8_t typeAndDots) { bytes[2] = typeAndDots; }
    void setType(std::uint8_t t) { bytes[2] = std::uint8_t((bytes[2] & 0xF0) | t); }
    void setDots(std::uint8_t d) { bytes[2] = std::uint8_t((bytes[2] & ~mark::kDotMask) | (d & mark::kDotMask)); }
    void setEffectNumber(std::uint8_t n) { bytes[2] = n; }
    void setMetaType(std::uint8_t t) { bytes[2] = t; }
    void setTextLength(std::uint8_t n) { bytes[2] = n; }
    void setMarks(std::uint8_t m) { bytes[3] = m; }
    void setTie(std::uint8_t t) { bytes[3] = std::uint8_t((bytes[3] & ~mark::kTieMask) | t); }
    void setTuplet(std::uint8_t t) { bytes[3] = std::uint8_t((bytes[3] & mark::kTieMask) | t); }
    void setValue(std::uint8_t v) { bytes[3] = v; }
    void setAccidental(std::uint8_t a) { bytes[4] = a; }
    void setKey(std::uint8_t k) { bytes[5] = k; }
    void setVelocity(std::uint8_t v) { bytes[6] = v; }
    void setDelay(std::uint8_t d) { bytes[7] = d; }
    void setGate(std::uint8_t g) { bytes[8] = g; }
    void setProgramInForce(std::uint8_t p) { bytes[9] = p; }
    // Velocity, delay, gate and program in force as `model` has them.
    void setPlayValues(const SongRecord& model) {
        setVelocity(model.velocity());
        setDelay(model.delay());
        setGate(model.gate());
        setProgramInForce(model.programInForce());
    }
    // A lyric or chord-name text of up to 6 bytes in bytes 3-8, its length in byte 2; longer is cut.
    void setText(std::string_view text) {
        setTextLength(std::uint8_t(std::min<std::size_t>(text.size(), 6)));
        for (std::size_t i = 0; i < textLength(); ++i) bytes[3 + i] = std::uint8_t(text[i]);
    }
    void setProgram(std::uint8_t module, std::uint8_t bank, std::uint8_t program) {
        bytes[3] = module;
        bytes[4] = bank;
        bytes[5] = program;
    }
    void setMetaTimeSignature(std::uint8_t numerator, std::uint8_t denominatorPower) {
        bytes[4] = denominatorPower;
        bytes[5] = numerator;
    }
    void setMetaKeySignature(std::uint8_t key) { bytes[4] = key; }
    void setCurveFunction(std::uint8_t f) { bytes[2] = f; }
    void setCurveInterval(std::uint8_t i) { bytes[3] = i; }
    void setCurveStartOffset(std::int32_t ms) { setWord32(4, std::uint32_t(ms)); }
    void setCurveConstant(std::int16_t c) { setWord16(2, c); }
    void setCurveAmplitude(std::int16_t a) { setWord16(4, a); }
    void setCurveA(float a) { setWord32(2, std::bit_cast<std::uint32_t>(a)); }
    void setCurveB(float b) { setWord32(6, std::bit_cast<std::uint32_t>(b)); }

    friend bool operator==(const SongRecord&, const SongRecord&) = default;

private:
    std::int16_t word16(std::size_t at) const { return std::int16_t(bytes[at] | (bytes[at + 1] << 8)); }
    std::uint32_t word32(std::size_t at) const {
        return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
               std::uint32_t(bytes[at + 3]) << 24;
    }
    void setWord16(std::size_t at, std::int16_t w) {
        bytes[at] = std::uint8_t(std::uint16_t(w) & 0xFF);
        bytes[at + 1] = std::uint8_t(std::uint16_t(w) >> 8);
    }
    void setWord32(std::size_t at, std::uint32_t w) {
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = std::uint8_t(w >> (8 * i));
    }
};
static_assert(sizeof(SongRecord) == kRecordSize);

// An instrument as a song stores it: the three bytes sent as bank select LSB, MSB and program.
struct Tone {
    std::uint8_t module = 0;
    std::uint8_t bank = 0;
    std::uint8_t program = 0;

    friend bool operator==(const Tone&, const Tone&) = default;
};

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

    void setTimeCode(std::uint8_t code) { bytes[0] = code; }
    void setKeySignature(std::uint8_t key) { bytes[1] = key; }
    void setFileKind(std::uint8_t kind) { bytes[2] = kind; }
    void setInitialModule(std::uint8_t module) { bytes[6] = module; }
    void setInitialBank(std::uint8_t bank) { bytes[7] = bank; }
    void setInitialProgram(std::uint8_t program) { bytes[8] = program; }
    void setInitialTone(std::uint8_t module, std::uint8_t bank, std::uint8_t program) {
        setInitialModule(module);
        setInitialBank(bank);
        setInitialProgram(program);
    }
    void setSoundModule(std::uint8_t module) { bytes[9] = module; }
    void setNumerator(std::uint8_t n) { bytes[10] = n; }
    void setDenominatorPower(std::uint8_t power) { bytes[11] = power; }

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
