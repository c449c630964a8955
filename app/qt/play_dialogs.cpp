#include "app/qt/play_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "song/qt/song_fields_widget.h"

namespace plume {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// Radio buttons in a frame, one per text, the one at `checked` chosen.
QButtonGroup* radioColumn(QDialog* dialog, QVBoxLayout* layout, const std::vector<QString>& texts, int checked) {
    auto* frame = new QGroupBox(dialog);
    auto* column = new QVBoxLayout(frame);
    auto* group = new QButtonGroup(dialog);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto* button = new QRadioButton(texts[i], frame);
        group->addButton(button, int(i));
        column->addWidget(button);
    }
    if (QAbstractButton* button = group->button(checked)) button->setChecked(true);
    layout->addWidget(frame);
    return group;
}

}  // namespace

ResetDialog::ResetDialog(int mode, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("演奏開始時のリセット"));
    std::vector<QString> texts;
    for (const ResetChoice& choice : resetChoices()) texts.push_back(qs(choice.text));
    auto* layout = new QVBoxLayout(this);
    m_choices = radioColumn(this, layout, texts, int(resetChoiceOf(mode)));
    layout->addWidget(makeOkCancelButtons(this));
    setMinimumWidth(sizeHint().width() + 60);
}

int ResetDialog::mode() const {
    const auto choices = resetChoices();
    const int checked = m_choices->checkedId();
    return checked >= 0 && std::size_t(checked) < choices.size() ? choices[std::size_t(checked)].mode : 1;
}

QAbstractButton* ResetDialog::choiceButton(std::size_t index) const { return m_choices->button(int(index)); }

DeviceDialog::DeviceDialog(std::vector<std::string> ports, const PlaySettings& settings, QWidget* parent)
    : QDialog(parent), m_ports(std::move(ports)) {
    setWindowTitle(QStringLiteral("MIDI デバイス"));
    const DeviceChoices choices = deviceChoices(m_ports, settings.device, settings.deviceName);
    m_devices = new QComboBox(this);
    for (const std::string& name : choices.names) m_devices->addItem(qs(name));
    m_devices->setCurrentIndex(int(choices.selected));
    m_devices->setMinimumContentsLength(24);
    m_mainVolume = new QCheckBox(QStringLiteral("メインボリュームコントロールを使う"), this);
    m_mainVolume->setChecked(settings.mainVolumeControl != 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_devices);
    layout->addWidget(m_mainVolume);
    layout->addWidget(makeOkCancelButtons(this));
}

void DeviceDialog::applyTo(PlaySettings& settings) const {
    applyDeviceChoice(settings, m_ports, std::size_t(std::max(0, m_devices->currentIndex())),
                      m_mainVolume->isChecked());
}

InterruptDialog::InterruptDialog(int index, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("割り込み周期"));
    std::vector<QString> texts;
    for (const char* text : interruptChoices()) texts.push_back(qs(text));
    auto* layout = new QVBoxLayout(this);
    m_choices = radioColumn(this, layout, texts, index);
    layout->addWidget(makeOkCancelButtons(this));
    setMinimumWidth(sizeHint().width() + 60);
}

int InterruptDialog::index() const { return std::max(0, m_choices->checkedId()); }

QAbstractButton* InterruptDialog::choiceButton(std::size_t index) const { return m_choices->button(int(index)); }

}  // namespace plume
