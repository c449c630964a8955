#pragma once
// The drum palette ("ﾄﾞﾗﾑパレット") and its setup dialog ("リズム楽器の選択") apart from their
// windows: the user's list of up to thirty drum keys, its names under a drum set, the group an
// "OK" enters, the profile section "User Drum", and the dialog's editing and test play.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/entry_request.h"
#include "play/instrument_selection.h"
#include "song/song_record.h"

namespace plume {

namespace platform {
class Profile;
}

inline constexpr std::size_t kDrumPaletteCapacity = 30;
inline constexpr std::size_t kDrumPaletteEnterLimit = 10;  // entries one "OK" enters

struct DrumPalette {
    int module = 0;      // the sound module whose names are shown
    int setProgram = 0;  // the drum set whose names are shown
    std::vector<std::uint8_t> keys;  // in the user's order, at most kDrumPaletteCapacity, none 0

    friend bool operator==(const DrumPalette&, const DrumPalette&) = default;
};

// Section "User Drum": "Drum Set" and "drum0".."drum29" (0 for an empty place, which is skipped).
DrumPalette loadDrumPalette(const platform::Profile& profile, int module);
void saveDrumPalette(platform::Profile& profile, const DrumPalette& palette);

// An entry as the lists show it: the set's name for the key, or "Key N" where the set has none.
std::string drumEntryName(int module, int setProgram, int key);
std::vector<std::string> drumEntryNames(const DrumPalette& palette);

// "OK": the entry request with the selected rows' keys in list order, at most ten, ended by key
// 255; nothing for an empty palette. Rows outside the list are ignored.
std::optional<entry::EnterDrums> drumEntryRequest(const DrumPalette& palette, std::vector<int> selectedRows);

// The test phrase: four one-record groups of the key at the note length (list position), velocity
// 100, gate 64, the drum-set program in the last byte.
std::array<SongRecord, 4> drumTestPhrase(int noteLength, std::uint8_t key, std::uint8_t setProgram);

class RhythmInstrumentSelection {
public:
    // On copies of the song-wide settings (module of byte 9, the set of byte 8) and of `palette`.
    RhythmInstrumentSelection(const SongInfo& settings, const DrumPalette& palette, int tempo);

    std::span<const DrumSet> sets() const { return m_sets.sets(); }
    int selectedSet() const { return m_sets.selectedSet(); }
    // Renames the sound list and the palette list; the palette keeps its keys.
    void chooseSet(int index);
    int module() const;
    int setProgram() const;

    std::span<const DrumSound> sounds() const;
    int selectedSound() const { return m_sound; }
    void selectSound(int index);  // outside the list: none
    const std::vector<std::uint8_t>& entries() const { return m_entries; }
    std::vector<std::string> entryNames() const;
    int selectedEntry() const { return m_entry; }
    void selectEntry(int index);  // outside the list: none

    bool canRegister() const { return m_entries.size() < kDrumPaletteCapacity && m_sound != kNoSelection; }
    bool canRemove() const { return m_entry != kNoSelection; }
    bool canClear() const { return !m_entries.empty(); }
    // "登録": the selected sound before the selected entry, or at the end. The list is refilled
    // with no entry selected.
    void registerSound();
    void removeEntry();   // "削除"
    void clearEntries();  // "全削除"

    int noteLength() const { return m_noteLength; }
    void setNoteLength(int position);
    bool canPlay() const { return !m_playing && m_sound != kNoSelection; }
    bool canStop() const { return m_playing; }
    // "Play": the selected sound four times on MIDI channel 10 with the set's program.
    std::optional<TestPlay> prepareTestPlay();
    void testPlayStarted() { m_playing = true; }
    void testPlayEnded() { m_playing = false; }
    bool isTestPlaying() const { return m_playing; }

    // After OK: the palette with the dialog's set and entries, and the settings copy.
    DrumPalette palette() const;
    SongInfo settings() const { return m_sets.accept().info; }

private:
    DrumSetSelection m_sets;
    int m_paletteModule;
    std::vector<std::uint8_t> m_entries;
    int m_sound = kNoSelection;
    int m_entry = kNoSelection;
    int m_noteLength = kQuarterNoteLength;
    int m_tempo;
    bool m_playing = false;
    std::array<SongRecord, 4> m_phrase{};
};

}  // namespace plume
