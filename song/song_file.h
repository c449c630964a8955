#pragma once
// The song file (*.PLM): the current layout (version 411) and the older layouts it converts.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "song/song_record.h"

namespace plume {

// Everything a song file holds.
struct SongData {
    FileHeader header = FileHeader::fresh();
    std::array<std::uint8_t, 8> reserved{};
    SongInfo info = SongInfo::defaults();
    std::vector<SongRecord> records;
};

enum class ReadStatus {
    Ok,
    CannotOpen,  // no message: the caller reports it
    WrongMagic,  // no message: the open simply fails
    WrongData,   // the caller says that the data format is wrong
};

struct SongReadResult {
    ReadStatus status = ReadStatus::WrongData;
    SongData song;
    std::uint16_t version = 0;  // the version word as read
    // Layouts 10, 20, 24 and 30 are converted, and readSong writes them back at once. Other versions
    // below 411 keep their settings and records as they are (header word 2) and are not written back.
    bool converted = false;
    bool ok() const { return status == ReadStatus::Ok; }
};

inline constexpr std::size_t kSongHeaderSize = 276;  // header, reserved block and settings

// Pure decoding of a whole file's bytes: any layout in, the current layout's data out. Never
// reads past `bytes`; more than kRecordCapacity records is wrong data.
SongReadResult parseSong(std::span<const std::uint8_t> bytes);
// The current layout: 276 + 10 n bytes, magic, version 411 and the count set in the header.
// The song must hold at most kRecordCapacity records (writeSong refuses more).
std::vector<std::uint8_t> serializeSong(const SongData& song);

// Reads a song file; a converted older layout is written back at once in the current layout.
SongReadResult readSong(const std::filesystem::path& path);
// Writes the current layout without ever losing the previous file; on failure shows
// "%s\n保存が正常にできませんでした。" with the path and returns false.
bool writeSong(const std::filesystem::path& path, const SongData& song);

// The settings of a song file, or nullopt when it cannot be read.
std::optional<SongInfo> readSongSettings(const std::filesystem::path& path);
// Record count: for version 30 the header's count, otherwise what a full read yields; -1 when
// the data is wrong or the file cannot be read.
int recordCountOfFile(const std::filesystem::path& path);
// Sets tempo, sound module (byte 9), numerator, denominator power and, below 255, the key,
// then writes the song back.
bool updateSongSettings(const std::filesystem::path& path, std::int16_t tempo, std::uint8_t soundModule,
                        std::uint8_t numerator, std::uint8_t denominatorPower, std::uint8_t key);
// Reads the song, runs the data check under its path and writes it back.
bool checkSongFile(const std::filesystem::path& path);

}  // namespace plume
