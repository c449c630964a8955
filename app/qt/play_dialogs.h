#pragma once
// The "演奏" menu's setting dialogs over the rules of play_settings.h: the reset before playing,
// the MIDI output device and the interrupt period.

#include <QDialog>
#include <string>
#include <vector>

#include "play/play_settings.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;

namespace plume {

// "演奏開始時のリセット": one radio button per reset mode, in resetChoices() order.
class ResetDialog : public QDialog {
    Q_OBJECT

public:
    ResetDialog(int mode, QWidget* parent = nullptr);
    int mode() const;
    QAbstractButton* choiceButton(std::size_t index) const;

private:
    QButtonGroup* m_choices = nullptr;
};

// "MIDI デバイス": the ports, then "MIDI Mapper", and "メインボリュームコントロールを使う".
class DeviceDialog : public QDialog {
    Q_OBJECT

public:
    DeviceDialog(std::vector<std::string> ports, const PlaySettings& settings, QWidget* parent = nullptr);
    // OK's choice into the settings.
    void applyTo(PlaySettings& settings) const;
    QComboBox* deviceList() const { return m_devices; }
    QCheckBox* mainVolumeBox() const { return m_mainVolume; }

private:
    std::vector<std::string> m_ports;
    QComboBox* m_devices = nullptr;
    QCheckBox* m_mainVolume = nullptr;
};

// "割り込み周期": "1 ms", "2 ms", "5 ms" for the indices 0..2.
class InterruptDialog : public QDialog {
    Q_OBJECT

public:
    InterruptDialog(int index, QWidget* parent = nullptr);
    int index() const;
    QAbstractButton* choiceButton(std::size_t index) const;

private:
    QButtonGroup* m_choices = nullptr;
};

}  // namespace plume
