#include <gtest/gtest.h>

#include "export/midi_export_form.h"
#include "platform/message_box.h"

namespace plume {
namespace {

TEST(MidiExportForm, TheDefaultsAreFormat1At96WithGmResetAndTheRestBarAndTheButtonsChooseTheirValues) {
    const auto defaults = MidiExportForm{}.accept();
    ASSERT_TRUE(defaults);
    EXPECT_EQ(std::tie(defaults->format, defaults->timeBase, defaults->reset, defaults->restBar),
              std::make_tuple(1, 96u, DeviceReset::GmSystemOn, true));
    MidiExportForm form;
    form.format = 0;
    form.timeBaseChoice = 5;
    form.reset = 2;
    form.restBar = false;
    const auto options = form.accept();
    ASSERT_TRUE(options);
    EXPECT_EQ(std::tie(options->format, options->timeBase, options->reset, options->restBar),
              std::make_tuple(0, 960u, DeviceReset::None, false));
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
