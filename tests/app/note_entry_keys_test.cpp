// Entry typed into a song window offscreen: the editing keys, the keys and letters the view passes
// to the main frame, the numeric input bar and the lyric bar.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "app/qt/numeric_input_widget.h"
#include "app/qt/text_entry_widget.h"
#include "support/frame_test.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

class EntryKeysTest : public FrameTest {
protected:
    EntryKeysTest() {
        // four quarters C D E F
        writeSong(m_dir / "four.PLM", songOf(notes(3, {60, 62, 64, 65})));
        startWithSong(m_dir / "four.PLM");
        bigView();
    }
    ~EntryKeysTest() override { doc().clearModified(); }

    ScorePosition cursor() { return view().logic().cursor(); }
    std::vector<int> groupTypes() { return test::groupTypes(doc().records()); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(&view(), k, modifiers); }
};

TEST_F(EntryKeysTest, EditingKeysChangeTheSongTheCursorAndTheStatusBar) {
    // Right twice, then Tab: a bar line before E
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Tab);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3, type::kBarLine, 3, 3}));
    EXPECT_EQ(cursor(), (ScorePosition{0, 3}));
    // Enter splits the line: the cursor starts line 2 and the status bar says so
    key(Qt::Key_Return);
    EXPECT_EQ(view().logic().lines().lineCount(), 2);
    EXPECT_EQ(cursor(), (ScorePosition{1, 0}));
    EXPECT_EQ(pane(kPaneLine), "  2行");
    // Space puts a spacer there, Back Space takes it away again
    key(Qt::Key_Space);
    EXPECT_EQ(doc().record(4).type(), type::kSpacer);
    EXPECT_EQ(cursor(), (ScorePosition{1, 1}));
    key(Qt::Key_Backspace);
    EXPECT_EQ(cursor(), (ScorePosition{1, 0}));
    // Back Space at the line's start joins the lines
    key(Qt::Key_Backspace);
    EXPECT_EQ(view().logic().lines().lineCount(), 1);
    EXPECT_EQ(cursor(), (ScorePosition{0, 3}));
    EXPECT_EQ(pane(kPaneLine), "  1行");
    // Left and Delete remove the bar line; Shift+Right twice and Delete remove E and F
    key(Qt::Key_Left);
    key(Qt::Key_Delete);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3, 3, 3}));
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(view().logic().hasRange());
    key(Qt::Key_Delete);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3}));
    EXPECT_EQ(cursor(), (ScorePosition{0, 2}));
    EXPECT_FALSE(view().logic().hasRange());
    EXPECT_TRUE(doc().isModified());
}

TEST_F(EntryKeysTest, OverwriteModeShowsItsPaneAndWritesOverTheCursorGroup) {
    frame().runCommand(cmd::kInsertSwitch);
    EXPECT_EQ(pane(kPaneInsert), "上書");
    EXPECT_FALSE(frame().insertMode());
    key(Qt::Key_Space);
    EXPECT_EQ(groupTypes(), (std::vector<int>{type::kSpacer, 3, 3, 3}));
    EXPECT_EQ(cursor(), (ScorePosition{0, 1}));
    // editing keys do nothing while something plays
    frame().setPlaying(true);
    key(Qt::Key_Tab);
    EXPECT_EQ(doc().recordCount(), 4u);
    frame().setPlaying(false);
    // switched back, the pane is empty again
    frame().runCommand(cmd::kInsertSwitch);
    EXPECT_EQ(pane(kPaneInsert), "");
}

TEST_F(EntryKeysTest, ALetterOpensTheNumericInputBarWhichEntersAChord) {
    // GIVEN the cursor at the end of the song WHEN "c" is typed in the view
    key(Qt::Key_End);
    QTest::keyClicks(&view(), "c");
    NumericInputWidget& bar = *frame().numericInputBar();
    // THEN the bar shows with the letter in its note field
    ASSERT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.notesField()->text().toStdString(), "c");
    EXPECT_TRUE(frame().action(cmd::kNumericInput)->isChecked());
    // WHEN " e g" and Return follow THEN C, E, G of the area's upper octave are entered as one chord
    QTest::keyClicks(bar.notesField(), " e g");
    QTest::keyClick(bar.notesField(), Qt::Key_Return);
    ASSERT_EQ(doc().record(4).groupSize(), 3);
    EXPECT_EQ(doc().record(4).key(), 67);
    EXPECT_EQ(doc().record(6).key(), 60);
    EXPECT_EQ(cursor(), (ScorePosition{0, 5}));
    EXPECT_TRUE(bar.notesField()->text().isEmpty());
    // a wrong character is reported and selected; nothing is entered
    QTest::keyClicks(bar.notesField(), "cx");
    QTest::keyClick(bar.notesField(), Qt::Key_Return);
    EXPECT_EQ(m_box->shown().back(), "2桁目が不正です。");
    EXPECT_EQ(bar.notesField()->selectedText().toStdString(), "x");
    EXPECT_EQ(doc().recordCount(), 7u);
    // Shift+Space at the end of the note field hides the bar
    bar.notesField()->setText("c");
    bar.notesField()->end(false);
    QTest::keyClick(bar.notesField(), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_FALSE(bar.isVisible());
    // Escape hides it too, so that Ctrl+Z afterwards reaches the song and not the field
    bar.openWith(QStringLiteral("c"));
    QTest::keyClick(bar.notesField(), Qt::Key_Escape);
    EXPECT_FALSE(bar.isVisible());
}

TEST_F(EntryKeysTest, EscapeInTheNumericBarGivesTheKeyboardBackToTheSongThatTypedIt) {
    // GIVEN a second song window in front of the first, typing into it
    writeSong(m_dir / "two.PLM", songOf(notes(3, {67})));
    ASSERT_TRUE(frame().openSongWindow(m_dir / "two.PLM", false));
    CPlmChildWnd* second = frame().activeChild();
    frame().activateWindow();
    QApplication::processEvents();
    QTest::keyClicks(&view(), "c");
    QTest::keyClick(frame().numericInputBar()->notesField(), Qt::Key_Return);
    // WHEN Escape leaves the bar THEN the same song keeps the front and the keyboard
    QTest::keyClick(frame().numericInputBar()->notesField(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(frame().numericInputBar()->isVisible());
    EXPECT_EQ(frame().activeChild(), second);
    EXPECT_EQ(QApplication::focusWidget(), &view());
    EXPECT_EQ(doc().recordCount(), 2u);
    // the same when the bar's command closes it while it holds the keyboard
    QTest::keyClicks(&view(), "d");
    frame().runCommand(cmd::kNumericInput);
    QApplication::processEvents();
    EXPECT_FALSE(frame().numericInputBar()->isVisible());
    EXPECT_EQ(frame().activeChild(), second);
    doc().clearModified();
}

TEST_F(EntryKeysTest, TheLyricBarWritesTheCursorGroupsLyricAndHidesTheChordNameBar) {
    frame().runCommand(cmd::kChordNameInput);
    frame().runCommand(cmd::kLyricInput);
    TextEntryWidget& lyric = *frame().lyricBar();
    ASSERT_TRUE(lyric.isVisible());
    EXPECT_FALSE(frame().chordNameBar()->isVisible());
    QTest::keyClicks(lyric.field(), "la");
    QTest::keyClick(lyric.field(), Qt::Key_Return);
    EXPECT_EQ(doc().groupText(0, kind::kLyric), "la");
    EXPECT_EQ(view().logic().undoRing().menuText(), "元に戻す歌詞");
}

}  // namespace
}  // namespace plume
