#include "song/song_document.h"

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/song_file.h"

namespace plume {

std::unique_ptr<CPlmDoc> openSongDocument(const std::filesystem::path& path) {
    auto document = CPlmDoc::create();
    if (!document) return nullptr;
    const SongReadResult read = readSong(path);
    const std::string name = utf8Of(path);
    switch (read.status) {
    case ReadStatus::Ok:
        if (document->load(read.song)) return document;
        break;
    case ReadStatus::CannotOpen:
        platform::messageBox().show(platform::formatMessage("%s\nファイルを開けません。", name.c_str()));
        return nullptr;
    case ReadStatus::WrongMagic:
        return nullptr;
    case ReadStatus::WrongData:
        break;
    }
    platform::messageBox().show(platform::formatMessage("%s\nデータ形式が違います。", name.c_str()));
    return nullptr;
}

bool saveSongDocument(CPlmDoc& document, const std::filesystem::path& path) {
    if (platform::isReadOnlyFile(path)) {
        platform::messageBox().show("読み込み専用ファイルなので保存できません。");
        return false;
    }
    if (!writeSong(path, document.toSongData())) return false;
    document.clearModified();
    return true;
}

}  // namespace plume
