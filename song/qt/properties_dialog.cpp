#include "song/qt/properties_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "song/qt/song_fields_widget.h"
#include "song/project.h"
#include "song/project_form.h"

namespace plume {

namespace {
QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
}  // namespace

PropertiesDialog::PropertiesDialog(const PropertiesForm& form, InstrumentChooser chooser, QWidget* parent)
    : QDialog(parent), m_form(form), m_chooser(std::move(chooser)) {
    setWindowTitle(QStringLiteral("プロパティー"));

    auto* kind = new QGroupBox(QStringLiteral("ファイル種別"), this);
    auto* kindLayout = new QHBoxLayout(kind);
    m_rhythm = new QRadioButton(qs(kFileKindNames[0]), kind);
    m_melody = new QRadioButton(qs(kFileKindNames[1]), kind);
    (m_form.isRhythm() ? m_rhythm : m_melody)->setChecked(true);
    kindLayout->addWidget(m_rhythm);
    kindLayout->addWidget(m_melody);
    connect(m_melody, &QRadioButton::toggled, this, &PropertiesDialog::kindChosen);

    m_module = new QComboBox(this);
    for (const char* name : kSoundModuleNames) m_module->addItem(qs(name));
    m_module->setCurrentIndex(m_form.soundModule() < m_module->count() ? m_form.soundModule() : -1);
    connect(m_module, &QComboBox::activated, this, &PropertiesDialog::moduleChosen);

    m_instrument = new QLabel(this);
    m_instrument->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_instrument->setMinimumWidth(200);
    m_browse = new QPushButton(QStringLiteral("参照(&B)"), this);
    m_browse->setAutoDefault(false);
    m_browse->setEnabled(bool(m_chooser));
    connect(m_browse, &QPushButton::clicked, this, &PropertiesDialog::browse);
    auto* instrument = new QHBoxLayout;
    instrument->addWidget(m_instrument, 1);
    instrument->addWidget(m_browse);
    showInstrument();

    m_key = new QComboBox(this);
    for (const char* name : kKeySignatureNames) m_key->addItem(qs(name));
    m_key->setCurrentIndex(m_form.key);
    m_tempo = new QSpinBox(this);
    m_tempo->setRange(kTempoMin, kTempoMax);
    m_tempo->setValue(m_form.tempo);

    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("音源"), m_module);
    settings->addRow(QStringLiteral("楽器"), instrument);
    settings->addRow(QStringLiteral("調号"), m_key);
    settings->addRow(QStringLiteral("テンポ"), m_tempo);

    auto* time = new QGroupBox(QStringLiteral("拍子"), this);
    auto* timeLayout = new QFormLayout(time);
    m_numerator = makeNumeratorField(m_form.numerator, time);
    timeLayout->addRow(QStringLiteral("分子"), m_numerator);
    m_denominator = makeDenominatorList(m_form.denominator, time);
    timeLayout->addRow(QStringLiteral("分母"), m_denominator);

    m_allTracks = new QCheckBox(QStringLiteral("全トラック変更する"), this);
    m_allTracks->setEnabled(m_form.canChangeAllTracks());

    auto* buttons = makeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kind);
    layout->addLayout(settings);
    layout->addWidget(time);
    layout->addWidget(m_allTracks);
    layout->addWidget(buttons);
}

void PropertiesDialog::showInstrument() { m_instrument->setText(qs(m_form.instrumentText())); }

void PropertiesDialog::kindChosen() {
    m_form.setFileKind(m_melody->isChecked() ? 1 : 0);
    showInstrument();
}

void PropertiesDialog::moduleChosen(int index) {
    m_form.setSoundModule(index);
    showInstrument();
}

void PropertiesDialog::browse() {
    if (!m_chooser) return;
    const auto chosen = m_chooser(m_form.info(), this);
    if (!chosen) return;
    m_form.setInstrument(chosen->bytes[6], chosen->bytes[7], chosen->bytes[8]);
    showInstrument();
}

void PropertiesDialog::accept() {
    m_form.key = m_key->currentIndex();
    m_form.tempo = m_tempo->value();
    m_form.numerator = m_numerator->value();
    m_form.denominator = m_denominator->currentIndex();
    m_form.allTracks = m_allTracks->isChecked();
    m_result = m_form.accept();
    QDialog::accept();
}

void PropertiesDialog::reject() {
    if (m_form.confirmCancel()) QDialog::reject();
}

}  // namespace plume
