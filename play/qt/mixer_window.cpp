#include "play/qt/mixer_window.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace plume {

using namespace mixer_layout;

namespace {

QRect rectOf(const MixerRect& r) { return {r.x, r.y, r.width, r.height}; }

QString utf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

const QColor kPanel(48, 52, 58);
const QColor kGroove(20, 22, 26);
const QColor kKnob(210, 214, 220);
const QColor kText(225, 228, 232);

void drawArrow(QPainter& p, const MixerRect& r, bool up) {
    const QPolygon triangle = up ? QPolygon({QPoint(r.x, r.y + r.height - 1), QPoint(r.x + r.width - 1, r.y + r.height - 1),
                                             QPoint(r.x + r.width / 2, r.y)})
                                 : QPolygon({QPoint(r.x, r.y), QPoint(r.x + r.width - 1, r.y),
                                             QPoint(r.x + r.width / 2, r.y + r.height - 1)});
    p.setBrush(kKnob);
    p.setPen(Qt::NoPen);
    p.drawPolygon(triangle);
}

void drawFader(QPainter& p, int channel, int value) {
    const MixerRect track = faderTrack(channel);
    p.fillRect(QRect(track.x + track.width / 2 - 1, track.y, 3, track.height), kGroove);
    const int knobTop = track.y + kFaderTravel - faderOffset(value);
    p.fillRect(QRect(track.x, knobTop, track.width, kFaderKnobHeight), kKnob);
    p.fillRect(QRect(track.x, knobTop + kFaderKnobHeight / 2, track.width, 1), kGroove);
}

void drawButton(QPainter& p, const MixerRect& r, const QString& label, bool on, const QColor& lit) {
    p.fillRect(rectOf(r), on ? lit : kGroove);
    p.setPen(on ? Qt::black : kText);
    p.drawText(rectOf(r), Qt::AlignCenter, label);
}

QString controlHint(const MixerHit& hit, const MixerState& state) {
    const auto ch = std::size_t(std::max(hit.channel, 0));
    switch (hit.kind) {
    case MixerHit::Kind::Solo: return QStringLiteral("SOLO %1").arg(hit.channel + 1);
    case MixerHit::Kind::Mute: return QStringLiteral("MUTE %1").arg(hit.channel + 1);
    case MixerHit::Kind::Slider: {
        const char* name = hit.control == MixerDrag::Pan ? "PAN" : hit.control == MixerDrag::Chorus ? "CHO" : "REV";
        return QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(state.value(hit.control, ch));
    }
    case MixerHit::Kind::Fader:
        return hit.control == MixerDrag::Master ? QStringLiteral("Master %1").arg(state.master())
                                                : QStringLiteral("Volume %1").arg(state.channel(ch).volume);
    case MixerHit::Kind::Spinner:
        return hit.control == MixerDrag::TempoUp || hit.control == MixerDrag::TempoDown
                   ? QStringLiteral("Tempo %1").arg(state.tempo())
                   : QStringLiteral("Shift %1").arg(state.shift());
    default: return {};
    }
}

}  // namespace

// --- CTrackInfo ----------------------------------------------------------------------------------------

CTrackInfo::CTrackInfo(QWidget* parent) : QFrame(parent, Qt::ToolTip) {
    setObjectName(QStringLiteral("CTrackInfo"));
    setFrameShape(QFrame::Box);
    resize(260, 64);
    hide();
}

void CTrackInfo::showTrack(const TrackInfo& info, const QPoint& globalPos) {
    m_info = info;
    move(globalPos + QPoint(12, 16));
    show();
    update();
}

void CTrackInfo::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    p.fillRect(rect().adjusted(1, 1, -1, -1), QColor(255, 255, 225));
    p.setPen(Qt::black);
    const QRect area = rect().adjusted(6, 4, -6, -4);
    if (m_info.problem) {
        p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, utf8(*m_info.problem));
        return;
    }
    const QString lines = QStringLiteral("ファイル名: %1\n種別: %2\n楽器名: %3")
                              .arg(utf8(m_info.fileName), utf8(m_info.kind), utf8(m_info.instrument));
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop, lines);
}

// --- the panel --------------------------------------------------------------------------------------------

MixerPanel::MixerPanel(std::function<const ProjectData*()> project, QWidget* parent)
    : QWidget(parent), m_project(std::move(project)), m_info(new CTrackInfo(this)) {
    setObjectName(QStringLiteral("MixerPanel"));
    setFixedSize(kWidth, kHeight);
    setMouseTracking(true);
    m_state.setView(this);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        if (m_timerTarget) m_timerTarget->onTimer(m_timerId);
    });
}

MixerPanel::~MixerPanel() { m_state.setView(nullptr); }

void MixerPanel::setTimer(platform::TimerTarget& target, int id, int ms) {
    m_timerTarget = &target;
    m_timerId = id;
    m_repeat.start(ms);
}

void MixerPanel::killTimer(platform::TimerTarget&, int) {
    m_repeat.stop();
    m_timerTarget = nullptr;
}

void MixerPanel::channelChanged(std::size_t channel) {
    update(QRect(stripLeft(int(channel)), 0, kStripWidth, kHeight));
}
void MixerPanel::commonChanged() {
    update(QRect(0, 0, kLabelWidth, kHeight));
    update(QRect(stripLeft(-1), 0, kMasterWidth, kHeight));
}
void MixerPanel::levelChanged(std::size_t channel) { update(rectOf(meter(int(channel)))); }

void MixerPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kPanel);
    QFont small = font();
    small.setPixelSize(9);
    p.setFont(small);

    // The label strip: the spinners with their figures, then the row labels and the fader scale.
    p.setPen(kText);
    p.drawText(QRect(2, 14, kLabelWidth - 4, 12), Qt::AlignLeft, QStringLiteral("Tempo"));
    p.drawText(QRect(2, 53, kLabelWidth - 4, 12), Qt::AlignLeft, QStringLiteral("Shift"));
    p.fillRect(rectOf(tempoFigure()), kGroove);
    p.fillRect(rectOf(shiftFigure()), kGroove);
    p.setPen(QColor(120, 230, 120));
    p.drawText(rectOf(tempoFigure()), Qt::AlignCenter, QString::number(m_state.tempo()));
    p.drawText(rectOf(shiftFigure()), Qt::AlignCenter, QString::asprintf("%+d", m_state.shift()));
    drawArrow(p, spinnerArrow(MixerDrag::TempoUp), true);
    drawArrow(p, spinnerArrow(MixerDrag::TempoDown), false);
    drawArrow(p, spinnerArrow(MixerDrag::ShiftUp), true);
    drawArrow(p, spinnerArrow(MixerDrag::ShiftDown), false);
    p.setPen(kText);
    const std::array<std::pair<MixerRect, const char*>, 5> rows = {{
        {sliderTrack(0, MixerDrag::Pan), "PAN"}, {sliderTrack(0, MixerDrag::Chorus), "CHO"},
        {sliderTrack(0, MixerDrag::Reverb), "REV"}, {soloButton(0), "SOLO"}, {muteButton(0), "MUTE"},
    }};
    for (const auto& [r, label] : rows) p.drawText(QRect(2, r.y, kLabelWidth - 4, r.height), Qt::AlignLeft | Qt::AlignVCenter, QLatin1String(label));
    const MixerRect scale = faderTrack(0);
    for (int v = 0; v <= 127; v += 32) {
        const int y = scale.y + kFaderTravel - faderOffset(v) + kFaderKnobHeight / 2;
        p.drawLine(kLabelWidth - 10, y, kLabelWidth - 2, y);
        p.drawText(QRect(2, y - 6, kLabelWidth - 14, 12), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }

    // The sixteen channel strips.
    for (int ch = 0; ch < int(kPlayChannels); ++ch) {
        const MixerChannel& c = m_state.channel(std::size_t(ch));
        const int left = stripLeft(ch);
        p.fillRect(QRect(left, 0, 1, kHeight), kGroove);
        p.setPen(m_state.silenced(std::size_t(ch)) ? QColor(150, 150, 150) : kText);
        p.drawText(rectOf(trackNumber(ch)), Qt::AlignCenter, QString::number(ch + 1));
        for (MixerDrag s : {MixerDrag::Pan, MixerDrag::Chorus, MixerDrag::Reverb}) {
            const MixerRect t = sliderTrack(ch, s);
            p.fillRect(QRect(t.x, t.y + t.height / 2 - 1, t.width, 3), kGroove);
            p.fillRect(QRect(t.x + sliderOffset(m_state.value(s, std::size_t(ch))), t.y, kSliderKnobWidth, t.height), kKnob);
        }
        drawButton(p, soloButton(ch), QStringLiteral("S"), m_state.solo() == ch, QColor(240, 200, 60));
        drawButton(p, muteButton(ch), QStringLiteral("M"), c.mute, QColor(230, 80, 70));
        drawFader(p, ch, c.volume);
        const MixerRect m = meter(ch);
        for (int step = 0; step < kMixerLevelMax; ++step) {
            const bool lit = step < m_state.level(std::size_t(ch));
            const QColor on = step >= 7 ? QColor(240, 70, 60) : step >= 5 ? QColor(240, 200, 60) : QColor(90, 220, 90);
            p.fillRect(QRect(m.x, kMeterBottom - (step + 1) * kMeterStep + 1, m.width, kMeterStep - 2), lit ? on : kGroove);
        }
    }

    // The master strip.
    p.setPen(kText);
    p.drawText(QRect(stripLeft(-1), 0, kMasterWidth, 14), Qt::AlignCenter, QStringLiteral("Master"));
    drawFader(p, -1, m_state.master());
}

void MixerPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_info->hide();
    const QPoint pos = event->position().toPoint();
    m_state.mouseDown(pos.x(), pos.y());
}

void MixerPanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_state.drag() != MixerDrag::None) m_state.mouseMove(pos.x(), pos.y());
    else showHint(pos);
}

void MixerPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_state.mouseUp();
}

void MixerPanel::leaveEvent(QEvent*) { m_info->hide(); }

void MixerPanel::showHint(const QPoint& pos) {
    const MixerHit hit = hitTest(pos.x(), pos.y(), true);
    if (hit.kind == MixerHit::Kind::TrackNumber) {
        QToolTip::hideText();
        m_info->showTrack(plume::trackInfo(m_project ? m_project() : nullptr, hit.channel), mapToGlobal(pos));
        return;
    }
    m_info->hide();
    const QString hint = controlHint(hit, m_state);
    if (hint.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(mapToGlobal(pos), hint, this);
}

// --- CMixer ----------------------------------------------------------------------------------------------

CMixer::CMixer(std::function<const ProjectData*()> project, QWidget* parent)
    : QMdiSubWindow(parent), m_panel(new MixerPanel(std::move(project))) {
    setObjectName(QStringLiteral("CMixer"));
    setWindowTitle(QStringLiteral("ミキサー"));
    setWidget(m_panel);
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
}

void CMixer::closeEvent(QCloseEvent* event) {
    event->ignore();
    showMinimized();
}

CMixer* createMixer(QMdiArea& area, std::function<const ProjectData*()> project) {
    auto* mixer = new CMixer(std::move(project));
    area.addSubWindow(mixer);
    mixer->showMinimized();
    return mixer;
}

}  // namespace plume
