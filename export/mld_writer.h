#pragma once
// i-melody (MFi) export: the members' notes and rests at 48 ticks per quarter note, melody
// members four to a chunk as parts 0-3, each rhythm member in a chunk of its own as part 1.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "export/export_project.h"

namespace plume {

// The whole file. Throws std::bad_alloc only when memory runs out.
std::vector<std::uint8_t> buildMldFile(const ExportProject& project);

// Builds the file and writes it beside and renamed over `path`; shows "%sを作成しました。" with
// the file name when done, "ファイルを作成できません。" or "メモリー不足" when not.
ExportResult writeMldFile(const ExportProject& project, const std::filesystem::path& path);

// The project path with its extension replaced by "mld".
std::filesystem::path mldFileName(const std::filesystem::path& project);

}  // namespace plume
