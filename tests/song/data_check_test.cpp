#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "song/data_check.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using test::addGroup;
using test::note;

SongRecord withGate(SongRecord r, std::uint8_t delay, std::uint8_t gate) {
    r.setDelay(delay);
    r.setGate(gate);
    return r;
}
SongRecord withVelocity(SongRecord r, std::uint8_t velocity) {
    r.setVelocity(velocity);
    return r;
}

TEST(DataCheck, RepairsEachPassAndCountsGroups) {
    // GIVEN one fault of each kind, the RF fault twice in the same chord
    std::vector<SongRecord> song = test::group({note(3, 60), note(3, 64, 0x03), note(3, 67, 0x43)});
    addGroup(song, {note(3, 60), note(3, 62)});
    song[4].setGroupSize(1);  // a stray group size inside the group
    addGroup(song, {withGate(note(3, 60), 50, 60), withGate(note(3, 64), 50, 50)});
    addGroup(song, {withGate(note(3, 60), 0, 0)});
    addGroup(song, {withVelocity(note(3, 60), 0), withVelocity(note(3, 64), 127)});
    addGroup(song, {withVelocity(note(3, 60), 200)});

    const DataCheckCounts counts = checkRecords(song);

    EXPECT_EQ(counts.bySize, 1);
    EXPECT_EQ(song[4].groupSize(), 0);
    EXPECT_EQ(counts.rf, 1) << "a chord with two wrong records counts once";
    EXPECT_EQ(song[1].marks(), 0x00);
    EXPECT_EQ(song[2].marks(), 0x40) << "tie bits are kept";
    // 60 + 50 repaired to 0 + 75, 50 + 50 accepted, 0 + 0 repaired; velocity 0 and 200 repaired, 127 kept
    EXPECT_EQ(counts.gt, 2);
    EXPECT_EQ((std::vector{song[5].delay(), song[5].gate(), song[6].delay(), song[6].gate(), song[7].gate()}),
              (std::vector<std::uint8_t>{0, 75, 50, 50, 75}));
    EXPECT_EQ(counts.velocity, 2);
    EXPECT_EQ((std::vector{song[8].velocity(), song[9].velocity(), song[10].velocity()}),
              (std::vector<std::uint8_t>{100, 127, 100}));
}

TEST(DataCheck, RestsAndEffectsAreNotNoteGroupsAndABrokenGroupStartEndsTheWalk) {
    std::vector<SongRecord> song = test::group({test::rest(9), test::effectValue(effect::kVolume, 0)});
    addGroup(song, {test::barLine()});
    EXPECT_EQ(checkRecords(song).total(), 0);

    std::vector<SongRecord> broken = test::notes(3, {60});
    broken.push_back(note(3, 62));  // bySize 0 where a group should start
    addGroup(broken, {withVelocity(note(3, 64), 0)});
    checkRecords(broken);
    EXPECT_EQ(broken[2].velocity(), 0) << "nothing past an unwalkable group start is touched";
}

TEST(DataCheck, MessagesNameTheCheckedSong) {
    platform::ScriptedMessageBox box;
    std::vector<SongRecord> clean = test::notes(3, {60});
    runDataCheck(clean, "a.PLM");
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"a.PLM\nNo Error"})) << "one message, not one per pass";

    box.clear();
    std::vector<SongRecord> faulty = test::group({withVelocity(withGate(note(3, 60), 0, 0), 0)});
    runDataCheck(faulty, "b.PLM");
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"b.PLM\nエラー修復　GT = 1", "b.PLM\nエラー修復　Velcity = 1"}));
}

}  // namespace
}  // namespace plume
