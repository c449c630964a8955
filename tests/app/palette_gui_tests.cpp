// The note, chord and keyboard palettes offscreen: shown by their commands, clicked like a user
// clicks them, and what they write into the song.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include "app/qt/chord_palette_window.h"
#include "app/qt/keyboard_palette_window.h"
#include "app/qt/note_palette_window.h"
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
        std::vector<SongRecord> song;
        addGroup(song, {note(3, 60)});
        addGroup(song, {note(3, 60)});
        addGroup(song, {scoreMark(type::kBarLine)});
        addGroup(song, {note(3, 60)});
        addGroup(song, {note(3, 62)});
        startWithRecords("palettes.PLM", std::move(song));
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

TEST_F(PaletteGuiTest, ShowCommandsShowThePalettesAndClosingOneClearsItsCheck) {
    for (int command : {cmd::kNotePalette, cmd::kChordPalette, cmd::kKeyboardPalette}) {
        EXPECT_TRUE(frame().palette(command)->isVisible()) << command;
        EXPECT_TRUE(frame().action(command)->isChecked()) << command;
    }
    // closing from the window frame
    notes().close();
    EXPECT_FALSE(notes().isVisible());
    EXPECT_FALSE(frame().action(cmd::kNotePalette)->isChecked());
    // the keyboard palette has no title bar: its close box sits in the drag bar
    QTest::mouseClick(&keyboard(), Qt::LeftButton, {}, keyboard().closeBox().center());
    EXPECT_FALSE(keyboard().isVisible());
    EXPECT_FALSE(frame().action(cmd::kKeyboardPalette)->isChecked());
    // and the command shows it again
    frame().runCommand(cmd::kNotePalette);
    EXPECT_TRUE(notes().isVisible());
    EXPECT_TRUE(frame().action(cmd::kNotePalette)->isChecked());
}

TEST_F(PaletteGuiTest, NoteButtonsChangeLengthsEnterRestsAndToggleDots) {
    // GIVEN the cursor on the first quarter WHEN the eighth-note button is clicked
    clickNote(note_button::kEighthNote);
    // THEN the note becomes an eighth and the cursor moves on to the next quarter, which the palette follows
    EXPECT_EQ(doc().record(0).type(), 4);
    EXPECT_EQ(view().logic().cursor(), (ScorePosition{0, 1}));
    EXPECT_EQ(choice().lengthIndex, 2);
    EXPECT_TRUE(notes().button(note_button::kQuarterNote)->isChecked());
    EXPECT_FALSE(notes().button(note_button::kEighthNote)->isChecked());

    // the dot dots the note at the cursor; clicked again it takes the dot away
    clickNote(note_button::kDot);
    EXPECT_EQ(doc().record(1).dots(), mark::kDotted);
    EXPECT_TRUE(notes().button(note_button::kDot)->isChecked());
    clickNote(note_button::kDot);
    EXPECT_EQ(doc().record(1).dots(), 0);
    EXPECT_FALSE(notes().button(note_button::kDot)->isChecked());

    // with the double dot chosen a rest button enters a double-dotted rest at the end
    toEnd();
    clickNote(note_button::kDoubleDot);
    clickNote(note_button::kHalfRest);
    EXPECT_EQ(lastGroup().type(), type::kWholeRest + 1);
    EXPECT_EQ(lastGroup().dots(), mark::kDoubleDotted);
    EXPECT_EQ(choice().lengthIndex, 2) << "a rest leaves the length alone";

    // a digit typed in the view moves the palette's check as well
    QTest::keyClick(&view(), Qt::Key_5);
    EXPECT_TRUE(notes().button(note_button::k16thNote)->isChecked());
}

TEST_F(PaletteGuiTest, TheTieButtonTiesTheCursorNoteToTheNextOfItsKey) {
    clickNote(note_button::kTie);
    EXPECT_EQ(doc().record(0).tie(), mark::kTieBegin);
    EXPECT_EQ(doc().record(1).tie(), mark::kTieEnd);
    EXPECT_EQ(view().logic().undoRing().menuText(), "元に戻す訂正");
    // the last C has no C after it: nothing changes and no snapshot is taken
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
    const std::size_t chord = groups().back();
    EXPECT_EQ(doc().record(chord).groupSize(), 4);
    EXPECT_EQ(keysOf(chord), (std::vector<int>{72, 69, 65, 62}));
    for (std::size_t i = chord; i < chord + 4; ++i) EXPECT_EQ(doc().record(i).accidental(), 0);

    // D major spells its third F sharp
    clickChord(chordQualityButton(kMinorSeventh));
    clickChord(chord_button::kEnter);
    const std::size_t major = groups().back();
    EXPECT_EQ(keysOf(major), (std::vector<int>{69, 66, 62}));
    EXPECT_EQ(doc().record(major + 1).accidental(), 17);
}

TEST_F(PaletteGuiTest, TheKeyboardCollectsKeysAndTheBandSendsThemAsOneGroup) {
    toEnd();
    clickNote(note_button::kEighthNote);
    for (int key : {60, 64, 67}) clickKey(key);
    EXPECT_EQ(keyboard().keyboard().collection().size(), 3u);
    clickKey(64);
    EXPECT_FALSE(keyboard().keyboard().isCollected(64)) << "a second click takes a key back";
    clickKey(63);
    const std::size_t before = doc().recordCount();
    clickSendBand();
    EXPECT_TRUE(keyboard().keyboard().collection().empty());
    ASSERT_EQ(doc().recordCount(), before + 3);
    EXPECT_EQ(keysOf(groups().back()), (std::vector<int>{67, 63, 60}));
    EXPECT_EQ(lastGroup().type(), 4) << "the current length";
    EXPECT_EQ(lastGroup().gate(), 75) << "the gate of the song's notes, not the default";

    // the drag bar moves the window
    const QPoint start = keyboard().pos();
    pressMouse(&keyboard(), {100, 10});
    moveMouse(&keyboard(), {130, 30});
    releaseMouse(&keyboard(), {130, 30});
    EXPECT_EQ(keyboard().pos(), start + QPoint(30, 20));
}

TEST_F(PaletteGuiTest, WhilePlayingTheEntryButtonsDoNothingButAccidentalsStillWork) {
    toEnd();
    const std::size_t count = doc().recordCount();
    frame().setPlaying(true);
    clickNote(note_button::kDot);
    EXPECT_EQ(choice().dot, 0);
    clickNote(note_button::kSharp);
    EXPECT_EQ(choice().accidental, 1);
    EXPECT_TRUE(notes().button(note_button::kSharp)->isChecked());
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
    EXPECT_TRUE(notes().button(note_button::kMonitor)->isChecked());
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

TEST_F(PaletteGuiTest, TheLargeSizeCommandResizesTheKeyboardAndIsRemembered) {
    const int small = keyboard().width();
    frame().runCommand(cmd::kKeyboardPaletteLarge);
    EXPECT_TRUE(frame().action(cmd::kKeyboardPaletteLarge)->isChecked());
    EXPECT_GT(keyboard().width(), small);
    EXPECT_EQ(keyboard().height(), KeyboardPalette(1).height());
    EXPECT_EQ(platform::plmProfile().getInt("Piano Pal", "size", 0), 1);
    frame().runCommand(cmd::kKeyboardPaletteLarge);
    EXPECT_EQ(keyboard().width(), small);
    EXPECT_EQ(platform::plmProfile().getInt("Piano Pal", "size", 1), 0);
}

}  // namespace
}  // namespace plume
