#pragma once
// The hum-to-score window's logic without its window: the note list and its editing, the states
// of a take, and the enabling rule and status text of every command 700-713.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "score/chord_identify.h"
#include "song/song_record.h"
#include "voice/transcription.h"

namespace plume {
class CPlmDoc;
class ScoreView;
}  // namespace plume

namespace plume::voice {

enum class VokatoState { Idle = 0, CountIn = 1, Recording = 2, PlayingCopied = 4, RecordingAfterCopied = 5, Playing = 7 };

namespace vokato {
inline constexpr int kShowCommand = 32881;  // "Vokatoをつかう"
inline constexpr int kAdjust = 700, kMeasurePitch = 701, kReconvert = 702, kUndoMark = 703, kPlayCopiedAndRecord = 704,
                     kStop = 705, kRecord = 706, kAutoTranspose = 707, kPlayCopiedToo = 708, kSemitoneDown = 709,
                     kSemitoneUp = 710, kPlay = 711, kStopPlaying = 712, kTransfer = 713;
inline constexpr const char* kTitle = "Vokato－採譜データ";
inline constexpr const char* kCloseQuestion = "採譜データが失われまが、よろしいですか？";
// The status-bar text of a command 700-713.
std::string_view statusText(int command);
}  // namespace vokato

// What the enabling rules read besides the window's own state.
struct VokatoContext {
    bool frameIsPlaying = false;
    bool clipboardHasData = false;   // a copied range exists
    bool playCopiedToo = false;      // command 708's flag
    bool autoTranspose = true;       // command 707's flag
};

// The transcription as up to 200 records, with the cursor and the insert/overwrite rule.
class VokatoNotes {
public:
    const std::vector<SongRecord>& records() const { return m_records; }
    std::span<SongRecord> editableRecords() { return m_records; }
    std::size_t cursor() const { return m_cursor; }
    std::size_t groupCount() const;

    // Replaces the list by the segments' notes (earlier edits are lost); the cursor goes to the end.
    void rebuild(std::span<const NoteSegment> segments, const SongInfo& info, int transpose);
    void clear();

    // Backspace, Delete, Left, Right.
    void backspace();
    void deleteAtCursor();
    void moveCursor(int step);
    // Tab: a bar line at the cursor, replacing the group there in overwrite mode before the end.
    // "データオーバーフロー！" when the list is full.
    bool insertBarLine(bool insertMode);
    // A palette's group: inserted in insert mode or at the end, else it replaces the group at the
    // cursor (keeping that group's byte 3 when `keepMarks`). "データが入りません！" when the count
    // would reach 200.
    bool insertGroup(std::span<const SongRecord> group, bool insertMode, bool keepMarks = false);
    bool shift(int step) { return shiftSemitone(m_records, step); }
    // The records of the group at the cursor; empty at the end of the list.
    std::span<SongRecord> cursorGroup();

private:
    // Record index of group `g` (the end when g is the group count).
    std::size_t recordOf(std::size_t g) const;
    void eraseGroup(std::size_t g);

    std::vector<SongRecord> m_records;
    std::size_t m_cursor = 0;  // in groups
};

// 713: the view that was active at opening inserts the list at its cursor, undoable as "Vokato".
bool transferNotes(CPlmDoc& document, ScoreView& view, const VokatoNotes& notes);

// The copied range as the window keeps it: its note and rest groups (types 1..12), at most 200
// groups looked at, stopping before a group that would bring the total past 199 records.
std::vector<SongRecord> copiedRangeOf(Records clipboard);

// 711: the transcription on channel 0 (9 for a rhythm song) at the song's tempo, with the copied
// range on channel 1 (9 for a rhythm range) when `withCopied`. When both would take channel 9,
// `conflict` is set and the transcription plays alone.
struct VokatoPlay {
    AuditionPlay play;
    bool conflict = false;
};
inline constexpr const char* kRhythmConflict = "リズムデータが競合しています。\n入力データを演奏します。";
VokatoPlay vokatoPlay(Records notes, const SongInfo& info, Records copied, const SongInfo& copiedInfo,
                      bool withCopied);
// 704: the copied range alone, on channel 0 (9 for a rhythm range) at its own tempo.
AuditionPlay copiedRangePlay(Records copied, const SongInfo& copiedInfo);

// Whether a command 700-713 is enabled (the window being open), and its check mark.
bool vokatoEnabled(int command, VokatoState state, const VokatoNotes& notes, const VokatoContext& context);
std::optional<bool> vokatoChecked(int command, const VokatoContext& context);

}  // namespace plume::voice
