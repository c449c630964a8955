#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "print/page_layout.h"
#include "print/print_plan.h"
#include "print/print_songs.h"
#include "song/project.h"

namespace plume {
namespace {

using namespace test;

TEST(PageGeometry, OffsetsEatIntoMarginsButNeverBelowZeroAndResoMapsUnitsAlongTheLowerResolution) {
    // a 600 dpi printer whose unprintable border is 25.4 mm across and 12.7 mm down
    const PageGeometry g = pageGeometry({.offsetX = 600, .offsetY = 300}, {20, 20, 3, 4, 1});
    EXPECT_EQ(std::pair(g.offsetMmX, g.offsetMmY), std::pair(25, 13));
    // the left margin, smaller than the offset, is 0; the right and bottom ones grow by the offsets
    EXPECT_EQ((std::array{g.leftMm, g.topMm, g.rightMm, g.bottomMm}), (std::array{0, 7, 28, 17}));
    // {dpi x, dpi y, reso, unit x, unit y}
    for (const auto& [dpiX, dpiY, reso, x, y] : {std::array{600, 600, 1, 1, 1}, std::array{600, 300, 2, 4, 2}}) {
        const PageGeometry r = pageGeometry({dpiX, dpiY, 4960, 7016, 0, 0}, {20, 20, 0, 0, reso});
        EXPECT_EQ(std::pair(r.unitX, r.unitY), std::pair(x, y)) << dpiX << "x" << dpiY << " reso " << reso;
    }
}

TEST(PageGeometry, PrintableAreaLeavesTheMarginsAndTheTitleRoom) {
    // A4 at 600 dpi, the default layout: 20 mm = 472 px left, 20 + 7 mm = 638 px at the top
    const PageGeometry g = pageGeometry(kA4At600Dpi, {20, 20, 0, 0, 1});
    EXPECT_EQ((std::array{g.marginLeft, g.marginTop, g.printableWidth, g.printableHeight}),
              (std::array{472, 638, 4960 - 472, 7016 - 638}));
    // with Reso 2 the page holds half as many units, the pixel margins taken as units
    const PageGeometry r2 = pageGeometry(kA4At600Dpi, {20, 20, 10, 5, 2});
    EXPECT_EQ(std::pair(r2.printableWidth, r2.printableHeight), std::pair(2480 - 472 - 236, 3508 - 638 - 118));
    // "Page %d" ends a character short of the right margin: 210 mm less 20 mm, less 7 characters
    EXPECT_EQ(g.titleWidth, 1900);
    EXPECT_EQ(pageNumberX(g, 6), 1900 - 7 * 25);
    EXPECT_FALSE(pageGeometry({0, 0, 0, 0, 0, 0}, {}).printable());
}

// Each line number's text and height on its page.
using Numbers = std::vector<std::pair<std::string, int>>;
Numbers numbersOf(const PrintedPage& page) {
    Numbers out;
    for (const LineNumberLabel& n : page.numbers) out.emplace_back(n.text, n.y);
    return out;
}

// Every line printed once and full pages are the print command's page lists in the command-line tests.
TEST(Pagination, ALineReachingThePrintableHeightExactlyGoesToTheNextPage) {
    const std::vector<SongRecord> song = longSong(21);
    const PrintSource source = sourceOf(song);
    const LineTable& table = source.table;
    const int exact = table.line(5).bottom() - table.line(0).top;
    EXPECT_EQ(paginate(table, {0, 20}, exact).front(), (LineRange{0, 4}));
    EXPECT_EQ(paginate(table, {0, 20}, exact + 1).front(), (LineRange{0, 5}));
}

TEST(Pagination, GrandStaffPagesHoldAFixedNumberOfWholeLines) {
    const std::vector<SongRecord> song = longSong(300);
    const PrintSource source = sourceOf(song, true);
    const PrintPlan plan = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, 2}, false);
    const int perPage = 2870 / 139;  // printable height over the printed grand-staff pitch
    ASSERT_EQ(plan.pageCount(), 15);
    for (int p = 0; p < plan.pageCount(); ++p) {
        const LineRange page = plan.pages[std::size_t(p)];
        EXPECT_EQ(page, (LineRange{p * perPage, std::min(p * perPage + perPage - 1, 299)}));
    }
}

TEST(Pagination, AShortSongIsOnePageNumberedOne) {
    const std::vector<SongRecord> song = longSong(3);
    const PrintSource source = sourceOf(song);
    const PrintPlan plan = planPrint(source, kA4At600Dpi, {}, false);
    ASSERT_EQ(plan.pageCount(), 1);
    const auto page = plan.page(source, 1);
    ASSERT_TRUE(page);
    EXPECT_EQ(std::tuple(page->number, page->last, pageNumberText(page->number)), std::tuple(1, true, "Page 1"));
    EXPECT_FALSE(plan.page(source, 2));
    // drawn down to the song's last line only, as wide as the printable area, a number at each line's top
    EXPECT_EQ(page->view.height, source.table.line(2).bottom());  // the width: the page painter's test
    EXPECT_EQ(numbersOf(*page), (Numbers{{"1", 0}, {"2", 153}, {"3", 255}}));
}

TEST(Pagination, TheSelectionPrintsOnlyItsLinesWithTheirNumbersInTheSong) {
    const std::vector<SongRecord> song = longSong(40);
    PrintSource source = sourceOf(song);
    source.anchor = {17, 1};
    source.cursor = {12, 0};  // the range runs backwards
    const PrintPlan plan = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, 1}, true);
    ASSERT_EQ(plan.pageCount(), 1);
    const PrintedPage page = *plan.page(source, 1);
    EXPECT_EQ(page.lines, (LineRange{12, 17}));
    // lines 12 and 15 span both staves
    EXPECT_EQ(numbersOf(page), (Numbers{{"13", 0}, {"14", 153}, {"15", 255}, {"16", 357}, {"17", 510}, {"18", 612}}));
    EXPECT_EQ(page.view.anchor, source.anchor) << "the printed selection keeps its highlight";
    // the whole song printed: the selection is collapsed onto the cursor
    const PrintPlan whole = planPrint(source, kA4At600Dpi, {20, 20, 0, 0, 1}, false);
    EXPECT_EQ(whole.pages.front().first, 0);
    EXPECT_EQ(whole.page(source, 1)->view.anchor, source.cursor);
    // the selection option without a range prints the whole song
    source.anchor = source.cursor;
    EXPECT_EQ(planPrint(source, kA4At600Dpi, {}, true).pages.front().first, 0);
}

TEST(PrintTitle, AProjectMemberPrintsTheProjectTitle) {
    ProjectData project = ProjectData::fresh();
    project.setTitle("組曲");
    ASSERT_TRUE(project.setMemberPath(3, "/music/Suite/Part1.PLM"));
    const std::vector<SongRecord> song = longSong(1);
    PrintSource source = sourceOf(song);
    source.project = &project;
    source.path = "/music/Suite/Part1.PLM";
    EXPECT_EQ(printTitle(source), "組曲");
    source.path = "/music/Suite/Part2.PLM";
    EXPECT_EQ(printTitle(source), "song.PLM");
}

TEST(PageLayoutSettings, DefaultsCaseFreeKeysAndTheSmallRight) {
    EXPECT_EQ(loadPageLayout(platform::MemoryProfile()), (PageLayout{20, 20, 0, 0, 1}));
    // keys in other letter cases are read all the same
    platform::MemoryProfile mixed("[print layout]\nLEFT=5\nup=6\nRight=7\ndown=8\nRESO=3\n");
    EXPECT_EQ(loadPageLayout(mixed), (PageLayout{5, 6, 7, 8, 3}));
    // saved, the right margin is written under "right" and reads back
    platform::MemoryProfile saved;
    ASSERT_TRUE(savePageLayout(saved, {1, 2, 3, 4, 5}));
    EXPECT_NE(saved.text().find("right=3"), std::string::npos) << saved.text();
    EXPECT_NE(saved.text().find("[Print Layout]"), std::string::npos) << saved.text();
    // a hand-edited profile out of range prints within the ranges
    platform::MemoryProfile wild("[Print Layout]\nLeft=-4\nUp=90\nReso=0\n");
    EXPECT_EQ(printingLayout(wild), (PageLayout{0, 50, 0, 0, 1}));
}

TEST(PageLayoutForm, TheFirstWrongFieldInCheckingOrderKeepsTheDialogOpenAndValidFieldsAreWritten) {
    platform::ScriptedMessageBox box;
    // {left, top, right, bottom, resolution}; the top is checked after the right
    const std::tuple<PageLayoutForm, PageLayoutField, std::string> cases[] = {
        {{"51", "20", "0", "0", "1"}, PageLayoutField::Left, "左を0から50の数値で入力してください。"},
        {{"20", "-1", "0", "0", "1"}, PageLayoutField::Top, "上を0から50の数値で入力してください。"},
        {{"20", "20", "0", "", "1"}, PageLayoutField::Bottom, "下を0から50の数値で入力してください。"},
        {{"20", "20", "0", "0", "11"}, PageLayoutField::Resolution, "分解能を1から10の数値で入力してください。"},
        {{"20", "51", "1.5", "0", "1"}, PageLayoutField::Right, "右を0から50の数値で入力してください。"},
    };
    for (const auto& [form, field, message] : cases) {
        platform::MemoryProfile profile;
        box.clear();
        EXPECT_EQ(form.accept(profile), field) << message;
        EXPECT_EQ(box.shown(), std::vector<std::string>{message});
        EXPECT_EQ(profile.text(), "") << "nothing is written while a field is wrong";
    }
    // valid fields at their bounds are written
    platform::MemoryProfile profile;
    box.clear();
    EXPECT_EQ((PageLayoutForm{" 0", "50", "0", "50 ", "10"}.accept(profile)), std::nullopt);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(loadPageLayout(profile), (PageLayout{0, 50, 0, 50, 10}));
}

}  // namespace
}  // namespace plume
