#pragma once
// What each printed page shows, as plain data for the page painter: the title line, the page
// number, the score lines with the view state they are drawn with, and the line numbers.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "print/page_geometry.h"
#include "score/line_table.h"
#include "score/score_painter.h"
#include "song/song_record.h"

namespace plume {

class ProjectData;

// The printed song as the score view holds it.
struct PrintSource {
    Records records;                 // the caller keeps them alive while printing
    LineTable table;                 // laid out from `records` (its line marks print too)
    std::filesystem::path path;      // empty for a song never saved
    std::string documentTitle;
    const ProjectData* project = nullptr;  // the current project, or nullptr
    ScorePosition anchor;
    ScorePosition cursor;

    bool hasRange() const { return anchor != cursor; }
};

// The title line: the project's title when the song is a member of the current project (its path
// equals a member path, letters compared without regard to case), else the document's title.
std::string printTitle(const PrintSource& source);
// "Page %d".
std::string pageNumberText(int page);

struct LineNumberLabel {
    int y = 0;            // layout units below the score area's top
    std::string text;     // "%d": the line's number in the whole song
};

struct PrintedPage {
    int number = 1;
    LineRange lines;
    ScoreViewState view;  // the state the score is drawn with: top line, printable size, selection
    std::vector<LineNumberLabel> numbers;
    bool last = false;    // printing stops after this page
};

struct PrintPlan {
    PageGeometry geometry;
    std::string title;
    bool selection = false;       // only the selected lines, their highlight kept
    std::vector<LineRange> pages;

    int pageCount() const { return int(pages.size()); }
    // Page `number` (1-based) of the plan; nullopt past the last page.
    std::optional<PrintedPage> page(const PrintSource& source, int number) const;
};

// The lines to print: the whole song, or the selection's first to last line when `selection` is
// chosen and a range is selected. A printer with no printable area gives no pages.
PrintPlan planPrint(const PrintSource& source, const PrinterFigures& printer, const PageLayout& layout,
                    bool selection);

}  // namespace plume
