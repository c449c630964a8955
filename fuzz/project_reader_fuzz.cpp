// Any bytes as a project file of any layout, its members looked up beside it among the demo songs:
// whatever is read is written in the current layout and read again to the same block.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/demo_project.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "song/project.h"

namespace {

namespace fs = std::filesystem;

class SilentMessageBox : public plume::platform::MessageBox {
public:
    plume::platform::Answer show(std::string_view, plume::platform::Buttons) override {
        return plume::platform::Answer::Ok;
    }
};

fs::path g_folder;
SilentMessageBox g_messages;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // in memory when the machine has a tmpfs: the saves' fsync costs nothing there
    std::string pattern = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/plume-fuzz-project-XXXXXX";
    const char* root = ::mkdtemp(pattern.data());
    if (!root) std::abort();
    g_folder = root;
    std::ostringstream ignored;
    if (!plume::writeDemoProject(g_folder, ignored)) std::abort();
    plume::platform::installMessageBox(&g_messages);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace plume;
    const fs::path in = g_folder / "in.PRJ";
    const fs::path out = g_folder / "out.PRJ";
    {
        std::ofstream file(in, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        if (!file.flush()) std::abort();
    }
    const ProjectReadResult first = readProject(in);
    const bool knownSize = size == kProjectSize || size == kProjectSizeNoDenominator || size == kProjectSizeNoSettings;
    if (first.ok() != knownSize) std::abort();
    if (!first.ok()) return 0;
    // the windows, title and settings are carried as they are; only member paths may be re-pointed
    const auto stored = first.data.bytes();
    if (size == kProjectSize && !std::equal(stored.begin() + ProjectData::kWindowsAt, stored.end(),
                                            data + ProjectData::kWindowsAt))
        std::abort();
    for (std::size_t j = 0; j < kOpenWindowLimit; ++j) (void)shortenForMenu(utf8Of(first.data.windowPath(j)));
    (void)mainWindowTitle(in, first.data.title());

    if (writeProjectFile(out, first.data) != ProjectWriteStatus::Written) std::abort();
    const ProjectReadResult second = readProject(out);
    if (!second.ok() || second.fileSize != kProjectSize || second.data != first.data ||
        second.missingMembers != first.missingMembers)
        std::abort();

    ProjectData retitled = first.data;
    const std::string title = first.data.title();
    if (retitled.setTitle(title) && retitled.title() != title) std::abort();
    return 0;
}
