// MIDI files opened in the editor: named on the command line, through the open command's path, or
// dropped onto the window.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

#include "app/qt/midi_open.h"
#include "import/smf_builder.h"
#include "support/frame_test.h"

namespace plume {
namespace {

using namespace test;

TEST_F(FrameTest, AMidiFileOpensAsItsSongOrItsProject) {
    // GIVEN a one-channel file named on the command line
    const auto one = smfFile(0, 96, {notesTrack(0, {{0, 90, 60}, {96, 180, 62}})});
    ASSERT_TRUE(platform::writeFileAtomically(m_dir / "one.mid", one));
    startWithSong(m_dir / "one.mid");
    // THEN it is imported beside itself and its song opens
    ASSERT_EQ(frame().childWindows().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "one.PLM"));


    // WHEN a two-channel file is named THEN its project becomes the current one with both songs open
    const auto two = smfFile(1, 96, {notesTrack(0, {{0, 90, 60}}), notesTrack(1, {{0, 90, 48}})});
    ASSERT_TRUE(platform::writeFileAtomically(m_dir / "two.MID", two));
    ASSERT_TRUE(openSongOrMidi(frame(), m_dir / "two.MID"));
    QApplication::processEvents();
    EXPECT_EQ(frame().windowTitle().toStdString(), "Plume - two.PRJ <two>");
    EXPECT_EQ(frame().childWindows().size(), 2u);
}

TEST_F(FrameTest, AMidiFileDroppedOntoTheEditorOpens) {
    start({});
    ASSERT_TRUE(frame().childWindows().empty());
    const auto file = smfFile(0, 480, {notesTrack(0, {{0, 400, 64}, {480, 900, 67}})});
    ASSERT_TRUE(platform::writeFileAtomically(m_dir / "dropped.mid", file));
    ASSERT_TRUE(platform::writeFileAtomically(m_dir / "notes.txt", file));
    // The drag lands on the empty work area, as a file manager's would.
    QMdiArea* area = frame().findChild<QMdiArea*>();
    ASSERT_NE(area, nullptr);
    QWidget* target = area->viewport();
    auto drag = [&](const std::filesystem::path& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    };
    // WHEN a text file is dragged THEN it is refused and nothing opens
    EXPECT_FALSE(drag(m_dir / "notes.txt"));
    EXPECT_TRUE(frame().childWindows().empty());
    // WHEN the .mid file is dropped THEN it is imported beside itself and its song opens
    EXPECT_TRUE(drag(m_dir / "dropped.mid"));
    ASSERT_EQ(frame().childWindows().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "dropped.PLM"));
    std::vector<int> keys;
    const Records records = doc().records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].isScore() && records[i].isNote()) keys.push_back(records[i].key());
    }
    EXPECT_EQ(keys, (std::vector<int>{64, 67}));
}

}  // namespace
}  // namespace plume
