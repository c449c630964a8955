#pragma once
// The enlarged edit palette's own group: while the palette is shown (and the view lets it), the
// palette messages change this group instead of the song, and its enter button sends the group to
// the main frame to be entered at the cursor.

#include <cstdint>
#include <optional>
#include <vector>

#include "app/note_palette_logic.h"
#include "app/entry_request.h"
#include "song/song_record.h"

namespace plume {

inline constexpr int kEditPaletteWidth = 80;    // client size, without the sizing frame
inline constexpr int kEditPaletteHeight = 277;
inline constexpr int kEditPaletteDragHeight = 16;  // y 0..15 drags the window
inline constexpr int kEditPaletteButtonSize = 12;
inline constexpr int kEditPaletteButtonRight = 77;  // both buttons end here (exclusive)
inline constexpr int kEditPaletteCloseTop = 2;
inline constexpr int kEditPaletteEnterTop = 18;
inline constexpr std::size_t kEditPaletteMaxRecords = 10;

namespace edit_palette_button {
inline constexpr int kEnter = 1;  // wParam of kEditPaletteButton
inline constexpr int kClose = 2;
}  // namespace edit_palette_button

enum class EditPaletteArea { Body, Drag, CloseButton, EnterButton };
EditPaletteArea editPaletteArea(int x, int y);

class EnlargedEditGroup {
public:
    // Records in song order; the first one's byte 0 holds the count. Empty at the start.
    const std::vector<SongRecord>& group() const { return m_group; }
    bool isEnterEnabled() const { return m_enterEnabled; }

    // A palette message addressed to the palette; the entry choice gives the current length and
    // dot. kEditPaletteButton with wParam 1 returns the group to post to the main frame (nothing
    // while playing, when the frame would drop it); closing (wParam 2) is the window's.
    std::optional<EntryRequest> receive(const EntryRequest& message, const NoteChoice& choice, bool playing);

    // The left button over the window: pressing a button arms it, releasing over the same button
    // sends kEditPaletteButton to the palette itself. A disabled enter button does not arm.
    void buttonDown(int x, int y);
    std::optional<EntryRequest> buttonUp(int x, int y);

    // Mouse editing below the drag bar. A key already in the group is selected, any other joins it
    // as a note of the group's length (of the entry choice when the group holds no notes) and is
    // selected; a rest group gives way to the note. Nothing past kEditPaletteMaxRecords notes.
    void addNote(int key, const NoteChoice& choice);
    // Removes the note whose key lies nearest `key`.
    void removeNearest(int key);
    // Moves the selected note by semitones within keys 24..95; its accidental byte is cleared so
    // that the key signature spells it.
    void moveSelected(int semitones);
    // The selected note's key; the highest note after a new group arrives.
    std::optional<int> selectedKey() const;

private:
    void setRest(std::uint8_t typeAndDots);
    void setNotes(const std::vector<NotePair>& pairs, const NoteChoice& choice);
    void setLength(const NoteChoice& choice);
    void setDots(const NoteChoice& choice);
    void setGroup(std::vector<SongRecord> records);
    // Highest key first, the count in the first record; "enter" follows whether a group is left.
    void reorder();

    bool m_enterEnabled = false;
    EditPaletteArea m_armed = EditPaletteArea::Body;
    std::vector<SongRecord> m_group;
    int m_selected = -1;  // key of the selected note
};

}  // namespace plume
