#include "play/member_loader.h"

#include <algorithm>
#include <new>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/song_file.h"

namespace plume {

namespace fs = std::filesystem;

namespace {

// The texts of one kind of load: a member names its track, a single file only itself.
struct LoadMessages {
    std::string missing;
    std::string wrongData;
    std::string noMemory;
};

// Opening a song: the file can be read and starts with the song magic.
bool opensAsSong(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    const auto head = platform::readFilePrefix(path, kSongMagic.size());
    return head && head->size() == kSongMagic.size() &&
           std::equal(kSongMagic.begin(), kSongMagic.end(), head->begin(),
                      [](char c, std::uint8_t b) { return std::uint8_t(c) == b; });
}

int load(const fs::path& path, PlaySlot& slot, const RecordAllocator& allocate, const LoadMessages& messages) {
    if (!opensAsSong(path)) {
        platform::messageBox().show(messages.missing);
        return 0;
    }
    const int count = recordCountOfFile(path);
    if (count < 0) {
        platform::messageBox().show(messages.wrongData);
        return 0;
    }
    auto buffer = allocate(std::size_t(count));
    if (!buffer) {
        platform::messageBox().show(messages.noMemory);
        return -1;
    }
    SongReadResult read = readSong(path);
    if (!read.ok()) {
        platform::messageBox().show(messages.wrongData);
        return 0;
    }
    buffer->assign(read.song.records.begin(), read.song.records.end());
    slot.buffer = std::move(buffer);
    slot.document = nullptr;
    slot.info = read.song.info;
    return int(slot.buffer->size());
}

}  // namespace

int loadMember(std::size_t i, const fs::path& path, PlaySlot& slot, const RecordAllocator& allocate) {
    const std::string name = utf8Of(path);
    const int track = int(i) + 1;
    return load(path, slot, allocate,
                {platform::formatMessage("Truck%d-%s\nファイルがありません。", track, name.c_str()),
                 platform::formatMessage("Truck%d-%s\nデータ形式が違います。", track, name.c_str()),
                 platform::formatMessage("Truck%d:メモリーが確保できません。", track)});
}

int loadSongFile(const fs::path& path, PlaySlot& slot, const RecordAllocator& allocate) {
    const std::string name = utf8Of(path);
    return load(path, slot, allocate,
                {platform::formatMessage("%s\nファイルがありません。", name.c_str()),
                 platform::formatMessage("%s\nデータ形式が違います。", name.c_str()), "メモリーが確保できません。"});
}

ProjectMembers loadProjectMembers(const ProjectData& project, const OpenDocumentLookup& open, PlaySlots& slots,
                                  const RecordAllocator& allocate, MemoryFailure onMemoryFailure) {
    ProjectMembers result;
    for (PlaySlot& slot : slots) slot.clear();
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!project.hasMember(i)) continue;
        const fs::path path = project.memberPath(i);
        PlaySlot& slot = slots[i];
        if (const CPlmDoc* document = open.findOpenDocument(path)) {
            if (document->recordCount() == 0) continue;
            slot.document = document;
            slot.info = document->songInfo();
        } else {
            const int count = loadMember(i, path, slot, allocate);
            if (count < 0) result.outOfMemory = true;
            if (count < 0 && onMemoryFailure == MemoryFailure::StopLoading) break;
            if (count <= 0) {
                slot.clear();
                continue;
            }
        }
        result.tempo = slot.info.tempo();
        ++result.loaded;
    }
    return result;
}

}  // namespace plume
