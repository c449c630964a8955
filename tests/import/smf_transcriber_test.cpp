#include <gtest/gtest.h>

#include <random>

#include "import/midi_import.h"
#include "import/smf_builder.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/project.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

using test::notesTrack;
using test::SmfTrackBuilder;
using test::TimedNote;

// One line per timed group: type, dots, tie and keys, e.g. "3 . 60" or "4 d ^60" (tie begins),
// "|" for a bar line; rests as "r9".
std::vector<std::string> written(const ImportedSong& song) {
    std::vector<std::string> out;
    const Records records(song.records);
    for (std::size_t g = 0; g < records.size(); g = nextGroup(records, g)) {
        const SongRecord& first = records[g];
        if (first.type() == type::kBarLine || first.type() == type::kLineBreak) out.push_back("|");
        if (!first.takesTime()) continue;
        if (first.isRest()) {
            out.push_back("r" + std::to_string(first.type()) + (first.dots() ? "d" : ""));
            continue;
        }
        std::string line = std::to_string(first.type()) + (first.dots() ? "d" : "") + (first.tupletNumber() ? "t" : "");
        for (std::size_t i = g; i < groupEnd(records, g); ++i) {
            if (!records[i].isNote()) continue;
            const std::uint8_t tie = records[i].tie();
            line += std::string(" ") + (tie == mark::kTieBegin ? "^" : tie == mark::kTieMiddle ? "~" : tie == mark::kTieEnd ? "$" : "") +
                    std::to_string(records[i].key());
        }
        out.push_back(line);
    }
    return out;
}

ImportedMusic import(const std::vector<std::uint8_t>& bytes, ImportOptions options = {}) {
    const SmfFile file = readSmf(bytes);
    EXPECT_TRUE(file.ok()) << file.error;
    return transcribeSmf(file, options);
}

TEST(SmfTranscriber, HumanisedPerformanceQuantisesToTheWrittenValues) {
    // GIVEN a bar of quarter, two eighths, a dotted quarter and an eighth, then a half and two
    // quarters, played with onsets off by up to a 64th (30 ticks at 480) and 90 % long
    const std::vector<std::pair<int, int>> score = {{0, 480},    {480, 240},  {720, 240},  {960, 720},
                                                    {1680, 240}, {1920, 960}, {2880, 480}, {3360, 480}};
    std::mt19937 random(5);
    std::vector<TimedNote> notes;
    int key = 60;
    for (const auto& [start, length] : score) {
        const int jitter = std::uniform_int_distribution<int>(-30, 30)(random);
        const std::uint32_t on = std::uint32_t(std::max(0, start + jitter));
        notes.push_back({on, on + std::uint32_t(length * 9 / 10), key++, 70});
    }
    for (const bool triplets : {true, false}) {
        ImportOptions options;
        options.triplets = triplets;
        const ImportedMusic music = import(test::smfFile(0, 480, {notesTrack(0, notes)}), options);
        ASSERT_EQ(music.songs.size(), 1u);
        EXPECT_EQ(written(music.songs[0]), (std::vector<std::string>{"3 60", "4 61", "4 62", "3d 63", "4 64", "|",
                                                                     "2 65", "3 66", "3 67"}));
    }
}

TEST(SmfTranscriber, TripletsAreFoundWhereTheBeatFitsThemAndOnlyThen) {
    // GIVEN a beat of eighth triplets (160 ticks at 480) and a beat of straight eighths
    const std::vector<TimedNote> notes = {{0, 150, 60}, {160, 310, 62}, {320, 470, 64}, {480, 700, 65}, {720, 940, 67}};
    const auto file = test::smfFile(0, 480, {notesTrack(0, notes)});
    EXPECT_EQ(written(import(file).songs[0]), (std::vector<std::string>{"4t 60", "4t 62", "4t 64", "4 65", "4 67"}));
    ImportOptions straight;
    straight.triplets = false;
    straight.grid = 8;
    // without triplets each onset goes to the nearest eighth: nothing is lost
    const ImportedMusic plain = import(file, straight);
    EXPECT_EQ(std::count_if(plain.songs[0].records.begin(), plain.songs[0].records.end(), [](const SongRecord& r) { return r.isNote(); }), 5);
}

TEST(SmfTranscriber, SwungEighthsAreWrittenAsTripletsHoweverLooseTheSwing) {
    // GIVEN eight beats of swung eighths at 480 whose off-beat comes anywhere from 300 to 328 ticks
    std::vector<TimedNote> notes;
    for (int beat = 0; beat < 8; ++beat) {
        const std::uint32_t on = std::uint32_t(beat * 480), off = on + std::uint32_t(300 + 4 * beat);
        notes.push_back({on, on + 280, 60 + beat});
        notes.push_back({off, on + 470, 72 + beat});
    }
    // THEN every beat is a quarter and an eighth of a triplet
    std::vector<std::string> beats;
    for (const std::string& line : written(import(test::smfFile(0, 480, {notesTrack(0, notes)})).songs[0])) {
        if (line != "|") beats.push_back(line.substr(0, line.find(' ')));
    }
    std::vector<std::string> swing;
    for (int beat = 0; beat < 8; ++beat) swing.insert(swing.end(), {"3t", "4t"});
    EXPECT_EQ(beats, swing);
}

TEST(SmfTranscriber, LongNotesTieAcrossBarLinesAndOverlapsOnOneKeyKeepBothNotes) {
    // GIVEN a note from beat 3 to beat 2 of the third bar, and key 64 struck again before its release
    const std::vector<TimedNote> notes = {{960, 4320, 60}};
    const ImportedMusic music = import(test::smfFile(0, 480, {notesTrack(0, notes)}));
    EXPECT_EQ(written(music.songs[0]), (std::vector<std::string>{"r8", "2 ^60", "|", "1 ~60", "|", "3 $60"}));

    const auto overlap = SmfTrackBuilder()
                             .noteOn(0, 0, 64, 90)
                             .noteOn(480, 0, 64, 91)
                             .noteOff(480, 0, 64)
                             .noteOff(480, 0, 64)
                             .chunk();
    const ImportedMusic again = import(test::smfFile(0, 480, {overlap}));
    EXPECT_EQ(written(again.songs[0]), (std::vector<std::string>{"3 64", "3 64"}));
    const SongRecord& second = again.songs[0].records[1];
    EXPECT_EQ(second.velocity(), 91);
}

TEST(SmfTranscriber, EveryFourthBarLineBeginsALineExceptBeforeRestsAlone) {
    // GIVEN eight bars of whole notes and the hold pedal released where a ninth bar would start
    SmfTrackBuilder track;
    for (int bar = 0; bar < 8; ++bar) track.noteOn(0, 0, 60 + bar, 90).noteOff(1920, 0, 60 + bar);
    const ImportedMusic music = import(test::smfFile(0, 480, {track.at(0, {0xB0, 64, 0}).chunk()}));
    // THEN the fourth bar line is a line break (one bar line, not a bar line and a break), and the
    // rest that carries the pedal follows the eighth on the same line
    std::vector<std::uint8_t> lines;
    for (const SongRecord& r : music.songs[0].records) {
        if (r.type() == type::kBarLine || r.type() == type::kLineBreak) lines.push_back(r.type());
    }
    const std::uint8_t bar = type::kBarLine, lineBreak = type::kLineBreak;
    EXPECT_EQ(lines, (std::vector<std::uint8_t>{bar, bar, bar, lineBreak, bar, bar, bar, bar}));
    EXPECT_EQ(written(music.songs[0]).back(), "r11");
    const std::vector<SongRecord>& records = music.songs[0].records;
    EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const SongRecord& r) { return r.isEffect() && r.effectNumber() == effect::kHold; }));
}

TEST(SmfTranscriber, ChannelsBecomeSongsWithTheirInstrumentsEffectsAndLyrics) {
    // GIVEN a melody with its program (bank 8), a volume change and lyrics, drums on channel 10
    // with a drum set, a tempo change and a key change
    const auto conductor = SmfTrackBuilder()
                               .meta(0, 0x03, "Song")
                               .tempo(0, 100)
                               .at(0, {0xFF, 0x59, 0x02, 0xFE, 0x00})
                               .at(0, {0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08})
                               .tempo(1440, 140)
                               .at(0, {0xFF, 0x59, 0x02, 0x01, 0x00})
                               .chunk();
    const auto melody = SmfTrackBuilder()
                            .meta(0, 0x03, "Lead")
                            .at(0, {0xB0, 0x00, 0x08})
                            .at(0, {0xC0, 25})
                            .meta(0, 0x05, "la")
                            .noteOn(0, 0, 60, 100)
                            .noteOff(480, 0, 60)
                            .at(0, {0xB0, 0x07, 0x50})
                            .noteOn(0, 0, 62, 100)
                            .noteOff(960, 0, 62)
                            .chunk();
    const auto drums = notesTrack(9, {{0, 100, 36}, {480, 580, 38}}, "Drums");
    const ImportedMusic music = import(test::smfFile(1, 480, {conductor, melody, drums}));
    EXPECT_EQ(music.title, "Song");
    EXPECT_EQ(music.tempo, 100);
    EXPECT_EQ(music.key, 9);  // two flats
    EXPECT_EQ(music.numerator, 3);
    ASSERT_EQ(music.songs.size(), 2u);
    const ImportedSong& lead = music.songs[0];
    EXPECT_EQ(lead.name, "Lead");
    EXPECT_EQ((std::array{lead.info.initialModule(), lead.info.initialBank(), lead.info.initialProgram()}),
              (std::array<std::uint8_t, 3>{1, 8, 25}));
    std::vector<std::string> extras;
    for (const SongRecord& r : lead.records) {
        if (r.isEffect()) extras.push_back("effect " + std::to_string(r.effectNumber()) + " " + std::to_string(r.value()));
        if (r.kind() == kind::kLyric) extras.push_back("lyric " + std::string(r.bytes.begin() + 3, r.bytes.begin() + 3 + r.textLength()));
    }
    EXPECT_EQ(extras, (std::vector<std::string>{"lyric la", "effect 0 80", "effect 7 140"}));
    EXPECT_TRUE(music.songs[1].info.isRhythm());
    EXPECT_EQ(music.songs[1].channel, 9);
    // the melody takes the key change; the drum staff has no key
    auto keyChanges = [](const ImportedSong& song) {
        return std::count_if(song.records.begin(), song.records.end(), [](const SongRecord& r) { return r.isMeta() && r.metaType() == meta::kKeySignature; });
    };
    EXPECT_EQ(keyChanges(lead), 1);
    EXPECT_EQ(std::make_pair(music.songs[1].info.keySignature(), keyChanges(music.songs[1])), std::make_pair(std::uint8_t(0), std::ptrdiff_t(0)));
    // drum hits last to the next onset; the last one keeps its own length
    EXPECT_EQ(written(music.songs[1]), (std::vector<std::string>{"3 36", "5 38"}));
}

TEST(SmfTranscriber, AChannelBeyondTheRecordLimitIsSplitIntoSongsWithANotice) {
    // GIVEN 25,000 sixteenths on one channel
    std::vector<TimedNote> notes;
    for (std::uint32_t i = 0; i < 25000; ++i) notes.push_back({i * 24, i * 24 + 20, 60 + int(i % 12)});
    const ImportedMusic music = import(test::smfFile(0, 96, {notesTrack(0, notes)}));
    ASSERT_EQ(music.songs.size(), 2u);
    std::size_t written = 0;
    for (const ImportedSong& song : music.songs) {
        EXPECT_LT(song.records.size(), kRecordLimit);
        for (const SongRecord& r : song.records) written += r.isNote() ? 1 : 0;
    }
    EXPECT_EQ(written, 25000u);
    EXPECT_EQ(music.songs[1].part, 1);
    ASSERT_EQ(music.notices.size(), 1u);
    EXPECT_NE(music.notices[0].find("2曲に分けました"), std::string::npos);
}

TEST(MidiImport, WritesSongsAndAProjectBesideTheFileAndRefusesBadFiles) {
    test::TempDir dir;
    platform::ScriptedMessageBox box;
    // GIVEN a file with two channels
    const auto file = test::smfFile(1, 96, {notesTrack(0, {{0, 90, 60}}, "Piano"), notesTrack(1, {{0, 90, 64}})});
    ASSERT_TRUE(platform::writeFileAtomically(dir.path() / "tune.mid", file));
    const MidiImportResult result = importMidiFile(dir.path() / "tune.mid", {});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.opened, dir.path() / "tune.PRJ");
    ASSERT_EQ(result.written.size(), 3u);
    EXPECT_EQ(result.written[0].filename(), "tune_01_Piano.PLM");
    EXPECT_EQ(result.written[1].filename(), "tune_02_Acoustic_Grand_Piano.PLM");  // no track name: its instrument
    const ProjectReadResult project = readProject(result.opened);
    ASSERT_TRUE(project.ok());
    EXPECT_EQ(project.data.memberPath(1), result.written[1]);

    // a file with only a tempo track: nothing to write, and the user is told
    const auto tempoOnly = test::smfFile(1, 96, {SmfTrackBuilder().tempo(0, 90).chunk()});
    ASSERT_TRUE(platform::writeFileAtomically(dir.path() / "empty.mid", tempoOnly));
    EXPECT_FALSE(importMidiFile(dir.path() / "empty.mid", {}).ok);
    // a truncated file: a clear message
    ASSERT_TRUE(platform::writeFileAtomically(dir.path() / "cut.mid", std::span(file).first(file.size() - 5)));
    EXPECT_FALSE(importMidiFile(dir.path() / "cut.mid", {}).ok);
    // a note after a day of silence (a corrupt delta time) would be thousands of songs of rests
    const auto silent = test::smfFile(0, 96, {notesTrack(0, {{0, 90, 60}, {96u * 320001, 96u * 320002, 62}})});
    ASSERT_TRUE(platform::writeFileAtomically(dir.path() / "silent.mid", silent));
    EXPECT_FALSE(importMidiFile(dir.path() / "silent.mid", {}).ok);
    for (const char* name : {"empty.PLM", "cut.PRJ", "silent.PLM"}) EXPECT_FALSE(std::filesystem::exists(dir.path() / name));
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[0], "empty.mid\n音符がありません。");
    EXPECT_EQ(box.shown()[1], "cut.mid\nMIDIファイルを読み込めません。(track 2 is cut short)");
    EXPECT_EQ(box.shown()[2], "silent.mid\nMIDIファイルを読み込めません。(曲が長すぎます。全チャンネルの長さの合計は4分音符320000拍までです。)");
}

}  // namespace
}  // namespace plume

namespace plume {
namespace {

TEST(ImportCommand, PrintsEachFileWrittenAndRefusesAMissingFolderOrABadOption) {
    test::TempDir dir;
    const std::string in = dir.write("two.mid", test::smfFile(1, 96, {notesTrack(0, {{0, 90, 60}}, "Lead"), notesTrack(9, {{0, 40, 36}, {48, 40, 38}})})).string();
    const std::string d = dir.path().string();
    const test::CliRun run = test::runCommand({"import", in, "-o", d + "/out.PRJ"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "song " + d + "/out_01_Lead.PLM: track 1, channel 1, 1 records\n"
                       "song " + d + "/out_10_GM_Drum_Set.PLM: track 2, channel 10, 2 records\n"
                       "project " + d + "/out.PRJ: 2 members\n");

    const test::CliRun missing = test::runCommand({"import", in, "-o", d + "/gone/out.PRJ"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "plume-cli: " + d + "/gone: no such folder\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "gone"));

    const test::CliRun grid = test::runCommand({"import", in, "--grid", "4"});
    EXPECT_EQ(grid.status, 1);
    EXPECT_EQ(grid.err.rfind("plume-cli: import: --grid is 32, 16 or 8\nusage: plume-cli import", 0), 0u) << grid.err;
}

}  // namespace
}  // namespace plume
