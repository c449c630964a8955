#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "score/undo_ring.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using test::note;

std::vector<SongRecord> songOf(const CPlmDoc& doc) { return {doc.records().begin(), doc.records().end()}; }

TEST(UndoRing, TenLevelsDropTheOldestAndRestoreInOrder) {
    // GIVEN eleven changes, each preceded by a snapshot
    CPlmDoc doc;
    UndoRing ring;
    std::vector<std::vector<SongRecord>> states{songOf(doc)};
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(ring.take(UndoKind::Insert, doc, UndoPositions{.cursorColumn = i}));
        ASSERT_TRUE(doc.insertRecords(doc.recordCount(), test::group({note(3, std::uint8_t(60 + i))})));
        states.push_back(songOf(doc));
    }
    EXPECT_EQ(ring.size(), 10u);
    // WHEN undone ten times THEN each undo restores the state before its change, down to the
    // state after the first change; the snapshot of the empty song was dropped
    UndoPositions positions;
    for (int i = 10; i >= 1; --i) {
        ASSERT_TRUE(ring.undo(doc, positions));
        EXPECT_EQ(songOf(doc), states[std::size_t(i)]) << i;
        EXPECT_EQ(positions.cursorColumn, i);
    }
    EXPECT_FALSE(ring.undo(doc, positions));
    EXPECT_EQ(doc.recordCount(), 1u);
}

TEST(UndoRing, AnEmptySnapshotEmptiesTheSongAndMarksItModified) {
    CPlmDoc doc;
    UndoRing ring;
    ASSERT_TRUE(ring.take(UndoKind::Paste, doc, {}));
    ASSERT_TRUE(doc.insertRecords(0, test::group({note(3, 60), note(3, 64)})));
    doc.clearModified();
    UndoPositions positions;
    ASSERT_TRUE(ring.undo(doc, positions));
    EXPECT_EQ(doc.recordCount(), 0u);
    EXPECT_TRUE(doc.isModified());
}

TEST(UndoRing, MenuTextNamesTheNewestKind) {
    CPlmDoc doc;
    UndoRing ring;
    EXPECT_EQ(ring.menuText(), "元に戻す");
    ring.take(UndoKind::BackSpace, doc, {});
    ring.take(UndoKind::ChordName, doc, {});
    EXPECT_EQ(ring.menuText(), "元に戻すコード名");
    UndoPositions positions;
    ring.undo(doc, positions);
    EXPECT_EQ(ring.menuText(), "元に戻すＢＳ");
}

TEST(UndoRing, FailedCopyAsksAndNoAbandonsTheChange) {
    platform::ScriptedMessageBox box;
    box.script({platform::Answer::No, platform::Answer::Yes});
    CPlmDoc doc;
    ASSERT_TRUE(doc.insertRecords(0, test::group({note(3, 60)})));
    UndoRing ring([](std::size_t) { return std::unique_ptr<std::vector<SongRecord>>(); });

    EXPECT_FALSE(ring.take(UndoKind::Change, doc, {}));
    EXPECT_TRUE(ring.take(UndoKind::Change, doc, {})) << "Yes goes on without a snapshot";
    EXPECT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[0], "メモリ不足で[元に戻す]ができなくなります。\nよろしいですか？");
    EXPECT_FALSE(ring.canUndo());
}

}  // namespace
}  // namespace plume
