// The ring itself; ten levels and the cursor they restore are shown through the range editor, the
// question when no snapshot can be had through note entry.
#include <gtest/gtest.h>

#include "score/undo_ring.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

TEST(UndoRing, MenuTextNamesTheNewestKindAndAnEmptySnapshotEmptiesTheSong) {
    // GIVEN a snapshot of the empty song, then one of a one-note song, each before a change
    CPlmDoc doc;
    UndoRing ring;
    EXPECT_EQ(ring.menuText(), "元に戻す");
    ASSERT_TRUE(ring.take(UndoKind::BackSpace, doc, {}));
    ASSERT_TRUE(doc.insertRecords(0, test::notes(3, {60})));
    ASSERT_TRUE(ring.take(UndoKind::ChordName, doc, {}));
    ASSERT_TRUE(doc.insertRecords(1, test::notes(3, {62})));
    EXPECT_EQ(ring.menuText(), "元に戻すコード名");
    // WHEN undone twice THEN the menu names the older kind, and the empty snapshot empties the song
    UndoPositions positions;
    ASSERT_TRUE(ring.undo(doc, positions));
    EXPECT_EQ(ring.menuText(), "元に戻すＢＳ");
    EXPECT_EQ(doc.recordCount(), 1u);
    doc.clearModified();
    ASSERT_TRUE(ring.undo(doc, positions));
    EXPECT_EQ(doc.recordCount(), 0u);
    EXPECT_TRUE(doc.isModified());
}

}  // namespace
}  // namespace plume
