#include "export/qt/midi_export_dialog.h"

#include "song/qt/song_fields_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace plume {

namespace {

QButtonGroup* radioGroup(QWidget* box, QLayout* layout, const QStringList& labels, int checked) {
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QRadioButton(labels[i], box);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    group->button(checked)->setChecked(true);
    return group;
}

}  // namespace

MidiExportDialog::MidiExportDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("MIDI ﾌｧｲﾙ 作成"));
    const MidiExportForm defaults;

    auto* format = new QGroupBox(QStringLiteral("Format"), this);
    m_format = radioGroup(format, new QVBoxLayout(format), {QStringLiteral("Format 0"), QStringLiteral("Format 1")},
                          defaults.format);

    auto* timeBase = new QGroupBox(QStringLiteral("タイムベース"), this);
    auto* timeLayout = new QGridLayout(timeBase);
    m_timeBase = new QButtonGroup(timeBase);
    for (std::size_t i = 0; i <= kTimeBaseChoices.size(); ++i) {
        const QString label = i < kTimeBaseChoices.size() ? QString::number(kTimeBaseChoices[i]) : QStringLiteral("その他");
        auto* button = new QRadioButton(label, timeBase);
        m_timeBase->addButton(button, int(i));
        timeLayout->addWidget(button, int(i % 4), int(i / 4));
    }
    m_other = new QLineEdit(timeBase);
    m_other->setMaximumWidth(60);
    m_other->setEnabled(false);
    timeLayout->addWidget(m_other, 2, 2);
    m_timeBase->button(defaults.timeBaseChoice)->setChecked(true);
    connect(m_timeBase, &QButtonGroup::idToggled, this,
            [this](int id, bool on) { if (id == kOtherTimeBase) m_other->setEnabled(on); });

    auto* reset = new QGroupBox(QStringLiteral("音源リセットの付加"), this);
    m_reset = radioGroup(reset, new QVBoxLayout(reset),
                         {QStringLiteral("GM System ON"), QStringLiteral("GS Reset"), QStringLiteral("なし")},
                         defaults.reset);

    auto* rest = new QGroupBox(QStringLiteral("休符"), this);
    auto* restLayout = new QVBoxLayout(rest);
    m_restBar = new QCheckBox(QStringLiteral("曲の最初に1小節休符を挿入する"), rest);
    m_restBar->setChecked(defaults.restBar);
    restLayout->addWidget(m_restBar);

    auto* buttons = makeOkCancelButtons(this);

    auto* top = new QHBoxLayout;
    top->addWidget(format);
    top->addWidget(timeBase, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(reset);
    middle->addWidget(rest, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addWidget(buttons);
}

MidiExportForm MidiExportDialog::form() const {
    MidiExportForm form;
    form.format = m_format->checkedId();
    form.timeBaseChoice = m_timeBase->checkedId();
    form.otherTimeBase = m_other->text().toStdString();
    form.reset = m_reset->checkedId();
    form.restBar = m_restBar->isChecked();
    return form;
}

void MidiExportDialog::accept() {
    const auto options = form().accept();
    if (!options) {
        m_other->setFocus();
        m_other->selectAll();
        return;
    }
    m_options = *options;
    QDialog::accept();
}

}  // namespace plume
