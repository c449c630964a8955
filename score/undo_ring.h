#pragma once
// The view's ten-level undo: whole copies of the song's records with the view positions.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "song/record_allocator.h"
#include "song/song_record.h"

namespace plume {

class CPlmDoc;

enum class UndoKind : std::int16_t {
    Change = 1,     // "訂正"
    Insert = 2,     // "挿入"
    BackSpace = 3,  // "ＢＳ"
    Delete = 4,     // "DEL"
    Paste = 6,      // "張り付け"
    Vokato = 7,     // "Vokato"
    Effect = 8,     // "効果"
    Lyric = 9,      // "歌詞"
    ChordName = 10, // "コード名"
};

// The word after "元に戻す" in the Edit menu.
std::string_view undoWord(UndoKind kind);

// The view positions a snapshot restores.
struct UndoPositions {
    int topLine = 0;
    int anchorLine = 0;
    int anchorColumn = 0;
    int cursorLine = 0;
    int cursorColumn = 0;
    int effectCursor = 0;
    int effectAnchor = 0;
    friend bool operator==(const UndoPositions&, const UndoPositions&) = default;
};

class UndoRing {
public:
    static constexpr std::size_t kSlots = 10;

    explicit UndoRing(RecordAllocator allocate = defaultRecordAllocator());

    // Takes a snapshot before a change; the oldest is dropped when all ten are full. When the copy
    // cannot be allocated asks "メモリ不足で[元に戻す]ができなくなります。\nよろしいですか？":
    // false (No) means the caller abandons the change, Yes lets it go on without a snapshot.
    bool take(UndoKind kind, const CPlmDoc& document, const UndoPositions& positions);

    bool canUndo() const { return m_filled > 0; }
    std::size_t size() const { return m_filled; }
    // Kind of the newest snapshot; only while canUndo().
    UndoKind newestKind() const;
    // "元に戻す" followed by the newest kind's word, or alone when the ring is empty.
    std::string menuText() const;

    // Restores the newest snapshot's records into the document (modified) and returns its
    // positions; the caller rebuilds the line table and repaints. False with nothing to undo.
    bool undo(CPlmDoc& document, UndoPositions& positions);
    void clear();

private:
    struct Slot {
        UndoKind kind = UndoKind::Change;
        UndoPositions positions;
        std::unique_ptr<std::vector<SongRecord>> records;  // null for an empty song
    };

    RecordAllocator m_allocate;
    std::array<Slot, kSlots> m_slots;
    std::size_t m_oldest = 0;
    std::size_t m_next = 0;
    std::size_t m_filled = 0;
};

}  // namespace plume
