#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace plume::platform {
namespace {

namespace fs = std::filesystem;

class FileIo : public testing::Test {
protected:
    test::TempDir dir;
};

TEST_F(FileIo, AtomicWriteReplacesAndAFailedOneKeepsThePreviousFile) {
    const fs::path file = dir / "song.PLM";
    ASSERT_TRUE(writeFileAtomically(file, Bytes{1, 2, 3}));
    ASSERT_TRUE(writeFileAtomically(file, Bytes{4, 5}));
    EXPECT_EQ(readFile(file), (Bytes{4, 5}));
    const fs::path sub = dir / "sub";
    fs::create_directories(sub);
    ASSERT_TRUE(writeFileAtomically(sub / "song.PLM", Bytes{9}));
    // A directory in the target's place cannot be replaced by a file.
    EXPECT_FALSE(writeFileAtomically(sub, Bytes{1}));
    EXPECT_EQ(readFile(sub / "song.PLM"), Bytes{9});
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "x.PLM", Bytes{1}));
}

TEST_F(FileIo, AWriteRemovesOnlyItsTargetsTemporariesOfWritersThatAreGone) {
    // GIVEN leftovers: one of a writer that no longer runs, one of this process, one of another target
    const std::string self = std::to_string(::getpid());
    dir.write("song.PLM.plume-4194303-0.tmp", Bytes{0});
    dir.write("song.PLM.plume-" + self + "-99.tmp", Bytes{0});
    dir.write("other.PLM.plume-4194303-0.tmp", Bytes{0});
    // WHEN the song is written THEN only the dead writer's file of the song is gone
    ASSERT_TRUE(writeFileAtomically(dir / "song.PLM", Bytes{1}));
    EXPECT_FALSE(fs::exists(dir / "song.PLM.plume-4194303-0.tmp"));
    EXPECT_TRUE(fs::exists(dir / ("song.PLM.plume-" + self + "-99.tmp")));
    EXPECT_TRUE(fs::exists(dir / "other.PLM.plume-4194303-0.tmp"));
}

}  // namespace
}  // namespace plume::platform
