#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/message_box.h"
#include "platform/profile.h"
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

TEST(PropertiesForm, OpensOnTheSongsSettingsAndKeepsEachFieldInItsRange) {
    SongInfo info = newSongSettings(96, 1);
    EXPECT_EQ(std::vector(info.bytes.begin() + 4, info.bytes.end()),
              (std::vector<std::uint8_t>{96, 0, 1, 0, 0, 1, 4, 2}));
    info.setDenominatorPower(3);
    PropertiesForm form(info, instrumentTitle, false);
    EXPECT_EQ(std::make_pair(form.tempo, form.denominator), std::make_pair(96, 2));  // denominator "8"
    // a module choice sets the target module and the instrument's module
    form.setSoundModule(3);
    EXPECT_EQ(form.info().initialModule(), 3);
    form.tempo = 300;
    form.numerator = 0;
    form.allTracks = true;
    const PropertiesForm::Result result = form.accept();
    EXPECT_EQ((std::vector<int>{result.info.tempo(), result.info.numerator(), result.info.soundModule()}),
              (std::vector{250, 1, 3}));
    EXPECT_FALSE(result.allTracks) << "no project to change";
}

TEST(PropertiesForm, SwitchingTheFileKindRenamesTheInstrumentAndCancelAsks) {
    platform::ScriptedMessageBox box;
    PropertiesForm form(newSongSettings(120, 1), instrumentTitle, true);
    EXPECT_EQ(form.instrumentText(), std::string(toneName(1, 0, 0)));
    EXPECT_TRUE(form.confirmCancel());
    form.setFileKind(0);
    EXPECT_EQ(form.instrumentText(), std::string(drumSetName(1, 0)));
    box.script({Answer::No, Answer::Yes});
    EXPECT_FALSE(form.confirmCancel());
    EXPECT_TRUE(form.confirmCancel());
    EXPECT_EQ(box.shown(), std::vector<std::string>(2, "変更結果が失われます。\nよろしいですか？"));
    // an unknown module names nothing
    form.setFileKind(1);
    form.setInstrument(7, 0, 0);
    EXPECT_EQ(form.instrumentText(), "---");
}

using test::OpenSongs;

TEST(ApplyProperties, AllTracksGoesToEveryMemberButNotToTheProject) {
    const test::TempDir dir;
    platform::ScriptedMessageBox box;
    ASSERT_TRUE(writeSong(dir / "open.PLM", test::songOf(test::notes(3, {60}))));
    ASSERT_TRUE(writeSong(dir / "closed.PLM", test::songOf(test::notes(3, {60}))));
    ProjectData data = ProjectData::fresh();
    data.setMemberPath(0, dir / "open.PLM");
    data.setMemberPath(1, dir / "closed.PLM");
    ASSERT_EQ(writeProjectFile(dir / "p.PRJ", data), ProjectWriteStatus::Written);
    OpenSongs windows;
    CPlmDoc open;
    windows.documents[dir / "open.PLM"] = &open;
    test::ScriptedFileDialog dialog;
    platform::MemoryProfile profile;
    ProjectState project(windows, dialog, profile);
    ASSERT_EQ(project.open(dir / "p.PRJ"), ProjectSwitch::Done);

    const std::vector<int> projectBefore{project.tempo(), project.key(), project.soundModule(), project.numerator(),
                                         project.denominatorPower()};
    CPlmDoc song;
    PropertiesForm form(song.songInfo(), instrumentTitle, project.isSet());
    form.tempo = 72;
    form.key = 2;
    form.numerator = 3;
    form.denominator = 2;
    form.setSoundModule(3);
    form.allTracks = true;
    applyProperties(song, form.accept(), project);

    const auto settingsOf = [](const SongInfo& i) {
        return std::vector<int>{i.tempo(), i.keySignature(), i.soundModule(), i.numerator(), i.denominatorPower()};
    };
    const std::vector<int> expected{72, 2, 3, 3, 3};
    EXPECT_EQ(settingsOf(song.songInfo()), expected);
    EXPECT_EQ(settingsOf(open.songInfo()), expected);
    EXPECT_EQ(settingsOf(*readSongSettings(dir / "closed.PLM")), expected);
    EXPECT_EQ((std::vector<int>{project.tempo(), project.key(), project.soundModule(), project.numerator(),
                                project.denominatorPower()}),
              projectBefore);
    EXPECT_TRUE(song.isModified() && open.isModified());

    form.tempo = 140;
    form.allTracks = false;
    applyProperties(song, form.accept(), project);
    EXPECT_EQ(song.songInfo().tempo(), 140);
    EXPECT_EQ(readSongSettings(dir / "closed.PLM")->tempo(), 72);
}

}  // namespace
}  // namespace plume
