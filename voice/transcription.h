#pragma once
// From detected notes to song records: the hum-to-score window's note list, its semitone shifts,
// and a whole take transcribed in one pass.

#include <cstdint>
#include <span>
#include <vector>

#include "song/song_record.h"
#include "voice/voice_detector.h"

namespace plume::voice {

inline constexpr std::size_t kNoteListCapacity = 200;  // records
inline constexpr std::uint8_t kRhythmKey = 38;

// "Distination" − "User Data" of "User Data for Transpose" in plm.ini (both 60 by default).
int enrolledTransposition();
void enrolVoice(int measuredNote, int destinationNote);

// One one-record note group per segment: length code and dots, the note shifted by `transpose`
// (8-bit), velocity 100, delay 0, gate 75, the song's program; key 38 for a rhythm song.
std::vector<SongRecord> notesFromSegments(std::span<const NoteSegment> segments, const SongInfo& info, int transpose);

// Semitone shifts of every note record: refused (false, nothing changed) when a note would pass
// key 24 going down or key 95 going up, or when the list holds no note.
bool canShiftDown(std::span<const SongRecord> notes);
bool canShiftUp(std::span<const SongRecord> notes);
bool shiftSemitone(std::span<SongRecord> notes, int step);

// The window's take-complete path over a whole take: the take recorded through the WAV-file
// device, then one final Analyse(tempo, samples, 1). A take longer than 60 s is cut.
struct Transcription {
    std::vector<NoteSegment> segments;  // the analysed ones
    std::uint32_t samples = 0;
};
Transcription transcribeTake(std::span<const std::int16_t> take, std::uint16_t tempo, const DetectParameters& parameters);

}  // namespace plume::voice
