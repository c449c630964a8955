// The enlarged edit, effect, gate-time and velocity palettes, the edit-key bar and the wheel's entry
// tool, driven offscreen through a song window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "app/qt/edit_key_toolbar.h"
#include "app/qt/edit_palette_window.h"
#include "app/qt/effect_palette_window.h"
#include "app/qt/entry_tool_control.h"
#include "app/qt/numeric_input_widget.h"
#include "app/qt/value_palette_windows.h"
#include "play/instrument_tables.h"
#include "support/frame_test.h"

namespace plume {
namespace {

using namespace test;

class ValuePaletteGuiTest : public FrameTest {
protected:
    ValuePaletteGuiTest() {
        // A chord whose notes share delay and velocity but not the gate; a note with a program
        // change; a bar line; a last note.
        std::vector<SongRecord> song;
        addGroup(song, {withValues(note(3, 67), 90, 0, 60), withValues(note(3, 64), 90, 0, 70),
                        withValues(note(3, 60), 90, 0, 80)});
        addGroup(song, {withValues(note(3, 62), 90, 0, 64), programChange(0, 0, 40)});
        addGroup(song, {scoreMark(type::kBarLine)});
        addGroup(song, {withValues(note(3, 65), 90, 0, 64)});
        startWithRecords("values.PLM", std::move(song));
    }
    ~ValuePaletteGuiTest() override { doc().clearModified(); }

    std::vector<SongRecord> records() { return {doc().records().begin(), doc().records().end()}; }
    void key(Qt::Key k) { QTest::keyClick(&view(), k); }
    template <class Window>
    Window& shown(int command) {
        frame().runCommand(command);
        EXPECT_TRUE(frame().palette(command)->isVisible());
        EXPECT_TRUE(frame().action(command)->isChecked());
        return palette<Window>(command);
    }
    static void type(ValueSpinField* field, const char* text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, QString::fromUtf8(text));
    }
};

TEST_F(ValuePaletteGuiTest, GateWindowChangesDelaysAndRefusesTooLongNotes) {
    auto& gate = shown<ValuePaletteWindow>(cmd::kGatePalette);
    // GIVEN the cursor on the chord: its notes listed last record first, the gates differ
    ASSERT_EQ(gate.noteList()->count(), 3);
    EXPECT_EQ(gate.noteList()->item(0)->text(), QStringLiteral(" 60-C"));
    // WHEN only a delay is typed and "OK" pressed
    type(gate.field(0), "10");
    QTest::mouseClick(gate.okButton(), Qt::LeftButton);
    // THEN every note takes the delay and keeps its own gate
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc().record(std::size_t(i)).delay(), 10);
        EXPECT_EQ(doc().record(std::size_t(i)).gate(), 60 + 10 * i);
    }
    EXPECT_TRUE(m_box->shown().empty());
    // WHEN delay 60 and gate 50 are typed THEN the message shows and nothing changes
    const auto before = records();
    type(gate.field(0), "60");
    type(gate.field(1), "50");
    QTest::mouseClick(gate.okButton(), Qt::LeftButton);
    EXPECT_EQ(m_box->shown(), (std::vector<std::string>{kDelayGateSumMessage}));
    EXPECT_EQ(records(), before);
    // At the bar line the window has nothing to set
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_FALSE(gate.okButton()->isEnabled());
}

TEST_F(ValuePaletteGuiTest, VelocityWindowStepsFromTheTypedValueAndSetsTheChord) {
    auto& velocity = shown<ValuePaletteWindow>(cmd::kVelocityPalette);
    EXPECT_EQ(velocity.field(0)->text(), QStringLiteral("90"));
    // The spin button steps from the value typed
    type(velocity.field(0), "100");
    velocity.field(0)->stepBy(2);
    QTest::mouseClick(velocity.okButton(), Qt::LeftButton);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(doc().record(i).velocity(), 102);
    EXPECT_EQ(doc().record(3).velocity(), 90);
}

TEST_F(ValuePaletteGuiTest, EffectPaletteFollowsTheCaret) {
    auto& effects = shown<EffectPaletteWindow>(cmd::kEffectPalette);
    EXPECT_EQ(effects.noteTexts(), (QStringList{QStringLiteral(" 60-C"), QStringLiteral(" 64-E"), QStringLiteral(" 67-G")}));
    key(Qt::Key_Right);
    EXPECT_EQ(effects.instrumentText().toStdString(), std::string(toneName(0, 0, 40)));
    EXPECT_EQ(effects.noteTexts(), (QStringList{QStringLiteral(" 62-D")}));
    key(Qt::Key_End);
    EXPECT_EQ(effects.instrumentText(), QStringLiteral("データ終端"));
    EXPECT_TRUE(effects.noteTexts().isEmpty());
}

TEST_F(ValuePaletteGuiTest, EnlargedEditPaletteHoldsTheGroupUntilEntered) {
    auto& palette = shown<EditPaletteWindow>(cmd::kEditPalette);
    const auto before = records();
    const QPoint enter = EditPaletteWindow::clientToWidget({kEditPaletteButtonRight - 6, kEditPaletteEnterTop + 6});
    // A disabled enter button enters nothing
    QTest::mouseClick(&palette, Qt::LeftButton, {}, enter);
    EXPECT_EQ(records(), before);
    // A whole group (keyboard palette, numeric input) becomes the palette's group as well
    frame().postRequest(entry::EnterGroup{group({rest(9)})});
    EXPECT_EQ(records(), before);
    ASSERT_EQ(palette.group().group().size(), 1u);
    EXPECT_EQ(palette.group().group()[0].type(), 9);
    // GIVEN a chord from the chord palette: it goes into the palette, not the song
    frame().postRequest(entry::EnterChord{{{62, 0}, {66, 17}, {69, 0}}});
    EXPECT_EQ(records(), before);
    ASSERT_EQ(palette.group().group().size(), 3u);
    EXPECT_TRUE(palette.group().isEnterEnabled());
    // WHEN a note is clicked onto the staff and the lowest one right-clicked away
    const auto at = [&](int key) { return EditPaletteWindow::clientToWidget({30, palette.keyY(key)}); };
    QTest::mouseClick(&palette, Qt::LeftButton, {}, at(74));
    QTest::mouseClick(&palette, Qt::RightButton, {}, at(62));
    // and the wheel raises the selected (added) note a semitone
    turnWheel(&palette, at(74), 120);
    std::vector<int> keys;
    for (const SongRecord& r : palette.group().group()) keys.push_back(r.key());
    EXPECT_EQ(keys, (std::vector<int>{75, 69, 66}));
    // THEN "enter" puts the group into the song at the cursor and disables itself
    QTest::mouseClick(&palette, Qt::LeftButton, {}, enter);
    ASSERT_EQ(doc().recordCount(), before.size() + 3);
    EXPECT_EQ(doc().record(0).groupSize(), 3);
    EXPECT_EQ(doc().record(0).key(), 75);
    EXPECT_EQ(doc().record(2).key(), 66);
    EXPECT_EQ(doc().record(2).accidental(), 17);
    EXPECT_FALSE(palette.group().isEnterEnabled());
    // Its close button hides it and clears the check mark; the view takes the messages again
    QTest::mouseClick(&palette, Qt::LeftButton, {},
                      EditPaletteWindow::clientToWidget({kEditPaletteButtonRight - 6, kEditPaletteCloseTop + 6}));
    EXPECT_FALSE(palette.isVisible());
    EXPECT_FALSE(frame().action(cmd::kEditPalette)->isChecked());
    frame().postRequest(entry::EnterChord{{{72, 0}}});
    EXPECT_EQ(doc().recordCount(), before.size() + 4);
}

TEST_F(ValuePaletteGuiTest, KeysAndTypedNotesGoToTheEnlargedEditPaletteWhileItIsShown) {
    // GIVEN the enlarged edit palette shown
    auto& palette = shown<EditPaletteWindow>(cmd::kEditPalette);
    const auto before = records();
    // WHEN Shift+"3" is typed in the view THEN the quarter rest becomes the palette's group
    QTest::keyClick(&view(), Qt::Key_3, Qt::ShiftModifier);
    ASSERT_EQ(palette.group().group().size(), 1u);
    EXPECT_EQ(palette.group().group()[0].type(), 9);
    // WHEN a note is typed into the numeric input bar THEN it replaces the rest there
    NumericInputWidget& bar = *frame().numericInputBar();
    bar.openWith(QStringLiteral("c"));
    QTest::keyClick(bar.notesField(), Qt::Key_Return);
    ASSERT_EQ(palette.group().group().size(), 1u);
    EXPECT_TRUE(palette.group().group()[0].isNote());
    // and "2" makes that note a half note
    QTest::keyClick(&view(), Qt::Key_2);
    EXPECT_EQ(palette.group().group()[0].type(), 2);
    // and the song is as it was
    EXPECT_EQ(records(), before);
}

TEST_F(ValuePaletteGuiTest, EditKeyBarShowsOnARightClickAndHidesAfterUse) {
    key(Qt::Key_Right);
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(200, 60));
    EditKeyToolBar* bar = frame().editKeyBar();
    ASSERT_TRUE(bar->isVisible());
    // "改行" splits the line after the chord, and the bar hides
    bar->button(edit_key_button::kLineBreak)->click();
    EXPECT_EQ(view().logic().lines().lineCount(), 2);
    EXPECT_EQ(doc().record(3).type(), type::kLineBreak);
    EXPECT_FALSE(bar->isVisible());
    // "挿入／上書き" flips the frame's switch and its status pane
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(200, 60));
    bar->button(edit_key_button::kInsert)->click();
    EXPECT_FALSE(frame().insertMode());
    EXPECT_EQ(frame().paneText(1), QStringLiteral("上書"));
    // With the enlarged edit palette taking the palettes' messages the keys still edit the score
    frame().runCommand(cmd::kInsertSwitch);
    shown<EditPaletteWindow>(cmd::kEditPalette);
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(200, 60));
    bar->button(edit_key_button::kBarLine)->click();
    EXPECT_EQ(doc().record(4).type(), type::kBarLine);
    EXPECT_EQ(view().logic().cursor(), (ScorePosition{1, 1}));
}

TEST_F(ValuePaletteGuiTest, WheelStepsTheEntryToolWhileItsWindowIsOpen) {
    const QPoint inside(200, 60);
    // With the new mouse input off the wheel moves the cursor as before
    key(Qt::Key_End);
    key(Qt::Key_Return);
    turnWheel(view().viewport(), inside, 120);
    EXPECT_EQ(view().logic().cursor().line, 0);
    const EntryToolWheel& wheel = frame().entryTools().wheel();
    EXPECT_FALSE(wheel.isOpen());

    frame().runCommand(cmd::kNewMouseInput);
    frame().entryState().choice.lengthIndex = 6;
    // The first notch only opens the window; the next ones step the tool towards the user
    turnWheel(view().viewport(), inside, -120);
    EXPECT_TRUE(wheel.isOpen());
    EXPECT_EQ(wheel.tool(), EntryToolWheel::kStartTool);
    turnWheel(view().viewport(), inside, -120);
    EXPECT_EQ(wheel.tool(), EntryToolWheel::kStartTool + 1);
    EXPECT_EQ(frame().statusBar()->currentMessage(),
              QString::number(wheel.tool()) + QStringLiteral(": ") + EntryToolControl::toolName(wheel.tool()));
    EXPECT_EQ(view().logic().cursor().line, 0);
    // After two quiet seconds the window closes and the status bar message goes
    EXPECT_TRUE(waitUntil([&] { return !wheel.isOpen(); }, 4000));
    EXPECT_TRUE(frame().statusBar()->currentMessage().isEmpty());
}

}  // namespace
}  // namespace plume
