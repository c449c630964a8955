#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace plume::platform {

namespace {

// Returns nullopt on an invalid or incomplete sequence; `skipInvalid` replaces it instead.
std::optional<std::string> convert(const char* to, const char* from, std::string_view in, bool skipInvalid) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    bool ok = true;
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) {
            const std::size_t used = out.size() - dstLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        } else if (skipInvalid && dstLeft >= 3) {
            ++src;
            --srcLeft;
            *dst++ = '\xEF';
            *dst++ = '\xBF';
            *dst++ = '\xBD';
            dstLeft -= 3;
        } else {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

std::optional<std::string> cp932ToUtf8(std::string_view cp932) { return convert("UTF-8", "CP932", cp932, false); }

std::optional<std::string> utf8ToCp932(std::string_view utf8) { return convert("CP932", "UTF-8", utf8, false); }

std::string cp932ToUtf8Lossy(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932, true).value_or(std::string());
}

}  // namespace plume::platform
