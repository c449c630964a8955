#include "score/qt/chord_dialog.h"

#include <QGridLayout>
#include <algorithm>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "score/range_edit.h"

namespace plume {

ChordDialog::ChordDialog(Records song, const SongInfo& info, ChordRange range, AuditionPlayer& player,
                         QWidget* parent)
    : QDialog(parent), m_song(song), m_info(info), m_range(range), m_player(player),
      m_candidates(identifyChords(pitchClassSet(song, range), info.keySignature())), m_audition(song, range) {
    setWindowTitle(QStringLiteral("Plume-コード判別"));
    auto* lists = new QGridLayout;
    const std::array<const char*, 3> titles = {"第１候補", "第２候補", "第３候補"};
    const std::array<const std::vector<std::string>*, 3> names = {&m_candidates.first, &m_candidates.second,
                                                                  &m_candidates.third};
    for (std::size_t i = 0; i < 3; ++i) {
        lists->addWidget(new QLabel(QString::fromUtf8(titles[i]), this), 0, int(i));
        m_lists[i] = new QListWidget(this);
        for (const std::string& name : *names[i]) m_lists[i]->addItem(QString::fromStdString(name));
        lists->addWidget(m_lists[i], 1, int(i));
        connect(m_lists[i], &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem* item) { auditionChord(item->text().toStdString()); });
    }

    auto* group = new QGroupBox(QStringLiteral("コードの演奏"), this);
    m_play = new QPushButton(QStringLiteral("PLAY"), group);
    m_stop = new QPushButton(QStringLiteral("Stop"), group);
    m_volume = new QSlider(Qt::Horizontal, group);
    m_volume->setRange(0, 127);
    m_volume->setValue(kAuditionVelocity);
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(m_play);
    groupLayout->addWidget(m_stop);
    groupLayout->addWidget(new QLabel(QStringLiteral("音量"), group));
    groupLayout->addWidget(m_volume);
    connect(m_play, &QPushButton::clicked, this, &ChordDialog::playRange);
    connect(m_stop, &QPushButton::clicked, this, &ChordDialog::stop);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(group);
    layout->addWidget(m_ok, 0, Qt::AlignRight);
}

ChordDialog::~ChordDialog() { stop(); }

void ChordDialog::auditionChord(const std::string& name) {
    if (m_playing) return;
    if (!m_audition.allocated()) {
        platform::messageBox().show("メモリー不足で演奏できません！");
        return;
    }
    const auto chord = parseChordName(name, m_info.keySignature());
    if (!chord) return;
    m_audition.build(*chord, std::uint8_t(m_volume->value()));
    start(chordAuditionPlay(m_song, m_info, m_range, m_audition.played()));
}

void ChordDialog::playRange() {
    if (!m_playing) start(rangeAuditionPlay(m_song, m_info, m_range));
}

void ChordDialog::start(const AuditionPlay& play) {
    m_playing = m_player.startAudition(play, [this] { m_playing = false; });
}

void ChordDialog::stop() {
    if (!m_playing) return;
    m_player.stopAudition();
    m_playing = false;
}

void showChordDialog(QWidget* parent, Records song, const SongInfo& info, const RecordRange& range,
                     AuditionPlayer& player) {
    const auto chordRange = chordRangeOf(song, range);
    if (!chordRange) return;
    ChordDialog dialog(song, info, *chordRange, player, parent);
    dialog.exec();
}

}  // namespace plume
