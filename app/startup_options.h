#pragma once
// The editor's command line: an optional file to open; options are accepted and ignored.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plume {

struct StartupOptions {
    std::optional<std::filesystem::path> song;     // opened as a song window at start-up
    std::optional<std::filesystem::path> project;  // a *.PRJ given instead: reopened in place of the last one
};

// An option is "-" followed by a letter, or "/" and a single letter (a longer "/..." is a path
// here); every option is ignored. Of several files the last one counts; a file whose name ends in ".PRJ" (any case) is a project.
StartupOptions parseStartupOptions(const std::vector<std::string>& args);

}  // namespace plume
