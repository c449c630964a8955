#include "export/export_project.h"

#include <algorithm>
#include <new>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/project.h"

namespace plume {

namespace fs = std::filesystem;

fs::path exportFileName(const fs::path& project, std::string_view extension) {
    std::string name = project.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) name += extension;
    else name = name.substr(0, dot + 1) + std::string(extension);
    return project.parent_path() / name;
}

ExportResult writeExportFile(const fs::path& path, const std::function<std::vector<std::uint8_t>()>& build,
                             bool writeErrors) {
    std::vector<std::uint8_t> bytes;
    try {  // the only failure the standard library can raise while a file is built in memory
        bytes = build();
    } catch (const std::bad_alloc&) {
        platform::messageBox().show("メモリー不足");
        return ExportResult::OutOfMemory;
    }
    // A read-only file is not replaced, as the rename would allow.
    if (!platform::isReadOnlyFile(path) && platform::writeFileAtomically(path, bytes)) return ExportResult::Ok;
    // A folder that takes files means the write itself went wrong.
    std::error_code ec;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const auto folderStatus = fs::status(folder, ec);
    const bool creatable = !ec && fs::is_directory(folderStatus) && !fs::is_directory(path, ec) &&
                           !platform::isReadOnlyFile(path) &&
                           (folderStatus.permissions() & fs::perms::owner_write) != fs::perms::none;
    if (!creatable || !writeErrors) {
        platform::messageBox().show("ファイルを作成できません。");
        return ExportResult::CannotCreate;
    }
    platform::messageBox().show("書き込みエラー");
    return ExportResult::WriteError;
}

bool loadExportProject(const ProjectData& project, const OpenDocumentLookup& open, PlaySlots& slots,
                       int transposition, ExportProject& out, const RecordAllocator& allocate) {
    const ProjectMembers members = loadProjectMembers(project, open, slots, allocate);
    if (members.outOfMemory) {
        for (PlaySlot& slot : slots) slot.clear();
        platform::messageBox().show("メモリー不足");
        return false;
    }
    out = ExportProject{};
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].used()) continue;
        out.tracks[i] = {slots[i].records(), slots[i].info};
    }
    const auto bytes = project.bytes();
    const auto title = bytes.subspan(ProjectData::kTitleAt, kProjectTitleBytes - 1);
    out.title.assign(title.begin(), std::find(title.begin(), title.end(), std::uint8_t(0)));
    out.tempo = project.tempo();
    out.startTempo = members.tempo;
    out.key = project.key();
    out.numerator = project.numerator();
    out.denominatorPower = project.denominatorPower();
    out.transposition = transposition;
    return true;
}

}  // namespace plume
