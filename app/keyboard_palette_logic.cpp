#include "app/keyboard_palette_logic.h"

#include <algorithm>
#include <array>

#include "app/note_palette_logic.h"

namespace plume {

namespace {

struct Geometry {
    int whiteWidth;
    int whiteHeight;
    int blackWidth;
    int blackHeight;
};
constexpr std::array<Geometry, 2> kGeometry = {{{10, 48, 6, 30}, {14, 64, 8, 40}}};

// White-key position within the octave of each pitch class; -1 for a black key.
constexpr std::array<int, 12> kWhitePosition = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};
constexpr int kWhiteKeyCount = (kKeyboardHighestKey - kKeyboardLowestKey + 1) / 12 * 7;

// White keys counted from the lowest key up to the white key at or just below `key`.
int whiteIndex(int key) {
    const int offset = key - kKeyboardLowestKey;
    const int pc = offset % 12;
    const int position = kWhitePosition[std::size_t(pc)] >= 0 ? kWhitePosition[std::size_t(pc)]
                                                                : kWhitePosition[std::size_t(pc - 1)];
    return offset / 12 * 7 + position;
}

bool isBlack(int key) { return kWhitePosition[std::size_t((key - kKeyboardLowestKey) % 12)] < 0; }

bool inside(const KeyRect& r, int x, int y) { return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height; }

}  // namespace

int KeyboardPalette::width() const { return kWhiteKeyCount * kGeometry[std::size_t(m_size)].whiteWidth; }

int KeyboardPalette::height() const { return kKeyboardKeysTop + kGeometry[std::size_t(m_size)].whiteHeight; }

KeyRect KeyboardPalette::keyRect(int key) const {
    const Geometry& g = kGeometry[std::size_t(m_size)];
    key = std::clamp(key, kKeyboardLowestKey, kKeyboardHighestKey);
    if (!isBlack(key)) return {whiteIndex(key) * g.whiteWidth, kKeyboardKeysTop, g.whiteWidth, g.whiteHeight, false};
    // A black key sits over the border between its two white neighbours.
    const int border = (whiteIndex(key) + 1) * g.whiteWidth;
    return {border - g.blackWidth / 2, kKeyboardKeysTop, g.blackWidth, g.blackHeight, true};
}

int KeyboardPalette::keyAt(int x, int y) const {
    const Geometry& g = kGeometry[std::size_t(m_size)];
    if (y < kKeyboardKeysTop || y >= height() || x < 0 || x >= width()) return -1;
    const int white = x / g.whiteWidth;
    const int octaveBase = kKeyboardLowestKey + white / 7 * 12;
    // Black keys first: they lie over the white keys of their own octave.
    for (int key = octaveBase; key < octaveBase + 12; ++key)
        if (isBlack(key) && inside(keyRect(key), x, y)) return key;
    for (int key = octaveBase; key < octaveBase + 12; ++key)
        if (!isBlack(key) && whiteIndex(key) == white) return key;
    return -1;
}

bool KeyboardPalette::isCollected(int key) const {
    return std::any_of(m_collection.begin(), m_collection.end(), [key](const SongRecord& r) { return r.key() == key; });
}

KeyboardClick KeyboardPalette::click(int x, int y, const KeyboardClickContext& context) {
    if (context.newMouseInput && context.wheelOpen) return {};
    if (context.newMouseInput && context.shift) {
        clear();
        return {KeyboardClick::Kind::Cleared, -1, std::nullopt};
    }
    if (y < kKeyboardDragBarHeight) return {KeyboardClick::Kind::Drag, -1, std::nullopt};
    if (y < kKeyboardKeysTop) {
        // The frame would drop the group while playing, so it stays collected.
        if (m_collection.empty() || context.playing) return {};
        std::vector<SongRecord> group = m_collection;
        for (SongRecord& r : group)
            r.setType(noteLengthType(context.lengthIndex));
        clear();
        return {KeyboardClick::Kind::Sent, -1, entry::EnterGroup{std::move(group)}};
    }
    const int key = keyAt(x, y);
    if (key < 0) return {};
    if (isCollected(key)) {
        std::erase_if(m_collection, [key](const SongRecord& r) { return r.key() == key; });
        if (!m_collection.empty()) m_collection.front().setGroupSize(std::uint8_t(m_collection.size()));
        return {KeyboardClick::Kind::Removed, key, std::nullopt};
    }
    if (m_collection.size() >= kKeyboardMaxKeys) return {};
    // Velocity, delay and gate stay 0: the view gives such notes those of its note template.
    SongRecord note;
    note.setKey(std::uint8_t(key));
    m_collection.push_back(note);
    std::sort(m_collection.begin(), m_collection.end(), higherKey);
    for (SongRecord& r : m_collection) r.setGroupSize(0);
    m_collection.front().setGroupSize(std::uint8_t(m_collection.size()));
    return {KeyboardClick::Kind::Added, key, std::nullopt};
}

}  // namespace plume
