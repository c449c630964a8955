#include "play/play_slot.h"

#include "song/plm_doc.h"

namespace plume {

std::span<const SongRecord> PlaySlot::records() const {
    if (buffer) return *buffer;
    if (document) return document->records();
    return {};
}

}  // namespace plume
