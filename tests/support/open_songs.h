#pragma once
// Song windows that are not there: the documents a test lends as open, looked up by path.

#include <filesystem>
#include <map>
#include <vector>

#include "song/project.h"

namespace plume::test {

struct OpenSongs : SongWindows {
    std::map<std::filesystem::path, CPlmDoc*> documents;
    std::vector<SongWindow*> songWindows() override { return {}; }
    bool openSongWindow(const std::filesystem::path&, bool) override { return true; }
    void addToRecentFiles(const std::filesystem::path&) override {}
    CPlmDoc* findDocument(const std::filesystem::path& path) override {
        return documents.contains(path) ? documents[path] : nullptr;
    }
};

}  // namespace plume::test
