#include "song/record_allocator.h"

#include <new>

namespace plume {

RecordAllocator defaultRecordAllocator() {
    return [](std::size_t count) -> std::unique_ptr<std::vector<SongRecord>> {
        std::unique_ptr<std::vector<SongRecord>> buffer(new (std::nothrow) std::vector<SongRecord>);
        if (!buffer || count > buffer->max_size()) return nullptr;
        try {
            buffer->reserve(count);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return buffer;
    };
}

}  // namespace plume
