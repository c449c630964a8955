// Playback on the real-time thread (run under ThreadSanitizer in CI).
#include <gtest/gtest.h>

#include "play/play_fixture.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

// A second of eighth notes at 240/min, with a chord and effects on the way.
std::vector<SongRecord> shortSong() {
    std::vector<SongRecord> song = group({note(4, 60), effectValue(effect::kVolume, 90)});
    addGroup(song, {note(4, 67), note(4, 64), effectValue(effect::kPan, 40)});
    addGroups(song, {note(4, 62), note(4, 65), note(4, 69), note(4, 71), note(4, 72)});
    return song;
}

// Note-on times relative to the first note.
std::vector<long> noteOnOffsets(const std::vector<MidiMessage>& events) {
    std::vector<long> offsets;
    for (const MidiMessage& m : events) {
        if ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] != 0) offsets.push_back(long(m.micros));
    }
    for (std::size_t i = offsets.size(); i-- > 0;) offsets[i] -= offsets[0];
    return offsets;
}

TEST(PlaybackThread, TheRealTimeThreadPlaysWhatTheSimulatedClockPlaysAndEndsThePlay) {
    const auto document = documentOf(shortSong(), infoWith(240));
    PlayRig simulated;
    ASSERT_TRUE(simulated.play(*document));

    // WHEN the same song plays on the real-time thread
    PlayRig rig({}, PlaybackEngine::ClockMode::Realtime);
    rig.start(*document);
    // THEN the end reaches the frame, which stops; the messages and the notes' spacing are the same
    ASSERT_TRUE(rig.playToEnd(10000));
    EXPECT_EQ(rig.messages(), simulated.messages());
    EXPECT_EQ(noteOnOffsets(rig.recorder->events()), noteOnOffsets(simulated.recorder->events()));
    EXPECT_EQ(rig.recorder->lost(), 0u);
}

}  // namespace
}  // namespace plume
