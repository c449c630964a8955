#include <gtest/gtest.h>

#include "platform/data_files.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace plume::platform {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& path) { ASSERT_TRUE(writeFileAtomically(path, Bytes{1})) << path; }

TEST(DataFiles, BesideTheProgramThenInTheInstalledShareFolder) {
    const test::TempDir dir;
    const fs::path bin = dir / "prefix" / "bin";
    const fs::path share = dir / "prefix" / "share" / "plume";
    fs::create_directories(bin);
    fs::create_directories(share / "sounds");
    // WHEN the file is nowhere THEN the path beside the program is named
    EXPECT_EQ(dataFileFrom(bin, "chord.hlp"), bin / "chord.hlp");
    // WHEN only the installed copy exists THEN that one, sub-folders included
    touch(share / "chord.hlp");
    touch(share / "sounds" / "a.wav");
    EXPECT_EQ(dataFileFrom(bin, "chord.hlp"), share / "chord.hlp");
    EXPECT_EQ(dataFileFrom(bin, "sounds/a.wav"), share / "sounds" / "a.wav");
    // WHEN a build folder has its own copy THEN it wins
    touch(bin / "chord.hlp");
    EXPECT_EQ(dataFileFrom(bin, "chord.hlp"), bin / "chord.hlp");
    // the running program looks beside itself first
    EXPECT_EQ(dataFile("no-such-file").parent_path(), fs::read_symlink("/proc/self/exe").parent_path());
}

}  // namespace
}  // namespace plume::platform
