#pragma once
// Which process is this, and does a process of the past still run: a process id with the time the
// process started, so that a reused id is not taken for the process that held it before.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plume::platform {

struct ProcessIdentity {
    long pid = 0;
    std::uint64_t start = 0;  // clock ticks after boot; 0 when the system does not tell
    bool operator==(const ProcessIdentity&) const = default;
};

ProcessIdentity currentProcess();
// True while the process runs (or runs under another user); a different start time means another
// process got the id.
bool isRunning(const ProcessIdentity& process);

// "<pid>_<start>", the form used in file names; parse() reads it back from the front of `text`
// up to the first character that is neither digit nor '_'.
std::string processTag(const ProcessIdentity& process);
std::optional<ProcessIdentity> parseProcessTag(std::string_view text);

// An exclusive advisory lock on `path` (created if missing), held until destruction; processes
// that take the same lock wait for each other.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::filesystem::path& path);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace plume::platform
