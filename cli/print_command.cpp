#include "cli/print_command.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <variant>

#include "cli/commands.h"
#include "cli/song_input.h"
#include "print/print_plan.h"
#include "song/song_file.h"

namespace plume::cli {

const char* const kPrintUsage =
    "usage: plume-cli print IN.PLM -o OUT.pdf [--selection FROM:TO] [--reso N] [--margins L,T,R,B]\n"
    "                       [--grand-staff]\n"
    "       plume-cli print IN.PLM --pages [--selection FROM:TO] [--reso N] [--margins L,T,R,B]\n"
    "                       [--grand-staff] [--dpi X,Y] [--page-px W,H] [--offset-px X,Y]\n"
    "Prints the score as the editor does: a title line, 'Page N' and the line numbers. -o writes the\n"
    "pages to a PDF (A4 at 600 dpi, no printing offset) and prints 'wrote PATH N pages'. --pages\n"
    "prints instead one line per page, 'page P FIRST LAST' (1-based numbers of its first and last\n"
    "score line), for the printer figures given (default 600,600 dpi, page 4960,7016 pixels, offset\n"
    "0,0). --selection prints score lines FROM to TO (1-based); --reso 1-10 and --margins 0-50 mm\n"
    "default to 1 and 20,20,0,0; --grand-staff lays every line out as a grand staff.\n";

namespace {

int usage(std::ostream& err, const std::string& problem) {
    err << "plume-cli: print: " << problem << '\n';
    return kUsage;
}

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "A<sep>B<sep>..." with exactly `count` whole numbers.
std::optional<std::vector<int>> numbers(std::string_view text, char separator, std::size_t count) {
    std::vector<int> values;
    while (true) {
        const std::size_t at = text.find(separator);
        const auto value = number(text.substr(0, at));
        if (!value) return std::nullopt;
        values.push_back(*value);
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + 1);
    }
    if (values.size() != count) return std::nullopt;
    return values;
}

struct PrintArgs {
    std::string in;
    std::string pdf;
    bool pages = false;
    bool grandStaff = false;
    std::optional<std::vector<int>> selection;
    PageLayout layout;
    PrinterFigures printer = kA4At600Dpi;
    bool printerGiven = false;
};

// The options, or the exit status of a usage error already reported.
std::variant<PrintArgs, int> parse(const std::vector<std::string>& args, std::ostream& err) {
    PrintArgs p;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--selection" || arg == "--reso" || arg == "--margins" ||
                                arg == "--dpi" || arg == "--page-px" || arg == "--offset-px";
        if (takesValue && i + 1 >= args.size()) return usage(err, arg + " needs a value");
        const std::string value = takesValue ? args[++i] : "";
        if (arg == "-o") {
            p.pdf = value;
        } else if (arg == "--pages") {
            p.pages = true;
        } else if (arg == "--grand-staff") {
            p.grandStaff = true;
        } else if (arg == "--selection") {
            p.selection = numbers(value, ':', 2);
            if (!p.selection || (*p.selection)[0] < 1 || (*p.selection)[1] < (*p.selection)[0])
                return usage(err, "--selection takes FROM:TO, line numbers from 1 with FROM <= TO");
        } else if (arg == "--reso") {
            const auto reso = number(value);
            if (!reso || *reso < kMinReso || *reso > kMaxReso) return usage(err, "--reso is a number from 1 to 10");
            p.layout.reso = *reso;
        } else if (arg == "--margins") {
            const auto m = numbers(value, ',', 4);
            bool ok = m.has_value();
            for (std::size_t k = 0; ok && k < 4; ++k) ok = (*m)[k] >= 0 && (*m)[k] <= kMaxMargin;
            if (!ok) return usage(err, "--margins takes L,T,R,B in millimetres from 0 to 50");
            p.layout.left = (*m)[0];
            p.layout.top = (*m)[1];
            p.layout.right = (*m)[2];
            p.layout.bottom = (*m)[3];
        } else if (arg == "--dpi" || arg == "--page-px" || arg == "--offset-px") {
            const auto pair = numbers(value, ',', 2);
            const int low = arg == "--offset-px" ? 0 : 1;
            if (!pair || (*pair)[0] < low || (*pair)[1] < low || (*pair)[0] > 100000 || (*pair)[1] > 100000)
                return usage(err, arg + " takes two whole numbers X,Y" + (low ? " from 1" : " from 0"));
            int& x = arg == "--dpi" ? p.printer.dpiX : arg == "--page-px" ? p.printer.pageWidth : p.printer.offsetX;
            int& y = arg == "--dpi" ? p.printer.dpiY : arg == "--page-px" ? p.printer.pageHeight : p.printer.offsetY;
            x = (*pair)[0];
            y = (*pair)[1];
            p.printerGiven = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(err, "unknown option " + arg);
        } else if (p.in.empty()) {
            p.in = arg;
        } else {
            return usage(err, "takes one song file");
        }
    }
    if (p.in.empty()) return usage(err, "needs a song file");
    if (p.pages == !p.pdf.empty()) return usage(err, "needs either -o OUT.pdf or --pages");
    if (!p.pages && p.printerGiven) return usage(err, "--dpi, --page-px and --offset-px go with --pages");
    return p;
}

}  // namespace

int printCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    auto parsed = parse(args, err);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    const PrintArgs& p = std::get<PrintArgs>(parsed);

    const auto loaded = loadSong(p.in, err);
    if (!loaded) return kBadData;
    const SongReadResult& song = *loaded;
    PrintSource source;
    source.records = song.song.records;
    source.table.rebuild(source.records, song.song.info, {.grandStaff = p.grandStaff});
    source.path = p.in;
    source.documentTitle = std::filesystem::path(p.in).filename().string();
    if (p.selection) {
        const int from = (*p.selection)[0] - 1;
        const int to = (*p.selection)[1] - 1;
        if (to > source.table.lastLine()) {
            err << "plume-cli: print: --selection: the song has " << source.table.lineCount() << " lines\n";
            return kUsage;
        }
        // The whole of each line selected, as a drag from the first line's start would select it.
        source.anchor = {from, 0};
        source.cursor = {to, std::max(source.table.line(to).groupCount, from == to ? 1 : 0)};
    }
    const PrintPlan plan = planPrint(source, p.printer, p.layout, p.selection.has_value());
    if (plan.pages.empty()) {
        err << "plume-cli: print: the margins leave no room on the page\n";
        return kBadData;
    }
    if (!p.pages) return writePrintPdf(p.pdf, source, plan, out, err);
    for (int i = 0; i < plan.pageCount(); ++i) {
        const LineRange& lines = plan.pages[std::size_t(i)];
        out << "page " << i + 1 << ' ' << lines.first + 1 << ' ' << lines.last + 1 << '\n';
    }
    return kOk;
}

}  // namespace plume::cli
