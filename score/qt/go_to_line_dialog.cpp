#include "score/qt/go_to_line_dialog.h"

#include "song/qt/song_fields_widget.h"

#include <QDialogButtonBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace plume {

GoToLineDialog::GoToLineDialog(const GoToLineForm& form, QWidget* parent) : QDialog(parent), m_form(form) {
    setWindowTitle(QStringLiteral("行番号の指定"));
    auto* last = new QLabel(QString::fromStdString(m_form.lastLineText()), this);
    m_number = new QLineEdit(this);
    m_number->setValidator(new QIntValidator(0, 99999, m_number));

    auto* buttons = makeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(last);
    layout->addWidget(m_number);
    layout->addWidget(buttons);
}

void GoToLineDialog::accept() {
    // An empty field counts as 0 and is refused with the range message.
    m_line = m_form.accept(m_number->text().toInt());
    if (m_line) QDialog::accept();
}

}  // namespace plume
