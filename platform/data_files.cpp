#include "platform/data_files.h"

namespace plume::platform {

namespace fs = std::filesystem;

fs::path dataFileFrom(const fs::path& programDir, std::string_view name) {
    const fs::path beside = programDir / name;
    const fs::path installed = programDir.parent_path() / "share" / "plume" / name;
    std::error_code ec;
    if (!fs::exists(beside, ec) && fs::exists(installed, ec)) return installed;
    return beside;
}

fs::path dataFile(std::string_view name) {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return dataFileFrom(ec ? fs::current_path(ec) : program.parent_path(), name);
}

}  // namespace plume::platform
