#include "score/time_signature_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "song/project_form.h"

namespace plume {

TimeSignatureDialog::TimeSignatureDialog(const TimeSignatureForm& form, QWidget* parent)
    : QDialog(parent), m_form(form) {
    setWindowTitle(QStringLiteral("拍子"));
    m_numerator = new QSpinBox(this);
    m_numerator->setRange(kNumeratorMin, kNumeratorMax);
    m_numerator->setValue(m_form.numerator);
    m_denominator = new QComboBox(this);
    for (const char* name : kDenominatorNames) m_denominator->addItem(QString::fromUtf8(name));
    m_denominator->setCurrentIndex(m_form.denominator);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("分子"), m_numerator);
    fields->addRow(QStringLiteral("分母"), m_denominator);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TimeSignatureDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TimeSignatureDialog::reject);

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
