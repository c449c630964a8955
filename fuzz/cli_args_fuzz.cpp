// Any argument list through plume-cli, in a folder of real input files: the exit status is one of
// the three documented, a failure always says why, and a usage error changes no file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "fuzz/cli_workspace.h"

namespace {

std::filesystem::path g_workspace;
std::vector<plume::fuzz::FileStamp> g_pristine;  // the workspace as filled; refilled when a command changed it

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // in memory when the machine has a tmpfs: the saves' fsync costs nothing there
    std::string pattern = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/plume-fuzz-cli-XXXXXX";
    const char* root = ::mkdtemp(pattern.data());
    if (!root) std::abort();
    g_workspace = std::filesystem::path(root) / "work";
    // the profile and every other per-user file stay inside the workspace
    ::setenv("PLUME_CONFIG_DIR", (g_workspace / "config").c_str(), 1);
    ::setenv("HOME", root, 1);
    ::setenv("XDG_DATA_HOME", root, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto args = plume::fuzz::confinedArguments(std::span(data, size));
    if (!args) return 0;
    if (g_pristine.empty()) {
        plume::fuzz::fillWorkspace(g_workspace);
        g_pristine = plume::fuzz::listing(g_workspace);
    }
    std::ostringstream out;
    std::ostringstream err;
    const int status = plume::fuzz::runInWorkspace(g_workspace, *args, out, err);
    if (status < 0 || status > 2) std::abort();
    if (status != 0 && err.str().empty()) std::abort();
    const bool changed = plume::fuzz::listing(g_workspace) != g_pristine;
    if (status == 1 && changed) std::abort();
    if (changed) g_pristine.clear();
    return 0;
}
