#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "export/midi_file_writer.h"
#include "import/smf_builder.h"
#include "import/smf_reader.h"

namespace plume {
namespace {

using test::SmfTrackBuilder;

TEST(SmfReader, RunningStatusIsRestoredAndMarked) {
    // GIVEN note-ons and a controller that leave out their status bytes after the first
    const auto track = SmfTrackBuilder()
                           .at(0, {0x91, 60, 100})
                           .at(10, {62, 90})
                           .at(10, {0xB1, 7, 80})
                           .at(0, {10, 64})
                           .at(5, {60, 0})
                           .chunk();
    const SmfFile file = readSmf(test::smfFile(0, 96, {track}));
    ASSERT_TRUE(file.ok()) << file.error;
    const std::vector<SmfEvent>& e = file.tracks[0].events;
    ASSERT_EQ(e.size(), 6u);
    EXPECT_EQ(e[1].bytes, (std::vector<std::uint8_t>{0x91, 62, 90}));
    EXPECT_TRUE(e[1].runningStatus);
    EXPECT_FALSE(e[2].runningStatus);
    EXPECT_EQ(e[3].bytes, (std::vector<std::uint8_t>{0xB1, 10, 64}));
    EXPECT_EQ(e[4].bytes, (std::vector<std::uint8_t>{0xB1, 60, 0}));  // running status of the controller
    EXPECT_EQ(e[4].tick, 25u);
    EXPECT_TRUE(file.tracks[0].endOfTrack);
}

TEST(SmfReader, MetaSysexAndUnknownChunksAreReadOrSkipped) {
    // GIVEN an unknown meta, a long text (two-byte length), a sysex and its continuation, and a
    // chunk of an unknown kind between the tracks
    const std::string longText(200, 'x');
    const auto first = SmfTrackBuilder()
                           .meta(0, 0x7F, "abc")
                           .meta(0, 0x01, longText)
                           .at(0, {0xF0, 0x03, 0x41, 0x10, 0x42})
                           .at(0, {0xF7, 0x01, 0xF7})
                           .at(0, {0x90, 60, 100})
                           .chunk();
    const auto second = SmfTrackBuilder().at(4, {0x80, 60, 0}).chunk();
    const std::vector<std::uint8_t> unknown = {'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2};
    std::vector<std::uint8_t> bytes = test::smfFile(1, 480, {first, unknown, second});
    bytes[11] = 2;  // two tracks: the unknown chunk is not one
    const SmfFile file = readSmf(bytes);
    ASSERT_TRUE(file.ok()) << file.error;
    ASSERT_EQ(file.tracks.size(), 2u);
    const std::vector<SmfEvent>& e = file.tracks[0].events;
    EXPECT_TRUE(e[0].isMeta(0x7F));
    EXPECT_EQ(std::string(e[0].data().begin(), e[0].data().end()), "abc");
    EXPECT_EQ(e[1].data().size(), 200u);
    EXPECT_EQ(e[2].data().size(), 3u);
    EXPECT_EQ(e[3].status(), 0xF7);
    EXPECT_TRUE(e[4].isNoteOn());
    EXPECT_TRUE(file.tracks[1].events[0].isNoteOff());
    EXPECT_EQ(file.division, 480);
    EXPECT_EQ(file.format, 1);
}

TEST(SmfReader, RefusesWhatItCannotRead) {
    const auto track = SmfTrackBuilder().at(0, {0x90, 60, 100}).chunk();
    // SMPTE time division
    std::vector<std::uint8_t> smpte = test::smfFile(0, 0, {track});
    smpte[12] = 0xE7;
    smpte[13] = 0x28;
    EXPECT_EQ(readSmf(smpte).status, SmfStatus::SmpteDivision);
    EXPECT_NE(readSmf(smpte).error.find("SMPTE"), std::string::npos);
    // not a MIDI file; a data byte with no status before it
    EXPECT_EQ(readSmf(std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 0, 0, 0, 0}).status, SmfStatus::NotMidi);
    const auto orphan = SmfTrackBuilder().at(0, {60, 100}).chunk();
    EXPECT_EQ(readSmf(test::smfFile(0, 96, {orphan})).status, SmfStatus::BadData);
}

TEST(SmfReader, EveryCutOfAFileGivesAMessageAndNoEvents) {
    // GIVEN a file of our own export, cut after every byte
    test::TestProject project;
    project.songs[0] = test::notes(3, {60, 62, 64});
    project.settings.title = "cut";
    MidiExportOptions options;
    const std::vector<std::uint8_t> whole = buildMidiFile(project.view(), options);
    ASSERT_TRUE(readSmf(whole).ok());
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const SmfFile cut = readSmf(std::span(whole).first(size));
        EXPECT_FALSE(cut.ok()) << size;
        EXPECT_FALSE(cut.error.empty()) << size;
        EXPECT_TRUE(cut.tracks.empty()) << size;
        if (size >= 14) {
            EXPECT_EQ(cut.status, SmfStatus::Truncated) << size;
        }
    }
}

}  // namespace
}  // namespace plume
