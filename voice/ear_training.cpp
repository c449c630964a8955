#include "voice/ear_training.h"

#include "platform/message_box.h"

namespace plume::voice {

namespace {

constexpr std::array<int, 7> kWhiteKeys = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<const char*, 12> kNames = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

int pitchClassOf(char letter) {
    switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: return -1;
    }
}

}  // namespace

EarTraining::EarTraining(TrainerPlayer& player, FeedbackSounds& sounds, RandomSource random)
    : m_player(player), m_sounds(sounds), m_random(std::move(random)) {}

bool EarTraining::play(int key) {
    m_note[0] = questionNote(std::uint8_t(key));
    if (!m_player.startPlay(questionPlay(m_note), *this)) return false;
    m_state = State::Playing;
    return true;
}

bool EarTraining::ask() {
    if (m_state != State::Waiting) {
        std::array<int, 3> bases{};
        int ticked = 0;
        for (std::size_t i = 0; i < m_ranges.size(); ++i)
            if (m_ranges[i]) bases[std::size_t(ticked++)] = kOctaveBases[i];
        if (ticked == 0) {
            platform::messageBox().show(kNoRange);
            return false;
        }
        const int pitchClass = m_derived ? m_random() % 12 : kWhiteKeys[std::size_t(m_random() % 7)];
        m_question = pitchClass + bases[std::size_t(m_random() % ticked)];
        m_correctName.clear();
    }
    m_sounds.stop();
    m_sounds.playToEnd(sound::kQuestion);
    return play(m_question);
}

bool EarTraining::hint() { return play(m_question / 12 * 12); }

void EarTraining::pressNote(char letter) {
    if (pitchClassOf(letter) < 0) return;
    m_letter = letter;
    setSharp(m_sharp);
}

void EarTraining::setSharp(bool on) {
    m_sharp = on;
    if (!m_letter) return;
    m_answer = pitchClassOf(m_letter) + (on ? 1 : 0);
    m_answerName = std::string(1, m_letter) + (on ? "#" : "");
}

void EarTraining::decide() {
    m_score.judge(m_answer % 12 == m_question % 12, m_sounds);
    m_correctName = kNames[std::size_t(m_question % 12)];
    m_state = State::NoQuestion;
}

void EarTraining::playReport(const PlayReport& report) {
    if (report.kind != PlayReport::Kind::Ended) return;
    m_player.stopPlay();
    m_state = State::Waiting;
    if (changed) changed();
}

}  // namespace plume::voice
