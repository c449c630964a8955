#pragma once
// `plume-cli print`: the pages the editor prints, written to a PDF, or listed line by line.

#include <ostream>
#include <string>
#include <vector>

namespace plume {
struct PrintSource;
struct PrintPlan;
}

namespace plume::cli {

// args: IN.PLM -o OUT.pdf [--selection FROM:TO] [--reso N] [--margins L,T,R,B] [--grand-staff]
//   or  IN.PLM --pages [the same options] [--dpi X,Y] [--page-px W,H] [--offset-px X,Y]
int printCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kPrintUsage;

// The PDF writer (A4 at 600 dpi, no offset); without the editor's build it says so and fails.
int writePrintPdf(const std::string& path, const PrintSource& source, const PrintPlan& plan, std::ostream& out,
                  std::ostream& err);

}  // namespace plume::cli
