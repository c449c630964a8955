#include "song/plm_doc.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <new>
#include <vector>

#include "platform/message_box.h"

namespace plume {

namespace {

constexpr const char* kNoRoomMessage = "データが入りません！";
constexpr const char* kNoMemoryMessage = "メモリーが確保できません！";

std::uint8_t u8(std::size_t v) { return static_cast<std::uint8_t>(v); }

// Kind of the first record of the effect's curve triple; 0 for effects without curves.
std::uint8_t curveKindOf(std::uint8_t number) {
    switch (number) {
    case effect::kVolume: return kind::kVolumeCurve;
    case effect::kModulation: return kind::kModulationCurve;
    case effect::kPitchBend: return kind::kPitchBendCurve;
    default: return 0;
    }
}

// Text and curve records use byte 9 as data; only these hold the program in force.
bool carriesProgram(const SongRecord& r) { return r.isScore() || r.isEffect() || r.isMeta(); }

bool isProgramRecord(const SongRecord& r) { return r.isEffect() && r.effectNumber() == effect::kProgram; }

std::uint8_t withTie(std::uint8_t marks, std::uint8_t tie) { return std::uint8_t((marks & ~mark::kTieMask) | tie); }

std::uint8_t withoutForwardLink(std::uint8_t marks) {
    switch (marks & mark::kTieMask) {
    case mark::kTieBegin: return withTie(marks, 0);
    case mark::kTieMiddle: return withTie(marks, mark::kTieEnd);
    default: return marks;
    }
}

std::uint8_t withoutBackwardLink(std::uint8_t marks) {
    switch (marks & mark::kTieMask) {
    case mark::kTieEnd: return withTie(marks, 0);
    case mark::kTieMiddle: return withTie(marks, mark::kTieBegin);
    default: return marks;
    }
}

bool isCp932Lead(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// At most kMaxTextBytes bytes, up to a NUL, never splitting a double-byte character.
std::string_view fitText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::size_t n = 0;
    while (n < text.size()) {
        const std::size_t width = isCp932Lead(std::uint8_t(text[n])) ? 2 : 1;
        if (n + width > kMaxTextBytes || n + width > text.size()) break;
        n += width;
    }
    return text.substr(0, n);
}

SongRecord metaRecord(std::uint8_t metaType, std::uint8_t b3, std::uint8_t b4, std::uint8_t b5, std::uint8_t program) {
    SongRecord r;
    r.bytes = {1, kind::kMeta, metaType, b3, b4, b5, 0, 0, 0, program};
    return r;
}

}  // namespace

CPlmDoc::CPlmDoc() : m_buffer(new (std::nothrow) SongRecord[kRecordCapacity]()) {}

std::unique_ptr<CPlmDoc> CPlmDoc::create() {
    std::unique_ptr<CPlmDoc> doc(new (std::nothrow) CPlmDoc());
    if (!doc || !doc->hasBuffer()) {
        platform::messageBox().show(kNoMemoryMessage);
        return nullptr;
    }
    return doc;
}

// ---- whole song -----------------------------------------------------------------------------

bool CPlmDoc::load(const SongData& song) {
    if (song.records.size() > capacity()) return false;
    std::copy(song.records.begin(), song.records.end(), data());
    m_count = song.records.size();
    m_header = song.header;
    m_reserved = song.reserved;
    m_info = song.info;
    m_modified = false;
    return true;
}

SongData CPlmDoc::toSongData() const {
    SongData song;
    song.header = m_header;
    song.reserved = m_reserved;
    song.info = m_info;
    const Records r = records();
    song.records.assign(r.begin(), r.end());
    return song;
}

bool CPlmDoc::setRecordCount(std::size_t n) {
    if (n > capacity()) return false;
    if (n != m_count) {
        m_count = n;
        m_modified = true;
    }
    return true;
}

bool CPlmDoc::assignRecords(Records source) {
    if (source.size() > capacity()) return false;
    // The source may be a part of our own buffer.
    if (!source.empty()) std::memmove(static_cast<void*>(data()), source.data(), source.size() * sizeof(SongRecord));
    m_count = source.size();
    m_modified = true;
    return true;
}

SongRecord CPlmDoc::record(std::size_t i) const { return i < m_count ? m_buffer[i] : SongRecord{}; }

// ---- walking --------------------------------------------------------------------------------

std::int16_t CPlmDoc::tempoAt(std::size_t position) const {
    const Records r = records().first(std::min(position, m_count));
    std::int16_t tempo = m_info.tempo();
    for (const SongRecord& rec : r) {
        if (rec.isEffect() && rec.effectNumber() == effect::kTempo) tempo = rec.value();
    }
    return tempo;
}

std::uint8_t CPlmDoc::programInForceAt(std::size_t position) const {
    for (std::size_t i = std::min(position, m_count); i-- > 0;) {
        if (carriesProgram(m_buffer[i])) return m_buffer[i].programInForce();
    }
    return m_info.initialProgram();
}

// ---- primitives -----------------------------------------------------------------------------

bool CPlmDoc::isGroupStart(std::size_t position) const {
    return position < m_count && m_buffer[position].groupSize() != 0;
}

bool CPlmDoc::isInsertPoint(std::size_t position) const { return position == m_count || isGroupStart(position); }

bool CPlmDoc::hasRoomFor(std::size_t n) const {
    if (m_count + n >= kRecordLimit || m_count + n > capacity()) {
        platform::messageBox().show(kNoRoomMessage);
        return false;
    }
    return true;
}

void CPlmDoc::splice(std::size_t position, std::size_t remove, Records insert) {
    std::vector<SongRecord> copy;
    const std::less<const SongRecord*> before;
    if (!insert.empty() && !before(insert.data(), data()) && before(insert.data(), data() + capacity())) {
        copy.assign(insert.begin(), insert.end());
        insert = copy;
    }
    const std::size_t tail = m_count - position - remove;
    if (tail > 0 && remove != insert.size()) {
        std::memmove(static_cast<void*>(data() + position + insert.size()), data() + position + remove,
                     tail * sizeof(SongRecord));
    }
    std::copy(insert.begin(), insert.end(), data() + position);
    m_count = m_count - remove + insert.size();
    m_modified = true;
}

bool CPlmDoc::spliceGroup(std::size_t group, std::size_t index, std::size_t remove, Records insert) {
    const std::size_t size = groupEnd(group) - group;
    const std::size_t newSize = size - remove + insert.size();
    if (newSize > kMaxGroupSize) return false;
    if (insert.size() > remove && !hasRoomFor(insert.size() - remove)) return false;
    splice(index, remove, insert);
    for (std::size_t i = index; i < index + insert.size(); ++i) m_buffer[i].setGroupSize(0);
    if (newSize > 0) m_buffer[group].setGroupSize(u8(newSize));
    return true;
}

bool CPlmDoc::appendToGroup(std::size_t group, Records added) {
    if (!isGroupStart(group)) return false;
    return spliceGroup(group, groupEnd(group), 0, added);
}

std::size_t CPlmDoc::headLength(std::size_t group) const {
    const std::size_t end = groupEnd(group);
    std::size_t i = group;
    while (i < end && (m_buffer[i].isScore() || m_buffer[i].isMeta())) ++i;
    return i - group;
}

bool CPlmDoc::replaceHead(std::size_t group, Records head) {
    if (!isGroupStart(group) || head.empty()) return false;
    return spliceGroup(group, group, headLength(group), head);
}

std::size_t CPlmDoc::rangeEnd(std::size_t from, std::size_t to) const {
    std::size_t g = from;
    while (g < std::min(to, m_count)) g = nextGroup(g);
    return std::min(g, m_count);
}

// ---- insert, delete -------------------------------------------------------------------------

bool CPlmDoc::insertRecords(std::size_t position, Records added) {
    if (!isInsertPoint(position)) return false;
    if (added.empty()) return true;
    if (!hasRoomFor(added.size())) return false;
    splice(position, 0, added);
    return true;
}

bool CPlmDoc::deleteGroup(std::size_t group) {
    if (!isGroupStart(group)) return false;
    splice(group, groupEnd(group) - group, {});
    return true;
}

bool CPlmDoc::deleteRange(std::size_t from, std::size_t to) {
    if (!isGroupStart(from) || to <= from) return false;
    splice(from, rangeEnd(from, to) - from, {});
    return true;
}

bool CPlmDoc::insertScoreGroup(std::size_t position, Records source) {
    std::vector<SongRecord> scores;
    std::copy_if(source.begin(), source.end(), std::back_inserter(scores),
                 [](const SongRecord& r) { return r.isScore(); });
    if (scores.empty() || scores.size() > kMaxGroupSize) return false;
    for (SongRecord& r : scores) r.setGroupSize(0);
    scores.front().setGroupSize(u8(scores.size()));
    return insertRecords(position, scores);
}

bool CPlmDoc::replaceScoreRecords(std::size_t group, Records source) {
    if (!isGroupStart(group)) return false;
    std::vector<SongRecord> scores;
    std::copy_if(source.begin(), source.end(), std::back_inserter(scores),
                 [](const SongRecord& r) { return r.isScore(); });
    const std::size_t headEnd = group + headLength(group);
    for (SongRecord& r : scores) {
        std::uint8_t tie = 0;
        for (std::size_t i = group; r.isNote() && i < headEnd; ++i) {
            if (m_buffer[i].isNote() && m_buffer[i].key() == r.key()) {
                tie = m_buffer[i].tie();
                break;
            }
        }
        r.setTie(tie);
    }
    return replaceHead(group, scores);
}

bool CPlmDoc::insertTypeGroup(std::size_t position, std::uint8_t type, std::uint8_t dots) {
    if (type < type::kWhole || type > type::kSpacer || !isInsertPoint(position)) return false;
    const bool timed = type <= type::k32ndRest;
    SongRecord r;
    r.bytes = {1, kind::kScore, std::uint8_t(type | (timed ? dots & mark::kDotMask : 0)), 0, 0, 0, 0, 0, 0,
               programInForceAt(position)};
    return insertRecords(position, {&r, 1});
}

bool CPlmDoc::replaceWithType(std::size_t group, std::uint8_t type, std::uint8_t dots) {
    if (type < type::kWhole || type > type::kSpacer || !isGroupStart(group)) return false;
    const bool timed = type <= type::k32ndRest;
    SongRecord r;
    r.bytes = {0, kind::kScore, std::uint8_t(type | (timed ? dots & mark::kDotMask : 0)),
               timed ? tupletMarks(group) : std::uint8_t(0), 0, 0, 0, 0, 0, m_buffer[group].programInForce()};
    return replaceHead(group, {&r, 1});
}

// ---- meta and text --------------------------------------------------------------------------

bool CPlmDoc::insertKeySignature(std::size_t position, std::uint8_t keyNumber) {
    if (!isInsertPoint(position)) return false;
    const SongRecord r = metaRecord(meta::kKeySignature, 2, keyNumber, 0, programInForceAt(position));
    return insertRecords(position, {&r, 1});
}

bool CPlmDoc::insertTimeSignature(std::size_t position, std::uint8_t numerator, std::uint8_t denominatorPower) {
    if (!isInsertPoint(position)) return false;
    const SongRecord r = metaRecord(meta::kTimeSignature, 4, denominatorPower, numerator, programInForceAt(position));
    return insertRecords(position, {&r, 1});
}

bool CPlmDoc::replaceWithKeySignature(std::size_t group, std::uint8_t keyNumber) {
    if (!isGroupStart(group)) return false;
    const SongRecord r = metaRecord(meta::kKeySignature, 2, keyNumber, 0, m_buffer[group].programInForce());
    return replaceHead(group, {&r, 1});
}

bool CPlmDoc::replaceWithTimeSignature(std::size_t group, std::uint8_t numerator, std::uint8_t denominatorPower) {
    if (!isGroupStart(group)) return false;
    const SongRecord r =
        metaRecord(meta::kTimeSignature, 4, denominatorPower, numerator, m_buffer[group].programInForce());
    return replaceHead(group, {&r, 1});
}

bool CPlmDoc::setGroupText(std::size_t group, std::uint8_t textKind, std::string_view text) {
    if (!isGroupStart(group) || (textKind != kind::kLyric && textKind != kind::kChordName)) return false;
    text = fitText(text);
    SongRecord r;
    r.setKind(textKind);
    r.setText(text);

    const std::size_t end = groupEnd(group);
    for (std::size_t i = group + 1; i < end; ++i) {
        if (m_buffer[i].kind() != textKind) continue;
        if (text.empty()) return spliceGroup(group, i, 1, {});
        m_buffer[i] = r;
        m_modified = true;
        return true;
    }
    return !text.empty() && appendToGroup(group, {&r, 1});
}

std::string_view CPlmDoc::groupText(std::size_t group, std::uint8_t textKind) const {
    const std::size_t end = groupEnd(group);
    for (std::size_t i = group + 1; i < end; ++i) {
        if (m_buffer[i].kind() != textKind) continue;
        const char* text = reinterpret_cast<const char*>(m_buffer[i].bytes.data() + 3);
        const std::string_view all(text, std::min<std::size_t>(m_buffer[i].textLength(), kRecordSize - 3));
        return all.substr(0, all.find('\0'));
    }
    return {};
}

// ---- note fields ----------------------------------------------------------------------------

bool CPlmDoc::setNoteType(std::size_t group, std::uint8_t type, std::uint8_t dots) {
    if (!isGroupStart(group) || type < type::kWhole || type > type::k32nd) return false;
    bool any = false;
    for (std::size_t i = group; i < groupEnd(group); ++i) {
        SongRecord& r = m_buffer[i];
        if (!r.isNote()) continue;
        r.setTypeAndDots(std::uint8_t((r.typeAndDots() & 0x30) | type | (dots & mark::kDotMask)));
        any = true;
    }
    m_modified = m_modified || any;
    return any;
}

bool CPlmDoc::setDots(std::size_t group, std::uint8_t dots) {
    if (!isGroupStart(group)) return false;
    bool any = false;
    for (std::size_t i = group; i < groupEnd(group); ++i) {
        SongRecord& r = m_buffer[i];
        if (!r.takesTime()) continue;
        r.setDots(dots);
        any = true;
    }
    m_modified = m_modified || any;
    return any;
}

bool CPlmDoc::setVelocity(std::size_t index, std::uint8_t velocity) {
    if (index >= m_count || !m_buffer[index].isNote()) return false;
    if (velocity != kKeep) {
        m_buffer[index].setVelocity(velocity);
        m_modified = true;
    }
    return true;
}

bool CPlmDoc::setGroupVelocities(std::size_t group, std::span<const std::uint8_t> velocities) {
    if (!isGroupStart(group)) return false;
    std::size_t left = velocities.size();
    bool any = false;
    for (std::size_t i = group; i < groupEnd(group) && left > 0; ++i) {
        if (!m_buffer[i].isNote()) continue;
        any = true;
        setVelocity(i, velocities[--left]);
    }
    return any;
}

bool CPlmDoc::setRangeVelocity(std::size_t from, std::size_t to, std::uint8_t velocity) {
    if (!isGroupStart(from)) return false;
    bool any = false;
    const std::size_t end = rangeEnd(from, to);
    for (std::size_t i = from; i < end; ++i) any = setVelocity(i, velocity) || any;
    return any;
}

bool CPlmDoc::setDelayGate(std::size_t index, DelayGate value) {
    if (index >= m_count || !m_buffer[index].isNote()) return false;
    if (value.delay != kKeep) m_buffer[index].setDelay(value.delay);
    if (value.gate != kKeep) m_buffer[index].setGate(value.gate);
    m_modified = m_modified || value.delay != kKeep || value.gate != kKeep;
    return true;
}

bool CPlmDoc::setGroupDelayGates(std::size_t group, std::span<const DelayGate> values) {
    if (!isGroupStart(group)) return false;
    std::size_t left = values.size();
    bool any = false;
    for (std::size_t i = group; i < groupEnd(group) && left > 0; ++i) {
        if (!m_buffer[i].isNote()) continue;
        any = true;
        setDelayGate(i, values[--left]);
    }
    return any;
}

bool CPlmDoc::setRangeDelayGate(std::size_t from, std::size_t to, DelayGate value) {
    if (!isGroupStart(from)) return false;
    bool any = false;
    const std::size_t end = rangeEnd(from, to);
    for (std::size_t i = from; i < end; ++i) any = setDelayGate(i, value) || any;
    return any;
}

bool CPlmDoc::transpose(std::size_t from, std::size_t to, int semitones) {
    if (!isGroupStart(from)) return false;
    bool any = false;
    const std::size_t end = rangeEnd(from, to);
    for (std::size_t i = from; i < end; ++i) {
        SongRecord& r = m_buffer[i];
        if (!r.isNote()) continue;
        r.setKey(std::uint8_t(std::clamp(r.key() + semitones, 0, 127)));
        any = true;
    }
    m_modified = m_modified || any;
    return any;
}

// ---- ties -----------------------------------------------------------------------------------

void CPlmDoc::cutForwardLinkBefore(std::size_t before, std::uint8_t key) {
    for (std::size_t i = std::min(before, m_count); i-- > 0;) {
        if (m_buffer[i].isNote() && m_buffer[i].key() == key) {
            m_buffer[i].setMarks(withoutForwardLink(m_buffer[i].marks()));
            m_modified = true;
            return;
        }
    }
}

void CPlmDoc::cutBackwardLinkFrom(std::size_t after, std::uint8_t key) {
    for (std::size_t i = after; i < m_count; ++i) {
        if (m_buffer[i].isNote() && m_buffer[i].key() == key) {
            m_buffer[i].setMarks(withoutBackwardLink(m_buffer[i].marks()));
            m_modified = true;
            return;
        }
    }
}

void CPlmDoc::cutLinksAround(std::size_t before, std::size_t after, std::uint8_t key) {
    cutForwardLinkBefore(before, key);
    cutBackwardLinkFrom(after, key);
    m_modified = true;
}

namespace {
// The first note of `key` in each group of the range.
std::vector<std::size_t> notesOfKey(Records r, std::size_t from, std::size_t to, std::uint8_t key) {
    std::vector<std::size_t> notes;
    for (std::size_t g = from; g < std::min(to, r.size()); g = nextGroup(r, g)) {
        const std::size_t end = groupEnd(r, g);
        for (std::size_t i = g; i < end; ++i) {
            if (r[i].isNote() && r[i].key() == key) {
                notes.push_back(i);
                break;
            }
        }
    }
    return notes;
}
}  // namespace

bool CPlmDoc::tieKey(std::size_t from, std::size_t to, std::uint8_t key) {
    if (!isGroupStart(from)) return false;
    const std::vector<std::size_t> notes = notesOfKey(records(), from, to, key);
    if (notes.size() < 2) return false;
    cutLinksAround(notes.front(), notes.back() + 1, key);
    for (std::size_t k = 0; k < notes.size(); ++k) {
        const std::uint8_t tie = k == 0 ? mark::kTieBegin : k + 1 == notes.size() ? mark::kTieEnd : mark::kTieMiddle;
        m_buffer[notes[k]].setTie(tie);
    }
    return true;
}

bool CPlmDoc::untieKey(std::size_t from, std::size_t to, std::uint8_t key) {
    if (!isGroupStart(from)) return false;
    const std::vector<std::size_t> notes = notesOfKey(records(), from, to, key);
    if (notes.empty()) return false;
    for (std::size_t i : notes) m_buffer[i].setTie(0);
    cutLinksAround(notes.front(), notes.back() + 1, key);
    return true;
}

bool CPlmDoc::untieNote(std::size_t index) {
    if (index >= m_count || !m_buffer[index].isNote()) return false;
    m_buffer[index].setTie(0);
    cutLinksAround(index, index + 1, m_buffer[index].key());
    return true;
}

bool CPlmDoc::clearGroupTies(std::size_t group) {
    if (!isGroupStart(group)) return false;
    const std::size_t end = groupEnd(group);
    bool any = false;
    for (std::size_t i = group; i < end; ++i) {
        if (!m_buffer[i].isNote()) continue;
        m_buffer[i].setTie(0);
        cutLinksAround(group, end, m_buffer[i].key());
        any = true;
    }
    return any;
}

bool CPlmDoc::breakTiesAcross(std::size_t position) {
    if (!isInsertPoint(position)) return false;
    const std::size_t g = previousScoreGroup(position);
    if (g == kNoGroup) return false;
    bool any = false;
    for (std::size_t i = g; i < groupEnd(g); ++i) {
        const std::uint8_t tie = m_buffer[i].tie();
        if (!m_buffer[i].isNote() || (tie != mark::kTieBegin && tie != mark::kTieMiddle)) continue;
        m_buffer[i].setMarks(withoutForwardLink(m_buffer[i].marks()));
        cutBackwardLinkFrom(position, m_buffer[i].key());
        any = true;
    }
    return any;
}

// ---- tuplets --------------------------------------------------------------------------------

std::uint8_t CPlmDoc::tupletMarks(std::size_t group) const {
    for (std::size_t i = group; i < groupEnd(group); ++i) {
        if (m_buffer[i].takesTime()) return m_buffer[i].tuplet();
    }
    return 0;
}

void CPlmDoc::setTupletMarks(std::size_t group, std::uint8_t marks) {
    for (std::size_t i = group; i < groupEnd(group); ++i) {
        SongRecord& r = m_buffer[i];
        if (r.takesTime()) r.setTuplet(marks);
    }
    m_modified = true;
}

bool CPlmDoc::clearGroupTuplet(std::size_t group) {
    if (!isGroupStart(group)) return false;
    const std::uint8_t marks = tupletMarks(group);
    if ((marks & mark::kTupletNumberMask) == 0) return false;
    setTupletMarks(group, 0);
    if ((marks & mark::kTupletPositionMask) != mark::kTupletFirst) {
        for (std::size_t g = previousGroup(group); g != kNoGroup; g = previousGroup(g)) {
            if (!isTimedGroup(records(), g)) continue;
            const std::uint8_t m = tupletMarks(g);
            if ((m & mark::kTupletNumberMask) == 0 || (m & mark::kTupletPositionMask) == mark::kTupletLast) break;
            setTupletMarks(g, 0);
            if ((m & mark::kTupletPositionMask) == mark::kTupletFirst) break;
        }
    }
    if ((marks & mark::kTupletPositionMask) != mark::kTupletLast) {
        for (std::size_t g = nextGroup(group); g < m_count; g = nextGroup(g)) {
            if (!isTimedGroup(records(), g)) continue;
            const std::uint8_t m = tupletMarks(g);
            if ((m & mark::kTupletNumberMask) == 0 || (m & mark::kTupletPositionMask) == mark::kTupletFirst) break;
            setTupletMarks(g, 0);
            if ((m & mark::kTupletPositionMask) == mark::kTupletLast) break;
        }
    }
    return true;
}

bool CPlmDoc::breakTupletsAt(std::size_t from, std::size_t to) {
    if (!isGroupStart(from)) return false;
    std::size_t first = kNoGroup;
    std::size_t last = kNoGroup;
    for (std::size_t g = from; g < std::min(to, m_count); g = nextGroup(g)) {
        if (!isTimedGroup(records(), g)) continue;
        if (first == kNoGroup) first = g;
        last = g;
    }
    if (first == kNoGroup) return false;
    const bool changed = clearGroupTuplet(first);
    return clearGroupTuplet(last) || changed;
}

bool CPlmDoc::breakTupletAround(std::size_t position) {
    if (!isInsertPoint(position)) return false;
    for (std::size_t g = position; g < m_count; g = nextGroup(g)) {
        if (!isTimedGroup(records(), g)) continue;
        const std::uint8_t m = tupletMarks(g);
        const std::uint8_t at = m & mark::kTupletPositionMask;
        if ((m & mark::kTupletNumberMask) == 0 || (at != mark::kTupletInner && at != mark::kTupletLast)) return false;
        return clearGroupTuplet(g);
    }
    return false;
}

bool CPlmDoc::setTuplet(std::size_t from, std::size_t to, std::uint8_t n) {
    if (!isGroupStart(from) || n < 3 || n > 7) return false;
    std::vector<std::size_t> groups;
    for (std::size_t g = from; g < std::min(to, m_count); g = nextGroup(g)) {
        if (isTimedGroup(records(), g)) groups.push_back(g);
    }
    if (groups.size() < 2) return false;
    breakTupletsAt(from, to);
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const std::uint8_t position = k == 0                   ? mark::kTupletFirst
                                      : k + 1 == groups.size() ? mark::kTupletLast
                                                               : mark::kTupletInner;
        setTupletMarks(groups[k], std::uint8_t(position | n));
    }
    return true;
}

bool CPlmDoc::clearTuplets(std::size_t from, std::size_t to) {
    if (!isGroupStart(from)) return false;
    bool any = breakTupletsAt(from, to);
    for (std::size_t g = from; g < std::min(to, m_count); g = nextGroup(g)) {
        if (tupletMarks(g) == 0) continue;
        setTupletMarks(g, 0);
        any = true;
    }
    return any;
}

// ---- effects --------------------------------------------------------------------------------

std::size_t CPlmDoc::findEffect(std::size_t group, std::uint8_t number) const {
    if (!isGroupStart(group)) return kNoRecord;
    const std::uint8_t curve = curveKindOf(number);
    for (std::size_t i = group; i < groupEnd(group); ++i) {
        const SongRecord& r = m_buffer[i];
        if ((r.isEffect() && r.effectNumber() == number) || (curve != 0 && r.kind() == curve)) return i;
    }
    return kNoRecord;
}

std::size_t CPlmDoc::curveLength(std::size_t index, std::uint8_t number) const {
    const std::uint8_t curve = curveKindOf(number);
    if (curve == 0 || m_buffer[index].kind() != curve) return 1;
    std::size_t n = 1;
    while (n < 3 && index + n < m_count && m_buffer[index + n].groupSize() == 0 &&
           m_buffer[index + n].kind() == curve + n)
        ++n;
    return n;
}

SongRecord CPlmDoc::effectRecord(std::size_t group, std::uint8_t number, int value) const {
    SongRecord r;
    r.setKind(kind::kEffect);
    r.setEffectNumber(number);
    if (number == effect::kPitchBend) r.setValue16(static_cast<std::int16_t>(value));
    else r.setValue(static_cast<std::uint8_t>(value));
    r.setProgramInForce(m_buffer[group].programInForce());
    return r;
}

bool CPlmDoc::appendEffect(std::size_t group, std::uint8_t number, int value) {
    if (!isGroupStart(group)) return false;
    const SongRecord r = effectRecord(group, number, value);
    return appendToGroup(group, {&r, 1});
}

bool CPlmDoc::appendCurve(std::size_t group, std::uint8_t number, const CurveTriple& curve) {
    const std::uint8_t first = curveKindOf(number);
    if (first == 0) return false;
    CurveTriple triple = curve;
    for (std::size_t k = 0; k < triple.size(); ++k) {
        triple[k].setGroupSize(0);
        triple[k].setKind(std::uint8_t(first + k));
    }
    return appendToGroup(group, triple);
}

bool CPlmDoc::setEffect(std::size_t group, std::uint8_t number, int value) {
    const std::size_t found = findEffect(group, number);
    if (found == kNoRecord) return appendEffect(group, number, value);
    const SongRecord r = effectRecord(group, number, value);
    if (m_buffer[found].isEffect()) {
        if (number == effect::kPitchBend) m_buffer[found].setValue16(r.value16());
        else m_buffer[found].setValue(r.value());
        m_modified = true;
        return true;
    }
    return spliceGroup(group, found, curveLength(found, number), {&r, 1});
}

bool CPlmDoc::setCurves(std::size_t from, std::size_t to, std::uint8_t number, std::span<const CurveTriple> pieces) {
    if (!isGroupStart(from) || curveKindOf(number) == 0) return false;
    // Plan first: either every piece goes in or nothing changes.
    std::size_t k = 0;
    std::ptrdiff_t growth = 0;
    std::ptrdiff_t peak = 0;  // groups are done one after the other: the count peaks on the way
    std::size_t end = std::min(to, m_count);
    for (std::size_t g = from; g < end && k < pieces.size(); g = nextGroup(g)) {
        if (!isTimedGroup(records(), g)) continue;
        std::size_t removed = 0;
        for (std::size_t i = g; i < groupEnd(g);) {
            const SongRecord& r = m_buffer[i];
            const bool match = (r.isEffect() && r.effectNumber() == number) || r.kind() == curveKindOf(number);
            const std::size_t n = match ? curveLength(i, number) : 1;
            removed += match ? n : 0;
            i += n;
        }
        if (groupEnd(g) - g - removed + 3 > kMaxGroupSize) return false;
        growth += 3 - std::ptrdiff_t(removed);
        peak = std::max(peak, growth);
        ++k;
    }
    if (k == 0) return false;
    if (peak > 0 && !hasRoomFor(std::size_t(peak))) return false;

    k = 0;
    for (std::size_t g = from; g < end && k < pieces.size(); g = nextGroup(g)) {
        if (!isTimedGroup(records(), g)) continue;
        for (std::size_t found = findEffect(g, number); found != kNoRecord; found = findEffect(g, number)) {
            const std::size_t n = curveLength(found, number);
            spliceGroup(g, found, n, {});
            end -= n;
        }
        appendCurve(g, number, pieces[k++]);
        end += 3;
    }
    return true;
}

bool CPlmDoc::removeEffect(std::size_t group, std::uint8_t number) {
    const std::size_t found = findEffect(group, number);
    if (found == kNoRecord) return false;
    return spliceGroup(group, found, curveLength(found, number), {});
}

std::size_t CPlmDoc::removeEffectInRange(std::size_t from, std::size_t to, std::uint8_t number) {
    if (!isGroupStart(from)) return 0;
    std::size_t groups = 0;
    std::size_t end = std::min(to, m_count);
    for (std::size_t g = from; g < end;) {
        bool removed = false;
        bool vanished = false;
        for (std::size_t found = findEffect(g, number); found != kNoRecord; found = findEffect(g, number)) {
            const std::size_t n = curveLength(found, number);
            vanished = groupEnd(g) - g == n;
            spliceGroup(g, found, n, {});
            end -= n;
            removed = true;
            if (vanished) break;
        }
        groups += removed;
        if (!vanished) g = nextGroup(g);
    }
    return groups;
}

// ---- program --------------------------------------------------------------------------------

bool CPlmDoc::holdsProgram(std::size_t group) const {
    for (std::size_t i = group; i < groupEnd(group); ++i) {
        if (isProgramRecord(m_buffer[i])) return true;
    }
    return false;
}

bool CPlmDoc::setProgram(std::size_t group, std::uint8_t module, std::uint8_t bank, std::uint8_t program) {
    if (!isGroupStart(group)) return false;
    const std::size_t found = findEffect(group, effect::kProgram);
    if (found != kNoRecord) {
        SongRecord& r = m_buffer[found];
        r.setProgram(module, bank, program);
        r.setProgramInForce(program);
        m_modified = true;
        return true;
    }
    SongRecord r;
    r.bytes = {0, kind::kEffect, effect::kProgram, module, bank, program, 0, 0, 0, program};
    return appendToGroup(group, {&r, 1});
}

bool CPlmDoc::setProgram(std::size_t group, std::uint8_t program) {
    return setProgram(group, m_info.soundModule(), 0, program);
}

std::size_t CPlmDoc::propagateProgram(std::size_t group) {
    if (!isGroupStart(group)) return kNoRecord;
    const std::size_t own = findEffect(group, effect::kProgram);
    const std::uint8_t program = own != kNoRecord ? m_buffer[own].programNumber() : programInForceAt(group);
    std::size_t g = group;
    for (; g < m_count; g = nextGroup(g)) {
        if (g != group && holdsProgram(g)) break;
        for (std::size_t i = g; i < groupEnd(g); ++i) {
            SongRecord& r = m_buffer[i];
            if (!carriesProgram(r) || r.programInForce() == program) continue;
            r.setProgramInForce(program);
            m_modified = true;
        }
    }
    return g;
}

bool CPlmDoc::insertProgramChanges(std::size_t from, std::size_t to) {
    if (!isGroupStart(from)) return false;
    const std::size_t before = previousScoreGroup(from);
    const std::uint8_t start = before != kNoGroup ? m_buffer[before].programInForce() : m_info.initialProgram();
    const auto needsChange = [this](std::size_t g, std::uint8_t previous) {
        return m_buffer[g].programInForce() != previous && !holdsProgram(g);
    };

    std::size_t needed = 0;
    std::size_t end = std::min(to, m_count);
    std::uint8_t previous = start;
    for (std::size_t g = from; g < end; g = nextGroup(g)) {
        if (m_buffer[g].type() >= type::kBarLine) continue;
        if (needsChange(g, previous)) {
            if (groupEnd(g) - g >= kMaxGroupSize) return false;
            ++needed;
        }
        previous = m_buffer[g].programInForce();
    }
    if (needed > 0 && !hasRoomFor(needed)) return false;

    previous = start;
    for (std::size_t g = from; g < end; g = nextGroup(g)) {
        if (m_buffer[g].type() >= type::kBarLine) continue;
        const std::uint8_t program = m_buffer[g].programInForce();
        if (needsChange(g, previous)) {
            setProgram(g, program);
            ++end;
        }
        previous = program;
    }
    return true;
}

// ---- settings -------------------------------------------------------------------------------

void CPlmDoc::applySettings(std::int16_t tempo, std::uint8_t soundModule, std::uint8_t denominatorPower,
                            std::uint8_t numerator, std::uint8_t key) {
    m_info.setTempo(tempo);
    m_info.setInitialModule(soundModule);
    m_info.setSoundModule(soundModule);
    m_info.setNumerator(numerator);
    m_info.setDenominatorPower(denominatorPower);
    if (key != kKeep) m_info.setKeySignature(key);
    m_modified = true;
    if (m_settingsObserver) m_settingsObserver();
}

}  // namespace plume
