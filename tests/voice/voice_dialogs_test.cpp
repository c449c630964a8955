#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "play/play_fixture.h"
#include "score/range_edit.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "support/qt_test_app.h"
#include "support/scripted_file_dialog.h"
#include "support/temp_dir.h"
#include "voice/qt/trainer_dialogs.h"
#include "voice/qt/voice_dialogs.h"
#include "voice/qt/vokato_window.h"
#include "voice/tones.h"
#include "voice/trainer_fakes.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {
namespace {

using Strings = std::vector<std::string>;

class VoiceDialogs : public testing::Test, protected test::Profiles {
protected:
    platform::ManualClock clock;  // the microphone's
    platform::ScriptedMessageBox box;
    VoiceDialogs() { test::qtApp(); }

    // Clicks `button`, lets `ms` of the take pass and waits for the dialog to look at it.
    void recordWith(QPushButton* button, RecordingDialog& dialog, int ms) {
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(dialog.recording());
        clock.advanceMillis(ms);
        EXPECT_TRUE(test::waitUntil([&] { return !dialog.recording(); }));
    }
};

TEST_F(VoiceDialogs, DeviceDialogFallsBackToWaveMapperAndFindsARenumberedDeviceByName) {
    WavFileDriver driver({}, clock, "Mic");
    app.writeInt("WAV Config", "WavInDevice", 3);
    app.writeInt("WAV Config", "WavOutDevice", 1);
    app.writeString("WAV Config", "WavOutDeviceName", "Mic");
    WaveDeviceDialog dialog(nullptr, driver);
    EXPECT_EQ(dialog.outputList()->currentText(), "Mic");
    dialog.accept();
    EXPECT_EQ(app.getInt("WAV Config", "WavInDevice", 0), -1);
    EXPECT_EQ(app.getString("WAV Config", "WavOutDeviceName", ""), "Mic");
}

TEST_F(VoiceDialogs, SilenceMeasurementStoresTheMeanOnOk) {
    WavFileDriver driver(test::Take(22050, -7), clock);
    SilenceLevelDialog dialog(nullptr, driver);
    recordWith(dialog.recordButton(), dialog, 300);
    EXPECT_EQ(dialog.level(), -7);
    dialog.accept();
    EXPECT_EQ(app.getInt("WAV Config", "GrandLevel", 0), -7);
    // With no card the opening message is shown and nothing is recorded.
    driver.failOpeningWith(mm::kNoDriver);
    QTest::mouseClick(dialog.recordButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.recording());
    EXPECT_EQ(box.shown().back(), "ドライバがインストールされていません。");
}

TEST_F(VoiceDialogs, ParameterDialogClampsResetsAndGuardsItsButtons) {
    plm.writeInt("Voice Detect Parameters", "Note Low", 80);
    plm.writeInt("Voice Detect Parameters", "Note High", 40);
    plm.writeInt("Voice Detect Parameters", "Detect Way", 1);
    WavFileDriver driver({}, clock);
    DetectParametersDialog dialog(nullptr, driver);
    dialog.noiseCutBar()->setValue(5000);
    EXPECT_EQ(dialog.detector().GetParameters()[DetectParameters::kNoiseCutLevel], 5000);
    // Cancel after a change asks, and No keeps the dialog.
    bool closed = false;
    QObject::connect(&dialog, &QDialog::finished, [&] { closed = true; });
    box.script({platform::Answer::No});
    dialog.reject();
    EXPECT_EQ(box.shown().back(), "変更したパラメータが失われます。\nよろしいですか？");
    EXPECT_FALSE(closed);
    dialog.accept();
    EXPECT_EQ(box.shown().back(), "低音が高音より高くセットされています。");
    EXPECT_FALSE(closed);
    EXPECT_FALSE(plm.text().find("Noise Cut Level=5000") != std::string::npos);
    // The defaults keep Detect Way and allow OK.
    QTest::mouseClick(dialog.defaultsButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.noiseCutBar()->value(), 3000);
    EXPECT_EQ(dialog.form().values()[DetectParameters::kDetectWay], 1);
    dialog.accept();
    EXPECT_TRUE(closed);
    EXPECT_EQ(plm.getInt("Voice Detect Parameters", "Note High", 0), 95);
}

TEST_F(VoiceDialogs, EnrolmentMeasuresTheVoiceAndRegistersTheChosenKey) {
    WavFileDriver driver(test::takeOf({{0, 5}, {69, 25}}), clock);
    PitchEnrolDialog dialog(nullptr, driver);
    dialog.accept();
    EXPECT_EQ(box.shown().back(), "データが不正です。");
    recordWith(dialog.measureButton(), dialog, 1100);
    QTest::mouseClick(dialog.keyboard(), Qt::LeftButton, {}, QPoint(3 * 56 + 2, 20));
    EXPECT_EQ(dialog.form().message(), "あなたの声Note No:69 を Note No:60 に登録します。");
    dialog.accept();
    EXPECT_EQ(plm.getInt("User Data for Transpose", "User Data", 0), 69);
    EXPECT_EQ(plm.getInt("User Data for Transpose", "Distination", 0), 60);
}

TEST_F(VoiceDialogs, HumToScoreRecordsStopsAndTransfersUndoably) {
    // GIVEN a sung take of C E G, a tenth of a second of silence after each
    CPlmDoc doc;
    ScoreView view{doc};
    view.rebuild();
    WavFileDriver driver(test::takeOf({{0, 10}, {60, 20}, {0, 5}, {64, 20}, {0, 5}, {67, 20}, {0, 5}}), clock);
    CVokato window(nullptr, driver, doc, view, SongInfo::defaults(), nullptr);
    ASSERT_TRUE(window.isReady());
    EXPECT_FALSE(window.enabled(vokato::kStop));
    // WHEN recording runs for a while, the live analysis finds the closed notes
    window.command(vokato::kRecord);
    ASSERT_EQ(window.state(), VokatoState::Recording);
    clock.advanceMillis(2500);
    EXPECT_TRUE(test::waitUntil([&] { return window.notes().groupCount() >= 2; }));
    // AND the take is stopped and transferred
    window.command(vokato::kStop);
    ASSERT_EQ(window.notes().groupCount(), 3u);
    bool finished = false;
    window.onFinished = [&] { finished = true; };
    window.command(vokato::kTransfer);
    // THEN the song holds the notes, and undo takes them out again
    EXPECT_TRUE(finished);
    ASSERT_EQ(doc.recordCount(), 3u);
    EXPECT_EQ(doc.records()[2].key(), 67);
    EXPECT_EQ(view.undoRing().menuText(), "元に戻すVokato");
    EXPECT_TRUE(RangeEditor(doc, view).undo());
    EXPECT_EQ(doc.recordCount(), 0u);
}

TEST_F(VoiceDialogs, HumToScoreScrollBarMovesTheNotesAGroupOrAPageAtATime) {
    CPlmDoc doc;
    ScoreView view{doc};
    view.rebuild();
    WavFileDriver driver(test::Take{}, clock);
    CVokato window(nullptr, driver, doc, view, SongInfo::defaults(), nullptr);
    window.resize(760, window.height());
    const SongRecord quarter{{1, kind::kScore, 3, 0, 0, 60, 100, 0, 75, 0}};
    ASSERT_TRUE(window.edit([&](VokatoNotes& notes) {
        for (int i = 0; i < 25; ++i) notes.insertGroup(std::span(&quarter, 1), true);
        return true;
    }));
    QScrollBar& bar = *window.scrollBar();
    EXPECT_EQ(bar.maximum(), 24);
    // a page is ten groups: a click on the first shown group's place then reaches group 10
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(60, 200));
    EXPECT_EQ(window.notes().cursor(), 10u);
    // a cleared list scrolls back to its start
    ASSERT_TRUE(window.edit([](VokatoNotes& notes) {
        notes.clear();
        return true;
    }));
    EXPECT_EQ(std::make_tuple(bar.maximum(), bar.value()), std::make_tuple(0, 0));
}

// The trainers' plays on the simulated player, heard by the event recorder.
class EnginePlayer final : public TrainerPlayer {
public:
    static constexpr platform::WindowId kWindow = 7;
    test::PlayRig rig;

    bool startPlay(const TestPlay& play, PlayReportListener& listener) override {
        rig.engine.addReportListener(kWindow, listener);
        return rig.sequencer().PlayTest(kWindow, play) == PlayStart::Started;
    }
    void stopPlay() override { rig.sequencer().StopPlay(); }
    bool playing() { return rig.sequencer().playMode() != PlayMode::Stopped; }
    Strings noteOns() { return rig.noteOns(); }
};

class TrainerDialogs : public VoiceDialogs {
protected:
    EnginePlayer player;
    test::RecordingSounds sounds;

    // Moves the player and the microphone on together, letting the dialog's timers run.
    void run(int ms) {
        for (int t = 0; t < ms; t += 10) {
            player.rig.engine.runFor(10);
            clock.advanceMillis(10);
            QCoreApplication::processEvents();
        }
    }
    bool playOut() {
        for (int t = 0; t < 5000 && player.playing(); t += 10) run(10);
        return !player.playing();
    }
};

TEST_F(TrainerDialogs, EarTrainingAsksPlaysTheNoteAndCountsTheAnswer) {
    EarTrainingDialog dialog(nullptr, player, sounds, [] { return 4; });  // G4
    QTest::mouseClick(dialog.askButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.askButton()->isEnabled()) << "nothing may be pressed while the note plays";
    ASSERT_TRUE(playOut());
    EXPECT_EQ(player.noteOns(), Strings{"90 43 7F"});
    QTest::mouseClick(dialog.noteButton('G'), Qt::LeftButton);
    EXPECT_EQ(dialog.answerLabel()->text(), "G");
    QTest::mouseClick(dialog.decideButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.counters(), "1 1 100%");
    // No range: the message, and nothing plays
    dialog.rangeBox(1)->setChecked(false);
    QTest::mouseClick(dialog.askButton(), Qt::LeftButton);
    EXPECT_EQ(player.rig.box.shown(), Strings{"音域を指定して下さい。"});  // the rig's box is installed last
    EXPECT_EQ(player.noteOns().size(), 1u);
}

TEST_F(TrainerDialogs, SingingBasicsRecordsAfterTheQuestionAndJudgesTheTake) {
    plm.writeInt("Cantavo", "low", 62);
    plm.writeInt("Cantavo", "high", 62);
    WavFileDriver driver(test::takeOf({{0, 5}, {62, 50}}), clock);
    SingingBasicsDialog dialog(nullptr, driver, player, sounds, [] { return 0; });
    ASSERT_TRUE(dialog.isReady());
    QTest::mouseClick(dialog.askButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.askButton()->isEnabled());
    ASSERT_TRUE(playOut());
    // The take starts on the retry timer once the note has ended
    ASSERT_TRUE(test::waitUntil([&] { return dialog.logic().state() == SingingBasics::State::Recording; }));
    run(2600);
    ASSERT_TRUE(test::waitUntil([&] { return dialog.logic().state() == SingingBasics::State::Idle; }));
    EXPECT_EQ(dialog.counters(), "1 1 100%");
    EXPECT_EQ(sounds.played.back(), "pinpon.wav");
    // The keyboard sets the high end, and OK keeps it
    QTest::mouseClick(dialog.highSelector(), Qt::LeftButton);
    QTest::mouseClick(dialog.keyboard(), Qt::LeftButton, {}, QPoint(3 * 56 + 4 * 8 + 2, 60));  // G5
    dialog.accept();
    EXPECT_EQ(plm.getInt("Cantavo", "high", 0), 67);
}

TEST_F(TrainerDialogs, SingingPracticePlaysTheCopiedRangeRecordsAndJudgesEveryNote) {
    // GIVEN G4 E4 copied, and a singer who sings G4 and then A4
    std::vector<SongRecord> song = {SongRecord{{1, 0, 3, 0, 0, 67, 100, 0, 80, 0}},
                                    SongRecord{{1, 0, 3, 0, 0, 64, 100, 0, 80, 0}}};
    WavFileDriver driver(test::takeOf({{67, 30}, {69, 35}, {0, 40}}), clock);
    test::ScriptedFileDialog files;
    SingingPracticeDialog dialog(nullptr, driver, player, sounds, files, song, SongInfo::defaults());
    ASSERT_TRUE(dialog.isReady());
    // WHEN "Rec" is pressed THEN the count-in ticks, the song plays and the take starts 150 ms later
    QTest::mouseClick(dialog.recButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.recButton()->isEnabled());
    ASSERT_TRUE(test::waitUntil([&] { return dialog.logic().state() == SingingPractice::State::Recording; }));
    ASSERT_TRUE(test::waitUntil([&] { return dialog.detector().GetInputPosition() != kNoPosition; }));
    ASSERT_TRUE(playOut());
    ASSERT_TRUE(test::waitUntil([&] { return dialog.logic().practices() == 1; }));
    EXPECT_EQ(player.noteOns(), (Strings{"90 43 64", "90 40 64"}));
    // THEN the G is right and the E is not
    EXPECT_EQ(dialog.counters(), "1 1 50%");
    EXPECT_TRUE(dialog.reliefButton()->isEnabled());
    // "音痴救済" then "Save" writes the corrected take
    QTest::mouseClick(dialog.reliefButton(), Qt::LeftButton);
    test::TempDir dir;
    files.answers = {dir / "take.wav"};
    QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
    const WavData saved = readCaptureWav(dir / "take.wav");
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.samples.size(), dialog.detector().GetSampleCount());
}

}  // namespace
}  // namespace plume::voice
