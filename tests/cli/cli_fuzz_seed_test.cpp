// Argument lists of every command, run in the fuzzing workspace; with PLUME_FUZZ_SEED_DIR set they
// also become the argument fuzzer's seed corpus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "fuzz/cli_workspace.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

std::optional<std::vector<std::string>> argumentsOf(const std::string& text) {
    return fuzz::confinedArguments(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(FuzzSeeds, EveryCommandRunsInTheWorkspace) {
    const std::vector<std::pair<std::string, std::string>> seeds = {
        {"dump", "dump\nmelody.PLM"},
        {"check", "check\npiano.PLM\n--write"},
        {"convert", "convert\nbass.PLM\nnew.PLM"},
        {"demo", "demo\nnew.PLM"},
        {"project", "project\ndemo.PRJ"},
        {"layout", "layout\npiano.PLM\n--grand-staff"},
        {"curve", "curve\nmelody.PLM\n--from\n0\n--to\n40\n--effect\nvolume\n--function\nsin\n--start\n20\n"
                  "--end\n100\n--peak\n0.3\n--phase\n0.1\n-o\nc.PLM"},
        {"demo-project", "demo-project\nagain"},
        {"export-midi", "export-midi\ndemo.PRJ\n-o\nout.mid\n--format\n0\n--timebase\n96\n--reset\ngs"},
        {"export-mld", "export-mld\ndemo.PRJ\n-o\nout.mld"},
        {"play", "play\ndemo.PRJ\n--events\nevents.txt\n--interrupt\n2\n--mute\n2,3\n--solo\n1"},
        {"chords", "chords\nmelody.PLM\n--from\n0\n--to\n29"},
        {"db", "db\nsongs.QDB\n--find\ncategory\ndemo\n--exact"},
        {"transcribe", "transcribe\ntake.wav\n--tempo\n100\n--detect-way\n1\n-o\nsung.PLM"},
        {"help", "play\n--help"},
    };
    const test::TempDir dir;
    const fs::path startedIn = fs::current_path();
    const char* seedDir = std::getenv("PLUME_FUZZ_SEED_DIR");
    const fs::path corpus = seedDir ? fs::path(seedDir) / "fuzz_cli_arguments" : "";
    if (seedDir) fs::create_directories(corpus);
    for (const auto& [name, text] : seeds) {
        fuzz::fillWorkspace(dir / "work");
        std::ostringstream out;
        std::ostringstream err;
        const auto args = argumentsOf(text);
        ASSERT_TRUE(args) << name;
        EXPECT_EQ(fuzz::runInWorkspace(dir / "work", *args, out, err), 0) << name << ": " << err.str();
        if (seedDir) {
            const platform::Bytes bytes(text.begin(), text.end());
            EXPECT_TRUE(platform::writeFileAtomically(corpus / name, bytes)) << name;
        }
    }
    EXPECT_EQ(fs::current_path(), startedIn);
}

TEST(FuzzSeeds, ArgumentsCannotNameAFileOutsideTheWorkspace) {
    const auto args = argumentsOf("convert\n/etc/passwd\n../../x.PLM\n..\n.\n./a\n");
    ASSERT_TRUE(args);
    EXPECT_EQ(*args, (std::vector<std::string>{"convert", "_etc_passwd", ".._.._x.PLM", "_", "_", "._a", ""}));
    for (const std::string& arg : *args) EXPECT_EQ(fs::path(arg).filename(), fs::path(arg)) << arg;
    // the options that open a real device or a SoundFont are left out, not cut short
    EXPECT_FALSE(argumentsOf("play\ndemo.PRJ\n--realtime"));
    EXPECT_FALSE(argumentsOf("play\ndemo.PRJ\n--wav\nx.wav"));
}

}  // namespace
}  // namespace plume
