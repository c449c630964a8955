#pragma once
// Opening a Standard MIDI File: the songs it holds written as song files, and as a project with
// those songs as members when there is more than one.

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_project.h"
#include "import/smf_transcriber.h"

namespace plume {

struct MidiImportResult {
    bool ok = false;
    std::filesystem::path opened;                 // the project, or the one song
    std::vector<std::filesystem::path> written;   // every file written, the project last
    ImportedMusic music;
};

// Reads `in` and writes what it holds. `out` names the song (.PLM) or project (.PRJ); empty puts
// them beside `in` under its name. Failures and notices go through the message-box service:
// "<file>\nMIDIファイルを読み込めません。" with the reason, a file without notes, files that
// cannot be written, a channel split at the record limit, songs beyond the project's 16 tracks.
MidiImportResult importMidiFile(const std::filesystem::path& in, const std::filesystem::path& out,
                                const ImportOptions& options = {});

// True for a path whose extension is .mid or .midi in any case.
bool isMidiFilePath(const std::filesystem::path& path);

}  // namespace plume
