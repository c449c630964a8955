#include "voice/qt/voice_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "voice/transcription.h"

namespace plume::voice {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

// The enrolment keyboard: white keys of notes 24..95, the measured and the chosen key marked.
class EnrolKeyboard : public QWidget {
public:
    EnrolKeyboard(PitchEnrolForm& form, std::function<void()> changed, QWidget* parent)
        : QWidget(parent), m_form(form), m_changed(std::move(changed)) {
        setFixedSize(6 * PitchEnrolForm::kOctaveWidth, 40);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        static constexpr int kWhiteSteps[7] = {0, 2, 4, 5, 7, 9, 11};
        QPainter p(this);
        for (int octave = 0; octave < 6; ++octave) {
            for (int w = 0; w < 7; ++w) {
                const int key = PitchEnrolForm::kLowestKey + 12 * octave + kWhiteSteps[w];
                QColor fill = Qt::white;
                if (key == m_form.chosen()) fill = QColor(255, 128, 128);
                else if (key == m_form.measuredNote()) fill = QColor(128, 160, 255);
                p.fillRect(octave * PitchEnrolForm::kOctaveWidth + w * 8, 0, 8, 39, fill);
                p.drawRect(octave * PitchEnrolForm::kOctaveWidth + w * 8, 0, 8, 39);
            }
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        m_form.choose(PitchEnrolForm::keyAt(event->position().toPoint().x()));
        m_changed();
        update();
    }

private:
    PitchEnrolForm& m_form;
    std::function<void()> m_changed;
};

}  // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) { setMinimumSize(320, 120); }

void WaveformView::show(std::span<const std::int16_t> samples, int noiseCut) {
    m_samples.assign(samples.begin(), samples.end());
    m_noiseCut = noiseCut;
    update();
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, Qt::white);
    p.setPen(Qt::gray);
    const int middle = r.center().y();
    for (int i = 1; i < 4; ++i) p.drawLine(r.left(), r.top() + r.height() * i / 4, r.right(), r.top() + r.height() * i / 4);
    // Amplitude 32767 is half the height.
    auto yOf = [&](int amplitude) { return middle - int(double(amplitude) * r.height() / 2.0 / 32767.0); };
    if (m_noiseCut > 0) {
        p.drawLine(r.left(), yOf(m_noiseCut), r.right(), yOf(m_noiseCut));
        p.drawLine(r.left(), yOf(-m_noiseCut), r.right(), yOf(-m_noiseCut));
    }
    if (m_samples.empty()) return;
    p.setPen(QColor(0, 255, 0));
    const double perPixel = double(m_samples.size()) / std::max(1, r.width());
    for (int x = 0; x < r.width(); ++x) {
        const auto from = std::size_t(x * perPixel);
        const auto to = std::min(m_samples.size(), std::size_t((x + 1) * perPixel) + 1);
        int high = 0, low = 0;
        for (std::size_t i = from; i < to; ++i) high = std::max<int>(high, m_samples[i]), low = std::min<int>(low, m_samples[i]);
        p.drawLine(x, yOf(high), x, yOf(low));
    }
}

WaveDeviceDialog::WaveDeviceDialog(QWidget* parent, WaveDriver& driver)
    : QDialog(parent), m_inputNames(driver.inputNames()), m_outputNames(driver.outputNames()) {
    setWindowTitle(text("WAVデバイス"));
    m_input = new QComboBox(this);
    m_output = new QComboBox(this);
    for (const auto& name : deviceChoices(m_inputNames)) m_input->addItem(QString::fromStdString(name));
    for (const auto& name : deviceChoices(m_outputNames)) m_output->addItem(QString::fromStdString(name));
    m_input->setCurrentIndex(choiceOfDevice(m_inputNames, storedInputDevice(m_inputNames)));
    m_output->setCurrentIndex(choiceOfDevice(m_outputNames, storedOutputDevice(m_outputNames)));
    auto* form = new QFormLayout(this);
    form->addRow(text("ＷＡＶ入力デバイス"), m_input);
    form->addRow(text("ＷＡＶ出力デバイス"), m_output);
    form->addRow(okCancel(this));
}

void WaveDeviceDialog::accept() {
    const int in = deviceOfChoice(m_inputNames, m_input->currentIndex());
    const int out = deviceOfChoice(m_outputNames, m_output->currentIndex());
    storeDevices(in, in >= 0 ? m_inputNames[std::size_t(in)] : "", out, out >= 0 ? m_outputNames[std::size_t(out)] : "");
    QDialog::accept();
}

RecordingDialog::RecordingDialog(QWidget* parent, WaveDriver& driver)
    : QDialog(parent), m_detector(driver), m_poll(new QTimer(this)) {
    m_detector.Allocate(2);
    m_poll->setInterval(20);
    QObject::connect(m_poll, &QTimer::timeout, this, [this] { m_detector.service(); });
}

RecordingDialog::~RecordingDialog() {
    if (m_recording) m_detector.StopRecording();
    m_detector.CloseInput();
}

bool RecordingDialog::record(double seconds) {
    if (m_recording) return false;
    if (!reportOpening(m_detector.IsReady(), m_detector.IsReady() ? m_detector.OpenInput(this) : 0)) return false;
    const int started = m_detector.StartRecording(seconds);
    if (const auto message = startMessage(started)) {
        m_detector.CloseInput();
        platform::messageBox().show(*message);
        return false;
    }
    m_recording = true;
    m_poll->start();
    return true;
}

void RecordingDialog::waveInputDone(std::uint32_t bytesRecorded) {
    m_poll->stop();
    m_recording = false;
    m_detector.CloseInput();
    m_detector.SetDataLength(bytesRecorded);
    takeDone();
}

SilenceLevelDialog::SilenceLevelDialog(QWidget* parent, WaveDriver& driver) : RecordingDialog(parent, driver) {
    setWindowTitle(text("サウンドカードの不具合対策"));
    auto* layout = new QVBoxLayout(this);
    for (const char* step : {"1.マイクのスイッチを切ります。", "2.録音ボタンをクリックします。", "3.録音結果が表示されます。",
                             "4.OKボタンをクリックします。"})
        layout->addWidget(new QLabel(text(step), this));
    m_record = new QPushButton(text("録音"), this);
    m_result = new QLabel(this);
    m_wave = new WaveformView(this);
    layout->addWidget(m_record);
    layout->addWidget(m_wave);
    layout->addWidget(m_result);
    m_buttons = okCancel(this);
    layout->addWidget(m_buttons);
    QObject::connect(m_record, &QPushButton::clicked, this, [this] {
        if (record(0.2)) {
            m_record->setEnabled(false);
            m_buttons->setEnabled(false);
        }
    });
}

void SilenceLevelDialog::takeDone() {
    const auto samples = detector().GetBufferHandle().first(detector().GetSampleCount());
    m_level = silenceLevel(samples);
    m_wave->show(samples, 0);
    m_result->setText(QString::number(m_level));
    m_record->setEnabled(true);
    m_buttons->setEnabled(true);
}

void SilenceLevelDialog::accept() {
    setGrandLevel(m_level);
    QDialog::accept();
}

DetectParametersDialog::DetectParametersDialog(QWidget* parent, WaveDriver& driver)
    : RecordingDialog(parent, driver), m_form(detector().GetParameters()) {
    setWindowTitle(text("Plume-音声認識の設定"));
    auto* grid = new QGridLayout(this);
    auto bar = [this](int low, int high, int line, int page) {
        auto* b = new QScrollBar(Qt::Horizontal, this);
        b->setRange(low, high);
        b->setSingleStep(line);
        b->setPageStep(page);
        return b;
    };
    using F = DetectParametersForm;
    m_aplox = bar(F::kAploxLow, F::kAploxHigh, F::kAploxLine, F::kAploxPage);
    m_noiseCut = bar(F::kNoiseCutLow, F::kNoiseCutHigh, F::kNoiseCutLine, F::kNoiseCutPage);
    m_aploxValue = new QLabel(this);
    m_noiseCutValue = new QLabel(this);
    m_frequency = new QLabel(this);
    m_defaults = new QPushButton(text("初期値をセット"), this);
    m_record = new QPushButton("Rec", this);
    m_wave = new WaveformView(this);
    grid->addWidget(new QLabel(text("近似係数"), this), 0, 0);
    grid->addWidget(m_aplox, 0, 1);
    grid->addWidget(m_aploxValue, 0, 2);
    grid->addWidget(new QLabel(text("ノイズカットレベル"), this), 1, 0);
    grid->addWidget(m_noiseCut, 1, 1);
    grid->addWidget(m_noiseCutValue, 1, 2);
    grid->addWidget(m_wave, 2, 0, 1, 3);
    grid->addWidget(new QLabel(text("計測周波数"), this), 3, 0);
    grid->addWidget(m_frequency, 3, 1);
    grid->addWidget(m_record, 4, 0);
    grid->addWidget(m_defaults, 4, 1);
    grid->addWidget(okCancel(this), 5, 0, 1, 3);
    auto load = [this] {
        const QSignalBlocker a(m_aplox), n(m_noiseCut);
        m_aplox->setValue(m_form.values()[DetectParameters::kAplox]);
        m_noiseCut->setValue(m_form.values()[DetectParameters::kNoiseCutLevel]);
        m_aploxValue->setNum(int(m_form.values()[DetectParameters::kAplox]));
        m_noiseCutValue->setNum(int(m_form.values()[DetectParameters::kNoiseCutLevel]));
    };
    load();
    QObject::connect(m_aplox, &QScrollBar::valueChanged, this, [this](int v) {
        m_form.setAplox(v);
        changed();
    });
    QObject::connect(m_noiseCut, &QScrollBar::valueChanged, this, [this](int v) {
        m_form.setNoiseCut(v);
        changed();
    });
    QObject::connect(m_defaults, &QPushButton::clicked, this, [this, load] {
        m_form.resetToDefaults();
        load();
        changed();
    });
    QObject::connect(m_record, &QPushButton::clicked, this, [this] {
        if (record(1.0)) m_record->setEnabled(false);
    });
}

void DetectParametersDialog::changed() {
    m_aploxValue->setNum(int(m_form.values()[DetectParameters::kAplox]));
    m_noiseCutValue->setNum(int(m_form.values()[DetectParameters::kNoiseCutLevel]));
    detector().SetParameters(m_form.values());
    m_wave->show(detector().GetBufferHandle().first(detector().GetSampleCount()),
                 m_form.values()[DetectParameters::kNoiseCutLevel]);
}

void DetectParametersDialog::takeDone() {
    const std::uint32_t samples = detector().GetSampleCount();
    int frequency = 0;
    detector().MeasureRange(0, samples, frequency);
    m_frequency->setText(frequency ? QString::asprintf("%dHz", frequency) : QString());
    m_wave->show(detector().GetBufferHandle().first(samples), m_form.values()[DetectParameters::kNoiseCutLevel]);
    m_record->setEnabled(true);
}

void DetectParametersDialog::accept() {
    if (const auto refusal = m_form.refusal()) {
        platform::messageBox().show(*refusal);
        return;
    }
    detector().SetParameters(m_form.values());
    detector().SaveParameters();
    QDialog::accept();
}

void DetectParametersDialog::reject() {
    if (const auto question = m_form.cancelQuestion();
        question && platform::messageBox().show(*question, platform::Buttons::YesNo) == platform::Answer::No)
        return;
    QDialog::reject();
}

PitchEnrolDialog::PitchEnrolDialog(QWidget* parent, WaveDriver& driver) : RecordingDialog(parent, driver) {
    setWindowTitle(text("Plume－ ピッチの登録"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text("自分の声を計測"), this));
    m_measure = new QPushButton(text("計測"), this);
    m_frequency = new QLabel(this);
    m_message = new QLabel(this);
    m_keyboard = new EnrolKeyboard(m_form, [this] { refresh(); }, this);
    layout->addWidget(m_measure);
    layout->addWidget(m_frequency);
    layout->addWidget(m_keyboard);
    layout->addWidget(m_message);
    layout->addWidget(okCancel(this));
    QObject::connect(m_measure, &QPushButton::clicked, this, [this] {
        if (record(1.0)) m_measure->setEnabled(false);
    });
    refresh();
}

void PitchEnrolDialog::takeDone() {
    const int count = detector().Analyse(100, detector().GetSampleCount(), 1);
    const auto segments = detector().GetSegments().first(std::size_t(count));
    m_form.measured({segments.begin(), segments.end()});
    m_measure->setEnabled(true);
    refresh();
}

void PitchEnrolDialog::refresh() {
    m_frequency->setText(m_form.measuredFrequency() ? QString::asprintf("%dHz", m_form.measuredFrequency()) : QString());
    m_message->setText(QString::fromStdString(m_form.message()));
    m_keyboard->update();
}

void PitchEnrolDialog::accept() {
    if (m_form.accept()) QDialog::accept();
}

bool showWaveDeviceDialog(QWidget* parent, WaveDriver& driver) { return WaveDeviceDialog(parent, driver).exec() == QDialog::Accepted; }
bool showSilenceLevelDialog(QWidget* parent, WaveDriver& driver) {
    return SilenceLevelDialog(parent, driver).exec() == QDialog::Accepted;
}
bool showDetectParametersDialog(QWidget* parent, WaveDriver& driver) {
    return DetectParametersDialog(parent, driver).exec() == QDialog::Accepted;
}
bool showPitchEnrolDialog(QWidget* parent, WaveDriver& driver) {
    return PitchEnrolDialog(parent, driver).exec() == QDialog::Accepted;
}

}  // namespace plume::voice
