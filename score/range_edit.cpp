#include "score/range_edit.h"

#include <algorithm>
#include <array>

#include "platform/message_box.h"
#include "score/note_entry.h"
#include "score/score_view.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

// Lengths in thirty-second notes of the six plain lengths, by length 1-6.
constexpr std::array<int, 6> kThirtySeconds = {32, 16, 8, 4, 2, 1};

int thirtySeconds(const SongRecord& r) {
    const int length = r.isRest() ? r.type() - 6 : r.type();
    const int plain = kThirtySeconds[std::size_t(length - 1)];
    if (r.dots() == mark::kDotted) return plain * 3 / 2;
    if (r.dots() == mark::kDoubleDotted) return plain * 7 / 4;
    return plain;
}

bool isPlainLength(int length) {
    return std::find(kThirtySeconds.begin(), kThirtySeconds.end(), length) != kThirtySeconds.end();
}

}  // namespace

// ---- clipboard -----------------------------------------------------------------------------------

ScoreClipboard::ScoreClipboard(std::function<void()> stopPlayback) : m_stopPlayback(std::move(stopPlayback)) {}

void ScoreClipboard::stopPlayback() const {
    if (m_stopPlayback) m_stopPlayback();
}

void ScoreClipboard::store(Records records, const SongInfo& info) {
    stopPlayback();
    m_block = ClipboardBlock{{records.begin(), records.end()}, info};
}

const ClipboardBlock* ScoreClipboard::lend() {
    stopPlayback();
    return m_block ? &*m_block : nullptr;
}

// ---- questions about records ---------------------------------------------------------------------

int tupletCount(Records records, RecordRange range) {
    int shortest = 0;
    int total = 0;
    for (std::size_t g = range.from; g < std::min(range.to, records.size()); g = nextGroup(records, g)) {
        const SongRecord& first = records[g];
        if (!first.takesTime()) return 0;
        const int length = thirtySeconds(first);
        shortest = shortest == 0 ? length : std::min(shortest, length);
        total += length;
    }
    if (shortest == 0 || !isPlainLength(shortest) || total % shortest != 0) return 0;
    return total / shortest;
}

std::uint8_t keyInForce(Records records, const SongInfo& info, std::size_t position) {
    std::uint8_t key = info.keySignature();
    for (std::size_t i = 0; i < std::min(position, records.size()); ++i) {
        const SongRecord& r = records[i];
        if (r.isMeta() && r.metaType() == meta::kKeySignature) key = r.metaKeySignature();
    }
    return key;
}

TimeSignature timeInForce(Records records, const SongInfo& info, std::size_t position) {
    TimeSignature time{info.numerator(), info.denominatorPower()};
    for (std::size_t i = 0; i < std::min(position, records.size()); ++i) {
        const SongRecord& r = records[i];
        if (r.isMeta() && r.metaType() == meta::kTimeSignature) time = {r.metaNumerator(), r.metaDenominatorPower()};
    }
    return time;
}

RecordRange selectedRecords(const ScoreView& view) {
    if (!view.hasRange()) return {};
    const Records records = view.records();
    const ScorePosition start = view.rangeStart();
    const ScorePosition end = view.rangeEnd();
    return {view.lines().recordAt(records, start.line, start.column),
            view.lines().recordAt(records, end.line, end.column)};
}

// ---- the editor ----------------------------------------------------------------------------------

RangeEditor::RangeEditor(CPlmDoc& document, ScoreView& view) : m_document(document), m_view(view) {}

bool RangeEditor::snapshot(UndoKind kind) {
    return m_view.undoRing().take(kind, m_document, m_view.undoPositions());
}

// ---- clipboard commands --------------------------------------------------------------------------

bool RangeEditor::copy(ScoreClipboard& clipboard) const {
    const RecordRange r = range();
    if (r.empty()) return false;
    clipboard.store(m_document.records().subspan(r.from, r.to - r.from), m_document.songInfo());
    return true;
}

bool RangeEditor::cut(ScoreClipboard& clipboard) {
    if (!copy(clipboard)) return false;
    deleteRange();
    return true;
}

void RangeEditor::cutTiesAtEdges(RecordRange r) {
    std::vector<std::uint8_t> tied;
    const Records records = m_document.records();
    for (std::size_t i = r.from; i < std::min(r.to, records.size()); ++i)
        if (records[i].isNote() && records[i].tie() != 0) tied.push_back(records[i].key());
    std::sort(tied.begin(), tied.end());
    tied.erase(std::unique(tied.begin(), tied.end()), tied.end());
    for (std::uint8_t key : tied) m_document.untieKey(r.from, r.to, key);
}

bool RangeEditor::deleteRange() {
    const RecordRange r = range();
    if (r.empty() || !snapshot(UndoKind::Delete)) return false;
    const ScorePosition start = m_view.rangeStart();
    m_document.breakTupletsAt(r.from, r.to);
    cutTiesAtEdges(r);
    m_document.deleteRange(r.from, r.to);
    m_view.rebuild();
    m_view.setCursor(start);
    return true;
}

bool RangeEditor::paste(ScoreClipboard& clipboard) {
    const ClipboardBlock* block = clipboard.lend();
    return block && insertAtCursor(block->records, UndoKind::Paste);
}

bool RangeEditor::insertAtCursor(Records block, UndoKind kind) {
    if (block.empty()) return false;
    const std::size_t position = plume::cursorRecord(m_view);
    if (m_document.recordCount() + block.size() >= kRecordLimit) {
        m_document.insertRecords(position, block);  // refuses, with its own message
        platform::messageBox().show(kPasteOverflowMessage);
        return false;
    }
    int lineBreaks = 0;
    int groupsAfterBreak = 0;
    int groupCount = 0;
    for (std::size_t g = 0; g < block.size(); g = nextGroup(block, g)) {
        ++groupCount;
        if (block[g].type() == type::kLineBreak) {
            ++lineBreaks;
            groupsAfterBreak = 0;
        } else {
            ++groupsAfterBreak;
        }
    }
    if (!snapshot(kind)) return false;
    m_document.breakTupletAround(position);
    m_document.breakTiesAcross(position);
    if (!m_document.insertRecords(position, block)) return false;
    if (kind == UndoKind::Vokato && m_document.songInfo().fileKind() != 1)
        m_document.insertProgramChanges(position, position + block.size());

    const ScorePosition old = m_view.cursor();
    m_view.rebuild();
    m_view.setTopLine(m_view.topLine() + lineBreaks);
    m_view.setCursor({old.line + lineBreaks, lineBreaks > 0 ? groupsAfterBreak : old.column + groupCount});
    return true;
}

// ---- range commands ------------------------------------------------------------------------------

std::optional<KeySpan> RangeEditor::transposeSpan() const {
    const RecordRange r = range();
    const Records records = m_document.records();
    KeySpan span;
    bool any = false;
    for (std::size_t i = r.from; i < std::min(r.to, records.size()); ++i) {
        if (!records[i].isNote()) continue;
        span.lowest = std::min<int>(span.lowest, records[i].key());
        span.highest = std::max<int>(span.highest, records[i].key());
        any = true;
    }
    if (!any) {
        platform::messageBox().show(kNoNotesInRangeMessage);
        return std::nullopt;
    }
    return span;
}

bool RangeEditor::transpose(int semitones) {
    const RecordRange r = range();
    if (r.empty() || semitones == 0 || !snapshot(UndoKind::Change)) return false;
    const bool changed = m_document.transpose(r.from, r.to, semitones);
    m_view.rebuild();
    return changed;
}

bool RangeEditor::notesToRests() {
    const RecordRange r = range();
    bool anyNote = false;
    for (std::size_t g = r.from; g < std::min(r.to, m_document.recordCount()); g = m_document.nextGroup(g))
        anyNote = anyNote || m_document.record(g).isNote();
    if (!anyNote || !snapshot(UndoKind::Change)) return false;
    std::size_t end = r.to;
    for (std::size_t g = r.from; g < std::min(end, m_document.recordCount()); g = m_document.nextGroup(g)) {
        const SongRecord first = m_document.record(g);
        if (!first.isNote()) continue;
        const std::size_t before = m_document.recordCount();
        m_document.clearGroupTies(g);
        m_document.replaceWithType(g, std::uint8_t(first.type() + 6), first.dots());
        end -= before - m_document.recordCount();
    }
    m_view.rebuild();
    return true;
}

int RangeEditor::tupletCount() const {
    const RecordRange r = range();
    return r.empty() ? 0 : plume::tupletCount(m_document.records(), r);
}

bool RangeEditor::makeTuplet(int n) {
    if (n < 3 || n > 7 || tupletCount() != n) return false;
    const RecordRange r = range();
    m_document.clearTuplets(r.from, r.to);
    const bool marked = m_document.setTuplet(r.from, r.to, std::uint8_t(n));
    m_view.rebuild();
    return marked;
}

bool RangeEditor::clearTuplet() {
    const RecordRange r = range();
    if (r.empty()) return false;
    const bool cleared = m_document.clearTuplets(r.from, r.to);
    m_view.rebuild();
    return cleared;
}

std::vector<std::uint8_t> RangeEditor::noteKeys() const {
    const RecordRange r = range();
    const Records records = m_document.records();
    std::vector<std::uint8_t> keys;
    for (std::size_t i = r.from; i < std::min(r.to, records.size()); ++i)
        if (records[i].isNote()) keys.push_back(records[i].key());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

bool RangeEditor::tie(std::span<const std::uint8_t> keys, bool set) {
    const RecordRange r = range();
    if (r.empty() || keys.empty() || !snapshot(UndoKind::Change)) return false;
    bool changed = false;
    for (std::uint8_t key : keys)
        changed = (set ? m_document.tieKey(r.from, r.to, key) : m_document.untieKey(r.from, r.to, key)) || changed;
    m_view.rebuild();
    return changed;
}

// ---- at the cursor -------------------------------------------------------------------------------

std::uint8_t RangeEditor::keyAtCursor() const {
    return keyInForce(m_document.records(), m_document.songInfo(), plume::cursorRecord(m_view));
}

TimeSignature RangeEditor::timeAtCursor() const {
    return timeInForce(m_document.records(), m_document.songInfo(), plume::cursorRecord(m_view));
}

bool RangeEditor::changeAtCursor(bool insertSwitch, const std::function<bool(std::size_t, bool)>& write) {
    EntrySettings settings;
    settings.insert = insertSwitch;
    const bool insert = entryInserts(m_document, m_view, settings);
    const std::size_t position = plume::cursorRecord(m_view);
    if (!snapshot(insert ? UndoKind::Insert : UndoKind::Change)) return false;
    if (insert) {
        m_document.breakTupletAround(position);
    } else {
        m_document.clearGroupTuplet(position);
        m_document.clearGroupTies(position);
    }
    const bool written = write(position, insert);
    const ScorePosition cursor = m_view.cursor();
    m_view.rebuild();
    if (written && insert) m_view.setCursor({cursor.line, cursor.column + 1});
    return written;
}

bool RangeEditor::changeKey(std::uint8_t keyNumber, bool insertSwitch) {
    return changeAtCursor(insertSwitch, [&](std::size_t position, bool insert) {
        return insert ? m_document.insertKeySignature(position, keyNumber)
                      : m_document.replaceWithKeySignature(position, keyNumber);
    });
}

bool RangeEditor::changeTime(TimeSignature time, bool insertSwitch) {
    return changeAtCursor(insertSwitch, [&](std::size_t position, bool insert) {
        return insert ? m_document.insertTimeSignature(position, time.numerator, time.denominatorPower)
                      : m_document.replaceWithTimeSignature(position, time.numerator, time.denominatorPower);
    });
}

// ---- undo ----------------------------------------------------------------------------------------

bool RangeEditor::undo() {
    UndoPositions positions;
    if (!m_view.undoRing().undo(m_document, positions)) return false;
    m_view.restore(positions);
    return true;
}

namespace {

// --- ties ------------------------------------------------------------------------------------------

bool linksForward(const SongRecord& r) { return r.tie() == mark::kTieBegin || r.tie() == mark::kTieMiddle; }
bool linksBackward(const SongRecord& r) { return r.tie() == mark::kTieEnd || r.tie() == mark::kTieMiddle; }

// The record of a note of `key` in the group, or kNoGroup.
std::size_t noteOfKey(Records records, std::size_t group, std::uint8_t key) {
    for (std::size_t i = group; i < groupEnd(records, group); ++i)
        if (records[i].isNote() && records[i].key() == key) return i;
    return kNoGroup;
}

// The first (or last) group of the tie chain of `key` that passes through `group`.
std::size_t chainEndGroup(Records records, std::size_t group, std::uint8_t key, bool backward) {
    for (;;) {
        const std::size_t note = noteOfKey(records, group, key);
        if (note == kNoGroup || !(backward ? linksBackward(records[note]) : linksForward(records[note]))) return group;
        std::size_t next = group;
        do {
            next = backward ? previousGroup(records, next) : nextGroup(records, next);
        } while (next != kNoGroup && next < records.size() && noteOfKey(records, next, key) == kNoGroup);
        if (next == kNoGroup || next >= records.size()) return group;
        group = next;
    }
}

}  // namespace

bool toggleTieAtCursor(CPlmDoc& doc, ScoreView& view) {
    const std::size_t group = cursorRecord(view);
    Records records = doc.records();
    if (group >= records.size() || !records[group].isNote()) return false;
    const std::size_t next = nextScoreGroup(records, group);
    if (next >= records.size() || !records[next].isNote()) return false;

    std::vector<std::uint8_t> keys;
    bool tiedForward = false;
    for (std::size_t i = group; i < groupEnd(records, group); ++i) {
        if (!records[i].isNote() || noteOfKey(records, next, records[i].key()) == kNoGroup) continue;
        keys.push_back(records[i].key());
        tiedForward = tiedForward || linksForward(records[i]);
    }
    if (keys.empty() || !view.undoRing().take(UndoKind::Change, doc, view.undoPositions())) return false;

    bool changed = false;
    for (const std::uint8_t key : keys) {
        records = doc.records();
        const std::size_t first = chainEndGroup(records, group, key, true);
        const std::size_t last = groupEnd(records, chainEndGroup(records, next, key, false));
        if (!tiedForward) {
            changed = doc.tieKey(first, last, key) || changed;
        } else if (linksForward(records[noteOfKey(records, group, key)])) {
            // Untie the whole chain, then tie again what lies before and after the cut.
            const std::size_t cut = groupEnd(records, group);
            changed = doc.untieKey(first, last, key) || changed;
            doc.tieKey(first, cut, key);
            doc.tieKey(next, last, key);
        }
    }
    view.rebuild();
    return changed;
}

}  // namespace plume
