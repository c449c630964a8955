// Printing with Qt offscreen: the page-layout dialog, the print dialog's options, the printed pages.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTimer>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "print/qt/page_layout_dialog.h"
#include "print/print_songs.h"
#include "print/qt/page_painter.h"
#include "print/qt/print_song.h"
#include "score/glyphs.h"
#include "score/qt/qt_canvas.h"
#include "score/qt/score_image.h"
#include "support/qt_test_app.h"

namespace plume {
namespace {

using namespace test;

TEST(PageLayoutDialog, AWrongFieldKeepsTheDialogOpenWithTheFocusOnIt) {
    qtApp();
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile("[Print Layout]\nLeft=10\nUp=15\nRIGHT=5\nDown=3\nReso=2\n");
    QPrinter printer;
    PageLayoutDialog dialog(profile, printer);
    dialog.show();

    // a left margin of 51: its message, the focus there, still open
    dialog.field(PageLayoutField::Left)->setText("51");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.field(PageLayoutField::Left));
    // all right: the dialog closes with the values written
    dialog.field(PageLayoutField::Left)->setText("0");
    dialog.field(PageLayoutField::Resolution)->setText("10");
    dialog.accept();
    EXPECT_EQ(std::pair(dialog.isVisible(), dialog.result()), std::pair(false, int(QDialog::Accepted)));
    EXPECT_EQ(loadPageLayout(profile), (PageLayout{0, 15, 5, 3, 10}));
}

TEST(PrintDialog, TheSelectionOptionOnlyWithARange) {
    qtApp();
    const std::vector<SongRecord> song = longSong(4);
    PrintSource source = sourceOf(song);
    QPrinter printer;
    const auto prepared = [&] {
        QPrintDialog dialog(&printer);
        preparePrintDialog(dialog, source);
        return std::pair(dialog.testOption(QAbstractPrintDialog::PrintSelection), dialog.printRange());
    };
    EXPECT_EQ(prepared(), std::pair(false, QAbstractPrintDialog::AllPages));
    source.anchor = {1, 0};
    source.cursor = {2, 3};
    EXPECT_EQ(prepared(), std::pair(true, QAbstractPrintDialog::Selection));
}

int darkPixels(const QImage& image, const QRect& rect) {
    int dark = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

TEST(PagePainter, APageIsTheTitleTheOrdinaryScoreAndTheLineNumbers) {
    qtApp();
    const std::vector<SongRecord> song = longSong(60);
    const PrintSource source = sourceOf(song);
    // A4 at 150 dpi: margins 20 mm = 118 px, the score 27 mm = 159 px down
    const PrinterFigures printer{150, 150, 1240, 1754, 0, 0};
    const PrintPlan plan = planPrint(source, printer, {}, false);
    ASSERT_GT(plan.pageCount(), 1);
    const PrintedPage page = *plan.page(source, 2);
    QImage image(printer.pageWidth, printer.pageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const GlyphSet glyphs;
    platform::GlyphImages images;
    platform::paintPage(painter, source, plan, page, glyphs, images);
    painter.end();

    const PageGeometry& g = plan.geometry;
    ASSERT_EQ(g.marginLeft, 118);
    ASSERT_EQ(g.marginTop, 159);
    // the title at the top margin, nothing above it ("Page 2"'s place is the plan's pageNumberX)
    EXPECT_GT(darkPixels(image, {118, 118, 100, 30}), 20);
    EXPECT_EQ(darkPixels(image, {0, 0, 1240, 110}), 0);
    // the score area is the ordinary drawing of the page's lines, right of the line numbers
    const int extent = page.view.height;
    const QImage screen = platform::renderScoreImage(
        song, SongInfo::defaults(), glyphs, images,
        {.width = g.printableWidth, .firstLine = page.lines.first, .height = extent});
    const QRect scoreRight(30, 0, g.printableWidth - 30, extent);
    EXPECT_TRUE(image.copy(scoreRight.translated(118, 159)) == screen.copy(scoreRight));
    // a number at the first line's top, at the score's left edge (the numbers' places are the plan's test)
    EXPECT_GT(darkPixels(image, {118, 159, 20, 12}), 5);
    // nothing below the page's last line: the next page's first line is not drawn cut
    EXPECT_EQ(darkPixels(image, {0, 159 + extent, 1240, 1754 - 159 - extent}), 0);
}

// The preview prints through printTo; the command line's test reads the PDF it writes.
TEST(PrintSong, ThePreviewGetsEveryPageInTheProfilesLayout) {
    qtApp();
    platform::MemoryProfile app("[Print Layout]\nReso=2\n");
    platform::installProfiles(nullptr, &app);
    const std::vector<SongRecord> song = longSong(80);
    const PrintSource source = sourceOf(song);
    const int expected = planPrint(source, printerFigures(sharedPrinter()), printingLayout(app), false).pageCount();
    int shown = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* preview = dialog ? dialog->findChild<QPrintPreviewWidget*>() : nullptr;
        if (!preview || preview->pageCount() == 0) return;
        shown = preview->pageCount();
        dialog->close();
    });
    poll.start(50);
    previewSong(nullptr, source);
    platform::installProfiles(nullptr, nullptr);
    EXPECT_GT(expected, 1);
    EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace plume
