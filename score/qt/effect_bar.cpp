#include "score/qt/effect_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "score/effect_display.h"
#include "score/note_entry.h"
#include "score/score_view.h"
#include "song/plm_doc.h"

namespace plume {

EffectBar::EffectBar(CPlmDoc& doc, ScoreView& view, std::function<std::string(std::uint8_t)> drumSoundName,
                     QWidget* parent)
    : QWidget(parent), m_doc(doc), m_view(view), m_drumSoundName(std::move(drumSoundName)) {
    m_effects = new QComboBox(this);
    for (const EffectBarEntry& e : kEffectBarEntries) m_effects->addItem(QString::fromUtf8(e.name));
    m_notes = new QComboBox(this);
    m_notes->setMinimumContentsLength(10);
    m_value = new QSpinBox(this);
    m_delete = new QPushButton(QStringLiteral("効果削除"), this);
    m_function = new QPushButton(QStringLiteral("関数"), this);
    m_zoom = new QComboBox(this);
    for (int z = 0; z < kEffectZoomCount; ++z) m_zoom->addItem(QString::number(z));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("効果"), this));
    layout->addWidget(m_effects);
    layout->addWidget(new QLabel(QStringLiteral("音"), this));
    layout->addWidget(m_notes);
    layout->addWidget(new QLabel(QStringLiteral("値"), this));
    layout->addWidget(m_value);
    layout->addWidget(m_delete);
    layout->addWidget(m_function);
    layout->addWidget(new QLabel(QStringLiteral("音符の間隔"), this));
    layout->addWidget(m_zoom);
    layout->addStretch(1);
    m_display = new QLabel(this);
    layout->addWidget(m_display);

    // The lists refilled by cursorChanged itself do not call it again.
    connect(m_effects, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_syncing) cursorChanged();
    });
    connect(m_notes, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_syncing) cursorChanged();
    });
    connect(m_value, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_syncing) valueEntered(v);
    });
    connect(m_delete, &QPushButton::clicked, this, [this] { removeEffect(); });
    connect(m_function, &QPushButton::clicked, this, [this] { Q_EMIT functionRequested(effectNumber()); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this](int z) { Q_EMIT zoomChanged(z); });
    cursorChanged();
}

std::size_t EffectBar::group() const { return cursorRecord(m_view); }

std::uint8_t EffectBar::effectNumber() const {
    return kEffectBarEntries[std::size_t(std::max(m_effects->currentIndex(), 0))].number;
}

void EffectBar::setDisplayName(const char* name) { m_display->setText(QString::fromUtf8(name)); }

int EffectBar::zoom() const { return m_zoom->currentIndex(); }
void EffectBar::setZoom(int zoom) { m_zoom->setCurrentIndex(std::clamp(zoom, 0, kEffectZoomCount - 1)); }

void EffectBar::cursorChanged() {
    m_syncing = true;
    const EffectBarEntry& entry = kEffectBarEntries[std::size_t(std::max(m_effects->currentIndex(), 0))];
    m_value->setRange(entry.minimum, entry.maximum);
    // The "音" list, last record first, the last entry chosen; disabled without a note.
    const std::vector<std::string> texts = noteListTexts(m_doc, group(), m_drumSoundName);
    const int chosen = m_notes->currentIndex();
    if (m_notes->count() != int(texts.size()) || chosen < 0) {
        m_notes->clear();
        for (const std::string& t : texts) m_notes->addItem(QString::fromStdString(t));
        m_notes->setCurrentIndex(m_notes->count() - 1);
    }
    m_notes->setEnabled(!texts.empty());
    int value = entry.minimum;
    if (group() < m_doc.recordCount()) {
        if (entry.number == 8 || entry.number == 9 || entry.number == 11) {
            const std::size_t end = m_doc.groupEnd(group());
            int n = 0;
            for (std::size_t i = end; i-- > group();) {
                const SongRecord r = m_doc.record(i);
                if (!r.isNote() || n++ != m_notes->currentIndex()) continue;
                value = entry.number == 8 ? r.gate() : entry.number == 9 ? r.velocity() : r.delay();
            }
        } else {
            effectRowValue(m_doc.records(), group(), entry.number, value);
        }
    }
    m_value->setValue(value);
    m_syncing = false;
}

void EffectBar::valueEntered(int value) {
    const std::uint8_t number = effectNumber();
    if (number == effect::kProgram || number == 18 || group() >= m_doc.recordCount()) return;
    if (!takeEffectSnapshot(m_view, m_doc, UndoKind::Effect)) return;
    const bool perNote = number == 8 || number == 9 || number == 11;
    std::optional<std::size_t> note;
    if (perNote && m_notes->currentIndex() >= 0) note = std::size_t(m_notes->currentIndex());
    if (applyBarValue(m_doc, group(), number, value, note)) {
        m_view.rebuild();
        Q_EMIT songChanged();
    }
}

void EffectBar::removeEffect() {
    if (group() >= m_doc.recordCount() || !takeEffectSnapshot(m_view, m_doc, UndoKind::Effect)) return;
    if (removeBarEffect(m_doc, group(), effectNumber())) {
        m_view.rebuild();
        Q_EMIT songChanged();
        cursorChanged();
    }
}

}  // namespace plume
