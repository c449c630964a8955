// The song commands offscreen: cut, copy, paste and undo typed into a song window, and a new song
// through the properties dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "cli/demo_project.h"
#include "song/qt/properties_dialog.h"
#include "support/frame_test.h"

namespace plume {
namespace {

using namespace test;
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

    CPlmDoc& document() { return doc(); }
    // Focus in the song window of the active main window, where the shortcuts reach the menus.
    CPlmView& focusedView() {
        frame().activateWindow();
        view().setFocus();
        EXPECT_TRUE(test::waitUntil([&] { return view().hasFocus() && QApplication::activeWindow() == &frame(); }));
        return view();
    }

};

TEST_F(SongCommandsTest, TheScoreHasTheKeyboardAgainAfterEachDialog) {
    // GIVEN the first three notes selected, the keyboard on the score
    CPlmView& v = focusedView();
    for (int i = 0; i < 3; ++i) QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    for (const int id : {cmd::kTranspose, cmd::kTie, cmd::kTriplet, cmd::kKeyChange}) {
        // WHEN the command's dialog is answered with OK (or Cancel where OK needs more)
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            shown = dialog != nullptr;
            if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
        });
        v.clearFocus();
        frame().runCommand(id);
        // THEN the score has the keyboard again, so that Ctrl+Z reaches the frame
        EXPECT_TRUE(test::waitUntil([&] { return v.hasFocus(); })) << id;
        if (id == cmd::kTranspose || id == cmd::kTie) {
            EXPECT_TRUE(shown) << id;
        }
    }
}

TEST_F(SongCommandsTest, CtrlXCVAndZCutCopyPasteAndUndoInTheScore) {
    CPlmView& v = focusedView();
    const std::vector<SongRecord> original = recordsOf(document());

    // GIVEN the first two notes selected
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(v.logic().hasRange());
    const std::size_t cutSize = document().nextGroup(document().nextGroup(0));

    // WHEN Ctrl+C THEN the clipboard fills and the song stays
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(frame().clipboard().hasData());
    EXPECT_EQ(recordsOf(document()), original);

    // WHEN Ctrl+X THEN the notes are gone, the cursor is at the start and undo names the cut
    QTest::keyClick(&v, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(document().recordCount(), original.size() - cutSize);
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{0, 0}));
    EXPECT_EQ(text(frame().action(cmd::kEditUndo)->text()), "元に戻すDEL");
    const std::vector<SongRecord> afterCut = recordsOf(document());

    // WHEN End and Ctrl+V THEN they stand before the line break and the cursor stays on it
    QTest::keyClick(&v, Qt::Key_End);
    const ScorePosition lineBreak = v.logic().cursor();
    const std::size_t at = v.logic().lines().recordAt(v.logic().records(), lineBreak.line, lineBreak.column);
    QTest::keyClick(&v, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(document().recordCount(), original.size());
    EXPECT_EQ(std::vector(document().records().begin() + std::ptrdiff_t(at),
                          document().records().begin() + std::ptrdiff_t(at + cutSize)),
              std::vector(original.begin(), original.begin() + std::ptrdiff_t(cutSize)));
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{0, lineBreak.column + 2}));
    EXPECT_EQ(text(frame().action(cmd::kEditUndo)->text()), "元に戻す張り付け");

    // WHEN Ctrl+Z twice THEN the paste, then the cut are undone, the selection with it
    QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(recordsOf(document()), afterCut);
    QTest::keyClick(&v, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(recordsOf(document()), original);
    EXPECT_EQ(v.logic().anchor(), (ScorePosition{0, 0}));
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{0, 2}));
    EXPECT_EQ(text(frame().action(cmd::kEditUndo)->text()), "元に戻す");
    EXPECT_TRUE(document().isModified());
}

TEST_F(SongCommandsTest, ANewSongComesFromThePropertiesDialog) {
    // WHEN "新規作成" is chosen and the dialog is confirmed with tempo 90
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<PropertiesDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->tempoField()->value(), 120);
        EXPECT_FALSE(dialog->allTracksBox()->isEnabled()) << "no project";
        dialog->tempoField()->setValue(90);
        dialog->accept();
    });
    frame().runCommand(cmd::kFileNew);
    // THEN an empty, untitled song window is active
    ASSERT_EQ(frame().childWindows().size(), 2u);
    EXPECT_TRUE(frame().activeChild()->path().empty());
    EXPECT_EQ(text(frame().activeChild()->windowTitle()).rfind("Untitled - ", 0), 0u);
    EXPECT_EQ(document().recordCount(), 0u);
    EXPECT_EQ(document().songInfo().tempo(), 90);

    // WHEN its kind is switched in "ﾌﾟﾛﾊﾟﾃｨｰ" and the dialog cancelled THEN it asks; No keeps it open
    QTimer::singleShot(0, [this] {
        auto* dialog = qobject_cast<PropertiesDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->rhythmButton()->setChecked(true);
        m_box->script({Answer::No, Answer::Yes});
        dialog->reject();
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    frame().runCommand(cmd::kProperties);
    EXPECT_EQ(m_box->shown(), std::vector<std::string>(2, "変更結果が失われます。\nよろしいですか？"));
    EXPECT_EQ(document().songInfo().fileKind(), 1);
    EXPECT_FALSE(document().isModified());
}

}  // namespace
}  // namespace plume
