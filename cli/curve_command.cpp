#include "cli/curve_command.h"

#include <charconv>
#include <map>
#include <optional>

#include "cli/commands.h"
#include "cli/song_input.h"
#include "score/effect_curve.h"
#include "score/effect_forms.h"
#include "song/plm_doc.h"
#include "song/song_file.h"

namespace plume::cli {

const char* const kCurveUsage =
    "usage: plume-cli curve IN.PLM --from A --to B --effect volume|modulation|bend\n"
    "       --function line|parabola|exp|sin|delete --start S --end E [--step 10|20|30|40|50]\n"
    "       [--shape F] [--peak F --phase F] [-o OUT.PLM]\n"
    "Sets a function curve over the groups starting at record indices A to B (the first column of\n"
    "dump), as the function sheet does. --shape is the exponential's shape point, --peak and --phase\n"
    "the sine's points, each as a fraction of the graph width. Writes IN in place unless -o.\n";

namespace {

template <typename T>
std::optional<T> parse(const std::string& text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int usage(std::ostream& err, const std::string& why) {
    err << "plume-cli: curve: " << why << '\n';
    return kUsage;
}

}  // namespace

int curveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string in;
    std::map<std::string, std::string> options;
    static const char* const kOptions[] = {"--from", "--to", "--effect", "--function", "--start", "--end",
                                           "--step", "--shape", "--peak", "--phase", "-o"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool known = std::find(std::begin(kOptions), std::end(kOptions), arg) != std::end(kOptions);
        if (known && i + 1 < args.size() && !options.contains(arg)) options[arg] = args[++i];
        else if (in.empty() && !arg.starts_with("-")) in = arg;
        else return usage(err, "unexpected argument '" + arg + "'");
    }
    if (in.empty()) return usage(err, "needs a song file");
    for (const char* required : {"--from", "--to", "--effect", "--function"})
        if (!options.contains(required)) return usage(err, std::string("needs ") + required);

    static const std::map<std::string, std::uint8_t> kEffects = {
        {"volume", effect::kVolume}, {"modulation", effect::kModulation}, {"bend", effect::kPitchBend}};
    static const std::map<std::string, int> kFunctions = {
        {"line", 1}, {"parabola", 2}, {"exp", 3}, {"sin", 4}, {"delete", 0}};
    if (!kEffects.contains(options["--effect"])) return usage(err, "--effect takes volume, modulation or bend");
    if (!kFunctions.contains(options["--function"]))
        return usage(err, "--function takes line, parabola, exp, sin or delete");
    CurveRequest request;
    request.effect = kEffects.at(options["--effect"]);
    const int function = kFunctions.at(options["--function"]);
    const EffectBounds bounds = effectBounds(request.effect);

    const auto from = parse<std::size_t>(options["--from"]);
    const auto to = parse<std::size_t>(options["--to"]);
    if (!from || !to || *to < *from) return usage(err, "--from and --to take record indices, A not after B");

    if (function != 0) {
        request.function = CurveFunction(function);
        if (!options.contains("--start") || !options.contains("--end")) return usage(err, "needs --start and --end");
        const auto s = parse<int>(options["--start"]);
        const auto e = parse<int>(options["--end"]);
        if (!s || !e || *s < bounds.minimum || *s > bounds.maximum || *e < bounds.minimum || *e > bounds.maximum)
            return usage(err, "--start and --end take values from " + std::to_string(bounds.minimum) + " to " +
                                  std::to_string(bounds.maximum));
        request.start = *s;
        request.end = *e;
    }
    if (options.contains("--step")) {
        const auto step = parse<int>(options["--step"]);
        if (!step || *step % 10 != 0 || *step < 10 || *step > 50) return usage(err, "--step takes 10, 20, 30, 40 or 50");
        request.step = std::uint8_t(*step);
    }
    const auto fraction = [&](const char* name, double& into, bool above0) {
        if (!options.contains(name)) return true;
        const auto f = parse<double>(options[name]);
        if (!f || *f < 0 || *f > 1 || (above0 && *f == 0)) return false;
        into = *f;
        return true;
    };
    if (!fraction("--shape", request.shape.shape, false)) return usage(err, "--shape takes a fraction from 0 to 1");
    if (!fraction("--peak", request.shape.peak, true)) return usage(err, "--peak takes a fraction above 0, up to 1");
    if (!fraction("--phase", request.shape.phase, false)) return usage(err, "--phase takes a fraction from 0 to 1");

    const auto loaded = loadSong(in, err);
    if (!loaded) return kBadData;
    const SongReadResult& read = *loaded;
    CPlmDoc doc;
    if (!doc.load(read.song)) {
        err << "plume-cli: " << in << ": too many records\n";
        return kBadData;
    }
    const auto isGroupStart = [&](std::size_t index) {
        for (std::size_t g = 0; g < doc.recordCount(); g = doc.nextGroup(g))
            if (g == index) return true;
        return false;
    };
    if (!isGroupStart(*from) || !isGroupStart(*to)) return usage(err, "--from and --to must be group starts (see dump)");
    const std::size_t end = doc.nextGroup(*to);

    std::size_t touched = 0;
    if (function == 0) {
        touched = deleteCurve(doc, *from, end, request.effect);
    } else {
        const CurveTiming timing = curveTiming(doc.records(), doc.tempoAt(*from), *from, end);
        if (timing.groups.empty()) {
            err << "plume-cli: curve: the range holds no note or rest\n";
            return kBadData;
        }
        if (!writeCurve(doc, *from, end, request)) {
            err << "plume-cli: curve: the song has no room for the curve\n";
            return kBadData;
        }
        touched = timing.groups.size();
    }
    const std::string outPath = options.contains("-o") ? options["-o"] : in;
    if (!writeSong(outPath, doc.toSongData())) {
        err << "plume-cli: " << outPath << ": cannot write the file\n";
        return kBadData;
    }
    out << "wrote " << outPath << ": " << touched << (function == 0 ? " groups cleared\n" : " pieces\n");
    return kOk;
}

}  // namespace plume::cli
