#pragma once
// The main frame's player: the real-time PlaybackEngine over this machine's MIDI devices, made on
// first use so that starting the editor loads no SoundFont. It answers the sequencer from the
// frame's windows, pumps the engine every 2 ms while something plays, tells the frame when playing
// starts and stops, and runs the "演奏" menu's dialogs and the instrument dialogs' test play.

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "play/mixer_state.h"
#include "play/qt/instrument_dialogs.h"
#include "play/playback_engine.h"
#include "play/sequencer.h"
#include "score/qt/chord_dialog.h"

class QWidget;

namespace plume {

class CMainFrame;

// Keeps the built-in synthesiser of `inner` once it has opened, so that only the first play loads
// its SoundFont; each open hands out a view of it whose message times go on from the last play's.
class KeptSynthDevices final : public MidiDevices {
public:
    explicit KeptSynthDevices(std::unique_ptr<MidiDevices> inner);
    std::vector<std::string> portNames() override { return m_inner->portNames(); }
    std::unique_ptr<MidiOut> open(int id) override;

private:
    std::unique_ptr<MidiDevices> m_inner;
    std::unique_ptr<MidiOut> m_synth;
    std::chrono::steady_clock::time_point m_openedAt;
};

class PlayController final : public PlayHost, public TestPlayer, public AuditionPlayer {
public:
    using DeviceFactory = std::function<std::unique_ptr<MidiDevices>(const PlaySettings&)>;
    // Receives the component's messages while an instrument dialog's test plays.
    static constexpr platform::WindowId kTestWindow = 2;

    // `settings` are the frame's: the dialogs change them, each play starts with them. The frame's
    // mixer must exist.
    PlayController(CMainFrame& frame, PlaySettings& settings);
    // Stops whatever plays.
    ~PlayController() override;
    PlayController(const PlayController&) = delete;
    PlayController& operator=(const PlayController&) = delete;

    // Devices other than this machine's (tests); used when the devices are first needed.
    void setDeviceFactory(DeviceFactory factory) { m_deviceFactory = std::move(factory); }
    // What the frame sees: Stopped while only the monitor sounds.
    PlayMode playMode() const;
    // Null until something played.
    PlaybackEngine* engine() { return m_engine.get(); }
    // Whether the song is one the player plays now.
    bool plays(const CPlmDoc& document) const { return m_engine && m_engine->sequencer().plays(document); }

    // --- the "演奏" menu ---------------------------------------------------------------------------
    void play();  // "演奏開始"
    void stop();  // "演奏停止", and whatever else must stop playing
    // "繰り返し演奏" and "全トラック": kept here for the engine made on first use.
    bool repeat() const { return m_repeat; }
    void setRepeat(bool on);
    bool allTracks() const { return m_allTracks; }
    void setAllTracks(bool on);
    void chooseReset();      // "音源リセット": writes "Play Begin Reset" on OK
    void chooseDevice();     // "MIDIデバイス"
    void chooseInterrupt();  // "割り込み周期"

    // "参照(&B)" of the song's properties: the melody-instrument dialog for a melody song, the
    // drum-set dialog for a rhythm song; the settings with the chosen bytes 6-8, or nullopt.
    std::optional<SongInfo> chooseInstrument(const SongInfo& info, QWidget* parent);

    // The monitor: notes just written sound at once with the song's starting instrument, played
    // as a one-group test so that they take the same path as everything else.
    void soundNotes(const std::vector<SongRecord>& notes);

    // --- TestPlayer --------------------------------------------------------------------------------
    bool startTest(const TestPlay& test, std::function<void()> ended) override;
    // The same, with every note start and end of the test passed to `notes` while it plays (the trainer).
    bool startTest(const TestPlay& test, std::function<void()> ended, std::function<void(const PlayReport&)> notes);
    void stopTest() override;

    // --- AuditionPlayer: the chord dialog's plays, ended and stopped as tests are ----------------------
    bool startAudition(const AuditionPlay& play, std::function<void()> ended) override;
    void stopAudition() override { stopTest(); }

    // One song file (the song database); true when it plays.
    bool playFile(const std::filesystem::path& path);

    // --- PlayHost: the frame's windows -------------------------------------------------------------
    ActiveWindow activeWindow() const override;
    const CPlmDoc* activeDocument() const override;
    std::filesystem::path activeDocumentPath() const override;
    std::optional<RecordSelection> activeSelection() const override;
    const ProjectData* project() const override;
    const OpenDocumentLookup& openDocuments() const override;
    void filePlayEnded() override;

private:
    // The end of a test play.
    class TestReports final : public PlayReportListener {
    public:
        explicit TestReports(PlayController& owner) : m_owner(owner) {}
        void playReport(const PlayReport& report) override;

    private:
        PlayController& m_owner;
    };

    MidiDevices& devices();
    PlayMode sequencerMode() const;
    // The engine with the frame's settings, its window timers brought up to now.
    PlaybackEngine& readyEngine();
    void pump();
    // After anything that may start or stop playing: the pump timer and the frame follow the mode.
    void follow();
    void testEnded();

    CMainFrame& m_frame;
    PlaySettings& m_settings;
    DeviceFactory m_deviceFactory;
    MixerState& m_mixer;  // the mixer window's: master volume, key shift, mute and solo, the meters
    std::unique_ptr<MidiDevices> m_devices;
    std::unique_ptr<PlaybackEngine> m_engine;
    TestReports m_testReports{*this};
    std::function<void()> m_testEnded;
    std::function<void(const PlayReport&)> m_testNotes;
    std::vector<SongRecord> m_monitorGroup;  // what the monitor plays; kept while it sounds
    QTimer m_pump;
    PlayMode m_shownMode = PlayMode::Stopped;
    bool m_monitoring = false;
    bool m_repeat = false;
    bool m_allTracks = false;
};

}  // namespace plume
