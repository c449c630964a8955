#pragma once
// Songs for the performer and exporter tests: curve pieces and long varied songs.

#include <array>
#include <cstdint>
#include <vector>

#include "song/song_record.h"

namespace plume::test {

// The three records of a curve piece; `base` is kind::kVolumeCurve, kModulationCurve or kPitchBendCurve.
std::array<SongRecord, 3> curvePiece(std::uint8_t base, std::uint8_t function, std::uint8_t intervalMs,
                                     std::int32_t startMs, std::int16_t c, std::int16_t amplitude, float a,
                                     float b = 0);

// A note record with its delay, gate and velocity.
SongRecord playedNote(std::uint8_t type, std::uint8_t key, std::uint8_t delay, std::uint8_t gate,
                      std::uint8_t marks = 0, std::uint8_t dots = 0);

// A reproducible song of about `groups` groups: notes of every length, dots, chords of up to four,
// rests, tie chains, triplets and quintuplets, delays and gates, effect values, tempo changes, curve
// pieces of every function and interval, bar lines, and time and key changes.
std::vector<SongRecord> variedSong(std::uint32_t seed, std::size_t groups, bool rhythm = false);

}  // namespace plume::test
