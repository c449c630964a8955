#pragma once
// Whole-file reads and writes that never lose the previous file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace plume::platform {

using Bytes = std::vector<std::uint8_t>;

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<Bytes> readFile(const std::filesystem::path& path);
// Reads at most `limit` bytes; a longer file yields only its first `limit` bytes.
std::optional<Bytes> readFilePrefix(const std::filesystem::path& path, std::size_t limit);

// Writes a temporary file beside the target, flushes it to disk, then renames it over the
// target; on any failure the target is untouched and the temporary file removed. Temporary files
// an earlier, killed write of the same target left behind are removed first.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// True when the file exists and is marked read-only (no owner write permission).
bool isReadOnlyFile(const std::filesystem::path& path);

}  // namespace plume::platform
