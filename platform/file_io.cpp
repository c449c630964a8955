#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

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

namespace {

constexpr std::string_view kTempMark = ".plume-";
constexpr std::string_view kTempEnd = ".tmp";

// "<name>.plume-<pid>-<n>.tmp" beside the target: the writer's process id tells a stale file
// (its writer is gone) from one another process is writing now.
std::filesystem::path temporaryName(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = path;
    temp += std::string(kTempMark) + std::to_string(::getpid()) + '-' + std::to_string(counter++) +
            std::string(kTempEnd);
    return temp;
}

// Removes temporary files of this naming for `path` whose writer no longer runs.
void removeStaleTemporaries(const std::filesystem::path& path) {
    std::error_code ec;
    const std::string prefix = path.filename().string() + std::string(kTempMark);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(kTempEnd)) continue;
        long pid = 0;
        const char* first = name.data() + prefix.size();
        const auto [stop, error] = std::from_chars(first, name.data() + name.size(), pid);
        if (error != std::errc() || *stop != '-' || pid <= 0) continue;
        if (pid == ::getpid() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    removeStaleTemporaries(path);
    const std::filesystem::path temp = temporaryName(path);
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
