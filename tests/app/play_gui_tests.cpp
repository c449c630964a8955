// Playing from the editor offscreen, into the event recorder: the play and stop commands, the
// frame's state while a song plays, the "演奏" menu's dialogs and the instrument dialogs of the
// song's properties with their test play, the chord dialog's audition and the song database's file play.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QMdiArea>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <sstream>

#include "app/entry_request.h"
#include "app/qt/database_link.h"
#include "app/qt/play_controller.h"
#include "app/qt/play_dialogs.h"
#include "cli/demo_project.h"
#include "database/qt/database_window.h"
#include "play/event_recorder.h"
#include "play/qt/instrument_dialogs.h"
#include "score/qt/chord_dialog.h"
#include "song/qt/properties_dialog.h"
#include "support/frame_test.h"

namespace plume {
namespace {

using Lines = std::vector<std::string>;

std::string text(const QString& s) { return s.toStdString(); }

// Buttons of the dialogs by their place: the reset dialog's "GS" and "データにより自動選択", the
// interrupt dialog's 2 and 5 ms, the melody dialog's families of programs 56-63 and 72-79.
constexpr int kResetGs = 1, kResetByData = 3, kInterrupt2Ms = 1, kInterrupt5Ms = 2, kBrassFamily = 7, kPipeFamily = 9;

// "90 43 60": the message's bytes without its time.
std::string bytesOf(const MidiMessage& m) {
    const std::string line = eventLine(m);
    return line.substr(line.find(' ') + 1);
}

// What every stop sends: per channel hold off, all notes off, all sound off.
Lines silence() {
    Lines lines;
    const char* hex = "0123456789ABCDEF";
    for (int ch = 0; ch < 16; ++ch) {
        const std::string status = std::string("B") + hex[ch];
        for (const char* tail : {" 40 00", " 7B 00", " 78 00"}) lines.push_back(status + tail);
    }
    return lines;
}

template <typename Dialog>
Dialog* modal() {
    return qobject_cast<Dialog*>(QApplication::activeModalWidget());
}

class PlayGuiTest : public test::FrameTest {
protected:
    PlayGuiTest() {
        std::ostringstream err;
        writeDemoProject(m_dir, err);
    }
    // The application goes before the recorder it sends to.
    ~PlayGuiTest() override {
        m_box.reset();
        m_app.reset();
    }

    // The song in its window, the recorder as the only device (unless `devices` says otherwise).
    void startWith(const std::string& song, std::vector<MidiOut*> devices) {
        startWithSong(m_dir / song);
        frame().player().setDeviceFactory(
            [devices](const PlaySettings&) { return std::make_unique<FixedDevices>(devices); });
        QApplication::processEvents();
    }
    void startWith(const std::string& song) { startWith(song, {&m_recorder}); }

    Lines messages() {
        Lines lines;
        for (const MidiMessage& m : m_recorder.events()) lines.push_back(bytesOf(m));
        return lines;
    }
    bool received(const std::string& bytes) {
        const Lines lines = messages();
        return std::find(lines.begin(), lines.end(), bytes) != lines.end();
    }
    // A note-on of `key` (hex) on channel 1, whatever its velocity.
    bool soundedKey(const std::string& key) {
        const Lines lines = messages();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.starts_with("90 " + key + " ") && !l.ends_with(" 00"); });
    }
    Lines lastMessages(std::size_t n) {
        const Lines lines = messages();
        return {lines.end() - std::ptrdiff_t(std::min(n, lines.size())), lines.end()};
    }
    // The first group of the song selected.
    void selectFirstGroup() {
        QTest::keyClick(&view(), Qt::Key_Right, Qt::ShiftModifier);
        ASSERT_TRUE(view().logic().hasRange());
    }

    EventRecorder m_recorder;
};

TEST_F(PlayGuiTest, PlayingASongDrivesTheFrameAndStopSilencesEveryChannel) {
    // GIVEN the melody (GM, program 73) in the active window, nothing played yet
    startWith("melody.PLM");
    EXPECT_EQ(frame().player().engine(), nullptr) << "no engine and no devices before the first play";

    // WHEN "演奏開始" is chosen
    frame().runCommand(cmd::kPlay);
    // THEN the frame plays and the commands follow
    EXPECT_TRUE(frame().isPlaying());
    EXPECT_FALSE(enabled(cmd::kPlay));
    EXPECT_TRUE(enabled(cmd::kStop));
    EXPECT_FALSE(enabled(cmd::kMidiDevice));
    // and the device gets the reset, the master volume and the song's program before the first note
    ASSERT_TRUE(test::waitUntil([&] { return received("90 43 60"); }));
    const Lines start = messages();
    EXPECT_EQ(Lines(start.begin(), start.begin() + 5),
              (Lines{"F0 7E 7F 09 01 F7", "F0 7F 7F 04 01 00 7F F7", "C0 49", "B0 07 64", "90 43 60"}));

    // WHEN the main window is closed THEN it refuses and plays on
    EXPECT_FALSE(frame().close());
    EXPECT_EQ(m_box->shown(), Lines{"演奏を止めてから、終了して下さい。"});
    EXPECT_TRUE(frame().isPlaying());
    // WHEN song windows are closed THEN the playing song's refuses, another one closes
    CPlmChildWnd* melody = frame().activeChild();
    EXPECT_FALSE(melody->close());
    EXPECT_EQ(m_box->shown().back(), "演奏を止めてから、閉じて下さい。");
    ASSERT_TRUE(frame().openSongWindow(m_dir / "bass.PLM", false));
    EXPECT_TRUE(frame().activeChild()->close());
    EXPECT_EQ(frame().childWindows().size(), 1u);
    EXPECT_TRUE(frame().isPlaying());
    EXPECT_EQ(frame().activeChild(), melody);  // not the minimised mixer

    // WHEN "演奏停止" is chosen THEN every channel is silenced and the frame is stopped
    frame().runCommand(cmd::kStop);
    EXPECT_FALSE(frame().isPlaying());
    EXPECT_EQ(lastMessages(48), silence());
    EXPECT_TRUE(enabled(cmd::kMidiDevice));
    // and nothing more is sent
    const std::size_t sent = messages().size();
    QTest::qWait(600);
    EXPECT_EQ(messages().size(), sent);
}

TEST_F(PlayGuiTest, TheMonitorSoundsWrittenNotesWhileWritingGoesOn) {
    // GIVEN the melody with the monitor on
    startWith("melody.PLM");
    frame().entryState().choice.monitor = true;
    const std::size_t count = doc().recordCount();
    // WHEN a C-E chord is entered
    frame().deliverToActiveView(entry::EnterChord{{{60, 0}, {64, 0}}});
    // THEN both notes sound with the song's program, and the frame does not count as playing
    ASSERT_TRUE(test::waitUntil([&] { return soundedKey("3C") && soundedKey("40"); }));
    EXPECT_TRUE(received("C0 49"));
    EXPECT_FALSE(frame().isPlaying());
    EXPECT_TRUE(enabled(cmd::kPlay));
    // and the next note is written and sounds while the first ones may still ring
    frame().deliverToActiveView(entry::EnterChord{{{67, 0}}});
    EXPECT_EQ(doc().recordCount(), count + 3);
    ASSERT_TRUE(test::waitUntil([&] { return soundedKey("43"); }));
    // WHEN the song is played THEN the monitor gives way to it
    frame().runCommand(cmd::kPlay);
    EXPECT_TRUE(frame().isPlaying());
    frame().runCommand(cmd::kStop);
    EXPECT_FALSE(frame().isPlaying());
}

TEST_F(PlayGuiTest, ASelectionPlaysToItsEndAndRepeatsWhileRepeatIsOn) {
    platform::plmProfile().writeInt("MIDI Config", "Rep Play Interval", 20);
    startWith("melody.PLM");
    selectFirstGroup();

    // WHEN only the first group plays THEN the frame stops by itself at its end
    frame().runCommand(cmd::kPlay);
    ASSERT_TRUE(frame().isPlaying());
    ASSERT_TRUE(test::waitUntil([&] { return !frame().isPlaying(); }));
    const Lines once = messages();
    EXPECT_EQ(std::count(once.begin(), once.end(), "90 43 60"), 1);
    EXPECT_EQ(Lines(once.end() - 48, once.end()), silence());
    EXPECT_TRUE(enabled(cmd::kPlay));

    // WHEN "繰り返し演奏" is on THEN the same group plays again and again until stopped
    frame().runCommand(cmd::kRepeat);
    EXPECT_TRUE(frame().action(cmd::kRepeat)->isChecked());
    m_recorder.clear();
    frame().runCommand(cmd::kPlay);
    ASSERT_TRUE(test::waitUntil([&] {
        const Lines lines = messages();
        return std::count(lines.begin(), lines.end(), "90 43 60") >= 2;
    }));
    EXPECT_TRUE(frame().isPlaying());
    frame().runCommand(cmd::kStop);
    EXPECT_FALSE(frame().isPlaying());
}

TEST_F(PlayGuiTest, CuttingWhilePlayingStopsThePlayFirst) {
    startWith("melody.PLM");
    selectFirstGroup();
    const std::size_t count = doc().recordCount();
    frame().runCommand(cmd::kPlay);
    ASSERT_TRUE(test::waitUntil([&] { return received("90 43 60"); }));

    frame().runCommand(cmd::kEditCut);

    EXPECT_FALSE(frame().isPlaying());
    EXPECT_EQ(lastMessages(48), silence());
    EXPECT_LT(doc().recordCount(), count);
}

TEST_F(PlayGuiTest, ADeviceThatCannotOpenShowsTheMessageAndTheFrameStaysStopped) {
    startWith("melody.PLM", {});
    frame().runCommand(cmd::kPlay);
    EXPECT_EQ(m_box->shown(), Lines{"MIDIﾃﾞﾊﾞｲｽをオープンできません。"});
    EXPECT_FALSE(frame().isPlaying());
    EXPECT_TRUE(enabled(cmd::kPlay));
    EXPECT_FALSE(enabled(cmd::kStop));
    // and the next try asks again rather than hanging
    frame().runCommand(cmd::kPlay);
    EXPECT_EQ(m_box->shown().size(), 2u);
}

TEST_F(PlayGuiTest, TheSettingDialogsChangeWhatTheNextPlaySends) {
    startWith("melody.PLM");

    // WHEN "MIDIデバイス" shows no port THEN "MIDI Mapper" is the only entry; the master volume is turned off
    QTimer::singleShot(0, [] {
        auto* dialog = modal<DeviceDialog>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->deviceList()->count(), 1);
        EXPECT_EQ(text(dialog->deviceList()->currentText()), "MIDI Mapper");
        EXPECT_TRUE(dialog->mainVolumeBox()->isChecked());
        dialog->mainVolumeBox()->setChecked(false);
        dialog->accept();
    });
    frame().runCommand(cmd::kMidiDevice);
    EXPECT_EQ(frame().settings().play.mainVolumeControl, 0);
    EXPECT_EQ(frame().settings().play.device, kMidiMapper);

    // WHEN "音源リセット" is set to "GS" THEN it is written at once
    QTimer::singleShot(0, [] {
        auto* dialog = modal<ResetDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->choiceButton(kResetByData)->isChecked()) << "データにより自動選択";
        EXPECT_EQ(text(dialog->choiceButton(kResetGs)->text()), "GS");
        dialog->choiceButton(kResetGs)->click();
        dialog->accept();
    });
    frame().runCommand(cmd::kDeviceReset);
    EXPECT_EQ(platform::plmProfile().getInt("MIDI Config", "Play Begin Reset", 9), 3);

    // WHEN "割り込み周期" is set to 5 ms
    QTimer::singleShot(0, [] {
        auto* dialog = modal<InterruptDialog>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->choiceButton(kInterrupt2Ms)->isChecked());
        dialog->choiceButton(kInterrupt5Ms)->click();
        dialog->accept();
    });
    frame().runCommand(cmd::kInterruptPeriod);

    // THEN the next play starts with a GS reset, no master volume, and ticks every 5 ms
    frame().runCommand(cmd::kPlay);
    ASSERT_TRUE(test::waitUntil([&] { return received("90 43 60"); }));
    const Lines start = messages();
    EXPECT_EQ(Lines(start.begin(), start.begin() + 2), (Lines{"F0 41 10 42 12 40 00 7F 00 41 F7", "C0 49"}));
    ASSERT_NE(frame().player().engine(), nullptr);
    EXPECT_EQ(frame().player().engine()->block().interruptPeriod, 5);
    frame().runCommand(cmd::kStop);
}

TEST_F(PlayGuiTest, TheMelodyDialogTestPlaysAndItsToneGoesIntoTheProperties) {
    startWith("melody.PLM");
    QTimer::singleShot(0, [this] {
        auto* properties = modal<PropertiesDialog>();
        ASSERT_NE(properties, nullptr);
        ASSERT_TRUE(properties->browseButton()->isEnabled());
        QTimer::singleShot(0, [this] {
            auto* dialog = modal<MelodyInstrumentDialog>();
            ASSERT_NE(dialog, nullptr);
            // GIVEN it opened on the family of program 73 with that tone selected
            EXPECT_TRUE(dialog->familyButton(kPipeFamily)->isChecked());
            EXPECT_EQ(dialog->toneList()->currentRow(), 1);

            // WHEN "Play" is pressed THEN the scale plays on channel 1 and only "Stop" may be pressed
            dialog->playButton()->click();
            EXPECT_TRUE(frame().isPlaying());
            EXPECT_FALSE(dialog->okButton()->isEnabled());
            EXPECT_TRUE(dialog->stopButton()->isEnabled());
            dialog->reject();
            EXPECT_TRUE(dialog->isVisible()) << "no closing while the test plays";
            ASSERT_TRUE(test::waitUntil([&] { return received("90 3C 64"); }));
            EXPECT_TRUE(received("C0 49"));
            // WHEN "Stop" is pressed THEN it is silenced and the buttons come back
            dialog->stopButton()->click();
            EXPECT_FALSE(frame().isPlaying());
            EXPECT_EQ(lastMessages(48), silence());
            EXPECT_TRUE(dialog->okButton()->isEnabled());
            // WHEN the first tone of "Brass" is chosen THEN OK hands it back
            dialog->familyButton(kBrassFamily)->click();
            dialog->toneList()->setCurrentRow(0);
            dialog->okButton()->click();
        });
        properties->browseButton()->click();
        EXPECT_EQ(text(properties->instrumentLabel()->text()), "Trumpet");
        EXPECT_EQ(properties->form().info().initialProgram(), 56);
        properties->accept();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(doc().songInfo().initialProgram(), 56);
    EXPECT_EQ(doc().songInfo().initialModule(), 0);
}

TEST_F(PlayGuiTest, TheDrumSetDialogOpensOnTheFirstSetWhenTheProgramIsNone) {
    // GIVEN a rhythm song on SC-55 whose program 17 selects no set
    startWith("drums.PLM");
    SongInfo info = doc().songInfo();
    info.setInitialModule(1);
    info.setSoundModule(1);
    info.setInitialProgram(17);
    doc().setSongInfo(info);

    QTimer::singleShot(0, [] {
        auto* properties = modal<PropertiesDialog>();
        ASSERT_NE(properties, nullptr);
        QTimer::singleShot(0, [] {
            auto* dialog = modal<DrumSetDialog>();
            ASSERT_NE(dialog, nullptr);
            // THEN "STANDARD" is selected
            ASSERT_NE(dialog->setList()->currentItem(), nullptr);
            EXPECT_EQ(text(dialog->setList()->currentItem()->text()), "STANDARD");
            // WHEN "JAZZ" is chosen THEN its program comes back
            dialog->setList()->setCurrentRow(5);
            dialog->accept();
        });
        properties->browseButton()->click();
        EXPECT_EQ(properties->form().info().initialProgram(), 32);
        EXPECT_EQ(text(properties->instrumentLabel()->text()), "JAZZ");
        properties->reject();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(doc().songInfo().initialProgram(), 17) << "cancelled";
}

TEST(KeptSynthDevices, TheSynthesiserOpensOnceAndItsTimesGoOn) {
    // GIVEN devices that count how often the built-in synthesiser is opened
    class CountingDevices final : public MidiDevices {
    public:
        explicit CountingDevices(MidiOut& sink) : m_sink(sink) {}
        std::vector<std::string> portNames() override { return {"Port A"}; }
        std::unique_ptr<MidiOut> open(int id) override {
            ++opened[id == kMidiMapper ? 0 : 1];
            return std::make_unique<MidiFanOut>(std::vector<MidiOut*>{&m_sink});
        }
        int opened[2] = {0, 0};

    private:
        MidiOut& m_sink;
    };
    EventRecorder recorder;
    auto counting = std::make_unique<CountingDevices>(recorder);
    CountingDevices& inner = *counting;
    KeptSynthDevices devices(std::move(counting));
    const std::array<std::uint8_t, 2> program = {0xC0, 0x01};

    // WHEN it is opened for two plays, and a port twice
    devices.open(kMidiMapper)->send(MidiMessage::of(program, 0));
    QTest::qWait(20);
    devices.open(kMidiMapper)->send(MidiMessage::of(program, 0));
    devices.open(0);
    devices.open(0);

    // THEN the synthesiser was made once, the port each time, and the second play's time follows the first's
    EXPECT_EQ(inner.opened[0], 1);
    EXPECT_EQ(inner.opened[1], 2);
    EXPECT_EQ(devices.portNames(), Lines{"Port A"});
    ASSERT_EQ(recorder.events().size(), 2u);
    EXPECT_GE(recorder.events()[1].micros - recorder.events()[0].micros, 20000);
}

TEST_F(PlayGuiTest, ChordIdentificationAuditionsTheRangeThroughThePlayer) {
    // GIVEN a C major triad in the active window
    std::vector<SongRecord> records;
    test::addGroup(records, {test::note(3, 60), test::note(3, 64), test::note(3, 67)});
    writeSong(m_dir / "triad.PLM", test::songOf(records));
    startWith("triad.PLM");
    frame().updateCommands();
    EXPECT_FALSE(enabled(cmd::kChordIdentification)) << "no range selected";
    selectFirstGroup();
    frame().updateCommands();
    ASSERT_TRUE(enabled(cmd::kChordIdentification));

    // WHEN the command runs and "PLAY" is pressed in its dialog (its lists are the chord dialog's tests)
    bool shown = false, frameBusy = false, sounded = false, endedByItself = false;
    QTimer::singleShot(0, [&] {
        ChordDialog* dialog = modal<ChordDialog>();
        shown = dialog != nullptr;
        if (!shown) return;
        dialog->playButton()->click();
        frame().updateCommands();
        frameBusy = frame().isPlaying() && !enabled(cmd::kChordIdentification);
        sounded = test::waitUntil([&] { return soundedKey("3C"); });
        endedByItself = test::waitUntil([&] { return !dialog->playing(); });
        dialog->accept();
    });
    frame().runCommand(cmd::kChordIdentification);
    // THEN the range sounds on the device while the frame counts as playing, and the end of the play
    // reaches the dialog
    ASSERT_TRUE(shown);
    EXPECT_TRUE(frameBusy);
    EXPECT_TRUE(sounded);
    EXPECT_TRUE(endedByItself);
    EXPECT_FALSE(frame().isPlaying());
}

TEST_F(PlayGuiTest, TheDatabaseCommandShowsOneWindowThatPlaysFilesThroughTheFrame) {
    startWith("melody.PLM");
    DatabaseLink& link = m_app->database();
    ASSERT_NE(link.window(), nullptr) << "created at start-up";
    EXPECT_FALSE(link.window()->isVisible());

    // "ﾃﾞｰﾀﾍﾞｰｽ" shows that window, and again raises the same one
    frame().runCommand(cmd::kDatabase);
    CDataBase* window = link.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    frame().runCommand(cmd::kDatabase);
    EXPECT_EQ(link.window(), window);

    // a record's song plays through the frame's player, and the end of its play reaches the window
    std::vector<SongRecord> records;
    test::addGroup(records, {test::note(3, 60)});
    writeSong(m_dir / "short.PLM", test::songOf(records));
    window->session().add(DbRecord::of((m_dir / "short.PLM").string(), "", ""));
    window->run(DbCommand::Play);
    EXPECT_EQ(frame().player().playMode(), PlayMode::File);
    EXPECT_TRUE(window->session().playing());
    EXPECT_TRUE(test::waitUntil([&] { return !window->session().playing(); }));
    EXPECT_FALSE(frame().isPlaying());
    EXPECT_TRUE(soundedKey("3C"));

    // closed without saving, the window goes; the command makes a new one
    m_box->script({platform::Answer::No});
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(link.window(), nullptr);
    frame().runCommand(cmd::kDatabase);
    ASSERT_NE(link.window(), nullptr);
    EXPECT_TRUE(link.window()->isVisible());
}

}  // namespace
}  // namespace plume
