#pragma once
// The file-dialog service: the logic asks for a file name and gets one, or nothing on Cancel.

#include <filesystem>
#include <optional>
#include <string_view>

namespace plume::platform {

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // `filter` is the text shown for the file type, e.g. "Plumeﾌｧｲﾙ (*.PLM)".
    virtual std::optional<std::filesystem::path> askSaveName(std::string_view title, std::string_view filter,
                                                            std::string_view proposedName) = 0;
    // Only an existing file can be chosen.
    virtual std::optional<std::filesystem::path> askOpenName(std::string_view title, std::string_view filter) = 0;
};

}  // namespace plume::platform
