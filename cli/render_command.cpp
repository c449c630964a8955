#include "cli/render_command.h"

#include <QGuiApplication>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <optional>

#include "cli/commands.h"
#include "cli/song_input.h"
#include "platform/file_io.h"
#include "score/qt/qt_canvas.h"
#include "score/qt/score_image.h"
#include "song/song_file.h"

namespace plume::cli {

namespace {

std::optional<int> number(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Fonts need a GUI application; the command line has no display, so it draws offscreen.
std::unique_ptr<QGuiApplication> guiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "plume-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int renderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string in;
    std::string pngPath;
    platform::ScoreImageOptions options;
    bool effects = false;
    int zoom = 0;
    bool widthGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" && hasValue) {
            pngPath = args[++i];
        } else if (arg == "--width" && hasValue) {
            const auto width = number(args[++i]);
            if (!width || *width < 1 || *width > platform::kMaxImageHeight) {
                err << "plume-cli: --width takes a number of pixels from 1 to " << platform::kMaxImageHeight << '\n';
                return kUsage;
            }
            options.width = *width;
            widthGiven = true;
        } else if (arg == "--first-line" && hasValue) {
            const auto line = number(args[++i]);
            if (!line || *line < 0) {
                err << "plume-cli: --first-line takes a line number from 0\n";
                return kUsage;
            }
            options.firstLine = *line;
        } else if (arg == "--scale" && hasValue) {
            const std::string& text = args[++i];
            char* end = nullptr;
            const double scale = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(scale >= 1.0 && scale <= platform::kMaxImageScale)) {
                err << "plume-cli: --scale takes a factor from 1 to " << platform::kMaxImageScale << " (e.g. 1.5 or 2)\n";
                return kUsage;
            }
            options.scale = scale;
        } else if (arg == "--zoom" && hasValue) {
            const auto z = number(args[++i]);
            if (!z || *z < 0 || *z > 3) {
                err << "plume-cli: --zoom takes 0, 1, 2 or 3\n";
                return kUsage;
            }
            zoom = *z;
        } else if (arg == "--effects") {
            effects = true;
        } else if (arg == "--grand-staff") {
            options.grandStaff = true;
        } else if (in.empty() && !arg.starts_with("-")) {
            in = arg;
        } else {
            err << "plume-cli: render: unexpected argument '" << arg << "'\n";
            return kUsage;
        }
    }
    if (in.empty() || pngPath.empty()) {
        err << "plume-cli: render needs a song file and -o OUT.png\n";
        return kUsage;
    }
    const auto loaded = loadSong(in, err);
    if (!loaded) return kBadData;
    const SongReadResult& song = *loaded;

    const auto app = guiApplication();
    const GlyphSet glyphs;
    platform::GlyphImages images;
    const QImage image = effects ? platform::renderEffectImage(song.song.records, zoom, widthGiven ? options.width : 0)
                                 : platform::renderScoreImage(song.song.records, song.song.info, glyphs, images, options);
    if (!image.save(QString::fromStdString(pngPath), "PNG")) {
        err << "plume-cli: " << pngPath << ": cannot write the image\n";
        return kBadData;
    }
    out << "wrote " << pngPath << ' ' << image.width() << 'x' << image.height() << '\n';
    return kOk;
}

}  // namespace plume::cli
