#include "print/page_geometry.h"

#include <algorithm>

#include "score/line_table.h"

namespace plume {

namespace {

constexpr int kTenthsPerInch = 254;

// a * b / c rounded to the nearest whole number; c > 0.
int scaled(long long a, long long b, long long c) {
    const long long product = a * b;
    return int(product >= 0 ? (product + c / 2) / c : -((-product + c / 2) / c));
}

int mmToPixels(int mm, int dpi) { return scaled(mm * 10LL, dpi, kTenthsPerInch); }

}  // namespace

int PageGeometry::deviceX(int tenthsMm) const { return scaled(tenthsMm, dpiX, kTenthsPerInch); }
int PageGeometry::deviceY(int tenthsMm) const { return scaled(tenthsMm, dpiY, kTenthsPerInch); }

PageGeometry pageGeometry(const PrinterFigures& printer, const PageLayout& layout) {
    PageGeometry g;
    if (printer.dpiX <= 0 || printer.dpiY <= 0) return g;  // nothing printable
    g.dpiX = printer.dpiX;
    g.dpiY = printer.dpiY;
    g.offsetMmX = scaled(printer.offsetX, kTenthsPerInch, printer.dpiX * 10LL);
    g.offsetMmY = scaled(printer.offsetY, kTenthsPerInch, printer.dpiY * 10LL);
    g.leftMm = std::max(layout.left - g.offsetMmX, 0);
    g.topMm = std::max(layout.top - g.offsetMmY, 0);
    g.rightMm = layout.right + g.offsetMmX;
    g.bottomMm = layout.bottom + g.offsetMmY;
    g.titleWidth = scaled(printer.pageWidth, kTenthsPerInch, printer.dpiX) - (g.leftMm + g.rightMm) * 10;

    const int reso = std::max(layout.reso, 1);
    const int lower = std::min(printer.dpiX, printer.dpiY);
    g.unitX = std::max(1, int(reso * (long long)printer.dpiX / lower));
    g.unitY = std::max(1, int(reso * (long long)printer.dpiY / lower));

    g.marginLeft = mmToPixels(g.leftMm, printer.dpiX);
    g.marginTop = mmToPixels(g.topMm + kTitleRoom, printer.dpiY);
    g.marginRight = mmToPixels(g.rightMm, printer.dpiX);
    g.marginBottom = mmToPixels(g.bottomMm, printer.dpiY);
    g.printableWidth = printer.pageWidth / g.unitX - (g.marginLeft + g.marginRight);
    g.printableHeight = printer.pageHeight / g.unitY - (g.marginTop + g.marginBottom);
    return g;
}

int pageNumberX(const PageGeometry& geometry, int textLength) {
    return geometry.titleWidth - (textLength + 1) * kTitleCharWidth;
}

std::vector<LineRange> paginate(const LineTable& table, LineRange range, int printableHeight) {
    std::vector<LineRange> pages;
    range.first = std::clamp(range.first, 0, table.lastLine());
    range.last = std::clamp(range.last, range.first, table.lastLine());
    if (printableHeight <= 0) return pages;
    if (table.grandStaff()) {
        const int perPage = std::max(1, printableHeight / kGrandStaffPrintPitch);
        for (int first = range.first; first <= range.last; first += perPage)
            pages.push_back({first, std::min(first + perPage - 1, range.last)});
        return pages;
    }
    int top = range.first;
    for (int line = range.first + 1; line <= range.last; ++line) {
        if (table.line(line).bottom() - table.line(top).top >= printableHeight) {
            pages.push_back({top, line - 1});
            top = line;
        }
    }
    pages.push_back({top, range.last});
    return pages;
}

}  // namespace plume
