#include "play/performer.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "play/midi_out.h"

namespace plume {

namespace {

constexpr std::uint8_t kRhythmChannel = 9;
constexpr std::int64_t kForever = std::numeric_limits<std::int64_t>::max();

std::uint8_t dataByte(long long value) { return std::uint8_t(std::clamp<long long>(value, 0, 127)); }

// Controller numbers of effects 12-17.
constexpr std::array<std::uint8_t, 6> kExtraControllers = {11, 71, 72, 73, 74, 94};

// A curve's value as a whole number, kept finite and within reach of every target range.
long long curveValue(const CurveState& curve, double t) {
    const double a = curve.a;
    double v = 0;
    switch (curve.function) {
    case 1: v = std::trunc(t * a); break;
    case 2: v = std::trunc(t * a * t); break;
    case 3: v = std::trunc((1.0 - std::exp(-a * t)) * curve.amplitude); break;
    case 4: v = std::trunc(std::sin(t * a - double(curve.b)) * curve.amplitude); break;
    default: break;
    }
    if (!std::isfinite(v)) v = v > 0 ? 1e9 : -1e9;
    return static_cast<long long>(std::clamp(v, -1e9, 1e9)) + curve.c;
}

}  // namespace

// --- clock -----------------------------------------------------------------------------------

PerformerClock::PerformerClock(std::uint32_t timeBase, bool milliseconds, int tempo)
    : m_timeBase(std::max<std::uint32_t>(1, timeBase)), m_milliseconds(milliseconds) {
    setTempo(tempo);
    m_changes = 0;
}

PerformerClock PerformerClock::ticks(std::uint32_t timeBase, int tempo) { return {timeBase, false, tempo}; }

PerformerClock PerformerClock::milliseconds(int tempo) { return {1, true, tempo}; }

void PerformerClock::setTempo(int tempo) {
    m_tempo = std::clamp(tempo, 1, 255);
    m_usPerQuarter = 60000000u / std::uint32_t(m_tempo);
    m_thirtySecond = std::max<std::uint32_t>(1, msToUnits(60000u / std::uint32_t(m_tempo) / 8));
    ++m_changes;
}

std::uint32_t PerformerClock::msToUnits(std::uint32_t ms) const {
    if (m_milliseconds) return ms;
    const std::uint64_t msPerQuarter = m_usPerQuarter / 1000;
    const std::uint64_t scaled = std::uint64_t(ms) * m_timeBase;
    std::uint64_t units = scaled / msPerQuarter;
    if (scaled % msPerQuarter >= m_usPerQuarter / 2000) ++units;
    return std::uint32_t(std::min<std::uint64_t>(units, Performer::kNever - 1));
}

std::uint32_t PerformerClock::unitsToMs(std::uint32_t units) const {
    if (m_milliseconds) return units;
    return std::uint32_t(std::uint64_t(units) * (m_usPerQuarter / 1000) / m_timeBase);
}

// --- channel ---------------------------------------------------------------------------------

ChannelState ChannelState::forSong(Records song, const SongInfo& info, std::uint8_t channel, std::size_t first,
                                   std::size_t count) {
    ChannelState state;
    state.finished = false;
    state.midiChannel = channel;
    state.track = song;
    state.start = std::min(first, song.size());
    state.count = std::min(count, song.size() - state.start);
    state.melodic = !info.isRhythm();
    state.initialModule = info.initialModule();
    state.initialBank = info.initialBank();
    state.initialProgram = info.initialProgram();
    return state;
}

// --- performer -------------------------------------------------------------------------------

Performer::Performer(ChannelState& state, PerformerClock& clock, PerformerSink& sink)
    : m_state(state), m_clock(clock), m_sink(sink) {}

Records Performer::walked() const {
    const ChannelState& s = m_state;
    const std::size_t start = std::min(s.start, s.track.size());
    return s.track.first(start + std::min(s.count, s.track.size() - start));
}

// The first group from `group` on that is a note, a rest or a meta record; the end when none.
std::size_t Performer::nextPlayable(std::size_t group) const {
    const Records records = walked();
    for (; group < records.size(); group = nextGroup(records, group)) {
        if (records[group].takesTime() || records[group].isMeta()) return group;
    }
    return records.size();
}

void Performer::begin() {
    ChannelState& s = m_state;
    s.slots = {};
    s.curves = {};
    s.shiftAtNoteOn.fill(std::int8_t(shift()));
    const std::size_t first = nextPlayable(std::min(s.start, walked().size()));
    s.position = first - std::min(s.start, first);
    s.finished = first >= walked().size();
    s.nextGroupDue = !s.finished;
}

void Performer::step() {
    ChannelState& s = m_state;
    if (s.finished) return;
    if (s.nextGroupDue) {
        processDueGroups();
    } else {
        countDown();
        if (s.nextGroupDue) processDueGroups();
    }
    stepCurves();
}

std::uint32_t Performer::quietUnits() const {
    const ChannelState& s = m_state;
    if (s.finished) return kNever;
    if (s.nextGroupDue) return 0;
    std::uint32_t quiet = kNever;
    for (const VoiceSlot& slot : s.slots) {
        if (slot.busy()) quiet = std::min(quiet, slot.remaining - 1);
    }
    for (const CurveState& curve : s.curves) {
        if (!curve.active()) continue;
        const std::uint32_t period = curvePeriod(curve);
        if (period != 0) quiet = std::min(quiet, period - curve.steps % period - 1);
    }
    return quiet;
}

void Performer::skip(std::uint32_t units) {
    for (VoiceSlot& slot : m_state.slots) {
        if (slot.busy()) slot.remaining -= units;
    }
    for (CurveState& curve : m_state.curves) {
        if (curve.active()) curve.steps += units;
    }
}

void Performer::processDueGroups() {
    ChannelState& s = m_state;
    const Records records = walked();
    while (s.nextGroupDue) {
        const std::size_t group = s.start + s.position;
        if (group >= records.size()) {
            s.finished = true;
            s.nextGroupDue = false;
            return;
        }
        s.nextGroupDue = false;
        s.position = nextPlayable(nextGroup(records, group)) - s.start;
        processGroup(group);
    }
}

void Performer::processGroup(std::size_t group) {
    ChannelState& s = m_state;
    const Records records = walked();
    const SongRecord& first = records[group];
    if (first.isMeta()) {
        if (m_writesMeta && first.metaType() == meta::kTimeSignature) m_sink.timeSignature(first.metaNumerator(), first.metaDenominatorPower());
        if (m_writesMeta && first.metaType() == meta::kKeySignature) m_sink.keySignature(first.metaKeySignature());
        s.nextGroupDue = true;
        return;
    }
    std::uint32_t length = groupLength(group);
    const std::size_t end = groupEnd(records, group);
    for (std::size_t i = end; i-- > group;) {
        const SongRecord& r = records[i];
        const std::uint8_t kind = r.kind();
        if (r.takesTime()) takeSlot(std::uint32_t(i), length);
        else if (kind == kind::kEffect) effect(r, group, length);
        else if (kind >= kind::kVolumeCurve && kind <= kind::kPitchBendCurve + 2 && (kind & 0x0F) <= 2) loadCurve(r);
    }
    // A group that holds no time (or whose slots all ran out at once) hands over at this unit.
    if (std::none_of(s.slots.begin(), s.slots.end(), [](const VoiceSlot& v) { return v.busy(); }))
        s.nextGroupDue = true;
}

void Performer::effect(const SongRecord& r, std::size_t group, std::uint32_t& length) {
    ChannelState& s = m_state;
    const std::uint8_t ch = s.midiChannel;
    const std::uint8_t number = r.effectNumber();
    switch (number) {
    case effect::kVolume:
        m_sink.controller(ch, cc::kVolume, dataByte(r.value()));
        s.curves[kVolumeCurve].function = 0;
        break;
    case effect::kPan: m_sink.controller(ch, cc::kPan, dataByte(r.value())); break;
    case effect::kModulation:
        m_sink.controller(ch, cc::kModulation, dataByte(r.value()));
        s.curves[kModulationCurve].function = 0;
        break;
    case effect::kHold: m_sink.controller(ch, cc::kHold, dataByte(r.value())); break;
    case effect::kReverb: m_sink.controller(ch, cc::kReverb, dataByte(r.value())); break;
    case effect::kChorus: m_sink.controller(ch, cc::kChorus, dataByte(r.value())); break;
    case effect::kPitchBend: {
        const std::uint16_t packed = PackPitchBend(std::uint16_t(r.value16()));
        m_sink.pitchBend(ch, std::uint8_t(packed & 0x7F), std::uint8_t((packed >> 8) & 0x7F));
        s.curves[kPitchBendCurve].function = 0;
        break;
    }
    case effect::kTempo:
        m_clock.setTempo(r.value());
        m_sink.tempo(m_clock.tempo());
        length = groupLength(group);
        break;
    case effect::kProgram:
        if (r.programModule() != 0) {
            m_sink.controller(ch, cc::kBankSelectLow, dataByte(r.programModule()));
            m_sink.controller(ch, cc::kBankSelect, dataByte(r.programBank()));
        }
        m_sink.programChange(ch, dataByte(r.programNumber()));
        break;
    default:
        if (number >= effect::kExpression && number <= effect::kVariation)
            m_sink.controller(ch, kExtraControllers[number - effect::kExpression], dataByte(r.value()));
        break;
    }
}

void Performer::loadCurve(const SongRecord& r) {
    CurveState& curve = m_state.curves[(r.kind() >> 4) - 2];
    switch (r.kind() & 0x0F) {
    case 0:
        curve.function = r.curveFunction() <= 4 ? r.curveFunction() : std::uint8_t(0);
        curve.interval = r.curveInterval();
        curve.startOffset = r.curveStartOffset();
        curve.steps = 0;
        break;
    case 1:
        curve.c = r.curveConstant();
        curve.amplitude = r.curveAmplitude();
        break;
    default:
        curve.a = r.curveA();
        curve.b = r.curveB();
        break;
    }
}

namespace {
// Delay and gate of a note in units; out-of-range percentages are held to the note's length.
std::uint32_t delayUnits(const SongRecord& r, std::uint32_t length) {
    return std::uint32_t(std::min<std::uint64_t>(std::uint64_t(length) * r.delay() / 100, length));
}
std::uint32_t gateUnits(const SongRecord& r, std::uint32_t length) {
    const std::uint32_t delay = delayUnits(r, length);
    return std::uint32_t(std::min<std::uint64_t>(std::uint64_t(length) * r.gate() / 100, length - delay));
}
}  // namespace

void Performer::takeSlot(std::uint32_t record, std::uint32_t length) {
    ChannelState& s = m_state;
    const auto free = std::find_if(s.slots.begin(), s.slots.end(), [](const VoiceSlot& v) { return !v.busy(); });
    if (free == s.slots.end()) return;
    VoiceSlot& slot = *free;
    slot.record = record;
    slot.length = length;
    const SongRecord& r = s.track[record];
    if (r.isRest()) return enter(slot, VoiceState::Rest, length);
    const std::uint32_t delay = delayUnits(r, length);
    switch (r.tie()) {
    case mark::kTieEnd: return enter(slot, VoiceState::Gate, delay + gateUnits(r, length));
    case mark::kTieMiddle: return enter(slot, VoiceState::Tied, length);
    case mark::kTieBegin:
        if (delay != 0) return enter(slot, VoiceState::TieDelay, delay);
        keyDown(r);
        return enter(slot, VoiceState::Tied, length);
    default:
        if (delay != 0) return enter(slot, VoiceState::Delay, delay);
        keyDown(r);
        return enter(slot, VoiceState::Gate, gateUnits(r, length));
    }
}

// A state of no length is left at once, so that every busy slot has time left between steps.
void Performer::enter(VoiceSlot& slot, VoiceState state, std::uint32_t units) {
    slot.state = state;
    slot.remaining = units;
    if (units == 0) expire(slot);
}

void Performer::expire(VoiceSlot& slot) {
    const SongRecord& r = m_state.track[slot.record];
    switch (slot.state) {
    case VoiceState::Delay:
        keyDown(r);
        return enter(slot, VoiceState::Gate, gateUnits(r, slot.length));
    case VoiceState::Gate: {
        keyUp(r);
        const std::uint32_t tail = slot.length - delayUnits(r, slot.length) - gateUnits(r, slot.length);
        if (tail == 0) return endGroup(slot);
        return enter(slot, VoiceState::Tail, tail);
    }
    case VoiceState::TieDelay:
        keyDown(r);
        return enter(slot, VoiceState::Tied, slot.length - delayUnits(r, slot.length));
    case VoiceState::Rest:
    case VoiceState::Tail:
    case VoiceState::Tied: return endGroup(slot);
    case VoiceState::Free: return;
    }
}

// A group's curve pieces belong to it: they end whenever its time is up, also when a note's gate
// fills the whole length.
void Performer::endGroup(VoiceSlot& slot) {
    slot.state = VoiceState::Free;
    slot.remaining = 0;
    for (CurveState& curve : m_state.curves) curve.function = 0;
    m_state.nextGroupDue = true;
}

void Performer::countDown() {
    for (VoiceSlot& slot : m_state.slots) {
        if (slot.busy() && --slot.remaining == 0) expire(slot);
    }
}

void Performer::stepCurves() {
    ChannelState& s = m_state;
    for (std::size_t k = 0; k < s.curves.size(); ++k) {
        CurveState& curve = s.curves[k];
        if (!curve.active()) continue;
        ++curve.steps;
        const std::uint32_t period = curvePeriod(curve);
        if (period == 0 || curve.steps % period != 0) continue;
        const double t = double(m_clock.unitsToMs(curve.steps)) + double(curve.startOffset);
        // Values are held to the message's range, not wrapped: a curve that overshoots stays at its end.
        const long long value = curveValue(curve, t);
        if (k == kVolumeCurve) {
            m_sink.controller(s.midiChannel, cc::kVolume, dataByte(value));
        } else if (k == kModulationCurve) {
            m_sink.controller(s.midiChannel, cc::kModulation, dataByte(value));
        } else {
            const auto bend = std::int16_t(std::clamp<long long>(value, -8192, 8191));
            const std::uint16_t packed = PackPitchBend(std::uint16_t(bend));
            m_sink.pitchBend(s.midiChannel, std::uint8_t(packed & 0x7F), std::uint8_t((packed >> 8) & 0x7F));
        }
    }
}

int Performer::shift() const {
    return m_state.midiChannel == kRhythmChannel ? 0 : std::clamp(m_transposition, -128, 127);
}

void Performer::keyDown(const SongRecord& r) {
    ChannelState& s = m_state;
    s.shiftAtNoteOn[r.key() & 0x7F] = std::int8_t(shift());
    const int key = r.key() + s.shiftAtNoteOn[r.key() & 0x7F];
    if (std::atomic_ref<bool>(s.muted).load(std::memory_order_relaxed) || key < 0 || key > 127) return;
    m_sink.noteOn(s.midiChannel, std::uint8_t(key), std::uint8_t(std::clamp<int>(r.velocity(), 1, 127)));
}

void Performer::keyUp(const SongRecord& r) {
    const int key = r.key() + m_state.shiftAtNoteOn[r.key() & 0x7F];
    if (key < 0 || key > 127) return;
    m_sink.noteOff(m_state.midiChannel, std::uint8_t(key));
}

std::uint32_t Performer::groupLength(std::size_t group) {
    DurationRule rule(32 * m_clock.thirtySecond());
    rule.setTupletBase(m_state.tupletBase);
    const std::uint32_t length = rule.groupLength(walked(), group);
    m_state.tupletBase = std::uint8_t(rule.tupletBase());
    return length;
}

std::uint32_t Performer::curvePeriod(const CurveState& curve) const { return m_clock.msToUnits(curve.interval); }

// --- ensemble --------------------------------------------------------------------------------

Ensemble::Ensemble(std::span<Performer* const> performers, const PerformerClock& clock, std::int64_t first,
                   Stepping stepping)
    : m_count(std::min(performers.size(), kMaxPerformers)), m_clock(clock), m_stepping(stepping), m_now(first - 1) {
    for (std::size_t i = 0; i < m_count; ++i) {
        m_performers[i] = performers[i];
        m_synced[i] = m_now;
        m_due[i] = dueAfterSync(i);
        m_finished += m_performers[i]->finished();
    }
}

bool Ensemble::finished() const {
    for (std::size_t i = 0; i < m_count; ++i) {
        if (!m_performers[i]->finished()) return false;
    }
    return true;
}

void Ensemble::setOnFinish(void (*callback)(void*, std::size_t), void* context) {
    m_onFinish = callback;
    m_onFinishContext = context;
}

void Ensemble::runUntil(std::int64_t last) {
    if (m_stepping == Stepping::EveryUnit) runEveryUnit(last);
    else runSkippingQuiet(last);
}

void Ensemble::runEveryUnit(std::int64_t last) {
    while (m_now < last && !finished()) {
        ++m_now;
        for (std::size_t i = 0; i < m_count; ++i) {
            if (!m_performers[i]->finished()) m_performers[i]->step();
        }
        reportFinished();
    }
}

void Ensemble::runSkippingQuiet(std::int64_t last) {
    for (;;) {
        std::int64_t unit = kForever;
        for (std::size_t i = 0; i < m_count; ++i) unit = std::min(unit, m_due[i]);
        if (unit == kForever) return;
        if (unit > last) {
            m_now = std::max(m_now, last);
            return;
        }
        m_now = unit;
        std::uint32_t tempoStamp = m_clock.changes();
        for (std::size_t i = 0; i < m_count; ++i) {
            if (m_due[i] != unit) continue;
            catchUp(i, unit - 1);
            m_performers[i]->step();
            m_synced[i] = unit;
            if (m_clock.changes() != tempoStamp) {
                tempoStamp = m_clock.changes();
                resync(i);
            }
            m_due[i] = dueAfterSync(i);
        }
        reportFinished();
    }
}

// The clock changed while performer `changed` stepped at m_now: those before it have stepped this
// unit under the old clock, those after it step it under the new one. Bring each to that point
// (nothing happened to them meanwhile) and measure its quiet time again.
void Ensemble::resync(std::size_t changed) {
    for (std::size_t j = 0; j < m_count; ++j) {
        if (j == changed || m_performers[j]->finished()) continue;
        catchUp(j, j < changed ? m_now : m_now - 1);
        m_due[j] = dueAfterSync(j);
    }
}

std::int64_t Ensemble::dueAfterSync(std::size_t i) const {
    const std::uint32_t quiet = m_performers[i]->quietUnits();
    return quiet == Performer::kNever ? kForever : m_synced[i] + std::int64_t(quiet) + 1;
}

void Ensemble::catchUp(std::size_t i, std::int64_t unit) {
    if (unit <= m_synced[i]) return;
    m_performers[i]->skip(std::uint32_t(unit - m_synced[i]));
    m_synced[i] = unit;
}

void Ensemble::reportFinished() {
    std::size_t finished = 0;
    for (std::size_t i = 0; i < m_count; ++i) finished += m_performers[i]->finished();
    if (finished == m_finished) return;
    m_finished = finished;
    if (m_onFinish) m_onFinish(m_onFinishContext, finished);
}

}  // namespace plume
