#pragma once
// The keyboard palette: a drag bar, a send band and a piano keyboard whose clicks collect the keys
// of one group; the band sends the group to the main frame, which enters it at the cursor.

#include <cstdint>
#include <optional>
#include <vector>

#include "app/entry_request.h"
#include "song/song_record.h"

namespace plume {

inline constexpr int kKeyboardDragBarHeight = 38;  // y 0..37 moves the palette
inline constexpr int kKeyboardKeysTop = 57;         // y 38..56 is the send band
inline constexpr int kKeyboardLowestKey = 24;       // C1
inline constexpr int kKeyboardHighestKey = 95;      // B6
inline constexpr std::size_t kKeyboardMaxKeys = 10; // records of a group

struct KeyRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool black = false;
};

struct KeyboardClick {
    enum class Kind {
        Ignored,   // outside the keys, a full collection, or the wheel window is open
        Drag,      // the drag bar: the window follows the mouse
        Added,     // `key` joined the collection
        Removed,   // `key` was collected already and left it
        Sent,      // `post` holds the group for the main frame
        Cleared,   // Shift-click with the new mouse input
    };
    Kind kind = Kind::Ignored;
    int key = -1;
    std::optional<EntryRequest> post;
};

struct KeyboardClickContext {
    int lengthIndex = 0;         // the frame's current length
    bool playing = false;        // the frame relays no group while playing
    bool newMouseInput = false;
    bool shift = false;
    bool wheelOpen = false;      // the entry-tool wheel window is open
};

class KeyboardPalette {
public:
    // Size 0 normal, 1 large ("Piano Pal"/"size").
    explicit KeyboardPalette(int size = 0) : m_size(size == 1 ? 1 : 0) {}

    int size() const { return m_size; }
    void setSize(int size) { m_size = size == 1 ? 1 : 0; }
    int width() const;
    int height() const;
    // Where a key is drawn; every key of kKeyboardLowestKey..kKeyboardHighestKey has one.
    KeyRect keyRect(int key) const;
    // The key under a point of the key area (black keys lie over the white ones), or -1.
    int keyAt(int x, int y) const;

    KeyboardClick click(int x, int y, const KeyboardClickContext& context);

    // Collected note records, highest key first; the first one's byte 0 holds the count.
    const std::vector<SongRecord>& collection() const { return m_collection; }
    bool isCollected(int key) const;
    void clear() { m_collection.clear(); }

private:
    int m_size;
    std::vector<SongRecord> m_collection;
};

}  // namespace plume
