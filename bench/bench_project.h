#pragma once
// The full-size project of the export and import benchmarks: 16 members of 19,999 records, some
// 240,000 notes in all, each a varied song (chords, rests, ties, tuplets, delays, effects, tempo
// changes, curve pieces); four of them are rhythm members.

#include <array>
#include <vector>

#include "export/export_project.h"

namespace plume {

struct BenchProject {
    std::array<std::vector<SongRecord>, 16> songs;
    ExportProject project;
};

const BenchProject& benchProject();

}  // namespace plume
