#include "cli/commands.h"
#include "cli/render_command.h"

namespace plume::cli {

int renderCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "plume-cli: render needs the build with the editor (PLUME_BUILD_GUI=ON)\n";
    return kUsage;
}

}  // namespace plume::cli
