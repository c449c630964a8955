// Exported files read back by an independent reader: midicsv (Debian package midicsv).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "export/export_fixture.h"
#include "export/midi_file_writer.h"
#include "platform/file_io.h"
#include "play/performer_songs.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using test::addGroup;
using test::playedNote;
using test::TestProject;

// One sounding note as midicsv reports it: track, channel, key, note-on and release times.
using Note = std::tuple<int, int, int, long, long>;

class Midicsv : public testing::Test {
protected:
    test::TempDir dir;
    void SetUp() override {
        if (std::system("command -v midicsv >/dev/null 2>&1") != 0) GTEST_SKIP() << "midicsv is not installed";
    }

    // Writes the file, runs midicsv on it and pairs every note-on with the next release of its key
    // on its track and channel; fails the test on a reader error or an unpaired event.
    std::vector<Note> notes(const ExportProject& project, const MidiExportOptions& options) {
        const fs::path midi = dir / "song.mid";
        const fs::path csv = dir / "song.csv";
        const fs::path err = dir / "err.txt";
        EXPECT_EQ(writeMidiFile(project, options, midi), ExportResult::Ok);
        const std::string command = "midicsv '" + midi.string() + "' '" + csv.string() + "' 2>'" + err.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(fs::file_size(err), 0u) << platform::readFile(err).value_or(platform::Bytes{}).data();
        std::ifstream in(csv);
        std::map<std::tuple<int, int, int>, std::deque<long>> down;
        std::vector<Note> notes;
        int endOfFile = 0;
        for (std::string line; std::getline(in, line);) {
            int track = 0, channel = 0, key = 0, velocity = 0;
            long time = 0;
            char kind[32] = {};
            endOfFile += line.find("End_of_file") != std::string::npos;
            if (std::sscanf(line.c_str(), "%d, %ld, %31[A-Za-z_], %d, %d, %d", &track, &time, kind, &channel, &key,
                            &velocity) != 6 || (std::string(kind) != "Note_on_c" && std::string(kind) != "Note_off_c"))
                continue;
            auto& times = down[{track, channel, key}];
            if (std::string(kind) == "Note_on_c" && velocity != 0) {
                times.push_back(time);
            } else if (times.empty()) {
                ADD_FAILURE() << "release without a note-on: " << line;
            } else {
                notes.emplace_back(track, channel, key, times.front(), time);
                times.pop_front();
            }
        }
        EXPECT_EQ(endOfFile, 1);
        for (const auto& [id, times] : down) EXPECT_TRUE(times.empty()) << "note-on never released, key " << std::get<2>(id);
        std::sort(notes.begin(), notes.end());
        return notes;
    }
};

// A melody with gates, a delay, a rest, a dot, a triplet, a tie and a chord, and two drum beats.
TestProject knownSong() {
    TestProject project;
    auto& song = project.songs[0];
    song = test::groups({playedNote(3, 60, 0, 75), playedNote(4, 62, 50, 50), test::rest(9),
                         playedNote(3, 64, 0, 100, 0, mark::kDotted), playedNote(4, 65, 0, 100),
                         playedNote(4, 67, 0, 100), playedNote(4, 69, 0, 100), playedNote(2, 71, 0, 80, mark::kTieBegin),
                         playedNote(3, 71, 0, 50, mark::kTieEnd)});
    test::markTuplet(song, {4, 5, 6}, 3);
    addGroup(song, {playedNote(3, 60, 0, 50), playedNote(3, 64, 0, 50), playedNote(3, 67, 0, 50)});
    project.songs[3] = test::groups({playedNote(3, 36, 0, 50), playedNote(3, 38, 0, 50)});
    project.rhythm(3);
    return project;
}

// The known song's notes as (track, channel, key, on, off), the song starting at `start`.
std::vector<Note> expected(int melodyTrack, int rhythmTrack, long start, long q) {
    // At 96 a quarter is 96 ticks; at 960 it is 952, an eighth 476 and the triplet's span 952 / 3
    // = 317, the first getting the remainder.
    const long e = q / 2;
    const long t1 = q / 3 + q % 3, t2 = q / 3;
    const long dq = q * 3 / 2;
    const long g6 = q + e + q + dq + t1 + 2 * t2;  // the tie begins
    std::vector<Note> notes = {
        {melodyTrack, 0, 60, start, start + q * 75 / 100},
        {melodyTrack, 0, 62, start + q + e / 2, start + q + e / 2 + e / 2},
        {melodyTrack, 0, 64, start + q + e + q, start + q + e + q + dq},
        {melodyTrack, 0, 65, start + g6 - t1 - 2 * t2, start + g6 - 2 * t2},
        {melodyTrack, 0, 67, start + g6 - 2 * t2, start + g6 - t2},
        {melodyTrack, 0, 69, start + g6 - t2, start + g6},
        {melodyTrack, 0, 71, start + g6, start + g6 + 2 * q + e},
        {melodyTrack, 0, 60, start + g6 + 3 * q, start + g6 + 3 * q + e},
        {melodyTrack, 0, 64, start + g6 + 3 * q, start + g6 + 3 * q + e},
        {melodyTrack, 0, 67, start + g6 + 3 * q, start + g6 + 3 * q + e},
        {rhythmTrack, 9, 36, start, start + e},
        {rhythmTrack, 9, 38, start + q, start + q + e},
    };
    std::sort(notes.begin(), notes.end());
    return notes;
}

TEST_F(Midicsv, NotesPairUpAtTheSongsDurations) {
    const TestProject song = knownSong();
    const ExportProject project = song.view();
    MidiExportOptions options = {.restBar = false, .progress = {}};
    // midicsv counts tracks from 1: format 1's members follow the header track; format 0 has one
    // track and starts one tick after the rest bar
    EXPECT_EQ(notes(project, options), expected(2, 5, 0, 96));
    options.format = 0;
    options.restBar = true;
    EXPECT_EQ(notes(project, options), expected(1, 1, 385, 96));
    options.timeBase = 960;
    EXPECT_EQ(notes(project, options), expected(1, 1, 32 * 119 + 1, 952));
}

}  // namespace
}  // namespace plume
