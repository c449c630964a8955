#include "export/midi_file_writer.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

#include "play/midi_out.h"

namespace plume {

namespace {

constexpr std::size_t kTracks = 16;
constexpr std::uint8_t kRhythmChannel = 9;

std::uint8_t channelOf(std::size_t track, const SongInfo& info) {
    return info.isRhythm() ? kRhythmChannel : std::uint8_t(track);
}

std::uint8_t low7(int value) { return std::uint8_t(std::clamp(value, 0, 127)); }

class MidiFileBuilder final : public PerformerSink {
public:
    MidiFileBuilder(const ExportProject& project, const MidiExportOptions& options);
    std::vector<std::uint8_t> build();

    void noteOn(std::uint8_t ch, std::uint8_t key, std::uint8_t velocity) override {
        event({std::uint8_t(0x90 | ch), key, velocity});
    }
    void noteOff(std::uint8_t ch, std::uint8_t key) override { event({std::uint8_t(0x90 | ch), key, 0}); }
    void controller(std::uint8_t ch, std::uint8_t number, std::uint8_t value) override {
        event({std::uint8_t(0xB0 | ch), number, value});
    }
    void pitchBend(std::uint8_t ch, std::uint8_t lsb, std::uint8_t msb) override {
        event({std::uint8_t(0xE0 | ch), lsb, msb});
    }
    void programChange(std::uint8_t ch, std::uint8_t program) override {
        event({std::uint8_t(0xC0 | ch), program});
    }
    // Tempo changes inside the song are written in format 0; format 1 has its tempo map.
    void tempo(int quarterNotesPerMinute) override {
        if (m_options.format == 0) tempoEvent(quarterNotesPerMinute);
    }
    void timeSignature(std::uint8_t numerator, std::uint8_t denominatorPower) override {
        event({0xFF, 0x58, 0x04, numerator, denominatorPower, 0x18, 0x08});
    }
    void keySignature(std::uint8_t keyNumber) override {
        event({0xFF, 0x59, 0x02, std::uint8_t(keySignatureSharps(keyNumber)), 0x00});
    }

private:
    void headerChunk();
    void headerTrackStart();
    void tempoMap();
    void initialInstrument(std::size_t track);
    // Performs the tracks together from `first` (the tick of their first step) to their end.
    void perform(std::span<const std::size_t> tracks, std::int64_t first);
    void memberTrack(std::size_t track);
    void beginTrack();
    void endTrack();
    void event(std::initializer_list<std::uint8_t> bytes);
    void tempoEvent(int tempo);
    void put16(std::uint16_t v);
    void put32(std::uint32_t v);
    void putQuantity(std::uint32_t v);
    void report(int percent);
    static void reportFinished(void* self, std::size_t finished);

    const ExportProject& m_project;
    const MidiExportOptions& m_options;
    const std::uint32_t m_timeBase;
    std::uint32_t m_startTick = 0;
    std::size_t m_conductor = kTracks;  // the first track that holds records
    std::size_t m_performed = 0;        // tracks in the running simulation
    std::vector<std::uint8_t> m_out;
    std::size_t m_lengthAt = 0;  // the current track's length field
    std::uint32_t m_tick = 0;
    std::uint32_t m_lastTick = 0;
    const Ensemble* m_ensemble = nullptr;  // while performing, the tick is the ensemble's
    int m_progress = -1;
};

MidiFileBuilder::MidiFileBuilder(const ExportProject& project, const MidiExportOptions& options)
    : m_project(project), m_options(options), m_timeBase(std::clamp(options.timeBase, kMinTimeBase, kMaxTimeBase)) {
    for (std::size_t i = 0; i < kTracks && m_conductor == kTracks; ++i) {
        if (project.tracks[i].used()) m_conductor = i;
    }
    if (options.restBar) m_startTick = 32 * PerformerClock::ticks(m_timeBase, project.startTempo).thirtySecond();
}

std::vector<std::uint8_t> MidiFileBuilder::build() {
    report(0);
    headerChunk();
    headerTrackStart();
    std::array<std::size_t, kTracks> used{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < kTracks; ++i) {
        if (m_project.tracks[i].used()) used[count++] = i;
    }
    if (m_options.format == 0) {
        for (std::size_t i = 0; i < count; ++i) initialInstrument(used[i]);
        m_tick = m_lastTick = 0;
        perform({used.data(), count}, 1);
        endTrack();
    } else {
        tempoMap();
        endTrack();
        for (std::size_t i = 0; i < kTracks; ++i) {
            report(int(i * 100 / kTracks));
            memberTrack(i);
        }
    }
    report(100);
    return std::move(m_out);
}

void MidiFileBuilder::headerChunk() {
    m_out.insert(m_out.end(), {'M', 'T', 'h', 'd'});
    put32(6);
    put16(m_options.format == 0 ? 0 : 1);
    put16(m_options.format == 0 ? 1 : 17);
    put16(std::uint16_t(m_timeBase));
}

void MidiFileBuilder::headerTrackStart() {
    beginTrack();
    const std::string& title = m_project.title;
    const std::size_t n = std::min<std::size_t>(title.size(), 127);
    m_out.insert(m_out.end(), {0x00, 0xFF, 0x03, std::uint8_t(n)});
    m_out.insert(m_out.end(), title.begin(), title.begin() + std::ptrdiff_t(n));
    if (m_options.reset == DeviceReset::GmSystemOn) event({0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    if (m_options.reset == DeviceReset::GsReset)
        event({0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});
    event({0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    event({0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    keySignature(m_project.key);
    m_tick = m_startTick;
    tempoEvent(m_project.tempo);
    timeSignature(m_project.numerator, m_project.denominatorPower);
}

// The conductor's tempo effects, time and key signatures at the ticks where its performance
// meets them: durations as the performer measures them, each group's first tempo effect in force.
void MidiFileBuilder::tempoMap() {
    if (m_conductor == kTracks) return;
    const Records records = m_project.tracks[m_conductor].records;
    PerformerClock clock = PerformerClock::ticks(m_timeBase, m_project.startTempo);
    DurationRule rule(32 * clock.thirtySecond());
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const SongRecord& first = records[g];
        if (first.isMeta() && first.metaType() == meta::kTimeSignature) timeSignature(first.metaNumerator(), first.metaDenominatorPower());
        if (first.isMeta() && first.metaType() == meta::kKeySignature) keySignature(first.metaKeySignature());
        if (!first.takesTime()) continue;
        const std::size_t end = groupEnd(records, g);
        const auto tempo = std::find_if(records.begin() + std::ptrdiff_t(g), records.begin() + std::ptrdiff_t(end),
                                        [](const SongRecord& r) { return r.isEffect() && r.effectNumber() == effect::kTempo; });
        if (tempo != records.begin() + std::ptrdiff_t(end)) {
            clock.setTempo(tempo->value());
            tempoEvent(clock.tempo());
        }
        rule.setWhole(32 * clock.thirtySecond());
        m_tick += rule.groupLength(records, g);
    }
}

void MidiFileBuilder::initialInstrument(std::size_t track) {
    const SongInfo& info = m_project.tracks[track].info;
    const std::uint8_t ch = channelOf(track, info);
    if (info.initialModule() != 0) {
        controller(ch, cc::kBankSelectLow, low7(info.initialModule()));
        controller(ch, cc::kBankSelect, low7(info.initialBank()));
    }
    programChange(ch, low7(info.initialProgram()));
}

void MidiFileBuilder::perform(std::span<const std::size_t> tracks, std::int64_t first) {
    PerformerClock clock = PerformerClock::ticks(m_timeBase, m_project.startTempo);
    std::array<ChannelState, kTracks> states;
    std::array<std::optional<Performer>, kTracks> performers;
    std::array<Performer*, kTracks> playing{};
    for (std::size_t k = 0; k < tracks.size(); ++k) {
        const ExportTrack& track = m_project.tracks[tracks[k]];
        states[k] = ChannelState::forSong(track.records, track.info, channelOf(tracks[k], track.info));
        Performer& performer = performers[k].emplace(states[k], clock, *this);
        performer.setTransposition(m_project.transposition);
        performer.setWritesMeta(m_options.format == 0 && tracks[k] == m_conductor);
        performer.begin();
        playing[k] = &performer;
    }
    Ensemble ensemble({playing.data(), tracks.size()}, clock, first, m_options.stepping);
    m_performed = tracks.size();
    if (m_options.format == 0) ensemble.setOnFinish(&MidiFileBuilder::reportFinished, this);
    m_ensemble = &ensemble;
    ensemble.runToEnd();
    m_ensemble = nullptr;
    m_tick = std::max(m_lastTick, std::uint32_t(std::max<std::int64_t>(ensemble.now(), 0)));
}

void MidiFileBuilder::memberTrack(std::size_t track) {
    if (!m_project.tracks[track].used()) {
        m_out.insert(m_out.end(), {'M', 'T', 'r', 'k', 0x00, 0x00, 0x00, 0x04, 0x00, 0xFF, 0x2F, 0x00});
        return;
    }
    beginTrack();
    m_tick = m_startTick;
    initialInstrument(track);
    const std::array<std::size_t, 1> only = {track};
    perform(only, m_startTick);
    endTrack();
}

void MidiFileBuilder::beginTrack() {
    m_out.insert(m_out.end(), {'M', 'T', 'r', 'k'});
    m_lengthAt = m_out.size();
    put32(0);
    m_tick = m_lastTick = 0;
}

void MidiFileBuilder::endTrack() {
    event({0xFF, 0x2F, 0x00});
    const std::size_t length = m_out.size() - m_lengthAt - 4;
    for (std::size_t i = 0; i < 4; ++i) m_out[m_lengthAt + i] = std::uint8_t(length >> (24 - 8 * i));
}

void MidiFileBuilder::event(std::initializer_list<std::uint8_t> bytes) {
    if (m_ensemble) m_tick = std::uint32_t(m_ensemble->now());
    putQuantity(m_tick - m_lastTick);
    m_lastTick = m_tick;
    m_out.insert(m_out.end(), bytes);
}

void MidiFileBuilder::tempoEvent(int tempo) {
    const std::uint32_t us = std::min<std::uint32_t>(60000000u / std::uint32_t(std::clamp(tempo, 1, 255)), 0xFFFFFF);
    event({0xFF, 0x51, 0x03, std::uint8_t(us >> 16), std::uint8_t(us >> 8), std::uint8_t(us)});
}

void MidiFileBuilder::put16(std::uint16_t v) { m_out.insert(m_out.end(), {std::uint8_t(v >> 8), std::uint8_t(v)}); }

void MidiFileBuilder::put32(std::uint32_t v) {
    put16(std::uint16_t(v >> 16));
    put16(std::uint16_t(v));
}

void MidiFileBuilder::putQuantity(std::uint32_t v) {
    std::array<std::uint8_t, 5> septets{};
    std::size_t n = 0;
    do {
        septets[n++] = std::uint8_t(v & 0x7F);
        v >>= 7;
    } while (v != 0);
    while (n-- > 0) m_out.push_back(std::uint8_t(septets[n] | (n != 0 ? 0x80 : 0x00)));
}

void MidiFileBuilder::report(int percent) {
    if (percent == m_progress) return;
    m_progress = percent;
    if (m_options.progress) m_options.progress(percent);
}

void MidiFileBuilder::reportFinished(void* self, std::size_t finished) {
    auto* builder = static_cast<MidiFileBuilder*>(self);
    if (builder->m_performed != 0) builder->report(int(finished * 100 / builder->m_performed));
}

}  // namespace

std::vector<std::uint8_t> buildMidiFile(const ExportProject& project, const MidiExportOptions& options) {
    return MidiFileBuilder(project, options).build();
}

ExportResult writeMidiFile(const ExportProject& project, const MidiExportOptions& options,
                           const std::filesystem::path& path) {
    return writeExportFile(path, [&] { return buildMidiFile(project, options); }, true);
}

std::filesystem::path midiFileName(const std::filesystem::path& project) { return exportFileName(project, "MID"); }

}  // namespace plume
