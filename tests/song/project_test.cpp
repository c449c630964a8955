#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "platform/cp932.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/seed_corpus.h"
#include "play/instrument_tables.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "song/properties_form.h"
#include "support/open_songs.h"
#include "support/scripted_file_dialog.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using platform::Answer;

SongInfo infoOf(std::uint8_t timeCode, std::uint8_t key, std::int16_t tempo, std::uint8_t module,
                std::uint8_t numerator, std::uint8_t power) {
    SongInfo info = SongInfo::defaults();
    info.setTimeCode(timeCode);
    info.setKeySignature(key);
    info.setTempo(tempo);
    info.setSoundModule(module);
    info.setNumerator(numerator);
    info.setDenominatorPower(power);
    return info;
}

// {tempo, key, sound module, numerator, denominator power} of a project, the open project or a song.
template <class Settings> std::vector<int> settingsOf(const Settings& s) {
    int key = 0;
    if constexpr (requires { s.keySignature(); }) key = s.keySignature();
    else key = s.key();
    return {s.tempo(), key, s.soundModule(), s.numerator(), s.denominatorPower()};
}

struct FakeWindow : SongWindow {
    fs::path file;
    std::string name;
    bool modified = false, minimised = false, closed = false;
    fs::path path() const override { return file; }
    std::string title() const override { return name; }
    bool isModified() const override { return modified; }
    bool isMinimised() const override { return minimised; }
    bool save() override { return !(modified = false); }
    bool saveAs(const fs::path& p) override { return (file = p, save()); }
    void close() override { closed = true; }
};

struct FakeWindows : test::OpenSongs {
    std::vector<std::unique_ptr<FakeWindow>> windows;
    std::vector<std::pair<fs::path, bool>> opened;
    std::vector<fs::path> recentFiles;

    FakeWindow& add(fs::path file, std::string name, bool modified, bool minimised) {
        FakeWindow& w = *windows.emplace_back(std::make_unique<FakeWindow>());
        std::tie(w.file, w.name, w.modified, w.minimised) = std::tie(file, name, modified, minimised);
        return w;
    }
    std::vector<SongWindow*> songWindows() override {
        std::vector<SongWindow*> open;
        for (auto& w : windows)
            if (!w->closed) open.push_back(w.get());
        return open;
    }
    bool openSongWindow(const fs::path& path, bool minimised) override {
        opened.emplace_back(path, minimised);
        return true;
    }
    void addToRecentFiles(const fs::path& path) override { recentFiles.push_back(path); }
};

class Project : public testing::Test {
protected:
    test::TempDir dir;
    platform::ScriptedMessageBox messages;
    platform::MemoryProfile profile;
    FakeWindows windows;
    test::ScriptedFileDialog dialog;
    ProjectState state{windows, dialog, profile};

    fs::path song(const std::string& name, const SongInfo& info = SongInfo::defaults()) {
        return dir.write(name, serializeSong(test::songOf(test::notes(3, {60}), info)));
    }
    fs::path project(const std::string& name, const ProjectData& data, std::size_t size = kProjectSize) {
        const auto bytes = data.bytes().first(size);
        return dir.write(name, platform::Bytes(bytes.begin(), bytes.end()));
    }
    std::string entry() const { return profile.getString("Project", "Project File", "?"); }
};

TEST_F(Project, CurrentLayoutRoundTripsByteForByte) {
    ProjectData data = ProjectData::fresh();
    ASSERT_TRUE(data.setMemberPath(0, song("a.PLM")));
    ASSERT_TRUE(data.setMemberPath(15, song("曲.PLM")));
    ASSERT_TRUE(data.setWindow(0, dir / "a.PLM", true));
    ASSERT_TRUE(data.setTitle("夏の歌"));
    data.setTempo(300);
    data.setSoundModule(3);
    data.setKey(9);
    platform::Bytes image(data.bytes().begin(), data.bytes().end());
    image[9443] = 0xAA;
    image[9449] = 0x55;

    const ProjectReadResult read = readProject(dir.write("p.PRJ", image));
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(writeProjectFile(dir / "q.PRJ", read.data), ProjectWriteStatus::Written);

    EXPECT_EQ(platform::readFile(dir / "q.PRJ"), image);
    EXPECT_EQ(image[9444] | (image[9445] << 8), 300);
    EXPECT_EQ(std::string(image.begin() + 9400, image.begin() + 9406), *platform::utf8ToCp932("夏の歌"));
    EXPECT_EQ(image[4160 + 260], 1);  // minimised flag of the first window
    const ProjectData fresh = ProjectData::fresh();
    EXPECT_EQ(std::vector(fresh.bytes().begin() + 9441, fresh.bytes().end()),
              (std::vector<std::uint8_t>{0, 5, 0, 120, 0, 0, 4, 2, 0}));
}

TEST_F(Project, ATitleFieldWithoutItsZeroReadsAsTheFortyBytesAWriteKeeps) {
    // GIVEN a title field filled to its last byte, the zero missing, a double-byte character across byte 40
    const ProjectData fresh = ProjectData::fresh();
    platform::Bytes image(fresh.bytes().begin(), fresh.bytes().end());
    const std::string title = std::string(39, 'T') + *platform::utf8ToCp932("歌");
    std::copy(title.begin(), title.end(), image.begin() + ProjectData::kTitleAt);
    const ProjectReadResult read = readProject(dir.write("t.PRJ", image));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.data.title(), std::string(39, 'T'));
    ProjectData again = read.data;
    ASSERT_TRUE(again.setTitle(read.data.title()));
    EXPECT_EQ(again.title(), read.data.title());
}

TEST_F(Project, RecentListKeepsEightAndShortensMenuNames) {
    RecentProjectList recent;
    for (int k = 1; k <= 9; ++k) recent.add("/p/" + std::to_string(k) + ".PRJ");
    recent.add("/p/5.PRJ");
    EXPECT_EQ(recent.paths(), (std::vector<fs::path>{"/p/5.PRJ", "/p/9.PRJ", "/p/8.PRJ", "/p/7.PRJ", "/p/6.PRJ",
                                                     "/p/4.PRJ", "/p/3.PRJ", "/p/2.PRJ"}));

    ASSERT_TRUE(recent.save(profile));
    EXPECT_EQ(profile.getString("Recent Project List", "File1", ""), "/p/5.PRJ");
    EXPECT_EQ(profile.getString("Recent Project List", "File9", "none"), "none");
    RecentProjectList loaded;
    loaded.load(profile);
    EXPECT_EQ(loaded.paths(), recent.paths());

    EXPECT_EQ(shortenForMenu("/p/5.PRJ"), "/p/5.PRJ");
    EXPECT_EQ(shortenForMenu("/home/user/曲/プロジェクト/とても長い名前の付いたフォルダー/夏.PRJ"),
              "/home/user/曲/プロジェクト/と.../夏.PRJ");
    EXPECT_EQ(shortenForMenu("/x/a_very_long_project_file_name_indeed.PRJ"), "a_very_long_pr...me_indeed.PRJ");
}

TEST_F(Project, SwitchingClosesEverySongAndSavesMinimisedOnesFirst) {
    ASSERT_EQ(state.newProject(dir / "first.PRJ"), ProjectSwitch::Done);
    windows.add(dir / "a.PLM", "a", false, false);
    windows.add(dir / "b.PLM", "b", true, true);
    windows.add({}, "無題", true, false);
    windows.add(dir / "d.PLM", "d", false, true);
    dialog.answers = {dir / "new.PLM"};
    messages.script({Answer::Yes, Answer::Yes});
    ProjectData next = ProjectData::fresh();
    next.setWindow(0, dir / "x.PLM", true);
    next.setWindow(1, dir / "y.PLM", false);

    ASSERT_EQ(state.open(project("second.PRJ", next)), ProjectSwitch::Done);

    EXPECT_EQ(messages.shown(), (std::vector<std::string>{(dir / "b.PLM").string() +
                                                              "は変更されています。\n内容を保存しますか？",
                                                          "無題は新規作成です。内容を保存しますか？"}));
    EXPECT_EQ(dialog.asked, std::vector<std::string>{"名前を付けて保存|Plumeﾌｧｲﾙ (*.PLM)|無題.PLM"});
    EXPECT_EQ(windows.recentFiles, std::vector<fs::path>{dir / "new.PLM"});
    EXPECT_TRUE(windows.songWindows().empty());
    const ProjectReadResult first = readProject(dir / "first.PRJ");
    ASSERT_TRUE(first.ok());
    EXPECT_EQ((std::set{first.data.windowPath(0), first.data.windowPath(1)}), (std::set{dir / "b.PLM", dir / "d.PLM"}));
    EXPECT_EQ((std::set{first.data.windowPath(2), first.data.windowPath(3)}), (std::set{dir / "a.PLM", dir / "new.PLM"}));
    EXPECT_TRUE(first.data.windowMinimised(0) && first.data.windowMinimised(1) && !first.data.windowMinimised(2));
    EXPECT_EQ(windows.opened, (std::vector<std::pair<fs::path, bool>>{{dir / "x.PLM", true}, {dir / "y.PLM", false}}));
    EXPECT_EQ(state.openWindowCount(), 2u);
    ASSERT_TRUE(state.exit());
    EXPECT_EQ(entry(), (dir / "second.PRJ").string());
    EXPECT_EQ(profile.getString("Recent Project List", "File1", ""), (dir / "second.PRJ").string());
}

TEST_F(Project, CancelStopsTheSwitchAfterClosingTheSongsDealtWith) {
    ASSERT_EQ(state.newProject(dir / "first.PRJ"), ProjectSwitch::Done);
    EXPECT_TRUE(readProject(dir / "first.PRJ").ok()) << "a new project is on disk at once";
    FakeWindow& a = windows.add(dir / "a.PLM", "a", false, false);
    FakeWindow& b = windows.add(dir / "b.PLM", "b", true, false);
    FakeWindow& c = windows.add(dir / "c.PLM", "c", false, false);
    messages.script({Answer::Cancel});

    EXPECT_EQ(state.open(project("second.PRJ", ProjectData::fresh())), ProjectSwitch::Cancelled);

    EXPECT_TRUE(a.closed);
    EXPECT_FALSE(b.closed || c.closed);
    EXPECT_TRUE(b.modified);
    EXPECT_EQ(state.path(), dir / "first.PRJ");
    EXPECT_TRUE(state.recent().paths().empty());
}

TEST_F(Project, ProjectSettingsAndSongPropertiesForAllTracksReachOpenAndClosedMembers) {
    const fs::path openPath = song("open.PLM", infoOf(5, 3, 120, 0, 4, 2));
    const fs::path closedPath = song("closed.PLM", infoOf(5, 3, 120, 0, 4, 2));
    CPlmDoc document;
    ASSERT_TRUE(document.load(readSong(openPath).song));
    windows.documents[openPath] = &document;
    ProjectData data = ProjectData::fresh();
    data.setMemberPath(0, openPath);
    data.setMemberPath(1, closedPath);
    data.setKey(6);
    ASSERT_EQ(state.open(project("p.PRJ", data)), ProjectSwitch::Done);

    ProjectData edited = state.data();
    edited.setTempo(90);
    edited.setSoundModule(2);
    edited.setNumerator(3);
    edited.setDenominatorPower(3);
    edited.setKey(255);
    state.applyEdit(edited);

    // THEN the open song gets them in bytes 6 and 9 and is modified, the file in byte 9 only,
    // and neither key (nor the project's) changes: {tempo, key, byte 6, bytes 9-11}
    auto settings = [](const SongInfo& i) {
        return std::vector<int>{i.tempo(), i.keySignature(), i.bytes[6], i.bytes[9], i.bytes[10], i.bytes[11]};
    };
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(settings(document.songInfo()), (std::vector{90, 3, 2, 2, 3, 3}));
    EXPECT_EQ(settings(*readSongSettings(closedPath)), (std::vector{90, 3, 0, 2, 3, 3}));
    EXPECT_EQ(state.key(), 6);
    EXPECT_EQ(readProject(state.path()).data.tempo(), 90);

    edited.setKey(10);
    state.applyEdit(edited);
    EXPECT_EQ(document.songInfo().keySignature(), 10);
    EXPECT_EQ(readSongSettings(closedPath)->keySignature(), 10);

    // a song's properties for all tracks go to every member but not to the project
    const std::vector<int> projectBefore = settingsOf(state);
    document.clearModified();
    CPlmDoc active;
    PropertiesForm form(active.songInfo(), instrumentTitle, state.isSet());
    form.tempo = 72;
    form.key = 2;
    form.numerator = 5;
    form.denominator = 1;
    form.setSoundModule(3);
    form.allTracks = true;
    applyProperties(active, form.accept(), state);
    const std::vector<int> expected{72, 2, 3, 5, 2};
    EXPECT_EQ(settingsOf(active.songInfo()), expected);
    EXPECT_EQ(settingsOf(document.songInfo()), expected);
    EXPECT_EQ(settingsOf(*readSongSettings(closedPath)), expected);
    EXPECT_EQ(settingsOf(state), projectBefore);
    EXPECT_TRUE(active.isModified() && document.isModified());
}

TEST_F(Project, StartUpCloseAndMembersWithoutAProject) {
    EXPECT_EQ(state.memberPath(0).reason, "プロジェクト(*.PRJ)が設定されていません。");
    EXPECT_FALSE(state.openMember(0));
    EXPECT_EQ(messages.shown(), std::vector<std::string>{"プロジェクト(*.PRJ)が設定されていません。"});
    EXPECT_EQ(state.tempo(), 120);
    EXPECT_EQ(state.soundModule(), 0);
    EXPECT_FALSE(state.close());

    ProjectData data = ProjectData::fresh();
    data.setMemberPath(1, song("m.PLM"));
    data.setTempo(80);
    data.setTitle("題");
    profile.writeString("Project", "Project File", project("p.PRJ", data).string());
    state.startUp();
    ASSERT_TRUE(state.isSet());
    EXPECT_EQ(state.mainWindowTitle(), "Plume - p.PRJ <題>");
    EXPECT_EQ(mainWindowTitle(fs::path("C:\\music\\song.PRJ"), ""), "Plume - song.PRJ");
    EXPECT_EQ(state.tempo(), 80);
    EXPECT_EQ(std::tuple(state.memberPath(0).reason, state.memberPath(1).path),
              std::tuple(std::string("メンバーファイルが設定されていません。"), dir / "m.PLM"));
    EXPECT_TRUE(state.openMember(1));
    EXPECT_EQ(windows.opened.back(), std::make_pair(dir / "m.PLM", false));

    fs::remove(dir / "p.PRJ");
    ASSERT_TRUE(state.close());
    EXPECT_TRUE(fs::exists(dir / "p.PRJ"));
    EXPECT_EQ(std::tuple(entry(), state.mainWindowTitle()), std::tuple(std::string(), std::string("Plume")));

    ASSERT_EQ(state.recent().paths().size(), 1u);
    fs::remove(dir / "p.PRJ");
    EXPECT_EQ(state.openRecent(0), ProjectSwitch::ReadFailed);
    EXPECT_TRUE(state.recent().paths().empty());
    EXPECT_FALSE(state.isSet());

    ASSERT_EQ(state.newProject(dir / "no" / "such.PRJ"), ProjectSwitch::Done);
    messages.clear();
    EXPECT_FALSE(state.save());
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(fs::exists(dir / "no"));
}

// Projects of every layout naming the demo songs; with PLUME_FUZZ_SEED_DIR set they become the seed corpus.
TEST_F(Project, FuzzSeedsOfEveryLayoutFindTheirMembersBeside) {
    // members saved on another machine; "ソ" is 0x83 0x5C in CP932, its second byte a "\"
    ProjectData full = ProjectData::fresh();
    ASSERT_TRUE(full.setMemberPath(0, "C:\\plm\\melody.PLM"));
    ASSERT_TRUE(full.setMemberPath(1, "C:\\曲\\ソング.PLM"));
    ASSERT_TRUE(full.setMemberPath(9, dir / "drums.PLM"));
    ASSERT_TRUE(full.setMemberPath(15, "/home/user/曲/bass.PLM"));
    ASSERT_TRUE(full.setWindow(0, "C:\\plm\\melody.PLM", false));
    ASSERT_TRUE(full.setWindow(1, "/home/user/曲/bass.PLM", true));
    ASSERT_TRUE(full.setTitle("デモ曲"));
    full.setTempo(96);
    full.setSoundModule(3);
    full.setKey(8);
    ProjectData lost = full;
    ASSERT_TRUE(lost.setMemberPath(3, "C:\\gone\\missing.PLM"));
    for (const char* name : {"melody.PLM", "ソング.PLM", "piano.PLM", "drums.PLM"}) song(name, infoOf(3, 2, 100, 1, 3, 2));
    song("bass.PLM", infoOf(7, 5, 90, 2, 6, 3));  // the last member: its time and settings win
    const std::vector<std::tuple<std::string, ProjectData, std::size_t>> seeds = {
        {"fresh", ProjectData::fresh(), kProjectSize},
        {"full", full, kProjectSize},
        {"lost", lost, kProjectSize},
        {"no-denominator", full, kProjectSizeNoDenominator},
        {"no-settings", lost, kProjectSizeNoSettings},
    };
    for (const auto& [name, data, size] : seeds) {
        const ProjectReadResult read = readProject(project(name + ".PRJ", data, size));
        ASSERT_TRUE(read.ok()) << name;
        const bool lostOne = name == "lost" || name == "no-settings";
        EXPECT_EQ(read.missingMembers, lostOne ? std::vector<std::size_t>{3} : std::vector<std::size_t>{}) << name;
        // a member found beside the project takes that path; one that is nowhere keeps its own
        if (name != "fresh") {
            EXPECT_EQ((std::vector{read.data.memberPath(0), read.data.memberPath(1), read.data.memberPath(3),
                                   read.data.memberPath(15)}),
                      (std::vector<fs::path>{dir / "melody.PLM", dir / "ソング.PLM",
                                             lostOne ? "C:\\gone\\missing.PLM" : "", dir / "bass.PLM"}))
                << name;
        }
        // the older layouts take the time from the members, the oldest every setting
        if (size == kProjectSizeNoDenominator) {
            EXPECT_EQ(settingsOf(read.data), (std::vector{96, 8, 3, 6, 3}));
        } else if (size == kProjectSizeNoSettings) {
            EXPECT_EQ(std::pair(settingsOf(read.data), int(read.data.timeCode())), std::pair(std::vector{90, 5, 2, 6, 3}, 7));
        }
        EXPECT_TRUE(test::writeSeed("fuzz_project_reader", name + ".PRJ", data.bytes().first(size))) << name;
    }
    EXPECT_EQ(messages.shown(),
              std::vector<std::string>(2, "プロジェクトメンバーファイル\nC:\\gone\\missing.PLMは存在しません。"));
}

}  // namespace
}  // namespace plume
