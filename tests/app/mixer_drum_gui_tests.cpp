// The mixer window and the drum palette window, offscreen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>

#include "app/qt/drum_palette_window.h"
#include "app/qt/play_controller.h"
#include "platform/profile.h"
#include "play/qt/mixer_window.h"
#include "song/qt/properties_dialog.h"
#include "support/frame_test.h"
#include "support/qt_test_app.h"

namespace plume {
namespace {

using namespace test;

struct RecordingPlayer final : TestPlayer {
    std::vector<TestPlay> started;
    bool startTest(const TestPlay& play, std::function<void()>) override {
        started.push_back(play);
        return true;
    }
    void stopTest() override {}
};

QPoint centre(const MixerRect& r) { return {r.x + r.width / 2, r.y + r.height / 2}; }

TEST(MixerWindow, ClosingMinimisesAndTheMouseDrivesTheStripsAndTheHint) {
    qtApp();
    QMdiArea area;
    area.resize(900, 400);
    area.show();
    CMixer* mixer = createMixer(area, [] { return nullptr; });
    mixer->showNormal();
    mixer->close();
    EXPECT_TRUE(mixer->isMinimized());
    EXPECT_EQ(area.subWindowList().size(), 1);

    MixerPanel* panel = mixer->panel();
    PlayBlock block;
    mixer->state().setBlock(&block);
    const QPoint mute = centre(mixer_layout::muteButton(3));
    pressMouse(panel, mute);
    releaseMouse(panel, mute);
    EXPECT_TRUE(mixer->state().channel(3).mute);
    EXPECT_TRUE(block.channels[3].muted);
    // the volume fader dragged to its top
    const MixerRect fader = mixer_layout::faderTrack(0);
    pressMouse(panel, {fader.x + 2, fader.y + fader.height - 2});
    moveMouse(panel, {fader.x + 2, fader.y - 40});
    releaseMouse(panel, {fader.x + 2, fader.y - 40});
    EXPECT_EQ(block.channels[0].liveMixer[kLiveVolume], 127);
    // the pointer over a strip's number shows the track hint: no project, no file
    moveMouse(panel, centre(mixer_layout::trackNumber(5)));
    EXPECT_TRUE(panel->trackInfo()->isVisible());
    EXPECT_EQ(panel->trackInfo()->shown().problem, "ファイルが存在しません。");
}

TEST(RhythmInstrumentDialog, PlayPlaysTheChosenSoundOnChannelTen) {
    qtApp();
    RecordingPlayer player;
    RhythmInstrumentDialog dialog(SongInfo::defaults(), DrumPalette{sound_module::kGm, 0, {36, 38}}, 100, player);
    dialog.soundList()->setCurrentRow(2);
    dialog.playButton()->click();
    ASSERT_EQ(player.started.size(), 1u);
    EXPECT_EQ(player.started[0].midiChannel, 9);
    EXPECT_TRUE(dialog.stopButton()->isEnabled());
    dialog.stopButton()->click();
}

// The windows as the editor's commands bring them up.
class MixerDrumFrameTest : public FrameTest {
protected:
    ~MixerDrumFrameTest() override {
        if (m_app && frame().activeChild()) doc().clearModified();
        platform::plmProfile().removeSection("User Drum");
    }
    // The user's drum palette: bass drum 1 (36) and the snare (38).
    static void kickAndSnare() {
        platform::plmProfile().removeSection("User Drum");
        platform::plmProfile().writeInt("User Drum", "drum0", 36);
        platform::plmProfile().writeInt("User Drum", "drum1", 38);
    }
    static SongInfo rhythmSong(int module = sound_module::kGm) {
        SongInfo info = SongInfo::defaults();
        info.setFileKind(0);  // rhythm
        info.setInitialModule(std::uint8_t(module));
        info.setSoundModule(std::uint8_t(module));
        return info;
    }
};

TEST_F(MixerDrumFrameTest, TheDrumPaletteShownByItsCommandEntersTheSelectedDrumIntoARhythmSong) {
    kickAndSnare();
    writeSong(m_dir / "drums.PLM", songOf(notes(3, {36}), rhythmSong()));
    startWithSong(m_dir / "drums.PLM");
    bigView();

    frame().runCommand(cmd::kDrumPalette);
    auto& drums = palette<DrumPaletteWindow>(cmd::kDrumPalette);
    ASSERT_TRUE(drums.isVisible());
    ASSERT_EQ(drums.list()->count(), 2);
    QTest::keyClick(&view(), Qt::Key_End);
    drums.list()->item(1)->setSelected(true);
    drums.okButton()->click();
    std::size_t last = 0;
    for (std::size_t g = 0; g < doc().recordCount(); g = doc().nextGroup(g))
        if (doc().record(g).isNote()) last = g;
    EXPECT_GT(last, 0u);
    EXPECT_EQ(keysOf(doc().records(), last), std::vector<int>{38});
    // "AC" clears the selection
    drums.clearButton()->click();
    EXPECT_TRUE(drums.list()->selectedItems().isEmpty());
}

TEST_F(MixerDrumFrameTest, TheDrumPaletteNamesItsSoundsAfterTheActiveSongsModuleAndKeepsItsSelection) {
    kickAndSnare();
    writeSong(m_dir / "sc88.PLM", songOf(notes(3, {38}), rhythmSong(sound_module::kSc88)));
    start({});
    ASSERT_EQ(frame().activeChild(), nullptr);

    auto& drums = palette<DrumPaletteWindow>(cmd::kDrumPalette);
    const auto snare = [&] { return drums.list()->item(1)->text().toStdString(); };
    ASSERT_EQ(drums.list()->count(), 2);
    EXPECT_EQ(snare(), "Acoustic Snare");  // no song: GM
    drums.list()->item(1)->setSelected(true);

    ASSERT_TRUE(frame().openSongWindow(m_dir / "sc88.PLM", false));
    QApplication::processEvents();
    EXPECT_EQ(snare(), "Standard 1 Snare 1");
    ASSERT_EQ(drums.list()->count(), 2);
    EXPECT_TRUE(drums.list()->item(1)->isSelected());

    // the active song's module changed in its settings dialog: SC-88 to SC-55
    whenModal<PropertiesDialog>([](PropertiesDialog& properties) {
        QTest::keyClick(properties.moduleList(), Qt::Key_Up);
        properties.accept();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(doc().songInfo().soundModule(), sound_module::kSc55);
    EXPECT_EQ(snare(), "Snare Drum 1");
    EXPECT_TRUE(drums.list()->item(1)->isSelected());
    // the last song window closed: no song, GM again
    for (CPlmChildWnd* child : frame().childWindows()) child->document().clearModified();
    ASSERT_TRUE(frame().activeChild()->close());
    QApplication::processEvents();
    EXPECT_EQ(frame().activeChild(), nullptr);
    EXPECT_EQ(snare(), "Acoustic Snare");
}

TEST_F(MixerDrumFrameTest, TheMixerCommandShowsTheMixerWhichThenIsTheWindowThatPlays) {
    startWithRecords("melody.PLM", notes(3, {60}));
    CMixer* mixer = frame().mixer();
    ASSERT_NE(mixer, nullptr);
    EXPECT_TRUE(mixer->isMinimized());
    EXPECT_TRUE(enabled(cmd::kPlay));  // the song

    frame().runCommand(cmd::kMixer);
    QApplication::processEvents();
    EXPECT_FALSE(mixer->isMinimized());
    EXPECT_EQ(frame().mdiArea()->currentSubWindow(), mixer);
    EXPECT_EQ(frame().player().activeWindow(), ActiveWindow::Mixer);
    EXPECT_FALSE(enabled(cmd::kPlay));  // the mixer plays the project, and none is open
}

}  // namespace
}  // namespace plume
