#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace plume::platform {
namespace {

TEST(MessageBox, ScriptedAnswersThenFirstButtonAndRestoresPrevious) {
    MessageBox* before = &messageBox();
    {
        ScriptedMessageBox box;
        box.script({Answer::No, Answer::Cancel});
        EXPECT_EQ(&messageBox(), &box);
        EXPECT_EQ(messageBox().show("q1", Buttons::YesNo), Answer::No);
        EXPECT_EQ(messageBox().show("q2", Buttons::YesNoCancel), Answer::Cancel);
        EXPECT_EQ(messageBox().show("q3", Buttons::YesNo), Answer::Yes);
        EXPECT_EQ(messageBox().show("note"), Answer::Ok);
        EXPECT_EQ(box.shown(), (std::vector<std::string>{"q1", "q2", "q3", "note"}));
    }
    EXPECT_EQ(&messageBox(), before);
}

TEST(MessageBox, FormatsFixedTexts) {
    EXPECT_EQ(formatMessage("%s\nエラー修復　RF = %d", "x.PLM", 3), "x.PLM\nエラー修復　RF = 3");
    EXPECT_EQ(formatMessage("Truck%d-%s", 16, std::string(300, 'a').c_str()).size(), 308u);
}

}  // namespace
}  // namespace plume::platform
