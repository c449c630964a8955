#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "support/qt_test_app.h"
#include "score/range_edit.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "voice/qt/voice_dialogs.h"
#include "voice/qt/vokato_window.h"
#include "voice/tones.h"
#include "voice/wav_file_driver.h"

namespace plume::voice {
namespace {

class VoiceDialogs : public testing::Test {
protected:
    platform::MemoryProfile plm, app;
    platform::ManualClock clock;
    platform::ScriptedMessageBox box;
    VoiceDialogs() {
        test::qtApp();
        platform::installProfiles(&plm, &app);
    }
    ~VoiceDialogs() override { platform::installProfiles(nullptr, nullptr); }

    // Clicks `button`, lets `ms` of the take pass and waits for the dialog to look at it.
    void recordWith(QPushButton* button, RecordingDialog& dialog, int ms) {
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(dialog.recording());
        clock.advanceMillis(ms);
        EXPECT_TRUE(test::waitUntil([&] { return !dialog.recording(); }));
    }
};

TEST_F(VoiceDialogs, DeviceDialogFallsBackToWaveMapper) {
    WavFileDriver driver({}, clock, "Mic");
    app.writeInt("WAV Config", "WavInDevice", 3);
    app.writeInt("WAV Config", "WavOutDevice", 0);
    WaveDeviceDialog dialog(nullptr, driver);
    EXPECT_EQ(dialog.inputList()->currentText(), "Wave Mapper");
    EXPECT_EQ(dialog.outputList()->currentText(), "Mic");
    dialog.accept();
    EXPECT_EQ(app.getInt("WAV Config", "WavInDevice", 0), -1);
    EXPECT_EQ(app.getString("WAV Config", "WavOutDeviceName", ""), "Mic");
}

TEST_F(VoiceDialogs, SilenceMeasurementStoresTheMeanOnOk) {
    WavFileDriver driver(test::Take(22050, -7), clock);
    SilenceLevelDialog dialog(nullptr, driver);
    recordWith(dialog.recordButton(), dialog, 300);
    EXPECT_EQ(dialog.detector().GetSampleCount(), 4410u);
    EXPECT_EQ(dialog.level(), -7);
    EXPECT_TRUE(dialog.recordButton()->isEnabled());
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
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(plm.getInt("Voice Detect Parameters", "Note High", 0), 95);
}

TEST_F(VoiceDialogs, EnrolmentMeasuresTheVoiceAndRegistersTheChosenKey) {
    test::Take take;
    test::addSilence(take, 5);
    test::addTone(take, 440.0, 25);
    WavFileDriver driver(take, clock);
    PitchEnrolDialog dialog(nullptr, driver);
    dialog.accept();
    EXPECT_EQ(box.shown().back(), "データが不正です。");
    recordWith(dialog.measureButton(), dialog, 1100);
    EXPECT_EQ(dialog.form().measuredNote(), 69);
    QTest::mouseClick(dialog.keyboard(), Qt::LeftButton, {}, QPoint(3 * 56 + 2, 20));
    EXPECT_EQ(dialog.form().chosen(), 60);
    EXPECT_EQ(dialog.form().message(), "あなたの声Note No:69 を Note No:60 に登録します。");
    dialog.accept();
    EXPECT_EQ(plm.getInt("User Data for Transpose", "User Data", 0), 69);
    EXPECT_EQ(plm.getInt("User Data for Transpose", "Distination", 0), 60);
}

TEST_F(VoiceDialogs, HumToScoreRecordsStopsAndTransfersUndoably) {
    // GIVEN a sung take of C E G, a second of silence after each
    test::Take take;
    test::addSilence(take, 10);
    for (int key : {60, 64, 67}) {
        test::addTone(take, test::hzOf(key), 20);
        test::addSilence(take, 5);
    }
    CPlmDoc doc;
    ScoreView view{doc};
    view.rebuild();
    WavFileDriver driver(take, clock);
    CVokato window(nullptr, driver, doc, view, SongInfo::defaults(), nullptr);
    ASSERT_TRUE(window.isReady());
    EXPECT_FALSE(window.enabled(vokato::kStop));
    // WHEN recording runs for a while, the live analysis finds the closed notes
    window.command(vokato::kRecord);
    ASSERT_EQ(window.state(), VokatoState::Recording);
    EXPECT_FALSE(window.enabled(vokato::kRecord));
    clock.advanceMillis(2500);
    EXPECT_TRUE(test::waitUntil([&] { return window.notes().groupCount() >= 2; }));
    // AND the take is stopped and transferred
    window.command(vokato::kStop);
    EXPECT_EQ(window.state(), VokatoState::Idle);
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
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(60 + 21, 200));
    EXPECT_EQ(window.notes().cursor(), 10u);
    // a cleared list scrolls back to its start
    ASSERT_TRUE(window.edit([](VokatoNotes& notes) {
        notes.clear();
        return true;
    }));
    EXPECT_EQ(bar.maximum(), 0);
    EXPECT_EQ(bar.value(), 0);
}

}  // namespace
}  // namespace plume::voice
