#pragma once
// When two paths name the same song file: "is this song open?" and "is it a member of the
// project?" must give the same answer.

#include <filesystem>

namespace plume {

// Equal when both name one existing file, or when their absolute, lexically normal forms are
// equal with ASCII letters folded (the songs come from a file system that ignores case; bytes of
// multibyte characters are never folded). An empty path is the same as nothing.
bool samePath(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace plume
