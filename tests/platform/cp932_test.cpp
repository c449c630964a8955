#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace plume::platform {
namespace {

TEST(Cp932, RoundTripsJapaneseAndWindowsExtensions) {
    // "ﾒﾛﾃﾞｨｰ" (half-width kana), "歌詞", and NEC row 13 "①" which plain Shift-JIS lacks.
    const std::string utf8 = "ﾒﾛﾃﾞｨｰ 歌詞 ①";
    const auto sjis = utf8ToCp932(utf8);
    ASSERT_TRUE(sjis);
    EXPECT_EQ(*sjis, std::string("\xD2\xDB\xC3\xDE\xA8\xB0 \x89\xCC\x8E\x8C \x87\x40"));
    EXPECT_EQ(cp932ToUtf8(*sjis), utf8);
}

TEST(Cp932, InvalidBytesFailOrAreReplacedForDisplay) {
    const std::string broken("A\x81", 2);  // a lead byte with no trail byte
    EXPECT_FALSE(cp932ToUtf8(broken));
    EXPECT_EQ(cp932ToUtf8Lossy(broken).substr(0, 1), "A");
    EXPECT_FALSE(utf8ToCp932("\xF0\x9F\x8E\xB5"));  // a musical-note emoji has no CP932 code
}

}  // namespace
}  // namespace plume::platform
