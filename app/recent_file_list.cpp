#include "app/recent_file_list.h"

#include <algorithm>

#include "platform/profile.h"
#include "song/project.h"

namespace plume {

namespace {
constexpr const char* kSection = "Recent File List";
}  // namespace

void RecentFileList::add(const std::filesystem::path& path) {
    if (path.empty()) return;
    std::erase(m_paths, path);
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > kLimit) m_paths.resize(kLimit);
}

void RecentFileList::remove(std::size_t index) {
    if (index < m_paths.size()) m_paths.erase(m_paths.begin() + std::ptrdiff_t(index));
}

std::string RecentFileList::menuText(std::size_t index) const {
    return "&" + std::to_string(index + 1) + " " + shortenForMenu(utf8Of(m_paths.at(index)));
}

void RecentFileList::load(const platform::Profile& profile) {
    m_paths.clear();
    for (std::size_t k = 1; k <= kLimit; ++k) {
        const std::string entry = profile.getString(kSection, "File" + std::to_string(k), "");
        const std::filesystem::path path = pathFromUtf8(entry);
        if (!entry.empty() && std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end()) m_paths.push_back(path);
    }
}

bool RecentFileList::save(platform::Profile& profile) const {
    bool ok = profile.removeSection(kSection);
    for (std::size_t k = 0; k < m_paths.size(); ++k)
        ok = profile.writeString(kSection, "File" + std::to_string(k + 1), utf8Of(m_paths[k])) && ok;
    return ok;
}

}  // namespace plume
