#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "play/instrument_tables.h"
#include "song/plm_doc.h"
#include "song/project_form.h"
#include "song/properties_form.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using platform::Answer;

ProjectData sample() {
    ProjectData data = ProjectData::fresh();
    data.setTitle("春の歌");
    data.setMemberPath(0, "/songs/a.PLM");
    data.setKey(3);
    data.setTempo(96);
    data.setNumerator(6);
    data.setDenominatorPower(3);
    data.setSoundModule(2);
    return data;
}

TEST(ProjectForm, ShowsTheProjectAndGivesBackTheEditedBlock) {
    ProjectForm form(sample());
    EXPECT_EQ(std::tie(form.title, form.members[0], form.members[1]), std::make_tuple("春の歌", "/songs/a.PLM", ""));
    EXPECT_EQ(std::tie(form.key, form.denominator, form.soundModule), std::make_tuple(3, 2, 2));  // denominator "8"
    form.title = "夏";
    form.members[1] = "/songs/b.PLM";
    form.members[0] = "";
    form.tempo = 140;
    form.denominator = 0;  // "2"
    const auto edited = form.accept();
    form.key = ProjectForm::kNone;
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->title(), "夏");
    EXPECT_FALSE(edited->hasMember(0));
    EXPECT_EQ(edited->memberPath(1), std::filesystem::path("/songs/b.PLM"));
    EXPECT_EQ((std::vector<int>{edited->tempo(), edited->denominatorPower(), edited->numerator(), edited->timeCode()}),
              (std::vector<int>{140, 1, 6, sample().timeCode()}));
    EXPECT_EQ(form.accept()->key(), kKeep);
}

TEST(ProjectForm, CancelAsksOnlyAfterAMemberWasBrowsedAndAPathThatCannotBeStoredKeepsTheDialogOpen) {
    platform::ScriptedMessageBox box;
    ProjectForm form(sample());
    form.title = "typed, not browsed";
    EXPECT_TRUE(form.confirmCancel());
    EXPECT_TRUE(box.shown().empty());

    form.memberBrowsed(3, "/songs/c.PLM");
    EXPECT_TRUE(form.isChanged());
    EXPECT_EQ(form.members[3], "/songs/c.PLM");
    box.script({Answer::No, Answer::Yes});
    EXPECT_FALSE(form.confirmCancel());
    EXPECT_TRUE(form.confirmCancel());
    EXPECT_EQ(box.shown(), (std::vector<std::string>(2, "変更したデータが失われます。\nよろしいですか？")));
    form.members[4] = "/" + std::string(300, 'x') + ".PLM";
    EXPECT_FALSE(form.accept());
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[2].rfind("Track 5\n", 0), 0u);
}

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

TEST(PropertiesForm, SwitchingTheFileKindRenamesTheInstrumentAndAnUntouchedFormCancelsWithoutAsking) {
    platform::ScriptedMessageBox box;
    PropertiesForm form(newSongSettings(120, 1), instrumentTitle, true);
    EXPECT_EQ(form.instrumentText(), std::string(toneName(1, 0, 0)));
    EXPECT_TRUE(form.confirmCancel());
    EXPECT_TRUE(box.shown().empty());
    form.setFileKind(0);
    EXPECT_EQ(form.instrumentText(), std::string(drumSetName(1, 0)));
    // an unknown module names nothing
    form.setFileKind(1);
    form.setInstrument(7, 0, 0);
    EXPECT_EQ(form.instrumentText(), "---");
}

}  // namespace
}  // namespace plume
