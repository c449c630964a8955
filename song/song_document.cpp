#include "song/song_document.h"

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/song_file.h"

namespace plume {

std::unique_ptr<CPlmDoc> newSongDocument(const SongInfo& info) {
    auto document = CPlmDoc::create();
    if (document) document->setSongInfo(info);
    return document;
}

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

std::optional<std::string> songCloseRefusal(bool playing, bool vokatoWorksOnIt) {
    if (playing) return "演奏を止めてから、閉じて下さい。";
    if (vokatoWorksOnIt) return "Vokatoを終了してから閉じて下さい。";
    return std::nullopt;
}

bool mayCloseSong(const CPlmDoc& document, const std::string& title, bool playing, bool vokatoWorksOnIt,
                  const std::function<bool()>& save) {
    if (const auto refusal = songCloseRefusal(playing, vokatoWorksOnIt)) {
        platform::messageBox().show(*refusal);
        return false;
    }
    if (!document.isModified()) return true;
    const auto answer =
        platform::messageBox().show(platform::formatMessage("%sは変更されています。\n内容を保存しますか？", title.c_str()),
                                    platform::Buttons::YesNoCancel);
    return answer == platform::Answer::No || (answer == platform::Answer::Yes && save());
}

std::string proposedSongFileName(const std::filesystem::path& path, const std::string& title) {
    return path.empty() ? title + ".PLM" : utf8Of(path.filename());
}

DataCheckCounts checkActiveSong(CPlmDoc& document, std::string_view name) {
    const DataCheckCounts counts = runDataCheck(document.mutableRecords(), name);
    if (counts.total() > 0) document.setModified();
    return counts;
}

void checkAllTracks(const ProjectData& project, SongWindows& windows,
                    const std::function<std::string(const CPlmDoc&)>& titleOf) {
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (!project.hasMember(i)) continue;
        const std::filesystem::path member = project.memberPath(i);
        if (CPlmDoc* document = windows.findDocument(member))
            checkActiveSong(*document, titleOf(*document));
        else
            checkSongFile(member);
    }
}

}  // namespace plume
