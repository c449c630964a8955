#include "play/play_fixture.h"

#include <algorithm>

#include "support/song_builder.h"

namespace plume::test {

void FakeMixer::setChannelValue(MixerControl control, std::size_t channel, int value) {
    static constexpr const char* kNames[] = {"volume", "pan", "reverb", "chorus"};
    values.push_back(std::string(kNames[int(control)]) + ' ' + std::to_string(channel) + ' ' + std::to_string(value));
}

void FakeMixer::applyMuteSolo(PlayBlock& block) {
    for (std::size_t ch = 0; ch < 16; ++ch) setChannelMuted(block, ch, false);
}

std::size_t RecordingListener::count(PlayReport::Kind kind) const {
    return std::size_t(std::count_if(reports.begin(), reports.end(), [&](const PlayReport& r) { return r.kind == kind; }));
}

PlayRig::PlayRig(PlaySettings settings, PlaybackEngine::ClockMode mode, PlayMixer* playMixer, MidiOut* alsoTo)
    : devices(alsoTo ? std::vector<MidiOut*>{recorder.get(), alsoTo} : std::vector<MidiOut*>{recorder.get()}),
      engine(mode, devices, host, playMixer ? *playMixer : mixer, profile, std::move(settings)) {}

bool PlayRig::playToEnd(std::int64_t limitMs) {
    return engine.runUntil([this] { return sequencer().playMode() == PlayMode::Stopped; }, limitMs);
}

void PlayRig::start(const CPlmDoc& document) {
    host.document = &document;
    sequencer().PlayCurrent();
}

void PlayRig::startProject(const ProjectData& project) {
    host.active = ActiveWindow::Mixer;
    host.projectData = &project;
    sequencer().PlayCurrent();
}

bool PlayRig::play(const CPlmDoc& document) {
    start(document);
    return playToEnd();
}

std::vector<std::string> PlayRig::messages() {
    std::vector<std::string> lines = timed();
    for (std::string& line : lines) line.erase(0, line.find(' ') + 1);
    return lines;
}

std::vector<std::string> PlayRig::noteOns() {
    std::vector<std::string> ons = messages();
    std::erase_if(ons, [](const std::string& m) { return m.size() != 8 || m[0] != '9' || m.ends_with("00"); });
    return ons;
}

std::vector<std::string> PlayRig::timed() {
    std::vector<std::string> lines;
    for (const MidiMessage& m : recorder->events()) lines.push_back(eventLine(m));
    return lines;
}

std::unique_ptr<CPlmDoc> documentOf(const std::vector<SongRecord>& records, SongInfo info) {
    auto document = std::make_unique<CPlmDoc>();
    document->load(songOf(records, info));
    return document;
}

SongInfo infoWith(std::int16_t tempo, std::uint8_t module, std::uint8_t bank, std::uint8_t program, bool rhythm) {
    SongInfo info = SongInfo::defaults();
    info.setTempo(tempo);
    info.setFileKind(rhythm ? 0 : 1);
    info.setInitialModule(module);
    info.setInitialBank(bank);
    info.setInitialProgram(program);
    return info;
}

std::size_t indexOf(const std::vector<std::string>& messages, const std::string& text, std::size_t from) {
    const auto it = std::find(messages.begin() + std::ptrdiff_t(std::min(from, messages.size())), messages.end(), text);
    return std::size_t(it - messages.begin());
}

}  // namespace plume::test
