// The editor's main window offscreen: keys and mouse in the score view, the status bar, the project,
// export and view commands, and MIDI files opened or dropped onto it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "app/command_registry.h"
#include "app/qt/midi_open.h"
#include "app/qt/vokato_host.h"
#include "cli/demo_project.h"
#include "export/qt/midi_export_dialog.h"
#include "import/smf_builder.h"
#include "score/effect_forms.h"
#include "score/qt/effect_bar.h"
#include "score/qt/effect_edit_widget.h"
#include "support/frame_test.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;
using platform::Answer;

std::string text(const QString& s) { return s.toStdString(); }

class MainFrameTest : public FrameTest {
protected:
    MainFrameTest() {
        std::ostringstream err;
        m_project = *writeDemoProject(m_dir, err);
    }
    void startWithSong(const std::string& name) { FrameTest::startWithSong(m_dir / name); }
    void startWithProject() { start({.song = {}, .project = m_project}); }
    // A point in the left half of a column: the click places the cursor on it.
    QPoint pointOf(ScorePosition p) {
        const ScoreView& logic = view().logic();
        const ScoreLine& line = logic.lines().line(p.line);
        return {columnX(logic.records(), line, p.column, logic.scroll()) + 3, logic.lineTop(p.line) + line.height / 2};
    }

    fs::path m_project;
};

TEST_F(MainFrameTest, KeysAndADragMoveTheCursorAndSelectAndTheStatusBarFollows) {
    startWithSong("melody.PLM");
    CPlmView& v = bigView();
    EXPECT_EQ(pane(kPaneLine), "  1行");
    EXPECT_EQ(pane(kPaneBar), "  1小節");
    // five times Right: past the first bar line
    for (int i = 0; i < 5; ++i) QTest::keyClick(&v, Qt::Key_Right);
    EXPECT_EQ(pane(kPaneBar), "  2小節");
    // Shift+Right twice: a range, the free panes show its other end
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(pane(kPaneFreeLine), "  1行");
    EXPECT_EQ(pane(kPaneFreeBar), "  2小節");
    EXPECT_TRUE(frame().action(cmd::kClearRange)->isEnabled());
    // Down without Shift: the range is gone, the cursor on line 2
    QTest::keyClick(&v, Qt::Key_Down);
    EXPECT_EQ(pane(kPaneLine), "  2行");
    EXPECT_EQ(pane(kPaneFreeLine), "");
    EXPECT_FALSE(frame().action(cmd::kClearRange)->isEnabled());
    // a drag selects from the press to the release
    QWidget* canvas = v.viewport();
    test::pressMouse(canvas, pointOf({0, 2}));
    test::moveMouse(canvas, pointOf({1, 1}));
    test::moveMouse(canvas, pointOf({2, 4}));
    test::releaseMouse(canvas, pointOf({2, 4}));
    EXPECT_EQ(v.logic().anchor(), (ScorePosition{0, 2}));
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{2, 4}));
}

TEST_F(MainFrameTest, AClickAtTwiceTheZoomLandsOnTheSameRecordAndTheViewMenuSetsTheZoom) {
    startWithSong("melody.PLM");
    CPlmView& v = bigView();
    const QPoint at = pointOf({1, 3});
    v.setZoom(200);
    test::pressMouse(v.viewport(), at * 2);
    test::releaseMouse(v.viewport(), at * 2);
    EXPECT_EQ(v.logic().cursor(), (ScorePosition{1, 3}));
    v.setZoom(120);  // not a step: ignored
    EXPECT_EQ(v.zoom(), 200);
    // the View menu's zoom reaches every song window, shows its check and is kept in the profile
    frame().runCommand(cmd::kZoom100 + 3);
    EXPECT_EQ(v.zoom(), 300);
    EXPECT_TRUE(frame().action(cmd::kZoom100 + 3)->isChecked());
    EXPECT_FALSE(frame().action(cmd::kZoom100)->isChecked());
    EXPECT_EQ(platform::plmProfile().getInt("Draw", "Zoom", 0), 300);
    frame().runCommand(cmd::kZoom100);  // the next frames start at 100 %
    EXPECT_EQ(v.zoom(), 100);
}

TEST_F(MainFrameTest, TheEffectBarEditsTheCursorGroupInEitherDisplay) {
    startWithRecords("tune.PLM", notes(3, {60, 62, 64}));
    CPlmChildWnd& child = *frame().activeChild();
    frame().runCommand(cmd::kOneLineDisplay);
    EXPECT_EQ(child.displayMode(), 1);
    EXPECT_TRUE(child.effectDisplay().isVisibleTo(&child));
    // the second group chosen in the display takes a volume from the bar, undoably
    QTest::keyClick(&child.effectDisplay(), Qt::Key_Right);
    EXPECT_EQ(cursorRecord(view().logic()), 1u);
    EffectBar& bar = child.effectBar();
    bar.effectList()->setCurrentIndex(int(effectBarEntry(effect::kVolume) - kEffectBarEntries.data()));
    bar.valueField()->setValue(90);
    const std::size_t found = doc().findEffect(1, effect::kVolume);
    ASSERT_NE(found, kNoRecord);
    EXPECT_EQ(doc().record(found).value16(), 90);
    EXPECT_TRUE(frame().action(cmd::kEditUndo)->isEnabled());
    frame().runCommand(cmd::kOneLineDisplay);
    EXPECT_EQ(child.displayMode(), 0);
}

TEST_F(MainFrameTest, TheHumToScoreWindowTakesThePalettesAndTransfersIntoItsSong) {
    startWithRecords("tune.PLM", notes(3, {60}));
    auto* vokatoBar = frame().findChild<QToolBar*>("vokatoToolBar");
    ASSERT_NE(vokatoBar, nullptr);
    EXPECT_TRUE(vokatoBar->isHidden());
    EXPECT_FALSE(frame().action(cmd::kVokatoRecord)->isEnabled());
    frame().runCommand(cmd::kVokato);
    ASSERT_TRUE(frame().vokato().isOpen());
    EXPECT_FALSE(vokatoBar->isHidden());
    EXPECT_TRUE(frame().action(cmd::kVokatoRecord)->isEnabled());
    EXPECT_FALSE(frame().action(cmd::kVokatoTransfer)->isEnabled());
    // Insert in the window switches the insert mode the song windows share
    const bool inserting = frame().insertMode();
    QTest::keyClick(frame().vokato().window(), Qt::Key_Insert);
    EXPECT_NE(frame().insertMode(), inserting);
    EXPECT_EQ(frame().vokato().window()->insertMode(), frame().insertMode());
    QTest::keyClick(frame().vokato().window(), Qt::Key_Insert);
    // the window's list, not the song, takes a chord
    frame().postRequest(entry::EnterChord{{{64, 0}, {60, 0}, {kEndOfList, 0}}});
    ASSERT_EQ(frame().vokato().window()->notes().groupCount(), 1u);
    EXPECT_EQ(doc().recordCount(), 1u);
    EXPECT_TRUE(frame().action(cmd::kVokatoTransfer)->isEnabled());
    m_box->script({Answer::No});
    frame().runCommand(cmd::kVokato);
    EXPECT_EQ(m_box->shown().back(), "採譜データが失われまが、よろしいですか？");
    EXPECT_TRUE(frame().vokato().isOpen());
    frame().runCommand(cmd::kVokatoTransfer);
    QApplication::processEvents();
    EXPECT_EQ(doc().recordCount(), 3u);
    EXPECT_FALSE(frame().vokato().isOpen());
    EXPECT_TRUE(vokatoBar->isHidden());
}

TEST_F(MainFrameTest, TheProjectReopensItsWindowsSetsTheTitleAndExportsBesideItself) {
    startWithProject();
    EXPECT_EQ(text(frame().windowTitle()), "Plume - demo.PRJ <Plume デモ>");
    EXPECT_EQ(frame().childWindows().size(), 3u);
    EXPECT_TRUE(m_app->recentFiles().paths().empty()) << "reopened windows are not recent files";
    // i-melody: no dialog, one message at the end
    frame().runCommand(cmd::kExportMld);
    EXPECT_TRUE(fs::exists(m_dir / "demo.mld"));
    ASSERT_EQ(m_box->shown().size(), 1u);
    EXPECT_NE(m_box->shown()[0].find("を作成しました。"), std::string::npos);
    // MIDI: the options dialog, then the file is written from the event loop
    whenModal<MidiExportDialog>([](MidiExportDialog& dialog) {
        dialog.formatButtons()->button(0)->setChecked(true);
        dialog.accept();
    });
    frame().runCommand(cmd::kExportMidi);
    ASSERT_TRUE(test::waitUntil([&] { return fs::exists(m_dir / "demo.MID"); }));
    std::ifstream midi(m_dir / "demo.MID", std::ios::binary);
    char head[10] = {};
    midi.read(head, 10);
    EXPECT_EQ(std::string(head, 4), "MThd");
    EXPECT_EQ(head[9], 0);  // format 0
    EXPECT_EQ(pane(0), "");
    frame().runCommand(cmd::kProjectClose);
    QApplication::processEvents();
    EXPECT_EQ(text(frame().windowTitle()), "Plume");
    EXPECT_TRUE(frame().childWindows().empty());
    EXPECT_EQ(platform::appProfile().getString("Project", "Project File", "?"), "");
}

TEST_F(MainFrameTest, MenusAndToolBarsComeFromTheRegistryRunItsActionsAndTheSettingsOutliveTheFrame) {
    startWithSong("melody.PLM");
    EXPECT_EQ(m_app->recentFiles().paths().size(), 1u);
    const auto menus = frame().menuBar()->actions();
    ASSERT_EQ(menus.size(), kMenuCount);
    EXPECT_TRUE(menus[0]->menu()->actions().contains(frame().action(cmd::kFileSaveAs)));
    // a command without an action is shown, disabled; the prompt drops the mnemonic
    frame().updateCommands();
    EXPECT_FALSE(enabled(cmd::kVokatoUndoMarks));
    EXPECT_EQ(text(frame().action(cmd::kKeyChange)->statusTip()), "調号");
    // a menu item runs its action and its check follows
    frame().action(cmd::kViewStatusBar)->trigger();
    EXPECT_TRUE(frame().statusBar()->isHidden());
    EXPECT_FALSE(frame().action(cmd::kViewStatusBar)->isChecked());
    ASSERT_NE(view().logic().lines().line(0).staffKind, StaffKind::Grand);
    frame().runCommand(cmd::kGrandStaff);
    for (const ScoreLine& line : view().logic().lines().lines()) EXPECT_EQ(line.staffKind, StaffKind::Grand);
    frame().runCommand(cmd::kGrandStaff);
    EXPECT_EQ(view().logic().lines().line(0).staffKind, StaffKind::Treble);
    // the settings and the recent file list are kept when the frame closes
    frame().runCommand(cmd::kLevelMeter);
    EXPECT_TRUE(frame().close());
    m_box.reset();
    m_app.reset();
    EXPECT_EQ(platform::plmProfile().getInt("MIDI Config", "ShowLevel", 9), 0);
    EXPECT_EQ(platform::plmProfile().getInt("MIDI Config", "Interrupt", 9), 1);
    EXPECT_EQ(fs::path(platform::appProfile().getString("Recent File List", "File1", "")).filename(), "melody.PLM");
}

TEST_F(FrameTest, AMidiFileDroppedOrOpenedBecomesItsSongOrItsProject) {
    start({});
    ASSERT_TRUE(frame().childWindows().empty());
    const auto file = smfFile(0, 480, {notesTrack(0, {{0, 400, 64}, {480, 900, 67}})});
    m_dir.write("dropped.mid", file);
    m_dir.write("notes.txt", file);
    // dragged onto the empty work area, as from a file manager
    QWidget* target = frame().mdiArea()->viewport();
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
    EXPECT_FALSE(drag(m_dir / "notes.txt"));
    EXPECT_TRUE(frame().childWindows().empty());
    EXPECT_TRUE(drag(m_dir / "dropped.mid"));
    ASSERT_EQ(frame().childWindows().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "dropped.PLM"));
    std::vector<int> keys;
    for (const SongRecord& r : doc().records())
        if (r.isScore() && r.isNote()) keys.push_back(r.key());
    EXPECT_EQ(keys, (std::vector<int>{64, 67}));

    // a two-channel file's project becomes the current one with both songs open
    const fs::path two = m_dir.write("two.MID", smfFile(1, 96, {notesTrack(0, {{0, 90, 60}}), notesTrack(1, {{0, 90, 48}})}));
    ASSERT_TRUE(openSongOrMidi(frame(), two));
    QApplication::processEvents();
    EXPECT_EQ(frame().windowTitle().toStdString(), "Plume - two.PRJ <two>");
    EXPECT_EQ(frame().childWindows().size(), 2u);
}

}  // namespace
}  // namespace plume
