#include "cli/transcribe_command.h"

#include <charconv>
#include <optional>

#include "cli/commands.h"
#include "song/song_file.h"
#include "voice/transcription.h"
#include "voice/wave_file.h"

namespace plume::cli {

const char* const kTranscribeUsage =
    "usage: plume-cli transcribe IN.wav [--tempo N] [--detect-way 0|1] [-o OUT.PLM]\n"
    "Finds the notes of a sung or hummed take (any PCM WAV, converted to mono 22050 Hz; the first\n"
    "60 s) with the default detection parameters, and prints one line per note:\n"
    "CODE DOTS NOTE FREQ START END (length code 1-6, dots 0/64/128, MIDI note, Hz, samples).\n"
    "--tempo sets the quarter notes per minute used for the lengths (default 120); -o writes the\n"
    "notes as a song, without the enrolled transposition.\n";

namespace {

int usage(std::ostream& err, const std::string& why) {
    err << "plume-cli: transcribe: " << why << '\n' << kTranscribeUsage;
    return kUsage;
}

std::optional<int> number(const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

int transcribeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string in;
    std::optional<std::string> songOut;
    int tempo = 120;
    int detectWay = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--tempo" || arg == "--detect-way" || arg == "-o";
        if (takesValue && i + 1 >= args.size()) return usage(err, arg + " needs a value");
        const std::string value = takesValue ? args[++i] : "";
        if (arg == "--tempo") {
            const auto t = number(value, 1, 999);
            if (!t) return usage(err, "--tempo is a whole number from 1 to 999");
            tempo = *t;
        } else if (arg == "--detect-way") {
            const auto w = number(value, 0, 1);
            if (!w) return usage(err, "--detect-way is 0 or 1");
            detectWay = *w;
        } else if (arg == "-o") {
            songOut = value;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (in.empty()) {
            in = arg;
        } else {
            return usage(err, "takes one WAV file");
        }
    }
    if (in.empty()) return usage(err, "needs a WAV file");

    const voice::WavData wav = voice::readCaptureWav(in);
    if (!wav.ok()) {
        err << "plume-cli: " << in << ": " << voice::wavStatusText(wav.status) << '\n';
        return kBadData;
    }
    voice::DetectParameters parameters = voice::DetectParameters::defaults();
    parameters[voice::DetectParameters::kDetectWay] = std::uint16_t(detectWay);
    const voice::Transcription take = voice::transcribeTake(wav.samples, std::uint16_t(tempo), parameters);
    for (const voice::NoteSegment& s : take.segments) {
        out << int(s.lengthCode) << ' ' << int(s.dots) << ' ' << int(s.note) << ' ' << s.frequency << ' ' << s.start
            << ' ' << s.end << '\n';
    }
    if (songOut) {
        SongData song;
        song.info.setTempo(std::int16_t(tempo));
        song.records = voice::notesFromSegments(take.segments, song.info, 0);
        if (!writeSong(*songOut, song)) {
            err << "plume-cli: " << *songOut << ": cannot write the song\n";
            return kBadData;
        }
    }
    return kOk;
}

}  // namespace plume::cli
