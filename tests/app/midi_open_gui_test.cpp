// MIDI files opened in the editor: named on the command line, or through the open command's path.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace plume
