#include "score/qt/key_signature_dialog.h"

#include "song/qt/song_fields_widget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "song/project_form.h"

namespace plume {

KeySignatureDialog::KeySignatureDialog(const KeySignatureForm& form, QWidget* parent) : QDialog(parent), m_form(form) {
    setWindowTitle(QStringLiteral("調号"));
    m_key = new QComboBox(this);
    for (const char* name : kKeySignatureNames) m_key->addItem(QString::fromUtf8(name));
    m_key->setCurrentIndex(m_form.key);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("調号"), m_key);

    auto* buttons = makeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

void KeySignatureDialog::accept() {
    m_form.key = m_key->currentIndex();
    QDialog::accept();
}

}  // namespace plume
