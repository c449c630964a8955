#include "print/qt/print_song.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "platform/profile.h"
#include "print/qt/page_layout_dialog.h"
#include "print/qt/page_painter.h"
#include "score/glyphs.h"
#include "score/qt/qt_canvas.h"
#include "score/score_view.h"

namespace plume {

namespace {

const GlyphSet& printGlyphs() {
    static const GlyphSet glyphs;
    return glyphs;
}

}  // namespace

QPrinter& sharedPrinter() {
    // Never destroyed: the print plug-ins may be gone by the time static objects are.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

PrintSource printSourceOf(const ScoreView& view, const std::filesystem::path& path, std::string documentTitle,
                          const ProjectData* project) {
    PrintSource source;
    source.records = view.records();
    source.table = view.lines();
    source.path = path;
    source.documentTitle = std::move(documentTitle);
    source.project = project;
    source.anchor = view.anchor();
    source.cursor = view.cursor();
    return source;
}

PrinterFigures printerFigures(QPrinter& printer) {
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    return {printer.logicalDpiX(), printer.logicalDpiY(), paper.width(), paper.height(), page.left() - paper.left(),
            page.top() - paper.top()};
}

void preparePrintDialog(QPrintDialog& dialog, const PrintSource& source) {
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, source.hasRange());
    dialog.setPrintRange(source.hasRange() ? QAbstractPrintDialog::Selection : QAbstractPrintDialog::AllPages);
    dialog.setWindowTitle(QStringLiteral("印刷"));
}

int printTo(QPrinter& printer, const PrintSource& source, bool selection) {
    const PrinterFigures figures = printerFigures(printer);
    const PrintPlan plan = planPrint(source, figures, printingLayout(platform::appProfile()), selection);
    if (plan.pages.empty()) return 0;
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    platform::GlyphImages images;
    const int pages = platform::paintPages(painter, [&printer] { return printer.newPage(); }, source, plan,
                                           printGlyphs(), images);
    painter.end();
    return pages;
}

int printSong(QWidget* parent, const PrintSource& source) {
    QPrinter& printer = sharedPrinter();
    QPrintDialog dialog(&printer, parent);
    preparePrintDialog(dialog, source);
    if (dialog.exec() != QDialog::Accepted) return 0;
    return printTo(printer, source, dialog.printRange() == QAbstractPrintDialog::Selection);
}

void previewSong(QWidget* parent, const PrintSource& source) {
    QPrintPreviewDialog dialog(&sharedPrinter(), parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&source](QPrinter* printer) { printTo(*printer, source, source.hasRange()); });
    dialog.exec();
}

void showPageLayoutDialog(QWidget* parent) {
    PageLayoutDialog dialog(platform::appProfile(), sharedPrinter(), parent);
    dialog.exec();
}

}  // namespace plume
