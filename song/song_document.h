#pragma once
// Opening and saving the file of a song document, with the messages the user sees.

#include <filesystem>
#include <memory>

namespace plume {

class CPlmDoc;

// The document of a song file, or nullptr after the message: "%s\nファイルを開けません。" when
// the file cannot be opened, "%s\nデータ形式が違います。" when its data is wrong, nothing when it
// is no song file at all. A converted older layout is written back by the read.
std::unique_ptr<CPlmDoc> openSongDocument(const std::filesystem::path& path);

// Refuses a read-only target with "読み込み専用ファイルなので保存できません。"; otherwise writes
// the song (a failed write shows its own message) and clears the modified flag.
bool saveSongDocument(CPlmDoc& document, const std::filesystem::path& path);

}  // namespace plume
