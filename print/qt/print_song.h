#pragma once
// Print, print preview and the page layout of the active song, through Qt's print support. Each
// entry function is complete in itself: the main frame only builds the PrintSource from its view.

#include "print/print_plan.h"

class QPrintDialog;
class QPrinter;
class QWidget;

namespace plume {

class ProjectData;
class ScoreView;

namespace platform {
class Profile;
}

// The printer of the session, shared by print, print preview and the printer setup.
QPrinter& sharedPrinter();

// What a score view prints: its song, line table (with the line marks), cursor and anchor.
PrintSource printSourceOf(const ScoreView& view, const std::filesystem::path& path, std::string documentTitle,
                          const ProjectData* project);

// The printer's resolution, physical page and printing offset in device pixels; the printer's
// margins are brought down to the smallest it allows, so the offset is its unprintable border.
PrinterFigures printerFigures(QPrinter& printer);

// The print dialog's options: no page numbers and no print to file; the selection option enabled and
// chosen only when the song has a range.
void preparePrintDialog(QPrintDialog& dialog, const PrintSource& source);

// Every page on a printer that is set up, with the layout of the application profile. Returns the
// pages printed.
int printTo(QPrinter& printer, const PrintSource& source, bool selection);

// The print command: the print dialog, then the pages. Returns the pages printed, 0 when cancelled.
int printSong(QWidget* parent, const PrintSource& source);
// The print preview command: the pages in Qt's preview window (the selection when one is selected).
void previewSong(QWidget* parent, const PrintSource& source);
// The page-layout command (32895): the dialog "ﾍﾟｰｼﾞﾚｱｳﾄの設定" on the application profile.
void showPageLayoutDialog(QWidget* parent);

}  // namespace plume
