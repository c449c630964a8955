#pragma once
// The song document's data: settings, file header and the record buffer, with every record operation
// that editors, players and exporters use.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "song/song_file.h"
#include "song/song_record.h"

namespace plume {

inline constexpr std::size_t kNoRecord = kNoGroup;
inline constexpr std::uint8_t kKeep = 255;  // in value lists: leave this field as it is
inline constexpr std::size_t kMaxGroupSize = 255;
inline constexpr std::size_t kMaxTextBytes = 6;

// Delay and gate of one note, each kKeep to leave it unchanged.
struct DelayGate {
    std::uint8_t delay = kKeep;
    std::uint8_t gate = kKeep;
};

// The three records of one curve piece; the document sets their bySize and kind bytes.
using CurveTriple = std::array<SongRecord, 3>;

// Positions are record indices; a range is the groups that start in [from, to). Every operation
// that changes records sets the modified flag; one that would bring the count to kRecordLimit or
// make a group larger than 255 records changes nothing and returns false (the first also shows
// "データが入りません！"). Operations on a position that is not a group start where one is asked for,
// or past the end, do nothing and return false.
class CPlmDoc {
public:
    // SongInfo defaults, a fresh header, zero reserved block, no records. Without memory for the
    // buffer the document holds nothing and refuses every insertion (see create()).
    CPlmDoc();
    CPlmDoc(const CPlmDoc&) = delete;
    CPlmDoc& operator=(const CPlmDoc&) = delete;
    ~CPlmDoc() = default;

    // A new document, or nullptr after showing "メモリーが確保できません！".
    static std::unique_ptr<CPlmDoc> create();
    bool hasBuffer() const { return m_buffer != nullptr; }

    // --- whole song --------------------------------------------------------------------------
    // Takes everything a file held; false (nothing changed) when it has more than kRecordCapacity
    // records. Clears the modified flag.
    bool load(const SongData& song);
    SongData toSongData() const;

    bool isModified() const { return m_modified; }
    void setModified(bool modified = true) { m_modified = modified; }
    void clearModified() { m_modified = false; }

    // --- access ------------------------------------------------------------------------------
    Records records() const { return {m_buffer.get(), m_count}; }
    // Direct writes through this span do not set the modified flag.
    MutableRecords mutableRecords() { return {m_buffer.get(), m_count}; }
    // The whole buffer, kRecordCapacity records, for restoring a copy before setRecordCount().
    MutableRecords buffer() { return {m_buffer.get(), capacity()}; }
    std::size_t capacity() const { return m_buffer ? kRecordCapacity : 0; }
    std::size_t recordCount() const { return m_count; }
    // False when n exceeds the capacity; a changed count marks the song modified.
    bool setRecordCount(std::size_t n);
    // Replaces every record (as undo does); false when there are too many.
    bool assignRecords(Records records);
    // A copy of record i; an all-zero record past the end.
    SongRecord record(std::size_t i) const;

    const SongInfo& songInfo() const { return m_info; }
    void setSongInfo(const SongInfo& info) { m_info = info; }
    const FileHeader& header() const { return m_header; }
    void setHeader(const FileHeader& header) { m_header = header; }
    std::uint16_t headerWord() const { return m_header.headerWord(); }
    void setHeaderWord(std::uint16_t word) { m_header.setHeaderWord(word); }
    const std::array<std::uint8_t, 8>& reserved() const { return m_reserved; }
    void setReserved(const std::array<std::uint8_t, 8>& reserved) { m_reserved = reserved; }

    // --- walking -----------------------------------------------------------------------------
    std::size_t nextGroup(std::size_t group) const { return plume::nextGroup(records(), group); }
    // kNoGroup at the start of the song.
    std::size_t previousGroup(std::size_t group) const { return plume::previousGroup(records(), group); }
    std::size_t groupEnd(std::size_t group) const { return plume::groupEnd(records(), group); }
    // Groups whose first record has a score type below 13; recordCount() / kNoGroup when none.
    std::size_t nextScoreGroup(std::size_t group) const { return plume::nextScoreGroup(records(), group); }
    std::size_t previousScoreGroup(std::size_t group) const { return plume::previousScoreGroup(records(), group); }
    // The SongInfo tempo, replaced by each tempo effect record before `position`.
    std::int16_t tempoAt(std::size_t position) const;
    // Byte 9 of the nearest score, effect or meta record before `position`, else the initial program.
    std::uint8_t programInForceAt(std::size_t position) const;

    // --- insert, delete ----------------------------------------------------------------------
    // Inserts whole groups before `position` (a group start or the end).
    bool insertRecords(std::size_t position, Records records);
    bool deleteGroup(std::size_t group);
    // Deletes every group starting in [from, to).
    bool deleteRange(std::size_t from, std::size_t to);
    // Inserts a new group made of the score records of `source` (one group's records).
    bool insertScoreGroup(std::size_t position, Records source);
    // The group's score records become those of `source`; a note keeps the tie state of the old
    // note of the same key. Effect and text records stay.
    bool replaceScoreRecords(std::size_t group, Records source);
    // A one-record group of kind 0 and `type`; dots apply to notes and rests only.
    bool insertTypeGroup(std::size_t position, std::uint8_t type, std::uint8_t dots = 0);
    // The group's score records become one record of `type`; a timed record keeps the old tuplet marks.
    bool replaceWithType(std::size_t group, std::uint8_t type, std::uint8_t dots = 0);

    // --- meta and text -----------------------------------------------------------------------
    bool insertKeySignature(std::size_t position, std::uint8_t keyNumber);
    bool insertTimeSignature(std::size_t position, std::uint8_t numerator, std::uint8_t denominatorPower);
    bool replaceWithKeySignature(std::size_t group, std::uint8_t keyNumber);
    bool replaceWithTimeSignature(std::size_t group, std::uint8_t numerator, std::uint8_t denominatorPower);
    // Text (CP932 bytes, cut to 6 bytes on a character boundary) of kind 0xE0 or 0xE1: an existing
    // record is overwritten, or deleted by an empty text; otherwise a non-empty text is appended.
    // Returns whether the group changed.
    bool setGroupText(std::size_t group, std::uint8_t textKind, std::string_view text);
    // The group's text of that kind, empty when there is none.
    std::string_view groupText(std::size_t group, std::uint8_t textKind) const;

    // --- note fields -------------------------------------------------------------------------
    // Every note record of the group gets the length `type` (1-6) and `dots`.
    bool setNoteType(std::size_t group, std::uint8_t type, std::uint8_t dots);
    // Every note and rest record of the group gets `dots`.
    bool setDots(std::size_t group, std::uint8_t dots);
    bool setVelocity(std::size_t index, std::uint8_t velocity);
    // Values listed last note first, as the palettes send them; kKeep leaves a note alone.
    bool setGroupVelocities(std::size_t group, std::span<const std::uint8_t> velocities);
    bool setRangeVelocity(std::size_t from, std::size_t to, std::uint8_t velocity);
    bool setDelayGate(std::size_t index, DelayGate value);
    // Pairs listed last note first.
    bool setGroupDelayGates(std::size_t group, std::span<const DelayGate> values);
    bool setRangeDelayGate(std::size_t from, std::size_t to, DelayGate value);
    // Every note key + semitones, held within 0..127.
    bool transpose(std::size_t from, std::size_t to, int semitones);

    // --- ties --------------------------------------------------------------------------------
    // The notes of `key` in the range get begin, middle..., end; needs two of them. Ties reaching
    // into the range from outside are cut.
    bool tieKey(std::size_t from, std::size_t to, std::uint8_t key);
    // Each of these unties and cuts the link of the neighbouring notes of the same key.
    bool untieKey(std::size_t from, std::size_t to, std::uint8_t key);
    bool untieNote(std::size_t index);
    bool clearGroupTies(std::size_t group);
    // Cuts the ties that run from the notes before `position` to notes after it.
    bool breakTiesAcross(std::size_t position);

    // --- tuplets -----------------------------------------------------------------------------
    // Marks the range (two timed groups or more) as a tuplet of n (3-7); tuplets that reach into
    // the range from outside are cleared whole first.
    bool setTuplet(std::size_t from, std::size_t to, std::uint8_t n);
    // Clears the tuplet marks of the range and whole tuplets that reach into it; ties stay.
    bool clearTuplets(std::size_t from, std::size_t to);
    // Clears the tuplet of one group, back to its first and forward to its last group.
    bool clearGroupTuplet(std::size_t group);
    // Clears the tuplets of the range's first and last groups.
    bool breakTupletsAt(std::size_t from, std::size_t to);
    // Clears a tuplet that `position` lies inside (as an insertion point).
    bool breakTupletAround(std::size_t position);

    // --- effects -----------------------------------------------------------------------------
    // Index of effect n's value record in the group, or for volume, modulation and pitch bend of
    // the first record of its curve triple; kNoRecord when it has neither.
    std::size_t findEffect(std::size_t group, std::uint8_t number) const;
    // Value records are 8-bit, pitch bend 16-bit.
    bool appendEffect(std::size_t group, std::uint8_t number, int value);
    bool appendCurve(std::size_t group, std::uint8_t number, const CurveTriple& curve);
    // Overwrites the value, replaces a curve triple by a value record, or appends one.
    bool setEffect(std::size_t group, std::uint8_t number, int value);
    // Each note or rest group of the range in order loses its effect n and gets the next piece.
    bool setCurves(std::size_t from, std::size_t to, std::uint8_t number, std::span<const CurveTriple> pieces);
    // Removes the group's effect n: one value record or a curve triple.
    bool removeEffect(std::size_t group, std::uint8_t number);
    // Returns the number of groups that lost it.
    std::size_t removeEffectInRange(std::size_t from, std::size_t to, std::uint8_t number);

    // --- program -----------------------------------------------------------------------------
    // Overwrites bytes 3-5 of the group's program record or appends one (module, bank, program).
    bool setProgram(std::size_t group, std::uint8_t module, std::uint8_t bank, std::uint8_t program);
    // The song's sound module and bank 0.
    bool setProgram(std::size_t group, std::uint8_t program);
    // Writes the program in force at `group` (its own program record, else what comes before) into
    // byte 9 of its score, effect and meta records up to the next group with a program record;
    // returns where it stopped, kNoRecord when `group` is not a group start.
    std::size_t propagateProgram(std::size_t group);
    // Appends a program record to each score group of the range whose byte 9 differs from that of
    // the score group before it (and that has none yet).
    bool insertProgramChanges(std::size_t from, std::size_t to);

    // --- settings ----------------------------------------------------------------------------
    // Tempo, sound module (bytes 6 and 9), denominator power, numerator and key unless kKeep; marks
    // the song modified and tells the settings observer.
    void applySettings(std::int16_t tempo, std::uint8_t soundModule, std::uint8_t denominatorPower,
                       std::uint8_t numerator, std::uint8_t key);
    // Called after applySettings, so that the owner can rebuild its title and views.
    void setSettingsObserver(std::function<void()> observer) { m_settingsObserver = std::move(observer); }

private:
    SongRecord* data() { return m_buffer.get(); }
    bool isGroupStart(std::size_t position) const;
    bool isInsertPoint(std::size_t position) const;
    // Shows the message when growing by n would reach kRecordLimit.
    bool hasRoomFor(std::size_t n) const;
    // Replaces `remove` records at `position` by `insert`; the caller has checked every limit.
    void splice(std::size_t position, std::size_t remove, Records insert);
    // The same inside one group, checking its size and the record limit and keeping bySize right;
    // a group left empty disappears.
    bool spliceGroup(std::size_t group, std::size_t index, std::size_t remove, Records insert);
    bool appendToGroup(std::size_t group, Records records);
    // Leading score and meta records of a group.
    std::size_t headLength(std::size_t group) const;
    bool replaceHead(std::size_t group, Records head);
    // First group start at or after `to`: the end of the range's last group.
    std::size_t rangeEnd(std::size_t from, std::size_t to) const;
    std::size_t curveLength(std::size_t index, std::uint8_t number) const;
    SongRecord effectRecord(std::size_t group, std::uint8_t number, int value) const;
    // The nearest note of `key` before `before` loses its forward link, the nearest from `after`
    // on its backward link.
    void cutForwardLinkBefore(std::size_t before, std::uint8_t key);
    void cutBackwardLinkFrom(std::size_t after, std::uint8_t key);
    void cutLinksAround(std::size_t before, std::size_t after, std::uint8_t key);
    std::uint8_t tupletMarks(std::size_t group) const;
    void setTupletMarks(std::size_t group, std::uint8_t marks);
    bool holdsProgram(std::size_t group) const;

    std::unique_ptr<SongRecord[]> m_buffer;
    std::size_t m_count = 0;
    SongInfo m_info = SongInfo::defaults();
    FileHeader m_header = FileHeader::fresh();
    std::array<std::uint8_t, 8> m_reserved{};
    bool m_modified = false;
    std::function<void()> m_settingsObserver;
};

}  // namespace plume
