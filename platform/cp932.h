#pragma once
// Shift-JIS (Windows code page 932) text as kept in song, project and database files.

#include <optional>
#include <string>
#include <string_view>

namespace plume::platform {

// nullopt when the bytes are not valid in the source encoding.
std::optional<std::string> cp932ToUtf8(std::string_view cp932);
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// For display: invalid bytes become U+FFFD instead of failing.
std::string cp932ToUtf8Lossy(std::string_view cp932);

}  // namespace plume::platform
