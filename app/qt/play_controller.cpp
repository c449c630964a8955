#include "app/qt/play_controller.h"

#include <QDialog>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>

#include "app/qt/main_frame.h"
#include "app/qt/play_dialogs.h"
#include "app/qt/plm_app.h"
#include "app/qt/plm_child_wnd.h"
#include "platform/profile.h"
#include "play/devices/system_devices.h"
#include "play/qt/mixer_window.h"
#include "score/qt/plm_view_widget.h"
#include "score/range_edit.h"
#include "song/plm_doc.h"
#include "song/qt/properties_dialog.h"

namespace plume {

namespace {

constexpr int kPumpPeriodMs = 2;

// This machine's ports and the built-in synthesiser. PLUME_SYNTH_WAV names a WAV file that the
// synthesiser renders into when there is no sound card (otherwise it cannot be opened then).
std::unique_ptr<MidiDevices> systemDevices(const PlaySettings& settings) {
    SynthOptions synth;
    synth.soundFont = settings.soundFont;
    std::optional<std::filesystem::path> noSoundCardWav;
    if (const char* wav = std::getenv("PLUME_SYNTH_WAV"); wav && *wav) noSoundCardWav = wav;
    return std::make_unique<KeptSynthDevices>(std::make_unique<SystemMidiDevices>(synth, noSoundCardWav));
}

// The kept synthesiser as one play sees it: times from this open on, shifted to follow the last play's.
class SynthView final : public MidiOut {
public:
    SynthView(MidiOut& synth, std::int64_t offsetMicros) : m_synth(synth), m_offset(offsetMicros) {}
    void send(const MidiMessage& message) override {
        MidiMessage shifted = message;
        shifted.micros += m_offset;
        m_synth.send(shifted);
    }
    void service() override { m_synth.service(); }

private:
    MidiOut& m_synth;
    std::int64_t m_offset;
};

}  // namespace

// ---- the kept synthesiser ----------------------------------------------------------------------------

KeptSynthDevices::KeptSynthDevices(std::unique_ptr<MidiDevices> inner) : m_inner(std::move(inner)) {}

std::unique_ptr<MidiOut> KeptSynthDevices::open(int id) {
    if (id != kMidiMapper) return m_inner->open(id);
    if (!m_synth) {
        // Loading the SoundFont takes a second or two.
        const bool withCursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
        if (withCursor) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_synth = m_inner->open(id);
        if (withCursor) QGuiApplication::restoreOverrideCursor();
        if (!m_synth) return nullptr;
        m_openedAt = std::chrono::steady_clock::now();
    }
    const auto since = std::chrono::steady_clock::now() - m_openedAt;
    return std::make_unique<SynthView>(*m_synth, std::chrono::duration_cast<std::chrono::microseconds>(since).count());
}

// ---- the player --------------------------------------------------------------------------------------

PlayController::PlayController(CMainFrame& frame, PlaySettings& settings)
    : m_frame(frame), m_settings(settings), m_mixer(frame.mixer()->state()) {
    m_pump.setTimerType(Qt::PreciseTimer);
    m_pump.setInterval(kPumpPeriodMs);
    QObject::connect(&m_pump, &QTimer::timeout, &m_pump, [this] { pump(); });
    m_frame.setStopPlaybackHook([this] { stop(); });
    m_mixer.setMasterControl(m_settings.mainVolumeControl == 1);
}

PlayController::~PlayController() {
    m_frame.setStopPlaybackHook({});
    m_pump.stop();
    if (m_engine && m_engine->sequencer().playMode() != PlayMode::Stopped) m_engine->sequencer().StopPlay();
    m_engine.reset();
    m_mixer.setBlock(nullptr);
}

PlayMode PlayController::playMode() const {
    return m_monitoring ? PlayMode::Stopped : sequencerMode();
}

PlayMode PlayController::sequencerMode() const {
    return m_engine ? m_engine->sequencer().playMode() : PlayMode::Stopped;
}

MidiDevices& PlayController::devices() {
    if (!m_devices) m_devices = m_deviceFactory ? m_deviceFactory(m_settings) : systemDevices(m_settings);
    return *m_devices;
}

PlaybackEngine& PlayController::readyEngine() {
    if (!m_engine) {
        m_engine = std::make_unique<PlaybackEngine>(PlaybackEngine::ClockMode::Realtime, devices(), *this, m_mixer,
                                                    platform::plmProfile(), m_settings);
        m_engine->addReportListener(kTestWindow, m_testReports);
        m_engine->sequencer().setRepeat(m_repeat);
        m_engine->sequencer().setAllTracks(m_allTracks);
        m_mixer.setBlock(&m_engine->block());
    }
    m_mixer.setMasterControl(m_settings.mainVolumeControl == 1);
    // The setting commands are refused while playing, so a play keeps the settings it started with.
    m_engine->sequencer().settings() = m_settings;
    // The window timers stand still between pumps: a timer set now must count from now.
    m_engine->pump();
    return *m_engine;
}

void PlayController::pump() {
    if (m_engine) m_engine->pump();
    follow();
}

void PlayController::follow() {
    if (sequencerMode() == PlayMode::Stopped) {
        m_pump.stop();
        m_monitoring = false;
    } else if (!m_pump.isActive()) {
        m_pump.start();
    }
    // The monitor's notes leave the frame stopped: writing goes on while they sound.
    const PlayMode mode = playMode();
    if (mode == m_shownMode) return;
    m_shownMode = mode;
    m_frame.setPlaying(mode != PlayMode::Stopped);
}

void PlayController::play() {
    if (m_monitoring) stop();
    readyEngine().sequencer().PlayCurrent();
    follow();
}

void PlayController::stop() {
    if (sequencerMode() == PlayMode::Stopped) return;
    m_engine->sequencer().StopPlay();
    // A test stopped from outside its dialog restores the dialog's buttons all the same.
    if (auto ended = std::exchange(m_testEnded, {})) ended();
    follow();
}

void PlayController::setRepeat(bool on) {
    m_repeat = on;
    if (m_engine) m_engine->sequencer().setRepeat(on);
}

void PlayController::setAllTracks(bool on) {
    m_allTracks = on;
    if (m_engine) m_engine->sequencer().setAllTracks(on);
}

// ---- dialogs -------------------------------------------------------------------------------------------

void PlayController::chooseReset() {
    ResetDialog dialog(m_settings.playBeginReset, &m_frame);
    if (dialog.exec() != QDialog::Accepted) return;
    m_settings.playBeginReset = dialog.mode();
    m_settings.savePlayBeginReset(platform::plmProfile());
}

void PlayController::chooseDevice() {
    DeviceDialog dialog(devices().portNames(), m_settings, &m_frame);
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.applyTo(m_settings);
    m_mixer.setMasterControl(m_settings.mainVolumeControl == 1);
}

void PlayController::chooseInterrupt() {
    InterruptDialog dialog(m_settings.interrupt, &m_frame);
    if (dialog.exec() == QDialog::Accepted) m_settings.interrupt = dialog.index();
}

std::optional<SongInfo> PlayController::chooseInstrument(const SongInfo& info, QWidget* parent) {
    // A song's initial instrument cannot be taken away: "削除する" leaves it as it was.
    if (info.isRhythm()) {
        DrumSetDialog dialog(info, parent);
        if (dialog.exec() != QDialog::Accepted || dialog.result().remove) return std::nullopt;
        return dialog.result().info;
    }
    const Tone current{info.initialModule(), info.initialBank(), info.initialProgram()};
    MelodyInstrumentDialog dialog(current, std::max<int>(info.tempo(), 1), *this, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.result().remove) return std::nullopt;
    const Tone tone = dialog.result().tone;
    SongInfo chosen = info;
    chosen.setInitialTone(tone.module, tone.bank, tone.program);
    return chosen;
}

// ---- test play ---------------------------------------------------------------------------------------

void PlayController::soundNotes(const std::vector<SongRecord>& notes) {
    const CPlmDoc* document = activeDocument();
    if (notes.empty() || !document || playMode() != PlayMode::Stopped) return;
    stop();  // the notes written before
    m_monitoring = true;
    m_monitorGroup = notes;
    m_monitorGroup.front().setGroupSize(std::uint8_t(notes.size()));
    const SongInfo& info = document->songInfo();
    TestPlay test;
    test.records = m_monitorGroup;
    test.midiChannel = info.isRhythm() ? kRhythmMidiChannel : 0;
    test.tone = {info.initialModule(), info.initialBank(), info.initialProgram()};
    test.tempo = info.tempo();
    startTest(test, {});
}

bool PlayController::startTest(const TestPlay& test, std::function<void()> ended) {
    return startTest(test, std::move(ended), {});
}

bool PlayController::startTest(const TestPlay& test, std::function<void()> ended,
                               std::function<void(const PlayReport&)> notes) {
    stop();  // only one thing plays at a time: the test takes over
    const bool started = readyEngine().sequencer().PlayTest(kTestWindow, test) == PlayStart::Started;
    if (started) m_testEnded = std::move(ended);
    m_testNotes = started ? std::move(notes) : nullptr;
    follow();
    return started;
}

bool PlayController::startAudition(const AuditionPlay& play, std::function<void()> ended) {
    std::vector<TestChannel> channels;
    for (const AuditionChannel& c : play.channels)
        channels.push_back({c.index, c.track, c.start, c.count, c.melodic, {c.module, c.bank, c.program}});
    stop();
    const bool started =
        readyEngine().sequencer().PlayTestChannels(kTestWindow, channels, play.tempo) == PlayStart::Started;
    if (started) m_testEnded = std::move(ended);
    m_testNotes = nullptr;
    follow();
    return started;
}

bool PlayController::playFile(const std::filesystem::path& path) {
    stop();
    const bool started = readyEngine().sequencer().PlayFile(path) == PlayStart::Started;
    follow();
    return started;
}

void PlayController::stopTest() {
    if (!m_testEnded) return;
    m_testEnded = {};
    m_engine->sequencer().StopPlay();
    follow();
}

// A test that ends by itself is closed, the monitor's (which has no callback) as well.
void PlayController::testEnded() {
    if (sequencerMode() == PlayMode::Stopped) return;  // the end of a test stopped meanwhile
    m_engine->sequencer().StopPlay();
    if (auto ended = std::exchange(m_testEnded, {})) ended();
    follow();
}

void PlayController::TestReports::playReport(const PlayReport& report) {
    if (report.kind == PlayReport::Kind::Ended) return m_owner.testEnded();
    const bool note = report.kind == PlayReport::Kind::NoteStart || report.kind == PlayReport::Kind::NoteEnd;
    if (note && m_owner.m_testNotes && m_owner.m_testEnded) m_owner.m_testNotes(report);
}

// ---- the frame's windows -------------------------------------------------------------------------------

ActiveWindow PlayController::activeWindow() const {
    if (m_frame.activeChild()) return ActiveWindow::Song;
    return m_frame.mixerActive() ? ActiveWindow::Mixer : ActiveWindow::None;
}

const CPlmDoc* PlayController::activeDocument() const {
    const CPlmChildWnd* child = m_frame.activeChild();
    return child ? &child->document() : nullptr;
}

std::filesystem::path PlayController::activeDocumentPath() const {
    const CPlmChildWnd* child = m_frame.activeChild();
    return child ? child->path() : std::filesystem::path();
}

std::optional<RecordSelection> PlayController::activeSelection() const {
    const CPlmView* view = m_frame.activeView();
    if (!view) return std::nullopt;
    const RecordRange range = selectedRecords(view->logic());
    if (range.empty()) return std::nullopt;
    // The range ends before the group after it; the selection names its last group.
    const Records records = view->logic().records();
    std::size_t last = range.from;
    for (std::size_t g = range.from; g < range.to && g < records.size(); g = nextGroup(records, g)) last = g;
    return RecordSelection{range.from, last};
}

const ProjectData* PlayController::project() const {
    CPlmApp& app = m_frame.app();
    return app.hasProject() && app.project().isSet() ? &app.project().data() : nullptr;
}

const OpenDocumentLookup& PlayController::openDocuments() const { return m_frame; }

void PlayController::filePlayEnded() { m_frame.app().databasePlayEnded(); }

}  // namespace plume
