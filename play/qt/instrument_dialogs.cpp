#include "play/qt/instrument_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace plume {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// "OK" and "ｷｬﾝｾﾙ", as these two dialogs name them.
QDialogButtonBox* okCancel(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    auto* buttons = new QDialogButtonBox(dialog);
    ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    cancel = buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// A list as tall as `rows` entries.
void showRows(QListWidget* list, int rows) {
    list->setMinimumHeight(list->sizeHintForRow(0) * rows + 2 * list->frameWidth() + 4);
}

}  // namespace

// ---- melody instruments ----------------------------------------------------------------------------

MelodyInstrumentDialog::MelodyInstrumentDialog(Tone current, int tempo, TestPlayer& player, QWidget* parent)
    : QDialog(parent), m_selection(current, tempo), m_player(player) {
    setWindowTitle(QStringLiteral("メロディー楽器の選択"));

    auto* families = new QGroupBox(this);
    auto* familyGrid = new QGridLayout(families);
    familyGrid->setSpacing(2);
    m_families = new QButtonGroup(this);
    for (int f = 0; f < kFamilyCount; ++f) {
        auto* button = new QPushButton(qs(familyName(f)), families);
        button->setCheckable(true);
        button->setAutoDefault(false);
        m_families->addButton(button, f);
        familyGrid->addWidget(button, f / 2, f % 2);
    }
    connect(m_families, &QButtonGroup::idClicked, this, &MelodyInstrumentDialog::familyChosen);

    m_tones = new QListWidget(this);
    m_tones->setMinimumWidth(m_tones->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18);
    connect(m_tones, &QListWidget::currentRowChanged, this, [this](int row) { m_selection.selectTone(row); });
    connect(m_tones, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    auto* test = new QGroupBox(QStringLiteral("テスト演奏"), this);
    m_lengths = new QListWidget(test);
    for (std::string_view name : kTestNoteLengthNames) m_lengths->addItem(qs(name));
    m_lengths->setCurrentRow(m_selection.noteLength());
    showRows(m_lengths, int(kTestNoteLengthNames.size()));
    m_lengths->setMaximumHeight(m_lengths->minimumHeight());
    m_lengths->setMinimumWidth(m_lengths->sizeHintForColumn(0) + 2 * m_lengths->frameWidth() + 8);
    connect(m_lengths, &QListWidget::currentRowChanged, this, [this](int row) { m_selection.setNoteLength(row); });
    m_shift = new QSpinBox(test);
    m_shift->setRange(kOctaveShiftMin, kOctaveShiftMax);
    m_shift->setValue(m_selection.octaveShift());
    connect(m_shift, &QSpinBox::valueChanged, this, [this](int shift) { m_selection.setOctaveShift(shift); });
    auto* shiftLabel = new QLabel(QStringLiteral("ｼﾌﾄ(&S)"), test);
    shiftLabel->setBuddy(m_shift);
    m_play = new QPushButton(QStringLiteral("Play"), test);
    m_stop = new QPushButton(QStringLiteral("Stop"), test);
    for (QPushButton* b : {m_play, m_stop}) b->setAutoDefault(false);
    connect(m_play, &QPushButton::clicked, this, &MelodyInstrumentDialog::play);
    connect(m_stop, &QPushButton::clicked, this, &MelodyInstrumentDialog::stop);
    auto* shiftRow = new QHBoxLayout;
    shiftRow->addWidget(shiftLabel);
    shiftRow->addWidget(m_shift);
    auto* testButtons = new QVBoxLayout;
    testButtons->addLayout(shiftRow);
    testButtons->addWidget(m_play);
    testButtons->addWidget(m_stop);
    testButtons->addStretch();
    auto* testLayout = new QHBoxLayout(test);
    testLayout->addWidget(m_lengths);
    testLayout->addLayout(testButtons);

    m_remove = new QCheckBox(QStringLiteral("削除する"), this);
    connect(m_remove, &QCheckBox::toggled, this, [this](bool on) { m_selection.setRemoveChecked(on); });
    auto* buttons = okCancel(this, m_ok, m_cancel);

    auto* right = new QVBoxLayout;
    right->addWidget(m_tones, 1);
    right->addWidget(test);
    auto* top = new QHBoxLayout;
    top->addWidget(families);
    top->addLayout(right, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_remove);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    m_families->button(m_selection.family())->setChecked(true);
    listTones();
    showButtons();
}

MelodyInstrumentDialog::~MelodyInstrumentDialog() {
    if (m_selection.isTestPlaying()) m_player.stopTest();
}

QAbstractButton* MelodyInstrumentDialog::familyButton(int family) const { return m_families->button(family); }

void MelodyInstrumentDialog::familyChosen(int family) {
    m_selection.chooseFamily(family);
    listTones();
}

void MelodyInstrumentDialog::listTones() {
    const QSignalBlocker quiet(m_tones);
    m_tones->clear();
    for (const ToneEntry& tone : m_selection.tones()) m_tones->addItem(qs(tone.name));
    m_tones->setCurrentRow(m_selection.selectedTone());
    if (m_selection.selectedTone() != kNoSelection) m_tones->scrollToItem(m_tones->currentItem());
}

void MelodyInstrumentDialog::play() {
    const auto test = m_selection.prepareTestPlay();
    if (!test || !m_player.startTest(*test, [this] { testEnded(); })) return;
    m_selection.testPlayStarted();
    showButtons();
}

void MelodyInstrumentDialog::stop() {
    if (!m_selection.isTestPlaying()) return;
    m_player.stopTest();
    testEnded();
}

void MelodyInstrumentDialog::testEnded() {
    m_selection.testPlayEnded();
    showButtons();
}

void MelodyInstrumentDialog::showButtons() {
    m_play->setEnabled(m_selection.canPlay());
    m_stop->setEnabled(m_selection.canStop());
    m_ok->setEnabled(m_selection.canClose());
    m_cancel->setEnabled(m_selection.canClose());
}

void MelodyInstrumentDialog::accept() {
    if (m_selection.canClose()) QDialog::accept();
}

void MelodyInstrumentDialog::reject() {
    if (m_selection.canClose()) QDialog::reject();
}

// ---- drum sets ---------------------------------------------------------------------------------------

DrumSetDialog::DrumSetDialog(const SongInfo& info, QWidget* parent) : QDialog(parent), m_selection(info) {
    setWindowTitle(QStringLiteral("ドラムセット"));
    m_sets = new QListWidget(this);
    for (const DrumSet& set : m_selection.sets()) m_sets->addItem(qs(set.name));
    m_sets->setCurrentRow(m_selection.selectedSet());
    showRows(m_sets, 12);
    m_sets->setMinimumWidth(m_sets->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 14);
    connect(m_sets, &QListWidget::currentRowChanged, this, [this](int row) { m_selection.chooseSet(row); });
    connect(m_sets, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    m_remove = new QCheckBox(QStringLiteral("削除する"), this);
    connect(m_remove, &QCheckBox::toggled, this, [this](bool on) { m_selection.setRemoveChecked(on); });
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    auto* buttons = okCancel(this, ok, cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sets, 1);
    layout->addWidget(m_remove);
    layout->addWidget(buttons);
}

}  // namespace plume
