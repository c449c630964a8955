// The mixer's controls and what they change in a play: the PlayBlock and the messages the device gets.
#include <gtest/gtest.h>

#include "play/mixer_state.h"
#include "play/play_fixture.h"
#include "song/song_file.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

using namespace test;
using namespace mixer_layout;

constexpr std::uint8_t kQuarter = 3;

// The mixer as the frame has it; its repeat timer runs on timers of its own, moved by hand.
struct MixerDesk {
    platform::ManualTimers mixerTimers;
    MixerState mixer{mixerTimers};
};

// The sequencer and the component playing to that mixer, and a project of three open songs, each
// twenty quarter notes of one key (ten seconds at 120/min).
struct MixerRig : MixerDesk, PlayRig {
    using MixerDesk::mixer;
    explicit MixerRig(PlaybackEngine::ClockMode mode = PlaybackEngine::ClockMode::Simulated)
        : PlayRig({}, mode, &(MixerDesk::mixer)) {
        mixer.setBlock(&block());
        for (std::size_t i = 0; i < 3; ++i) {
            std::vector<SongRecord> song;
            for (int n = 0; n < 20; ++n) addGroup(song, {note(kQuarter, std::uint8_t(60 + i))});
            members.push_back(documentOf(song, infoWith(120)));
            const auto path = std::filesystem::path("/mixer-test") / ("m" + std::to_string(i) + ".PLM");
            EXPECT_TRUE(project.setMemberPath(i, path));
            host.open[path] = members.back().get();
        }
    }
    bool clockStarts() { return engine.runUntil([&] { return engine.component().clockRunning(); }, 2000); }
    bool playProject() {
        startProject(project);
        return clockStarts();
    }
    // Note-ons per MIDI channel.
    std::array<int, 16> noteOns(std::int64_t fromMicros = 0) {
        std::array<int, 16> ons{};
        for (const MidiMessage& m : recorder->events()) {
            if (m.micros >= fromMicros && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0) ++ons[m.bytes[0] & 0x0F];
        }
        return ons;
    }

    ProjectData project = ProjectData::fresh();
    std::vector<std::unique_ptr<CPlmDoc>> members;
};

std::array<bool, 16> mutedFlags(const PlayBlock& block) {
    std::array<bool, 16> flags{};
    for (std::size_t ch = 0; ch < 16; ++ch) flags[ch] = liveLoad(block.channels[ch].muted);
    return flags;
}

TEST(Mixer, SoloTwiceRestoresEveryChannelsOwnMuteAndAMutedChannelStaysSilentThroughSoloAndUnsolo) {
    // GIVEN three members playing, the second muted before the play starts
    MixerRig rig;
    rig.mixer.clickMute(1);
    ASSERT_TRUE(rig.playProject());
    const std::array<bool, 16> own = mutedFlags(rig.engine.block());
    rig.engine.runFor(1000);
    // WHEN the first is soloed for two seconds, then its solo is clicked again
    rig.mixer.clickSolo(0);
    rig.engine.runFor(20);
    const std::int64_t soloFrom = rig.recorder->events().back().micros + 1;
    rig.engine.runFor(2000);
    const std::array<int, 16> duringSolo = rig.noteOns(soloFrom);
    rig.mixer.clickSolo(0);
    // THEN every channel is back to its own mute
    EXPECT_EQ(mutedFlags(rig.engine.block()), own);
    ASSERT_TRUE(rig.playToEnd());
    // and the soloed one played on alone, the muted one never sounded, the third came back
    EXPECT_EQ(duringSolo[2], 0);
    const std::array<int, 16> all = rig.noteOns();
    EXPECT_EQ(all[0], 20);
    EXPECT_EQ(all[1], 0);
    EXPECT_GT(all[2], 10);
}

// (the next tick sending a live value is the MIDI output's test)
TEST(Mixer, AFaderMovedDuringPlaybackTakesTheKnobsPlaceAndReportsMoveTheMixer) {
    // GIVEN a song whose pan effect comes with its last note
    std::vector<SongRecord> song;
    for (int n = 0; n < 8; ++n) addGroup(song, {note(kQuarter, 60)});
    addGroup(song, {note(kQuarter, 62), effectValue(effect::kPan, 20)});
    const auto document = documentOf(song, infoWith(120));
    MixerRig rig;
    rig.start(*document);
    ASSERT_TRUE(rig.clockStarts());
    rig.engine.runFor(600);
    EXPECT_GT(rig.mixer.level(0), 0);  // the note level reached the meter
    // WHEN the first strip's fader knob is dragged from 100 down to the fader's bottom third
    const MixerRect fader = faderTrack(0);
    const int knob = fader.y + kFaderTravel - faderOffset(100);
    ASSERT_TRUE(rig.mixer.mouseDown(fader.x + 2, knob + 1));
    rig.mixer.mouseMove(fader.x + 2, knob + 1 + 40);
    rig.mixer.mouseUp();
    // THEN the strip has the value of the knob's place (the block's copy is the window's test)
    EXPECT_EQ(rig.mixer.channel(0).volume, faderValue(faderOffset(100) - 40));
    // and the song's pan effect, reported by the component, moves the mixer's pan
    ASSERT_TRUE(rig.playToEnd());
    EXPECT_EQ(rig.mixer.channel(0).pan, 20);
    EXPECT_EQ(rig.mixer.level(0), 0);  // the meters drop at the end
}

TEST(Mixer, SpinnersHeldStopAtTheirEndsAndSlidersAndTheMasterFaderFollowThePointerWithinTheirTravel) {
    platform::ManualTimers timers;
    MixerState mixer(timers);
    PlayBlock block;
    mixer.setBlock(&block);
    block.currentTempo = 120;
    mixer.setTempo(247);
    // WHEN the tempo's up arrow is held for a second
    const MixerRect up = spinnerArrow(MixerDrag::TempoUp);
    ASSERT_TRUE(mixer.mouseDown(up.x + 1, up.y + 1));
    EXPECT_EQ(mixer.tempo(), 248);
    timers.advanceMillis(1000);
    // THEN it stops at 250, and the player still has its tempo until the button is released
    EXPECT_EQ(mixer.tempo(), kMixerTempoMax);
    EXPECT_EQ(block.currentTempo, 120);
    mixer.mouseUp();
    EXPECT_EQ(block.currentTempo, kMixerTempoMax);
    EXPECT_FALSE(timers.isSet(mixer, MixerState::kSpinnerTimer));

    // WHEN the shift's down arrow is held
    const MixerRect down = spinnerArrow(MixerDrag::ShiftDown);
    ASSERT_TRUE(mixer.mouseDown(down.x + 1, down.y + 1));
    // THEN each step reaches the block at once, down to -12
    EXPECT_EQ(block.keyShift, -1);
    timers.advanceMillis(14 * MixerState::kSpinnerRepeatMs);
    mixer.mouseUp();
    EXPECT_EQ(block.keyShift, kMixerShiftMin);

    // A press on the chorus track away from the knob jumps the knob there; dragging past the end clamps.
    const MixerRect chorus = sliderTrack(5, MixerDrag::Chorus);
    ASSERT_TRUE(mixer.mouseDown(chorus.x + chorus.width - 2, chorus.y + 2));
    EXPECT_GT(mixer.channel(5).chorus, 100);
    mixer.mouseMove(chorus.x + 500, chorus.y);
    EXPECT_EQ(block.channels[5].liveMixer[kLiveChorus], 127);
    mixer.mouseMove(chorus.x - 500, chorus.y);
    EXPECT_EQ(block.channels[5].liveMixer[kLiveChorus], 0);
    mixer.mouseUp();
    // The master fader moves only while the master-volume control is on.
    const MixerRect master = faderTrack(-1);
    EXPECT_FALSE(mixer.mouseDown(master.x + 2, master.y + 30));
    EXPECT_EQ(mixer.master(), 127);
    mixer.setMasterControl(true);
    ASSERT_TRUE(mixer.mouseDown(master.x + 2, master.y + master.height - 1));
    mixer.mouseUp();
    EXPECT_EQ(mixer.master(), 0);
    EXPECT_EQ(block.masterVolumeRequested, 0);
}

TEST(Mixer, TheTrackHintNamesTheMembersKindAndInstrumentOrSaysWhatIsWrong) {
    TempDir dir;
    ProjectData project = ProjectData::fresh();
    const auto drums = dir.write("beat.PLM", serializeSong(songOf(notes(kQuarter, {36}), infoWith(120, 0, 0, 0, true))));
    ASSERT_TRUE(project.setMemberPath(0, drums));
    ASSERT_TRUE(project.setMemberPath(1, dir / "gone.PLM"));
    const TrackInfo rhythm = trackInfo(&project, 0);
    EXPECT_FALSE(rhythm.problem);
    EXPECT_EQ(std::tie(rhythm.fileName, rhythm.kind, rhythm.instrument),
              std::make_tuple("beat.PLM", "リズム", "GM Drum Set"));
    EXPECT_EQ(trackInfo(&project, 1).problem, "ファイルが存在しません。");
    for (int bad : {16, -1}) EXPECT_EQ(trackInfo(&project, bad).problem, "トラック番号が不正な値です。");
}

// Under ThreadSanitizer: the user-interface thread drives every control while the real-time thread plays.
TEST(MixerThread, EveryControlMovesWhileTheRealTimeThreadPlays) {
    MixerRig rig(PlaybackEngine::ClockMode::Realtime);
    rig.mixer.setMasterControl(true);
    ASSERT_TRUE(rig.playProject());
    int step = 0;
    for (; step < 150 && rig.sequencer().playMode() != PlayMode::Stopped; ++step) {
        const int ch = step % 3;
        for (const MixerRect& r : {sliderTrack(ch, MixerDrag::Pan), sliderTrack(ch, MixerDrag::Chorus),
                                   sliderTrack(ch, MixerDrag::Reverb), faderTrack(ch), faderTrack(-1),
                                   spinnerArrow(MixerDrag::ShiftUp), spinnerArrow(MixerDrag::TempoUp)}) {
            rig.mixer.mouseDown(r.x + step % r.width, r.y + step % r.height);
            rig.mixer.mouseUp();
        }
        if (step % 10 == 0) rig.mixer.clickSolo(std::size_t(ch));
        if (step % 7 == 0) rig.mixer.clickMute(std::size_t(ch));
        rig.engine.runFor(5);
    }
    EXPECT_GT(step, 100);
    rig.sequencer().StopPlay();
    EXPECT_EQ(rig.recorder->lost(), 0u);
    EXPECT_GT(rig.mixer.tempo(), 200);
    EXPECT_EQ(liveLoad(rig.engine.block().currentTempo), rig.mixer.tempo());
}

}  // namespace
}  // namespace plume
