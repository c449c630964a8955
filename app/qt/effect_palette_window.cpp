#include "app/qt/effect_palette_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <algorithm>

#include "app/frame_commands.h"
#include "app/qt/main_frame.h"
#include "score/note_entry.h"
#include "score/qt/plm_view_widget.h"
#include "song/plm_doc.h"

namespace plume {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* valueField(QWidget* parent, int chars) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12);
    return field;
}

}  // namespace

CursorGroup cursorGroupOf(const ScoreView& view) {
    const Records records = view.records();
    const std::size_t first = cursorRecord(view);
    if (first >= records.size()) return {};
    return {records.subspan(first, groupEnd(records, first) - first), false};
}

void placeAlongFrameTop(QWidget& window, const CMainFrame& frame, int showCommand) {
    constexpr int kMargin = 8;
    const auto width = [](const QWidget& w) { return std::max(w.frameGeometry().width(), w.sizeHint().width()); };
    const QWidget* area = frame.mdiArea();
    int right = area->width() - kMargin;
    for (int command : {cmd::kNotePalette, cmd::kEffectPalette, cmd::kGatePalette, cmd::kVelocityPalette}) {
        if (command == showCommand) break;
        if (const QWidget* before = frame.palette(command)) right -= width(*before) + kMargin;
    }
    window.move(area->mapToGlobal(QPoint(std::max(kMargin, right - width(window)), kMargin)));
}

EffectPaletteWindow::EffectPaletteWindow(CMainFrame& frame)
    : PaletteWindow(cmd::kEffectPalette, QStringLiteral("効果パレット"), &frame), m_frame(frame) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QString::fromUtf8(kInstrumentLabel), this), 0, 0);
    m_instrument = valueField(this, 6);
    m_instrument->setMinimumWidth(m_instrument->width());
    m_instrument->setMaximumWidth(QWIDGETSIZE_MAX);
    m_instrument->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    grid->addWidget(m_instrument, 0, 1, 1, 3);
    m_notes = new QListWidget(this);
    m_notes->setFocusPolicy(Qt::NoFocus);
    m_notes->setSelectionMode(QAbstractItemView::NoSelection);
    m_notes->setFixedHeight(m_notes->fontMetrics().height() * 4 + 8);
    m_notes->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    grid->addWidget(m_notes, 1, 0, 1, 4);
    // Two columns of four values: tempo, volume, pan, modulation; hold, reverb, chorus, pitch bend.
    for (std::size_t i = 0; i < kEffectFieldCount; ++i) {
        const int row = 2 + int(i % 4);
        const int column = int(i / 4) * 2;
        grid->addWidget(new QLabel(QString::fromUtf8(kEffectFieldLabels[i]), this), row, column);
        m_values[i] = valueField(this, 6);
        grid->addWidget(m_values[i], row, column + 1);
    }
    setFixedSize(sizeHint());
    connect(&frame, &CMainFrame::caretPlaced, this, &EffectPaletteWindow::showCursorGroup);
}

void EffectPaletteWindow::placeFirst() { placeAlongFrameTop(*this, m_frame, showCommand()); }

void EffectPaletteWindow::showCursorGroup(CPlmView* view) {
    if (!view) return;
    const CursorGroup group = cursorGroupOf(view->logic());
    display(effectPaletteContent(view->document().songInfo(), group.records, group.atEnd));
}

void EffectPaletteWindow::display(const EffectPaletteContent& content) {
    m_instrument->setText(qs(content.instrument));
    m_instrument->setCursorPosition(0);
    m_notes->clear();
    for (const std::string& note : content.notes) m_notes->addItem(qs(note));
    for (std::size_t i = 0; i < kEffectFieldCount; ++i) m_values[i]->setText(qs(content.values[i]));
}

QString EffectPaletteWindow::instrumentText() const { return m_instrument->text(); }

QStringList EffectPaletteWindow::noteTexts() const {
    QStringList texts;
    for (int i = 0; i < m_notes->count(); ++i) texts << m_notes->item(i)->text();
    return texts;
}

QString EffectPaletteWindow::valueText(EffectField field) const { return m_values[std::size_t(field)]->text(); }

}  // namespace plume
