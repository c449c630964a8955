#include "voice/qt/vokato_window.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolBar>

#include "platform/message_box.h"
#include "voice/qt/voice_dialogs.h"

namespace plume::voice {

namespace {

constexpr int kTakeSeconds = 60;
constexpr double kRecordSeconds = 59.0;
constexpr std::uint32_t kBehindCard = 3307;  // 150 ms
constexpr int kStaffTop = 139;
constexpr int kGroupWidth = 21;
constexpr int kLeft = 60;

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

CVokato::CVokato(QWidget* parent, WaveDriver& driver, CPlmDoc& document, ScoreView& view, const SongInfo& info,
                 VokatoPlayer* player)
    : QWidget(parent),
      m_detector(driver),
      m_document(document),
      m_view(view),
      m_info(info),
      m_player(player),
      m_live(new QTimer(this)),
      m_poll(new QTimer(this)),
      m_toolBar(new QToolBar(this)) {
    setWindowTitle(text(vokato::kTitle));
    setFocusPolicy(Qt::StrongFocus);
    m_detector.Allocate(kTakeSeconds);
    m_live->setInterval(50);
    m_poll->setInterval(20);
    QObject::connect(m_live, &QTimer::timeout, this, [this] { liveAnalysis(); });
    QObject::connect(m_poll, &QTimer::timeout, this, [this] { m_detector.service(); });
    for (int id = vokato::kAdjust; id <= vokato::kTransfer; ++id) {
        const QString tip = text(vokato::statusText(id));
        QAction* a = m_toolBar->addAction(QString::number(id - vokato::kAdjust), this, [this, id] { command(id); });
        a->setStatusTip(tip);
        a->setToolTip(tip);
        a->setCheckable(id == vokato::kAutoTranspose || id == vokato::kPlayCopiedToo);
        m_actions[id] = a;
    }
    resize(760, 278 + m_toolBar->sizeHint().height());
    updateActions();
}

CVokato::~CVokato() {
    if (m_state == VokatoState::Recording) m_detector.StopRecording();
    m_detector.CloseInput();
}

void CVokato::setContext(const VokatoContext& context) {
    m_context = context;
    updateActions();
}

void CVokato::updateActions() {
    for (auto& [id, a] : m_actions) {
        a->setEnabled(vokatoEnabled(id, m_state, m_notes, m_context));
        if (const auto checked = vokatoChecked(id, m_context)) a->setChecked(*checked);
    }
}

void CVokato::command(int id) {
    if (!vokatoEnabled(id, m_state, m_notes, m_context)) return;
    switch (id) {
    case vokato::kAdjust:
        if (showDetectParametersDialog(this, m_detector.driver())) m_detector.LoadParameters();
        break;
    case vokato::kMeasurePitch: showPitchEnrolDialog(this, m_detector.driver()); break;
    case vokato::kReconvert:
        if (m_detector.HasRecording()) {
            m_detector.ResetSegmentation();
            m_detector.Analyse(std::uint16_t(m_info.tempo()), m_detector.GetSampleCount(), 1);
            rebuild();
        }
        break;
    case vokato::kRecord: record(); break;
    case vokato::kStop: stop(); break;
    case vokato::kAutoTranspose: m_context.autoTranspose = !m_context.autoTranspose; break;
    case vokato::kPlayCopiedToo: m_context.playCopiedToo = !m_context.playCopiedToo; break;
    case vokato::kSemitoneDown: m_notes.shift(-1); break;
    case vokato::kSemitoneUp: m_notes.shift(1); break;
    case vokato::kPlay:
        if (m_player && !m_notes.records().empty()) {
            m_player->stopPlaying();
            if (m_player->playNotes(m_notes.records(), m_info)) m_state = VokatoState::Playing;
        }
        break;
    case vokato::kStopPlaying:
        if (m_player) m_player->stopPlaying();
        m_state = VokatoState::Idle;
        break;
    case vokato::kTransfer:
        transferNotes(m_document, m_view, m_notes);
        m_notes.clear();
        if (onFinished) onFinished();
        break;
    default: break;  // 703 (never enabled), 704 (the frame's count-in and copied range)
    }
    updateActions();
    update();
}

void CVokato::record() {
    if (!reportOpening(m_detector.IsReady(), m_detector.IsReady() ? m_detector.OpenInput(this) : 0)) return;
    if (const auto message = startMessage(m_detector.StartRecording(kRecordSeconds))) {
        m_detector.CloseInput();
        platform::messageBox().show(*message);
        return;
    }
    m_state = VokatoState::Recording;
    m_notes.clear();
    m_firstVisible = 0;
    m_live->start();
    m_poll->start();
}

void CVokato::stop() {
    switch (m_state) {
    case VokatoState::Recording:
    case VokatoState::RecordingAfterCopied:
        m_detector.StopRecording();
        m_detector.service();
        break;
    case VokatoState::Playing: command(vokato::kStopPlaying); break;
    default: m_state = VokatoState::Idle; break;
    }
}

void CVokato::liveAnalysis() {
    if (m_state == VokatoState::Idle) return;
    const std::uint32_t position = m_detector.GetInputPosition();
    if (position == kNoPosition || position <= kBehindCard) return;
    const int n = m_detector.Analyse(std::uint16_t(m_info.tempo()), position - kBehindCard, 0);
    if (n != 0 && std::size_t(n) != m_notes.groupCount()) rebuild();
    const int cursorX = kLeft + int(m_notes.cursor() - std::min(m_notes.cursor(), m_firstVisible)) * kGroupWidth;
    if (cursorX > width() - 42) m_firstVisible += 2;
    update();
}

void CVokato::waveInputDone(std::uint32_t bytesRecorded) {
    m_live->stop();
    m_poll->stop();
    m_detector.CloseInput();
    m_detector.SetDataLength(bytesRecorded);
    m_detector.Analyse(std::uint16_t(m_info.tempo()), bytesRecorded / 2, 1);
    rebuild();
    m_state = VokatoState::Idle;
    updateActions();
    update();
}

void CVokato::rebuild() {
    const auto segments = m_detector.GetSegments().first(std::size_t(m_detector.GetSegmentCount()));
    m_notes.rebuild(segments, m_info, enrolledTransposition());
}

void CVokato::playEnded() {
    if (m_player) m_player->stopPlaying();
    if (m_state == VokatoState::Playing) m_state = VokatoState::Idle;
    updateActions();
}

bool CVokato::confirmClose() {
    if (m_notes.records().empty()) return true;
    return platform::messageBox().show(vokato::kCloseQuestion, platform::Buttons::YesNo) == platform::Answer::Yes;
}

void CVokato::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int top = m_toolBar->height();
    const QRect wave(0, top, width(), kStaffTop - 2);
    p.fillRect(wave, Qt::white);
    const int noiseCut = m_detector.GetParameters()[DetectParameters::kNoiseCutLevel];
    const int middle = wave.center().y();
    auto yOf = [&](int amplitude) { return middle - amplitude * wave.height() / 2 / 32767; };
    p.setPen(Qt::gray);
    p.drawLine(0, yOf(noiseCut), width(), yOf(noiseCut));
    p.drawLine(0, yOf(-noiseCut), width(), yOf(-noiseCut));
    const std::uint32_t samples =
        m_state == VokatoState::Idle ? m_detector.GetSampleCount() : std::min<std::uint32_t>(m_detector.GetInputPosition(), 60 * kSampleRate);
    const auto buffer = m_detector.GetBufferHandle();
    if (samples > 0 && samples != kNoPosition && !buffer.empty()) {
        p.setPen(QColor(0, 255, 0));
        const double perPixel = double(std::min<std::size_t>(samples, buffer.size())) / std::max(1, width());
        for (int x = 0; x < width(); ++x) {
            int high = 0, low = 0;
            for (auto i = std::size_t(x * perPixel); i < std::size_t((x + 1) * perPixel) && i < buffer.size(); ++i)
                high = std::max<int>(high, buffer[i]), low = std::min<int>(low, buffer[i]);
            p.drawLine(x, yOf(high), x, yOf(low));
        }
    }
    p.fillRect(0, top + kStaffTop - 2, width(), 2, palette().button());
    // The staff and the groups from the first visible one, 21 pixels apart.
    const int staffTop = top + kStaffTop + 30;
    p.setPen(Qt::black);
    for (int line = 0; line < 5; ++line) p.drawLine(10, staffTop + line * 8, width() - 10, staffTop + line * 8);
    const auto& records = m_notes.records();
    std::size_t g = 0;
    for (std::size_t r = 0; r < records.size(); r = nextGroup(records, r), ++g) {
        if (g < m_firstVisible) continue;
        const int x = kLeft + int(g - m_firstVisible) * kGroupWidth;
        if (records[r].type() == type::kBarLine) {
            p.drawLine(x, staffTop, x, staffTop + 32);
            continue;
        }
        const int y = staffTop + 32 - (int(records[r].key()) - 64) * 2;
        p.setBrush(records[r].type() <= 2 ? Qt::NoBrush : Qt::SolidPattern);
        p.drawEllipse(QPoint(x, y), 5, 4);
        if (records[r].type() >= 2) p.drawLine(x + 5, y, x + 5, y - 24);
    }
    const int caretX = kLeft + int(m_notes.cursor() - std::min(m_notes.cursor(), m_firstVisible)) * kGroupWidth - 10;
    p.fillRect(caretX, top + 168, 2, 40, Qt::blue);
}

void CVokato::keyPressEvent(QKeyEvent* event) {
    if (m_state != VokatoState::Idle) return QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Backspace: m_notes.backspace(); break;
    case Qt::Key_Tab: m_notes.insertBarLine(m_insertMode); break;
    case Qt::Key_Left: m_notes.moveCursor(-1); break;
    case Qt::Key_Right: m_notes.moveCursor(1); break;
    case Qt::Key_Insert: m_insertMode = !m_insertMode; break;
    case Qt::Key_Delete: m_notes.deleteAtCursor(); break;
    default: return QWidget::keyPressEvent(event);
    }
    updateActions();
    update();
}

void CVokato::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (at.y() < m_toolBar->height() + kStaffTop) return;
    const int g = (at.x() - kLeft + kGroupWidth / 2) / kGroupWidth + int(m_firstVisible);
    if (g >= 0) m_notes.moveCursor(g - int(m_notes.cursor()));
    update();
}

CVokato* openVokato(QWidget* parent, WaveDriver& driver, CPlmDoc& document, ScoreView& view, const SongInfo& info,
                    VokatoPlayer* player) {
    auto* window = new CVokato(parent, driver, document, view, info, player);
    if (!window->isReady()) {
        delete window;
        return nullptr;
    }
    window->show();
    return window;
}

}  // namespace plume::voice
