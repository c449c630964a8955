#pragma once
// Where things stand on a printed page: the printer's figures turned into effective margins, the
// size of a layout unit in printer pixels, the title line and the score area; and which score lines
// each page holds. Pure functions of their arguments.

#include <vector>

#include "print/page_layout.h"
#include "score/score_geometry.h"

namespace plume {

class LineTable;

// What a printer reports, in its device pixels.
struct PrinterFigures {
    int dpiX = 600;
    int dpiY = 600;
    int pageWidth = 4960;   // the physical page
    int pageHeight = 7016;
    int offsetX = 0;        // the unprintable border at the top left: where device pixel (0, 0) lies
    int offsetY = 0;
    friend bool operator==(const PrinterFigures&, const PrinterFigures&) = default;
};

// A4 at 600 dpi with no printing offset: what `plume-cli print` writes and `--pages` assumes.
inline constexpr PrinterFigures kA4At600Dpi{};

inline constexpr int kTitleHeight = 50;          // 0.1 mm: the title line's font
inline constexpr int kTitleCharWidth = 25;       // 0.1 mm a character when placing "Page %d"
inline constexpr int kTitleRoom = 7;             // mm added to the top margin under the title line
inline constexpr int kLineNumberHeight = 12;     // layout units
// Layout units a line counts for when the grand-staff display paginates: fixed by the printed
// format, a little under the layout's grand-staff pitch, so a page's last line may meet the clip.
inline constexpr int kGrandStaffPrintPitch = 139;

// All positions in device pixels are relative to the device's origin (the printing offset).
struct PageGeometry {
    int dpiX = 600;
    int dpiY = 600;
    int offsetMmX = 0;       // the printing offset in whole millimetres
    int offsetMmY = 0;
    int leftMm = 0;          // effective margins: never negative
    int topMm = 0;
    int rightMm = 0;
    int bottomMm = 0;
    int titleWidth = 0;      // 0.1 mm from the title's origin to the right margin
    int unitX = 1;           // printer pixels a layout unit
    int unitY = 1;
    int marginLeft = 0;      // the margins (the top one with the title room) in printer pixels, used
    int marginTop = 0;       // as layout units
    int marginRight = 0;
    int marginBottom = 0;
    int printableWidth = 0;  // the score area, in layout units
    int printableHeight = 0;

    bool printable() const { return printableWidth > 0 && printableHeight > 0; }
    // Millimetres (0.1 mm) to device pixels along each axis.
    int deviceX(int tenthsMm) const;
    int deviceY(int tenthsMm) const;
};

PageGeometry pageGeometry(const PrinterFigures& printer, const PageLayout& layout);

// x of "Page %d" in 0.1 mm from the title's origin: it ends one character short of the right margin.
int pageNumberX(const PageGeometry& geometry, int textLength);

// Lines of the song to print, 0-based and inclusive.
struct LineRange {
    int first = 0;
    int last = 0;
    friend bool operator==(const LineRange&, const LineRange&) = default;
};

// The lines of every page in order; the last page holds range.last. With the grand-staff display a
// page holds printable height / kGrandStaffPrintPitch lines; otherwise a line whose bottom, measured
// from the page's top line, reaches the printable height starts the next page. A page holds at
// least one line.
std::vector<LineRange> paginate(const LineTable& table, LineRange range, int printableHeight);

}  // namespace plume
