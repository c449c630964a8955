#pragma once
// The built-in instrument tables of GM, SC-55, SC-88 and SC-88Pro: tones with their variations,
// drum sets and drum-sound names. Every name is ASCII, at most 24 characters, and lives as long
// as the program; a lookup that finds nothing gives an empty name.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "song/song_record.h"

namespace plume {

// Sound-module numbers, as stored in SongInfo bytes 6 and 9 and in program records.
namespace sound_module {
inline constexpr int kGm = 0;
inline constexpr int kSc55 = 1;
inline constexpr int kSc88 = 2;
inline constexpr int kSc88Pro = 3;
inline constexpr int kCount = 4;
}  // namespace sound_module

inline constexpr int kFamilyCount = 16;  // the family of a program is program / 8

inline constexpr std::array<std::string_view, kFamilyCount> kFamilyNames = {
    "Piano", "Chromatic Percussion", "Organ", "Guitar", "Bass", "Strings", "Ensemble", "Brass",
    "Reed", "Pipe", "Synth Lead", "Synth Pad", "Synth Effects", "Ethnic", "Percussive", "Sound Effects",
};

struct ToneEntry {
    std::uint8_t program;
    std::uint8_t bank;  // the variation number; always 0 in the GM table
    std::string_view name;
};

struct DrumSound {
    std::uint8_t key;
    std::string_view name;
};

struct DrumSet {
    std::uint8_t program;  // selects the set on the rhythm channel
    std::string_view name;
    std::span<const DrumSound> sounds;  // in key order
};

bool isKnownModule(int module);
std::string_view familyName(int family);

// The tones of one family in program and bank order (GM: its eight programs); empty for an
// unknown module or family.
std::span<const ToneEntry> familyTones(int module, int family);
int familyEntryCount(int module, int family);
std::string_view toneNameAt(int module, int family, int index);
// GM gives (0, 0, program); a module table gives (module, the entry's bank, the entry's program).
// A position outside the family gives the module with bank and program 0.
Tone toneAt(int module, int family, int index);

struct ToneMatch {
    std::string_view name;
    int index = -1;  // position within the family of program / 8
};
// GM ignores the bank; the GS modules need the exact variation, so bank 1 of a program that has
// no variation 1 is not found rather than falling back to the bank-0 tone.
ToneMatch findTone(int module, int bank, int program);
std::string_view toneName(int module, int bank, int program);

std::span<const DrumSet> drumSets(int module);
int drumSetCount(int module);
std::string_view drumSetNameAt(int module, int index);
// GM has one set and gives 0 for every program; otherwise the first set with that program or -1.
int drumSetIndex(int module, int program);
std::string_view drumSetName(int module, int program);
// The sounds of the set that `setProgram` selects; on GM the set program is ignored, as above.
std::span<const DrumSound> drumSounds(int module, int setProgram);
std::string_view drumSoundName(int module, int setProgram, int key);

// The initial instrument's name: the tone of bytes 6-8 in a melody song, the drum set of byte 8 on
// the module of byte 9 in a rhythm song; "---" when that module is not one of the four.
std::string instrumentTitle(const SongInfo& info);
// "name - instrument", with "Untitled" for an empty name.
std::string documentTitle(std::string_view name, const SongInfo& info);

}  // namespace plume
