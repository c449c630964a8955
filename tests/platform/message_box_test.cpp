#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace plume::platform {
namespace {

TEST(MessageBox, FormatsFixedTexts) {
    EXPECT_EQ(formatMessage("%s\nエラー修復　RF = %d", "x.PLM", 3), "x.PLM\nエラー修復　RF = 3");
    EXPECT_EQ(formatMessage("Truck%d-%s", 16, std::string(300, 'a').c_str()).size(), 308u);
}

}  // namespace
}  // namespace plume::platform
