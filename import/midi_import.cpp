#include "import/midi_import.h"

#include <algorithm>
#include <cctype>

#include "platform/cp932.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "play/instrument_tables.h"
#include "song/project.h"
#include "song/song_file.h"

namespace plume {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A file-name part made of the name's letters and digits (others become "_"), at most 24 bytes.
std::string namePart(const std::string& cp932) {
    std::string out;
    for (char c : cp932) {
        const auto u = static_cast<unsigned char>(c);
        if (out.size() >= 24) break;
        if (std::isalnum(u)) out += c;
        else if (!out.empty() && out.back() != '_') out += '_';
    }
    while (!out.empty() && out.back() == '_') out.pop_back();
    return out;
}

std::string memberFileName(const std::string& stem, const ImportedSong& song) {
    std::string name = stem + "_" + (song.channel < 9 ? "0" : "") + std::to_string(song.channel + 1);
    // A track without a name is named after its instrument.
    const std::string part = namePart(song.name.empty() ? instrumentTitle(song.info) : song.name);
    if (!part.empty()) name += "_" + part;
    if (song.part > 0) name += "_" + std::to_string(song.part + 1);
    return name + ".PLM";
}

void show(const std::string& text) { platform::messageBox().show(text); }

}  // namespace

bool isMidiFilePath(const fs::path& path) {
    const std::string ext = lower(path.extension().string());
    return ext == ".mid" || ext == ".midi";
}

MidiImportResult importMidiFile(const fs::path& in, const fs::path& out, const ImportOptions& options) {
    MidiImportResult result;
    const std::string shown = in.filename().string();
    const auto bytes = platform::readFile(in);
    if (!bytes) {
        show(shown + "\nファイルがありません。");
        return result;
    }
    const SmfFile file = readSmf(*bytes);
    if (!file.ok()) {
        show(shown + "\nMIDIファイルを読み込めません。(" + file.error + ")");
        return result;
    }
    result.music = transcribeSmf(file, options);
    ImportedMusic& music = result.music;
    if (!music.error.empty()) {
        show(shown + "\nMIDIファイルを読み込めません。(" + music.error + ")");
        return result;
    }
    if (music.songs.empty()) {
        show(shown + "\n音符がありません。");
        return result;
    }
    for (const std::string& notice : music.notices) show(shown + "\n" + notice);

    const bool asProject = music.songs.size() > 1 || lower(out.extension().string()) == ".prj";
    fs::path target = out.empty() ? in : out;
    if (out.empty() || out.extension().empty()) target.replace_extension(asProject ? ".PRJ" : ".PLM");
    const fs::path folder = target.parent_path();

    // Continuations of a split channel take the free tracks; songs beyond sixteen stay files only.
    std::array<bool, 16> taken{};
    for (const ImportedSong& song : music.songs) {
        if (song.slot >= 0) taken[std::size_t(song.slot)] = true;
    }
    std::size_t left = 0;
    for (ImportedSong& song : music.songs) {
        for (std::size_t s = 0; song.slot < 0 && s < 16; ++s) {
            if (!taken[s]) song.slot = int(s), taken[s] = true;
        }
        if (song.slot < 0) ++left;
    }
    if (asProject && left > 0)
        show(shown + "\n" + std::to_string(left) + "曲はプロジェクトの16トラックに入らないため、ファイルだけを書きました。");

    ProjectData project = ProjectData::fresh();
    const std::string stem = target.stem().string();
    std::size_t windows = 0;
    for (const ImportedSong& song : music.songs) {
        SongData data;
        data.info = song.info;
        data.records = song.records;
        const fs::path path = asProject ? folder / memberFileName(stem, song) : target;
        if (!writeSong(path, data)) {
            show(path.filename().string() + "\nファイルを作成できません。");
            return result;
        }
        result.written.push_back(path);
        if (asProject && song.slot >= 0) project.setMemberPath(std::size_t(song.slot), path);
        // The project opens with its songs' windows.
        if (asProject && windows < 20) project.setWindow(windows++, path, false);
    }
    if (asProject) {
        const auto title = platform::cp932ToUtf8(music.title);
        project.setTitle(title && !title->empty() ? *title : stem);
        project.setTempo(std::uint16_t(music.tempo));
        project.setKey(music.key);
        project.setNumerator(music.numerator);
        project.setDenominatorPower(music.denominatorPower);
        project.setSoundModule(std::uint8_t(std::min<int>(music.songs.front().info.soundModule(), 3)));
        if (writeProjectFile(target, project) != ProjectWriteStatus::Written) {
            show(target.filename().string() + "\nファイルを作成できません。");
            return result;
        }
        result.written.push_back(target);
    }
    result.opened = target;
    result.ok = true;
    return result;
}

}  // namespace plume
