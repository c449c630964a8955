#pragma once
// Editing the score view's range and the commands around it: cut, copy and paste through the
// main frame's clipboard, range deletion, transposition, notes to rests, tuplets, ties, key and
// time changes at the cursor, and undo. Every change goes through the document's record
// operations, after an undo snapshot except for tuplet marks, then the view is laid out again;
// the caller repaints.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "score/undo_ring.h"
#include "song/song_record.h"

namespace plume {

class CPlmDoc;
class ScoreView;

inline constexpr const char* kPasteOverflowMessage = "オーバーフロー！\nデータが全部入りません。";
inline constexpr const char* kNoNotesInRangeMessage = "指定範囲に音符がありませんでした。";
inline constexpr int kTransposeLowestKey = 24;
inline constexpr int kTransposeHighestKey = 95;

// What "コピー" hands to the main frame: the range's records and the song's settings.
struct ClipboardBlock {
    std::vector<SongRecord> records;
    SongInfo info;
};

// The main frame's clipboard, shared by every song window. Playback is stopped before the block
// is stored or lent.
class ScoreClipboard {
public:
    explicit ScoreClipboard(std::function<void()> stopPlayback = {});

    bool hasData() const { return m_block.has_value(); }
    void store(Records records, const SongInfo& info);
    // The block for a paste; nullptr while the clipboard is empty.
    const ClipboardBlock* lend();
    // The block for a look, playback left alone; nullptr while the clipboard is empty.
    const ClipboardBlock* block() const { return m_block ? &*m_block : nullptr; }
    void setStopPlayback(std::function<void()> stop) { m_stopPlayback = std::move(stop); }

private:
    void stopPlayback() const;

    std::function<void()> m_stopPlayback;
    std::optional<ClipboardBlock> m_block;
};

// Record indices of a range: the groups starting in [from, to).
struct RecordRange {
    std::size_t from = 0;
    std::size_t to = 0;
    bool empty() const { return to <= from; }
};
// The view's range as records; empty without a range.
RecordRange selectedRecords(const ScoreView& view);

// The tuplet a range can form: every group a note or rest, the total length an exact multiple
// of the shortest, which must be undotted; the multiple, or 0 when the range forms none.
int tupletCount(Records records, RecordRange range);

// Key-signature number and time signature in force at a position: the song's settings, replaced
// by every key or time meta record before it.
std::uint8_t keyInForce(Records records, const SongInfo& info, std::size_t position);
struct TimeSignature {
    std::uint8_t numerator = 4;
    std::uint8_t denominatorPower = 2;
    friend bool operator==(const TimeSignature&, const TimeSignature&) = default;
};
TimeSignature timeInForce(Records records, const SongInfo& info, std::size_t position);

// The lowest and highest key of the range's notes, starting from 95 and 24.
struct KeySpan {
    int lowest = kTransposeHighestKey;
    int highest = kTransposeLowestKey;
};

// One command on one view: the view must show `document`.
class RangeEditor {
public:
    RangeEditor(CPlmDoc& document, ScoreView& view);

    RecordRange range() const { return selectedRecords(m_view); }

    // --- clipboard -------------------------------------------------------------------------------
    // Each returns whether the song or the clipboard changed. Cut and range deletion take a
    // snapshot of kind "DEL", paste one of kind "張り付け"; a declined snapshot changes nothing.
    bool copy(ScoreClipboard& clipboard) const;
    bool cut(ScoreClipboard& clipboard);
    // Deletes the range (Delete with a range): ties into and out of it are cut, tuplets reaching
    // into it cleared; the cursor and the anchor go to the range's start.
    bool deleteRange();
    // Inserts the clipboard before the cursor group and moves the cursor behind it. A song that
    // would reach kRecordLimit keeps everything: "データが入りません！", then kPasteOverflowMessage.
    bool paste(ScoreClipboard& clipboard);
    // The same with records handed over directly, snapshot `kind` (the hum-to-score transfer).
    bool insertAtCursor(Records block, UndoKind kind);

    // --- range commands --------------------------------------------------------------------------
    // Shows kNoNotesInRangeMessage and gives nullopt when the range holds no note.
    std::optional<KeySpan> transposeSpan() const;
    bool transpose(int semitones);
    bool notesToRests();
    // 0 without a range.
    int tupletCount() const;
    // Clears the range's tuplets and marks it as one of n; no snapshot.
    bool makeTuplet(int n);
    bool clearTuplet();
    // The distinct keys of the range's notes, lowest first.
    std::vector<std::uint8_t> noteKeys() const;
    // Ties (or unties) the consecutive notes of each key inside the range.
    bool tie(std::span<const std::uint8_t> keys, bool set);

    // --- at the cursor ---------------------------------------------------------------------------
    std::uint8_t keyAtCursor() const;
    TimeSignature timeAtCursor() const;
    // Inserted before the cursor group as an entry is (the cursor stays with the group it was on),
    // otherwise written over the cursor group.
    bool changeKey(std::uint8_t keyNumber, bool insertSwitch);
    bool changeTime(TimeSignature time, bool insertSwitch);

    // --- undo ------------------------------------------------------------------------------------
    bool undo();

private:
    bool snapshot(UndoKind kind);
    bool changeAtCursor(bool insertSwitch, const std::function<bool(std::size_t, bool)>& write);
    void cutTiesAtEdges(RecordRange range);

    CPlmDoc& m_document;
    ScoreView& m_view;
};

// The tie button: the notes of the cursor group are tied to the notes of the same keys in the next
// note group (bar lines and line breaks between them are passed over, a rest ends the search), or
// untied from them when any of them is tied forward already. Ties running into the cursor group
// and out of the next group stay. One undo snapshot; false when nothing changed.
bool toggleTieAtCursor(CPlmDoc& doc, ScoreView& view);

}  // namespace plume
