#include "play/devices/system_devices.h"

namespace plume {

SystemMidiDevices::SystemMidiDevices(SynthOptions synth, std::optional<std::filesystem::path> noSoundCardWav)
    : m_synth(std::move(synth)), m_noSoundCardWav(std::move(noSoundCardWav)) {}

std::vector<std::string> SystemMidiDevices::portNames() {
    m_ports = listMidiPorts();
    std::vector<std::string> names;
    for (const MidiPort& port : m_ports) names.push_back(port.name);
    return names;
}

std::unique_ptr<MidiOut> SystemMidiDevices::open(int id) {
    if (id >= 0) {
        if (std::size_t(id) >= m_ports.size()) return nullptr;
        return openMidiPort(m_ports[std::size_t(id)]);
    }
    if (id != kMidiMapper) return nullptr;
    if (auto synth = FluidSynthOut::create(m_synth)) return synth;
    if (m_synth.wav || !m_noSoundCardWav) return nullptr;
    SynthOptions toFile = m_synth;
    toFile.wav = m_noSoundCardWav;
    return FluidSynthOut::create(toFile);
}

}  // namespace plume
