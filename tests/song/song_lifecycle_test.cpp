#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/data_check.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/song_document.h"
#include "song/song_file.h"
#include "support/open_songs.h"
#include "support/song_builder.h"
#include "support/song_file_size_limit.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

TEST(DataCheck, RepairsEachPassAndCountsGroups) {
    // GIVEN one fault of each kind, the RF fault twice in the same chord
    std::vector<SongRecord> song = group({note(3, 60), note(3, 64, 0x03), note(3, 67, 0x43)});
    addGroup(song, {note(3, 60), note(3, 62)});
    song[4].setGroupSize(1);  // a stray group size inside the group
    addGroup(song, {withValues(note(3, 60), 100, 50, 60), withValues(note(3, 64), 100, 50, 50)});
    addGroup(song, {withValues(note(3, 60), 100, 0, 0)});
    addGroup(song, {withValues(note(3, 60), 0, 0, 75), withValues(note(3, 64), 127, 0, 75)});
    addGroup(song, {withValues(note(3, 60), 200, 0, 75)});

    const DataCheckCounts counts = checkRecords(song);

    EXPECT_EQ(counts.bySize, 1);
    EXPECT_EQ(song[4].groupSize(), 0);
    EXPECT_EQ(counts.rf, 1) << "a chord with two wrong records counts once";
    EXPECT_EQ(song[1].marks(), 0x00);
    EXPECT_EQ(song[2].marks(), 0x40) << "tie bits are kept";
    // 60 + 50 repaired to 0 + 75, 50 + 50 accepted, 0 + 0 repaired; velocity 0 and 200 repaired, 127 kept
    EXPECT_EQ(counts.gt, 2);
    EXPECT_EQ((std::vector{song[5].delay(), song[5].gate(), song[6].delay(), song[6].gate(), song[7].gate()}),
              (std::vector<std::uint8_t>{0, 75, 50, 50, 75}));
    EXPECT_EQ(counts.velocity, 2);
    EXPECT_EQ((std::vector{song[8].velocity(), song[9].velocity(), song[10].velocity()}),
              (std::vector<std::uint8_t>{100, 127, 100}));
}

// A broken group start ends the check's walk as it ends every walker's (Walking.GroupSizeZeroStopsEveryWalker).
TEST(DataCheck, RestsAndEffectsAreNotNoteGroups) {
    std::vector<SongRecord> song = group({rest(9), effectValue(effect::kVolume, 0)});
    addGroup(song, {barLine()});
    EXPECT_EQ(checkRecords(song).total(), 0);
}

struct SongLifecycle : ::testing::Test {
    TempDir dir;
    platform::ScriptedMessageBox box;
};

TEST_F(SongLifecycle, FailedOpensShowTheirMessagesAndOpenNothing) {
    EXPECT_FALSE(openSongDocument(dir / "missing.PLM"));
    EXPECT_FALSE(openSongDocument(dir.write("other.PLM", {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'n', 'g'})));
    std::vector<std::uint8_t> broken = {'P', 'L', 'M', 0, 0x9B, 0x01, 5, 0};
    broken.resize(300);
    EXPECT_FALSE(openSongDocument(dir.write("broken.PLM", broken)));
    EXPECT_EQ(box.shown(), (std::vector<std::string>{(dir / "missing.PLM").string() + "\nファイルを開けません。",
                                                     (dir / "broken.PLM").string() + "\nデータ形式が違います。"}));
}

TEST_F(SongLifecycle, AnInterruptedOrReadOnlySaveKeepsTheOldFileAndTheSongModified) {
    const fs::path path = dir / "song.PLM";
    ASSERT_TRUE(writeSong(path, songOf(notes(3, {60}))));
    const auto before = platform::readFile(path);
    auto doc = openSongDocument(path);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->isModified());
    for (int i = 0; i < 99; ++i) ASSERT_TRUE(doc->insertTypeGroup(0, type::kBarLine));

    const bool saved = [&] {
        const FileSizeLimit limit(600);
        return saveSongDocument(*doc, path);
    }();
    EXPECT_FALSE(saved);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    // nor is a read-only file overwritten
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(saveSongDocument(*doc, path));
    EXPECT_EQ(platform::readFile(path), before);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(box.shown(), (std::vector<std::string>{path.string() + "\n保存が正常にできませんでした。",
                                                     "読み込み専用ファイルなので保存できません。"}));
    // and a save without the failure goes through
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_TRUE(saveSongDocument(*doc, path));
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(openSongDocument(path)->recordCount(), 100u);
}

// A chord whose second note has a gate of 0 and a velocity of 0.
std::vector<SongRecord> faultySong() { return group({note(3, 64), withValues(note(3, 60), 0, 0, 0)}); }

TEST_F(SongLifecycle, CheckingTheActiveSongMarksItModifiedOnlyWhenSomethingWasRepaired) {
    CPlmDoc doc;
    ASSERT_TRUE(doc.load(songOf(faultySong())));
    EXPECT_EQ(checkActiveSong(doc, "a.PLM - Piano").total(), 2);
    EXPECT_TRUE(doc.isModified());
    doc.clearModified();
    EXPECT_EQ(checkActiveSong(doc, "a.PLM - Piano").total(), 0);
    EXPECT_FALSE(doc.isModified());
    // each pass that repaired something names the song; a clean song gets one message, not one per pass
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"a.PLM - Piano\nエラー修復　GT = 1", "a.PLM - Piano\nエラー修復　Velcity = 1",
                                                     "a.PLM - Piano\nNo Error"}));
}

TEST_F(SongLifecycle, CheckingAllTracksRewritesClosedMembersAndChecksOpenOnesInMemory) {
    ASSERT_TRUE(writeSong(dir / "open.PLM", songOf(faultySong())));
    ASSERT_TRUE(writeSong(dir / "closed.PLM", songOf(faultySong())));
    ProjectData project = ProjectData::fresh();
    project.setMemberPath(0, dir / "open.PLM");
    project.setMemberPath(3, dir / "closed.PLM");
    CPlmDoc open;
    ASSERT_TRUE(open.load(songOf(faultySong())));
    OpenSongs windows;
    windows.documents[dir / "open.PLM"] = &open;

    checkAllTracks(project, windows, [](const CPlmDoc&) { return std::string("open.PLM - Piano"); });

    EXPECT_TRUE(open.isModified());
    EXPECT_EQ(open.record(1).velocity(), 100);
    EXPECT_EQ(readSong(dir / "open.PLM").song.records[1].velocity(), 0);
    EXPECT_EQ(readSong(dir / "closed.PLM").song.records[1].velocity(), 100);
    ASSERT_EQ(box.shown().size(), 4u);
    EXPECT_EQ(box.shown()[0], "open.PLM - Piano\nエラー修復　GT = 1");
    EXPECT_EQ(box.shown()[2], (dir / "closed.PLM").string() + "\nエラー修復　GT = 1");
}

TEST_F(SongLifecycle, ClosingAModifiedSongAsksToSaveAndStopsOnCancelOrAFailedSave) {
    CPlmDoc doc;
    ASSERT_TRUE(doc.load(songOf(notes(3, {60}))));
    int saves = 0;
    bool saveWorks = true;
    const auto save = [&] { return ++saves, saveWorks; };
    // an unmodified song closes without a question (a playing one is the play window test's)
    EXPECT_TRUE(mayCloseSong(doc, "a.PLM", false, false, save));
    EXPECT_TRUE(box.shown().empty());
    doc.setModified();
    box.script({platform::Answer::Cancel, platform::Answer::No, platform::Answer::Yes, platform::Answer::Yes});
    EXPECT_FALSE(mayCloseSong(doc, "a.PLM", false, false, save));
    EXPECT_TRUE(mayCloseSong(doc, "a.PLM", false, false, save));
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(mayCloseSong(doc, "a.PLM", false, false, save));
    saveWorks = false;
    EXPECT_FALSE(mayCloseSong(doc, "a.PLM", false, false, save));
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(box.shown().front(), "a.PLMは変更されています。\n内容を保存しますか？");
    EXPECT_EQ(proposedSongFileName({}, "Untitled - Piano"), "Untitled - Piano.PLM");
    EXPECT_EQ(proposedSongFileName(dir / "song.PLM", "song.PLM - Piano"), "song.PLM");
}

}  // namespace
}  // namespace plume
