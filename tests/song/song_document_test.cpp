#include <gtest/gtest.h>

#include <filesystem>

#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/song_document.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct SongDocumentFiles : ::testing::Test {
    TempDir dir;
    platform::ScriptedMessageBox box;
    fs::path song(const std::string& name) { return dir.write(name, serializeSong(songOf(notes(3, {60})))); }
};

// Opening and saving that succeed are shown by the song life cycle's tests.
TEST_F(SongDocumentFiles, FailuresShowTheirMessagesAndOpenNothing) {
    EXPECT_FALSE(openSongDocument(dir / "missing.PLM"));
    EXPECT_FALSE(openSongDocument(dir.write("other.PLM", {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'n', 'g'})));
    std::vector<std::uint8_t> broken = {'P', 'L', 'M', 0, 0x9B, 0x01, 5, 0};
    broken.resize(300);
    EXPECT_FALSE(openSongDocument(dir.write("broken.PLM", broken)));
    EXPECT_EQ(box.shown(), (std::vector<std::string>{(dir / "missing.PLM").string() + "\nファイルを開けません。",
                                                     (dir / "broken.PLM").string() + "\nデータ形式が違います。"}));
}

TEST_F(SongDocumentFiles, AReadOnlyFileIsNotOverwritten) {
    const fs::path target = song("ro.PLM");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    auto doc = openSongDocument(song("c.PLM"));
    doc->setModified();
    EXPECT_FALSE(saveSongDocument(*doc, target));
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"読み込み専用ファイルなので保存できません。"}));
}

}  // namespace
}  // namespace plume
