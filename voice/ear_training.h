#pragma once
// "Cantavo-聴音" without its window: a note is played and the user names it. Only pitch classes
// are compared, so "E#" answers F and "B#" answers C.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "voice/trainer.h"

namespace plume::voice {

class EarTraining final : public PlayReportListener {
public:
    enum class State { NoQuestion = 0, Playing = 1, Waiting = 2 };
    // The range boxes "1ｵｸﾀｰﾌﾞ上", "Middle C", "1ｵｸﾀｰﾌﾞ下" and the octave each stands for.
    static constexpr std::array<int, 3> kOctaveBases = {72, 60, 48};
    static constexpr const char* kNoRange = "音域を指定して下さい。";
    static constexpr const char* kTitle = "Cantavo-聴音";

    EarTraining(TrainerPlayer& player, FeedbackSounds& sounds, RandomSource random = standardRandom());

    void setRange(std::size_t box, bool ticked) { m_ranges.at(box) = ticked; }
    bool range(std::size_t box) const { return m_ranges.at(box); }
    // "派生音": black keys may be asked; it also enables "#".
    void setDerived(bool on) { m_derived = on; }
    bool derived() const { return m_derived; }

    // "出題": the same question again while it waits for an answer, else a new one; false when
    // nothing plays ("音域を指定して下さい。" without a range).
    bool ask();
    // "ヒント": the C of the question's octave.
    bool hint();
    // A note button 'C'..'B': the answer is its pitch class, plus 1 while "#" is ticked.
    void pressNote(char letter);
    void setSharp(bool on);
    bool sharp() const { return m_sharp; }
    // "決定": judges, shows the question's name and waits for the next "出題".
    void decide();

    void playReport(const PlayReport& report) override;

    State state() const { return m_state; }
    int question() const { return m_question; }
    int answer() const { return m_answer; }
    // "C", "C#", .. "E#", "B#": the answer as the buttons spelled it; empty before a button.
    const std::string& answerName() const { return m_answerName; }
    // The question's name, shown after "決定"; empty before.
    const std::string& correctName() const { return m_correctName; }
    const TrainerScore& score() const { return m_score; }
    // "出題" and OK are enabled unless a note plays; the other buttons only while it waits.
    bool askEnabled() const { return m_state != State::Playing; }
    bool answerEnabled() const { return m_state == State::Waiting; }
    bool sharpEnabled() const { return answerEnabled() && m_derived; }
    // Called when a play has ended and the dialog waits for the answer.
    std::function<void()> changed;

private:
    bool play(int key);

    TrainerPlayer& m_player;
    FeedbackSounds& m_sounds;
    RandomSource m_random;
    std::array<bool, 3> m_ranges = {false, true, false};
    bool m_derived = false;
    bool m_sharp = false;
    char m_letter = 0;
    State m_state = State::NoQuestion;
    int m_question = 60;
    int m_answer = 0;
    std::string m_answerName;
    std::string m_correctName;
    TrainerScore m_score;
    std::array<SongRecord, 1> m_note{};
};

}  // namespace plume::voice
