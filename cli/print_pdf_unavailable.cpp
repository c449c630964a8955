#include "cli/commands.h"
#include "cli/print_command.h"

namespace plume::cli {

int writePrintPdf(const std::string&, const PrintSource&, const PrintPlan&, std::ostream&, std::ostream& err) {
    err << "plume-cli: print -o needs the build with the editor (PLUME_BUILD_GUI=ON); --pages works without it\n";
    return kUsage;
}

}  // namespace plume::cli
