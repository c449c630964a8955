#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace plume::platform {

Answer QtMessageBox::show(std::string_view text, Buttons buttons) {
    QMessageBox box(m_parent ? m_parent.data() : QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Plume"));
    box.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    const bool question = buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel;
    box.setIcon(question ? QMessageBox::Question : QMessageBox::Warning);
    auto add = [&box](QMessageBox::StandardButton button, const char* label) {
        box.addButton(button)->setText(QString::fromUtf8(label));
    };
    switch (buttons) {
    case Buttons::Ok:
        add(QMessageBox::Ok, "OK");
        break;
    case Buttons::OkCancel:
        add(QMessageBox::Ok, "OK");
        add(QMessageBox::Cancel, "キャンセル");
        break;
    case Buttons::YesNo:
        add(QMessageBox::Yes, "はい(&Y)");
        add(QMessageBox::No, "いいえ(&N)");
        break;
    case Buttons::YesNoCancel:
        add(QMessageBox::Yes, "はい(&Y)");
        add(QMessageBox::No, "いいえ(&N)");
        add(QMessageBox::Cancel, "キャンセル");
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::YesNo ? Answer::No : buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

}  // namespace plume::platform
