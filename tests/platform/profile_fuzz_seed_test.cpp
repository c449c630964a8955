// Profiles as the program writes them and as hand edits leave them; with PLUME_FUZZ_SEED_DIR set
// they also become the profile fuzzer's seed corpus (the last byte picks the key it writes).
#include <gtest/gtest.h>

#include "platform/profile.h"
#include "platform/seed_corpus.h"
#include "support/temp_dir.h"

namespace plume::platform {
namespace {

TEST(FuzzSeeds, EveryProfileShapeReadsItsRecentProject) {
    const test::TempDir dir;
    FileProfile written(dir / "plm.ini");
    written.writeString("Recent Project List", "File1", "/home/user/曲/demo.PRJ");
    written.writeInt("Plume", "Tempo", 120);
    written.writeString("Option", "x", "");
    const Bytes file = readFile(dir / "plm.ini").value_or(Bytes{});
    const std::string writtenText(file.begin(), file.end());

    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"written", writtenText},
        {"bom-crlf", "\xEF\xBB\xBF[recent project list]\r\nfile1 = /home/user/曲/demo.PRJ \r\n"},
        {"quoted", "; hand edited\n[Recent Project List]\nFile1=\"/home/user/曲/demo.PRJ\"\n[Plume]\nTempo=+120x\n"},
        {"unclosed", "File1=before any section\n[ Recent Project List \nFile1=/home/user/曲/demo.PRJ\nnot an entry\n"},
        {"twice", "[Recent Project List]\nFile1=/home/user/曲/demo.PRJ\n[Recent Project List]\nFile1=second\n"},
    };
    std::uint8_t pick = 0;
    for (const auto& [name, text] : seeds) {
        const MemoryProfile profile(text);
        EXPECT_EQ(profile.getString("Recent Project List", "File1", ""), "/home/user/曲/demo.PRJ") << name;
        Bytes bytes(text.begin(), text.end());
        bytes.push_back(pick);
        pick = std::uint8_t(pick + 0x25);
        EXPECT_TRUE(test::writeSeed("fuzz_profile_reader", name, bytes)) << name;
    }
}

}  // namespace
}  // namespace plume::platform
