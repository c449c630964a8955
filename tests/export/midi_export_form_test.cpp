#include <gtest/gtest.h>

#include "export/midi_export_form.h"
#include "platform/message_box.h"

namespace plume {
namespace {

TEST(MidiExportForm, TheDefaultsAreFormat1At96WithGmResetAndTheRestBar) {
    const auto options = MidiExportForm{}.accept();
    ASSERT_TRUE(options);
    EXPECT_EQ(options->format, 1);
    EXPECT_EQ(options->timeBase, 96u);
    EXPECT_EQ(options->reset, DeviceReset::GmSystemOn);
    EXPECT_TRUE(options->restBar);
}

TEST(MidiExportForm, TheButtonsChooseTheirValues) {
    MidiExportForm form;
    form.format = 0;
    form.timeBaseChoice = 5;
    form.reset = 2;
    form.restBar = false;
    const auto options = form.accept();
    ASSERT_TRUE(options);
    EXPECT_EQ(options->format, 0);
    EXPECT_EQ(options->timeBase, 960u);
    EXPECT_EQ(options->reset, DeviceReset::None);
    EXPECT_FALSE(options->restBar);
}

TEST(MidiExportForm, TheOtherFieldTakes48To980) {
    platform::ScriptedMessageBox box;
    MidiExportForm form;
    form.timeBaseChoice = kOtherTimeBase;
    for (const char* good : {"48", "980", " 500 "}) {
        form.otherTimeBase = good;
        const auto options = form.accept();
        ASSERT_TRUE(options) << good;
        EXPECT_EQ(options->timeBase, std::uint32_t(std::stoul(good)));
    }
    EXPECT_TRUE(box.shown().empty());
    for (const char* bad : {"47", "981", "", "96x", "-96"}) {
        form.otherTimeBase = bad;
        EXPECT_FALSE(form.accept()) << bad;
    }
    EXPECT_EQ(box.shown(), (std::vector<std::string>(5, "48 から 980 の範囲で入力して下さい。")));
}

}  // namespace
}  // namespace plume
