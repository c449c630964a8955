#include <gtest/gtest.h>

#include <tuple>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "print/page_layout.h"

namespace plume {
namespace {

TEST(PageLayoutSettings, DefaultsCaseFreeKeysAndTheSmallRight) {
    // GIVEN no entries THEN the defaults 20, 20, 0, 0 and Reso 1
    platform::MemoryProfile empty;
    EXPECT_EQ(loadPageLayout(empty), (PageLayout{20, 20, 0, 0, 1}));
    // GIVEN keys written in other letter cases THEN they are read all the same
    platform::MemoryProfile mixed("[print layout]\nLEFT=5\nup=6\nRight=7\ndown=8\nRESO=3\n");
    EXPECT_EQ(loadPageLayout(mixed), (PageLayout{5, 6, 7, 8, 3}));
    // WHEN saved THEN the right margin is written under "right" and reads back
    platform::MemoryProfile saved;
    ASSERT_TRUE(savePageLayout(saved, {1, 2, 3, 4, 5}));
    EXPECT_NE(saved.text().find("right=3"), std::string::npos) << saved.text();
    EXPECT_NE(saved.text().find("[Print Layout]"), std::string::npos) << saved.text();
    EXPECT_EQ(loadPageLayout(saved), (PageLayout{1, 2, 3, 4, 5}));
    // AND a hand-edited profile out of range prints within the ranges
    platform::MemoryProfile wild("[Print Layout]\nLeft=-4\nUp=90\nReso=0\n");
    EXPECT_EQ(printingLayout(wild), (PageLayout{0, 50, 0, 0, 1}));
}

TEST(PageLayoutForm, TheFirstWrongFieldInCheckingOrderKeepsTheDialogOpen) {
    platform::ScriptedMessageBox box;
    // {left, top, right, bottom, resolution}; the top is checked after the right
    const std::tuple<PageLayoutForm, PageLayoutField, std::string> cases[] = {
        {{"51", "20", "0", "0", "1"}, PageLayoutField::Left, "左を0から50の数値で入力してください。"},
        {{"20", "20", "abc", "0", "1"}, PageLayoutField::Right, "右を0から50の数値で入力してください。"},
        {{"20", "-1", "0", "0", "1"}, PageLayoutField::Top, "上を0から50の数値で入力してください。"},
        {{"20", "20", "0", "", "1"}, PageLayoutField::Bottom, "下を0から50の数値で入力してください。"},
        {{"20", "20", "0", "0", "0"}, PageLayoutField::Resolution, "分解能を1から10の数値で入力してください。"},
        {{"20", "20", "0", "0", "11"}, PageLayoutField::Resolution, "分解能を1から10の数値で入力してください。"},
        {{"20", "51", "1.5", "0", "1"}, PageLayoutField::Right, "右を0から50の数値で入力してください。"},
    };
    for (const auto& [form, field, message] : cases) {
        platform::MemoryProfile profile;
        box.clear();
        EXPECT_EQ(form.accept(profile), field) << message;
        EXPECT_EQ(box.shown(), std::vector<std::string>{message});
        EXPECT_EQ(profile.text(), "") << "nothing is written while a field is wrong";
    }
}

TEST(PageLayoutForm, ValidFieldsAtTheirBoundsAreWritten) {
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile;
    PageLayoutForm form{" 0", "50", "0", "50 ", "10"};
    EXPECT_EQ(form.accept(profile), std::nullopt);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(loadPageLayout(profile), (PageLayout{0, 50, 0, 50, 10}));
}

}  // namespace
}  // namespace plume
