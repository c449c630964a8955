#include "play/sequencer.h"

#include <algorithm>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "play/member_loader.h"
#include "song/path_identity.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/song_timing.h"

namespace plume {

namespace {

constexpr const char* kCannotOpenDevice = "MIDIﾃﾞﾊﾞｲｽをオープンできません。";

// Milliseconds of the note and rest groups before `end`, at `tempo`.
std::uint64_t timeBefore(Records records, std::size_t end, std::int16_t tempo) {
    std::uint64_t sum = 0;
    for (std::size_t g = 0; g < records.size() && g < end; g = nextGroup(records, g)) {
        if (isTimedGroup(records, g)) sum += GroupDuration(records, g, tempo);
    }
    return sum;
}

// The group just before the first one by whose start more than t0 has passed; none when the walk
// reaches the end first or when that group is the song's first record.
std::optional<std::size_t> startGroupAt(Records records, std::uint64_t t0, std::int16_t tempo) {
    std::uint64_t sum = 0;
    std::size_t previous = kNoGroup;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        if (sum > t0) {
            if (previous == kNoGroup || previous == 0) return std::nullopt;
            return previous;
        }
        if (isTimedGroup(records, g)) sum += GroupDuration(records, g, tempo);
        previous = g;
    }
    return std::nullopt;
}

// The first group by whose end t1 or more has passed.
std::optional<std::size_t> endGroupAt(Records records, std::uint64_t t1, std::int16_t tempo) {
    std::uint64_t sum = 0;
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        if (isTimedGroup(records, g)) sum += GroupDuration(records, g, tempo);
        if (sum >= t1) return g;
    }
    return std::nullopt;
}

std::uint16_t tempoOf(const SongInfo& info) { return std::uint16_t(std::max<int>(info.tempo(), 1)); }

}  // namespace

Sequencer::Sequencer(PlayBlock& block, PlaySlots& slots, MidiOutputComponent& component, PlayHost& host,
                     PlayMixer& mixer, platform::WindowTimers& timers, platform::Profile& profile,
                     PlaySettings settings, platform::WindowId window)
    : m_block(block), m_slots(slots), m_component(component), m_host(host), m_mixer(mixer), m_timers(timers),
      m_profile(profile), m_settings(std::move(settings)), m_window(window) {}

// --- commands --------------------------------------------------------------------------------------

bool Sequencer::plays(const CPlmDoc& document) const {
    return m_mode != PlayMode::Stopped &&
           std::any_of(m_slots.begin(), m_slots.end(), [&](const PlaySlot& slot) { return slot.document == &document; });
}

void Sequencer::PlayCurrent() {
    if (m_mode != PlayMode::Stopped) return;
    playCurrentSteps();
}

void Sequencer::playCurrentSteps() {
    switch (m_host.activeWindow()) {
    case ActiveWindow::None: return;
    case ActiveWindow::Mixer: return playProjectWhole();
    case ActiveWindow::Song: break;
    }
    const CPlmDoc* document = m_host.activeDocument();
    if (!document) return;
    if (m_allTracks) {
        const ProjectData* project = m_host.project();
        const std::filesystem::path path = m_host.activeDocumentPath();
        bool member = false;
        for (std::size_t i = 0; project && i < kMemberCount && !member; ++i)
            member = project->hasMember(i) && samePath(project->memberPath(i), path);
        if (member) {
            const auto selection = m_host.activeSelection();
            if (selection) playProjectRange(*project, *document, *selection);
            else playProjectWhole();
            return;
        }
    }
    playSingleTrack(*document);
}

void Sequencer::playSingleTrack(const CPlmDoc& document) {
    ResetPlayBlock(m_window, 0);
    const SongInfo& info = document.songInfo();
    const std::size_t channel = info.isRhythm() ? kRhythmMidiChannel : 0;
    m_slots[channel].document = &document;
    m_slots[channel].info = info;
    m_block.playType = PlayType::OneTrack;
    const Records records = document.records();
    std::size_t start = 0;
    std::size_t count = records.size();
    // The last selected group plays whole: a chord there is heard with all its notes.
    if (const auto selection = m_host.activeSelection();
        selection && selection->last >= selection->first && selection->last < records.size()) {
        start = selection->first;
        count = std::min(selection->last - selection->first + records[selection->last].groupSize(),
                         records.size() - start);
    }
    fillChannel(channel, records, info, start, count);
    if (OpenPlayback() == PlayStart::Started) {
        m_mode = PlayMode::Track;
        startLevelMeter();
    }
}

void Sequencer::playProjectRange(const ProjectData& project, const CPlmDoc& active, RecordSelection selection) {
    ResetPlayBlock(m_window, 0);
    const Records song = active.records();
    const std::int16_t tempo = active.songInfo().tempo();
    const std::uint64_t t0 = timeBefore(song, selection.first, tempo);
    const std::uint64_t t1 = timeBefore(song, selection.last, tempo);
    loadProjectMembers(project, m_host.openDocuments(), m_slots, defaultRecordAllocator(), MemoryFailure::SkipMember);
    bool usable = false;
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        PlaySlot& slot = m_slots[i];
        if (!slot.used()) continue;
        const Records records = slot.records();
        const std::int16_t memberTempo = slot.info.tempo();
        const auto start = startGroupAt(records, t0, memberTempo);
        const auto end = endGroupAt(records, t1, memberTempo);
        if (!start || !end || *end < *start) {
            slot.clear();
            continue;
        }
        const std::size_t count = std::min(*end - *start + records[*end].groupSize(), records.size() - *start);
        m_block.playType = PlayType::SeveralTracks;
        fillChannel(i, records, slot.info, *start, count);
        usable = true;
    }
    if (usable) startProjectPlay();
}

void Sequencer::playProjectWhole() {
    const ProjectData* project = m_host.project();
    if (!project) return;
    ResetPlayBlock(m_window, 0);
    const ProjectMembers members = loadProjectMembers(*project, m_host.openDocuments(), m_slots);
    if (members.outOfMemory) {
        clearSlots();
        return;
    }
    bool usable = false;
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!m_slots[i].used()) continue;
        const Records records = m_slots[i].records();
        m_block.playType = PlayType::SeveralTracks;
        fillChannel(i, records, m_slots[i].info, 0, records.size());
        usable = true;
    }
    if (usable) startProjectPlay();
}

void Sequencer::startProjectPlay() {
    m_mixer.applyMuteSolo(m_block);
    if (OpenPlayback() == PlayStart::Started) {
        m_mode = PlayMode::Project;
        startLevelMeter();
    }
}

void Sequencer::fillChannel(std::size_t index, Records records, const SongInfo& info, std::size_t start,
                            std::size_t count) {
    const std::uint8_t midiChannel = info.isRhythm() ? kRhythmMidiChannel : std::uint8_t(index);
    fillChannel(index, midiChannel, records, {info.initialModule(), info.initialBank(), info.initialProgram()}, start,
                count);
    m_block.channels[index].melodic = !info.isRhythm();
    m_block.startTempo = m_block.currentTempo = tempoOf(info);
}

void Sequencer::fillChannel(std::size_t index, std::uint8_t midiChannel, Records records, Tone tone,
                            std::size_t start, std::size_t count) {
    ChannelState& c = m_block.channels[index];
    c.midiChannel = midiChannel;
    c.track = records;
    c.start = start;
    c.count = count;
    c.position = 0;
    c.muted = false;
    c.initialModule = tone.module;
    c.initialBank = tone.bank;
    c.initialProgram = tone.program;
}

PlayStart Sequencer::PlayFile(const std::filesystem::path& path) {
    ResetPlayBlock(m_window, 0);
    const int count = loadSongFile(path, m_slots[0]);
    if (count <= 0) {
        clearSlots();
        return PlayStart::NotStarted;
    }
    const SongInfo& info = m_slots[0].info;
    m_block.playType = PlayType::OneTrack;
    fillChannel(info.isRhythm() ? kRhythmMidiChannel : 0, m_slots[0].records(), info, 0, std::size_t(count));
    if (OpenPlayback() == PlayStart::NotStarted) {
        clearSlots();
        return PlayStart::NotStarted;
    }
    m_mode = PlayMode::File;
    return PlayStart::Started;
}

PlayStart Sequencer::PlayTest(platform::WindowId window, const TestPlay& test) {
    ResetPlayBlock(window, 0);
    m_block.playType = PlayType::OneTrack;
    m_block.startTempo = m_block.currentTempo = std::uint16_t(std::clamp(test.tempo, 1, 0xFFFF));
    fillChannel(0, test.midiChannel, test.records, test.tone, 0, test.records.size());
    return PlayBlockAsFilled();
}

PlayStart Sequencer::PlayTestChannels(platform::WindowId window, std::span<const TestChannel> channels, int tempo) {
    ResetPlayBlock(window, 0);
    m_block.playType = channels.size() > 1 ? PlayType::SeveralTracks : PlayType::OneTrack;
    m_block.startTempo = m_block.currentTempo = std::uint16_t(std::clamp(tempo, 1, 0xFFFF));
    for (const TestChannel& channel : channels) {
        if (channel.index >= kPlayChannels) continue;
        fillChannel(channel.index, std::uint8_t(channel.index), channel.track, channel.tone, channel.start,
                    channel.count);
        m_block.channels[channel.index].melodic = channel.melodic;
    }
    return PlayBlockAsFilled();
}

PlayStart Sequencer::PlayBlockAsFilled() {
    if (OpenPlayback() == PlayStart::NotStarted) return PlayStart::NotStarted;
    m_mode = PlayMode::DeviceOnly;
    return PlayStart::Started;
}

void Sequencer::StopPlay() {
    ClosePlayback();
    stopLevelMeter();
    clearSlots();
    m_timers.killTimer(*this, kRepeatTimer);
    m_mode = PlayMode::Stopped;
}

// --- the block ---------------------------------------------------------------------------------------

void Sequencer::ResetPlayBlock(platform::WindowId window, std::uint8_t modeByte) {
    // Only one thing plays at a time: a play still under way is closed first.
    if (m_component.isOpen()) ClosePlayback();
    const std::uint8_t master = m_mixer.masterVolume();
    m_block.masterVolumeRequested = m_block.masterVolume = master;
    m_block.levelFlag = m_settings.showLevel != 0 ? 1 : 0;
    m_block.playType = PlayType::Idle;
    m_block.window = window;
    m_block.output = 0;
    m_block.modeByte = modeByte;
    m_block.keyShift = m_mixer.keyShift();
    m_block.startTempo = m_block.currentTempo = 120;
    m_block.interruptPeriod = std::uint16_t(m_settings.interruptPeriodMs());
    for (ChannelState& c : m_block.channels) {
        c = ChannelState{};
        c.idle = true;
        c.muted = true;
        c.melodic = true;
    }
    for (auto& keys : m_block.shiftTable) keys.fill(m_block.keyShift);
    m_block.shiftTableBase = m_block.keyShift;
    clearSlots();
}

void Sequencer::clearSlots() {
    for (PlaySlot& slot : m_slots) slot.clear();
}

PlayStart Sequencer::OpenPlayback() {
    MidiHandle handle = 0;
    const int device = resolveDevice(m_component.devices().portNames(), m_settings.device, m_settings.deviceName);
    if (m_component.OpenMidiOutput(handle, m_block.window, device) != MidiOutputComponent::OpenResult::Opened) {
        platform::messageBox().show(kCannotOpenDevice);
        return PlayStart::NotStarted;
    }
    m_block.output = handle;
    if (!trimLeading()) {
        m_component.CloseMidiOutput(handle);
        m_block.output = 0;
        return PlayStart::NotStarted;
    }
    sendReset();
    m_mixer.setTempo(m_block.startTempo);
    return PlayStart::Started;
}

// Each channel starts at its first note or rest; false when no channel has one.
bool Sequencer::trimLeading() {
    bool any = false;
    for (ChannelState& c : m_block.channels) {
        if (c.count == 0) continue;
        const std::size_t begin = std::min(c.start, c.track.size());
        const Records walked = c.track.first(begin + std::min(c.count, c.track.size() - begin));
        for (std::size_t g = begin; g < walked.size(); g = nextGroup(walked, g)) {
            if (!isTimedGroup(walked, g)) continue;
            c.idle = false;
            c.count -= g - c.start;
            c.start = g;
            any = true;
            break;
        }
    }
    return any;
}

void Sequencer::sendReset() {
    const MidiHandle h = m_block.output;
    int mode = m_settings.playBeginReset;
    if (mode == 0) {
        m_timers.setTimer(*this, kResetPauseTimer, kNoResetPauseMs);
        return;
    }
    if (mode != 2 && mode != 3) {
        const auto first = std::find_if(m_block.channels.begin(), m_block.channels.end(),
                                        [](const ChannelState& c) { return c.count > 0; });
        mode = first == m_block.channels.end() || first->initialModule == 0 ? 2 : 3;
    }
    if (mode == 2) m_component.SendGmSystemOn(h);
    else m_component.SendGsReset(h);
    m_timers.setTimer(*this, kResetPauseTimer, kResetPauseMs);
}

void Sequencer::sendInitialSettings() {
    const MidiHandle h = m_block.output;
    if (m_settings.mainVolumeControl == 1) m_component.SendMasterVolume(h, m_block.masterVolumeRequested);
    for (std::uint8_t ch = 0; ch < kPlayChannels; ++ch) {
        const ChannelState& c = m_block.channels[ch];
        if (c.count == 0) continue;
        m_component.SendInitialModule(h, c.initialModule, ch);
        m_component.SendInitialBank(h, c.initialBank, ch);
        m_component.SendInitialProgram(h, c.initialProgram, ch);
    }
}

// The effects before each channel's start, record by record, so that none is lost.
void Sequencer::chaseEffects() {
    const MidiHandle h = m_block.output;
    for (std::uint8_t ch = 0; ch < kPlayChannels; ++ch) {
        ChannelState& c = m_block.channels[ch];
        if (c.count == 0) continue;
        const std::size_t end = std::min(c.start, c.track.size());
        for (std::size_t i = 0; i < end; ++i) {
            const SongRecord& r = c.track[i];
            if (!r.isEffect()) continue;
            switch (r.effectNumber()) {
            case effect::kVolume:
                m_component.SendVolume(h, r.value(), ch);
                c.curves[kVolumeCurve] = {};
                break;
            case effect::kPan: m_component.SendPan(h, r.value(), ch); break;
            case effect::kModulation:
                m_component.SendModulation(h, r.value(), ch);
                c.curves[kModulationCurve] = {};
                break;
            case effect::kHold: m_component.SendHold(h, r.value(), ch); break;
            case effect::kReverb: m_component.SendReverb(h, r.value(), ch); break;
            case effect::kChorus: m_component.SendChorus(h, r.value(), ch); break;
            case effect::kPitchBend:
                m_component.SendPitchBend(h, std::uint16_t(r.value16()), ch);
                c.curves[kPitchBendCurve] = {};
                break;
            case effect::kTempo: m_block.startTempo = m_block.currentTempo = r.value(); break;
            case effect::kProgram: m_component.SendProgramRecord(h, r, ch); break;
            default: break;
            }
        }
    }
}

void Sequencer::startClock() {
    if (!m_component.startClock()) m_component.CloseMidiOutput(m_block.output);
}

void Sequencer::ClosePlayback() {
    // A stop during the reset pause must not let the pending start go on.
    m_timers.killTimer(*this, kResetPauseTimer);
    m_timers.killTimer(*this, kClockStartTimer);
    m_component.stopClock();
    const MidiHandle h = m_block.output;
    for (std::uint8_t ch = 0; ch < kPlayChannels; ++ch) {
        m_component.SendHold(h, 0, ch);
        m_component.SilenceChannel(h, ch);
    }
    m_component.CloseMidiOutput(h);
    m_block.output = 0;
}

void Sequencer::playEnded() {
    m_block.playType = PlayType::Idle;
    ClosePlayback();
    stopLevelMeter();
    clearSlots();
    if (m_mode == PlayMode::File) m_host.filePlayEnded();
    if (!m_repeat || m_mode == PlayMode::File || m_mode == PlayMode::DeviceOnly || m_mode == PlayMode::Stopped) {
        m_mode = PlayMode::Stopped;
        return;
    }
    // The pause before a repeat is the "Rep Play Interval" setting, read when the play ends.
    m_timers.setTimer(*this, kRepeatTimer, std::max(1, m_profile.getInt("MIDI Config", "Rep Play Interval", 1000)));
}

void Sequencer::startLevelMeter() {
    if (m_settings.showLevel == 0) return;
    m_mixer.prepareMeters();
    m_levels.fill(0);
    m_timers.setTimer(*this, kLevelTimer, kLevelDecayMs);
}

void Sequencer::stopLevelMeter() {
    m_timers.killTimer(*this, kLevelTimer);
    m_levels.fill(0);
    for (std::size_t ch = 0; ch < kPlayChannels; ++ch) m_mixer.drawLevel(ch, 0);
}

// --- window ----------------------------------------------------------------------------------------

void Sequencer::onTimer(int id) {
    switch (id) {
    case kResetPauseTimer:
        sendInitialSettings();
        chaseEffects();
        m_timers.killTimer(*this, kResetPauseTimer);
        m_timers.setTimer(*this, kClockStartTimer, kClockStartMs);
        break;
    case kClockStartTimer:
        m_timers.killTimer(*this, kClockStartTimer);
        startClock();
        break;
    case kRepeatTimer:
        m_timers.killTimer(*this, kRepeatTimer);
        playCurrentSteps();
        break;
    case kLevelTimer:
        for (std::size_t ch = 0; ch < kPlayChannels; ++ch) {
            if (m_levels[ch] == 0) continue;
            --m_levels[ch];
            m_mixer.drawLevel(ch, m_levels[ch]);
        }
        break;
    default: break;
    }
}

void Sequencer::playReport(const PlayReport& report) {
    const std::size_t ch = report.channel & 0x0F;
    using Kind = PlayReport::Kind;
    switch (report.kind) {
    case Kind::Ended:
        // An end reported by a play that was stopped meanwhile is old news.
        if (m_component.clockRunning()) playEnded();
        break;
    case Kind::Volume: m_mixer.setChannelValue(MixerControl::Volume, ch, report.value); break;
    case Kind::Pan: m_mixer.setChannelValue(MixerControl::Pan, ch, report.value); break;
    case Kind::Reverb: m_mixer.setChannelValue(MixerControl::Reverb, ch, report.value); break;
    case Kind::Chorus: m_mixer.setChannelValue(MixerControl::Chorus, ch, report.value); break;
    case Kind::Level:
        m_levels[ch] = report.value / 13;
        m_mixer.drawLevel(ch, m_levels[ch]);
        break;
    case Kind::Tempo: m_mixer.setTempo(report.value); break;
    case Kind::NoteStart:
    case Kind::NoteEnd: break;
    }
}

}  // namespace plume
