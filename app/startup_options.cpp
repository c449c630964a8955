#include "app/startup_options.h"

#include <algorithm>
#include <cctype>

#include "song/project.h"

namespace plume {

namespace {

bool isOption(const std::string& arg) {
    return (arg.size() >= 2 && arg[0] == '-') || (arg.size() == 2 && arg[0] == '/');
}

bool isProjectName(const std::string& arg) {
    if (arg.size() < 4) return false;
    std::string ext = arg.substr(arg.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".prj";
}

}  // namespace

StartupOptions parseStartupOptions(const std::vector<std::string>& args) {
    StartupOptions options;
    for (const std::string& arg : args) {
        if (isOption(arg) || arg.empty()) continue;
        if (isProjectName(arg)) {
            options.project = pathFromUtf8(arg);
            options.song.reset();
        } else {
            options.song = pathFromUtf8(arg);
            options.project.reset();
        }
    }
    return options;
}

}  // namespace plume
