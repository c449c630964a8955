#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <random>
#include <string>

namespace plume::platform {

std::optional<Bytes> readFilePrefix(const std::filesystem::path& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    // Sized from the file's length so a song is one read; a file that grows meanwhile is read on.
    Bytes bytes(std::min<std::size_t>(limit, std::size_t(std::max<off_t>(st.st_size, 0)) + 1));
    std::size_t have = 0;
    bool ok = true;
    while (have < limit) {
        if (have == bytes.size()) bytes.resize(std::min(limit, bytes.size() * 2));
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0) ok = false;
        if (n <= 0) break;
        have += std::size_t(n);
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    bytes.resize(have);
    return bytes;
}

std::optional<Bytes> readFile(const std::filesystem::path& path) {
    return readFilePrefix(path, static_cast<std::size_t>(-1) / 2);
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::path temp = path;
    temp += ".tmp" + std::to_string(std::random_device{}() % 100000);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) ok = false;
        else written += std::size_t(n);
    }
    ok = ok && ::fsync(fd) == 0;
    struct stat st {};
    if (ok && ::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool isReadOnlyFile(const std::filesystem::path& path) {
    // The owner's write bit plays the part of the read-only attribute (root ignores access()).
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return false;
    return (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

}  // namespace plume::platform
