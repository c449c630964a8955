#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "platform/clock.h"
#include "platform/profile.h"
#include "play/play_fixture.h"
#include "support/qt_test_app.h"
#include "support/scripted_file_dialog.h"
#include "voice/qt/trainer_dialogs.h"
#include "voice/tones.h"
#include "voice/trainer_fakes.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {
namespace {

using Strings = std::vector<std::string>;

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

class TrainerDialogs : public testing::Test {
protected:
    platform::MemoryProfile plm, app;
    platform::ManualClock clock;  // the microphone's
    EnginePlayer player;
    test::RecordingSounds sounds;
    platform::ScriptedMessageBox box;
    TrainerDialogs() {
        test::qtApp();
        platform::installProfiles(&plm, &app);
    }
    ~TrainerDialogs() override { platform::installProfiles(nullptr, nullptr); }

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
    EXPECT_FALSE(dialog.decideButton()->isEnabled());
    EXPECT_FALSE(dialog.noteButton('C')->isEnabled());
    QTest::mouseClick(dialog.askButton(), Qt::LeftButton);
    EXPECT_EQ(sounds.played, Strings{"prob.wav"});
    EXPECT_FALSE(dialog.askButton()->isEnabled()) << "nothing may be pressed while the note plays";
    ASSERT_TRUE(playOut());
    EXPECT_EQ(player.noteOns(), Strings{"90 43 7F"});
    ASSERT_TRUE(dialog.decideButton()->isEnabled());
    EXPECT_FALSE(dialog.sharpBox()->isEnabled());
    QTest::mouseClick(dialog.noteButton('G'), Qt::LeftButton);
    EXPECT_EQ(dialog.answerLabel()->text(), "G");
    QTest::mouseClick(dialog.decideButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.correctLabel()->text(), "G");
    EXPECT_EQ(dialog.counters(), "1 1 100%");
    EXPECT_EQ(sounds.played.back(), "pinpon.wav");
    // No range: the message, and nothing plays
    dialog.rangeBox(1)->setChecked(false);
    QTest::mouseClick(dialog.askButton(), Qt::LeftButton);
    EXPECT_EQ(box.shown(), Strings{"音域を指定して下さい。"});
    EXPECT_EQ(player.noteOns().size(), 1u);
}

TEST_F(TrainerDialogs, SingingBasicsRecordsAfterTheQuestionAndJudgesTheTake) {
    plm.writeInt("Cantavo", "low", 62);
    plm.writeInt("Cantavo", "high", 62);
    test::Take take;
    test::addSilence(take, 5);
    test::addTone(take, test::hzOf(62), 50);
    WavFileDriver driver(take, clock);
    SingingBasicsDialog dialog(nullptr, driver, player, sounds, [] { return 0; });
    ASSERT_TRUE(dialog.isReady());
    QTest::mouseClick(dialog.askButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.askButton()->isEnabled());
    ASSERT_TRUE(playOut());
    EXPECT_EQ(player.noteOns(), Strings{"90 3E 7F"});
    // The take starts on the retry timer once the note has ended
    ASSERT_TRUE(test::waitUntil([&] { return dialog.logic().state() == SingingBasics::State::Recording; }));
    run(2600);
    ASSERT_TRUE(test::waitUntil([&] { return dialog.logic().state() == SingingBasics::State::Idle; }));
    EXPECT_EQ(dialog.counters(), "1 1 100%");
    EXPECT_TRUE(dialog.askButton()->isEnabled());
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
    test::Take take;
    test::addTone(take, test::hzOf(67), 30);
    test::addTone(take, test::hzOf(69), 35);
    test::addSilence(take, 40);
    WavFileDriver driver(take, clock);
    test::ScriptedFileDialog files;
    SingingPracticeDialog dialog(nullptr, driver, player, sounds, files, song, SongInfo::defaults());
    ASSERT_TRUE(dialog.isReady());
    EXPECT_FALSE(dialog.reliefButton()->isEnabled());
    // The speed bar shows its percent; a semitone bar move within the range is taken
    dialog.speedBar()->setValue(150);
    EXPECT_EQ(dialog.speedLabel()->text(), "150%");
    dialog.speedBar()->setValue(100);
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
    files.answers = {std::filesystem::temp_directory_path() / "plume-trainer-take.wav"};
    QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
    const WavData saved = readCaptureWav(std::filesystem::temp_directory_path() / "plume-trainer-take.wav");
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.samples.size(), dialog.detector().GetSampleCount());
    std::filesystem::remove(std::filesystem::temp_directory_path() / "plume-trainer-take.wav");
}

}  // namespace
}  // namespace plume::voice
