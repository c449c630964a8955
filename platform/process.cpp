#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

namespace plume::platform {

namespace {

// Field 22 of /proc/<pid>/stat; the command name before it may hold spaces and parentheses.
std::uint64_t startTimeOf(long pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    if (!file) return 0;
    std::stringstream text;
    text << file.rdbuf();
    const std::string stat = text.str();
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int index = 3; index <= 22 && fields >> field; ++index)
        if (index == 22) {
            std::uint64_t start = 0;
            std::from_chars(field.data(), field.data() + field.size(), start);
            return start;
        }
    return 0;
}

}  // namespace

ProcessIdentity currentProcess() {
    const long pid = ::getpid();
    return {pid, startTimeOf(pid)};
}

bool isRunning(const ProcessIdentity& process) {
    if (process.pid <= 0) return false;
    if (::kill(pid_t(process.pid), 0) != 0 && errno == ESRCH) return false;
    if (process.start == 0) return true;
    const std::uint64_t start = startTimeOf(process.pid);
    return start == 0 || start == process.start;
}

std::string processTag(const ProcessIdentity& process) {
    return std::to_string(process.pid) + '_' + std::to_string(process.start);
}

std::optional<ProcessIdentity> parseProcessTag(std::string_view text) {
    ProcessIdentity process;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, process.pid);
    if (error != std::errc() || stop == end || *stop != '_' || process.pid <= 0) return std::nullopt;
    auto [last, error2] = std::from_chars(stop + 1, end, process.start);
    if (error2 != std::errc() || (last != end && *last >= '0' && *last <= '9')) return std::nullopt;
    return process;
}

ExclusiveLock::ExclusiveLock(const std::filesystem::path& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) return;
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        ::close(m_fd);
        m_fd = -1;
        return;
    }
}

ExclusiveLock::~ExclusiveLock() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace plume::platform
