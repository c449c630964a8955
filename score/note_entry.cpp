#include "score/note_entry.h"

#include <algorithm>

#include "platform/cp932.h"
#include "score/range_edit.h"
#include "score/score_view.h"

namespace plume {

namespace {

constexpr std::uint8_t kTemplateVelocity = 100;
constexpr std::uint8_t kTemplateGate = 64;

bool isNoteGroup(const CPlmDoc& doc, std::size_t group) {
    return group < doc.recordCount() && doc.record(group).isNote();
}

bool takeSnapshot(ScoreView& view, const CPlmDoc& doc, UndoKind kind) {
    return view.undoRing().take(kind, doc, view.undoPositions());
}

// The end of the first score group at or after `position`: how far the song must look for places
// where the program in force changes after an entry that set it.
std::size_t endOfScoreGroupFrom(const CPlmDoc& doc, std::size_t position) {
    for (std::size_t g = position; g < doc.recordCount(); g = doc.nextGroup(g))
        if (doc.record(g).type() < type::kBarLine) return doc.groupEnd(g);
    return doc.recordCount();
}

bool hasTiedNote(const CPlmDoc& doc, std::size_t group) {
    const Records r = doc.records();
    for (std::size_t i = group; i < doc.groupEnd(group); ++i)
        if (r[i].isNote() && r[i].tie() != 0) return true;
    return false;
}

// The group loses its tuplet (the whole tuplet) and its ties, the neighbours' links mended; a bar
// line carries neither.
void breakGroup(CPlmDoc& doc, std::size_t group) {
    if (doc.record(group).type() == type::kBarLine) return;
    doc.clearGroupTuplet(group);
    if (hasTiedNote(doc, group)) doc.clearGroupTies(group);
}

// After a change on `line`: lays the song out again, moves the cursor onto the group that starts at
// `target` (or the end of the song) and says what to repaint.
class Edit {
public:
    explicit Edit(ScoreView& view)
        : m_view(view),
          m_line(view.cursor().line),
          m_staff(view.lines().line(m_line).staffKind),
          m_lineCount(view.lines().lineCount()) {}

    EntryResult finish(std::size_t target, bool wholeView = false) {
        m_view.rebuild();
        m_view.setCursor(m_view.lines().positionOf(m_view.records(), target));
        return result(wholeView);
    }
    EntryResult finishInPlace(bool wholeView = false) {
        m_view.rebuild();
        return result(wholeView);
    }
    // Nothing was written (refused or declined); a refused overwrite may still have mended marks.
    EntryResult abandoned() {
        m_view.rebuild();
        return EntryResult::none();
    }

private:
    EntryResult result(bool wholeView) const {
        const bool sameLayout = m_view.lines().lineCount() == m_lineCount &&
                                m_view.lines().line(m_line).staffKind == m_staff && m_view.cursor().line == m_line;
        EntryResult r;
        r.changed = true;
        r.repaint = wholeView || !sameLayout ? Repaint::All : Repaint::Line;
        r.line = m_line;
        return r;
    }

    ScoreView& m_view;
    int m_line;
    StaffKind m_staff;
    int m_lineCount;
};

void clearScoreMarks(std::vector<SongRecord>& records) {
    for (SongRecord& r : records)
        if (r.isScore()) r.setMarks(0);
}

void setGroupSizes(std::vector<SongRecord>& records) {
    for (SongRecord& r : records) r.setGroupSize(0);
    if (!records.empty()) records.front().setGroupSize(std::uint8_t(records.size()));
}

// Writes a group at the cursor, inserting or overwriting; `replace` overwrites the cursor group.
// Returns the index of the written group, or kNoRecord when nothing was written.
template <class Replace>
std::size_t writeAtCursor(CPlmDoc& doc, ScoreView& view, bool insert, std::vector<SongRecord> group,
                          Replace replace) {
    const std::size_t at = cursorRecord(view);
    clearScoreMarks(group);
    setGroupSizes(group);
    if (insert && doc.recordCount() + group.size() >= kRecordLimit) {
        doc.insertRecords(at, group);  // refused with the song's own message, before anything changed
        return kNoRecord;
    }
    if (!takeSnapshot(view, doc, insert ? UndoKind::Insert : UndoKind::Change)) return kNoRecord;
    if (insert) {
        doc.breakTupletAround(at);
        doc.breakTiesAcross(at);
        if (!doc.insertRecords(at, group)) return kNoRecord;
    } else if (!replace(at, group)) {
        return kNoRecord;
    }
    return at;
}

// A one-record group of a score type: a rest, a bar line, a line break or a spacer.
std::vector<SongRecord> typeRecord(const CPlmDoc& doc, std::size_t at, std::uint8_t type, std::uint8_t dots = 0) {
    SongRecord r;
    r.setKind(kind::kScore);
    r.setTypeAndDots(std::uint8_t(type | dots));
    r.setProgramInForce(doc.programInForceAt(at));
    return {r};
}

bool overwriteScoreRecords(CPlmDoc& doc, std::size_t at, const std::vector<SongRecord>& group) {
    breakGroup(doc, at);
    return doc.replaceScoreRecords(at, group);
}

std::vector<NotePair> pairsUpToEnd(std::span<const NotePair> pairs) {
    std::vector<NotePair> out;
    for (const NotePair& p : pairs) {
        if (p.key == kEndOfList || out.size() == kMaxChordNotes) break;
        out.push_back(p);
    }
    return out;
}

// Every note group of the range takes the chord's pitches; its type, dots and tuplet stay.
std::size_t repitchRange(CPlmDoc& doc, const ScoreView& view, const std::vector<SongRecord>& chord,
                         std::size_t drumSet = kNoRecord) {
    RecordRange range = selectedRecords(view);
    for (std::size_t g = range.from; g < range.to; g = doc.nextGroup(g)) {
        if (!isNoteGroup(doc, g)) continue;
        if (hasTiedNote(doc, g)) doc.clearGroupTies(g);
        const SongRecord old = doc.record(g);
        std::vector<SongRecord> group = chord;
        for (SongRecord& r : group) {
            r.setKind(old.kind());
            r.setTypeAndDots(old.typeAndDots());
            if (drumSet != kNoRecord) r.setProgramInForce(std::uint8_t(drumSet));
        }
        const std::size_t oldEnd = doc.groupEnd(g);
        doc.replaceScoreRecords(g, group);
        range.to = range.to + doc.groupEnd(g) - oldEnd;
    }
    return range.to;
}

bool rangeHasNoteGroup(const CPlmDoc& doc, const ScoreView& view) {
    const RecordRange range = selectedRecords(view);
    for (std::size_t g = range.from; g < range.to; g = doc.nextGroup(g))
        if (isNoteGroup(doc, g)) return true;
    return false;
}

EntryResult enterChord(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::span<const NotePair> pairs,
                       std::size_t drumSet) {
    const std::vector<SongRecord> chord = chordRecords(noteTemplate(doc, cursorRecord(view)), settings, pairs);
    if (chord.empty()) return EntryResult::none();
    Edit edit(view);
    if (view.hasRange()) {
        if (!rangeHasNoteGroup(doc, view) || !takeSnapshot(view, doc, UndoKind::Change)) return EntryResult::none();
        const RecordRange range = selectedRecords(view);
        const std::size_t end = repitchRange(doc, view, chord, drumSet);
        if (drumSet != kNoRecord) doc.insertProgramChanges(range.from, endOfScoreGroupFrom(doc, end));
        return edit.finishInPlace(true);
    }
    const std::size_t at = writeAtCursor(doc, view, entryInserts(doc, view, settings), chord,
                                         [&doc](std::size_t g, const std::vector<SongRecord>& group) {
                                             return overwriteScoreRecords(doc, g, group);
                                         });
    if (at == kNoRecord) return edit.abandoned();
    if (drumSet != kNoRecord) {
        const MutableRecords records = doc.mutableRecords();
        for (std::size_t i = at; i < doc.groupEnd(at); ++i) records[i].setProgramInForce(std::uint8_t(drumSet));
        doc.insertProgramChanges(at, endOfScoreGroupFrom(doc, doc.nextGroup(at)));
    }
    return edit.finish(doc.nextGroup(at));
}

EntryResult setText(CPlmDoc& doc, ScoreView& view, std::uint8_t textKind, UndoKind kind, std::string_view utf8) {
    const std::size_t at = cursorRecord(view);
    if (at >= doc.recordCount()) return EntryResult::none();
    const auto cp932 = platform::utf8ToCp932(utf8);
    if (!cp932) return EntryResult::none();
    if (doc.groupText(at, textKind) == *cp932) return EntryResult::none();  // also: no text to remove
    if (!takeSnapshot(view, doc, kind)) return EntryResult::none();
    Edit edit(view);
    doc.setGroupText(at, textKind, *cp932);
    return edit.finishInPlace();
}

}  // namespace

// ---- the template and the records an entry writes ------------------------------------------------

SongRecord noteTemplate(const CPlmDoc& doc, std::size_t cursor) {
    const Records r = doc.records();
    cursor = std::min(cursor, r.size());
    // Only a group's first record has a size byte, so a note with one starts a note group.
    const auto noteGroupStart = [](const SongRecord& x) { return x.groupSize() != 0 && x.isNote(); };
    SongRecord model;
    const auto from = std::make_reverse_iterator(r.begin() + std::ptrdiff_t(cursor));
    const auto before = std::find_if(from, r.rend(), noteGroupStart);
    if (before != r.rend()) {
        model = *before;
    } else if (auto after = std::find_if(r.begin() + std::ptrdiff_t(cursor), r.end(), noteGroupStart);
               after != r.end()) {
        model = *after;
    } else {
        model.setVelocity(kTemplateVelocity);
        model.setDelay(0);
        model.setGate(kTemplateGate);
        model.setProgramInForce(doc.songInfo().initialProgram());
    }
    model.setKind(kind::kScore);
    model.setTuplet(0);
    return model;
}

std::vector<SongRecord> chordRecords(const SongRecord& model, const EntrySettings& settings,
                                     std::span<const NotePair> pairs) {
    std::vector<SongRecord> chord;
    for (const NotePair& p : pairsUpToEnd(pairs)) {
        SongRecord r = model;
        r.setKind(kind::kScore);
        r.setTypeAndDots(std::uint8_t(settings.length | (settings.dots & mark::kDotMask)));
        r.setMarks(0);
        r.setAccidental(p.accidental);
        r.setKey(p.key);
        chord.push_back(r);
    }
    std::stable_sort(chord.begin(), chord.end(), higherKey);
    setGroupSizes(chord);
    return chord;
}

std::size_t cursorRecord(const ScoreView& view) {
    return view.lines().recordAt(view.records(), view.cursor().line, view.cursor().column);
}

bool entryInserts(const CPlmDoc& doc, const ScoreView& view, const EntrySettings& settings) {
    const std::size_t at = cursorRecord(view);
    return settings.insert || at >= doc.recordCount() || doc.record(at).type() == type::kLineBreak;
}

// ---- requests --------------------------------------------------------------------------------------

EntryResult enterRest(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::uint8_t restType) {
    const std::uint8_t type = restType & 0x0F;
    const std::uint8_t dots = restType & mark::kDotMask;
    if (type < type::kWholeRest || type > type::k32ndRest) return EntryResult::none();
    Edit edit(view);
    const std::size_t at = cursorRecord(view);
    const auto replace = [&doc, type, dots](std::size_t g, const std::vector<SongRecord>&) {
        const SongRecord old = doc.record(g);
        const bool sameLength = old.isNote() && old.type() + 6 == type && dots == 0;
        if (!sameLength) doc.clearGroupTuplet(g);
        if (hasTiedNote(doc, g)) doc.clearGroupTies(g);
        return doc.replaceWithType(g, type, dots);
    };
    const bool insert = entryInserts(doc, view, settings);
    if (writeAtCursor(doc, view, insert, typeRecord(doc, at, type, dots), replace) == kNoRecord)
        return edit.abandoned();
    return edit.finish(doc.nextGroup(at));
}

EntryResult enterNotes(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::span<const NotePair> pairs) {
    return enterChord(doc, view, settings, pairs, kNoRecord);
}

EntryResult enterDrums(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::uint8_t drumSet,
                       std::span<const NotePair> pairs) {
    return enterChord(doc, view, settings, pairs, drumSet);
}

EntryResult changeLength(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings) {
    const std::size_t at = cursorRecord(view);
    if (!isNoteGroup(doc, at) || !takeSnapshot(view, doc, UndoKind::Change)) return EntryResult::none();
    Edit edit(view);
    doc.clearGroupTuplet(at);
    doc.setNoteType(at, settings.length, settings.dots);
    return edit.finish(doc.nextGroup(at));
}

EntryResult changeDots(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings) {
    const std::size_t at = cursorRecord(view);
    if (at >= doc.recordCount() || !doc.record(at).takesTime() || !takeSnapshot(view, doc, UndoKind::Change))
        return EntryResult::none();
    Edit edit(view);
    doc.clearGroupTuplet(at);
    doc.setDots(at, settings.dots);
    return edit.finishInPlace();
}

EntryResult enterGroup(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, Records group) {
    if (group.empty()) return EntryResult::none();
    const std::size_t size = group.front().groupSize();
    if (size == 0 || size > kMaxEntryGroup || size > group.size()) return EntryResult::none();
    std::vector<SongRecord> records(group.begin(), group.begin() + std::ptrdiff_t(size));
    const SongRecord model = noteTemplate(doc, cursorRecord(view));
    for (SongRecord& r : records) {
        if (!r.isNote() || r.velocity() != 0) continue;
        r.setPlayValues(model);
    }
    Edit edit(view);
    const bool meta = records.front().isMeta();
    const std::size_t at = writeAtCursor(doc, view, entryInserts(doc, view, settings), std::move(records),
                                         [&doc](std::size_t g, const std::vector<SongRecord>& written) {
                                             return overwriteScoreRecords(doc, g, written);
                                         });
    if (at == kNoRecord) return edit.abandoned();
    if (doc.songInfo().isRhythm()) doc.insertProgramChanges(at, endOfScoreGroupFrom(doc, doc.nextGroup(at)));
    return edit.finish(doc.nextGroup(at), meta);
}

namespace {
// The palettes' value lists: with a range every note of it takes the first value, else the cursor
// group's notes take the list.
template <typename Value, typename SetRange, typename SetGroup>
EntryResult setNoteValues(CPlmDoc& doc, ScoreView& view, std::span<const Value> values, SetRange setRange,
                          SetGroup setGroup) {
    if (values.empty()) return EntryResult::none();
    const std::size_t at = cursorRecord(view);
    if (!view.hasRange() && !isNoteGroup(doc, at)) return EntryResult::none();
    if (!takeSnapshot(view, doc, UndoKind::Effect)) return EntryResult::none();
    Edit edit(view);
    if (view.hasRange()) {
        const RecordRange range = selectedRecords(view);
        setRange(range.from, range.to, values.front());
        return edit.finishInPlace(true);
    }
    setGroup(at, values);
    return edit.finishInPlace();
}
}  // namespace

EntryResult setDelayGates(CPlmDoc& doc, ScoreView& view, std::span<const DelayGate> pairs) {
    return setNoteValues(
        doc, view, pairs, [&doc](std::size_t from, std::size_t to, DelayGate v) { doc.setRangeDelayGate(from, to, v); },
        [&doc](std::size_t at, std::span<const DelayGate> list) { doc.setGroupDelayGates(at, list); });
}

EntryResult setVelocities(CPlmDoc& doc, ScoreView& view, std::span<const std::uint8_t> velocities) {
    return setNoteValues(
        doc, view, velocities,
        [&doc](std::size_t from, std::size_t to, std::uint8_t v) { doc.setRangeVelocity(from, to, v); },
        [&doc](std::size_t at, std::span<const std::uint8_t> list) { doc.setGroupVelocities(at, list); });
}

EntryResult setLyric(CPlmDoc& doc, ScoreView& view, std::string_view utf8) {
    return setText(doc, view, kind::kLyric, UndoKind::Lyric, utf8);
}

EntryResult setChordName(CPlmDoc& doc, ScoreView& view, std::string_view utf8) {
    return setText(doc, view, kind::kChordName, UndoKind::ChordName, utf8);
}

// ---- keys ------------------------------------------------------------------------------------------

EntryResult enterMark(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::uint8_t markType) {
    if (markType < type::kBarLine || markType > type::kSpacer) return EntryResult::none();
    const bool lineBreak = markType == type::kLineBreak;
    Edit edit(view);
    const std::size_t at = cursorRecord(view);
    const auto replace = [&doc, markType](std::size_t g, const std::vector<SongRecord>&) {
        breakGroup(doc, g);
        return doc.replaceWithType(g, markType);
    };
    const bool insert = lineBreak || entryInserts(doc, view, settings);
    if (writeAtCursor(doc, view, insert, typeRecord(doc, at, markType), replace) == kNoRecord)
        return edit.abandoned();
    return edit.finish(doc.nextGroup(at), lineBreak);
}

EntryResult backSpace(CPlmDoc& doc, ScoreView& view) {
    const ScorePosition cursor = view.cursor();
    if (view.hasRange() || (cursor.line == 0 && cursor.column == 0)) return EntryResult::none();
    const std::size_t before = doc.previousGroup(cursorRecord(view));
    if (before == kNoGroup || !takeSnapshot(view, doc, UndoKind::BackSpace)) return EntryResult::none();
    Edit edit(view);
    breakGroup(doc, before);
    doc.deleteGroup(before);
    return edit.finish(before, cursor.column == 0);
}

EntryResult deleteForward(CPlmDoc& doc, ScoreView& view) {
    if (view.hasRange()) {
        if (!RangeEditor(doc, view).deleteRange()) return EntryResult::none();
        EntryResult r;
        r.changed = true;
        r.repaint = Repaint::All;
        return r;
    }
    const std::size_t at = cursorRecord(view);
    if (at >= doc.recordCount() || !takeSnapshot(view, doc, UndoKind::Delete)) return EntryResult::none();
    Edit edit(view);
    const bool lineBreak = doc.record(at).type() == type::kLineBreak;
    breakGroup(doc, at);
    doc.deleteGroup(at);
    return edit.finish(at, lineBreak);
}

}  // namespace plume
