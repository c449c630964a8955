#pragma once
// The sixteen member tracks loaded for playing or exporting a project.

#include <array>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "song/song_record.h"

namespace plume {

class CPlmDoc;

// One member: records loaded from disk (owned), or the open document that supplied them.
struct PlaySlot {
    std::unique_ptr<std::vector<SongRecord>> buffer;
    const CPlmDoc* document = nullptr;
    SongInfo info;

    bool used() const { return buffer != nullptr || document != nullptr; }
    // The member's records, from the buffer or the document.
    std::span<const SongRecord> records() const;
    void clear() { *this = PlaySlot{}; }
};

using PlaySlots = std::array<PlaySlot, 16>;

// Finds the open song document of a path (compared as the GUI compares paths); null when the
// song is not open. The GUI implements it over its windows; tests use a map.
class OpenDocumentLookup {
public:
    virtual ~OpenDocumentLookup() = default;
    virtual const CPlmDoc* findOpenDocument(const std::filesystem::path& path) const = 0;
};

}  // namespace plume
