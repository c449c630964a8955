// The editor itself, killed with unsaved changes: started again it offers the song, and the
// reopened song saved writes the notes typed before the crash into the original file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "app/frame_commands.h"
#include "platform/file_io.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;
using Environment = std::map<std::string, std::string>;

pid_t startEditor(const std::vector<std::string>& args, const Environment& environment, const fs::path& log) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::unsetenv("PLUME_DATA_DIR");
    for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    std::vector<char*> argv{const_cast<char*>(PLUME_EDITOR)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(PLUME_EDITOR, argv.data());
    ::_exit(127);
}

// Polls until `done` holds or `seconds` pass.
bool waitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::optional<int> exitStatus(pid_t pid, int seconds) {
    int status = 0;
    if (!waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, seconds)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return std::nullopt;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<int> typesOfFile(const fs::path& path) {
    const auto bytes = platform::readFile(path);
    const auto read = bytes ? parseSong(*bytes) : SongReadResult{};
    return read.ok() ? groupTypes(read.song.records) : std::vector<int>{};
}

std::vector<fs::path> copiesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".PLM" || it->path().extension() == ".idx") files.push_back(it->path());
    return files;
}

std::string textOf(const fs::path& path) {
    const auto bytes = platform::readFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

TEST(RecoveryEditor, AKilledEditorsUnsavedNotesAreOfferedAndSavedIntoTheOriginalFile) {
    TempDir dir;
    const fs::path song = dir.write("Etude.PLM", serializeSong(songOf(notes(3, {60, 62, 64, 65}))));
    const platform::Bytes saved = *platform::readFile(song);
    const fs::path recovery = dir / "data" / "Plume" / "recovery";
    Environment environment{{"QT_QPA_PLATFORM", "offscreen"},
                            {"XDG_DATA_HOME", (dir / "data").string()},
                            {"PLUME_CONFIG_DIR", (dir / "config").string()},
                            {"PLUME_RECOVERY_INTERVAL", "100"},
                            {"PLUME_MESSAGES", "stderr"}};

    // GIVEN an editor in which "4" was typed on the first two quarters, making them eighths
    Environment typing = environment;
    typing["PLUME_TYPE_KEYS"] = "44";
    const pid_t first = startEditor({song.string()}, typing, dir / "first.log");
    // (the copy is written first, then the index that lists it)
    const bool copied = waitFor(
        [&] {
            bool copy = false, index = false;
            for (const fs::path& file : copiesIn(recovery)) {
                copy = copy || typesOfFile(file) == std::vector<int>{4, 4, 3, 3};
                index = index || file.extension() == ".idx";
            }
            return copy && index;
        },
        60);
    // WHEN it is killed
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    ASSERT_TRUE(copied) << textOf(dir / "first.log");
    EXPECT_EQ(*platform::readFile(song), saved);

    // WHEN the editor starts again, the offer is answered Yes and "上書き保存" is chosen
    Environment saving = environment;
    saving["PLUME_SCREENSHOT"] = (dir / "after.png").string();
    saving["PLUME_SCREENSHOT_COMMAND"] = std::to_string(cmd::kFileSave);
    saving["PLUME_SCREENSHOT_DELAY"] = "3000";
    const pid_t second = startEditor({}, saving, dir / "second.log");
    EXPECT_EQ(exitStatus(second, 90), std::optional<int>(0));
    // THEN the song was offered by its path, its file holds the typed notes, and a clean exit
    // leaves no recovery copy
    const std::string log = textOf(dir / "second.log");
    EXPECT_NE(log.find("前回、保存されずに終了した曲があります。"), std::string::npos) << log;
    EXPECT_NE(log.find(song.string()), std::string::npos) << log;
    EXPECT_EQ(typesOfFile(song), (std::vector<int>{4, 4, 3, 3}));
    EXPECT_TRUE(copiesIn(recovery).empty());
}

}  // namespace
}  // namespace plume
