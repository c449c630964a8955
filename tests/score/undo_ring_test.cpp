// The ring itself; its levels and cursors are shown through the range editor and note entry.
#include <gtest/gtest.h>

#include "score/undo_ring.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

TEST(UndoRing, MenuTextNamesTheNewestKindAndAnEmptySnapshotEmptiesTheSong) {
    CPlmDoc doc;
    UndoRing ring;
    EXPECT_EQ(ring.menuText(), "元に戻す");
    ASSERT_TRUE(ring.take(UndoKind::BackSpace, doc, {}));
    ASSERT_TRUE(doc.insertRecords(0, test::notes(3, {60})));
    ASSERT_TRUE(ring.take(UndoKind::ChordName, doc, {}));
    ASSERT_TRUE(doc.insertRecords(1, test::notes(3, {62})));
    EXPECT_EQ(ring.menuText(), "元に戻すコード名");
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
