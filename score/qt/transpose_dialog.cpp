#include "score/qt/transpose_dialog.h"

#include "song/qt/song_fields_widget.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace plume {

TransposeDialog::TransposeDialog(const TransposeForm& form, QWidget* parent) : QDialog(parent), m_form(form) {
    setWindowTitle(QStringLiteral("編集－トランスポーズ"));
    m_semitones = new QRadioButton(QStringLiteral("半音で指定する"), this);
    m_octaves = new QRadioButton(QStringLiteral("オクターブで指定する"), this);
    m_semitones->setChecked(m_form.unit() == TransposeForm::Unit::Semitones);
    m_octaves->setChecked(m_form.unit() == TransposeForm::Unit::Octaves);
    connect(m_semitones, &QRadioButton::toggled, this, &TransposeDialog::unitChosen);

    m_amount = new QSpinBox(this);
    m_amount->setRange(m_form.minimum(), m_form.maximum());
    m_amount->setValue(m_form.value());
    auto* amount = new QFormLayout;
    amount->addRow(QStringLiteral("移動量"), m_amount);

    auto* buttons = makeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_semitones);
    layout->addWidget(m_octaves);
    layout->addLayout(amount);
    layout->addWidget(buttons);
}

void TransposeDialog::unitChosen() {
    m_form.setValue(m_amount->value());
    m_form.setUnit(m_octaves->isChecked() ? TransposeForm::Unit::Octaves : TransposeForm::Unit::Semitones);
    m_amount->setRange(m_form.minimum(), m_form.maximum());
    m_amount->setValue(m_form.value());
}

void TransposeDialog::accept() {
    m_form.setValue(m_amount->value());
    if (m_form.semitones()) QDialog::accept();
}

}  // namespace plume
