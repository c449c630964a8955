// The palettes offscreen (note, chord, keyboard, enlarged edit, effect, gate-time, velocity), the edit-key
// bar and the wheel's entry tool: shown by their commands, clicked like a user clicks them, and what they write.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "app/qt/chord_palette_window.h"
#include "app/qt/edit_key_toolbar.h"
#include "app/qt/edit_palette_window.h"
#include "app/qt/effect_palette_window.h"
#include "app/qt/entry_tool_control.h"
#include "app/qt/keyboard_palette_window.h"
#include "app/qt/note_palette_window.h"
#include "app/qt/value_palette_windows.h"
#include "play/instrument_tables.h"
#include "support/frame_test.h"

namespace plume {
namespace {

using namespace test;

// The chord palette's root buttons run C D E F G A B; quality 9 is "m7".
constexpr int kRootD = chord_button::kRootC + 1, kRootA = chord_button::kRootC + 5;
constexpr int kMinorSeventh = 9;

class PaletteGuiTest : public FrameTest {
protected:
    PaletteGuiTest() {
        platform::plmProfile().removeSection("Piano Pal");
        // C4 C4 | C4 D4, all quarters
        startWithRecords("palettes.PLM", test::groups({note(3, 60), note(3, 60), barLine(), note(3, 60), note(3, 62)}));
        for (int command : {cmd::kNotePalette, cmd::kChordPalette, cmd::kKeyboardPalette}) frame().runCommand(command);
        QApplication::processEvents();
    }
    ~PaletteGuiTest() override { doc().clearModified(); }

    NoteChoice& choice() { return frame().entryState().choice; }
    NotePaletteWindow& notes() { return palette<NotePaletteWindow>(cmd::kNotePalette); }
    ChordPaletteWindow& chords() { return palette<ChordPaletteWindow>(cmd::kChordPalette); }
    KeyboardPaletteWindow& keyboard() { return palette<KeyboardPaletteWindow>(cmd::kKeyboardPalette); }

    void clickNote(int id) { QTest::mouseClick(notes().button(id), Qt::LeftButton); }
    void clickChord(int id) { QTest::mouseClick(chords().button(id), Qt::LeftButton); }
    void clickKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const KeyRect r = keyboard().keyboard().keyRect(key);
        QTest::mouseClick(&keyboard(), Qt::LeftButton, modifiers, QPoint(r.x + r.width / 2, r.y + r.height - 4));
    }
    void clickSendBand() { QTest::mouseClick(&keyboard(), Qt::LeftButton, {}, QPoint(60, kKeyboardDragBarHeight + 8)); }
    void toEnd() { QTest::keyClick(&view(), Qt::Key_End); }
    std::vector<std::size_t> groups() {
        std::vector<std::size_t> starts;
        for (std::size_t g = 0; g < doc().recordCount(); g = doc().nextGroup(g)) starts.push_back(g);
        return starts;
    }
    SongRecord lastGroup() { return doc().record(groups().back()); }
    std::vector<int> keysOf(std::size_t group) { return test::keysOf(doc().records(), group); }
};

TEST_F(PaletteGuiTest, ShowCommandsShowThePalettesClosingOneClearsItsCheckAndTheKeyboardSizeIsRemembered) {
    // the large size command resizes the keyboard and is kept in the profile
    const int small = keyboard().width();
    frame().runCommand(cmd::kKeyboardPaletteLarge);
    EXPECT_TRUE(frame().action(cmd::kKeyboardPaletteLarge)->isChecked());
    EXPECT_GT(keyboard().width(), small);
    EXPECT_EQ(platform::plmProfile().getInt("Piano Pal", "size", 0), 1);
    frame().runCommand(cmd::kKeyboardPaletteLarge);
    EXPECT_EQ(keyboard().width(), small);
    // shown by their commands in the fixture: closing one clears its check, its command shows it again
    notes().close();
    EXPECT_FALSE(notes().isVisible());
    EXPECT_FALSE(frame().action(cmd::kNotePalette)->isChecked());
    // the keyboard palette has no title bar: its close box sits in the drag bar
    QTest::mouseClick(&keyboard(), Qt::LeftButton, {}, keyboard().closeBox().center());
    EXPECT_FALSE(keyboard().isVisible());
    EXPECT_FALSE(frame().action(cmd::kKeyboardPalette)->isChecked());
}

TEST_F(PaletteGuiTest, NoteButtonsChangeLengthsEnterRestsAndToggleDots) {
    // the first quarter becomes an eighth; the cursor moves on to the next quarter, which the palette follows
    clickNote(note_button::kEighthNote);
    EXPECT_EQ(doc().record(0).type(), 4);
    EXPECT_EQ(view().logic().cursor(), (ScorePosition{0, 1}));
    EXPECT_TRUE(notes().button(note_button::kQuarterNote)->isChecked());
    // the dot dots the note at the cursor; clicked again it takes the dot away
    clickNote(note_button::kDot);
    EXPECT_EQ(doc().record(1).dots(), mark::kDotted);
    clickNote(note_button::kDot);
    EXPECT_EQ(doc().record(1).dots(), 0);
}

TEST_F(PaletteGuiTest, TheTieButtonTiesTheCursorNoteToTheNextOfItsKey) {
    clickNote(note_button::kTie);
    EXPECT_EQ(doc().record(0).tie(), mark::kTieBegin);
    EXPECT_EQ(doc().record(1).tie(), mark::kTieEnd);
    // the last C has no C after it: nothing changes, no snapshot
    const std::size_t snapshots = view().logic().undoRing().size();
    view().logic().setCursor({0, 3});
    clickNote(note_button::kTie);
    EXPECT_EQ(doc().record(3).tie(), 0);
    EXPECT_EQ(view().logic().undoRing().size(), snapshots);
}

TEST_F(PaletteGuiTest, TheChordPaletteEntersTheSpelledChord) {
    toEnd();
    clickChord(kRootD);
    clickChord(chordQualityButton(kMinorSeventh));
    EXPECT_TRUE(chords().chordLabel()->text().contains(QStringLiteral("Dm7")));
    clickChord(chord_button::kEnter);
    EXPECT_EQ(keysOf(groups().back()), (std::vector<int>{72, 69, 65, 62}));
}

TEST_F(PaletteGuiTest, TheKeyboardCollectsKeysAndTheBandSendsThemAsOneGroup) {
    toEnd();
    clickNote(note_button::kEighthNote);
    for (int key : {60, 64, 67, 64, 63}) clickKey(key);  // a second click takes 64 back
    const std::size_t before = doc().recordCount();
    clickSendBand();
    ASSERT_EQ(doc().recordCount(), before + 3);
    EXPECT_EQ(keysOf(groups().back()), (std::vector<int>{67, 63, 60}));
    EXPECT_EQ(lastGroup().type(), 4) << "the current length";
    // the drag bar moves the window
    const QPoint start = keyboard().pos();
    pressMouse(&keyboard(), {100, 10});
    moveMouse(&keyboard(), {130, 30});
    releaseMouse(&keyboard(), {130, 30});
    EXPECT_EQ(keyboard().pos(), start + QPoint(30, 20));
}

TEST_F(PaletteGuiTest, WhilePlayingTheEntryButtonsDoNothingAndTheKeyboardKeepsItsGroup) {
    toEnd();
    const std::size_t count = doc().recordCount();
    frame().setPlaying(true);
    clickNote(note_button::kDot);
    EXPECT_EQ(choice().dot, 0);
    clickChord(chord_button::kEnter);
    clickKey(60);
    clickSendBand();
    EXPECT_EQ(doc().recordCount(), count);
    EXPECT_EQ(keyboard().keyboard().collection().size(), 1u) << "the group waits for the end of playing";
    frame().setPlaying(false);
    clickSendBand();
    EXPECT_EQ(doc().recordCount(), count + 1);
}

TEST_F(PaletteGuiTest, WithTheMonitorOnEnteredNotesAreSounded) {
    std::vector<std::vector<int>> sounded;
    frame().setNoteSounder([&sounded](const std::vector<SongRecord>& notes) {
        std::vector<int> keys;
        for (const SongRecord& r : notes) keys.push_back(r.key());
        sounded.push_back(keys);
    });
    toEnd();
    clickChord(chord_button::kEnter);
    EXPECT_TRUE(sounded.empty());
    clickNote(note_button::kMonitor);
    clickChord(chord_button::kEnter);
    clickNote(note_button::kHalfRest);  // a half rest is no note
    clickKey(62);
    clickSendBand();
    EXPECT_EQ(sounded, (std::vector<std::vector<int>>{{67, 64, 60}, {62}}));
    // a chord over a range sounds the range's first group as it was rewritten
    view().logic().setCursor({0, 0});
    QTest::keyClick(&view(), Qt::Key_Right, Qt::ShiftModifier);
    clickChord(kRootA);
    clickChord(chord_button::kEnter);
    EXPECT_EQ(sounded.back(), (std::vector<int>{76, 73, 69}));
}


class ValuePaletteGuiTest : public FrameTest {
protected:
    ValuePaletteGuiTest() {
        // a chord sharing delay and velocity but not the gate; a note with a program change; a bar line; a note
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

TEST_F(ValuePaletteGuiTest, VelocityWindowStepsFromTheTypedValueAndGateWindowChangesDelaysAndRefusesTooLongNotes) {
    auto& velocity = shown<ValuePaletteWindow>(cmd::kVelocityPalette);
    EXPECT_EQ(velocity.field(0)->text(), QStringLiteral("90"));
    // the spin button steps from the value typed
    type(velocity.field(0), "100");
    velocity.field(0)->stepBy(2);
    QTest::mouseClick(velocity.okButton(), Qt::LeftButton);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(doc().record(i).velocity(), 102);

    auto& gate = shown<ValuePaletteWindow>(cmd::kGatePalette);
    // a typed delay reaches every note of the chord, each keeps its gate
    type(gate.field(0), "10");
    QTest::mouseClick(gate.okButton(), Qt::LeftButton);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ((std::pair<int, int>(doc().record(i).delay(), doc().record(i).gate())), std::pair(10, 60 + 10 * int(i)));
}

TEST_F(ValuePaletteGuiTest, EffectPaletteFollowsTheCaret) {
    auto& effects = shown<EffectPaletteWindow>(cmd::kEffectPalette);
    key(Qt::Key_Right);
    EXPECT_EQ(effects.instrumentText().toStdString(), std::string(toneName(0, 0, 40)));
    EXPECT_EQ(effects.noteTexts(), (QStringList{QStringLiteral(" 62-D")}));
}

TEST_F(ValuePaletteGuiTest, EnlargedEditPaletteTakesKeysTypedNotesAndGroupsAndHoldsThemUntilEntered) {
    auto& palette = shown<EditPaletteWindow>(cmd::kEditPalette);
    const auto before = records();
    // Shift+"3" in the view: the quarter rest becomes the palette's group
    QTest::keyClick(&view(), Qt::Key_3, Qt::ShiftModifier);
    ASSERT_EQ(palette.group().group().size(), 1u);
    EXPECT_EQ(palette.group().group()[0].type(), 9);
    const QPoint enter = EditPaletteWindow::clientToWidget({kEditPaletteButtonRight - 6, kEditPaletteEnterTop + 6});
    // a chord goes into the palette, not the song
    frame().postRequest(entry::EnterChord{{{62, 0}, {66, 17}, {69, 0}}});
    EXPECT_EQ(records(), before);
    ASSERT_EQ(palette.group().group().size(), 3u);
    // a note clicked onto the staff, the lowest one right-clicked away, the wheel raises the added one
    const auto at = [&](int key) { return EditPaletteWindow::clientToWidget({30, palette.keyY(key)}); };
    QTest::mouseClick(&palette, Qt::LeftButton, {}, at(74));
    QTest::mouseClick(&palette, Qt::RightButton, {}, at(62));
    turnWheel(&palette, at(74), 120);
    EXPECT_EQ(test::keysOf(palette.group().group(), 0), (std::vector<int>{75, 69, 66}));
    // "enter" puts the group into the song at the cursor and disables itself
    QTest::mouseClick(&palette, Qt::LeftButton, {}, enter);
    ASSERT_EQ(doc().recordCount(), before.size() + 3);
    EXPECT_EQ(test::keysOf(doc().records(), 0), (std::vector<int>{75, 69, 66}));
    // its close button hides it and clears the check mark; the view takes the requests again
    QTest::mouseClick(&palette, Qt::LeftButton, {},
                      EditPaletteWindow::clientToWidget({kEditPaletteButtonRight - 6, kEditPaletteCloseTop + 6}));
    EXPECT_FALSE(palette.isVisible());
    EXPECT_FALSE(frame().action(cmd::kEditPalette)->isChecked());
    frame().postRequest(entry::EnterChord{{{72, 0}}});
    EXPECT_EQ(doc().recordCount(), before.size() + 4);
}

TEST_F(ValuePaletteGuiTest, EditKeyBarShowsOnARightClickAndHidesAfterUse) {
    key(Qt::Key_Right);
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(200, 60));
    EditKeyToolBar* bar = frame().editKeyBar();
    ASSERT_TRUE(bar->isVisible());
    // "改行" splits the line after the chord, and the bar hides
    bar->button(edit_key_button::kLineBreak)->click();
    EXPECT_EQ(doc().record(3).type(), type::kLineBreak);
    EXPECT_FALSE(bar->isVisible());
    // with the enlarged edit palette taking the palettes' requests the keys still edit the score
    shown<EditPaletteWindow>(cmd::kEditPalette);
    QTest::mouseClick(view().viewport(), Qt::RightButton, {}, QPoint(200, 60));
    bar->button(edit_key_button::kBarLine)->click();
    EXPECT_EQ(doc().record(4).type(), type::kBarLine);
    EXPECT_EQ(view().logic().cursor(), (ScorePosition{1, 1}));
}

TEST_F(ValuePaletteGuiTest, WheelStepsTheEntryToolWhileItsWindowIsOpen) {
    const QPoint inside(200, 60);
    // with the new mouse input off the wheel moves the cursor
    key(Qt::Key_End);
    key(Qt::Key_Return);
    turnWheel(view().viewport(), inside, 120);
    EXPECT_EQ(view().logic().cursor().line, 0);
    const EntryToolWheel& wheel = frame().entryTools().wheel();
    EXPECT_FALSE(wheel.isOpen());

    frame().runCommand(cmd::kNewMouseInput);
    frame().entryState().choice.lengthIndex = 6;
    // the first notch only opens the window; the next ones step the tool towards the user
    turnWheel(view().viewport(), inside, -120);
    EXPECT_TRUE(wheel.isOpen());
    turnWheel(view().viewport(), inside, -120);
    EXPECT_EQ(wheel.tool(), EntryToolWheel::kStartTool + 1);
    EXPECT_EQ(frame().statusBar()->currentMessage(),
              QString::number(wheel.tool()) + QStringLiteral(": ") + EntryToolControl::toolName(wheel.tool()));
    EXPECT_EQ(view().logic().cursor().line, 0);
}

}  // namespace
}  // namespace plume
