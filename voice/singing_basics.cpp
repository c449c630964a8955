#include "voice/singing_basics.h"

#include <utility>

#include "platform/message_box.h"
#include "platform/profile.h"

namespace plume::voice {

namespace {

constexpr std::array<int, 7> kWhiteSemitones = {0, 2, 4, 5, 7, 9, 11};

int noteSetting(const char* section, const char* key, int fallback) {
    const int value = platform::plmProfile().getInt(section, key, fallback);
    return value >= keyboard_picture::kLowestKey && value <= keyboard_picture::kHighestKey ? value : fallback;
}

}  // namespace

std::optional<int> keyboard_picture::noteAt(int x, int y) {
    if (x < 0 || x >= kWidth || y < kBlackTop) return std::nullopt;
    const int octaveBase = (x / kOctaveWidth + 2) * 12;
    const int inOctave = x % kOctaveWidth;
    if (y <= kBlackBottom) {
        for (std::size_t i = 0; i < kBlackOffsets.size(); ++i)
            if (inOctave >= kBlackOffsets[i] && inOctave < kBlackOffsets[i] + kBlackWidth)
                return octaveBase + kBlackSemitones[i];
    }
    return octaveBase + kWhiteSemitones[std::size_t(inOctave / kWhiteWidth)];
}

SingingBasics::SingingBasics(CVoiceDetector& detector, TrainerPlayer& player, FeedbackSounds& sounds,
                             platform::WindowTimers& timers, RandomSource random)
    : m_detector(detector), m_player(player), m_sounds(sounds), m_timers(timers), m_random(std::move(random)) {}

SingingBasics::~SingingBasics() {
    stopRetrying();
    if (m_state == State::Playing) m_player.stopPlay();
    if (m_state == State::Recording) {
        m_detector.StopRecording();
        m_detector.CloseInput();
    }
}

void SingingBasics::load() {
    m_own = noteSetting("User Data for Transpose", "User Data", 60);
    m_low = noteSetting("Cantavo", "low", 59);
    m_high = noteSetting("Cantavo", "high", 72);
}

void SingingBasics::save() const {
    platform::Profile& profile = platform::plmProfile();
    profile.writeInt("User Data for Transpose", "User Data", m_own);
    profile.writeInt("Cantavo", "low", m_low);
    profile.writeInt("Cantavo", "high", m_high);
}

bool SingingBasics::ask() {
    if (m_state != State::Idle) return false;
    if (m_high < m_low) std::swap(m_low, m_high);
    m_question = m_low + m_random() % (m_high - m_low + 1);
    m_sounds.stop();
    m_sounds.playToEnd(sound::kQuestion);
    m_note[0] = questionNote(std::uint8_t(m_question));
    const bool started = m_player.startPlay(questionPlay(m_note), *this);
    if (started) {
        m_state = State::Playing;
        m_staff = Staff::Question;
        m_sung.reset();
    }
    notify();
    return started;
}

void SingingBasics::playReport(const PlayReport& report) {
    if (report.kind != PlayReport::Kind::Ended || m_state != State::Playing) return;
    m_player.stopPlay();
    // Some cards cannot record while their synthesiser still sounds: the take starts once the input opens.
    m_retrying = true;
    m_retryMs = 0;
    m_timers.setTimer(*this, kRetryTimer, kRetryMs);
    notify();
}

void SingingBasics::stopRetrying() {
    if (m_retrying) m_timers.killTimer(*this, kRetryTimer);
    m_retrying = false;
}

void SingingBasics::onTimer(int id) {
    if (id != kRetryTimer || !m_retrying) return;
    m_retryMs += kRetryMs;
    m_sounds.stop();
    const int opened = m_detector.OpenInput(this);
    if (opened == mm::kAllocated && m_detector.IsReady()) {
        if (m_retryMs > kRetryLimitMs) {
            stopRetrying();
            reportOpening(true, opened);
            toIdle();
        }
        return;
    }
    stopRetrying();
    if (!reportOpening(m_detector.IsReady(), opened)) {
        toIdle();
        return;
    }
    if (const int started = m_detector.StartRecording(kTakeSeconds); started != 0) {
        if (const auto message = startMessage(started)) platform::messageBox().show(std::string(*message));
        m_detector.CloseInput();
        toIdle();
        return;
    }
    m_state = State::Recording;
    notify();
}

void SingingBasics::waveInputDone(std::uint32_t bytesRecorded) {
    if (m_state != State::Recording) return;
    m_detector.CloseInput();
    m_detector.SetDataLength(bytesRecorded);
    const int found = m_detector.Analyse(120, m_detector.GetSampleCount(), 1);
    if (found > 0) {
        m_sung = m_detector.GetSegments()[0].note;
    } else {
        m_sung.reset();
    }
    m_staff = Staff::QuestionAndSung;
    m_state = State::Idle;
    m_score.judge(m_sung == m_question, m_sounds);
    notify();
}

void SingingBasics::toIdle() {
    m_state = State::Idle;
    notify();
}

void SingingBasics::clickKeyboard(int x, int y) {
    const auto note = keyboard_picture::noteAt(x, y);
    if (!note) return;
    (m_selector == End::Low ? m_low : m_high) = *note;
    notify();
}

}  // namespace plume::voice
