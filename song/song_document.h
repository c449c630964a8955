#pragma once
// The life cycle of a song document: new, open, save and close, with the messages the user sees,
// and the data check of the active song and of every project member.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "song/data_check.h"
#include "song/song_record.h"

namespace plume {

class CPlmDoc;
class ProjectData;
class SongWindows;

// A new song with the settings the properties dialog accepted and no records, or nullptr after
// "メモリーが確保できません！".
std::unique_ptr<CPlmDoc> newSongDocument(const SongInfo& info);

// The document of a song file, or nullptr after the message: "%s\nファイルを開けません。" when
// the file cannot be opened, "%s\nデータ形式が違います。" when its data is wrong, nothing when it
// is no song file at all. A converted older layout is written back by the read.
std::unique_ptr<CPlmDoc> openSongDocument(const std::filesystem::path& path);

// Refuses a read-only target with "読み込み専用ファイルなので保存できません。"; otherwise writes
// the song (a failed write shows its own message) and clears the modified flag.
bool saveSongDocument(CPlmDoc& document, const std::filesystem::path& path);

inline constexpr const char* kSongFileFilter = "Plumeﾌｧｲﾙ (*.PLM)";

// The name "名前を付けて保存" proposes: the file's own name, or the title with ".PLM" for a song
// never saved.
std::string proposedSongFileName(const std::filesystem::path& path, const std::string& title);

// Why a song window may not close now: "演奏を止めてから、閉じて下さい。" while playing,
// "Vokatoを終了してから閉じて下さい。" while the hum-to-score window works on the song.
std::optional<std::string> songCloseRefusal(bool playing, bool vokatoWorksOnIt);

// Whether a song window may close: shows the refusal, or for a modified song asks
// "%sは変更されています。\n内容を保存しますか？" and saves through `save` on Yes. False when the close
// is refused, cancelled or the save failed.
bool mayCloseSong(const CPlmDoc& document, const std::string& title, bool playing, bool vokatoWorksOnIt,
                  const std::function<bool()>& save);

// "ｱｸﾃｨﾌﾞﾌｧｲﾙ": checks the song's records under `name` (its title); a repair marks the song
// modified, nothing is written.
DataCheckCounts checkActiveSong(CPlmDoc& document, std::string_view name);
// "全ﾄﾗｯｸ": every member with a path; an open song is checked as the active one under
// `titleOf(document)`, a closed one is read, checked under its path and written back.
void checkAllTracks(const ProjectData& project, SongWindows& windows,
                    const std::function<std::string(const CPlmDoc&)>& titleOf);

}  // namespace plume
