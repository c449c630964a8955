#pragma once
// "コード進行のヘルプ": the help file "chord.hlp" beside the program, in a text browser.

#include <QString>

class QTextBrowser;
class QWidget;

namespace plume {

// The help file's place: beside the running program.
QString chordHelpPath();
// Opens the help in a window of its own (deleted when closed); a missing file shows
// "%s\nファイルがありません。" and yields null.
QTextBrowser* showChordHelp(QWidget* parent, const QString& path = chordHelpPath());

}  // namespace plume
