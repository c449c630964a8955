// Entry typed into a song window offscreen: the editing keys, the keys and letters the view passes
// to the main frame, the numeric input bar and the lyric bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "app/main_frame.h"
#include "app/numeric_input_widget.h"
#include "app/plm_app.h"
#include "app/plm_child_wnd.h"
#include "app/text_entry_widget.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/plm_view_widget.h"
#include "song/plm_doc.h"
#include "support/qt_test_app.h"
#include "support/song_builder.h"

namespace plume {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr int kPaneInsert = 1, kPaneLine = 4;

class EntryKeysTest : public ::testing::Test {
protected:
    EntryKeysTest() {
        qtApp();
        fs::create_directories(m_dir);
        platform::appProfile().removeSection("Project");
        platform::appProfile().removeSection("Recent File List");
        platform::plmProfile().removeSection("PC KeyBoard");
        // four quarters C D E F
        std::vector<SongRecord> song;
        for (int key : {60, 62, 64, 65}) addGroup(song, {note(3, std::uint8_t(key))});
        writeSong(m_dir / "four.PLM", songOf(song));
        m_app = std::make_unique<CPlmApp>();
        m_box = std::make_unique<platform::ScriptedMessageBox>();  // after the application's own
        StartupOptions options;
        options.song = m_dir / "four.PLM";
        m_app->startUp(options, false);
        frame().resize(1100, 800);
        frame().activeChild()->showMaximized();
        QApplication::processEvents();
    }
    ~EntryKeysTest() override {
        doc().clearModified();
        m_box.reset();
        m_app.reset();
        fs::remove_all(m_dir);
    }

    CMainFrame& frame() { return m_app->frame(); }
    CPlmView& view() { return *frame().activeView(); }
    CPlmDoc& doc() { return frame().activeChild()->document(); }
    ScorePosition cursor() { return view().logic().cursor(); }
    std::string pane(int i) { return frame().paneText(i).toStdString(); }
    std::vector<int> groupTypes() {
        std::vector<int> types;
        for (std::size_t g = 0; g < doc().recordCount(); g = doc().nextGroup(g))
            types.push_back(doc().record(g).type());
        return types;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(&view(), k, modifiers); }

    fs::path m_dir = fs::temp_directory_path() / ("plume-entry-keys-" + std::to_string(::getpid()));
    std::unique_ptr<CPlmApp> m_app;
    std::unique_ptr<platform::ScriptedMessageBox> m_box;
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
    key(Qt::Key_Space);
    EXPECT_EQ(groupTypes(), (std::vector<int>{type::kSpacer, 3, 3, 3}));
    EXPECT_EQ(cursor(), (ScorePosition{0, 1}));
    // editing keys do nothing while something plays
    frame().setPlaying(true);
    key(Qt::Key_Tab);
    EXPECT_EQ(doc().recordCount(), 4u);
    frame().setPlaying(false);
}

TEST_F(EntryKeysTest, DigitsChooseTheLengthAndShiftedDigitsEnterRests) {
    // "4" on the first quarter makes it an eighth and moves on
    key(Qt::Key_4);
    EXPECT_EQ(doc().record(0).type(), 4);
    EXPECT_EQ(cursor(), (ScorePosition{0, 1}));
    // Shift+"3" enters a quarter rest before D
    key(Qt::Key_3, Qt::ShiftModifier);
    EXPECT_EQ(doc().record(1).type(), 9);
    EXPECT_EQ(cursor(), (ScorePosition{0, 2}));
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
