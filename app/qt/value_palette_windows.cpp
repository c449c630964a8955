#include "app/qt/value_palette_windows.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "app/qt/effect_palette_window.h"
#include "app/frame_commands.h"
#include "app/qt/main_frame.h"
#include "score/qt/plm_view_widget.h"

namespace plume {

namespace {

struct ValueField {
    const char* label;
    int minimum;
    int maximum;
};

constexpr std::array<ValueField, 2> kGateFields = {{{"ﾃﾞｨﾚｰ", 0, 99}, {"ｹﾞｰﾄｵﾝ", 1, 100}}};
constexpr ValueField kVelocityField = {"ﾍﾞﾛｼﾃｨｰ", 1, 127};

}  // namespace

// ---- ValueSpinField ------------------------------------------------------------------------------

ValueSpinField::ValueSpinField(int minimum, int maximum, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum) {
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->setMaxLength(6);
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    setMinimumWidth(digits + 28);
    connect(lineEdit(), &QLineEdit::textEdited, this, &ValueSpinField::edited);
}

void ValueSpinField::setFieldText(const QString& text) { lineEdit()->setText(text); }

// An empty field or one that is not a number starts from the lowest value.
void ValueSpinField::stepBy(int steps) {
    bool number = false;
    const int value = lineEdit()->text().trimmed().toInt(&number);
    const int next = number ? std::clamp(value + steps, m_minimum, m_maximum) : m_minimum;
    lineEdit()->setText(QString::number(next));
    Q_EMIT edited(lineEdit()->text());
}

QValidator::State ValueSpinField::validate(QString&, int&) const { return QValidator::Acceptable; }

QAbstractSpinBox::StepEnabled ValueSpinField::stepEnabled() const {
    if (!isEnabled()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

// ---- ValuePaletteWindow --------------------------------------------------------------------------

ValuePaletteWindow::ValuePaletteWindow(CMainFrame& frame, NoteValueKind kind)
    : PaletteWindow(kind == NoteValueKind::DelayGate ? cmd::kGatePalette : cmd::kVelocityPalette,
                    kind == NoteValueKind::DelayGate ? QStringLiteral("ｹﾞｰﾄﾀｲﾑ") : QStringLiteral("ﾍﾞﾛｼﾃｨｰ"), &frame),
      m_frame(frame),
      m_form(kind) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setVerticalSpacing(4);
    const bool gate = kind == NoteValueKind::DelayGate;
    for (int i = 0; i < m_form.fieldCount(); ++i) {
        const ValueField& shape = gate ? kGateFields[std::size_t(i)] : kVelocityField;
        grid->addWidget(new QLabel(QString::fromUtf8(shape.label), this), i, 0);
        auto* field = new ValueSpinField(shape.minimum, shape.maximum, this);
        m_fields[std::size_t(i)] = field;
        grid->addWidget(field, i, 1);
        // Delay and gate are percentages of the note's length; a velocity is a MIDI value.
        if (gate) grid->addWidget(new QLabel(QStringLiteral("%"), this), i, 2);
        connect(field, &ValueSpinField::edited, this, [this, i](const QString& text) {
            if (!m_showing) m_form.setField(i, text.toStdString());
        });
    }
    const int row = m_form.fieldCount();
    m_check = new QCheckBox(QStringLiteral("音を指定する"), this);
    grid->addWidget(m_check, row, 0, 1, 3);
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFixedHeight(m_list->fontMetrics().height() * 5 + 8);
    m_list->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QStringLiteral(" 127-A# Bb ")) + 24);
    grid->addWidget(m_list, row + 1, 0, 1, 3);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    grid->addLayout(buttons, row + 2, 0, 1, 3);

    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        if (m_showing) return;
        m_form.setChecked(on);
        showForm();
    });
    connect(m_list, &QListWidget::currentRowChanged, this, &ValuePaletteWindow::noteChosen);
    connect(m_ok, &QPushButton::clicked, this, &ValuePaletteWindow::ok);
    connect(&frame, &CMainFrame::caretPlaced, this, &ValuePaletteWindow::refresh);
    showForm();
    // Wide enough for the title bar to show the window's name.
    setFixedSize(sizeHint().expandedTo(QSize(fontMetrics().horizontalAdvance(windowTitle()) + 120, 0)));
}

void ValuePaletteWindow::placeFirst() { placeAlongFrameTop(*this, m_frame, showCommand()); }

void ValuePaletteWindow::refresh(CPlmView* view) {
    if (!view) return;
    const CursorGroup group = cursorGroupOf(view->logic());
    m_form.refresh(group.records, group.atEnd, view->logic().hasRange());
    showForm();
}

void ValuePaletteWindow::noteChosen(int row) {
    if (m_showing || row < 0) return;
    m_form.chooseNote(row);
    showForm();
}

void ValuePaletteWindow::ok() {
    if (const auto message = m_form.ok()) m_frame.postRequest(*message);
}

void ValuePaletteWindow::showForm() {
    m_showing = true;
    for (int i = 0; i < m_form.fieldCount(); ++i) {
        ValueSpinField* field = m_fields[std::size_t(i)];
        field->setEnabled(m_form.areFieldsEnabled());
        const QString text = QString::fromStdString(m_form.field(i));
        if (field->text() != text) field->setFieldText(text);
    }
    m_check->setEnabled(m_form.isCheckEnabled());
    m_check->setChecked(m_form.isChecked());
    QStringList entries;
    for (const std::string& entry : m_form.listEntries()) entries << QString::fromStdString(entry);
    QStringList shown;
    for (int i = 0; i < m_list->count(); ++i) shown << m_list->item(i)->text();
    if (shown != entries) {
        m_list->clear();
        m_list->addItems(entries);
    }
    m_list->setEnabled(m_form.isListEnabled());
    m_list->setCurrentRow(m_form.chosenNote());
    m_ok->setEnabled(m_form.isOkEnabled());
    m_showing = false;
}

}  // namespace plume
