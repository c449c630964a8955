#pragma once
// What the three singing-trainer dialogs share: the score they keep, the one-note question song,
// and the player they play through.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "play/instrument_selection.h"
#include "play/play_report.h"
#include "song/song_record.h"
#include "voice/feedback_sound.h"

namespace plume::voice {

namespace trainer {
inline constexpr const char* kNoMemory = "メモリ不足で起動できません。";
inline constexpr const char* kNoMidi = "MIDI演奏が出来ません。";
}  // namespace trainer

// "%d%%": correct × 100 / attempts in integers; "0%" before the first attempt.
std::string rateText(int correct, int attempts);

// Attempts, correct answers and the run of wrong answers of the question dialogs.
struct TrainerScore {
    int attempts = 0;
    int correct = 0;
    int run = 0;

    // Counts one answer with "pinpon.wav" or "buu.wav"; the third wrong answer in a row adds
    // "ganba.wav" and the run starts again.
    void judge(bool right, FeedbackSounds& sounds);
    std::string rate() const { return rateText(correct, attempts); }
};

// The question: one half note of `key`, velocity 127, delay 0, gate 100.
SongRecord questionNote(std::uint8_t key);

// The frame's player as the trainers use it: one channel of records at a tempo, its reports (the
// end, and every note's start and end) delivered to `listener` on the user-interface thread.
class TrainerPlayer {
public:
    virtual ~TrainerPlayer() = default;
    // False when playback cannot start; the records must stay unchanged until the play ends.
    virtual bool startPlay(const TestPlay& play, PlayReportListener& listener) = 0;
    virtual void stopPlay() = 0;
};

// The question note played on channel 0 at tempo 120.
TestPlay questionPlay(const std::array<SongRecord, 1>& note);

// The pseudo-random numbers the dialogs draw from (rand() by default, seeded by the caller).
using RandomSource = std::function<int()>;
RandomSource standardRandom();

}  // namespace plume::voice
