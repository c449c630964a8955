#pragma once
// Storage for copies of records (member buffers, undo snapshots), replaceable so that tests can
// make the allocation fail.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "song/song_record.h"

namespace plume {

// Storage reserved for `count` records, or nullptr when it cannot be had.
using RecordAllocator = std::function<std::unique_ptr<std::vector<SongRecord>>(std::size_t count)>;
RecordAllocator defaultRecordAllocator();

}  // namespace plume
