#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "export/mld_writer.h"
#include "export/smf_reader.h"
#include "play/performer_songs.h"

namespace plume {
namespace {

using test::addGroup;
using test::hex;
using test::playedNote;
using test::TestProject;
using Bytes = std::vector<std::uint8_t>;

// The track chunks of a file, each whole; fails the test when the lengths do not add up.
std::vector<Bytes> chunksOf(const Bytes& file) {
    std::vector<Bytes> chunks;
    if (file.size() < 36) {
        ADD_FAILURE() << "no header";
        return chunks;
    }
    EXPECT_EQ((file[4] << 24 | file[5] << 16 | file[6] << 8 | file[7]) + 8, int(file.size()));
    std::size_t at = 10 + std::size_t(file[8] << 8 | file[9]);
    while (at + 8 <= file.size()) {
        EXPECT_EQ(std::string(file.begin() + long(at), file.begin() + long(at) + 4), "trac");
        const std::size_t length = std::size_t(file[at + 4] << 24 | file[at + 5] << 16 | file[at + 6] << 8 | file[at + 7]);
        chunks.emplace_back(file.begin() + long(at), file.begin() + long(std::min(file.size(), at + 8 + length)));
        at += 8 + length;
    }
    EXPECT_EQ(at, file.size());
    EXPECT_EQ(std::size_t(file[12]), chunks.size());
    return chunks;
}

// The note events of a chunk (after the fixed events) as "delta note gate" in hex.
std::vector<std::string> notesOf(const Bytes& chunk) {
    std::vector<std::string> notes;
    std::size_t at = 8;
    while (at + 3 <= chunk.size() && chunk[at + 1] == 0xFF && chunk[at + 2] != 0xDF) at += 4;  // fixed events
    for (; at + 3 <= chunk.size() && chunk[at + 1] != 0xFF; at += 3) notes.push_back(hex({chunk.begin() + long(at), chunk.begin() + long(at) + 3}));
    if (at + 4 == chunk.size()) notes.push_back(hex({chunk.begin() + long(at), chunk.end()}));  // the end of track
    return notes;
}

TEST(MldExport, OneQuarterByteForByteAndTheTitleInTheHeader) {
    TestProject project;
    addGroup(project.songs[0], {playedNote(3, 60, 0, 100)});
    EXPECT_EQ(hex(buildMldFile(project.view())),
              "6D 65 6C 6F 00 00 00 3B 00 1A 01 01 01 73 6F 72 63 00 01 00 74 69 74 6C 00 00 "
              "76 65 72 73 00 04 30 33 30 30 "
              "74 72 61 63 00 00 00 17 00 FF C3 78 00 FF E1 02 00 FF E0 00 00 FF E2 32 00 1B 2F 30 FF DF 00");
    // the header's length follows the title
    project.settings.title = "ab";
    const Bytes file = buildMldFile(project.view());
    EXPECT_EQ(file[9], 28);
    EXPECT_EQ(hex({file.begin() + 20, file.begin() + 28}), "74 69 74 6C 00 02 61 62");
    ASSERT_EQ(chunksOf(file).size(), 1u);
}

TEST(MldExport, MelodyAndRhythmMakeThreeChunks) {
    // GIVEN a melody member on track 2 and a rhythm member on track 1, and a member of rests only
    TestProject project;
    addGroup(project.songs[1], {playedNote(3, 60, 0, 50), test::effectValue(effect::kVolume, 40)});
    project.infos[1].setInitialProgram(70);  // program 70: 0x46
    addGroup(project.songs[0], {playedNote(3, 36, 0, 100)});
    addGroup(project.songs[0], {test::rest(9)});
    project.rhythm(0);
    addGroup(project.songs[5], {test::rest(8)});
    project.settings.startTempo = 300;
    const std::vector<Bytes> chunks = chunksOf(buildMldFile(project.view()));
    // THEN the melody chunk (with the tempo's low byte), the filler, the rhythm chunk
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(hex(chunks[0]), "74 72 61 63 00 00 00 17 00 FF C3 2C 00 FF E1 02 00 FF E0 06 00 FF E2 28 "
                              "00 1B 18 30 FF DF 00");
    EXPECT_EQ(hex(chunks[1]), "74 72 61 63 00 00 00 04 30 FF DF 00");
    // AND the drums play as part 1: key 36 is note 1, a rest keeps the part bits with note 0
    EXPECT_EQ(hex(chunks[2]), "74 72 61 63 00 00 00 16 00 FF E1 42 00 FF E0 40 00 FF E2 72 "
                              "00 41 2F 30 40 00 30 FF DF 00");
}

TEST(MldExport, GatesAndNoteNumbers) {
    TestProject project;
    // a quarter at gate 100 (48 - 1), tied (48 + 2), notes 60, 96, 97, 30 and one below 21 (up an octave)
    project.songs[0] = test::groups({playedNote(3, 60, 0, 100), playedNote(3, 96, 0, 100, mark::kTieBegin),
                                     playedNote(3, 96, 0, 50, mark::kTieEnd), playedNote(4, 97, 0, 75),
                                     playedNote(3, 30, 0, 100, mark::kTieMiddle), playedNote(5, 10, 0, 100),
                                     test::rest(10)});
    EXPECT_EQ(notesOf(chunksOf(buildMldFile(project.view()))[0]),
              (std::vector<std::string>{"00 1B 2F", "30 3F 32", "30 3F 18", "30 34 12", "18 09 32", "30 01 0B",
                                        "0C 00 00", "18 FF DF 00"}));
}

TEST(MldExport, LongNotesAndRestsKeepTheirTime) {
    // GIVEN a dotted whole (288 ticks), a whole rest tied to nothing, and a quarter
    TestProject project;
    project.songs[0] = test::groups({playedNote(1, 60, 0, 100, 0, mark::kDotted), playedNote(3, 62, 0, 100),
                                     test::rest(7, 0, mark::kDoubleDotted)});  // 288, 48, 336
    // THEN the gate stops at 255 and deltas above 255 are carried by rest events of 255
    EXPECT_EQ(notesOf(chunksOf(buildMldFile(project.view()))[0]),
              (std::vector<std::string>{"00 1B FF", "FF 00 00", "21 1D 2F", "30 00 00", "FF 00 00", "51 FF DF 00"}));
}

TEST(MldExport, PartsShareAChunkMergedByTime) {
    // GIVEN five melody members: four share the first chunk as parts 0-3, the fifth starts a second
    TestProject project;
    project.songs[0] = test::groups({playedNote(2, 60, 0, 100), playedNote(3, 62, 0, 100)});
    project.songs[1] = test::groups({test::barLine(), playedNote(3, 64, 0, 100), playedNote(3, 65, 0, 100),
                                     playedNote(3, 67, 0, 100)});
    const std::uint8_t volumes[] = {80, 0, 100};
    for (std::size_t i = 2; i < 5; ++i)
        addGroup(project.songs[i], {playedNote(1, 72, 0, 100), test::effectValue(effect::kVolume, volumes[i - 2])});
    const std::vector<Bytes> chunks = chunksOf(buildMldFile(project.view()));
    ASSERT_EQ(chunks.size(), 2u);
    // THEN each round's first event carries the time since the last round; the parts' settings
    // carry their part bits, a volume above 63 OR-ed in whole (80 | 2 << 6 = D0); the end comes after
    // the longest part
    EXPECT_EQ(notesOf(chunks[0]), (std::vector<std::string>{"00 1B 5F", "00 5F 2F", "00 A7 BF", "00 E7 BF",
                                                            "30 60 2F", "30 1D 2F", "00 62 2F", "60 FF DF 00"}));
    EXPECT_NE(hex(chunks[0]).find("00 FF E2 32 00 FF E1 42 00 FF E0 40 00 FF E2 72 00 FF E1 82 00 FF E0 80 "
                                  "00 FF E2 D0 00 FF E1 C2 00 FF E0 C0 00 FF E2 F2"),
              std::string::npos);  // part 3's volume 0 counts as 50
    EXPECT_EQ(hex(chunks[1]).substr(0, 35), "74 72 61 63 00 00 00 13 00 FF E1 02");  // no second tempo
}

TEST(MldExport, RhythmOnlyFileCarriesTheTempoInItsFirstPartChunk) {
    TestProject project;
    project.songs[9] = test::groups({playedNote(3, 36, 0, 100)});
    project.rhythm(9);
    const std::vector<Bytes> chunks = chunksOf(buildMldFile(project.view()));
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(hex(chunks[0]), "74 72 61 63 00 00 00 04 30 FF DF 00");
    EXPECT_EQ(hex(chunks[1]).substr(24, 11), "00 FF C3 78");
}

}  // namespace
}  // namespace plume
