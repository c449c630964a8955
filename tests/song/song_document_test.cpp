#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/song_document.h"
#include "support/song_builder.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

struct SongDocumentFiles : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("plume-songdoc-" + std::to_string(::getpid()));
    platform::ScriptedMessageBox box;
    SongDocumentFiles() { fs::create_directories(dir); }
    ~SongDocumentFiles() override {
        std::error_code ec;
        fs::permissions(dir / "ro.PLM", fs::perms::owner_all, ec);
        fs::remove_all(dir);
    }
    fs::path song(const std::string& name) {
        std::vector<SongRecord> records;
        addGroup(records, {note(3, 60)});
        EXPECT_TRUE(writeSong(dir / name, songOf(records)));
        return dir / name;
    }
};

TEST_F(SongDocumentFiles, OpensASongAndSavesItBack) {
    auto doc = openSongDocument(song("a.PLM"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->recordCount(), 1u);
    EXPECT_FALSE(doc->isModified());
    ASSERT_TRUE(doc->insertTypeGroup(1, type::kBarLine));
    EXPECT_TRUE(saveSongDocument(*doc, dir / "b.PLM"));
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(openSongDocument(dir / "b.PLM")->recordCount(), 2u);
    EXPECT_TRUE(box.shown().empty());
}

TEST_F(SongDocumentFiles, FailuresShowTheirMessagesAndOpenNothing) {
    EXPECT_FALSE(openSongDocument(dir / "missing.PLM"));
    { std::ofstream(dir / "other.PLM") << "not a song"; }
    EXPECT_FALSE(openSongDocument(dir / "other.PLM"));
    std::vector<std::uint8_t> broken = {'P', 'L', 'M', 0, 0x9B, 0x01, 5, 0};
    broken.resize(300);
    { std::ofstream(dir / "broken.PLM", std::ios::binary).write(reinterpret_cast<const char*>(broken.data()), 300); }
    EXPECT_FALSE(openSongDocument(dir / "broken.PLM"));
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
