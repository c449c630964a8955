#include "voice/qt/trainer_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>
#include <functional>
#include <ctime>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "voice/qt/voice_dialogs.h"

namespace plume::voice {

namespace {

constexpr int kPollMs = 20;  // the device's notifications

// A singing trainer's logic follows the wave device while its dialog lives; its changes redraw the dialog.
template <class Logic>
void followDevice(QDialog* dialog, Logic& logic, std::function<void()> refresh) {
    logic.changed = std::move(refresh);
    auto* poll = new QTimer(dialog);
    QObject::connect(poll, &QTimer::timeout, dialog, [&logic] { logic.service(); });
    poll->start(kPollMs);
}

// "調整": the detection parameters; the trainer's detector reads them again when they were set.
void connectAdjust(QPushButton* adjust, QWidget* dialog, WaveDriver& driver, CVoiceDetector& detector) {
    QObject::connect(adjust, &QPushButton::clicked, dialog, [dialog, &driver, &detector] {
        if (showDetectParametersDialog(dialog, driver)) detector.LoadParameters();
    });
}
constexpr char kLetters[7] = {'C', 'D', 'E', 'F', 'G', 'A', 'B'};

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// "問題数", "正解数", "正解率" (or the song dialog's "練習回数") with their values.
std::array<QLabel*, 3> counterLabels(QWidget* parent, QGridLayout* grid, int row, const char* first) {
    std::array<QLabel*, 3> values{};
    const char* names[3] = {first, "正解数", "正解率"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(names[i]), parent), row, i * 2);
        values[std::size_t(i)] = new QLabel(QStringLiteral("0"), parent);
        values[std::size_t(i)]->setMinimumWidth(40);
        grid->addWidget(values[std::size_t(i)], row, i * 2 + 1);
    }
    return values;
}

void showCounters(const std::array<QLabel*, 3>& labels, int first, int correct, const std::string& rate) {
    labels[0]->setNum(first);
    labels[1]->setNum(correct);
    labels[2]->setText(text(rate));
}

QString joinCounters(const std::array<QLabel*, 3>& labels) {
    return labels[0]->text() + ' ' + labels[1]->text() + ' ' + labels[2]->text();
}

// A five-line treble staff; notes are placed by their diatonic step, a sharp written before them.
struct StaffPainter {
    QPainter& p;
    int top;          // the top line
    static constexpr int kGap = 8;

    void lines(int left, int right) const {
        p.setPen(Qt::black);
        for (int i = 0; i < 5; ++i) p.drawLine(left, top + i * kGap, right, top + i * kGap);
    }
    // y of a key: E4 (64) sits on the bottom line.
    int yOf(int key) const {
        static constexpr int kSteps[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
        const int step = key / 12 * 7 + kSteps[key % 12];
        return top + 4 * kGap - (step - (64 / 12 * 7 + 2)) * kGap / 2;
    }
    void note(int x, int key, bool filled, QColor colour) const {
        static constexpr bool kSharp[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
        const int y = yOf(key);
        p.setPen(Qt::black);
        // ledger lines above and below the staff
        for (int ly = top + 5 * kGap; ly <= y; ly += kGap) p.drawLine(x - 7, ly, x + 7, ly);
        for (int ly = top - kGap; ly >= y; ly -= kGap) p.drawLine(x - 7, ly, x + 7, ly);
        p.setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
        p.setPen(colour);
        p.drawEllipse(QPoint(x, y), 5, 4);
        p.drawLine(x + 5, y, x + 5, y - 26);
        if (kSharp[key % 12]) p.drawText(x - 16, y + 4, QStringLiteral("#"));
        p.setBrush(Qt::NoBrush);
    }
    void rest(int x) const { p.fillRect(x - 4, top + kGap + 2, 8, 4, Qt::black); }
    void bar(int x) const {
        p.setPen(Qt::black);
        p.drawLine(x, top, x, top + 4 * kGap);
    }
};

// The single-note dialog's keyboard of notes 24..95 with the own note and the two ends marked.
class KeyboardPicture final : public QWidget {
public:
    KeyboardPicture(SingingBasics& logic, QWidget* parent) : QWidget(parent), m_logic(logic) {
        setFixedSize(keyboard_picture::kWidth + 1, 70);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        using namespace keyboard_picture;
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        static constexpr int kWhite[7] = {0, 2, 4, 5, 7, 9, 11};
        auto colourOf = [&](int key, QColor normal) {
            if (key == m_logic.low()) return QColor(80, 140, 255);
            if (key == m_logic.high()) return QColor(255, 100, 100);
            if (key == m_logic.ownNote()) return QColor(90, 200, 90);
            return normal;
        };
        for (int octave = 0; octave < 6; ++octave) {
            const int left = octave * kOctaveWidth;
            for (int w = 0; w < 7; ++w) {
                const QRect key(left + w * kWhiteWidth, kBlackTop, kWhiteWidth, height() - kBlackTop - 1);
                p.fillRect(key, colourOf(kLowestKey + octave * 12 + kWhite[w], Qt::white));
                p.setPen(Qt::black);
                p.drawRect(key);
            }
            for (std::size_t b = 0; b < kBlackOffsets.size(); ++b) {
                const QRect key(left + kBlackOffsets[b], kBlackTop, kBlackWidth, kBlackBottom - kBlackTop + 1);
                p.fillRect(key, colourOf(kLowestKey + octave * 12 + kBlackSemitones[b], Qt::black));
            }
            p.drawText(left + 1, 14, QStringLiteral("C%1").arg(octave + 1));
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        m_logic.clickKeyboard(at.x(), at.y());
    }

private:
    SingingBasics& m_logic;
};

class BasicsStaff final : public QWidget {
public:
    BasicsStaff(SingingBasics& logic, QWidget* parent) : QWidget(parent), m_logic(logic) { setFixedSize(200, 110); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const StaffPainter staff{p, 35};
        staff.lines(4, width() - 4);
        if (m_logic.staff() == SingingBasics::Staff::Empty) return;
        staff.note(70, m_logic.question(), true, Qt::black);
        if (m_logic.staff() != SingingBasics::Staff::QuestionAndSung) return;
        if (m_logic.sung() && *m_logic.sung() > 0) staff.note(130, *m_logic.sung(), true, Qt::red);
        else staff.rest(130);
    }

private:
    SingingBasics& m_logic;
};

// The played copy over the sung copy, each note judged right marked above the top staff.
class PracticeStaves final : public QWidget {
public:
    static constexpr int kStep = 21;  // pixels per step of the position bar
    PracticeStaves(SingingPractice& logic, QScrollBar& position, QWidget* parent)
        : QWidget(parent), m_logic(logic), m_position(position) {
        setMinimumSize(560, 230);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const StaffPainter played{p, 50}, sung{p, 150};
        played.lines(0, width());
        sung.lines(0, width());
        const auto& records = m_logic.played();
        const auto& marks = m_logic.marks();
        const auto& sungNotes = m_logic.sung();
        const int t = m_logic.transposition();
        int x = 30 - m_position.value() * kStep;
        std::size_t g = 0;
        for (std::size_t r = 0; r < records.size(); r = nextGroup(records, r), ++g) {
            const SongRecord& head = records[r];
            if (head.type() == type::kBarLine) {
                played.bar(x - 12);
                sung.bar(x - 12);
                continue;
            }
            if (!head.takesTime()) continue;
            if (head.isNote()) {
                for (std::size_t i = r; i < nextGroup(records, r); ++i)
                    if (records[i].isNote()) played.note(x, records[i].key() - t, true, Qt::black);
                if (g < marks.size() && marks[g] && g < sungNotes.size()) {
                    p.setPen(Qt::red);
                    p.drawText(x - 4, 14, QStringLiteral("○"));
                }
            } else {
                played.rest(x);
            }
            if (g < sungNotes.size()) {
                if (sungNotes[g].isNote()) sung.note(x, sungNotes[g].key(), true, Qt::blue);
                else if (sungNotes[g].isRest()) sung.rest(x);
            }
            x += 34;
        }
    }

private:
    SingingPractice& m_logic;
    QScrollBar& m_position;
};

QScrollBar* horizontalBar(QWidget* parent, int low, int high, int value) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(low, high);
    bar->setValue(value);
    bar->setPageStep(1);
    bar->setMinimumWidth(120);
    return bar;
}

}  // namespace

// ---- timers and sounds -------------------------------------------------------------------------------

QtWindowTimers::~QtWindowTimers() {
    for (auto& [id, timer] : m_timers) delete timer;
}

void QtWindowTimers::setTimer(platform::TimerTarget& target, int id, int ms) {
    QTimer*& timer = m_timers[id];
    if (!timer) timer = new QTimer(m_parent);
    timer->disconnect();
    QObject::connect(timer, &QTimer::timeout, [&target, id] { target.onTimer(id); });
    timer->start(ms);
}

void QtWindowTimers::killTimer(platform::TimerTarget&, int id) {
    if (const auto it = m_timers.find(id); it != m_timers.end()) it->second->stop();
}

std::vector<std::filesystem::path> trainerSoundFolders() {
    const std::filesystem::path program = QCoreApplication::applicationDirPath().toStdString();
    return {program / "sounds", program / ".." / "share" / "plume" / "sounds"};
}

// ---- "聴音" ------------------------------------------------------------------------------------------

EarTrainingDialog::EarTrainingDialog(QWidget* parent, TrainerPlayer& player, FeedbackSounds& sounds, RandomSource random)
    : QDialog(parent), m_player(player), m_logic(player, sounds, std::move(random)) {
    setWindowTitle(QString::fromUtf8(EarTraining::kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* ranges = new QHBoxLayout;
    const char* names[3] = {"1ｵｸﾀｰﾌﾞ上", "Middle C", "1ｵｸﾀｰﾌﾞ下"};
    for (std::size_t i = 0; i < 3; ++i) {
        m_ranges[i] = new QCheckBox(QString::fromUtf8(names[i]), this);
        m_ranges[i]->setChecked(m_logic.range(i));
        connect(m_ranges[i], &QCheckBox::toggled, this, [this, i](bool on) { m_logic.setRange(i, on); });
        ranges->addWidget(m_ranges[i]);
    }
    m_derived = new QCheckBox(QString::fromUtf8("派生音"), this);
    ranges->addWidget(m_derived);
    layout->addLayout(ranges);
    connect(m_derived, &QCheckBox::toggled, this, [this](bool on) {
        m_logic.setDerived(on);
        refresh();
    });

    auto* notes = new QHBoxLayout;
    for (std::size_t i = 0; i < 7; ++i) {
        m_notes[i] = new QPushButton(QString(QChar(kLetters[i])), this);
        m_notes[i]->setFixedWidth(36);
        connect(m_notes[i], &QPushButton::clicked, this, [this, i] {
            m_logic.pressNote(kLetters[i]);
            refresh();
        });
        notes->addWidget(m_notes[i]);
    }
    m_sharp = new QCheckBox(QStringLiteral("#"), this);
    connect(m_sharp, &QCheckBox::toggled, this, [this](bool on) {
        m_logic.setSharp(on);
        refresh();
    });
    notes->addWidget(m_sharp);
    layout->addLayout(notes);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("あなたの答え"), this), 0, 0);
    m_answer = new QLabel(this);
    grid->addWidget(m_answer, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("正解"), this), 0, 2);
    m_correct = new QLabel(this);
    grid->addWidget(m_correct, 0, 3);
    m_counters = counterLabels(this, grid, 1, "問題数");
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    m_ask = new QPushButton(QString::fromUtf8("出題"), this);
    m_hint = new QPushButton(QString::fromUtf8("ヒント"), this);
    m_decide = new QPushButton(QString::fromUtf8("決定"), this);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    for (QPushButton* b : {m_ask, m_hint, m_decide, m_ok}) buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(m_ask, &QPushButton::clicked, this, [this] {
        m_logic.ask();
        refresh();
    });
    connect(m_hint, &QPushButton::clicked, this, [this] {
        m_logic.hint();
        refresh();
    });
    connect(m_decide, &QPushButton::clicked, this, [this] {
        m_logic.decide();
        refresh();
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_logic.changed = [this] { refresh(); };
    refresh();
}

EarTrainingDialog::~EarTrainingDialog() {
    m_logic.changed = nullptr;
    if (m_logic.state() == EarTraining::State::Playing) m_player.stopPlay();
}

QPushButton* EarTrainingDialog::noteButton(char letter) const {
    for (std::size_t i = 0; i < 7; ++i)
        if (kLetters[i] == letter) return m_notes[i];
    return nullptr;
}

QString EarTrainingDialog::counters() const { return joinCounters(m_counters); }

void EarTrainingDialog::refresh() {
    const bool answering = m_logic.answerEnabled();
    m_ask->setEnabled(m_logic.askEnabled());
    m_ok->setEnabled(m_logic.askEnabled());
    for (QPushButton* b : m_notes) b->setEnabled(answering);
    m_hint->setEnabled(answering);
    m_decide->setEnabled(answering);
    for (QCheckBox* box : m_ranges) box->setEnabled(answering || m_logic.state() == EarTraining::State::NoQuestion);
    m_derived->setEnabled(m_logic.state() != EarTraining::State::Playing);
    m_sharp->setEnabled(m_logic.sharpEnabled());
    m_answer->setText(text(m_logic.answerName()));
    m_correct->setText(text(m_logic.correctName()));
    const TrainerScore& score = m_logic.score();
    showCounters(m_counters, score.attempts, score.correct, score.rate());
}

// ---- "発声基礎" ----------------------------------------------------------------------------------------

SingingBasicsDialog::SingingBasicsDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player,
                                         FeedbackSounds& sounds, RandomSource random)
    : QDialog(parent),
      m_driver(driver),
      m_detector(driver),
      m_timers(this),
      m_logic(m_detector, player, sounds, m_timers, std::move(random)) {
    setWindowTitle(QString::fromUtf8(SingingBasics::kTitle));
    m_detector.Allocate(SingingBasics::kSeconds);
    m_logic.load();
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_ask = new QPushButton(QString::fromUtf8("出題"), this);
    m_adjust = new QPushButton(QStringLiteral("Adjust"), this);
    m_enrol = new QPushButton(QString::fromUtf8("ﾋﾟｯﾁの登録"), this);
    m_own = new QLabel(this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_ask, m_adjust, m_enrol, m_own}) top->addWidget(w);
    top->addStretch();
    layout->addLayout(top);

    auto* middle = new QHBoxLayout;
    m_staff = new BasicsStaff(m_logic, this);
    middle->addWidget(m_staff);
    auto* keys = new QVBoxLayout;
    auto* selectors = new QHBoxLayout;
    m_low = new QPushButton(QString::fromUtf8("低音"), this);
    m_high = new QPushButton(QString::fromUtf8("高音"), this);
    for (QPushButton* b : {m_low, m_high}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
        selectors->addWidget(b);
    }
    m_low->setChecked(true);
    selectors->addStretch();
    keys->addLayout(selectors);
    m_keyboard = new KeyboardPicture(m_logic, this);
    keys->addWidget(m_keyboard);
    middle->addLayout(keys);
    layout->addLayout(middle);

    auto* grid = new QGridLayout;
    m_counters = counterLabels(this, grid, 0, "問題数");
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_ask, &QPushButton::clicked, this, [this] { m_logic.ask(); });
    connect(m_low, &QPushButton::clicked, this, [this] { m_logic.setSelector(SingingBasics::End::Low); });
    connect(m_high, &QPushButton::clicked, this, [this] { m_logic.setSelector(SingingBasics::End::High); });
    connectAdjust(m_adjust, this, m_driver, m_detector);
    connect(m_enrol, &QPushButton::clicked, this, [this] {
        if (!showPitchEnrolDialog(this, m_driver)) return;
        m_logic.setOwnNote(platform::plmProfile().getInt("User Data for Transpose", "User Data", m_logic.ownNote()));
        refresh();
    });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    followDevice(this, m_logic, [this] { refresh(); });
    refresh();
}

SingingBasicsDialog::~SingingBasicsDialog() { m_logic.changed = nullptr; }

QString SingingBasicsDialog::counters() const { return joinCounters(m_counters); }

void SingingBasicsDialog::accept() {
    m_logic.save();
    QDialog::accept();
}

void SingingBasicsDialog::refresh() {
    const bool idle = m_logic.state() == SingingBasics::State::Idle;
    for (QWidget* w : std::initializer_list<QWidget*>{m_ask, m_adjust, m_enrol, m_ok, m_keyboard, m_low, m_high})
        w->setEnabled(idle);
    m_own->setText(QStringLiteral("Note No:%1").arg(m_logic.ownNote()));
    const TrainerScore& score = m_logic.score();
    showCounters(m_counters, score.attempts, score.correct, score.rate());
    m_keyboard->update();
    m_staff->update();
}

// ---- "発声実践" ----------------------------------------------------------------------------------------

SingingPracticeDialog::SingingPracticeDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player,
                                             FeedbackSounds& sounds, platform::FileDialog& files, Records clipboard,
                                             const SongInfo& info)
    : QDialog(parent),
      m_driver(driver),
      m_files(files),
      m_detector(driver),
      m_timers(this),
      m_logic(m_detector, player, sounds, m_timers) {
    setWindowTitle(QString::fromUtf8(SingingPractice::kTitle));
    m_detector.Allocate(SingingPractice::kSeconds);
    m_logic.open(clipboard, info);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_rec = new QPushButton(QStringLiteral("Rec"), this);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    m_play = new QPushButton(QStringLiteral("Play"), this);
    m_voiceOnly = new QCheckBox(QString::fromUtf8("歌のみを再生"), this);
    m_count = new QLabel(this);
    m_count->setMinimumWidth(20);
    m_adjust = new QPushButton(QStringLiteral("Adjust"), this);
    m_enrol = new QPushButton(QString::fromUtf8("ﾋﾟｯﾁの登録"), this);
    m_own = new QLabel(this);
    m_relief = new QPushButton(QString::fromUtf8("音痴救済"), this);
    m_save = new QPushButton(QStringLiteral("Save"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_rec, m_stop, m_play, m_voiceOnly, m_count, m_adjust, m_enrol,
                                                      m_own, m_relief, m_save})
        top->addWidget(w);
    layout->addLayout(top);

    m_position = new QScrollBar(Qt::Horizontal, this);
    m_position->setRange(0, 100);
    m_staves = new PracticeStaves(m_logic, *m_position, this);
    layout->addWidget(m_staves);
    layout->addWidget(m_position);
    connect(m_position, &QScrollBar::valueChanged, m_staves, qOverload<>(&QWidget::update));

    auto* bars = new QGridLayout;
    m_speed = horizontalBar(this, SingingPractice::kSpeedLow, SingingPractice::kSpeedHigh, m_logic.speed());
    m_octave = horizontalBar(this, m_logic.octaveLow(), m_logic.octaveHigh(), 0);
    m_semitone = horizontalBar(this, SingingPractice::kSemitoneLow, SingingPractice::kSemitoneHigh, 0);
    m_speedText = new QLabel(this);
    m_octaveText = new QLabel(this);
    m_semitoneText = new QLabel(this);
    const char* names[3] = {"スピード", "オクターブ", "半音"};
    QScrollBar* barList[3] = {m_speed, m_octave, m_semitone};
    QLabel* values[3] = {m_speedText, m_octaveText, m_semitoneText};
    for (int i = 0; i < 3; ++i) {
        bars->addWidget(new QLabel(QString::fromUtf8(names[i]), this), i, 0);
        bars->addWidget(barList[i], i, 1);
        bars->addWidget(values[i], i, 2);
    }
    m_counters = counterLabels(this, bars, 3, "練習回数");
    layout->addLayout(bars);
    m_wave = new WaveformView(this);
    m_wave->setMinimumHeight(70);
    layout->addWidget(m_wave);
    auto* close = new QPushButton(QStringLiteral("OK"), this);
    layout->addWidget(close, 0, Qt::AlignRight);

    connect(m_speed, &QScrollBar::valueChanged, this, [this](int v) {
        m_logic.setSpeed(v);
        refresh();
    });
    connect(m_octave, &QScrollBar::valueChanged, this, [this](int v) {
        const int kept = m_logic.octave();
        moveTransposition(m_octave, m_logic.setOctave(v), kept);
    });
    connect(m_semitone, &QScrollBar::valueChanged, this, [this](int v) {
        const int kept = m_logic.semitone();
        moveTransposition(m_semitone, m_logic.setSemitone(v), kept);
    });
    connect(m_rec, &QPushButton::clicked, this, [this] { m_logic.record(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_logic.stop(); });
    connect(m_play, &QPushButton::clicked, this, [this] { m_logic.play(m_voiceOnly->isChecked()); });
    connect(m_relief, &QPushButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_logic.relief();
        QApplication::restoreOverrideCursor();
        refresh();
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (const auto path = m_files.askSaveName("ファイルの保存", "wavﾌｧｲﾙ (*.wav)", "")) m_logic.save(*path);
    });
    connectAdjust(m_adjust, this, m_driver, m_detector);
    connect(m_enrol, &QPushButton::clicked, this, [this] {
        if (showPitchEnrolDialog(this, m_driver)) refresh();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    followDevice(this, m_logic, [this] { refresh(); });
    refresh();
}

SingingPracticeDialog::~SingingPracticeDialog() { m_logic.changed = nullptr; }

QString SingingPracticeDialog::counters() const { return joinCounters(m_counters); }

void SingingPracticeDialog::moveTransposition(QScrollBar* bar, bool accepted, int kept) {
    if (!accepted) {
        const QSignalBlocker block(bar);
        bar->setValue(kept);
    }
    refresh();
}

void SingingPracticeDialog::refresh() {
    using S = SingingPractice::State;
    const S state = m_logic.state();
    const bool idle = state == S::Idle;
    for (QWidget* w : std::initializer_list<QWidget*>{m_rec, m_play, m_adjust, m_enrol, m_octave, m_semitone, m_speed})
        w->setEnabled(idle);
    m_stop->setEnabled(!idle);
    m_relief->setEnabled(m_logic.reliefEnabled());
    m_save->setEnabled(idle && m_detector.HasRecording() && m_detector.GetSampleCount() > 0);
    m_count->setText(state == S::CountIn ? QString::number(m_logic.count()) : QString());
    m_own->setText(QStringLiteral("Note No:%1")
                       .arg(platform::plmProfile().getInt("User Data for Transpose", "User Data", 60)));
    m_speedText->setText(QStringLiteral("%1%").arg(m_logic.speed()));
    m_octaveText->setText(QString::number(m_logic.octave()));
    m_semitoneText->setText(QString::number(m_logic.semitone()));
    showCounters(m_counters, m_logic.practices(), m_logic.correct(), m_logic.rate());
    if (idle && m_detector.GetSampleCount() > 0)
        m_wave->show(m_detector.GetBufferHandle().first(m_detector.GetSampleCount()),
                     m_detector.GetParameters()[DetectParameters::kNoiseCutLevel]);
    m_staves->update();
}

// ---- entry points --------------------------------------------------------------------------------------

void showEarTrainingDialog(QWidget* parent, TrainerPlayer& player, FeedbackSounds& sounds) {
    std::srand(unsigned(std::time(nullptr)));
    EarTrainingDialog dialog(parent, player, sounds);
    dialog.exec();
}

void showSingingBasicsDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player, FeedbackSounds& sounds) {
    std::srand(unsigned(std::time(nullptr)));
    SingingBasicsDialog dialog(parent, driver, player, sounds);
    if (!dialog.isReady()) {
        platform::messageBox().show(trainer::kNoMemory);
        return;
    }
    dialog.exec();
}

void showSingingPracticeDialog(QWidget* parent, WaveDriver& driver, TrainerPlayer& player, FeedbackSounds& sounds,
                               platform::FileDialog& files, Records clipboard, const SongInfo& info) {
    SingingPracticeDialog dialog(parent, driver, player, sounds, files, clipboard, info);
    if (!dialog.isReady()) {
        platform::messageBox().show(trainer::kNoMemory);
        return;
    }
    dialog.exec();
}

}  // namespace plume::voice
