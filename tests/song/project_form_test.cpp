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
