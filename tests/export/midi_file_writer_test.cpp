#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "export/export_fixture.h"
#include "export/midi_export_form.h"
#include "export/midi_file_writer.h"
#include "export/smf_reader.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "play/performer_songs.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using test::addGroup;
using test::hex;
using test::note;
using test::playedNote;
using test::readSmf;
using test::TestProject;

const std::string kEmptyTrack = "4D 54 72 6B 00 00 00 04 00 FF 2F 00";

std::vector<std::uint8_t> midi(const TestProject& project, int format, std::uint32_t timeBase = 96,
                               bool restBar = false, DeviceReset reset = DeviceReset::None) {
    return buildMidiFile(project.view(),
                         {.format = format, .timeBase = timeBase, .reset = reset, .restBar = restBar, .progress = {}});
}

test::Smf parsed(const std::vector<std::uint8_t>& bytes) {
    test::Smf smf = readSmf(bytes);
    EXPECT_TRUE(smf.ok) << smf.error;
    return smf;
}

TestProject oneQuarter() {
    TestProject project;
    project.songs[0] = test::notes(3, {60});  // velocity 100, gate 75
    project.settings.title = "T";
    return project;
}

TEST(MidiExport, Format1FileByteForByte) {
    // GIVEN one quarter note, the title "T", three flats, no reset, no rest bar, and a quarter on
    // track 3, which keeps its place and plays on channel 3 between empty tracks of exact bytes
    TestProject project = oneQuarter();
    project.settings.key = 10;
    project.songs[2] = test::notes(3, {64});
    const std::string header = "4D 54 68 64 00 00 00 06 00 01 00 11 00 60 ";
    const std::string conductor =
        "4D 54 72 6B 00 00 00 2D 00 FF 03 01 54 00 FF 51 03 07 A1 20 00 FF 58 04 04 02 18 08 00 FF 59 02 FD 00 "
        "00 FF 51 03 07 A1 20 00 FF 58 04 04 02 18 08 60 FF 2F 00 ";
    const std::string member = "4D 54 72 6B 00 00 00 0F 00 C0 00 00 90 3C 64 48 90 3C 00 18 FF 2F 00";
    const std::string third = "4D 54 72 6B 00 00 00 0F 00 C2 00 00 92 40 64 48 92 40 00 18 FF 2F 00";
    std::string expected = header + conductor + member + " " + kEmptyTrack + " " + third;
    for (int i = 0; i < 13; ++i) expected += " " + kEmptyTrack;
    EXPECT_EQ(hex(midi(project, 1)), expected);
}

TEST(MidiExport, Format0FileByteForByte) {
    // GIVEN the rest bar (384 ticks at 96) and the GM reset: the song starts one tick after it
    const std::string expected =
        "4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B 00 00 00 41 "
        "00 FF 03 01 54 00 F0 05 7E 7F 09 01 F7 00 FF 51 03 07 A1 20 00 FF 58 04 04 02 18 08 00 FF 59 02 00 00 "
        "83 00 FF 51 03 07 A1 20 00 FF 58 04 04 02 18 08 00 C0 00 "
        "01 90 3C 64 48 90 3C 00 18 FF 2F 00";
    EXPECT_EQ(hex(midi(oneQuarter(), 0, 96, true, DeviceReset::GmSystemOn)), expected);
}

TEST(MidiExport, TempoMapMeetsTheNotesOfTheConductor) {
    // GIVEN a member with tempo changes, tuplets, rests, time and key changes
    TestProject project;
    auto& song = project.songs[0];
    song = test::groups({test::metaKey(3)});
    addGroup(song, {note(3, 60), test::effectValue(effect::kTempo, 90)});
    test::addGroups(song, {note(4, 62), note(4, 64), note(4, 65), test::metaTime(3, 2)});
    test::markTuplet(song, {3, 4, 5}, 3);
    addGroup(song, {note(2, 67), test::effectValue(effect::kTempo, 150)});
    addGroup(song, {test::barLine()});
    addGroup(song, {note(3, 64, 0, mark::kDotted), test::effectValue(effect::kTempo, 45)});
    test::addGroups(song, {test::rest(11), note(3, 60), test::metaKey(0)});
    // WHEN it is exported in both formats at 480 with the rest bar
    const test::Smf one = parsed(midi(project, 1, 480, true));
    const test::Smf zero = parsed(midi(project, 0, 480, true));
    ASSERT_TRUE(one.ok && zero.ok);
    // THEN format 0's events after the start tick are format 1's tempo map and member events, one
    // tick later
    auto events = [](const std::vector<test::SmfEvent>& track, std::size_t skip, std::uint32_t shift) {
        std::multiset<std::string> out;
        for (std::size_t i = skip; i + 1 < track.size(); ++i)
            out.insert(std::to_string(track[i].tick + shift) + " " + hex(track[i].bytes));
        return out;
    };
    std::multiset<std::string> expected = events(one.tracks[0], 6, 1);  // after the title and the settings
    expected.merge(events(one.tracks[1], 1, 1));                          // after the program change
    const std::multiset<std::string> actual = events(zero.tracks[0], 7, 0);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(std::count_if(one.tracks[0].begin(), one.tracks[0].end(), [](const auto& e) { return e.isMeta(0x51); }), 5);
}

// Varied projects: rhythm members, empty tracks, members of different lengths.
TestProject variedProject(std::uint32_t seed, std::size_t groups) {
    TestProject project;
    for (std::size_t i = 0; i < 16; ++i) {
        if ((seed + i) % 7 == 3) continue;
        const bool rhythm = (seed + i) % 5 == 1;
        project.songs[i] = test::variedSong(seed * 31 + std::uint32_t(i), groups + i * 3, rhythm);
        if (rhythm) project.rhythm(i);
        project.infos[i].setInitialModule(std::uint8_t(i % 4));
        project.infos[i].setInitialProgram(std::uint8_t(i * 5));
    }
    project.settings.transposition = int(seed % 5) - 2;
    project.settings.startTempo = 90 + int(seed % 50);
    return project;
}

TEST(MidiExport, FastPathWritesTheSameFileAsTheTickByTickReference) {
    for (const std::uint32_t timeBase : {48u, 96u, 480u, 960u, 980u}) {
        const TestProject project = variedProject(timeBase, timeBase >= 960 ? 40 : 80);
        for (const int format : {0, 1}) {
            MidiExportOptions options = {.format = format, .timeBase = timeBase, .reset = DeviceReset(timeBase % 3),
                                         .restBar = timeBase % 3 == 0, .stepping = Stepping::EveryUnit, .progress = {}};
            const std::vector<std::uint8_t> reference = buildMidiFile(project.view(), options);
            options.stepping = Stepping::SkipQuiet;
            const std::vector<std::uint8_t> fast = buildMidiFile(project.view(), options);
            ASSERT_TRUE(readSmf(fast).ok) << readSmf(fast).error;
            EXPECT_GT(fast.size(), 5000u);
            EXPECT_TRUE(fast == reference) << "format " << format << " time base " << timeBase;
        }
    }
}

TEST(MidiExport, ProgressRisesToOneHundred) {
    const TestProject project = variedProject(3, 30);
    for (const int format : {0, 1}) {
        std::vector<int> seen;
        buildMidiFile(project.view(), {.format = format, .progress = [&](int percent) { seen.push_back(percent); }});
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        ASSERT_GE(seen.size(), 3u);
        EXPECT_EQ(seen.front(), 0);
        EXPECT_EQ(seen[1], format == 1 ? 6 : 100 / 13);  // track index x 100 / 16; finished x 100 / 13 members
        EXPECT_EQ(seen.back(), 100);
    }
}

TEST(MidiExport, FileNameAndWriting) {
    EXPECT_EQ((std::vector{midiFileName("/songs/demo.PRJ"), midiFileName("/songs/a.b.prj"), midiFileName("/songs.d/demo")}),
              (std::vector<fs::path>{"/songs/demo.MID", "/songs/a.b.MID", "/songs.d/demoMID"}));

    const test::TempDir dir;
    platform::ScriptedMessageBox box;
    // WHEN the target folder does not exist THEN nothing is written and the user is told
    EXPECT_EQ(writeMidiFile(oneQuarter().view(), {}, dir / "missing" / "x.MID"), ExportResult::CannotCreate);
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"ファイルを作成できません。"}));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    // WHEN it can be written THEN nothing is shown
    box.clear();
    EXPECT_EQ(writeMidiFile(oneQuarter().view(), {}, dir / "x.MID"), ExportResult::Ok);
    EXPECT_TRUE(box.shown().empty());
}

TEST(MidiExportForm, TheDefaultsAreFormat1At96WithGmResetAndTheRestBarAndTheButtonsChooseTheirValues) {
    const auto defaults = MidiExportForm{}.accept();
    ASSERT_TRUE(defaults);
    EXPECT_EQ(std::tie(defaults->format, defaults->timeBase, defaults->reset, defaults->restBar),
              std::make_tuple(1, 96u, DeviceReset::GmSystemOn, true));
    MidiExportForm form;
    form.format = 0;
    form.timeBaseChoice = 5;
    form.reset = 2;
    form.restBar = false;
    const auto options = form.accept();
    ASSERT_TRUE(options);
    EXPECT_EQ(std::tie(options->format, options->timeBase, options->reset, options->restBar),
              std::make_tuple(0, 960u, DeviceReset::None, false));
}

TEST(MidiExportForm, TheOtherFieldTakes48To980) {
    platform::ScriptedMessageBox box;
    MidiExportForm form;
    form.timeBaseChoice = kOtherTimeBase;
    for (const char* good : {"48", "980", " 500 "}) {
        form.otherTimeBase = good;
        const auto options = form.accept();
        ASSERT_TRUE(options) << good;
        EXPECT_EQ(options->timeBase, std::uint32_t(std::stoul(good)));
    }
    EXPECT_TRUE(box.shown().empty());
    for (const char* bad : {"47", "981", "", "96x", "-96"}) {
        form.otherTimeBase = bad;
        EXPECT_FALSE(form.accept()) << bad;
    }
    EXPECT_EQ(box.shown(), (std::vector<std::string>(5, "48 から 980 の範囲で入力して下さい。")));
}

// Exported files read back by an independent reader: midicsv (Debian package midicsv).
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
        for (const auto& [id, times] : down)
            EXPECT_TRUE(times.empty()) << "note-on never released, key " << std::get<2>(id);
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
                         playedNote(4, 67, 0, 100), playedNote(4, 69, 0, 100),
                         playedNote(2, 71, 0, 80, mark::kTieBegin),
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
