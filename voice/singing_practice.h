#pragma once
// "Cantavo-発声実践" without its window: the range copied in the score is played while the user
// sings along, each note of the take is measured in the window the player reported for it and
// judged, and the wrongly sung notes of the recording can be pitch-corrected and saved.
//
// The judgement marks are one byte per group of the copied range, sized when the range is taken,
// so every group gets its mark however long the range is and nothing is written past the table.
// A note that starts before capture has begun (the first 150 ms) has its window start at the
// start of the take.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/window_timers.h"
#include "voice/trainer.h"
#include "voice/voice_detector.h"

namespace plume::voice {

struct NoteWindow {
    std::uint32_t start = 0;  // sample positions in the take
    std::uint32_t end = 0;
};

class SingingPractice final : public PlayReportListener, public platform::TimerTarget, private WaveOwner {
public:
    enum class State { Idle = 0, CountIn = 1, Recording = 2, Evaluating = 3, SongAndVoice = 5, VoiceOnly = 6, SongOnly = 7 };
    static constexpr int kSeconds = 17;  // the detector's buffer
    static constexpr double kTakeSeconds = 16.0;
    static constexpr int kCountInTimer = 10, kCountInMs = 500, kCountInTicks = 3;
    static constexpr int kCaptureTimer = 16, kCaptureDelayMs = 150;
    static constexpr int kSpeedLow = 50, kSpeedHigh = 200;
    static constexpr int kSemitoneLow = -5, kSemitoneHigh = 6;
    static constexpr const char* kTitle = "Cantavo-発声実践";
    static constexpr const char* kTooLong = "演奏時間を１６秒以内にして下さい。";
    static constexpr const char* kNoWaveOut = "Wave再生デバイスがオープンできません。";
    static constexpr const char* kNoWavePlay = "Wave再生ができません。";

    SingingPractice(CVoiceDetector& detector, TrainerPlayer& player, FeedbackSounds& sounds,
                    platform::WindowTimers& timers);
    ~SingingPractice() override;

    // The clipboard's records and settings; line breaks become bar lines.
    void open(Records clipboard, const SongInfo& info);

    // --- the bars ------------------------------------------------------------------------------
    // The octave bar's range; 0..0 when the range holds no note.
    int octaveLow() const;
    int octaveHigh() const;
    // A move is refused (false, the bar stays) when a note would leave 24..94.
    bool setOctave(int octave);
    bool setSemitone(int semitone);
    int octave() const { return m_octave; }
    int semitone() const { return m_semitone; }
    int transposition() const { return m_octave * 12 + m_semitone; }
    // 50..200 %, and the tempo it gives: the song's tempo × speed / 100 in integers.
    void setSpeed(int percent);
    int speed() const { return m_speed; }
    int tempo() const;

    // --- the buttons ---------------------------------------------------------------------------
    // "Rec": the count-in, then the song and a 16-second take 150 ms later.
    bool record();
    // "Stop": whatever plays or records.
    void stop();
    // "Play" with "歌のみを再生" ticked or not.
    void play(bool voiceOnly);
    // "音痴救済": every wrongly sung note of the take shifted to the played key; false when nothing was done.
    bool relief();
    bool reliefEnabled() const { return m_reliefAllowed && m_detector.HasRecording() && m_state == State::Idle; }
    // "Save": the take as a WAV file.
    bool save(const std::filesystem::path& path);

    void onTimer(int id) override;
    void playReport(const PlayReport& report) override;
    // Delivers the device's notifications (the dialog's poll timer).
    void service() { m_detector.service(); }

    State state() const { return m_state; }
    // The count shown during the count-in: 3, 2, 1.
    int count() const { return m_count; }
    const std::vector<SongRecord>& source() const { return m_source; }
    const std::vector<SongRecord>& played() const { return m_played; }
    // One record per group of the source: what was sung, in the song's written key.
    const std::vector<SongRecord>& sung() const { return m_sung; }
    // Per group of the played copy: 1 sung right (and every rest), 0 otherwise.
    const std::vector<std::uint8_t>& marks() const { return m_marks; }
    std::span<const NoteWindow> windows() const { return std::span(m_windows).first(m_windowCount); }
    std::size_t groupCount() const { return m_marks.size(); }
    int practices() const { return m_practices; }
    int correct() const { return m_correct; }
    int wrong() const { return m_wrong; }
    std::string rate() const { return rateText(m_correct, m_correct + m_wrong); }
    bool takeUnusable() const { return m_unusable; }
    const SongInfo& info() const { return m_info; }
    // Called after every change the dialog shows.
    std::function<void()> changed;

private:
    void waveInputDone(std::uint32_t bytesRecorded) override;
    void waveOutputDone() override;
    bool transpositionFits(int t) const;
    void buildPlayed();
    bool startSong();
    // Opens the output and plays the take; false after its message.
    bool startVoice();
    void startCapture();
    void evaluate();
    void judge();
    void setState(State state);
    std::uint32_t inputPosition();

    CVoiceDetector& m_detector;
    TrainerPlayer& m_player;
    FeedbackSounds& m_sounds;
    platform::WindowTimers& m_timers;
    SongInfo m_info = SongInfo::defaults();
    std::vector<SongRecord> m_source, m_played, m_sung;
    std::vector<std::uint8_t> m_sungKeys;  // as measured, before the sung copy is lowered by t
    std::vector<std::uint8_t> m_marks;
    std::vector<NoteWindow> m_windows;
    std::size_t m_windowCount = 0;
    int m_sounding = 0;
    bool m_hasNotes = false;
    int m_lowest = 0, m_highest = 0;
    int m_octave = 0, m_semitone = 0, m_speed = 100;
    int m_takeTransposition = 0;  // t of the played copy
    int m_practices = 0, m_correct = 0, m_wrong = 0;
    bool m_unusable = false;
    bool m_capturing = false;
    bool m_reliefAllowed = false;
    int m_count = 0;
    State m_state = State::Idle;
};

}  // namespace plume::voice
