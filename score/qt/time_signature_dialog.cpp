#include "score/qt/time_signature_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "song/qt/song_fields_widget.h"
#include "song/project_form.h"

namespace plume {

TimeSignatureDialog::TimeSignatureDialog(const TimeSignatureForm& form, QWidget* parent)
    : QDialog(parent), m_form(form) {
    setWindowTitle(QStringLiteral("拍子"));
    m_numerator = makeNumeratorField(m_form.numerator, this);
    m_denominator = makeDenominatorList(m_form.denominator, this);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("分子"), m_numerator);
    fields->addRow(QStringLiteral("分母"), m_denominator);

    auto* buttons = makeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

void TimeSignatureDialog::accept() {
    m_form.numerator = m_numerator->value();
    m_form.denominator = m_denominator->currentIndex();
    QDialog::accept();
}

}  // namespace plume
