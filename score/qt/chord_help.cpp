#include "score/qt/chord_help.h"

#include <QDir>
#include <QFile>
#include <QTextBrowser>

#include "platform/data_files.h"
#include "platform/message_box.h"

namespace plume {

QString chordHelpPath() { return QString::fromStdString(platform::dataFile("chord.hlp").string()); }

QTextBrowser* showChordHelp(QWidget* parent, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        platform::messageBox().show(
            platform::formatMessage("%s\nファイルがありません。", QDir::toNativeSeparators(path).toStdString().c_str()));
        return nullptr;
    }
    auto* browser = new QTextBrowser(parent);
    browser->setWindowFlag(Qt::Window);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setWindowTitle(QStringLiteral("コード進行のヘルプ"));
    browser->setHtml(QString::fromUtf8(file.readAll()));
    browser->resize(640, 560);
    browser->show();
    return browser;
}

}  // namespace plume
