#pragma once
// The recent song files of the "ファイル" menu, most recent first.

#include <cstddef>
#include <string>

#include "song/project.h"

namespace plume {

// Application profile, section "Recent File List", keys "File1" to "File4".
class RecentFileList : public RecentList {
public:
    static constexpr std::size_t kLimit = 4;

    RecentFileList() : RecentList("Recent File List", kLimit) {}
    // "&1 name" for the menu, the path shortened to 30 characters.
    std::string menuText(std::size_t index) const { return "&" + std::to_string(index + 1) + " " + menuName(index); }
};

}  // namespace plume
