#include "play/mixer_state.h"

#include <algorithm>
#include <system_error>

#include "play/instrument_tables.h"
#include "song/project.h"
#include "song/song_file.h"

namespace plume {

// --- layout ----------------------------------------------------------------------------------------

namespace mixer_layout {
namespace {
constexpr int kPanTop = 88;
constexpr int kSliderRowStep = 12;
constexpr int kSliderHeight = 10;
constexpr int kSoloTop = 126;
constexpr int kMuteTop = 140;
constexpr int kButtonHeight = 12;
constexpr int kFaderTop = 156;
constexpr int kSpinnerColumn = 31;
constexpr int kSpinnerWidth = 9;
constexpr int kArrowHeight = 7;

int clampValue(int v) { return std::clamp(v, 0, 127); }
}  // namespace

int faderValue(int offset) { return clampValue(offset * 127 / kFaderTravel); }
int sliderValue(int offset) { return clampValue(offset * 127 / kSliderTravel); }

int stripLeft(int channel) {
    return channel < 0 ? kLabelWidth + 16 * kStripWidth : kLabelWidth + channel * kStripWidth;
}
MixerRect trackNumber(int channel) { return {stripLeft(channel), 0, kStripWidth, 14}; }
MixerRect soloButton(int channel) { return {stripLeft(channel) + 6, kSoloTop, 20, kButtonHeight}; }
MixerRect muteButton(int channel) { return {stripLeft(channel) + 6, kMuteTop, 20, kButtonHeight}; }

MixerRect sliderTrack(int channel, MixerDrag slider) {
    const int row = slider == MixerDrag::Chorus ? 1 : slider == MixerDrag::Reverb ? 2 : 0;
    return {stripLeft(channel) + 3, kPanTop + row * kSliderRowStep, kSliderTravel + kSliderKnobWidth, kSliderHeight};
}

MixerRect faderTrack(int channel) {
    const int x = channel < 0 ? stripLeft(-1) + 14 : stripLeft(channel) + 6;
    return {x, kFaderTop, 12, kFaderTravel + kFaderKnobHeight};
}

MixerRect meter(int channel) {
    return {stripLeft(channel) + 22, kMeterBottom - kMixerLevelMax * kMeterStep, 6, kMixerLevelMax * kMeterStep};
}

MixerRect spinnerArrow(MixerDrag arrow) {
    switch (arrow) {
    case MixerDrag::TempoUp: return {kSpinnerColumn, 27, kSpinnerWidth, kArrowHeight};
    case MixerDrag::TempoDown: return {kSpinnerColumn, 35, kSpinnerWidth, kArrowHeight};
    case MixerDrag::ShiftUp: return {kSpinnerColumn, 66, kSpinnerWidth, kArrowHeight};
    case MixerDrag::ShiftDown: return {kSpinnerColumn, 74, kSpinnerWidth, kArrowHeight};
    default: return {};
    }
}
MixerRect tempoFigure() { return {2, 27, 28, 15}; }
MixerRect shiftFigure() { return {2, 66, 28, 15}; }

MixerHit hitTest(int x, int y, bool masterControl) {
    if (x >= kLabelWidth && x < kLabelWidth + 16 * kStripWidth) {
        const int ch = (x - kLabelWidth) / kStripWidth;
        if (soloButton(ch).contains(x, y)) return {MixerHit::Kind::Solo, MixerDrag::None, ch};
        if (muteButton(ch).contains(x, y)) return {MixerHit::Kind::Mute, MixerDrag::None, ch};
        for (MixerDrag s : {MixerDrag::Pan, MixerDrag::Chorus, MixerDrag::Reverb}) {
            if (sliderTrack(ch, s).contains(x, y)) return {MixerHit::Kind::Slider, s, ch};
        }
        if (faderTrack(ch).contains(x, y)) return {MixerHit::Kind::Fader, MixerDrag::Volume, ch};
        if (trackNumber(ch).contains(x, y)) return {MixerHit::Kind::TrackNumber, MixerDrag::None, ch};
        return {};
    }
    if (masterControl && faderTrack(-1).contains(x, y)) return {MixerHit::Kind::Fader, MixerDrag::Master, -1};
    for (MixerDrag a : {MixerDrag::TempoUp, MixerDrag::TempoDown, MixerDrag::ShiftUp, MixerDrag::ShiftDown}) {
        if (spinnerArrow(a).contains(x, y)) return {MixerHit::Kind::Spinner, a, -1};
    }
    return {};
}
}  // namespace mixer_layout

// --- the state ---------------------------------------------------------------------------------------

MixerState::MixerState(platform::WindowTimers& timers) : m_timers(timers) {}

MixerState::~MixerState() { m_timers.killTimer(*this, kSpinnerTimer); }

int& MixerState::field(MixerDrag control, std::size_t ch) {
    MixerChannel& c = m_channels[ch & 0x0F];
    switch (control) {
    case MixerDrag::Pan: return c.pan;
    case MixerDrag::Chorus: return c.chorus;
    case MixerDrag::Reverb: return c.reverb;
    case MixerDrag::Master: return m_master;
    default: return c.volume;
    }
}

int MixerState::value(MixerDrag control, std::size_t ch) const {
    return const_cast<MixerState*>(this)->field(control, ch);
}

bool MixerState::silenced(std::size_t ch) const {
    return m_channels[ch & 0x0F].mute || (m_solo >= 0 && std::size_t(m_solo) != ch);
}

void MixerState::applyTo(PlayBlock& block, std::size_t ch) const { setChannelMuted(block, ch, silenced(ch)); }

void MixerState::applyMuteSolo(PlayBlock& block) {
    for (std::size_t ch = 0; ch < kPlayChannels; ++ch) applyTo(block, ch);
}

void MixerState::clickSolo(std::size_t ch) {
    m_solo = m_solo == int(ch) ? -1 : int(ch);
    if (m_block) applyMuteSolo(*m_block);
    if (m_view) {
        for (std::size_t i = 0; i < kPlayChannels; ++i) m_view->channelChanged(i);
    }
}

void MixerState::clickMute(std::size_t ch) {
    m_channels[ch].mute = !m_channels[ch].mute;
    if (m_block) applyTo(*m_block, ch);
    if (m_view) m_view->channelChanged(ch);
}

void MixerState::moveControl(MixerDrag control, std::size_t ch, int value) {
    const int v = std::clamp(value, 0, 127);
    field(control, ch) = v;
    if (m_block) {
        const auto byte = std::uint8_t(v);
        switch (control) {
        case MixerDrag::Pan: setLiveMixerValue(*m_block, ch, kLivePan, byte); break;
        case MixerDrag::Chorus: setLiveMixerValue(*m_block, ch, kLiveChorus, byte); break;
        case MixerDrag::Reverb: setLiveMixerValue(*m_block, ch, kLiveReverb, byte); break;
        case MixerDrag::Volume: setLiveMixerValue(*m_block, ch, kLiveVolume, byte); break;
        case MixerDrag::Master: setLiveMasterVolume(*m_block, byte); break;
        default: break;
        }
    }
    if (!m_view) return;
    if (control == MixerDrag::Master) m_view->commonChanged();
    else m_view->channelChanged(ch);
}

// The tempo reaches the player only on release; the key shift at every step.
void MixerState::step(MixerDrag arrow) {
    switch (arrow) {
    case MixerDrag::TempoUp: m_tempo = std::min(m_tempo + 1, kMixerTempoMax); break;
    case MixerDrag::TempoDown: m_tempo = std::max(m_tempo - 1, kMixerTempoMin); break;
    case MixerDrag::ShiftUp: m_shift = std::min(m_shift + 1, kMixerShiftMax); break;
    case MixerDrag::ShiftDown: m_shift = std::max(m_shift - 1, kMixerShiftMin); break;
    default: return;
    }
    if ((arrow == MixerDrag::ShiftUp || arrow == MixerDrag::ShiftDown) && m_block) {
        setLiveKeyShift(*m_block, std::int16_t(m_shift));
    }
    if (m_view) m_view->commonChanged();
}

void MixerState::pressSpinner(MixerDrag arrow) {
    m_drag = arrow;
    m_dragChannel = -1;
    step(arrow);
    m_timers.setTimer(*this, kSpinnerTimer, kSpinnerRepeatMs);
}

void MixerState::onTimer(int id) {
    if (id == kSpinnerTimer) step(m_drag);
}

bool MixerState::mouseDown(int x, int y) {
    using namespace mixer_layout;
    const MixerHit hit = hitTest(x, y, m_masterControl);
    switch (hit.kind) {
    case MixerHit::Kind::Solo: clickSolo(std::size_t(hit.channel)); return false;
    case MixerHit::Kind::Mute: clickMute(std::size_t(hit.channel)); return false;
    case MixerHit::Kind::Spinner: pressSpinner(hit.control); return true;
    case MixerHit::Kind::Slider:
    case MixerHit::Kind::Fader: break;
    default: return false;
    }
    m_drag = hit.control;
    m_dragChannel = hit.channel;
    const std::size_t ch = std::size_t(std::max(hit.channel, 0));
    // A press on the knob keeps its value (the pixel mapping does not round-trip); elsewhere it jumps.
    if (hit.kind == MixerHit::Kind::Slider) {
        const int knob = sliderTrack(hit.channel, hit.control).x + sliderOffset(value(hit.control, ch));
        const bool onKnob = x >= knob && x < knob + kSliderKnobWidth;
        m_grab = onKnob ? x - knob : kSliderKnobWidth / 2;
        if (!onKnob) mouseMove(x, y);
    } else {
        const MixerRect track = faderTrack(hit.channel);
        const int knob = track.y + kFaderTravel - faderOffset(value(hit.control, ch));
        const bool onKnob = y >= knob && y < knob + kFaderKnobHeight;
        m_grab = onKnob ? y - knob : kFaderKnobHeight / 2;
        if (!onKnob) mouseMove(x, y);
    }
    return true;
}

void MixerState::mouseMove(int x, int y) {
    using namespace mixer_layout;
    const std::size_t ch = std::size_t(std::max(m_dragChannel, 0));
    switch (m_drag) {
    case MixerDrag::Pan:
    case MixerDrag::Chorus:
    case MixerDrag::Reverb:
        moveControl(m_drag, ch, sliderValue(x - m_grab - sliderTrack(m_dragChannel, m_drag).x));
        break;
    case MixerDrag::Volume:
    case MixerDrag::Master: {
        const MixerRect track = faderTrack(m_dragChannel);
        moveControl(m_drag, ch, faderValue(track.y + kFaderTravel - (y - m_grab)));
        break;
    }
    default: break;
    }
}

void MixerState::endDrag() {
    m_drag = MixerDrag::None;
    m_dragChannel = -1;
    m_timers.killTimer(*this, kSpinnerTimer);
}

void MixerState::mouseUp() {
    endDrag();
    if (m_block) setLiveTempo(*m_block, std::uint16_t(m_tempo));
    if (m_view) m_view->commonChanged();
}

void MixerState::setTempo(int tempo) {
    m_tempo = tempo;
    if (m_view) m_view->commonChanged();
}

void MixerState::setChannelValue(MixerControl control, std::size_t channel, int value) {
    const MixerDrag which = control == MixerControl::Pan      ? MixerDrag::Pan
                            : control == MixerControl::Reverb ? MixerDrag::Reverb
                            : control == MixerControl::Chorus ? MixerDrag::Chorus
                                                              : MixerDrag::Volume;
    field(which, channel) = std::clamp(value, 0, 127);
    if (m_view) m_view->channelChanged(channel & 0x0F);
}

void MixerState::prepareMeters() {
    m_levels.fill(0);
    if (!m_view) return;
    for (std::size_t ch = 0; ch < kPlayChannels; ++ch) m_view->levelChanged(ch);
}

void MixerState::drawLevel(std::size_t channel, int level) {
    m_levels[channel & 0x0F] = std::clamp(level, 0, kMixerLevelMax);
    if (m_view) m_view->levelChanged(channel & 0x0F);
}

// --- the track hint ------------------------------------------------------------------------------------

TrackInfo trackInfo(const ProjectData* project, int track) {
    TrackInfo info;
    if (track < 0 || track >= int(kPlayChannels)) {
        info.problem = "トラック番号が不正な値です。";
        return info;
    }
    if (!project || !project->hasMember(std::size_t(track))) {
        info.problem = "ファイルが存在しません。";
        return info;
    }
    const std::filesystem::path path = project->memberPath(std::size_t(track));
    const std::u8string name = path.filename().u8string();
    info.fileName.assign(name.begin(), name.end());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        info.problem = "ファイルが存在しません。";
        return info;
    }
    const std::optional<SongInfo> settings = readSongSettings(path);
    if (!settings) {
        info.problem = "データ形式が違います。";
        return info;
    }
    info.kind = settings->isRhythm() ? "リズム" : "メロディー";
    info.instrument = instrumentTitle(*settings);
    return info;
}

}  // namespace plume
