#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <cstdlib>
#include <memory>

#include "cli/commands.h"
#include "cli/print_command.h"
#include "print/qt/page_painter.h"
#include "score/glyphs.h"
#include "score/qt/qt_canvas.h"

namespace plume::cli {

namespace {

// Fonts need a GUI application; the command line has no display, so it draws offscreen.
std::unique_ptr<QGuiApplication> guiApplication() {
    if (QCoreApplication::instance()) return nullptr;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "plume-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int writePrintPdf(const std::string& path, const PrintSource& source, const PrintPlan& plan, std::ostream& out,
                  std::ostream& err) {
    const auto app = guiApplication();
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(kA4At600Dpi.dpiX);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(QString::fromStdString(plan.title));
    writer.setCreator(QStringLiteral("Plume"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        err << "plume-cli: " << path << ": cannot write the file\n";
        return kBadData;
    }
    const GlyphSet glyphs;
    platform::GlyphImages images;
    const int pages = platform::paintPages(painter, [&writer] { return writer.newPage(); }, source, plan, glyphs,
                                           images);
    if (!painter.end()) {
        err << "plume-cli: " << path << ": cannot write the file\n";
        return kBadData;
    }
    out << "wrote " << path << ' ' << pages << (pages == 1 ? " page\n" : " pages\n");
    return kOk;
}

}  // namespace plume::cli
