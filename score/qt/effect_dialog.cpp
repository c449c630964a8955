#include "score/qt/effect_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "score/note_entry.h"
#include "song/qt/song_fields_widget.h"

namespace plume {

EffectDialog::EffectDialog(CPlmDoc& doc, ScoreView& view, std::size_t group, std::uint8_t number, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_view(view), m_form(doc, group, number) {
    setWindowTitle(QStringLiteral("効果の設定"));
    m_kind = new QComboBox(this);
    for (std::size_t i = 0; i < 8; ++i) m_kind->addItem(QString::fromUtf8(kEffectCommands[i].text));
    m_value = new QLineEdit(this);
    // The spin button beside the field: only its arrows are meant to be used.
    m_spin = new QSpinBox(this);
    m_spin->setFixedWidth(m_spin->sizeHint().height() + 4);
    m_spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_set = new QRadioButton(QStringLiteral("設定する"), this);
    m_delete = new QRadioButton(QStringLiteral("削除する"), this);
    m_set->setChecked(true);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(m_value);
    valueRow->addWidget(m_spin);
    auto* choice = new QHBoxLayout;
    choice->addWidget(m_set);
    choice->addWidget(m_delete);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("種別"), m_kind);
    form->addRow(QStringLiteral("値"), valueRow);
    form->addRow(QString(), m_slider);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(choice);
    layout->addWidget(makeOkCancelButtons(this));

    m_kind->setCurrentIndex(number < 8 ? number : 0);
    showForm();

    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_form.setNumber(std::uint8_t(index));
        showForm();
    });
    connect(m_value, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_form.setValueText(text.toStdString());
        m_syncing = true;
        m_slider->setValue(m_form.sliderValue());
        m_spin->setValue(m_form.sliderValue());
        m_syncing = false;
    });
    const auto moved = [this](int v) {
        if (m_syncing) return;
        m_form.setValue(v);
        showForm();
    };
    connect(m_slider, &QSlider::valueChanged, this, moved);
    connect(m_spin, &QSpinBox::valueChanged, this, moved);
}

void EffectDialog::showForm() {
    const EffectBounds b = m_form.bounds();
    m_syncing = true;
    m_slider->setRange(b.minimum, b.maximum);
    m_slider->setPageStep(b.pageStep);
    m_spin->setRange(b.minimum, b.maximum);
    m_slider->setValue(m_form.sliderValue());
    m_spin->setValue(m_form.sliderValue());
    m_value->setText(QString::fromStdString(m_form.valueText()));
    m_syncing = false;
}

void EffectDialog::accept() {
    m_form.setValueText(m_value->text().toStdString());
    m_form.setDeletes(m_delete->isChecked());
    if (!m_form.accept(m_doc, m_view)) return;  // the message was shown; the dialog stays
    QDialog::accept();
}

bool showEffectDialog(QWidget* parent, CPlmDoc& doc, ScoreView& view, std::uint8_t number) {
    EffectDialog dialog(doc, view, cursorRecord(view), number, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace plume
