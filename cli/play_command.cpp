#include "cli/play_command.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/commands.h"
#include "platform/profile.h"
#include "platform/window_timers.h"
#include "play/mixer_state.h"
#include "play/event_recorder.h"
#include "play/devices/fluidsynth_out.h"
#include "play/playback_engine.h"
#include "play/devices/system_devices.h"
#include "song/project.h"

namespace plume::cli {

const char* const kPlayUsage =
    "usage: plume-cli play IN.PLM|IN.PRJ [--events OUT.txt] [--wav OUT.wav] [--soundfont SF2]\n"
    "                      [--interrupt 1|2|5] [--reset auto|gm|gs|none] [--realtime]\n"
    "                      [--mute CH[,CH...]] [--solo CH]\n"
    "Plays a song, or every member of a project, as the editor does. The clock is simulated (faster\n"
    "than real time) unless --realtime is given. --events writes one line per MIDI message:\n"
    "milliseconds since the device was opened with three decimals, then the bytes in hex\n"
    "('300.000 B0 07 64'). --wav renders the built-in synthesiser to a 44.1 kHz stereo 16-bit\n"
    "WAV file. With --realtime and neither, the song plays on the device of the settings.\n"
    "--mute and --solo set the mixer's buttons of strips 1-16 for a project play: member CH plays\n"
    "on that strip (a rhythm member sounds on MIDI channel 10 all the same).\n"
    "Prints 'played SECONDS s, N messages' and 'wrote PATH' for each file written.\n";

namespace {

// The command line has no windows: a project plays as from the mixer, a song by its path.
class CliHost final : public PlayHost, public OpenDocumentLookup {
public:
    explicit CliHost(const ProjectData* project) : m_project(project) {}
    ActiveWindow activeWindow() const override { return m_project ? ActiveWindow::Mixer : ActiveWindow::None; }
    const CPlmDoc* activeDocument() const override { return nullptr; }
    std::filesystem::path activeDocumentPath() const override { return {}; }
    std::optional<RecordSelection> activeSelection() const override { return std::nullopt; }
    const ProjectData* project() const override { return m_project; }
    const OpenDocumentLookup& openDocuments() const override { return *this; }
    const CPlmDoc* findOpenDocument(const std::filesystem::path&) const override { return nullptr; }

private:
    const ProjectData* m_project;
};

bool endsWithPrj(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return ext == ".PRJ";
}

int usage(std::ostream& err, const std::string& problem) {
    err << "plume-cli: play: " << problem << '\n';
    return kUsage;
}

struct PlayOptions {
    std::string in;
    std::optional<std::string> events;
    std::optional<std::string> wav;
    std::string soundFont;
    std::optional<int> interrupt;
    std::optional<int> reset;
    bool realtime = false;
    std::vector<int> mute;  // strips 1-16
    std::optional<int> solo;
};

// A mixer strip number 1-16.
std::optional<int> stripNumber(const std::string& text) {
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const int n = std::stoi(text);
    if (n < 1 || n > int(kPlayChannels)) return std::nullopt;
    return n;
}

std::optional<int> parse(const std::vector<std::string>& args, PlayOptions& o, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "--events" || arg == "--wav" || arg == "--soundfont" || arg == "--interrupt" || arg == "--reset" ||
                               arg == "--mute" || arg == "--solo";
        if (takesValue && i + 1 >= args.size()) return usage(err, arg + " needs a value");
        const std::string value = takesValue ? args[++i] : "";
        if (arg == "--events") {
            o.events = value;
        } else if (arg == "--wav") {
            o.wav = value;
        } else if (arg == "--soundfont") {
            o.soundFont = value;
        } else if (arg == "--interrupt") {
            if (value == "1") o.interrupt = 0;
            else if (value == "2") o.interrupt = 1;
            else if (value == "5") o.interrupt = 2;
            else return usage(err, "--interrupt is 1, 2 or 5");
        } else if (arg == "--reset") {
            if (value == "auto") o.reset = 1;
            else if (value == "gm") o.reset = 2;
            else if (value == "gs") o.reset = 3;
            else if (value == "none") o.reset = 0;
            else return usage(err, "--reset is auto, gm, gs or none");
        } else if (arg == "--mute") {
            std::size_t from = 0;
            while (true) {
                const std::size_t comma = value.find(',', from);
                const auto strip = stripNumber(value.substr(from, comma - from));
                if (!strip) return usage(err, "--mute takes strip numbers 1-16, separated by commas");
                o.mute.push_back(*strip);
                if (comma == std::string::npos) break;
                from = comma + 1;
            }
        } else if (arg == "--solo") {
            o.solo = stripNumber(value);
            if (!o.solo) return usage(err, "--solo takes one strip number 1-16");
        } else if (arg == "--realtime") {
            o.realtime = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (o.in.empty()) {
            o.in = arg;
        } else {
            return usage(err, "takes one song or project file");
        }
    }
    if (o.in.empty()) return usage(err, "needs a song or project file");
    if ((!o.mute.empty() || o.solo) && !endsWithPrj(o.in)) return usage(err, "--mute and --solo apply to a project");
    return std::nullopt;
}

}  // namespace

int playCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PlayOptions o;
    if (const auto failed = parse(args, o, err)) return *failed;

    std::optional<ProjectData> project;
    if (endsWithPrj(o.in)) {
        ProjectReadResult read = readProject(o.in);
        if (!read.ok()) return kBadData;
        project = read.data;
    }

    PlaySettings settings = PlaySettings::load(platform::plmProfile());
    if (o.interrupt) settings.interrupt = *o.interrupt;
    if (o.reset) settings.playBeginReset = *o.reset;
    if (!o.soundFont.empty()) settings.soundFont = o.soundFont;

    // The sinks: the event list, the rendered file, or (real time, neither asked) the device.
    auto recorder = std::make_unique<EventRecorder>();
    std::unique_ptr<FluidSynthOut> synth;
    if (o.wav) {
        SynthOptions options;
        options.soundFont = settings.soundFont;
        options.wav = *o.wav;
        std::string why;
        synth = FluidSynthOut::create(options, &why);
        if (!synth) {
            err << "plume-cli: play: the built-in synthesiser cannot start: " << why << '\n';
            return kBadData;
        }
    }
    std::vector<MidiOut*> sinks = {recorder.get()};
    if (synth) sinks.push_back(synth.get());
    std::unique_ptr<MidiDevices> devices;
    if (o.realtime && !o.events && !o.wav) {
        SynthOptions options;
        options.soundFont = settings.soundFont;
        devices = std::make_unique<SystemMidiDevices>(options);
    } else {
        settings.device = kMidiMapper;
        settings.deviceName.clear();
        devices = std::make_unique<FixedDevices>(sinks);
    }

    CliHost host(project ? &*project : nullptr);
    // The mixer's buttons, applied by the sequencer when the project play starts.
    platform::ManualTimers mixerTimers;
    MixerState mixer(mixerTimers);
    for (const int strip : o.mute) {
        if (!mixer.channel(std::size_t(strip - 1)).mute) mixer.clickMute(std::size_t(strip - 1));
    }
    if (o.solo) mixer.clickSolo(std::size_t(*o.solo - 1));
    PlaybackEngine engine(o.realtime ? PlaybackEngine::ClockMode::Realtime : PlaybackEngine::ClockMode::Simulated,
                          *devices, host, mixer, platform::plmProfile(), settings);
    Sequencer& sequencer = engine.sequencer();
    if (project) sequencer.PlayCurrent();
    else sequencer.PlayFile(o.in);
    if (sequencer.playMode() == PlayMode::Stopped) {
        err << "plume-cli: play: nothing was played\n";
        return kBadData;
    }
    const std::int64_t started = engine.clock().nowMicros();
    constexpr std::int64_t kSixHours = 6LL * 3600 * 1000;
    engine.runUntil([&] { return sequencer.playMode() == PlayMode::Stopped; }, kSixHours);
    if (sequencer.playMode() != PlayMode::Stopped) sequencer.StopPlay();
    const std::int64_t played = engine.clock().nowMicros() - started;

    const std::vector<MidiMessage>& events = recorder->events();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", double(played) / 1e6);
    out << "played " << seconds << " s, " << events.size() << " messages\n";
    if (recorder->lost() != 0) err << "plume-cli: play: " << recorder->lost() << " messages were lost\n";
    if (o.events) {
        std::ofstream file(*o.events);
        for (const MidiMessage& m : events) file << eventLine(m) << '\n';
        if (!file.flush()) {
            err << "plume-cli: play: cannot write " << *o.events << '\n';
            return kBadData;
        }
        out << "wrote " << *o.events << '\n';
    }
    if (synth) {
        synth.reset();  // renders the rest and completes the file
        std::error_code ec;
        if (!std::filesystem::is_regular_file(*o.wav, ec)) {
            err << "plume-cli: play: cannot write " << *o.wav << '\n';
            return kBadData;
        }
        out << "wrote " << *o.wav << '\n';
    }
    return kOk;
}

}  // namespace plume::cli
