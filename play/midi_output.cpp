#include "play/midi_output.h"

#include <algorithm>
#include <optional>

#include "platform/clock.h"
#include "platform/window_messages.h"
#include "song/song_timing.h"

namespace plume {

namespace {

constexpr std::uint8_t kControl = 0xB0;
constexpr std::uint8_t kProgram = 0xC0;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kBend = 0xE0;

std::uint8_t data7(int value) { return std::uint8_t(std::clamp(value, 0, 127)); }

// Which report a controller gives to the mixer, if any.
std::optional<PlayReport::Kind> reportOf(std::uint8_t controller) {
    switch (controller) {
    case cc::kVolume: return PlayReport::Kind::Volume;
    case cc::kPan: return PlayReport::Kind::Pan;
    case cc::kReverb: return PlayReport::Kind::Reverb;
    case cc::kChorus: return PlayReport::Kind::Chorus;
    default: return std::nullopt;
    }
}

// Controllers of the live mixer bytes 1, 3, 5 and 7.
constexpr std::array<std::uint8_t, 4> kLiveControllers = {cc::kPan, cc::kChorus, cc::kReverb, cc::kVolume};

}  // namespace

MidiOutputComponent::MidiOutputComponent(PlayBlock& block, MidiDevices& devices, platform::MessagePort& port,
                                         const platform::Clock& clock, PlayTimer& timer)
    : m_block(block), m_devices(devices), m_port(port), m_clock(clock), m_timer(timer) {}

MidiOutputComponent::~MidiOutputComponent() {
    m_timer.stop();
    m_out.reset();
}

// --- device --------------------------------------------------------------------------------------

MidiOutputComponent::OpenResult MidiOutputComponent::OpenMidiOutput(MidiHandle& handle, platform::WindowId,
                                                                   int deviceId) {
    if (m_out) CloseMidiOutput(m_handle);
    m_out = m_devices.open(deviceId);
    if (!m_out) return OpenResult::CannotOpen;
    m_handle = ++m_lastHandle == 0 ? ++m_lastHandle : m_lastHandle;
    m_openedAt = m_clock.nowMicros();
    m_module.fill(0);
    for (ChannelOutput& output : m_outputs) output.silenced();
    handle = m_handle;
    return OpenResult::Opened;
}

void MidiOutputComponent::CloseMidiOutput(MidiHandle handle) {
    if (!valid(handle)) return;
    m_timer.stop();
    m_out.reset();
    m_handle = 0;
}

std::int64_t MidiOutputComponent::deviceTime() const { return m_clock.nowMicros() - m_openedAt; }

void MidiOutputComponent::service() {
    if (m_out) m_out->service();
}

std::uint8_t MidiOutputComponent::midiChannelOf(std::uint8_t ch) const {
    const ChannelState& state = m_block.channels[ch & 0x0F];
    return state.count != 0 ? std::uint8_t(state.midiChannel & 0x0F) : std::uint8_t(ch & 0x0F);
}

void MidiOutputComponent::send(std::span<const std::uint8_t> bytes) { sendAt(bytes, deviceTime()); }

void MidiOutputComponent::sendAt(std::span<const std::uint8_t> bytes, std::int64_t micros) {
    if (m_out) m_out->send(MidiMessage::of(bytes, micros));
}

void MidiOutputComponent::controllerNow(std::uint8_t ch, std::uint8_t number, std::uint8_t value) {
    const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kControl | midiChannelOf(ch)), number, data7(value)};
    send(bytes);
}

// --- the operations ------------------------------------------------------------------------------

void MidiOutputComponent::SendGmSystemOn(MidiHandle handle) {
    static constexpr std::array<std::uint8_t, 6> kGmOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    if (valid(handle)) send(kGmOn);
}

void MidiOutputComponent::SendGsReset(MidiHandle handle) {
    static constexpr std::array<std::uint8_t, 11> kGsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40,
                                                               0x00, 0x7F, 0x00, 0x41, 0xF7};
    if (valid(handle)) send(kGsReset);
}

void MidiOutputComponent::SendMasterVolume(MidiHandle handle, std::uint8_t value) {
    // Universal real-time master volume, the value as its most significant 7 bits.
    const std::array<std::uint8_t, 8> bytes = {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, data7(value), 0xF7};
    if (valid(handle)) send(bytes);
}

void MidiOutputComponent::SendInitialModule(MidiHandle handle, std::uint8_t module, std::uint8_t ch) {
    if (!valid(handle)) return;
    m_module[ch & 0x0F] = module;
    if (module != 0) controllerNow(ch, cc::kBankSelectLow, module);
}

void MidiOutputComponent::SendInitialBank(MidiHandle handle, std::uint8_t bank, std::uint8_t ch) {
    if (valid(handle) && m_module[ch & 0x0F] != 0) controllerNow(ch, cc::kBankSelect, bank);
}

void MidiOutputComponent::SendInitialProgram(MidiHandle handle, std::uint8_t program, std::uint8_t ch) {
    const std::array<std::uint8_t, 2> bytes = {std::uint8_t(kProgram | midiChannelOf(ch)), data7(program)};
    if (valid(handle)) send(bytes);
}

void MidiOutputComponent::SendVolume(MidiHandle handle, std::uint8_t value, std::uint8_t ch) {
    if (valid(handle)) controllerNow(ch, cc::kVolume, value);
}
void MidiOutputComponent::SendPan(MidiHandle handle, std::uint8_t value, std::uint8_t ch) {
    if (valid(handle)) controllerNow(ch, cc::kPan, value);
}
void MidiOutputComponent::SendModulation(MidiHandle handle, std::uint8_t value, std::uint8_t ch) {
    if (valid(handle)) controllerNow(ch, cc::kModulation, value);
}
void MidiOutputComponent::SendHold(MidiHandle handle, std::uint8_t value, std::uint8_t ch) {
    if (valid(handle)) controllerNow(ch, cc::kHold, value);
}
void MidiOutputComponent::SendReverb(MidiHandle handle, std::uint8_t value, std::uint8_t ch) {
    if (valid(handle)) controllerNow(ch, cc::kReverb, value);
}
void MidiOutputComponent::SendChorus(MidiHandle handle, std::uint8_t value, std::uint8_t ch) {
    if (valid(handle)) controllerNow(ch, cc::kChorus, value);
}

void MidiOutputComponent::SendPitchBend(MidiHandle handle, std::uint16_t value, std::uint8_t ch) {
    const std::uint16_t packed = PackPitchBend(value);
    const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kBend | midiChannelOf(ch)), std::uint8_t(packed & 0x7F),
                                               std::uint8_t((packed >> 8) & 0x7F)};
    if (valid(handle)) send(bytes);
}

void MidiOutputComponent::SendProgramRecord(MidiHandle handle, const SongRecord& record, std::uint8_t ch) {
    if (!valid(handle)) return;
    if (record.programModule() != 0) {
        controllerNow(ch, cc::kBankSelectLow, record.programModule());
        controllerNow(ch, cc::kBankSelect, record.programBank());
    }
    const std::array<std::uint8_t, 2> bytes = {std::uint8_t(kProgram | midiChannelOf(ch)), data7(record.programNumber())};
    send(bytes);
}

void MidiOutputComponent::SilenceChannel(MidiHandle handle, std::uint8_t ch) {
    if (!valid(handle)) return;
    controllerNow(ch, cc::kAllNotesOff, 0);
    controllerNow(ch, cc::kAllSoundOff, 0);  // release tails too
    m_outputs[ch & 0x0F].silenced();
}

// --- the clock -----------------------------------------------------------------------------------

bool MidiOutputComponent::startClock() {
    if (!m_out || m_timer.running()) return false;
    m_begun = false;
    m_ended = false;
    m_clockStart = deviceTime();
    return m_timer.start(std::max<int>(1, m_block.interruptPeriod), &MidiOutputComponent::tick, this);
}

void MidiOutputComponent::stopClock() { m_timer.stop(); }

void MidiOutputComponent::tick(void* self) {
    auto* component = static_cast<MidiOutputComponent*>(self);
    component->PlayTick(component->m_block);
}

void MidiOutputComponent::post(const PlayReport& report) { m_port.post(toWindowMessage(m_block.window, report)); }

std::int64_t MidiOutputComponent::unitTime() const {
    const std::int64_t unit = m_ensemble ? std::max<std::int64_t>(m_ensemble->now(), 0) : 0;
    return m_clockStart + unit * 1000;
}

void MidiOutputComponent::PlayTick(PlayBlock& block) {
    if (m_ended || !m_out) return;
    if (!m_begun) beginPlay(block);
    const std::int64_t elapsedMs = (deviceTime() - m_clockStart) / 1000;
    applyLiveChanges(block);
    m_ensemble->runUntil(elapsedMs);
    if (m_ensemble->finished()) {
        m_ended = true;
        post({PlayReport::Kind::Ended, 0, 0});
    }
}

// Every unit is stepped (no skipping of quiet time): the tempo may change from outside at any tick.
void MidiOutputComponent::beginPlay(PlayBlock& block) {
    m_begun = true;
    m_performerClock = PerformerClock::milliseconds(block.startTempo);
    m_knownTempo = block.startTempo;
    std::array<Performer*, kPlayChannels> playing{};
    std::size_t count = 0;
    for (std::uint8_t i = 0; i < kPlayChannels; ++i) {
        ChannelState& state = block.channels[i];
        m_performers[i].reset();
        if (state.idle || state.count == 0) continue;
        m_outputs[i].reset(this, i);
        Performer& performer = m_performers[i].emplace(state, m_performerClock, m_outputs[i]);
        performer.begin();
        playing[count++] = &performer;
    }
    m_ensemble.reset();
    m_ensemble.emplace(std::span<Performer* const>(playing.data(), count), m_performerClock, 0, Stepping::EveryUnit);
    post({PlayReport::Kind::Tempo, 0, m_performerClock.tempo()});
}

void MidiOutputComponent::applyLiveChanges(PlayBlock& block) {
    const std::int64_t at = m_clockStart + (m_ensemble->now() + 1) * 1000;
    const std::uint8_t master = liveLoad(block.masterVolumeRequested);
    if (master != block.masterVolume) {
        const std::array<std::uint8_t, 8> bytes = {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, data7(master), 0xF7};
        sendAt(bytes, at);
        block.masterVolume = master;
    }
    const int tempo = liveLoad(block.currentTempo);
    if (tempo != m_knownTempo) {
        m_knownTempo = tempo;
        m_performerClock.setTempo(tempo);
    }
    for (std::uint8_t i = 0; i < kPlayChannels; ++i) {
        if (!m_performers[i]) continue;
        ChannelState& state = block.channels[i];
        for (std::size_t k = 0; k < kLiveControllers.size(); ++k) {
            const std::size_t odd = 2 * k + 1;
            const std::uint8_t value = liveLoad(state.liveMixer[odd]);
            if (value == state.liveMixer[odd - 1]) continue;
            state.liveMixer[odd - 1] = value;
            const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kControl | (state.midiChannel & 0x0F)),
                                                       kLiveControllers[k], data7(value)};
            sendAt(bytes, at);
        }
    }
}

int MidiOutputComponent::keyShiftFor(std::uint8_t index, std::uint8_t key) const {
    const int live = liveLoad(m_block.keyShift) - m_block.shiftTableBase;
    return m_block.shiftTable[index][key & 0x7F] + live;
}

// --- one channel's messages ----------------------------------------------------------------------

void MidiOutputComponent::ChannelOutput::reset(MidiOutputComponent* owner, std::uint8_t index) {
    m_owner = owner;
    m_index = index;
    m_sounding.fill(0);
}

void MidiOutputComponent::ChannelOutput::noteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity) {
    MidiOutputComponent& c = *m_owner;
    const int shift = channel == kRhythmMidiChannel ? 0 : c.keyShiftFor(m_index, key);
    const int sounded = key + shift;
    if (sounded < 0 || sounded > 127) return;
    const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kNoteOn | channel), std::uint8_t(sounded), velocity};
    c.sendAt(bytes, c.unitTime());
    if (m_sounding[key] < 255) ++m_sounding[key];
    m_soundedAs[key] = std::uint8_t(sounded);
    c.post({PlayReport::Kind::NoteStart, m_index, sounded});
    if (c.m_block.levelFlag) c.post({PlayReport::Kind::Level, m_index, velocity});
}

void MidiOutputComponent::ChannelOutput::noteOff(std::uint8_t channel, std::uint8_t key) {
    if (m_sounding[key] == 0) return;  // it never went down: muted or out of range
    --m_sounding[key];
    MidiOutputComponent& c = *m_owner;
    const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kNoteOn | channel), m_soundedAs[key], 0};
    c.sendAt(bytes, c.unitTime());
    c.post({PlayReport::Kind::NoteEnd, m_index, m_soundedAs[key]});
}

void MidiOutputComponent::ChannelOutput::controller(std::uint8_t channel, std::uint8_t number, std::uint8_t value) {
    MidiOutputComponent& c = *m_owner;
    const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kControl | channel), number, value};
    c.sendAt(bytes, c.unitTime());
    if (const auto report = reportOf(number)) c.post({*report, m_index, value});
}

void MidiOutputComponent::ChannelOutput::pitchBend(std::uint8_t channel, std::uint8_t lsb, std::uint8_t msb) {
    const std::array<std::uint8_t, 3> bytes = {std::uint8_t(kBend | channel), lsb, msb};
    m_owner->sendAt(bytes, m_owner->unitTime());
}

void MidiOutputComponent::ChannelOutput::programChange(std::uint8_t channel, std::uint8_t program) {
    const std::array<std::uint8_t, 2> bytes = {std::uint8_t(kProgram | channel), program};
    m_owner->sendAt(bytes, m_owner->unitTime());
}

void MidiOutputComponent::ChannelOutput::tempo(int quarterNotesPerMinute) {
    MidiOutputComponent& c = *m_owner;
    c.m_knownTempo = quarterNotesPerMinute;
    liveStore(c.m_block.currentTempo, std::uint16_t(quarterNotesPerMinute));
    c.post({PlayReport::Kind::Tempo, 0, quarterNotesPerMinute});
}

}  // namespace plume
