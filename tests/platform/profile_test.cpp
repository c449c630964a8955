#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/profile.h"
#include "platform/seed_corpus.h"
#include "support/temp_dir.h"

namespace plume::platform {
namespace {

namespace fs = std::filesystem;

TEST(Profile, SectionsAndKeysIgnoreCaseAndEntriesKeepTheirPlace) {
    // GIVEN a profile with a comment, two sections and a blank line
    MemoryProfile profile("; settings\n[MIDI Config]\nDevice=3\nInterrupt = 1 \n\n[Draw]\nZoom=2\n");

    // THEN section and key names match in any case, and spaces around values do not count
    EXPECT_EQ(profile.getString("midi config", "DEVICE", "x"), "3");
    EXPECT_EQ(profile.getString("MIDI CONFIG", "interrupt", "x"), "1");
    EXPECT_EQ(profile.getString("Nowhere", "Zoom", "fallback"), "fallback");

    // WHEN a key is rewritten, one added to a section, and a new section written
    EXPECT_TRUE(profile.writeString("midi CONFIG", "device", "5"));
    EXPECT_TRUE(profile.writeInt("MIDI Config", "Repeat", 0));
    EXPECT_TRUE(profile.writeString("Project", "Project File", ""));

    // THEN the key keeps its spelling and place, the new key closes its section before the blank
    // line, and the new section comes last
    EXPECT_EQ(profile.text(),
              "; settings\n[MIDI Config]\nDevice=5\nInterrupt = 1 \nRepeat=0\n\n[Draw]\nZoom=2\n\n"
              "[Project]\nProject File=\n");
    EXPECT_EQ(profile.getString("project", "project file", "x"), "");

    // WHEN a key and a section are removed THEN the rest stays as it was
    EXPECT_TRUE(profile.removeKey("midi config", "INTERRUPT"));
    EXPECT_TRUE(profile.removeSection("DRAW"));
    EXPECT_EQ(profile.text(), "; settings\n[MIDI Config]\nDevice=5\nRepeat=0\n\n[Project]\nProject File=\n");
    EXPECT_FALSE(profile.writeString("Draw", "Text", "two\nlines"));
}

TEST(Profile, IntegersAreTheLeadingNumberOrTheDefault) {
    MemoryProfile profile(
        "[S]\nPlain=42\nSigned=-7\nPlus=+3\nTrailing= 12ms\nWords=abc\nEmpty=\nQuoted=\"9\"\nHuge=99999999999\n");
    // GIVEN values of every shape THEN a missing key or an empty value gives the default, text
    // without digits gives 0, and digits are read up to the first other character
    std::vector<int> values;
    for (const char* key : {"Missing", "Empty", "Words", "plain", "Signed", "Plus", "Trailing", "Quoted", "Huge"})
        values.push_back(profile.getInt("s", key, 11));
    EXPECT_EQ(values, (std::vector{11, 11, 0, 42, -7, 3, 12, 9, 2147483647}));
}

TEST(Profile, AByteOrderMarkIsKeptSoAWriteChangesNoOtherLine) {
    // GIVEN a file that starts with two marks: the second one makes its line no section header
    const std::string bom = "\xEF\xBB\xBF";
    MemoryProfile profile(bom + bom + "[Recent Project List]\nFile1=a.PRJ\n");
    ASSERT_EQ(profile.getString("Recent Project List", "File1", "none"), "none");
    // WHEN any key is written or removed THEN the mark stays and that line is still no header
    ASSERT_TRUE(profile.writeInt("Recent Project List", "Tempo", 90));
    EXPECT_EQ(profile.getInt("Recent Project List", "Tempo", 0), 90);
    EXPECT_EQ(profile.getString("Recent Project List", "File1", "none"), "none");
    EXPECT_TRUE(profile.text().starts_with(bom + bom));
    ASSERT_TRUE(profile.removeKey("Recent Project List", "Tempo"));
    ASSERT_TRUE(profile.removeSection("Recent Project List"));
    EXPECT_TRUE(profile.text().starts_with(bom + bom + "[Recent Project List]\nFile1=a.PRJ\n")) << profile.text();
}

TEST(Profile, CarriageReturnsEndingALineAreNoPartOfItsValueBeforeOrAfterAWrite) {
    MemoryProfile profile("[Recent Project List]\nFile1=a.PRJ \r\r\n");
    EXPECT_EQ(profile.getString("Recent Project List", "File1", ""), "a.PRJ");
    ASSERT_TRUE(profile.writeInt("Other", "Tempo", 90));
    EXPECT_EQ(profile.getString("Recent Project List", "File1", ""), "a.PRJ");
}

TEST(Profile, FilesLiveInTheConfigurationFolder) {
    const std::string saved = std::getenv("PLUME_CONFIG_DIR");
    const fs::path dir = fs::path(saved) / "profile-test" / "nested";

    // GIVEN no PLUME_CONFIG_DIR THEN XDG_CONFIG_HOME decides
    ::unsetenv("PLUME_CONFIG_DIR");
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(configFolder(), fs::path("/xdg/Plume"));
    ::setenv("PLUME_CONFIG_DIR", dir.c_str(), 1);

    // WHEN a file profile in a folder that does not exist yet is written
    FileProfile profile(configFolder() / "plm.ini");
    EXPECT_EQ(profile.getInt("MIDI Config", "Device", -1), -1);
    ASSERT_TRUE(profile.writeInt("MIDI Config", "Device", 4));
    // THEN the folder is made and another reader of the file sees the entry
    EXPECT_EQ(FileProfile(dir / "plm.ini").getInt("midi config", "device", -1), 4);

    ::setenv("PLUME_CONFIG_DIR", saved.c_str(), 1);
    EXPECT_EQ(dynamic_cast<FileProfile&>(appProfile()).path(), fs::path(saved) / "Plume.ini");
    EXPECT_EQ(dynamic_cast<FileProfile&>(plmProfile()).path(), fs::path(saved) / "plm.ini");
}

// Profiles as the program writes them and as hand edits leave them; with PLUME_FUZZ_SEED_DIR set
// they also become the profile fuzzer's seed corpus (the last byte picks the key it writes).
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
