#pragma once
// The rules of the melody-instrument dialog ("メロディー楽器の選択") and the drum-set dialog
// ("ドラムセット"), apart from the windows: what is listed, selected and enabled, and the result.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "play/instrument_tables.h"
#include "song/song_record.h"

namespace plume {

inline constexpr int kNoSelection = -1;

// The test play's note-length list; an entry's record type is its position + 1.
inline constexpr std::array<std::string_view, 6> kTestNoteLengthNames = {
    "　　全音符", "　２分音符", "　４分音符", "　８分音符", "１６分音符", "３２分音符",
};
inline constexpr int kQuarterNoteLength = 2;
inline constexpr int kOctaveShiftMin = -3;
inline constexpr int kOctaveShiftMax = 3;

using TestScale = std::array<SongRecord, 8>;

// The C major scale from key 60 + 12 × octaveShift as eight one-record groups: velocity 100,
// delay 0, gate 75, no tie or tuplet, `program` as the program in force.
TestScale testScale(int noteLength, int octaveShift, std::uint8_t program);

// The family the melody dialog opens on: program / 8, "Piano" for a program of 128 or more.
int openingFamily(int program);

// What the sequencer needs to play a test: one unmuted channel playing `records` from their
// first record, with `tone` as its initial program, at `tempo`.
struct TestPlay {
    std::span<const SongRecord> records;  // owned by the dialog logic, unchanged until the next test
    std::uint8_t midiChannel = 0;
    Tone tone;
    int tempo = 120;
};

class MelodyInstrumentSelection {
public:
    // Opens on the family of the current program with the current tone selected when that family
    // lists it.
    MelodyInstrumentSelection(Tone current, int tempo);

    int module() const { return m_current.module; }
    int family() const { return m_family; }
    std::span<const ToneEntry> tones() const { return familyTones(m_current.module, m_family); }
    int selectedTone() const { return m_selected; }
    // A family button: lists that family's tones with none selected.
    void chooseFamily(int family);
    // A position outside the list clears the selection.
    void selectTone(int index);

    int noteLength() const { return m_noteLength; }
    void setNoteLength(int position);
    int octaveShift() const { return m_octaveShift; }
    void setOctaveShift(int shift);  // kept within -3..3
    bool removeChecked() const { return m_remove; }
    void setRemoveChecked(bool checked) { m_remove = checked; }

    // The selected tone; with no selection the family's first entry, with an empty list the
    // tone the dialog was opened on.
    Tone chosenTone() const;

    // "Play": the test of the chosen tone on MIDI channel 0, or nothing while a test plays.
    std::optional<TestPlay> prepareTestPlay();
    // The sequencer opened the test (OK, "ｷｬﾝｾﾙ" and "Play" disabled, "Stop" enabled) ...
    void testPlayStarted() { m_playing = true; }
    // ... and "Stop" or the end of the play restores them.
    void testPlayEnded() { m_playing = false; }
    bool isTestPlaying() const { return m_playing; }
    bool canPlay() const { return !m_playing; }
    bool canStop() const { return m_playing; }
    bool canClose() const { return !m_playing; }

    struct Result {
        Tone tone;
        bool remove = false;
    };
    Result accept() const { return {chosenTone(), m_remove}; }

private:
    Tone m_current;
    int m_tempo;
    int m_family = 0;
    int m_selected = kNoSelection;
    int m_noteLength = kQuarterNoteLength;
    int m_octaveShift = 0;
    bool m_remove = false;
    bool m_playing = false;
    TestScale m_scale{};
};

class DrumSetSelection {
public:
    // Works on a copy of `info`: the sets of the module of byte 9, the set of byte 8 selected, the
    // first set when byte 8 selects none.
    explicit DrumSetSelection(const SongInfo& info);

    std::span<const DrumSet> sets() const { return drumSets(m_info.soundModule()); }
    int selectedSet() const { return m_selected; }
    // Choosing a set writes its program into byte 8 (GM: clears byte 7 instead).
    void chooseSet(int index);
    bool removeChecked() const { return m_remove; }
    void setRemoveChecked(bool checked) { m_remove = checked; }

    struct Result {
        SongInfo info;
        bool remove = false;
    };
    Result accept() const { return {m_info, m_remove}; }

private:
    SongInfo m_info;
    int m_selected = kNoSelection;
    bool m_remove = false;
};

}  // namespace plume
