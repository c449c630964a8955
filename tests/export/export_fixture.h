#pragma once
// Projects for the exporter tests, built from songs in memory.

#include <array>
#include <vector>

#include "export/export_project.h"
#include "support/song_builder.h"

namespace plume::test {

struct TestProject {
    std::array<std::vector<SongRecord>, 16> songs;
    std::array<SongInfo, 16> infos;
    ExportProject settings;

    TestProject() { infos.fill(SongInfo::defaults()); }
    void rhythm(std::size_t track) { infos[track].setFileKind(0); }
    ExportProject view() const {
        ExportProject project = settings;
        for (std::size_t i = 0; i < 16; ++i) project.tracks[i] = {songs[i], infos[i]};
        return project;
    }
};

}  // namespace plume::test
