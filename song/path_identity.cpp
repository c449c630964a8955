#include "song/path_identity.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace plume {

namespace {

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string normalForm(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::u8string text = (ec ? path : absolute).lexically_normal().u8string();
    return {text.begin(), text.end()};
}

}  // namespace

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const std::string x = normalForm(a);
    const std::string y = normalForm(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                      [](char p, char q) { return foldAscii(p) == foldAscii(q); });
}

}  // namespace plume
