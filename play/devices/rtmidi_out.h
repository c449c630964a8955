#pragma once
// MIDI output ports through RtMidi: the ALSA sequencer and JACK here. A system that is not there
// is left out before RtMidi touches it (it throws without an ALSA sequencer, and its JACK backend
// crashes when a port is opened while none exists).

#include <memory>
#include <string>
#include <vector>

#include "play/midi_out.h"

namespace plume {

struct MidiPort {
    std::string name;  // stable between runs: no client or port numbers
    int api = 0;       // RtMidi's API
    unsigned index = 0;
};

// ALSA sequencer ports first, then JACK ports (their names end in " (JACK)").
std::vector<MidiPort> listMidiPorts();
// Null when the port cannot be opened.
std::unique_ptr<MidiOut> openMidiPort(const MidiPort& port);

}  // namespace plume
