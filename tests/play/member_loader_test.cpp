#include <gtest/gtest.h>

#include <filesystem>

#include "platform/message_box.h"
#include "play/member_loader.h"
#include "play/play_fixture.h"
#include "song/plm_doc.h"
#include "song/project.h"
#include "support/song_builder.h"
#include "support/temp_dir.h"

namespace plume {
namespace {

namespace fs = std::filesystem;

RecordAllocator failingAllocator() {
    return [](std::size_t) { return std::unique_ptr<std::vector<SongRecord>>(); };
}

class MemberLoader : public testing::Test {
protected:
    test::TempDir dir;
    platform::ScriptedMessageBox messages;

    SongData songWithTempo(std::int16_t tempo, std::size_t count = 12) {
        SongInfo info = SongInfo::defaults();
        info.setTempo(tempo);
        return test::songOf(test::filledSong(count), info);
    }
};

TEST_F(MemberLoader, FailuresAreReportedWithTheTrackNumber) {
    auto broken = serializeSong(songWithTempo(120));
    broken.push_back(0);
    const fs::path bad = dir.write("bad.PLM", broken);
    const fs::path text = dir.write("text.PLM", {'t', 'e', 'x', 't', 0, 0, 0, 0});
    const fs::path good = dir.write("good.PLM", serializeSong(songWithTempo(120)));
    const fs::path missing = dir / "missing.PLM";
    PlaySlot slot;

    // GIVEN a missing file, a file that is no song and a broken song (no memory: the export CLI's test)
    EXPECT_EQ(loadMember(2, missing, slot), 0);
    EXPECT_EQ(loadMember(2, text, slot), 0);
    EXPECT_EQ(loadMember(2, bad, slot), 0);
    // THEN each is named with track 3 and the slot stays empty
    EXPECT_EQ(messages.shown(), (std::vector<std::string>{
                                    "Truck3-" + missing.string() + "\nファイルがありません。",
                                    "Truck3-" + text.string() + "\nファイルがありません。",
                                    "Truck3-" + bad.string() + "\nデータ形式が違います。",
                                }));
    EXPECT_FALSE(slot.used());

    // WHEN the same happens to a single song file THEN the file is named alone
    messages.clear();
    EXPECT_EQ(loadSongFile(bad, slot), 0);
    EXPECT_EQ(loadSongFile(good, slot, failingAllocator()), -1);
    EXPECT_EQ(messages.shown(),
              (std::vector<std::string>{bad.string() + "\nデータ形式が違います。", "メモリーが確保できません。"}));
    EXPECT_EQ(loadSongFile(good, slot), 12);
}

TEST_F(MemberLoader, ProjectMembersComeFromOpenDocumentsOrFiles) {
    // GIVEN member 1 open in a window, member 2 open but empty, member 3 on disk, member 4 missing
    CPlmDoc open;
    ASSERT_TRUE(open.load(songWithTempo(100)));
    CPlmDoc empty;
    test::FakeHost lookup;
    lookup.open[dir / "open.PLM"] = &open;
    lookup.open[dir / "empty.PLM"] = &empty;
    ProjectData project = ProjectData::fresh();
    project.setMemberPath(0, dir / "open.PLM");
    project.setMemberPath(1, dir / "empty.PLM");
    const SongData onDisk = songWithTempo(80, 20);
    project.setMemberPath(2, dir.write("disk.PLM", serializeSong(onDisk)));
    project.setMemberPath(3, dir / "missing.PLM");
    PlaySlots slots;
    slots[3].document = &open;  // left over from an earlier play

    const ProjectMembers members = loadProjectMembers(project, lookup, slots);

    // THEN the open one lends its document, the file's slot owns its records and a copy of its
    // settings, the others are left out
    EXPECT_EQ(std::make_tuple(members.outOfMemory, members.loaded, members.tempo), std::make_tuple(false, 2u, 80));
    EXPECT_EQ(slots[0].document, &open);
    EXPECT_FALSE(slots[1].used());
    ASSERT_NE(slots[2].buffer, nullptr);
    EXPECT_EQ(slots[2].info, onDisk.info);
    EXPECT_TRUE(std::ranges::equal(slots[2].records(), onDisk.records));
    EXPECT_FALSE(slots[3].used());
    EXPECT_EQ(messages.shown().size(), 1u);

    // WHEN memory runs out at the file THEN loading stops there and says so
    project.setMemberPath(4, dir / "disk.PLM");
    project.setMemberPath(5, dir / "open.PLM");
    const ProjectMembers starved = loadProjectMembers(project, lookup, slots, failingAllocator());
    EXPECT_EQ(std::make_tuple(starved.outOfMemory, starved.loaded, starved.tempo), std::make_tuple(true, 1u, 100));
    EXPECT_FALSE(slots[2].used() || slots[4].used() || slots[5].used());
    // unless the caller skips such a member: the open one after it still plays
    const ProjectMembers skipping =
        loadProjectMembers(project, lookup, slots, failingAllocator(), MemoryFailure::SkipMember);
    EXPECT_EQ(std::make_tuple(skipping.outOfMemory, skipping.loaded), std::make_tuple(true, 2u));
    EXPECT_FALSE(slots[2].used() || slots[4].used());
    EXPECT_EQ(slots[5].document, &open);
}

}  // namespace
}  // namespace plume
