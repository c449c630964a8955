#pragma once
// Entry at the score view's cursor: notes, chords, rests, bar lines, line breaks, spacers, whole
// groups, lengths, dots, velocity, delay and gate, lyrics and chord names, Back Space and Delete.
// Each request takes an undo snapshot first (abandoned when the user declines to go on without
// one), changes the song through the document's record operations, lays the song out again and
// moves the cursor; the result says what the window must repaint.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "song/plm_doc.h"
#include "song/song_record.h"

namespace plume {

class ScoreView;

// What the view reads from the main frame at the moment of entry.
struct EntrySettings {
    std::uint8_t length = type::kWhole;  // note type 1..6
    std::uint8_t dots = 0;               // 0, mark::kDotted or mark::kDoubleDotted
    bool insert = true;                  // "挿入／上書き": false overwrites the cursor group
};

// One note of an entry list: key number and accidental byte. A key of kEndOfList ends a list.
struct NotePair {
    std::uint8_t key = 0;
    std::uint8_t accidental = 0;
    friend bool operator==(const NotePair&, const NotePair&) = default;
};
inline constexpr std::uint8_t kEndOfList = 255;
inline constexpr std::size_t kMaxChordNotes = 4;    // a chord entry takes the first four pairs
inline constexpr std::size_t kMaxEntryGroup = 10;   // records of a complete group

enum class Repaint { None, Line, All };

struct EntryResult {
    bool changed = false;  // the song or the cursor changed
    Repaint repaint = Repaint::None;
    int line = 0;          // the line to repaint with Repaint::Line

    static EntryResult none() { return {}; }
};

// What the view asks the main frame; the frame implements it.
class EntryHost {
public:
    virtual ~EntryHost() = default;
    // Whether the view may be edited now; the editing keys do nothing otherwise.
    virtual bool mayEdit() const = 0;
    virtual EntrySettings entrySettings() const = 0;
    // A key the view does not handle: '1'..'6' or '.', with or without Shift. True when taken.
    virtual bool passKey(char key, bool shift) = 0;
    // A note-name letter A..G or a..g typed in the view. True when taken.
    virtual bool passNoteName(char letter) = 0;
};

// --- the template and the records an entry writes ------------------------------------------------
// The first record of the nearest note group before `cursor`, else of the first one after it, else
// velocity 100, delay 0, gate 64 and the initial program; kind score, tuplet bits cleared.
SongRecord noteTemplate(const CPlmDoc& doc, std::size_t cursor);
// Up to four note records from the template: the pairs up to kEndOfList, highest key first, the
// first record's size byte the count, byte 3 cleared.
std::vector<SongRecord> chordRecords(const SongRecord& model, const EntrySettings& settings,
                                     std::span<const NotePair> pairs);
// Whether an entry at the cursor inserts: the insert switch is on, or the cursor stands at the end
// of the song or on a line break.
bool entryInserts(const CPlmDoc& doc, const ScoreView& view, const EntrySettings& settings);
// Record index of the group at the cursor; recordCount() at the end of the song.
std::size_t cursorRecord(const ScoreView& view);

// --- requests --------------------------------------------------------------------------------------
// A rest type 7..12 with dot bits. Overwriting a note with the undotted rest of the same
// length keeps the note's tuplet; any other overwrite breaks it.
EntryResult enterRest(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::uint8_t restType);
// A note or chord at the cursor; with a range, every note group of the range takes the
// pitches instead (its length and dots stay, byte 3 is cleared) and the cursor stays.
EntryResult enterNotes(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::span<const NotePair> pairs);
// The note group at the cursor takes the entry length and dots; the cursor moves right.
EntryResult changeLength(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings);
// The note or rest at the cursor takes the entry dots; the cursor stays.
EntryResult changeDots(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings);
// A complete group (first byte the group size, at most kMaxEntryGroup records). Note records
// without a velocity take velocity, delay, gate and program from the note template. A song whose
// file kind is not melody then gets program records where the program in force changes.
EntryResult enterGroup(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, Records group);
// (delay, gate) pairs listed last note first; with a range every note of the range takes the first pair.
EntryResult setDelayGates(CPlmDoc& doc, ScoreView& view, std::span<const DelayGate> pairs);
// Velocities, the same way.
EntryResult setVelocities(CPlmDoc& doc, ScoreView& view, std::span<const std::uint8_t> velocities);
// Drum notes as enterNotes, then the drum set is the program in force of every record entered,
// and program records go where the program in force changes.
EntryResult enterDrums(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::uint8_t drumSet,
                       std::span<const NotePair> pairs);
// The lyric or chord-name text (UTF-8, stored as at most 6 bytes of CP932) of the cursor group; an empty
// text removes it. The cursor stays.
EntryResult setLyric(CPlmDoc& doc, ScoreView& view, std::string_view utf8);
EntryResult setChordName(CPlmDoc& doc, ScoreView& view, std::string_view utf8);

// --- keys ------------------------------------------------------------------------------------------
// Tab (bar line 13), Enter (line break 14, always inserted) and Space (spacer 15).
EntryResult enterMark(CPlmDoc& doc, ScoreView& view, const EntrySettings& settings, std::uint8_t markType);
// Deletes the group before the cursor; at column 0 that is the line break before the line, and the
// two lines join. Nothing with a range or at the start of the song.
EntryResult backSpace(CPlmDoc& doc, ScoreView& view);
// Delete: the selected range (as RangeEditor::deleteRange), or else the group at the cursor, whose
// tuplet and ties are broken as for Back Space; nothing at the end of the song.
EntryResult deleteForward(CPlmDoc& doc, ScoreView& view);

}  // namespace plume
