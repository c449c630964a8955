#include "voice/qt/vokato_window.h"

#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "platform/message_box.h"
#include "score/pitch_spelling.h"
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
      m_countIn(new QTimer(this)),
      m_startDelay(new QTimer(this)),
      m_countLabel(new QLabel(this)),
      m_scroll(new QScrollBar(Qt::Horizontal, this)) {
    setWindowTitle(text(vokato::kTitle));
    setFocusPolicy(Qt::StrongFocus);
    m_detector.Allocate(kTakeSeconds);
    m_live->setInterval(50);
    m_poll->setInterval(20);
    m_countIn->setInterval(500);
    m_startDelay->setInterval(150);
    m_startDelay->setSingleShot(true);
    QObject::connect(m_live, &QTimer::timeout, this, [this] { liveAnalysis(); });
    QObject::connect(m_poll, &QTimer::timeout, this, [this] { m_detector.service(); });
    QObject::connect(m_countIn, &QTimer::timeout, this, [this] { countTick(); });
    QObject::connect(m_startDelay, &QTimer::timeout, this, [this] {
        m_recordPending = false;
        if (!startTake()) {
            if (m_player) m_player->stopPlaying();
            m_state = VokatoState::Idle;
        }
        changed();
    });
    QFont big = font();
    big.setPixelSize(48);
    big.setBold(true);
    m_countLabel->setFont(big);
    m_countLabel->setAlignment(Qt::AlignCenter);
    m_countLabel->setAutoFillBackground(true);
    m_countLabel->resize(80, 64);
    m_countLabel->hide();
    // A line is one group, a page ten; the notes move 21 pixels a group.
    m_scroll->setSingleStep(1);
    m_scroll->setPageStep(10);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    QObject::connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_firstVisible = std::size_t(value);
        update();
    });
    syncScroll();
    resize(760, 278 + m_scroll->sizeHint().height());
}

CVokato::~CVokato() {
    if (m_state == VokatoState::Recording || m_state == VokatoState::PlayingCopied ||
        m_state == VokatoState::RecordingAfterCopied)
        m_detector.StopRecording();
    m_detector.CloseInput();
}

void CVokato::setCopiedRange(std::vector<SongRecord> records, const SongInfo& info) {
    m_copied = std::move(records);
    m_copiedInfo = info;
}

void CVokato::setFrameState(bool playing, bool clipboardHasData) {
    m_context.frameIsPlaying = playing;
    m_context.clipboardHasData = clipboardHasData;
}

bool CVokato::edit(const std::function<bool(VokatoNotes&)>& change) {
    if (m_state != VokatoState::Idle || !change(m_notes)) return false;
    changed();
    return true;
}

void CVokato::changed() {
    followNotes();
    update();
    if (onChanged) onChanged();
}

void CVokato::command(int id) {
    if (!enabled(id)) return;
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
    case vokato::kPlayCopiedAndRecord: countIn(); break;
    case vokato::kRecord: record(); break;
    case vokato::kStop: stop(); break;
    case vokato::kAutoTranspose: m_context.autoTranspose = !m_context.autoTranspose; break;
    case vokato::kPlayCopiedToo: m_context.playCopiedToo = !m_context.playCopiedToo; break;
    case vokato::kSemitoneDown: m_notes.shift(-1); break;
    case vokato::kSemitoneUp: m_notes.shift(1); break;
    case vokato::kPlay: {
        if (!m_player) break;
        const VokatoPlay play = vokatoPlay(m_notes.records(), m_info, m_copied, m_copiedInfo,
                                           m_context.playCopiedToo && m_withCopied);
        if (play.conflict) platform::messageBox().show(kRhythmConflict);
        if (!play.play.channels.empty() && m_player->play(play.play)) m_state = VokatoState::Playing;
        break;
    }
    case vokato::kStopPlaying:
        if (m_player) m_player->stopPlaying();
        m_state = VokatoState::Idle;
        break;
    case vokato::kTransfer:
        transferNotes(m_document, m_view, m_notes);
        m_notes.clear();
        if (onFinished) onFinished();
        return;
    default: break;  // 703 is never enabled
    }
    changed();
}

// Opens the input and starts a 59-second take; the device's messages on failure.
bool CVokato::startTake() {
    if (!reportOpening(m_detector.IsReady(), m_detector.IsReady() ? m_detector.OpenInput(this) : 0)) return false;
    if (const auto message = startMessage(m_detector.StartRecording(kRecordSeconds))) {
        m_detector.CloseInput();
        platform::messageBox().show(*message);
        return false;
    }
    m_poll->start();
    return true;
}

void CVokato::record() {
    if (!startTake()) return;
    m_withCopied = false;
    m_state = VokatoState::Recording;
    m_notes.clear();
    m_firstVisible = 0;
    m_live->start();
}

// 704: three counts of "stick.wav" half a second apart, then the copied range plays and the take
// starts 150 ms later.
void CVokato::countIn() {
    m_withCopied = true;
    m_recordPending = true;
    m_state = VokatoState::CountIn;
    m_count = 3;
    m_countLabel->setText(QString::number(m_count));
    m_countLabel->move((width() - m_countLabel->width()) / 2, (height() - m_countLabel->height()) / 2);
    m_countLabel->show();
    m_countLabel->raise();
    m_countIn->start();
}

void CVokato::countTick() {
    --m_count;
    if (m_player) m_player->playSound("stick.wav");
    m_countLabel->setText(QString::number(m_count));
    if (m_count > 0) return;
    m_countIn->stop();
    m_countLabel->hide();
    startCopiedPlay();
    changed();
}

void CVokato::startCopiedPlay() {
    if (!m_player || !m_player->play(copiedRangePlay(m_copied, m_copiedInfo))) {
        platform::messageBox().show("MIDI演奏が出来ません。");
        m_state = VokatoState::Idle;
        return;
    }
    m_notes.clear();
    m_firstVisible = 0;
    m_state = VokatoState::PlayingCopied;
    m_startDelay->start();
}

void CVokato::stop() {
    switch (m_state) {
    case VokatoState::CountIn:
        m_countIn->stop();
        m_countLabel->hide();
        m_state = VokatoState::Idle;
        break;
    case VokatoState::Recording:
    case VokatoState::RecordingAfterCopied:
        m_detector.StopRecording();
        m_detector.service();
        break;
    case VokatoState::PlayingCopied:
        if (m_player) m_player->stopPlaying();
        endCopiedPlay();
        break;
    case VokatoState::Playing:
        if (m_player) m_player->stopPlaying();
        m_state = VokatoState::Idle;
        break;
    case VokatoState::Idle: break;
    }
}

// The copied range stopped playing: a take that has started ends with it, one still waiting never starts.
void CVokato::endCopiedPlay() {
    m_startDelay->stop();
    if (m_recordPending) {
        m_recordPending = false;
        m_state = VokatoState::Idle;
        return;
    }
    m_state = VokatoState::RecordingAfterCopied;
    m_detector.StopRecording();
    m_detector.service();
}

void CVokato::liveAnalysis() {
    if (m_state == VokatoState::Idle) return;
    const std::uint32_t position = m_detector.GetInputPosition();
    if (position == kNoPosition || position <= kBehindCard) return;
    const int n = m_detector.Analyse(std::uint16_t(m_info.tempo()), position - kBehindCard, 0);
    const bool grew = n != 0 && std::size_t(n) != m_notes.groupCount();
    if (grew) rebuild();
    const int cursorX = kLeft + int(m_notes.cursor() - std::min(m_notes.cursor(), m_firstVisible)) * kGroupWidth;
    if (cursorX > width() - 42) m_firstVisible += 2;
    // The clef is chosen again only when the notes changed; the scroll follows every step.
    if (grew) followNotes();
    else syncScroll();
    update();
}

void CVokato::followNotes() {
    // A bass staff when most notes lie below middle C, as a low voice sings.
    std::vector<int> keys;
    for (const SongRecord& r : m_notes.records()) {
        if (r.isNote()) keys.push_back(r.key());
    }
    std::nth_element(keys.begin(), keys.begin() + std::ptrdiff_t(keys.size() / 2), keys.end());
    m_bassStaff = !keys.empty() && keys[keys.size() / 2] < 60;
    syncScroll();
}

void CVokato::syncScroll() {
    const std::size_t last = std::max<std::size_t>(m_notes.groupCount(), 1) - 1;
    m_firstVisible = std::min(m_firstVisible, last);
    const QSignalBlocker quiet(m_scroll);
    m_scroll->setRange(0, int(last));
    m_scroll->setValue(int(m_firstVisible));
}

void CVokato::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int h = m_scroll->sizeHint().height();
    m_scroll->setGeometry(0, height() - h, width(), h);
}

void CVokato::waveInputDone(std::uint32_t bytesRecorded) {
    m_live->stop();
    m_poll->stop();
    m_detector.CloseInput();
    m_detector.SetDataLength(bytesRecorded);
    m_detector.Analyse(std::uint16_t(m_info.tempo()), bytesRecorded / 2, 1);
    rebuild();
    m_state = VokatoState::Idle;
    changed();
}

void CVokato::rebuild() {
    const auto segments = m_detector.GetSegments().first(std::size_t(m_detector.GetSegmentCount()));
    m_notes.rebuild(segments, m_info, enrolledTransposition());
}

void CVokato::playEnded() {
    if (m_player) m_player->stopPlaying();
    if (m_state == VokatoState::PlayingCopied) {
        endCopiedPlay();
    } else if (m_state == VokatoState::Playing) {
        m_state = VokatoState::Idle;
    }
    changed();
}

bool CVokato::confirmClose() {
    if (m_notes.records().empty()) return true;
    return platform::messageBox().show(vokato::kCloseQuestion, platform::Buttons::YesNo) == platform::Answer::Yes;
}

void CVokato::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int top = 0;
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
    // Notes stand on their letter's step in the song's key, with ledger lines beyond the staff.
    const auto& records = m_notes.records();
    const bool bass = m_bassStaff;
    const int bottomStep = bass ? 11 : 23;  // G2 or E4, steps from C1
    const int staffBottom = staffTop + 32;
    QFont clefFont = font();
    clefFont.setPixelSize(bass ? 30 : 44);
    p.setFont(clefFont);
    p.drawText(QRect(12, staffTop - 16, 30, 64), Qt::AlignCenter, bass ? QStringLiteral("\U0001D122") : QStringLiteral("\U0001D11E"));
    p.setFont(font());
    std::size_t g = 0;
    for (std::size_t r = 0; r < records.size(); r = nextGroup(records, r), ++g) {
        if (g < m_firstVisible) continue;
        const int x = kLeft + int(g - m_firstVisible) * kGroupWidth;
        if (records[r].type() == type::kBarLine) {
            p.drawLine(x, staffTop, x, staffTop + 32);
            continue;
        }
        const Spelling spelling = spellPitch(records[r].key(), 0, m_info.keySignature());
        const int offset = spelling.step - bottomStep;  // 0 on the bottom line, 8 on the top one
        const int y = staffBottom - offset * 4;
        for (int ledger = -2; ledger >= offset; ledger -= 2) p.drawLine(x - 8, staffBottom - ledger * 4, x + 8, staffBottom - ledger * 4);
        for (int ledger = 10; ledger <= offset; ledger += 2) p.drawLine(x - 8, staffBottom - ledger * 4, x + 8, staffBottom - ledger * 4);
        if (spelling.accidental == accidental::kSharp || spelling.accidental == accidental::kFlat ||
            spelling.accidental == accidental::kNatural) {
            static const QString kMarks[] = {{}, QStringLiteral("\u266F"), QStringLiteral("\u266D"), QStringLiteral("\u266E")};
            p.drawText(QRect(x - 15, y - 8, 9, 16), Qt::AlignCenter, kMarks[spelling.accidental]);
        }
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
    case Qt::Key_Tab: m_notes.insertBarLine(insertMode()); break;
    case Qt::Key_Left: m_notes.moveCursor(-1); break;
    case Qt::Key_Right: m_notes.moveCursor(1); break;
    case Qt::Key_Insert:
        if (m_player) {
            m_player->toggleInsertMode();
        } else {
            m_insertMode = !m_insertMode;
        }
        break;
    case Qt::Key_Delete: m_notes.deleteAtCursor(); break;
    default: return QWidget::keyPressEvent(event);
    }
    changed();
}

void CVokato::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (at.y() < kStaffTop) return;
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
