#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sys/resource.h>

#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/song_document.h"
#include "song/song_file.h"
#include "support/open_songs.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

// Files written while it lives cannot grow past `bytes`: the kernel fails the write (EFBIG), as a
// full disk would, for root as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

struct SongLifecycle : ::testing::Test {
    TempDir dir;
    platform::ScriptedMessageBox box;
};

TEST_F(SongLifecycle, AnInterruptedSaveKeepsTheOldFileAndTheSongModified) {
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
    EXPECT_EQ(platform::readFile(path), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(box.shown(), std::vector<std::string>{path.string() + "\n保存が正常にできませんでした。"});
    // and a save without the failure goes through, under another name as well
    EXPECT_TRUE(saveSongDocument(*doc, path));
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(openSongDocument(path)->recordCount(), 100u);
    EXPECT_TRUE(saveSongDocument(*doc, dir / "other.PLM"));
    EXPECT_EQ(openSongDocument(dir / "other.PLM")->recordCount(), 100u);
}

// A chord whose second note has a gate of 0 and a velocity of 0.
std::vector<SongRecord> faultySong() {
    SongRecord bad = note(3, 60);
    bad.setGate(0);
    bad.setVelocity(0);
    return group({note(3, 64), bad});
}

TEST_F(SongLifecycle, CheckingTheActiveSongMarksItModifiedOnlyWhenSomethingWasRepaired) {
    CPlmDoc doc;
    ASSERT_TRUE(doc.load(songOf(faultySong())));
    EXPECT_EQ(checkActiveSong(doc, "a.PLM - Piano").total(), 2);
    EXPECT_TRUE(doc.isModified());
    doc.clearModified();
    EXPECT_EQ(checkActiveSong(doc, "a.PLM - Piano").total(), 0);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(box.shown().back(), "a.PLM - Piano\nNo Error");
}

using test::OpenSongs;

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
    // an unmodified song closes without a question; a playing one does not close at all
    EXPECT_TRUE(mayCloseSong(doc, "a.PLM", false, false, save));
    EXPECT_FALSE(mayCloseSong(doc, "a.PLM", true, false, save));
    EXPECT_EQ(box.shown(), std::vector<std::string>{"演奏を止めてから、閉じて下さい。"});
    box.clear();

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
