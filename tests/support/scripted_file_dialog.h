#pragma once
// A file dialog that answers with the names a test gives it, in order, then with Cancel; it keeps
// what it was asked.

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace plume::test {

class ScriptedFileDialog : public platform::FileDialog {
public:
    std::deque<std::filesystem::path> answers;
    std::vector<std::string> asked;  // "title|filter|proposed name"

    std::optional<std::filesystem::path> askSaveName(std::string_view title, std::string_view filter,
                                                    std::string_view proposedName) override {
        asked.push_back(std::string(title) + "|" + std::string(filter) + "|" + std::string(proposedName));
        if (answers.empty()) return std::nullopt;
        std::filesystem::path answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::filesystem::path> askOpenName(std::string_view title, std::string_view filter) override {
        return askSaveName(title, filter, "");
    }
};

}  // namespace plume::test
