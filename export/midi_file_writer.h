#pragma once
// Standard MIDI File export, format 0 or 1: the project's members performed tick by tick by the
// Performer, every message written with its delta time and its own status byte.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "export/export_project.h"
#include "play/performer.h"

namespace plume {

enum class DeviceReset : std::uint8_t { GmSystemOn = 0, GsReset = 1, None = 2 };

inline constexpr std::uint32_t kMinTimeBase = 48;
inline constexpr std::uint32_t kMaxTimeBase = 980;

struct MidiExportOptions {
    int format = 1;                // 0: one merged track; 1: a tempo-map track and 16 member tracks
    std::uint32_t timeBase = 96;   // ticks per quarter note, kMinTimeBase-kMaxTimeBase
    DeviceReset reset = DeviceReset::GmSystemOn;
    bool restBar = true;           // the song starts after one whole rest
    Stepping stepping = Stepping::SkipQuiet;
    std::function<void(int)> progress;  // 0-100, called when the figure changes
};

// The whole file. Throws std::bad_alloc only when memory runs out.
std::vector<std::uint8_t> buildMidiFile(const ExportProject& project, const MidiExportOptions& options);

// Builds the file in memory and writes it beside and renamed over `path`, so a failure leaves
// nothing half-written under that name. Shows "ファイルを作成できません。", "書き込みエラー" or
// "メモリー不足" on failure.
ExportResult writeMidiFile(const ExportProject& project, const MidiExportOptions& options,
                           const std::filesystem::path& path);

// The project path with its extension replaced by "MID".
std::filesystem::path midiFileName(const std::filesystem::path& project);

}  // namespace plume
