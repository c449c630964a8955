#pragma once
// The songs the print tests lay out, and their print sources.

#include "print/print_plan.h"
#include "support/song_builder.h"

namespace plume::test {

// `count` lines of notes only; every third spans both staves (153 high), the others are treble lines (102).
inline std::vector<SongRecord> longSong(int count) {
    std::vector<SongRecord> song;
    for (int i = 0; i < count; ++i) {
        if (i % 3 == 0) addGroups(song, {note(3, 50), note(3, 70)});
        else addGroups(song, {note(3, 72), note(3, 74)});
        if (i + 1 < count) addGroups(song, {lineBreak()});
    }
    return song;
}

// The whole song, no selection; `song` must outlive the source.
inline PrintSource sourceOf(const std::vector<SongRecord>& song, bool grandStaff = false) {
    PrintSource source;
    source.records = song;
    source.table.rebuild(song, SongInfo::defaults(), {.grandStaff = grandStaff});
    source.documentTitle = "song.PLM";
    return source;
}
PrintSource sourceOf(std::vector<SongRecord>&& song, bool grandStaff = false) = delete;

}  // namespace plume::test
