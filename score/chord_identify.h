#pragma once
// Chord identification: the chords a selected range can belong to, in three ranked lists, and the
// audition buffer that sounds the range re-voiced as one of them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "song/song_record.h"

namespace plume {

struct RecordRange;

inline constexpr std::size_t kCandidateQualityCount = 15;
inline constexpr int kNoTone = -1;

// A quality: its display suffix and its tones as the chord built on C4, ended by kNoTone.
struct ChordQuality {
    const char* suffix;
    std::array<int, 4> tones;

    int toneCount() const;
};

const std::array<ChordQuality, kCandidateQualityCount>& chordQualities();
// The seven pitch classes tried as roots in a key (0 none, 1-7 sharps, 8-14 flats), in order.
const std::array<int, 7>& candidateRoots(std::uint8_t keySignature);
// "C".."B" spelled with sharps below key 8, with flats from key 8 on.
const char* rootName(int pitchClass, std::uint8_t keySignature);
std::string chordName(int root, int quality, std::uint8_t keySignature);

// The selection as its first and last group, the record indices the dialog works on.
struct ChordRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

// The groups of a view's range [from, to); nullopt for an empty range.
std::optional<ChordRange> chordRangeOf(Records song, const RecordRange& range);
// Records from the first group through the whole last group.
std::size_t rangeRecordCount(Records song, ChordRange range);
// Bit n set when a note record (types 1-6) of the range has a key of pitch class n.
std::uint16_t pitchClassSet(Records song, ChordRange range);
bool rangeHasNote(Records song, ChordRange range);

// "コード判別" is offered for a range of a melody song holding a note, while nothing else plays.
bool canIdentifyChords(Records song, const RecordRange& range, const SongInfo& info, bool busy);

struct ChordCandidates {
    std::vector<std::string> first;   // four-tone chords with every tone present
    std::vector<std::string> second;  // at least two tones present
    std::vector<std::string> third;   // at least one tone present
};

// Qualities in index order, roots in the key's order; each name in the best list it reaches.
ChordCandidates identifyChords(std::uint16_t pitchClasses, std::uint8_t keySignature);

struct ParsedChord {
    int root = 0;
    int quality = 0;
};

// A listed name back into root and quality; nullopt when the root or the suffix is unknown.
std::optional<ParsedChord> parseChordName(std::string_view name, std::uint8_t keySignature);

// The dialog's audition buffer: room for four records per record of the range and an end record,
// taken once when the dialog opens. Allocation may fail; the dialog then cannot audition chords.
class ChordAudition {
public:
    ChordAudition(Records song, ChordRange range);

    bool allocated() const { return m_buffer != nullptr; }
    std::size_t capacity() const { return m_capacity; }
    // Walks the range group by group: a note group becomes the chord's tones from C4 up (gate 100,
    // the given velocity), any other group its first record alone; an end record follows.
    // The number of records written before the end record, or 0 when there is no buffer.
    std::size_t build(ParsedChord chord, std::uint8_t velocity);
    // The records written by the last build, without the end record.
    Records played() const;
    // The end record included.
    Records written() const;

private:
    Records m_song;
    ChordRange m_range;
    std::size_t m_capacity = 0;
    std::unique_ptr<SongRecord[]> m_buffer;
    std::size_t m_count = 0;
};

// What one audition asks the player to fill: the channel entries of the playing state by index.
struct AuditionChannel {
    std::size_t index = 0;  // ChannelState entry; also its MIDI channel
    Records track;          // the records from their first, for the chase of effects
    std::size_t start = 0;
    std::size_t count = 0;
    bool melodic = true;
    std::uint8_t module = 0;
    std::uint8_t bank = 0;
    std::uint8_t program = 0;
};

struct AuditionPlay {
    std::vector<AuditionChannel> channels;
    int tempo = 120;
};

inline constexpr std::uint8_t kAuditionProgram = 50;
inline constexpr std::size_t kRhythmChannelIndex = 9;
inline constexpr std::uint8_t kAuditionVelocity = 100;

// The range as written on channel 0 and the chord buffer on channel 1.
AuditionPlay chordAuditionPlay(Records song, const SongInfo& info, ChordRange range, Records chord);
// "PLAY": the range as written alone, on channel 0, or on the rhythm channel for a rhythm song.
AuditionPlay rangeAuditionPlay(Records song, const SongInfo& info, ChordRange range);

}  // namespace plume
