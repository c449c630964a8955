#include <gtest/gtest.h>

#include "print/print_plan.h"
#include "song/project.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

TEST(PageGeometry, OffsetsEatIntoMarginsButNeverBelowZero) {
    // GIVEN a 600 dpi printer whose unprintable border is 25.4 mm across and 12.7 mm down
    PrinterFigures printer;
    printer.offsetX = 600;
    printer.offsetY = 300;
    const PageGeometry g = pageGeometry(printer, {20, 20, 3, 4, 1});
    EXPECT_EQ(g.offsetMmX, 25);
    EXPECT_EQ(g.offsetMmY, 13);
    // THEN the left margin, smaller than the offset, is 0; the top one is what the offset left of it
    EXPECT_EQ(g.leftMm, 0);
    EXPECT_EQ(g.topMm, 7);
    // AND the right and bottom margins grow by the offsets
    EXPECT_EQ(g.rightMm, 28);
    EXPECT_EQ(g.bottomMm, 17);
}

TEST(PageGeometry, ResoMapsUnitsToPixelsAlongTheLowerResolution) {
    PrinterFigures square;
    EXPECT_EQ(pageGeometry(square, {20, 20, 0, 0, 1}).unitX, 1);
    EXPECT_EQ(pageGeometry(square, {20, 20, 0, 0, 1}).unitY, 1);
    PrinterFigures wide{600, 300, 4960, 3508, 0, 0};
    const PageGeometry g = pageGeometry(wide, {20, 20, 0, 0, 2});
    EXPECT_EQ(g.unitX, 4);
    EXPECT_EQ(g.unitY, 2);
    PrinterFigures tall{300, 600, 2480, 7016, 0, 0};
    EXPECT_EQ(pageGeometry(tall, {20, 20, 0, 0, 2}).unitX, 2);
    EXPECT_EQ(pageGeometry(tall, {20, 20, 0, 0, 2}).unitY, 4);
}

TEST(PageGeometry, PrintableAreaLeavesTheMarginsAndTheTitleRoom) {
    // A4 at 600 dpi, the default layout: 20 mm = 472 px left, 20 + 7 mm = 638 px at the top
    const PageGeometry g = pageGeometry(kA4At600Dpi, {20, 20, 0, 0, 1});
    EXPECT_EQ(g.marginLeft, 472);
    EXPECT_EQ(g.marginTop, 638);
    EXPECT_EQ(g.printableWidth, 4960 - 472);
    EXPECT_EQ(g.printableHeight, 7016 - 638);
    // AND with Reso 2 the page holds half as many units, the pixel margins taken as units
    const PageGeometry r2 = pageGeometry(kA4At600Dpi, {20, 20, 10, 5, 2});
    EXPECT_EQ(r2.printableWidth, 2480 - 472 - 236);
    EXPECT_EQ(r2.printableHeight, 3508 - 638 - 118);
    // AND "Page %d" ends a character short of the right margin: 210 mm less 20 mm, less 7 characters
    EXPECT_EQ(g.titleWidth, 1900);
    EXPECT_EQ(pageNumberX(g, 6), 1900 - 7 * 25);
    // AND a printer without figures gives nothing to print
    EXPECT_FALSE(pageGeometry({0, 0, 0, 0, 0, 0}, {}).printable());
}

PrintSource sourceOf(const std::vector<SongRecord>& song, bool grandStaff = false) {
    PrintSource source;
    source.records = song;
    source.table.rebuild(song, SongInfo::defaults(), {.grandStaff = grandStaff});
    source.documentTitle = "song.PLM";
    return source;
}

// `count` lines; every third spans both staves (153 high), the others are treble lines (102).
std::vector<SongRecord> longSong(int count) {
    std::vector<SongRecord> song;
    for (int i = 0; i < count; ++i) {
        if (i % 3 == 0) addGroups(song, {note(3, 50), note(3, 70)});
        else addGroups(song, {note(3, 72), note(3, 74)});
        if (i + 1 < count) addGroups(song, {lineBreak()});
    }
    return song;
}

TEST(Pagination, ALongSongPrintsEveryLineOnceAndNoPageCouldTakeMore) {
    const std::vector<SongRecord> song = longSong(300);
    for (int reso : {1, 3}) {
        const PrintSource source = sourceOf(song);
        const PrintPlan plan = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, reso}, false);
        const int height = plan.geometry.printableHeight;
        ASSERT_GT(plan.pageCount(), 1);
        int next = 0;
        for (const LineRange& page : plan.pages) {
            EXPECT_EQ(page.first, next);
            const int top = source.table.line(page.first).top;
            EXPECT_LT(source.table.line(page.last).bottom() - top, height) << "line " << page.last << " is cut";
            if (page.last < 299) {
                EXPECT_GE(source.table.line(page.last + 1).bottom() - top, height);
            }
            next = page.last + 1;
        }
        EXPECT_EQ(next, 300);
    }
}

TEST(Pagination, GrandStaffPagesHoldAFixedNumberOfWholeLines) {
    const PrintSource source = sourceOf(longSong(300), true);
    const PrintPlan plan = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, 2}, false);
    const int perPage = 2870 / 139;  // printable height over the printed grand-staff pitch
    ASSERT_EQ(plan.pageCount(), 15);
    for (int p = 0; p < plan.pageCount(); ++p) {
        const LineRange page = plan.pages[std::size_t(p)];
        EXPECT_EQ(page, (LineRange{p * perPage, std::min(p * perPage + perPage - 1, 299)}));
    }
    // AND the page's drawing and numbers follow its lines
    const PrintedPage second = *plan.page(source, 2);
    EXPECT_EQ(second.view.topLine, perPage);
    EXPECT_EQ(second.numbers.front().text, std::to_string(perPage + 1));
    EXPECT_EQ(second.numbers.back().text, std::to_string(2 * perPage));
}

TEST(Pagination, AShortSongIsOnePageNumberedOne) {
    std::vector<SongRecord> song = longSong(3);
    const PrintSource source = sourceOf(song);
    const PrintPlan plan = planPrint(source, kA4At600Dpi, {}, false);
    ASSERT_EQ(plan.pageCount(), 1);
    const auto page = plan.page(source, 1);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->number, 1);
    EXPECT_TRUE(page->last);
    EXPECT_EQ(pageNumberText(page->number), "Page 1");
    EXPECT_FALSE(plan.page(source, 2));
    // AND the score is drawn down to the song's last line only, as wide as the printable area
    EXPECT_EQ(page->view.height, source.table.line(2).bottom());
    EXPECT_EQ(page->view.width, plan.geometry.printableWidth);
    // AND the line numbers stand at each line's top
    ASSERT_EQ(page->numbers.size(), 3u);
    EXPECT_EQ(page->numbers[1].y, 153);
    EXPECT_EQ(page->numbers[2].text, "3");
}

TEST(Pagination, TheSelectionPrintsOnlyItsLinesWithTheirNumbersInTheSong) {
    PrintSource source = sourceOf(longSong(40));
    source.anchor = {17, 1};
    source.cursor = {12, 0};  // the range runs backwards
    const PrintPlan plan = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, 1}, true);
    ASSERT_EQ(plan.pageCount(), 1);
    const PrintedPage page = *plan.page(source, 1);
    EXPECT_EQ(page.lines, (LineRange{12, 17}));
    ASSERT_EQ(page.numbers.size(), 6u);
    EXPECT_EQ(page.numbers.front().text, "13");
    EXPECT_EQ(page.numbers.front().y, 0);
    EXPECT_EQ(page.numbers.back().text, "18");
    EXPECT_EQ(page.view.anchor, source.anchor) << "the printed selection keeps its highlight";
    // WHEN the whole song is printed THEN the selection is collapsed onto the cursor
    const PrintPlan whole = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, 1}, false);
    EXPECT_EQ(whole.pages.front().first, 0);
    EXPECT_EQ(whole.page(source, 1)->view.anchor, source.cursor);
    // AND the selection option without a range prints the whole song
    source.anchor = source.cursor;
    EXPECT_EQ(planPrint(source, kA4At600Dpi, {}, true).pages.front().first, 0);
}

TEST(PrintTitle, AProjectMemberPrintsTheProjectTitle) {
    ProjectData project = ProjectData::fresh();
    project.setTitle("組曲");
    ASSERT_TRUE(project.setMemberPath(3, "/music/Suite/Part1.PLM"));
    PrintSource source = sourceOf(longSong(1));
    source.project = &project;
    source.path = "/music/Suite/Part1.PLM";
    EXPECT_EQ(printTitle(source), "組曲");
    source.path = "/MUSIC/suite/part1.plm";  // differs only in letter case
    EXPECT_EQ(printTitle(source), "組曲");
    source.path = "/music/Suite/Part2.PLM";
    EXPECT_EQ(printTitle(source), "song.PLM");
    source.path.clear();  // a new song
    EXPECT_EQ(printTitle(source), "song.PLM");
    source.path = "/music/Suite/Part1.PLM";
    source.project = nullptr;  // no current project
    EXPECT_EQ(printTitle(source), "song.PLM");
}

}  // namespace
}  // namespace plume
