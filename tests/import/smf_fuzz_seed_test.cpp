// MIDI files of the kinds the reader meets; with PLUME_FUZZ_SEED_DIR set they also become the
// MIDI reader's seed corpus (fuzz_smf_reader).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "export/export_fixture.h"
#include "export/midi_file_writer.h"
#include "import/smf_builder.h"
#include "import/smf_transcriber.h"
#include "platform/file_io.h"
#include "play/performer_songs.h"

namespace plume {
namespace {

TEST(FuzzSeeds, EveryMidiSeedReadsAndTranscribes) {
    const char* seedDir = std::getenv("PLUME_FUZZ_SEED_DIR");
    const std::filesystem::path dir = seedDir ? std::filesystem::path(seedDir) / "fuzz_smf_reader" : "";
    if (seedDir) std::filesystem::create_directories(dir);
    test::TestProject project;
    project.songs[0] = test::notes(3, {60, 64, 67});
    project.songs[1] = test::notes(4, {36, 38});
    project.rhythm(1);
    MidiExportOptions format0;
    format0.format = 0;
    const auto running = test::SmfTrackBuilder().at(0, {0x90, 60, 90}).at(96, {60, 0}).at(0, {62, 90}).at(96, {62, 0}).chunk();
    test::TestProject strummed;  // a chord whose notes are struck one after another (delays)
    test::addGroup(strummed.songs[0], {test::playedNote(3, 60, 0, 90), test::playedNote(3, 64, 8, 80), test::playedNote(3, 67, 16, 70)});
    test::addGroup(strummed.songs[0], {test::playedNote(4, 62, 30, 60, mark::kTieBegin)});
    test::addGroup(strummed.songs[0], {test::playedNote(4, 62, 0, 50, mark::kTieEnd)});
    const std::map<std::string, std::vector<std::uint8_t>> seeds = {
        {"own_format1", buildMidiFile(project.view(), MidiExportOptions{})},
        {"own_delays", buildMidiFile(strummed.view(), MidiExportOptions{})},
        {"own_format0", buildMidiFile(project.view(), format0)},
        {"running_status", test::smfFile(0, 96, {running})},
        {"two_channels", test::smfFile(1, 480, {test::notesTrack(0, {{0, 400, 60}, {480, 900, 62}}, "a"),
                                                test::notesTrack(9, {{0, 60, 36}})})},
    };
    for (const auto& [name, bytes] : seeds) {
        const SmfFile file = readSmf(bytes);
        ASSERT_TRUE(file.ok()) << name << ": " << file.error;
        EXPECT_FALSE(transcribeSmf(file).songs.empty()) << name;
        if (seedDir) {
            EXPECT_TRUE(platform::writeFileAtomically(dir / name, bytes));
        }
    }
}

}  // namespace
}  // namespace plume
