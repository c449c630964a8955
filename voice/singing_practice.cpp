#include "voice/singing_practice.h"

#include <algorithm>
#include <cmath>

#include "platform/message_box.h"
#include "voice/pitch_shift.h"

namespace plume::voice {

namespace {

constexpr int kLowestKey = 24;
constexpr int kHighestKey = 95;
constexpr std::uint8_t kRhythmChannel = 9;

void show(std::string_view message) { platform::messageBox().show(std::string(message)); }

}  // namespace

SingingPractice::SingingPractice(CVoiceDetector& detector, TrainerPlayer& player, FeedbackSounds& sounds,
                                 platform::WindowTimers& timers)
    : m_detector(detector), m_player(player), m_sounds(sounds), m_timers(timers) {}

SingingPractice::~SingingPractice() {
    m_timers.killTimer(*this, kCountInTimer);
    m_timers.killTimer(*this, kCaptureTimer);
    if (m_state != State::Idle) {
        m_player.stopPlay();
        m_detector.StopRecording();
        m_detector.CloseInput();
        m_detector.ResetOutput();
        m_detector.CloseOutput();
    }
}

void SingingPractice::open(Records clipboard, const SongInfo& info) {
    m_info = info;
    m_source.assign(clipboard.begin(), clipboard.end());
    m_hasNotes = false;
    m_lowest = kHighestKey;
    m_highest = 0;
    std::size_t groups = 0;
    for (SongRecord& r : m_source) {
        if (r.groupSize() != 0) ++groups;
        if (r.type() == type::kLineBreak) r.setType(type::kBarLine);
        if (!r.isNote()) continue;
        m_hasNotes = true;
        m_lowest = std::min<int>(m_lowest, r.key());
        m_highest = std::max<int>(m_highest, r.key());
    }
    m_marks.assign(groups, 0);
    m_windows.assign(m_source.size(), {});
    m_windowCount = 0;
    m_octave = m_semitone = 0;
    buildPlayed();
}

int SingingPractice::octaveLow() const { return m_hasNotes ? -(m_lowest - kLowestKey) / 12 : 0; }
int SingingPractice::octaveHigh() const { return m_hasNotes ? (kHighestKey - m_highest) / 12 : 0; }

bool SingingPractice::transpositionFits(int t) const {
    if (!m_hasNotes) return t == 0;
    return m_lowest + t > kLowestKey - 1 && m_highest + t < kHighestKey;
}

bool SingingPractice::setOctave(int octave) {
    if (!transpositionFits(octave * 12 + m_semitone)) return false;
    m_octave = octave;
    return true;
}

bool SingingPractice::setSemitone(int semitone) {
    if (semitone < kSemitoneLow || semitone > kSemitoneHigh || !transpositionFits(m_octave * 12 + semitone))
        return false;
    m_semitone = semitone;
    return true;
}

void SingingPractice::setSpeed(int percent) { m_speed = std::clamp(percent, kSpeedLow, kSpeedHigh); }

int SingingPractice::tempo() const { return m_info.tempo() * m_speed / 100; }

void SingingPractice::buildPlayed() {
    m_takeTransposition = transposition();
    m_played = m_source;
    for (SongRecord& r : m_played)
        if (r.isNote()) r.setKey(std::uint8_t(r.key() + m_takeTransposition));
}

void SingingPractice::setState(State state) {
    m_state = state;
    if (changed) changed();
}

bool SingingPractice::startSong() {
    TestPlay play;
    play.records = m_played;
    play.midiChannel = m_info.isRhythm() ? kRhythmChannel : 0;
    play.tone = {m_info.initialModule(), m_info.initialBank(), m_info.initialProgram()};
    play.tempo = tempo();
    if (m_played.empty() || !m_player.startPlay(play, *this)) {
        show(trainer::kNoMidi);
        return false;
    }
    return true;
}

bool SingingPractice::record() {
    if (m_state != State::Idle) return false;
    m_unusable = false;
    m_count = kCountInTicks;
    m_sounds.start(sound::kStick);
    m_timers.setTimer(*this, kCountInTimer, kCountInMs);
    setState(State::CountIn);
    return true;
}

void SingingPractice::onTimer(int id) {
    if (id == kCountInTimer) {
        if (m_state != State::CountIn) return m_timers.killTimer(*this, kCountInTimer);
        if (--m_count > 0) {
            m_sounds.start(sound::kStick);
            if (changed) changed();
            return;
        }
        m_timers.killTimer(*this, kCountInTimer);
        buildPlayed();
        m_windowCount = 0;
        m_sounding = 0;
        if (!startSong()) {
            m_unusable = true;
            return setState(State::Idle);
        }
        m_timers.setTimer(*this, kCaptureTimer, kCaptureDelayMs);
        setState(State::Recording);
    } else if (id == kCaptureTimer) {
        m_timers.killTimer(*this, kCaptureTimer);
        if (m_state == State::Recording) startCapture();
    }
}

void SingingPractice::startCapture() {
    std::fill(m_windows.begin(), m_windows.end(), NoteWindow{});
    m_windowCount = 0;
    m_sounds.stop();
    const int opened = m_detector.OpenInput(this);
    bool started = reportOpening(m_detector.IsReady(), opened);
    if (started) {
        if (const int result = m_detector.StartRecording(kTakeSeconds); result != 0) {
            if (const auto message = startMessage(result)) show(*message);
            m_detector.CloseInput();
            started = false;
        }
    }
    m_capturing = started;
    if (!started) {
        m_player.stopPlay();
        m_unusable = true;
        setState(State::Idle);
    }
}

std::uint32_t SingingPractice::inputPosition() {
    const std::uint32_t position = m_detector.GetInputPosition();
    return position == kNoPosition ? 0 : position;
}

void SingingPractice::playReport(const PlayReport& report) {
    switch (report.kind) {
    case PlayReport::Kind::NoteStart:
        // A chord's notes share one window: it opens with the first and closes with the last.
        if (report.channel == 0 && m_state == State::Recording && m_sounding++ == 0 && m_windowCount < m_windows.size())
            m_windows[m_windowCount].start = inputPosition();
        return;
    case PlayReport::Kind::NoteEnd:
        if (report.channel != 0 || m_state != State::Recording || m_sounding == 0) return;
        if (--m_sounding == 0 && m_windowCount < m_windows.size()) m_windows[m_windowCount++].end = inputPosition();
        return;
    case PlayReport::Kind::Ended: break;
    default: return;
    }
    m_player.stopPlay();
    switch (m_state) {
    case State::Recording:
        m_detector.StopRecording();
        setState(State::Evaluating);
        break;
    case State::SongAndVoice:
        m_detector.ResetOutput();
        setState(State::VoiceOnly);
        break;
    case State::SongOnly: setState(State::Idle); break;
    default: break;
    }
}

void SingingPractice::waveInputDone(std::uint32_t bytesRecorded) {
    m_capturing = false;
    m_detector.CloseInput();
    if (m_state == State::Recording) {
        // The buffer filled while the song still played.
        m_player.stopPlay();
        m_detector.DiscardData();
        m_unusable = true;
        setState(State::Idle);
        show(kTooLong);
        return;
    }
    if (m_state != State::Evaluating) return;
    m_player.stopPlay();
    m_detector.SetDataLength(bytesRecorded);
    if (!m_unusable) {
        evaluate();
        judge();
    }
    setState(State::Idle);
}

void SingingPractice::evaluate() {
    m_sung.clear();
    m_sungKeys.clear();
    std::size_t k = 0;
    for (std::size_t r = 0; r < m_source.size(); r = nextGroup(m_source, r)) {
        SongRecord sung = m_source[r];
        sung.setGroupSize(1);
        std::uint8_t measured = 0;
        if (sung.isNote()) {
            if (k < m_windowCount) {
                int frequency = 0;
                measured = m_detector.MeasureRange(m_windows[k].start, m_windows[k].end, frequency);
            }
            if (measured == 0) {
                sung.setType(std::uint8_t(sung.type() + 6));
            } else {
                sung.setKey(measured);
            }
            ++k;
        }
        m_sung.push_back(sung);
        m_sungKeys.push_back(measured);
    }
}

void SingingPractice::judge() {
    ++m_practices;
    std::size_t g = 0;
    for (std::size_t r = 0; r < m_played.size() && g < m_marks.size() && g < m_sung.size(); r = nextGroup(m_played, r), ++g) {
        const SongRecord& played = m_played[r];
        SongRecord& sung = m_sung[g];
        if (played.isRest()) {
            m_marks[g] = 1;
        } else if (!played.isNote()) {
            m_marks[g] = 0;
        } else {
            const bool right = sung.isNote() && sung.key() == played.key();
            m_marks[g] = right ? 1 : 0;
            ++(right ? m_correct : m_wrong);
            if (sung.isNote()) sung.setKey(std::uint8_t(sung.key() - m_takeTransposition));
        }
    }
    m_reliefAllowed = m_correct + m_wrong == 0 || m_correct * 100 / (m_correct + m_wrong) != 100;
}

void SingingPractice::play(bool voiceOnly) {
    if (m_state != State::Idle) return;
    const bool usable = m_detector.HasRecording() && !m_unusable && m_detector.GetSampleCount() > 0;
    if (voiceOnly) {
        if (m_detector.HasRecording() && m_detector.GetSampleCount() > 0 && startVoice()) setState(State::VoiceOnly);
        return;
    }
    if (!usable) {
        buildPlayed();
        if (startSong()) setState(State::SongOnly);
        return;
    }
    if (!startSong()) return;
    if (!startVoice()) {
        m_player.stopPlay();
        return;
    }
    setState(State::SongAndVoice);
}

bool SingingPractice::startVoice() {
    m_sounds.stop();
    if (m_detector.OpenOutput(this) != mm::kNoError) {
        show(kNoWaveOut);
        return false;
    }
    if (!m_detector.PlayAll()) {
        m_detector.CloseOutput();
        show(kNoWavePlay);
        m_unusable = true;
        setState(State::Idle);
        return false;
    }
    return true;
}

void SingingPractice::waveOutputDone() {
    m_detector.CloseOutput();
    if (m_state == State::SongAndVoice) setState(State::SongOnly);
    else if (m_state == State::VoiceOnly) setState(State::Idle);
}

void SingingPractice::stop() {
    switch (m_state) {
    case State::CountIn:
        m_timers.killTimer(*this, kCountInTimer);
        m_sounds.stop();
        m_unusable = true;
        setState(State::Idle);
        break;
    case State::Recording:
        m_timers.killTimer(*this, kCaptureTimer);
        m_player.stopPlay();
        m_unusable = true;
        m_detector.StopRecording();
        // A take that never started has no buffer to come back.
        setState(m_capturing ? State::Evaluating : State::Idle);
        break;
    case State::SongAndVoice:
        m_player.stopPlay();
        m_detector.ResetOutput();
        setState(State::VoiceOnly);
        break;
    case State::VoiceOnly: m_detector.ResetOutput(); break;
    case State::SongOnly:
        m_player.stopPlay();
        setState(State::Idle);
        break;
    default: break;
    }
}

bool SingingPractice::relief() {
    if (!reliefEnabled() || m_windowCount == 0) return false;
    std::span<std::int16_t> take = m_detector.GetBufferHandle().first(m_detector.GetSampleCount());
    bool shifted = false;
    std::size_t j = 0, g = 0;
    for (std::size_t r = 0; r < m_played.size() && g < m_sung.size(); r = nextGroup(m_played, r), ++g) {
        if (!m_played[r].isNote()) continue;
        const std::size_t window = j++;
        const int played = m_played[r].key();
        const int sung = m_sungKeys[g];
        if (!m_sung[g].isNote() || sung == 0 || sung == played || window >= m_windowCount) continue;
        const std::uint32_t from = m_windows[window].start;
        const std::uint32_t to = window + 1 < m_windowCount ? m_windows[window + 1].start : m_windows[window].end;
        if (to <= from || from >= take.size()) continue;
        pitchShift(take.subspan(from, std::min<std::size_t>(to, take.size()) - from),
                   std::pow(2.0, double(played - sung) / 12.0));
        shifted = true;
    }
    if (changed) changed();
    return shifted;
}

bool SingingPractice::save(const std::filesystem::path& path) { return writeWavFile(path, m_detector); }

}  // namespace plume::voice
