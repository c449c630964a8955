#pragma once
// The devices of this machine: MIDI ports 0..n-1 and the built-in synthesiser as "MIDI Mapper".

#include <filesystem>
#include <optional>

#include "play/devices/fluidsynth_out.h"
#include "play/midi_out.h"
#include "play/devices/rtmidi_out.h"

namespace plume {

class SystemMidiDevices final : public MidiDevices {
public:
    // `synth` configures the built-in synthesiser; `noSoundCardWav`, when given, is where it renders
    // when there is no sound card (otherwise it cannot be opened then).
    explicit SystemMidiDevices(SynthOptions synth, std::optional<std::filesystem::path> noSoundCardWav = {});

    // Lists the ports afresh.
    std::vector<std::string> portNames() override;
    // A port number refers to the list as last read.
    std::unique_ptr<MidiOut> open(int id) override;

private:
    SynthOptions m_synth;
    std::optional<std::filesystem::path> m_noSoundCardWav;
    std::vector<MidiPort> m_ports;
};

}  // namespace plume
