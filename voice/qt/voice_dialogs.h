#pragma once
// The voice dialogs: "WAVデバイス", "サウンドカードの不具合対策", "Plume-音声認識の設定" and
// "Plume－ ピッチの登録". Each records through the WaveDriver it is given.

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <span>

#include "voice/voice_detector.h"
#include "voice/voice_forms.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

namespace plume::voice {

// The take of a detector, green on white with grey guide lines and the noise-cut lines.
class WaveformView : public QWidget {
public:
    explicit WaveformView(QWidget* parent = nullptr);
    void show(std::span<const std::int16_t> samples, int noiseCut);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<std::int16_t> m_samples;
    int m_noiseCut = 0;
};

class WaveDeviceDialog : public QDialog {
public:
    WaveDeviceDialog(QWidget* parent, WaveDriver& driver);
    QComboBox* inputList() const { return m_input; }
    QComboBox* outputList() const { return m_output; }
    void accept() override;

private:
    std::vector<std::string> m_inputNames, m_outputNames;
    QComboBox* m_input;
    QComboBox* m_output;
};

// A dialog that records one short take into its own detector and then looks at it.
class RecordingDialog : public QDialog, protected WaveOwner {
public:
    RecordingDialog(QWidget* parent, WaveDriver& driver);
    ~RecordingDialog() override;
    CVoiceDetector& detector() { return m_detector; }
    bool recording() const { return m_recording; }

protected:
    // Opens the input and records; false (the message shown) when it cannot.
    bool record(double seconds);
    virtual void takeDone() = 0;

private:
    void waveInputDone(std::uint32_t bytesRecorded) override;

    CVoiceDetector m_detector;
    QTimer* m_poll;
    bool m_recording = false;
};

class SilenceLevelDialog : public RecordingDialog {
public:
    SilenceLevelDialog(QWidget* parent, WaveDriver& driver);
    QPushButton* recordButton() const { return m_record; }
    std::int16_t level() const { return m_level; }
    void accept() override;

private:
    void takeDone() override;

    QPushButton* m_record;
    QDialogButtonBox* m_buttons;
    QLabel* m_result;
    WaveformView* m_wave;
    std::int16_t m_level = 0;
};

class DetectParametersDialog : public RecordingDialog {
public:
    DetectParametersDialog(QWidget* parent, WaveDriver& driver);
    QScrollBar* aploxBar() const { return m_aplox; }
    QScrollBar* noiseCutBar() const { return m_noiseCut; }
    QPushButton* defaultsButton() const { return m_defaults; }
    QPushButton* recordButton() const { return m_record; }
    const DetectParametersForm& form() const { return m_form; }
    void accept() override;
    void reject() override;

private:
    void takeDone() override;
    void changed();

    DetectParametersForm m_form;
    QScrollBar* m_aplox;
    QScrollBar* m_noiseCut;
    QLabel* m_aploxValue;
    QLabel* m_noiseCutValue;
    QLabel* m_frequency;
    QPushButton* m_defaults;
    QPushButton* m_record;
    WaveformView* m_wave;
};

class PitchEnrolDialog : public RecordingDialog {
public:
    PitchEnrolDialog(QWidget* parent, WaveDriver& driver);
    QPushButton* measureButton() const { return m_measure; }
    const PitchEnrolForm& form() const { return m_form; }
    QWidget* keyboard() const { return m_keyboard; }
    void accept() override;

private:
    void takeDone() override;
    void refresh();

    PitchEnrolForm m_form;
    QPushButton* m_measure;
    QLabel* m_frequency;
    QLabel* m_message;
    QWidget* m_keyboard;
};

// Entry points for the frame's commands; each returns true when the user pressed OK.
bool showWaveDeviceDialog(QWidget* parent, WaveDriver& driver);
// OK writes "GrandLevel".
bool showSilenceLevelDialog(QWidget* parent, WaveDriver& driver);
// After OK the caller reloads its detector's parameters (LoadParameters).
bool showDetectParametersDialog(QWidget* parent, WaveDriver& driver);
bool showPitchEnrolDialog(QWidget* parent, WaveDriver& driver);

}  // namespace plume::voice
