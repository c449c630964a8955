#pragma once
// The recent song files of the "ファイル" menu, most recent first.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace plume {

namespace platform {
class Profile;
}

class RecentFileList {
public:
    static constexpr std::size_t kLimit = 4;

    // A path already listed moves to the top; the oldest falls off past kLimit.
    void add(const std::filesystem::path& path);
    void remove(std::size_t index);
    const std::vector<std::filesystem::path>& paths() const { return m_paths; }
    // "&1 name" for the menu, the path shortened to 30 characters.
    std::string menuText(std::size_t index) const;

    // Application profile, section "Recent File List", keys "File1" to "File4".
    void load(const platform::Profile& profile);
    bool save(platform::Profile& profile) const;

private:
    std::vector<std::filesystem::path> m_paths;
};

}  // namespace plume
