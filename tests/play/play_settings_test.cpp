#include <gtest/gtest.h>

#include <functional>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "play/play_settings.h"

namespace plume {
namespace {

TEST(PlaySettings, MissingKeysTakeTheDefaultsAndAnInterruptAboveTwoBecomesTwo) {
    const PlaySettings d = PlaySettings::load(platform::MemoryProfile());
    EXPECT_EQ((std::vector<int>{d.showLevel, d.interrupt, d.interruptPeriodMs(), d.playBeginReset, d.device,
                                d.mainVolumeControl, d.repeatInterval}),
              (std::vector<int>{1, 1, 2, 1, -1, 1, 1000}));

    const PlaySettings s = PlaySettings::load(platform::MemoryProfile(
        "[midi config]\nInterrupt=4\nDevice=2\nDevice Name=Synth A\nPlay Begin Reset=3\nSoundFont=/x.sf2\n"));
    EXPECT_EQ((std::vector<int>{s.interrupt, s.interruptPeriodMs(), s.device, s.playBeginReset}),
              (std::vector<int>{2, 5, 2, 3}));
    EXPECT_EQ(std::tie(s.deviceName, s.soundFont), std::make_tuple("Synth A", "/x.sf2"));
}

TEST(PlaySettings, TheFrameWritesItsKeysButNotTheResetAndTheRepeatPauseIsNeverWritten) {
    platform::MemoryProfile profile("[MIDI Config]\nRep Play Interval=700\nPlay Begin Reset=3\n");
    PlaySettings s = PlaySettings::load(profile);
    s.showLevel = 0;
    s.interrupt = 0;
    s.device = 1;
    s.deviceName = "Port B";
    s.mainVolumeControl = 0;
    s.playBeginReset = 0;
    s.repeatInterval = 5;
    s.save(profile);
    const std::pair<const char*, int> written[] = {{"ShowLevel", 0},   {"Interrupt", 0},         {"Device", 1},
                                                   {"MainVolCtrl", 0}, {"Play Begin Reset", 3}, {"Rep Play Interval", 700}};
    for (const auto& [key, value] : written) EXPECT_EQ(profile.getInt("MIDI Config", key, 9), value) << key;
    EXPECT_EQ(profile.getString("MIDI Config", "Device Name", ""), "Port B");
}

TEST(PlayMenu, PlayNeedsAStoppedFrameAndSomethingToPlay) {
    PlayMenuState song;
    song.active = ActiveWindow::Song;
    song.songRecordCount = 3;
    EXPECT_TRUE(playCommandEnabled(song));
    // an empty or minimised song, the hum-to-score mode, a play going on or no window refuse it
    const std::function<void(PlayMenuState&)> refusals[] = {
        [](PlayMenuState& s) { s.songRecordCount = 0; }, [](PlayMenuState& s) { s.activeMinimised = true; },
        [](PlayMenuState& s) { s.vokatoMode = true; },   [](PlayMenuState& s) { s.mode = PlayMode::Track; },
        [](PlayMenuState& s) { s.active = ActiveWindow::None; }};
    for (const auto& change : refusals) {
        PlayMenuState s = song;
        change(s);
        EXPECT_FALSE(playCommandEnabled(s));
    }

    PlayMenuState mixer;
    mixer.active = ActiveWindow::Mixer;
    EXPECT_FALSE(playCommandEnabled(mixer));  // no project
    mixer.projectSet = true;
    EXPECT_TRUE(playCommandEnabled(mixer));
}

TEST(DeviceDialog, ListsThePortsThenTheMapperFindsTheDeviceByNameFirstAndRefusesOnlyWinGroove) {
    const std::vector<std::string> ports = {"Synth A", "Synth B"};
    const DeviceChoices byNumber = deviceChoices(ports, 1, "");
    EXPECT_EQ(byNumber.names, (std::vector<std::string>{"Synth A", "Synth B", "MIDI Mapper"}));
    EXPECT_EQ(byNumber.selected, 1u);
    // a device that is no longer there selects the mapper
    EXPECT_EQ(deviceChoices(ports, 5, "").selected, 2u);
    // the name wins over a number that moved, and a name that is gone selects the mapper
    EXPECT_EQ(deviceChoices(ports, 0, "Synth B").selected, 1u);
    EXPECT_EQ(deviceChoices(ports, 0, "Synth C").selected, 2u);

    PlaySettings s;
    applyDeviceChoice(s, ports, 1, false);
    EXPECT_EQ(std::tie(s.device, s.deviceName, s.mainVolumeControl), std::make_tuple(1, "Synth B", 0));
    applyDeviceChoice(s, ports, 2, true);
    EXPECT_EQ(std::tie(s.device, s.deviceName, s.mainVolumeControl), std::make_tuple(-1, "", 1));

    platform::ScriptedMessageBox box;
    const std::vector<std::string> withWinGroove = {"WinGroove", "Synth"};
    EXPECT_FALSE(refusedByWinGroove(withWinGroove, 1));
    EXPECT_FALSE(refusedByWinGroove(withWinGroove, -1));
    EXPECT_TRUE(refusedByWinGroove(withWinGroove, 0));
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"WinGrooveではこの機能は使えません！"}));
}

}  // namespace
}  // namespace plume
