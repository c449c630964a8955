#include <gtest/gtest.h>

#include "play/play_fixture.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

TEST(MidiOutput, MixerChangesWhilePlayingReachTheNextMessages) {
    // GIVEN quarters C D E F G A B C at 120/min (8 x 62 ms): note i down at 350 + 496 i ms, up 372 ms later
    const auto document = documentOf(notes(3, {60, 62, 64, 65, 67, 69, 71, 72}), infoWith(120));
    PlayRig rig;
    rig.start(*document);
    rig.engine.runFor(1000);  // D sounds since 846 ms
    // WHEN the mixer shifts the key up two, pulls the volume to 50 and the master to 100
    setLiveKeyShift(rig.block(), 2);
    setLiveMixerValue(rig.block(), 0, kLiveVolume, 50);
    setLiveMasterVolume(rig.block(), 100);
    rig.engine.runFor(1000);
    const Lines timed = rig.timed();
    // THEN they are sent once at the next tick, D goes up as the key it went down as, E sounds a D
    EXPECT_TRUE(has(timed, "1001.000 B0 07 32"));
    EXPECT_TRUE(has(timed, "1001.000 F0 7F 7F 04 01 00 64 F7"));
    EXPECT_TRUE(has(timed, "1218.000 90 3E 00"));
    EXPECT_TRUE(has(timed, "1342.000 90 42 64"));
    EXPECT_EQ(std::count(timed.begin(), timed.end(), "1001.000 B0 07 32"), 1);

    // WHEN the channel is muted, then the tempo halved
    setChannelMuted(rig.block(), 0, true);
    rig.engine.runFor(400);  // to 2400 ms: G (due at 2334) is muted
    setChannelMuted(rig.block(), 0, false);
    setLiveTempo(rig.block(), 60);
    ASSERT_TRUE(rig.playToEnd());
    const Lines after = rig.timed();
    // THEN G is never heard, F still ends, and from the next group on a quarter lasts a second
    EXPECT_FALSE(has(after, "2334.000 90 45 64"));
    EXPECT_TRUE(has(after, "2210.000 90 43 00"));
    EXPECT_TRUE(has(after, "2830.000 90 47 64"));  // A, after G at the old tempo
    EXPECT_TRUE(has(after, "3830.000 90 49 64"));  // B, a second later
}

TEST(MidiOutput, TempoEffectsAndSongValuesAreReportedToTheWindow) {
    std::vector<SongRecord> song = group({note(3, 60), effectValue(effect::kVolume, 70), effectValue(effect::kPan, 10)});
    addGroup(song, {note(3, 62), effectValue(effect::kTempo, 90), effectValue(effect::kReverb, 40),
                    effectValue(effect::kChorus, 20)});
    addGroup(song, {note(3, 64)});
    PlayRig rig;
    ASSERT_TRUE(rig.play(*documentOf(song, infoWith(120))));
    // The mixer was told the start tempo, then the tempo effect; each song value on its control.
    EXPECT_EQ(rig.mixer.tempos, (std::vector<int>{120, 120, 90}));
    EXPECT_EQ(rig.mixer.values,
              (std::vector<std::string>{"pan 0 10", "volume 0 70", "chorus 0 20", "reverb 0 40"}));
    // The block's current tempo follows the song; the effect's group lasts a quarter at 90/min (8 x 83 ms).
    EXPECT_EQ(rig.block().currentTempo, 90);
    EXPECT_TRUE(has(rig.timed(), "1510.000 90 40 64"));
}

TEST(MidiOutput, TheShiftTableMovesSingleKeysAndDrumsNeverMove) {
    const std::vector<SongRecord> song = notes(3, {60, 62});
    PlayRig rig;
    rig.mixer.shift = 1;  // the mixer's key shift at the reset
    rig.sequencer().ResetPlayBlock(PlaybackEngine::kFrameWindow, 0);
    rig.block().shiftTable[0][62] = -5;
    for (std::size_t ch : {0u, 9u}) {
        ChannelState& c = rig.block().channels[ch];
        c.track = song;
        c.count = song.size();
        c.muted = false;
        c.midiChannel = std::uint8_t(ch);
    }
    ASSERT_EQ(rig.sequencer().PlayBlockAsFilled(), PlayStart::Started);
    ASSERT_TRUE(rig.playToEnd());
    const Lines messages = rig.messages();
    for (const char* on : {"90 3D 64", "90 39 64", "99 3C 64", "99 3E 64"})  // 60 + 1, 62 - 5, drums as they are
        EXPECT_TRUE(has(messages, on)) << on;
}

}  // namespace
}  // namespace plume
