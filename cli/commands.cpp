#include "cli/commands.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <optional>

#include "export/midi_file_writer.h"
#include "export/mld_writer.h"
#include "cli/curve_command.h"
#include "cli/chords_command.h"
#include "cli/db_command.h"
#include "cli/import_command.h"
#include "cli/demo_project.h"
#include "cli/play_command.h"
#include "cli/print_command.h"
#include "cli/render_command.h"
#include "cli/song_input.h"
#include "cli/transcribe_command.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "score/line_table.h"
#include "song/data_check.h"
#include "song/project.h"
#include "song/song_file.h"
#include "song/song_timing.h"

namespace plume::cli {

namespace {

constexpr const char* kUsageText =
    "usage: plume-cli COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  convert IN.PLM OUT.PLM   read a song of any layout and write it in the current layout\n"
    "  dump IN.PLM              print the song's settings and groups\n"
    "  check IN.PLM [--write]   run the data check; --write saves the repaired song\n"
    "  demo OUT.PLM             write a short demo song\n"
    "  project IN.PRJ           print the project's settings and its sixteen members\n"
    "  layout IN.PLM [--grand-staff]  print the score lines of the song\n"
    "  render IN.PLM -o OUT.png [--width PX] [--grand-staff] [--first-line N] [--scale F]\n"
    "         [--effects [--zoom 0..3]]  draw the score (or the effect-edit display) as the editor shows it\n"
    "  curve IN.PLM --from A --to B --effect E --function F ...  set a function curve over a range\n"
    "  demo-project DIR         write the demo songs and their project into DIR\n"
    "  export-midi IN.PRJ [-o OUT.mid] [--format 0|1] [--timebase N] [--reset gm|gs|none]\n"
    "              [--rest-bar on|off]   write the project as a Standard MIDI File\n"
    "  export-mld IN.PRJ [-o OUT.mld]    write the project as an i-melody file\n"
    "  play IN.PLM|IN.PRJ [--events OUT.txt] [--wav OUT.wav] [--soundfont SF2]\n"
    "       [--interrupt 1|2|5] [--reset auto|gm|gs|none] [--realtime]   play a song or a project\n"
    "       [--mute CH[,CH...]] [--solo CH]   with the mixer's buttons (project)\n"
    "  print IN.PLM -o OUT.pdf|--pages [OPTIONS]   print the score to a PDF, or list its pages\n"
    "  chords IN.PLM --from A --to B   print the chord candidates of a range of groups\n"
    "  db IN.QDB [--find category|memo|file TEXT [--exact] [--from N] [--backward]]\n"
    "                           print a song database's records, or search them\n"
    "  transcribe IN.wav [--tempo N] [--detect-way 0|1] [-o OUT.PLM]   find the notes of a sung take\n"
    "  import IN.mid [-o OUT.PRJ|OUT.PLM] [--grid 32|16|8] [--no-triplets]   read a MIDI file as songs\n"
    "\n"
    "Every command takes --help. Exit status: 0 done, 1 usage error, 2 bad data.\n";

struct Command {
    const char* usage;
    std::size_t minArgs;
    std::size_t maxArgs;
    std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)> run;
};

// Message boxes raised inside the core go to stderr as one line each.
class StreamMessageBox : public platform::MessageBox {
public:
    explicit StreamMessageBox(std::ostream& err) : m_err(err) { platform::installMessageBox(this); }
    ~StreamMessageBox() override { platform::installMessageBox(nullptr); }
    platform::Answer show(std::string_view text, platform::Buttons buttons) override {
        m_err << "plume-cli: " << oneLine(text) << '\n';
        return buttons == platform::Buttons::YesNo || buttons == platform::Buttons::YesNoCancel
                   ? platform::Answer::Yes
                   : platform::Answer::Ok;
    }
    static std::string oneLine(std::string_view text) {
        std::string line;
        for (char c : text) {
            if (c == '\n') line += " | ";
            else line += c;
        }
        return line;
    }

private:
    std::ostream& m_err;
};

// Like the editor, never replaces a read-only file; a failed write has shown its message.
bool saveSong(const std::string& path, const SongData& song, std::ostream& err) {
    if (platform::isReadOnlyFile(path)) {
        err << "plume-cli: " << path << ": 読み込み専用ファイルなので保存できません。\n";
        return false;
    }
    return writeSong(path, song);
}

int convert(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    const auto song = loadSong(args[0], err);
    if (!song) return kBadData;
    return saveSong(args[1], song->song, err) ? kOk : kBadData;
}

int dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto read = loadSong(args[0], err);
    if (!read) return kBadData;
    const auto& song = read->song;
    out << "version " << read->version << '\n';
    out << "count " << song.records.size() << '\n';
    out << "songinfo";
    for (std::uint8_t b : song.info.bytes) out << ' ' << int(b);
    out << '\n';
    const Records records(song.records);
    DurationRule rule(192);
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        out << "group " << g << ' ' << int(records[g].groupSize()) << ' ' << int(records[g].type()) << ' '
            << rule.groupLength(records, g) << '\n';
    }
    return kOk;
}

int check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    bool write = false;
    for (const std::string& arg : args) {
        if (arg == "--write") write = true;
        else if (path.empty()) path = arg;
        else {
            err << "plume-cli: check takes one song file\n";
            return kUsage;
        }
    }
    if (path.empty()) {
        err << "plume-cli: check needs a song file\n";
        return kUsage;
    }
    auto read = loadSong(path, err);
    if (!read) return kBadData;
    const DataCheckCounts counts = checkRecords(read->song.records);
    for (const std::string& message : dataCheckMessages(path, counts)) out << StreamMessageBox::oneLine(message) << '\n';
    if (write && !saveSong(path, read->song, err)) return kBadData;
    return kOk;
}

// A short melody with a chord, a tie, a triplet, effects and a key change.
SongData demoSong() {
    SongData song;
    auto& r = song.records;
    auto add = [&r](std::initializer_list<SongRecord> records) {
        const std::size_t first = r.size();
        r.insert(r.end(), records.begin(), records.end());
        r[first].setGroupSize(std::uint8_t(records.size()));
    };
    auto noteOf = [](std::uint8_t t, std::uint8_t key, std::uint8_t marks = 0) {
        return SongRecord{{0, kind::kScore, t, marks, 0, key, 100, 0, 80, 0}};
    };
    auto effectOf = [](std::uint8_t number, std::uint8_t value) {
        return SongRecord{{0, kind::kEffect, number, value, 0, 0, 0, 0, 0, 0}};
    };
    const SongRecord bar{{0, kind::kScore, type::kBarLine, 0, 0, 0, 0, 0, 0, 0}};
    add({noteOf(3, 60), effectOf(effect::kVolume, 100), effectOf(effect::kTempo, 120)});
    add({noteOf(3, 62)});
    add({noteOf(3, 64)});
    add({noteOf(3, 65)});
    add({bar});
    add({noteOf(4, 67, 0x13)});
    add({noteOf(4, 65, 0x23)});
    add({noteOf(4, 64, 0x33)});
    add({noteOf(3, 62)});
    add({noteOf(2, 60, mark::kTieBegin)});
    add({bar});
    add({noteOf(2, 60, mark::kTieEnd)});
    add({noteOf(2, 67), noteOf(2, 64), noteOf(2, 60)});
    add({SongRecord{{0, kind::kScore, type::kLineBreak, 0, 0, 0, 0, 0, 0, 0}}});
    return song;
}

int demo(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    if (!writeSong(args[0], demoSong())) return kBadData;
    out << "wrote " << args[0] << '\n';
    return kOk;
}

int layout(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path;
    LayoutOptions options;
    for (const std::string& arg : args) {
        if (arg == "--grand-staff") options.grandStaff = true;
        else if (path.empty()) path = arg;
        else {
            err << "plume-cli: layout takes one song file\n";
            return kUsage;
        }
    }
    if (path.empty()) {
        err << "plume-cli: layout needs a song file\n";
        return kUsage;
    }
    const auto read = loadSong(path, err);
    if (!read) return kBadData;
    LineTable table;
    table.rebuild(read->song.records, read->song.info, options);
    for (int i = 0; i < table.lineCount(); ++i) {
        const ScoreLine& line = table.line(i);
        out << "line " << i << ' ' << line.firstGroup << ' ' << line.groupCount << ' ' << line.barsBefore << ' '
            << line.key << ' ' << int(line.staffKind) << ' ' << line.top << ' ' << line.height << '\n';
    }
    return kOk;
}

// The reader's messages (a broken project, missing members) reach stderr through the message box;
// an empty path, which the editor's start-up passes silently, is said here.
ProjectReadResult readProjectFile(const std::string& path, std::ostream& err) {
    if (path.empty()) err << "plume-cli: : cannot open the file\n";
    return readProject(path);
}

int project(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ProjectReadResult read = readProjectFile(args[0], err);
    if (!read.ok()) return kBadData;
    const ProjectData& data = read.data;
    out << "title " << data.title() << '\n';
    out << "tempo " << data.tempo() << '\n';
    out << "key " << int(data.key()) << '\n';
    out << "time " << int(data.numerator()) << '/' << (1u << std::min(data.denominatorPower(), std::uint8_t(31)))
        << '\n';
    out << "module ";
    if (data.soundModule() < std::size(kSoundModuleNames)) out << kSoundModuleNames[data.soundModule()] << '\n';
    else out << int(data.soundModule()) << '\n';
    for (std::size_t i = 0; i < kMemberCount; ++i)
        out << "track " << i + 1 << ' ' << (data.hasMember(i) ? utf8Of(data.memberPath(i)) : "-") << '\n';
    return kOk;
}

// The command line has no song windows: every member is read from its file.
class NoOpenDocuments : public OpenDocumentLookup {
public:
    const CPlmDoc* findOpenDocument(const std::filesystem::path&) const override { return nullptr; }
};

// Reads the project and loads its members into `slots`; the reader's and the loader's messages
// (a broken project, missing members, "メモリー不足") reach stderr through the message box.
bool loadExport(const std::string& path, PlaySlots& slots, ExportProject& project, std::ostream& err) {
    const ProjectReadResult read = readProjectFile(path, err);
    if (!read.ok()) return false;
    return loadExportProject(read.data, NoOpenDocuments{}, slots, 0, project);
}

int exportUsage(std::ostream& err, const std::string& command, const std::string& problem) {
    err << "plume-cli: " << command << ": " << problem << '\n';
    return kUsage;
}

int exportMidi(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string name = "export-midi";
    std::string in;
    std::optional<std::string> target;
    MidiExportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "-o" || arg == "--format" || arg == "--timebase" || arg == "--reset" ||
                                arg == "--rest-bar";
        if (takesValue && i + 1 >= args.size()) return exportUsage(err, name, arg + " needs a value");
        const std::string value = takesValue ? args[++i] : "";
        if (arg == "-o") {
            target = value;
        } else if (arg == "--format") {
            if (value != "0" && value != "1") return exportUsage(err, name, "--format is 0 or 1");
            options.format = value == "0" ? 0 : 1;
        } else if (arg == "--timebase") {
            const bool digits = !value.empty() && value.size() <= 4 &&
                                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            const unsigned long timeBase = digits ? std::stoul(value) : 0;
            if (timeBase < kMinTimeBase || timeBase > kMaxTimeBase)
                return exportUsage(err, name, "--timebase is a number from 48 to 980");
            options.timeBase = std::uint32_t(timeBase);
        } else if (arg == "--reset") {
            if (value == "gm") options.reset = DeviceReset::GmSystemOn;
            else if (value == "gs") options.reset = DeviceReset::GsReset;
            else if (value == "none") options.reset = DeviceReset::None;
            else return exportUsage(err, name, "--reset is gm, gs or none");
        } else if (arg == "--rest-bar") {
            if (value != "on" && value != "off") return exportUsage(err, name, "--rest-bar is on or off");
            options.restBar = value == "on";
        } else if (!arg.empty() && arg[0] == '-') {
            return exportUsage(err, name, "unknown option " + arg);
        } else if (in.empty()) {
            in = arg;
        } else {
            return exportUsage(err, name, "takes one project file");
        }
    }
    if (in.empty()) return exportUsage(err, name, "needs a project file");
    PlaySlots slots;
    ExportProject project;
    if (!loadExport(in, slots, project, err)) return kBadData;
    const std::filesystem::path path = target ? std::filesystem::path(*target) : midiFileName(in);
    if (writeMidiFile(project, options, path) != ExportResult::Ok) return kBadData;
    out << "wrote " << path.string() << '\n';
    return kOk;
}

int exportMld(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string name = "export-mld";
    std::string in;
    std::optional<std::string> target;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) return exportUsage(err, name, "-o needs a value");
            target = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return exportUsage(err, name, "unknown option " + args[i]);
        } else if (in.empty()) {
            in = args[i];
        } else {
            return exportUsage(err, name, "takes one project file");
        }
    }
    if (in.empty()) return exportUsage(err, name, "needs a project file");
    PlaySlots slots;
    ExportProject project;
    if (!loadExport(in, slots, project, err)) return kBadData;
    const std::filesystem::path path = target ? std::filesystem::path(*target) : mldFileName(in);
    // The window's "%sを作成しました。" is left out: stdout says what was written.
    if (writeExportFile(path, [&] { return buildMldFile(project); }, false) != ExportResult::Ok) return kBadData;
    out << "wrote " << path.string() << '\n';
    return kOk;
}

int demoProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto project = writeDemoProject(args[0], err);
    if (!project) return kBadData;
    out << "wrote " << utf8Of(*project) << '\n';
    return kOk;
}

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"convert", {"usage: plume-cli convert IN.PLM OUT.PLM\n"
                     "Reads a song of any layout and writes it to OUT in the current layout; IN is left as it was.\n",
                     2, 2, convert}},
        {"dump", {"usage: plume-cli dump IN.PLM\n"
                  "Prints 'version V', 'count N', 'songinfo b0 .. b11' and one line per group:\n"
                  "'group FIRST SIZE TYPE TICKS' (ticks at 48 per quarter note).\n",
                  1, 1, dump}},
        {"check", {"usage: plume-cli check IN.PLM [--write]\n"
                   "Runs the data check and prints its messages; --write saves the repaired song.\n",
                   1, 2, check}},
        {"demo", {"usage: plume-cli demo OUT.PLM\nWrites a short demo song.\n", 1, 1, demo}},
        {"project", {"usage: plume-cli project IN.PRJ\n"
                     "Prints 'title T', 'tempo N', 'key K', 'time NUM/DEN', 'module NAME', then\n"
                     "'track I PATH' for I = 1..16 with the member's path as found, or 'track I -'.\n",
                     1, 1, project}},
        {"layout", {"usage: plume-cli layout IN.PLM [--grand-staff]\n"
                    "Prints one line per score line: 'line I FIRST COUNT BARS KEY KIND TOP HEIGHT'\n"
                    "(first record, groups, bars before the line, key-signature number,\n"
                    "staff kind 0 grand / 1 treble / 2 bass, top y and height in pixels).\n",
                    1, 2, layout}},
        {"export-midi", {"usage: plume-cli export-midi IN.PRJ [-o OUT.mid] [--format 0|1] [--timebase N]\n"
                         "                              [--reset gm|gs|none] [--rest-bar on|off]\n"
                         "Writes the project as a Standard MIDI File: format 1 by default, time base 48-980\n"
                         "(96), device reset GM System ON, GS Reset or none (gm), a whole-rest bar before the\n"
                         "song (on). Without -o the file is IN with its extension replaced by MID. Prints\n"
                         "'wrote PATH'. Missing members are reported on stderr and left out.\n",
                         1, 11, exportMidi}},
        {"export-mld", {"usage: plume-cli export-mld IN.PRJ [-o OUT.mld]\n"
                        "Writes the project as an i-melody (MFi) file; without -o the file is IN with its\n"
                        "extension replaced by mld. Prints 'wrote PATH'.\n",
                        1, 3, exportMld}},
        {"render", {"usage: plume-cli render IN.PLM -o OUT.png [--width PX] [--grand-staff] [--first-line N] [--scale F]\n"
                    "       [--effects [--zoom 0..3]]\n"
                    "Draws the score as the editor shows it, from line N (default 0) to the end of the song,\n"
                    "PX pixels wide (default 800); --grand-staff lays every line out as a grand staff;\n"
                    "--scale F (1 to 4) draws the same layout F times larger; --effects draws the\n"
                    "effect-edit display instead, at zoom 0..3 (default 0).\n",
                    3, 13, renderCommand}},
        {"curve", {kCurveUsage, 9, 24, curveCommand}},
        {"demo-project", {"usage: plume-cli demo-project DIR\n"
                          "Writes the demo songs and their project demo.PRJ into DIR (created when missing).\n",
                          1, 1, demoProject}},
        {"play", {kPlayUsage, 1, 18, playCommand}},
        {"print", {kPrintUsage, 1, 20, printCommand}},
        {"chords", {kChordsUsage, 5, 5, chordsCommand}},
        {"db", {kDbUsage, 1, 8, dbCommand}},
        {"transcribe", {kTranscribeUsage, 1, 7, transcribeCommand}},
        {"import", {kImportUsage, 1, 6, importCommand}},
    };
    return table;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsageText;
        return kUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsageText;
        return kOk;
    }
    const auto it = commands().find(args[0]);
    if (it == commands().end()) {
        err << "plume-cli: unknown command '" << args[0] << "'\n" << kUsageText;
        return kUsage;
    }
    const Command& command = it->second;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& arg : rest) {
        if (arg == "--help" || arg == "-h") {
            out << command.usage;
            return kOk;
        }
    }
    if (rest.size() < command.minArgs || rest.size() > command.maxArgs) {
        err << command.usage;
        return kUsage;
    }
    StreamMessageBox messages(err);
    return command.run(rest, out, err);
}

}  // namespace plume::cli
