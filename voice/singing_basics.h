#pragma once
// "Cantavo-発声基礎" without its window: a note in the user's range is played, the user sings it
// back, and the first note found in a 2.5-second take must be the very same key.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/window_timers.h"
#include "voice/trainer.h"
#include "voice/voice_detector.h"

namespace plume::voice {

// The keyboard picture of notes 24..95: octaves of 56 pixels, white keys 8 pixels wide, black keys
// 6 pixels wide in the band y 21..40. Above the band is the row of marks, which sets no note.
namespace keyboard_picture {
inline constexpr int kLowestKey = 24;
inline constexpr int kHighestKey = 95;
inline constexpr int kOctaveWidth = 56;
inline constexpr int kWhiteWidth = 8;
inline constexpr int kBlackWidth = 6;
inline constexpr int kBlackTop = 21;
inline constexpr int kBlackBottom = 40;
inline constexpr int kWidth = 6 * kOctaveWidth;
// x of the black keys in an octave, for semitones 1, 3, 6, 8, 10.
inline constexpr std::array<int, 5> kBlackOffsets = {5, 13, 29, 37, 45};
inline constexpr std::array<int, 5> kBlackSemitones = {1, 3, 6, 8, 10};
// The note under a click, or nullopt outside the keys.
std::optional<int> noteAt(int x, int y);
}  // namespace keyboard_picture

class SingingBasics final : public PlayReportListener, public platform::TimerTarget, private WaveOwner {
public:
    enum class State { Idle = 0, Playing = 1, Recording = 2 };
    enum class Staff { Empty, Question, QuestionAndSung };
    enum class End { Low, High };
    static constexpr int kSeconds = 3;            // the detector's buffer
    static constexpr double kTakeSeconds = 2.5;
    static constexpr int kRetryTimer = 10;
    static constexpr int kRetryMs = 100;
    static constexpr int kRetryLimitMs = 5000;
    static constexpr const char* kTitle = "Cantavo-発声基礎";

    SingingBasics(CVoiceDetector& detector, TrainerPlayer& player, FeedbackSounds& sounds,
                  platform::WindowTimers& timers, RandomSource random = standardRandom());
    ~SingingBasics() override;

    // "User Data" ("User Data for Transpose"), "low" and "high" ("Cantavo"), each 24..95 or its default.
    void load();
    // OK.
    void save() const;

    // "出題".
    bool ask();
    // The retry timer: tries to open the input and start the take.
    void onTimer(int id) override;
    // Delivers the device's notifications (the dialog's poll timer).
    void service() { m_detector.service(); }

    void playReport(const PlayReport& report) override;

    // A click on the keyboard picture sets the end its selector chose.
    void clickKeyboard(int x, int y);
    void setSelector(End end) { m_selector = end; }
    End selector() const { return m_selector; }
    void setOwnNote(int note) { m_own = note; }

    State state() const { return m_state; }
    Staff staff() const { return m_staff; }
    int question() const { return m_question; }
    // The key sung in the last take; nullopt when none was found.
    std::optional<int> sung() const { return m_sung; }
    int low() const { return m_low; }
    int high() const { return m_high; }
    int ownNote() const { return m_own; }
    const TrainerScore& score() const { return m_score; }
    // Called after every change the dialog shows (state, staff, counters).
    std::function<void()> changed;

private:
    void waveInputDone(std::uint32_t bytesRecorded) override;
    void toIdle();
    void stopRetrying();
    void notify() {
        if (changed) changed();
    }

    CVoiceDetector& m_detector;
    TrainerPlayer& m_player;
    FeedbackSounds& m_sounds;
    platform::WindowTimers& m_timers;
    RandomSource m_random;
    State m_state = State::Idle;
    Staff m_staff = Staff::Empty;
    int m_question = 60;
    std::optional<int> m_sung;
    int m_low = 59, m_high = 72, m_own = 60;
    End m_selector = End::Low;
    bool m_retrying = false;
    int m_retryMs = 0;
    TrainerScore m_score;
    std::array<SongRecord, 1> m_note{};
};

}  // namespace plume::voice
