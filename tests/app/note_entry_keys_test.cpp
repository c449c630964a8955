// Keys typed into a song window offscreen: the editing keys, the numeric input bar, the lyric bar, cut, copy,
// paste and undo; and a new song through the properties dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "app/qt/numeric_input_widget.h"
#include "app/qt/text_entry_widget.h"
#include "cli/demo_project.h"
#include "song/qt/properties_dialog.h"
#include "support/frame_test.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

class EntryKeysTest : public FrameTest {
protected:
    EntryKeysTest() { startWithRecords("four.PLM", notes(3, {60, 62, 64, 65})); }
    ~EntryKeysTest() override { doc().clearModified(); }

    ScorePosition cursor() { return view().logic().cursor(); }
    std::vector<int> groupTypes() { return test::groupTypes(doc().records()); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(&view(), k, modifiers); }
};

TEST_F(EntryKeysTest, EditingKeysChangeTheSongTheCursorAndTheStatusBarInEitherMode) {
    // Tab after two Rights: a bar line before E
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Tab);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3, type::kBarLine, 3, 3}));
    // Enter splits the line, Back Space at the new line's start joins it again
    key(Qt::Key_Return);
    EXPECT_EQ(pane(kPaneLine), "  2行");
    key(Qt::Key_Backspace);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3, type::kBarLine, 3, 3}));
    EXPECT_EQ(pane(kPaneLine), "  1行");
    // Delete removes the bar line, then the range of E and F
    key(Qt::Key_Left);
    key(Qt::Key_Delete);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3, 3, 3}));
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Delete);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3}));
    EXPECT_EQ(cursor(), (ScorePosition{0, 2}));
    // overwriting shows in its pane and writes over the cursor group; while playing the keys do nothing
    frame().runCommand(cmd::kInsertSwitch);
    EXPECT_EQ(pane(kPaneInsert), "上書");
    key(Qt::Key_Home);
    key(Qt::Key_Space);
    EXPECT_EQ(groupTypes(), (std::vector<int>{type::kSpacer, 3}));
    frame().setPlaying(true);
    key(Qt::Key_Tab);
    EXPECT_EQ(doc().recordCount(), 2u);
    frame().setPlaying(false);
    frame().runCommand(cmd::kInsertSwitch);
    EXPECT_EQ(pane(kPaneInsert), "");
}

TEST_F(EntryKeysTest, ALetterOpensTheNumericInputBarWhichEntersAChord) {
    // "c" typed at the end of the song opens the bar with the letter in its note field
    key(Qt::Key_End);
    QTest::keyClicks(&view(), "c");
    NumericInputWidget& bar = *frame().numericInputBar();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.notesField()->text().toStdString(), "c");
    // " e g" and Return: C, E, G of the area's upper octave as one chord
    QTest::keyClicks(bar.notesField(), " e g");
    QTest::keyClick(bar.notesField(), Qt::Key_Return);
    ASSERT_EQ(doc().record(4).groupSize(), 3);
    EXPECT_EQ(keysOf(doc().records(), 4), (std::vector<int>{67, 64, 60}));
    EXPECT_TRUE(bar.notesField()->text().isEmpty());
    // a wrong character is reported and selected, nothing entered
    QTest::keyClicks(bar.notesField(), "cx");
    QTest::keyClick(bar.notesField(), Qt::Key_Return);
    EXPECT_EQ(bar.notesField()->selectedText().toStdString(), "x");
    EXPECT_EQ(doc().recordCount(), 7u);
    // Shift+Space at the end of the note field hides the bar (Escape: the next test)
    bar.notesField()->setText("c");
    bar.notesField()->end(false);
    QTest::keyClick(bar.notesField(), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_FALSE(bar.isVisible());
}

TEST_F(EntryKeysTest, EscapeInTheNumericBarGivesTheKeyboardBackToTheSongThatTypedIt) {
    // a second song window in front of the first keeps the front and the keyboard after Escape
    writeSong(m_dir / "two.PLM", songOf(notes(3, {67})));
    ASSERT_TRUE(frame().openSongWindow(m_dir / "two.PLM", false));
    CPlmChildWnd* second = frame().activeChild();
    frame().activateWindow();
    QApplication::processEvents();
    QTest::keyClicks(&view(), "c");
    QTest::keyClick(frame().numericInputBar()->notesField(), Qt::Key_Return);
    QTest::keyClick(frame().numericInputBar()->notesField(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(frame().numericInputBar()->isVisible());
    EXPECT_EQ(frame().activeChild(), second);
    EXPECT_EQ(QApplication::focusWidget(), &view());
    EXPECT_EQ(doc().recordCount(), 2u);
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

using platform::Answer;

std::string text(const QString& s) { return s.toStdString(); }
std::vector<SongRecord> recordsOf(const CPlmDoc& doc) { return {doc.records().begin(), doc.records().end()}; }

class SongCommandsTest : public FrameTest {
protected:
    SongCommandsTest() {
        std::ostringstream err;
        writeDemoProject(m_dir, err);
        startWithSong(m_dir / "melody.PLM");
        bigView();
    }

    // Focus in the song window of the active main window, where the shortcuts reach the menus.
    CPlmView& focusedView() {
        frame().activateWindow();
        view().setFocus();
        EXPECT_TRUE(test::waitUntil([&] { return view().hasFocus() && QApplication::activeWindow() == &frame(); }));
        return view();
    }
};

TEST_F(SongCommandsTest, TheScoreHasTheKeyboardAgainAfterEachDialog) {
    CPlmView& v = focusedView();
    for (int i = 0; i < 3; ++i) QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    for (const int id : {cmd::kTranspose, cmd::kTie, cmd::kTriplet, cmd::kKeyChange}) {
        // each command's dialog cancelled: the score has the keyboard again, so Ctrl+Z reaches the frame
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            shown = dialog != nullptr;
            if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
        });
        v.clearFocus();
        frame().runCommand(id);
        EXPECT_TRUE(test::waitUntil([&] { return v.hasFocus(); })) << id;
        if (id == cmd::kTranspose || id == cmd::kTie) {
            EXPECT_TRUE(shown) << id;
        }
    }
}

TEST_F(SongCommandsTest, CtrlXCVAndZCutCopyPasteAndUndoInTheScore) {
    CPlmView& v = focusedView();
    const std::vector<SongRecord> original = recordsOf(doc());
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(v.logic().hasRange());
    const std::size_t cutSize = doc().nextGroup(doc().nextGroup(0));
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(frame().clipboard().hasData());
    EXPECT_EQ(recordsOf(doc()), original);
    QTest::keyClick(&v, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(doc().recordCount(), original.size() - cutSize);
    EXPECT_EQ(text(frame().action(cmd::kEditUndo)->text()), "元に戻すDEL");
    const std::vector<SongRecord> afterCut = recordsOf(doc());
    // pasted at the end: before the line break, the cursor stays on it
    QTest::keyClick(&v, Qt::Key_End);
    const ScorePosition lineBreak = v.logic().cursor();
    QTest::keyClick(&v, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(doc().recordCount(), original.size());
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{0, lineBreak.column + 2}));
    // Ctrl+Z twice undoes the paste, then the cut with its selection
    QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(recordsOf(doc()), afterCut);
    QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(recordsOf(doc()), original);
    EXPECT_EQ(v.logic().anchor(), (ScorePosition{0, 0}));
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{0, 2}));
    EXPECT_TRUE(doc().isModified());
}

TEST_F(SongCommandsTest, ANewSongComesFromThePropertiesDialog) {
    whenModal<PropertiesDialog>([](PropertiesDialog& dialog) {
        EXPECT_FALSE(dialog.allTracksBox()->isEnabled()) << "no project";
        dialog.tempoField()->setValue(90);
        dialog.accept();
    });
    frame().runCommand(cmd::kFileNew);
    ASSERT_EQ(frame().childWindows().size(), 2u);
    EXPECT_EQ(text(frame().activeChild()->windowTitle()).rfind("Untitled - ", 0), 0u);
    EXPECT_EQ(doc().recordCount(), 0u);
    EXPECT_EQ(doc().songInfo().tempo(), 90);

    // a kind switched in "ﾌﾟﾛﾊﾟﾃｨｰ", then cancelled: it asks, and No keeps the dialog open
    whenModal<PropertiesDialog>([this](PropertiesDialog& dialog) {
        dialog.rhythmButton()->setChecked(true);
        m_box->script({Answer::No, Answer::Yes});
        dialog.reject();
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(m_box->shown(), std::vector<std::string>(2, "変更結果が失われます。\nよろしいですか？"));
    EXPECT_EQ(doc().songInfo().fileKind(), 1);
    EXPECT_FALSE(doc().isModified());
}

}  // namespace
}  // namespace plume
