#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "song/plm_doc.h"
#include "song/project_form.h"

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
    // GIVEN the dialog on a project
    ProjectForm form(sample());
    EXPECT_EQ(form.title, "春の歌");
    EXPECT_EQ(form.members[0], "/songs/a.PLM");
    EXPECT_EQ(form.members[1], "");
    EXPECT_EQ(form.key, 3);
    EXPECT_EQ(form.denominator, 2);  // "8"
    EXPECT_EQ(form.soundModule, 2);
    // WHEN fields change and OK is pressed
    form.title = "夏";
    form.members[1] = "/songs/b.PLM";
    form.members[0] = "";
    form.tempo = 140;
    form.denominator = 0;  // "2"
    const auto edited = form.accept();
    // THEN the block holds the new values and keeps the rest
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->title(), "夏");
    EXPECT_FALSE(edited->hasMember(0));
    EXPECT_EQ(edited->memberPath(1), std::filesystem::path("/songs/b.PLM"));
    EXPECT_EQ(edited->tempo(), 140);
    EXPECT_EQ(edited->denominatorPower(), 1);
    EXPECT_EQ(edited->numerator(), 6);
    EXPECT_EQ(edited->timeCode(), sample().timeCode());
}

TEST(ProjectForm, NoKeyChosenGivesTheKeepValue) {
    ProjectForm form(sample());
    form.key = ProjectForm::kNone;
    const auto edited = form.accept();
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->key(), kKeep);
}

TEST(ProjectForm, CancelAsksOnlyAfterAMemberWasBrowsed) {
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
}

TEST(ProjectForm, AMemberPathThatCannotBeStoredKeepsTheDialogOpen) {
    platform::ScriptedMessageBox box;
    ProjectForm form(sample());
    form.members[4] = "/" + std::string(300, 'x') + ".PLM";
    EXPECT_FALSE(form.accept());
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].rfind("Track 5\n", 0), 0u);
}

}  // namespace
}  // namespace plume
