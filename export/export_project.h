#pragma once
// What both exporters read: the sixteen member tracks and the project's settings.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "play/member_loader.h"
#include "play/play_slot.h"
#include "song/song_record.h"

namespace plume {

class ProjectData;

struct ExportTrack {
    Records records;  // empty: no member on this track
    SongInfo info;

    bool used() const { return !records.empty(); }
};

struct ExportProject {
    std::array<ExportTrack, 16> tracks;
    std::string title;     // as stored: CP932 bytes, at most 40
    int tempo = 120;       // the project's tempo
    int startTempo = 120;  // the tempo the performance starts at: that of the last member loaded
    std::uint8_t key = 0;  // key-signature number 0-14
    std::uint8_t numerator = 4;
    std::uint8_t denominatorPower = 2;
    int transposition = 0;  // the main frame's transposition in semitones (never on channel 9)
};

// The project path with the text after its last "." replaced by `extension`; when the file name
// has no ".", `extension` is appended to it as it stands.
std::filesystem::path exportFileName(const std::filesystem::path& project, std::string_view extension);

enum class ExportResult { Ok, CannotCreate, WriteError, OutOfMemory };

// Builds a file with `build` and writes it beside and renamed over `path`, so that a failure
// leaves nothing half-written under that name. Shows "メモリー不足" when memory runs out while
// building, "ファイルを作成できません。" when the file cannot be made there and otherwise, for a
// failed write, "書き込みエラー" (or the first message again when `writeErrors` is false).
ExportResult writeExportFile(const std::filesystem::path& path, const std::function<std::vector<std::uint8_t>()>& build,
                             bool writeErrors);

// Loads the members into `slots` through the member loader (which reports missing and unreadable
// members and leaves them out) and describes them with the project's settings in `out`. False
// after "メモリー不足" when a member's buffer could not be had: nothing is to be written then.
bool loadExportProject(const ProjectData& project, const OpenDocumentLookup& open, PlaySlots& slots,
                       int transposition, ExportProject& out,
                       const RecordAllocator& allocate = defaultRecordAllocator());

}  // namespace plume
