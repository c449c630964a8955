// Playing from the editor offscreen into the event recorder: play and stop, the "演奏" menu's dialogs,
// the instrument dialogs' test play, the chord dialog's audition and the song database's file play.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <array>
#include <chrono>
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

// Buttons of the dialogs by their place: the reset dialog's "GS", the interrupt dialog's 5 ms, the
// melody dialog's families of programs 56-63 and 72-79.
constexpr int kResetGs = 1, kInterrupt5Ms = 2, kBrassFamily = 7, kPipeFamily = 9;

// "90 43 60": the message's bytes without its time.
std::string bytesOf(const MidiMessage& m) {
    const std::string line = eventLine(m);
    return line.substr(line.find(' ') + 1);
}

// What every stop sends: per channel hold off, all notes off, all sound off.
Lines silence() {
    Lines lines;
    for (const char channel : std::string_view("0123456789ABCDEF"))
        for (const char* tail : {" 40 00", " 7B 00", " 78 00"}) lines.push_back(std::string("B") + channel + tail);
    return lines;
}

using test::whenModal;

class PlayGuiTest : public test::FrameTest {
protected:
    PlayGuiTest() {
        std::ostringstream err;
        writeDemoProject(m_dir, err);
    }
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
    std::ptrdiff_t count(const std::string& bytes) { return std::ranges::count(messages(), bytes); }
    bool received(const std::string& bytes) { return count(bytes) > 0; }
    // A note-on of `key` (hex) on channel 1, whatever its velocity.
    bool soundedKey(const std::string& key) {
        const auto on = [&](const std::string& l) { return l.starts_with("90 " + key + " ") && !l.ends_with(" 00"); };
        return std::ranges::any_of(messages(), on);
    }
    Lines lastMessages(std::size_t n) {
        const Lines lines = messages();
        return {lines.end() - std::ptrdiff_t(std::min(n, lines.size())), lines.end()};
    }
    void selectFirstGroup() {
        QTest::keyClick(&view(), Qt::Key_Right, Qt::ShiftModifier);
        ASSERT_TRUE(view().logic().hasRange());
    }

    EventRecorder m_recorder;
};

TEST_F(PlayGuiTest, PlayingASongDrivesTheFrameAndStopSilencesEveryChannel) {
    // the melody: GM, program 73
    startWith("melody.PLM");
    EXPECT_EQ(frame().player().engine(), nullptr) << "no engine and no devices before the first play";
    frame().runCommand(cmd::kPlay);
    EXPECT_TRUE(frame().isPlaying());
    EXPECT_FALSE(enabled(cmd::kPlay) || enabled(cmd::kMidiDevice));
    EXPECT_TRUE(enabled(cmd::kStop));
    // the reset, the master volume and the song's program come before the first note
    ASSERT_TRUE(test::waitUntil([&] { return received("90 43 60"); }));
    const Lines start = messages();
    EXPECT_EQ(Lines(start.begin(), start.begin() + 5),
              (Lines{"F0 7E 7F 09 01 F7", "F0 7F 7F 04 01 00 7F F7", "C0 49", "B0 07 64", "90 43 60"}));

    // the main window and the playing song's window refuse to close; another song window closes
    EXPECT_FALSE(frame().close());
    EXPECT_EQ(m_box->shown(), Lines{"演奏を止めてから、終了して下さい。"});
    CPlmChildWnd* melody = frame().activeChild();
    EXPECT_FALSE(melody->close());
    ASSERT_TRUE(frame().openSongWindow(m_dir / "bass.PLM", false));
    EXPECT_TRUE(frame().activeChild()->close());
    EXPECT_EQ(frame().childWindows().size(), 1u);
    EXPECT_TRUE(frame().isPlaying());
    EXPECT_EQ(frame().activeChild(), melody);  // not the minimised mixer

    frame().runCommand(cmd::kStop);
    EXPECT_FALSE(frame().isPlaying());
    EXPECT_EQ(lastMessages(48), silence());
    EXPECT_TRUE(enabled(cmd::kMidiDevice));
}

TEST_F(PlayGuiTest, TheMonitorSoundsWrittenNotesWhileWritingGoesOn) {
    startWith("melody.PLM");
    frame().entryState().choice.monitor = true;
    const std::size_t count = doc().recordCount();
    frame().deliverToActiveView(entry::EnterChord{{{60, 0}, {64, 0}}});
    // both notes sound with the song's program, and the frame does not count as playing
    ASSERT_TRUE(test::waitUntil([&] { return soundedKey("3C") && soundedKey("40"); }));
    EXPECT_TRUE(received("C0 49"));
    EXPECT_FALSE(frame().isPlaying());
    EXPECT_TRUE(enabled(cmd::kPlay));
    // the next note is written and sounds while the first ones may still ring; a play takes over
    frame().deliverToActiveView(entry::EnterChord{{{67, 0}}});
    EXPECT_EQ(doc().recordCount(), count + 3);
    ASSERT_TRUE(test::waitUntil([&] { return soundedKey("43"); }));
    frame().runCommand(cmd::kPlay);
    EXPECT_TRUE(frame().isPlaying());
    frame().runCommand(cmd::kStop);
    EXPECT_FALSE(frame().isPlaying());
}

TEST_F(PlayGuiTest, ASelectionPlaysToItsEndRepeatsWhileRepeatIsOnAndACutStopsIt) {
    platform::plmProfile().writeInt("MIDI Config", "Rep Play Interval", 20);
    startWith("melody.PLM");
    selectFirstGroup();
    // only the first group plays, then the frame stops by itself
    frame().runCommand(cmd::kPlay);
    ASSERT_TRUE(frame().isPlaying());
    ASSERT_TRUE(test::waitUntil([&] { return !frame().isPlaying(); }));
    EXPECT_EQ(count("90 43 60"), 1);
    EXPECT_EQ(lastMessages(48), silence());
    // with "繰り返し演奏" on the same group plays again and again until stopped
    frame().runCommand(cmd::kRepeat);
    m_recorder.clear();
    frame().runCommand(cmd::kPlay);
    ASSERT_TRUE(test::waitUntil([&] { return count("90 43 60") >= 2; }));
    EXPECT_TRUE(frame().isPlaying());
    // a cut while playing stops the play first
    const std::size_t count = doc().recordCount();
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
    frame().runCommand(cmd::kPlay);
    EXPECT_EQ(m_box->shown().size(), 2u);
}

TEST_F(PlayGuiTest, TheSettingDialogsChangeWhatTheNextPlaySends) {
    startWith("melody.PLM");

    // "MIDIデバイス" with no port: "MIDI Mapper" only (the device choices' test); the master volume is turned off
    whenModal<DeviceDialog>([](DeviceDialog& dialog) {
        dialog.mainVolumeBox()->setChecked(false);
        dialog.accept();
    });
    frame().runCommand(cmd::kMidiDevice);
    EXPECT_EQ(frame().settings().play.mainVolumeControl, 0);

    // "音源リセット" set to "GS" is written at once
    whenModal<ResetDialog>([](ResetDialog& dialog) {
        dialog.choiceButton(kResetGs)->click();
        dialog.accept();
    });
    frame().runCommand(cmd::kDeviceReset);
    EXPECT_EQ(platform::plmProfile().getInt("MIDI Config", "Play Begin Reset", 9), 3);

    // "割り込み周期" set to 5 ms
    whenModal<InterruptDialog>([](InterruptDialog& dialog) {
        dialog.choiceButton(kInterrupt5Ms)->click();
        dialog.accept();
    });
    frame().runCommand(cmd::kInterruptPeriod);

    // the next play: a GS reset, no master volume, a tick every 5 ms
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
    whenModal<PropertiesDialog>([this](PropertiesDialog& properties) {
        ASSERT_TRUE(properties.browseButton()->isEnabled());
        whenModal<MelodyInstrumentDialog>([this](MelodyInstrumentDialog& dialog) {
            // opened on the family of program 73; "Play": the scale on channel 1, and no closing until "Stop"
            EXPECT_TRUE(dialog.familyButton(kPipeFamily)->isChecked());
            dialog.playButton()->click();
            EXPECT_TRUE(frame().isPlaying());
            dialog.reject();
            EXPECT_TRUE(dialog.isVisible()) << "no closing while the test plays";
            ASSERT_TRUE(test::waitUntil([&] { return received("90 3C 64"); }));
            dialog.stopButton()->click();
            EXPECT_FALSE(frame().isPlaying());
            EXPECT_EQ(lastMessages(48), silence());
            // the first tone of "Brass" goes back through OK
            dialog.familyButton(kBrassFamily)->click();
            dialog.toneList()->setCurrentRow(0);
            dialog.okButton()->click();
        });
        properties.browseButton()->click();
        EXPECT_EQ(text(properties.instrumentLabel()->text()), "Trumpet");
        properties.accept();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(doc().songInfo().initialProgram(), 56);
    EXPECT_EQ(doc().songInfo().initialModule(), 0);
}

TEST_F(PlayGuiTest, TheDrumSetDialogOpensOnTheFirstSetWhenTheProgramIsNone) {
    // a rhythm song on SC-55 whose program 17 selects no set: "STANDARD" is selected
    startWith("drums.PLM");
    SongInfo info = doc().songInfo();
    info.setInitialModule(1);
    info.setSoundModule(1);
    info.setInitialProgram(17);
    doc().setSongInfo(info);

    whenModal<PropertiesDialog>([](PropertiesDialog& properties) {
        whenModal<DrumSetDialog>([](DrumSetDialog& dialog) {
            ASSERT_NE(dialog.setList()->currentItem(), nullptr);
            EXPECT_EQ(text(dialog.setList()->currentItem()->text()), "STANDARD");
            dialog.setList()->setCurrentRow(5);
            dialog.accept();
        });
        properties.browseButton()->click();
        EXPECT_EQ(text(properties.instrumentLabel()->text()), "JAZZ");
        properties.reject();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(doc().songInfo().initialProgram(), 17) << "cancelled";
}

TEST(KeptSynthDevices, TheSynthesiserOpensOnceAndItsTimesGoOn) {
    // Counts the synthesiser's and the ports' openings; every device sends into one recorder.
    struct CountingDevices final : MidiDevices {
        std::vector<std::string> portNames() override { return {"Port A"}; }
        std::unique_ptr<MidiOut> open(int id) override {
            ++opened[id == kMidiMapper ? 0 : 1];
            return std::make_unique<MidiFanOut>(std::vector<MidiOut*>{&recorder});
        }
        int opened[2] = {0, 0};
        EventRecorder recorder;
    };
    auto counting = std::make_unique<CountingDevices>();
    CountingDevices& inner = *counting;
    KeptSynthDevices devices(std::move(counting));
    const std::array<std::uint8_t, 2> program = {0xC0, 0x01};

    // two plays on the synthesiser, the second once the clock has moved on a millisecond; a port opened twice
    devices.open(kMidiMapper)->send(MidiMessage::of(program, 0));
    const auto firstOpened = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - firstOpened < std::chrono::milliseconds(1)) {}
    devices.open(kMidiMapper)->send(MidiMessage::of(program, 0));
    devices.open(0);
    devices.open(0);

    // the synthesiser was made once, the port each time; the second play's time follows the first's
    EXPECT_EQ(inner.opened[0], 1);
    EXPECT_EQ(inner.opened[1], 2);
    EXPECT_EQ(devices.portNames(), Lines{"Port A"});
    ASSERT_EQ(inner.recorder.events().size(), 2u);
    EXPECT_GE(inner.recorder.events()[1].micros - inner.recorder.events()[0].micros, 1000);
}

TEST_F(PlayGuiTest, ChordIdentificationAuditionsTheRangeThroughThePlayer) {
    writeSong(m_dir / "triad.PLM", test::songOf(test::group({test::note(3, 60), test::note(3, 64), test::note(3, 67)})));
    startWith("triad.PLM");
    selectFirstGroup();
    frame().updateCommands();
    ASSERT_TRUE(enabled(cmd::kChordIdentification));

    // "PLAY" in its dialog sounds the range while the frame counts as playing; the play's end reaches it
    bool endedByItself = false;
    whenModal<ChordDialog>([&](ChordDialog& dialog) {
        dialog.playButton()->click();
        frame().updateCommands();
        EXPECT_TRUE(frame().isPlaying() && !enabled(cmd::kChordIdentification));
        EXPECT_TRUE(test::waitUntil([&] { return soundedKey("3C"); }));
        endedByItself = test::waitUntil([&] { return !dialog.playing(); });
        dialog.accept();
    });
    frame().runCommand(cmd::kChordIdentification);
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
    writeSong(m_dir / "short.PLM", test::songOf(test::notes(3, {60})));
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
