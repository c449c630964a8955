#include "song/song_file.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <limits>
#include <utility>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/data_check.h"

namespace plume {

namespace {

using Bytes = std::span<const std::uint8_t>;

// Little-endian reads; every caller has checked that [at, at + width) lies inside `b`.
std::uint16_t le16(Bytes b, std::size_t at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); }
std::uint64_t le64(Bytes b, std::size_t at) {
    std::uint64_t v = 0;
    for (std::size_t i = 8; i-- > 0;) v = (v << 8) | b[at + i];
    return v;
}

constexpr std::size_t kShortHeaderSize = 8;  // magic, version, count: the header of every layout below 411

bool hasMagic(Bytes b) {
    return b.size() >= kSongMagic.size() &&
           std::equal(kSongMagic.begin(), kSongMagic.end(), b.begin(),
                      [](char c, std::uint8_t x) { return std::uint8_t(c) == x; });
}

std::vector<SongRecord> readRecords(Bytes b, std::size_t at, std::size_t count) {
    std::vector<SongRecord> records(count);
    for (std::size_t i = 0; i < count; ++i)
        std::copy_n(b.begin() + std::ptrdiff_t(at + i * kRecordSize), kRecordSize, records[i].bytes.begin());
    return records;
}

// Header of a layout below 411: the 8 bytes read and header word 2; the rest as in a new song.
FileHeader shortHeader(Bytes b) {
    FileHeader header = FileHeader::fresh();
    std::copy_n(b.begin(), kShortHeaderSize, header.bytes.begin());
    header.setHeaderWord(2);
    return header;
}

// SongInfo bytes 10-11 (numerator, denominator power) from the time-signature code of old files.
void setTimeSignatureFromCode(SongInfo& info) {
    static constexpr std::array<std::array<std::uint8_t, 2>, 8> kSignatures = {
        {{4, 2}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {4, 2}, {4, 3}, {6, 3}}};
    const auto& signature = kSignatures[info.timeCode() < kSignatures.size() ? info.timeCode() : 0];
    info.setNumerator(signature[0]);
    info.setDenominatorPower(signature[1]);
}

SongReadResult wrongData(std::uint16_t version) {
    SongReadResult result;
    result.status = ReadStatus::WrongData;
    result.version = version;
    return result;
}

// ---- Layouts 10, 20 and 24: old records widened to 128 bytes, then converted to groups.

using WideRecord = std::array<std::uint8_t, 128>;

namespace wide {
constexpr std::size_t kTempo = 0;
constexpr std::size_t kType = 2;
constexpr std::size_t kMarks = 3;
constexpr std::size_t kKeys = 6;  // five 16-bit words; bit k of word w is key 24 + 16 w + k
constexpr std::size_t kKeyWords = 5;
constexpr std::size_t kFifthKeyWord = 14;
constexpr std::size_t kProgram = 16;
constexpr std::size_t kVelocity = 17;
constexpr std::size_t kPan = 18;
constexpr std::size_t kModulation = 19;
constexpr std::size_t kHold = 20;
constexpr std::size_t kReverb = 21;
constexpr std::size_t kChorus = 22;
constexpr std::size_t kPitchBend = 24;
constexpr std::size_t kGate = 26;
constexpr std::size_t kBank = 27;
constexpr std::size_t kVolume = 28;
}  // namespace wide

struct CurveLayout {
    std::uint8_t kind;  // of the first of the three records written
    std::size_t function, parameter, value32, short1, short2, double1, double2;
};
enum Curve : std::size_t { kVolumeCurve, kModulationCurve, kPitchBendCurve, kCurveCount };
constexpr std::array<CurveLayout, kCurveCount> kCurves = {{
    {kind::kVolumeCurve, 29, 30, 32, 48, 50, 40, 56},
    {kind::kModulationCurve, 64, 65, 68, 80, 82, 72, 88},
    {kind::kPitchBendCurve, 96, 97, 100, 112, 114, 104, 120},
}};

struct OldLayout {
    std::size_t settingsSize;
    std::size_t recordSize;
};

std::optional<OldLayout> oldLayout(std::uint16_t version) {
    switch (version) {
    case 10: return OldLayout{16, 26};
    case 20: return OldLayout{18, 28};
    case 24: return OldLayout{22, 128};
    default: return std::nullopt;
    }
}

// `in` holds exactly one old record of the layout of `version`.
WideRecord widen(Bytes in, std::uint16_t version, bool melody) {
    WideRecord w{};
    auto clearOldOnlyFields = [&w] {
        w[wide::kPitchBend] = w[wide::kPitchBend + 1] = 0;
        for (const CurveLayout& curve : kCurves) w[curve.function] = 0;
        w[wide::kVolume] = 127;
    };
    if (version == 24) {
        std::copy_n(in.begin(), w.size(), w.begin());
    } else if (version == 20) {
        std::copy_n(in.begin(), 28, w.begin());
        clearOldOnlyFields();
    } else {
        std::copy_n(in.begin(), 14, w.begin());
        std::copy_n(in.begin() + 14, 7, w.begin() + wide::kProgram);
        std::copy_n(in.begin() + 22, 2, w.begin() + wide::kPitchBend);
        w[wide::kGate] = in[24];
        w[wide::kFifthKeyWord] = w[wide::kFifthKeyWord + 1] = 0;
        w[wide::kBank] = 0;
        clearOldOnlyFields();
        if (!melody) w[wide::kProgram] = 0;
    }
    return w;
}

// Most records one old record can become: a note per key, seven effects, a program, three curves.
constexpr std::size_t kMostRecordsPerOldRecord = wide::kKeyWords * 16 + 7 + 1 + 3 * kCurveCount;
static_assert(kMostRecordsPerOldRecord <= 255, "a converted group size must fit bySize");

std::uint32_t narrowToFloat(std::uint64_t doubleBits) {
    static_assert(std::numeric_limits<float>::is_iec559, "out-of-range doubles must become infinities");
    return std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<double>(doubleBits)));
}

// Turns widened old records into groups, carrying tempo, ties, effects and program from one old
// record to the next.
class OldRecordConverter {
public:
    OldRecordConverter(SongInfo& info, std::vector<SongRecord>& out) : m_info(info), m_out(out) {}

    void add(const WideRecord& old) {
        const std::size_t group = m_out.size();
        m_rememberedNow = false;
        const std::uint8_t scoreType = old[wide::kType] & 0x0F;
        if (scoreType >= type::kWholeRest) {
            if (scoreType <= type::k32ndRest) {
                setTempoOnce(old);
                closeTie();
            }
            push(scoreRecord(old[wide::kType], old[wide::kMarks]));
            m_out[group].setGroupSize(1);
        } else {
            setTempoOnce(old);
            std::uint8_t marks = old[wide::kMarks];
            applyTieMark(group, marks);
            addNotes(old, marks);
            addEffects(old);
            addProgram(old);
            addCurves(old);
            if (m_out.size() > group) m_out[group].setGroupSize(std::uint8_t(m_out.size() - group));
        }
        if (m_out.size() > group) m_out[group].setProgramInForce(old[wide::kProgram]);
        if (m_rememberedNow) m_tieGroupSize = m_out.size() - group;
    }

    void finish() {
        if (!m_tempoSet) m_info.setTempo(120);
    }

private:
    enum class Tie { None, Started, Continued };

    void push(const SongRecord& record) { m_out.push_back(record); }

    static SongRecord scoreRecord(std::uint8_t typeAndDots, std::uint8_t marks) {
        SongRecord r;
        r.setKind(kind::kScore);
        r.setTypeAndDots(typeAndDots);
        r.setMarks(marks);
        return r;
    }

    static SongRecord effectRecord(std::uint8_t number, std::uint8_t value) {
        SongRecord r;
        r.setKind(kind::kEffect);
        r.setEffectNumber(number);
        r.setValue(value);
        return r;
    }

    void setTempoOnce(const WideRecord& old) {
        if (m_tempoSet) return;
        m_info.setTempo(std::int16_t(le16(old, wide::kTempo)));
        m_tempoSet = true;
    }

    void remember(Tie state, std::size_t group) {
        m_tie = state;
        m_tieGroup = group;
        m_tieGroupSize = 0;
        m_rememberedNow = true;
    }

    void setTieBits(std::uint8_t bits) {
        for (std::size_t i = m_tieGroup; i < m_tieGroup + m_tieGroupSize; ++i) {
            SongRecord& r = m_out[i];
            if (r.isScore()) r.setTie(bits);
        }
    }

    // A group that is not tied on to the next ends whatever tie is pending.
    void closeTie() {
        if (m_tie == Tie::Started) setTieBits(0);
        else if (m_tie == Tie::Continued) setTieBits(mark::kTieEnd);
        m_tie = Tie::None;
    }

    // Old tie marks belong to whole groups; they become per-note begin / middle / end bits.
    void applyTieMark(std::size_t group, std::uint8_t& marks) {
        switch (marks & mark::kTieMask) {
        case mark::kTieBegin:
            if (m_tie == Tie::None) {
                remember(Tie::Started, group);
            } else if (m_tie == Tie::Started) {
                setTieBits(0);
                m_tie = Tie::None;
            } else {
                setTieBits(mark::kTieEnd);
                remember(Tie::Started, group);
            }
            break;
        case mark::kTieMiddle:
            if (m_tie == Tie::None) marks &= std::uint8_t(~mark::kTieMask);
            else if (m_tie == Tie::Started) remember(Tie::Continued, group);
            break;
        default: closeTie(); break;
        }
    }

    void addNotes(const WideRecord& old, std::uint8_t marks) {
        for (std::size_t w = 0; w < wide::kKeyWords; ++w) {
            const std::uint16_t keys = le16(old, wide::kKeys + 2 * w);
            for (std::size_t k = 0; k < 16; ++k) {
                if (!((keys >> k) & 1)) continue;
                SongRecord r = scoreRecord(old[wide::kType], marks);
                r.setKey(std::uint8_t(24 + 16 * w + k));
                r.setVelocity(old[wide::kVelocity]);
                r.setGate(old[wide::kGate]);
                push(r);
            }
        }
    }

    // `afterCurve`: a curve was in force, so the value is written even when it equals the last one.
    void addIfChanged(std::uint8_t number, std::uint8_t value, std::uint8_t& running, bool afterCurve = false) {
        if (value == running && !afterCurve) return;
        running = value;
        push(effectRecord(number, value));
    }

    bool hasCurve(const WideRecord& old, Curve curve) const { return old[kCurves[curve].function] != 0; }

    void addEffects(const WideRecord& old) {
        if (!hasCurve(old, kVolumeCurve))
            addIfChanged(effect::kVolume, old[wide::kVolume], m_volume,
                         std::exchange(m_curveActive[kVolumeCurve], false));
        if (!hasCurve(old, kPitchBendCurve)) {
            const auto bend = std::int16_t(le16(old, wide::kPitchBend));
            if (bend != m_pitchBend || std::exchange(m_curveActive[kPitchBendCurve], false)) {
                m_pitchBend = bend;
                SongRecord r = effectRecord(effect::kPitchBend, 0);
                r.setValue16(bend);
                push(r);
            }
        }
        addIfChanged(effect::kChorus, old[wide::kChorus], m_chorus);
        addIfChanged(effect::kReverb, old[wide::kReverb], m_reverb);
        addIfChanged(effect::kHold, old[wide::kHold], m_hold);
        if (!hasCurve(old, kModulationCurve))
            addIfChanged(effect::kModulation, old[wide::kModulation], m_modulation,
                         std::exchange(m_curveActive[kModulationCurve], false));
        addIfChanged(effect::kPan, old[wide::kPan], m_pan);
    }

    void pushProgram(std::uint8_t module, std::uint8_t bank, std::uint8_t program) {
        SongRecord r = effectRecord(effect::kProgram, module);
        r.setProgram(module, bank, program);
        push(r);
    }

    // The first program of the song becomes the initial instrument; later changes become records.
    void addProgram(const WideRecord& old) {
        const std::uint8_t program = old[wide::kProgram];
        const std::uint8_t bank = old[wide::kBank];
        auto& info = m_info.bytes;
        if (m_info.isRhythm()) {
            if (program == m_program) return;
            m_program = program;
            if (info[8] == 0) {
                info[6] = 1;
                info[7] = 0;
                info[8] = program;
                info[9] = 1;
            } else {
                pushProgram(1, 0, program);
            }
        } else {
            if (program == m_program && bank == m_bank) return;
            m_program = program;
            m_bank = bank;
            if (info[7] == 0 && info[8] == 0) {
                info[6] = 1;
                info[7] = bank;
                info[8] = program;
                if (info[7] != 0) info[9] = 1;
            } else {
                pushProgram(0, bank, program);
            }
        }
    }

    void addCurves(const WideRecord& old) {
        for (std::size_t c = 0; c < kCurveCount; ++c) {
            const CurveLayout& curve = kCurves[c];
            if (old[curve.function] == 0) continue;
            SongRecord first, second, third;
            first.setKind(curve.kind);
            first.setCurveFunction(old[curve.function]);
            first.setCurveInterval(old[curve.parameter]);
            std::copy_n(old.begin() + std::ptrdiff_t(curve.value32), 4, first.bytes.begin() + 4);
            second.setKind(std::uint8_t(curve.kind + 1));
            std::copy_n(old.begin() + std::ptrdiff_t(curve.short1), 2, second.bytes.begin() + 2);
            std::copy_n(old.begin() + std::ptrdiff_t(curve.short2), 2, second.bytes.begin() + 4);
            third.setKind(std::uint8_t(curve.kind + 2));
            const std::uint32_t f1 = narrowToFloat(le64(old, curve.double1));
            const std::uint32_t f2 = narrowToFloat(le64(old, curve.double2));
            third.setCurveA(std::bit_cast<float>(f1));
            third.setCurveB(std::bit_cast<float>(f2));
            push(first);
            push(second);
            push(third);
            m_curveActive[c] = true;
        }
    }

    SongInfo& m_info;
    std::vector<SongRecord>& m_out;
    bool m_tempoSet = false;
    Tie m_tie = Tie::None;
    std::size_t m_tieGroup = 0;
    std::size_t m_tieGroupSize = 0;  // known once the remembered group's step has ended
    bool m_rememberedNow = false;
    std::uint8_t m_volume = 100;
    std::uint8_t m_pan = 64;
    std::uint8_t m_reverb = 40;
    std::uint8_t m_chorus = 0;
    std::uint8_t m_hold = 0;
    std::uint8_t m_modulation = 0;
    std::int16_t m_pitchBend = 0;
    std::uint8_t m_program = 0;
    std::uint8_t m_bank = 0;
    std::array<bool, kCurveCount> m_curveActive{};
};

SongReadResult parseOldRecords(Bytes b, std::uint16_t version, std::size_t count, const OldLayout& layout) {
    const std::size_t recordsAt = kShortHeaderSize + layout.settingsSize;
    if (b.size() < recordsAt + count * layout.recordSize) return wrongData(version);

    SongReadResult result;
    result.version = version;
    SongData& song = result.song;
    song.header = shortHeader(b);
    // Old settings: four words, of which words 1-3 are the time code, key and file kind.
    song.info = SongInfo::defaults();
    song.info.setTimeCode(std::uint8_t(le16(b, kShortHeaderSize + 2)));
    song.info.setKeySignature(std::uint8_t(le16(b, kShortHeaderSize + 4)));
    song.info.setFileKind(std::uint8_t(le16(b, kShortHeaderSize + 6)));
    std::fill(song.info.bytes.begin() + 6, song.info.bytes.begin() + 10, std::uint8_t(0));
    const bool melody = le16(b, kShortHeaderSize + 6) == 1;

    OldRecordConverter converter(song.info, song.records);
    for (std::size_t i = 0; i < count; ++i) {
        converter.add(widen(b.subspan(recordsAt + i * layout.recordSize, layout.recordSize), version, melody));
        if (song.records.size() > kRecordCapacity) return wrongData(version);
    }
    converter.finish();
    setTimeSignatureFromCode(song.info);
    result.status = ReadStatus::Ok;
    result.converted = true;
    return result;
}

// ---- Layout 30 and the other versions below 411: records already in the current form.

SongReadResult parseLayout30(Bytes b, std::size_t count) {
    constexpr std::size_t kReservedAt = kShortHeaderSize;
    constexpr std::size_t kInfoAt = 16;
    constexpr std::size_t kRecordsAt = 26;
    if (count > kRecordCapacity || b.size() < kRecordsAt + count * kRecordSize) return wrongData(30);
    SongReadResult result;
    result.version = 30;
    result.song.header = shortHeader(b);
    std::copy_n(b.begin() + kReservedAt, result.song.reserved.size(), result.song.reserved.begin());
    result.song.info = SongInfo::defaults();
    std::copy_n(b.begin() + kInfoAt, 10, result.song.info.bytes.begin());
    setTimeSignatureFromCode(result.song.info);
    result.song.records = readRecords(b, kRecordsAt, count);
    result.status = ReadStatus::Ok;
    result.converted = true;
    return result;
}

// The reserved block, settings and records at fixed offsets; the records must end the file exactly.
SongReadResult parseInPlace(Bytes b, std::uint16_t version, std::size_t count, FileHeader header,
                            std::size_t headerSize) {
    const std::size_t infoAt = headerSize + 8;
    const std::size_t recordsAt = infoAt + 12;
    if (count > kRecordCapacity || b.size() != recordsAt + count * kRecordSize) return wrongData(version);
    SongReadResult result;
    result.version = version;
    result.song.header = header;
    std::copy_n(b.begin() + std::ptrdiff_t(headerSize), result.song.reserved.size(), result.song.reserved.begin());
    std::copy_n(b.begin() + std::ptrdiff_t(infoAt), result.song.info.bytes.size(), result.song.info.bytes.begin());
    result.song.records = readRecords(b, recordsAt, count);
    result.status = ReadStatus::Ok;
    return result;
}

// Longest file a read needs: layout 24 with 65,535 records of 128 bytes. A longer current-layout
// file is wrong data anyway, so a file is read no further than this (one byte more shows it).
constexpr std::size_t kLongestUsefulFile = kShortHeaderSize + 22 + 128 * std::size_t(0xFFFF) + 1;

void showWriteFailure(const std::filesystem::path& path) {
    platform::messageBox().show(platform::formatMessage("%s\n保存が正常にできませんでした。", path.string().c_str()));
}

}  // namespace

SongReadResult parseSong(std::span<const std::uint8_t> bytes) {
    if (!hasMagic(bytes)) {
        SongReadResult result;
        result.status = ReadStatus::WrongMagic;
        return result;
    }
    if (bytes.size() < kShortHeaderSize) return wrongData(0);
    const std::uint16_t version = le16(bytes, 4);
    const std::size_t count = le16(bytes, 6);
    if (version >= kSongVersion) {
        if (bytes.size() < sizeof(FileHeader)) return wrongData(version);
        FileHeader header;
        std::copy_n(bytes.begin(), header.bytes.size(), header.bytes.begin());
        return parseInPlace(bytes, version, count, header, sizeof(FileHeader));
    }
    if (const auto layout = oldLayout(version)) return parseOldRecords(bytes, version, count, *layout);
    if (version == 30) return parseLayout30(bytes, count);
    return parseInPlace(bytes, version, count, shortHeader(bytes), kShortHeaderSize);
}

std::vector<std::uint8_t> serializeSong(const SongData& song) {
    assert(song.records.size() <= kRecordCapacity);
    FileHeader header = song.header;
    std::copy(kSongMagic.begin(), kSongMagic.end(), header.bytes.begin());
    header.setWord(4, kSongVersion);
    header.setWord(6, std::uint16_t(song.records.size()));

    std::vector<std::uint8_t> out(kSongHeaderSize + song.records.size() * kRecordSize);
    auto at = std::copy(header.bytes.begin(), header.bytes.end(), out.begin());
    at = std::copy(song.reserved.begin(), song.reserved.end(), at);
    at = std::copy(song.info.bytes.begin(), song.info.bytes.end(), at);
    for (const SongRecord& record : song.records) at = std::copy(record.bytes.begin(), record.bytes.end(), at);
    return out;
}

SongReadResult readSong(const std::filesystem::path& path) {
    const auto bytes = platform::readFilePrefix(path, kLongestUsefulFile);
    if (!bytes) {
        SongReadResult result;
        result.status = ReadStatus::CannotOpen;
        return result;
    }
    SongReadResult result = parseSong(*bytes);
    // A failed write-back has shown its message; the song itself was read.
    if (result.ok() && result.converted) writeSong(path, result.song);
    return result;
}

bool writeSong(const std::filesystem::path& path, const SongData& song) {
    if (song.records.size() > kRecordCapacity || !platform::writeFileAtomically(path, serializeSong(song))) {
        showWriteFailure(path);
        return false;
    }
    return true;
}

std::optional<SongInfo> readSongSettings(const std::filesystem::path& path) {
    const SongReadResult result = readSong(path);
    if (!result.ok()) return std::nullopt;
    return result.song.info;
}

int recordCountOfFile(const std::filesystem::path& path) {
    const auto head = platform::readFilePrefix(path, kShortHeaderSize);
    if (!head || !hasMagic(*head) || head->size() < kShortHeaderSize) return -1;
    if (le16(*head, 4) == 30) return le16(*head, 6);
    const SongReadResult result = readSong(path);
    return result.ok() ? int(result.song.records.size()) : -1;
}

bool updateSongSettings(const std::filesystem::path& path, std::int16_t tempo, std::uint8_t soundModule,
                        std::uint8_t numerator, std::uint8_t denominatorPower, std::uint8_t key) {
    SongReadResult result = readSong(path);
    if (!result.ok()) return false;
    SongInfo& info = result.song.info;
    info.setTempo(tempo);
    info.setSoundModule(soundModule);
    info.setNumerator(numerator);
    info.setDenominatorPower(denominatorPower);
    if (key < 255) info.setKeySignature(key);
    return writeSong(path, result.song);
}

bool checkSongFile(const std::filesystem::path& path) {
    SongReadResult result = readSong(path);
    if (!result.ok()) return false;
    runDataCheck(result.song.records, path.string());
    return writeSong(path, result.song);
}

}  // namespace plume
