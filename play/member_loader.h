#pragma once
// Loading project members and single song files into the play slots.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "play/play_slot.h"
#include "song/record_allocator.h"

namespace plume {

class ProjectData;


// Loads member i (0-15) from its file into `slot`. Returns the record count, 0 after
// "Truck%d-%s\nファイルがありません。" (the file cannot be opened as a song) or
// "Truck%d-%s\nデータ形式が違います。", and -1 after "Truck%d:メモリーが確保できません。".
// The slot is changed only on success.
int loadMember(std::size_t i, const std::filesystem::path& path, PlaySlot& slot,
               const RecordAllocator& allocate = defaultRecordAllocator());

// The same for a single song file, with "%s\nファイルがありません。", "%s\nデータ形式が違います。"
// and "メモリーが確保できません。".
int loadSongFile(const std::filesystem::path& path, PlaySlot& slot,
                 const RecordAllocator& allocate = defaultRecordAllocator());

struct ProjectMembers {
    bool outOfMemory = false;  // a member could not be loaded for lack of memory
    std::int16_t tempo = 120;  // the tempo of the last member loaded
    std::size_t loaded = 0;
};

// A whole-project play or export gives up when a member finds no memory; a play of a range skips
// that member and goes on.
enum class MemoryFailure { StopLoading, SkipMember };

// Fills the slots of every usable member: an open member contributes its document (skipped when
// it has no records), a closed one is loaded from its file (skipped when that yields 0 records or
// fails). Slots of members left out are cleared.
ProjectMembers loadProjectMembers(const ProjectData& project, const OpenDocumentLookup& open, PlaySlots& slots,
                                  const RecordAllocator& allocate = defaultRecordAllocator(),
                                  MemoryFailure onMemoryFailure = MemoryFailure::StopLoading);

}  // namespace plume
