#include "app/qt/numeric_input_widget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace plume {

namespace {
constexpr int kAreaDigits = 2;  // room to type a wrong value and be told so
}  // namespace

NumericInputWidget::NumericInputWidget(platform::Profile& profile, QWidget* parent)
    : QDockWidget(QStringLiteral("数値入力"), parent), m_logic(profile) {
    setObjectName(QStringLiteral("numericInputBar"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* content = new QWidget(this);
    auto* layout = new QHBoxLayout(content);
    auto* areaLabel = new QLabel(QStringLiteral("範囲(&A)"), content);
    m_area = new QLineEdit(QString::number(m_logic.area()), content);
    m_area->setMaxLength(kAreaDigits);
    m_area->setFixedWidth(m_area->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    areaLabel->setBuddy(m_area);
    auto* notesLabel = new QLabel(QStringLiteral("音(&N)"), content);
    m_notes = new QLineEdit(content);
    m_notes->setMaxLength(int(kMaxNoteText));
    notesLabel->setBuddy(m_notes);
    layout->addWidget(areaLabel);
    layout->addWidget(m_area);
    layout->addWidget(notesLabel);
    layout->addWidget(m_notes, 1);
    setWidget(content);

    connect(m_area, &QLineEdit::textEdited, this, &NumericInputWidget::areaEdited);
    connect(m_notes, &QLineEdit::textEdited, this, &NumericInputWidget::notesEdited);
    connect(m_notes, &QLineEdit::returnPressed, this, &NumericInputWidget::take);
    m_notes->installEventFilter(this);
}

void NumericInputWidget::openWith(const QString& text) {
    show();
    raise();
    m_notes->setText(text);
    m_notes->setFocus(Qt::OtherFocusReason);
    m_notes->end(false);
}

void NumericInputWidget::areaEdited(const QString& text) {
    if (m_logic.areaEdited(text.toStdString())) return;
    m_area->clear();
    m_area->setFocus(Qt::OtherFocusReason);
}

void NumericInputWidget::notesEdited(const QString& text) {
    if (NumericInput::notesEdited(text.toStdString()).empty() && !text.isEmpty()) m_notes->clear();
}

void NumericInputWidget::take() {
    const NoteNameParse parse = m_logic.take(m_notes->text().toStdString());
    if (!parse.ok()) {
        m_notes->setFocus(Qt::OtherFocusReason);
        m_notes->setSelection(int(parse.badPosition) - 1, 1);
        return;
    }
    m_notes->clear();
    if (m_onEntry && !parse.notes.empty()) m_onEntry(parse.notes);
}

bool NumericInputWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_notes && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool shiftSpaceAtEnd = key->key() == Qt::Key_Space && key->modifiers() == Qt::ShiftModifier &&
                                     m_notes->cursorPosition() == m_notes->text().size();
        if (shiftSpaceAtEnd || key->key() == Qt::Key_Escape) {
            Q_EMIT dismissed();
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

}  // namespace plume
