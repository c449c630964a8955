#include "print/print_plan.h"

#include <algorithm>

#include "song/project.h"

namespace plume {

namespace {

// Paths compared as the file system the songs come from does: letters without regard to case.
// Bytes of multibyte characters are never folded (UTF-8 continuation bytes are not ASCII).
bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::string x = utf8Of(a);
    const std::string y = utf8Of(b);
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                      [&](char p, char q) { return lower(p) == lower(q); });
}

bool isProjectMember(const PrintSource& source) {
    if (!source.project || source.path.empty()) return false;
    for (std::size_t i = 0; i < kMemberCount; ++i) {
        if (source.project->hasMember(i) && samePath(source.project->memberPath(i), source.path)) return true;
    }
    return false;
}

}  // namespace

std::string printTitle(const PrintSource& source) {
    return isProjectMember(source) ? source.project->title() : source.documentTitle;
}

std::string pageNumberText(int page) { return "Page " + std::to_string(page); }

PrintPlan planPrint(const PrintSource& source, const PrinterFigures& printer, const PageLayout& layout,
                    bool selection) {
    PrintPlan plan;
    plan.geometry = pageGeometry(printer, layout);
    plan.title = printTitle(source);
    plan.selection = selection && source.hasRange();
    LineRange range{0, source.table.lastLine()};
    if (plan.selection) {
        range = {std::min(source.anchor.line, source.cursor.line), std::max(source.anchor.line, source.cursor.line)};
    }
    if (plan.geometry.printable()) plan.pages = paginate(source.table, range, plan.geometry.printableHeight);
    return plan;
}

std::optional<PrintedPage> PrintPlan::page(const PrintSource& source, int number) const {
    if (number < 1 || number > pageCount()) return std::nullopt;
    PrintedPage page;
    page.number = number;
    page.lines = pages[std::size_t(number - 1)];
    page.last = number == pageCount();
    const LineTable& table = source.table;
    const int pageTop = table.line(page.lines.first).top;
    // The score is drawn down to the page's last line only, so the next page's first line does not
    // show cut at the bottom; the clip keeps everything within the printable area.
    const int extent = table.line(page.lines.last).bottom() - pageTop;
    ScoreViewState& view = page.view;
    view.topLine = page.lines.first;
    view.width = geometry.printableWidth;
    view.height = std::min(extent, geometry.printableHeight);
    view.cursor = source.cursor;
    // Without the selection option no highlight is printed.
    view.anchor = selection ? source.anchor : source.cursor;
    for (int line = page.lines.first; line <= page.lines.last; ++line)
        page.numbers.push_back({table.line(line).top - pageTop, std::to_string(line + 1)});
    return page;
}

}  // namespace plume
