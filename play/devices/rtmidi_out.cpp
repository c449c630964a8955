#include "play/devices/rtmidi_out.h"

#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <regex>

namespace plume {

namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void quietJack(const char*) {}
void quietRtMidi(RtMidiError::Type, const std::string&, void*) {}

bool alsaSequencerPresent() {
    snd_lib_error_set_handler(quietAlsa);
    return ::access("/dev/snd/seq", R_OK | W_OK) == 0;
}

// A JACK server answers; without one no JACK port is listed or opened.
bool jackServerRunning() {
    jack_set_error_function(quietJack);
    jack_set_info_function(quietJack);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("plume-probe", JackNoStartServer, &status);
    if (!client) return false;
    jack_client_close(client);
    return true;
}

// ALSA names end in the client and port numbers ("Synth:Synth Port 128:0"), which change between runs.
std::string stableName(const std::string& name, RtMidi::Api api) {
    if (api == RtMidi::UNIX_JACK) return name + " (JACK)";
    static const std::regex numbers(R"( \d+:\d+$)");
    return std::regex_replace(name, numbers, "");
}

class RtMidiPortOut final : public MidiOut {
public:
    explicit RtMidiPortOut(std::unique_ptr<RtMidiOut> out) : m_out(std::move(out)) {}
    ~RtMidiPortOut() override {
        try {
            m_out->closePort();
        } catch (...) {
        }
    }
    // Sent at once: a port has no clock of ours.
    void send(const MidiMessage& message) override {
        try {
            m_out->sendMessage(message.bytes.data(), message.size);
        } catch (...) {
        }
    }

private:
    std::unique_ptr<RtMidiOut> m_out;
};

std::vector<RtMidi::Api> presentApis() {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    std::vector<RtMidi::Api> present;
    for (RtMidi::Api api : {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK}) {
        if (std::find(compiled.begin(), compiled.end(), api) == compiled.end()) continue;
        if (api == RtMidi::LINUX_ALSA && !alsaSequencerPresent()) continue;
        if (api == RtMidi::UNIX_JACK && !jackServerRunning()) continue;
        present.push_back(api);
    }
    return present;
}

}  // namespace

std::vector<MidiPort> listMidiPorts() {
    std::vector<MidiPort> ports;
    for (RtMidi::Api api : presentApis()) {
        try {
            RtMidiOut out(api, "Plume");
            out.setErrorCallback(quietRtMidi);
            const unsigned count = out.getPortCount();
            for (unsigned i = 0; i < count; ++i) ports.push_back({stableName(out.getPortName(i), api), int(api), i});
        } catch (const RtMidiError&) {
        }
    }
    return ports;
}

std::unique_ptr<MidiOut> openMidiPort(const MidiPort& port) {
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::Api(port.api), "Plume");
        out->setErrorCallback(quietRtMidi);
        if (port.index >= out->getPortCount()) return nullptr;
        out->openPort(port.index, "Plume out");
        if (!out->isPortOpen()) return nullptr;
        return std::make_unique<RtMidiPortOut>(std::move(out));
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

}  // namespace plume
