#include "app/qt/drum_palette_window.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/profile.h"

namespace plume {

namespace {
constexpr int kDrumPaletteCommand = 32894;

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

void refill(QListWidget* list, const std::vector<std::string>& names) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& name : names) list->addItem(text(name));
}
}  // namespace

// --- the setup dialog -------------------------------------------------------------------------------

RhythmInstrumentDialog::RhythmInstrumentDialog(const SongInfo& settings, const DrumPalette& palette, int tempo,
                                               TestPlayer& player, QWidget* parent)
    : QDialog(parent), m_selection(settings, palette, tempo), m_player(player) {
    setWindowTitle(QStringLiteral("リズム楽器の選択"));
    m_sets = new QListWidget(this);
    for (const DrumSet& set : m_selection.sets()) m_sets->addItem(text(set.name));
    m_sets->setCurrentRow(m_selection.selectedSet());
    m_sounds = new QListWidget(this);
    m_entries = new QListWidget(this);
    m_lengths = new QListWidget(this);
    for (const std::string_view name : kTestNoteLengthNames) m_lengths->addItem(text(name));
    m_lengths->setCurrentRow(m_selection.noteLength());
    m_register = new QPushButton(QStringLiteral("登録"), this);
    m_remove = new QPushButton(QStringLiteral("削除"), this);
    m_clear = new QPushButton(QStringLiteral("全削除"), this);
    m_play = new QPushButton(QStringLiteral("Play"), this);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RhythmInstrumentDialog::reject);

    connect(m_sets, &QListWidget::currentRowChanged, this, [this](int row) {
        m_selection.chooseSet(row);
        fillSounds();
        fillEntries();
    });
    connect(m_sounds, &QListWidget::currentRowChanged, this, [this](int row) {
        m_selection.selectSound(row);
        showButtons();
    });
    connect(m_entries, &QListWidget::currentRowChanged, this, [this](int row) {
        m_selection.selectEntry(row);
        showButtons();
    });
    connect(m_lengths, &QListWidget::currentRowChanged, this, [this](int row) { m_selection.setNoteLength(row); });
    connect(m_register, &QPushButton::clicked, this, [this] {
        m_selection.registerSound();
        fillEntries();
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        m_selection.removeEntry();
        fillEntries();
    });
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_selection.clearEntries();
        fillEntries();
    });
    connect(m_play, &QPushButton::clicked, this, &RhythmInstrumentDialog::play);
    connect(m_stop, &QPushButton::clicked, this, &RhythmInstrumentDialog::stop);

    auto* lists = new QHBoxLayout;
    auto* setColumn = new QVBoxLayout;
    setColumn->addWidget(new QLabel(QStringLiteral("ドラムセット"), this));
    setColumn->addWidget(m_sets);
    auto* soundColumn = new QVBoxLayout;
    soundColumn->addWidget(new QLabel(QStringLiteral("リズム楽器"), this));
    soundColumn->addWidget(m_sounds);
    auto* editButtons = new QVBoxLayout;
    editButtons->addStretch();
    editButtons->addWidget(m_register);
    editButtons->addWidget(m_remove);
    editButtons->addWidget(m_clear);
    editButtons->addStretch();
    auto* paletteColumn = new QVBoxLayout;
    paletteColumn->addWidget(new QLabel(QStringLiteral("ﾄﾞﾗﾑﾊﾟﾚｯﾄ内容"), this));
    paletteColumn->addWidget(m_entries);
    lists->addLayout(setColumn);
    lists->addLayout(soundColumn);
    lists->addLayout(editButtons);
    lists->addLayout(paletteColumn);
    auto* test = new QGroupBox(QStringLiteral("テスト演奏"), this);
    auto* testLayout = new QHBoxLayout(test);
    auto* lengthColumn = new QVBoxLayout;
    lengthColumn->addWidget(new QLabel(QStringLiteral("音符"), this));
    lengthColumn->addWidget(m_lengths);
    testLayout->addLayout(lengthColumn);
    auto* playButtons = new QVBoxLayout;
    playButtons->addWidget(m_play);
    playButtons->addWidget(m_stop);
    playButtons->addStretch();
    testLayout->addLayout(playButtons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(test);
    layout->addWidget(buttons);

    fillSounds();
    fillEntries();
}

RhythmInstrumentDialog::~RhythmInstrumentDialog() {
    if (m_selection.isTestPlaying()) m_player.stopTest();
}

void RhythmInstrumentDialog::fillSounds() {
    std::vector<std::string> names;
    for (const DrumSound& sound : m_selection.sounds()) names.push_back(std::to_string(sound.key) + " " + std::string(sound.name));
    refill(m_sounds, names);
    showButtons();
}

void RhythmInstrumentDialog::fillEntries() {
    refill(m_entries, m_selection.entryNames());
    showButtons();
}

void RhythmInstrumentDialog::showButtons() {
    m_register->setEnabled(m_selection.canRegister());
    m_remove->setEnabled(m_selection.canRemove());
    m_clear->setEnabled(m_selection.canClear());
    m_play->setEnabled(m_selection.canPlay());
    m_stop->setEnabled(m_selection.canStop());
    m_ok->setEnabled(!m_selection.isTestPlaying());
    m_cancel->setEnabled(!m_selection.isTestPlaying());
}

void RhythmInstrumentDialog::play() {
    const auto test = m_selection.prepareTestPlay();
    if (!test || !m_player.startTest(*test, [this] {
            m_selection.testPlayEnded();
            showButtons();
        })) {
        return;
    }
    m_selection.testPlayStarted();
    showButtons();
}

void RhythmInstrumentDialog::stop() {
    if (!m_selection.isTestPlaying()) return;
    m_player.stopTest();
    m_selection.testPlayEnded();
    showButtons();
}

void RhythmInstrumentDialog::reject() {
    if (!m_selection.isTestPlaying()) QDialog::reject();
}

// --- the palette -------------------------------------------------------------------------------------

DrumPaletteWindow::DrumPaletteWindow(QWidget* frame, int showCommand, platform::Profile& profile, int module,
                                     DrumPaletteHooks hooks)
    : PaletteWindow(showCommand, QStringLiteral("ﾄﾞﾗﾑパレット"), frame),
      m_profile(profile),
      m_hooks(std::move(hooks)),
      m_palette(loadDrumPalette(profile, module)) {
    setObjectName(QStringLiteral("DrumPalette"));
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_setup = new QPushButton(QStringLiteral("Setup"), this);
    m_clear = new QPushButton(QStringLiteral("AC"), this);
    for (QPushButton* b : {m_ok, m_setup, m_clear}) b->setFocusPolicy(Qt::NoFocus);
    connect(m_ok, &QPushButton::clicked, this, &DrumPaletteWindow::enter);
    connect(m_setup, &QPushButton::clicked, this, &DrumPaletteWindow::setup);
    connect(m_clear, &QPushButton::clicked, m_list, &QListWidget::clearSelection);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_setup);
    buttons->addWidget(m_clear);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(220, 320);
    fill();
}

void DrumPaletteWindow::fill() { refill(m_list, drumEntryNames(m_palette)); }

void DrumPaletteWindow::setModule(int module) {
    if (module == m_palette.module) return;
    m_palette.module = module;
    // Renamed in place: refilling would drop the selection.
    const std::vector<std::string> names = drumEntryNames(m_palette);
    for (int row = 0; row < m_list->count() && std::size_t(row) < names.size(); ++row)
        m_list->item(row)->setText(text(names[std::size_t(row)]));
}

void DrumPaletteWindow::enter() {
    std::vector<int> rows;
    for (const QListWidgetItem* item : m_list->selectedItems()) rows.push_back(m_list->row(item));
    const auto request = drumEntryRequest(m_palette, rows);
    if (request && m_hooks.post) m_hooks.post(*request);
}

void DrumPaletteWindow::setup() {
    if (!m_hooks.player) return;
    SongInfo settings = m_hooks.songSettings ? m_hooks.songSettings() : SongInfo::defaults();
    RhythmInstrumentDialog dialog(settings, m_palette, m_hooks.tempo ? m_hooks.tempo() : 120, *m_hooks.player, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_palette = dialog.selection().palette();
    saveDrumPalette(m_profile, m_palette);
    fill();
}

DrumPaletteWindow* createDrumPalette(QWidget* frame, platform::Profile& profile, int module, DrumPaletteHooks hooks) {
    return new DrumPaletteWindow(frame, kDrumPaletteCommand, profile, module, std::move(hooks));
}

}  // namespace plume
