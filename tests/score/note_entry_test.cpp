// Entry at the cursor: what the song holds afterwards, where the cursor stands, which snapshot was taken;
// the numeric input bar: note names, their spelling through the key, the group entered, the area setting.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "platform/profile.h"
#include "score/note_entry.h"
#include "score/numeric_input.h"
#include "score/score_view.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
using platform::Answer;

constexpr EntrySettings kInsertQuarter{3, 0, true};
constexpr EntrySettings kOverwriteQuarter{3, 0, false};
constexpr NotePair kC{60, 0}, kE{64, 0}, kG{67, 0};

struct NoteEntry : ::testing::Test {
    std::unique_ptr<CPlmDoc> doc = CPlmDoc::create();
    std::unique_ptr<ScoreView> view;
    platform::ScriptedMessageBox box;

    void load(const std::vector<SongRecord>& song, SongInfo info = SongInfo::defaults()) {
        doc->load(songOf(song, info));
        view = std::make_unique<ScoreView>(*doc);
        view->setClientSize(800, 600);
    }
    void cursorAt(int line, int column) { view->setCursor({line, column}); }
    std::vector<int> groupTypes() const { return test::groupTypes(doc->records()); }
    std::vector<int> keysOf(std::size_t group) const { return test::keysOf(doc->records(), group); }
    // Byte `at` of every record: 2 holds the type and dots, 3 the marks.
    std::vector<int> bytesOf(std::size_t at) const {
        std::vector<int> out;
        for (const SongRecord& r : doc->records()) out.push_back(r.bytes[at]);
        return out;
    }
    // Where the cursor stands and what the undo menu offers.
    std::pair<ScorePosition, std::string> after() const { return {view->cursor(), view->undoRing().menuText()}; }
    void select(ScorePosition anchor, ScorePosition cursor) {
        view->setCursor(anchor);
        view->setCursor(cursor, true);
    }
    EntryResult enter(std::initializer_list<NotePair> pairs, EntrySettings settings = kInsertQuarter) {
        const std::vector<NotePair> list(pairs);
        return enterNotes(*doc, *view, settings, list);
    }
};

TEST_F(NoteEntry, AChordIsStoredHighestFirstAndCutAtFourNotes) {
    load({});
    ASSERT_TRUE(enter({kC, {64, 17}, kG, {kEndOfList, 0}, {72, 0}}, {4, mark::kDotted, true}).changed);
    EXPECT_EQ(keysOf(0), (std::vector<int>{67, 64, 60}));
    EXPECT_EQ(bytesOf(2), std::vector<int>(3, 4 | mark::kDotted));
    EXPECT_EQ(after(), std::pair(ScorePosition{0, 1}, std::string("元に戻す挿入")));

    enter({kC, kE, kG, {70, 0}, {74, 0}});
    EXPECT_EQ(keysOf(3), (std::vector<int>{70, 67, 64, 60}));
}

TEST_F(NoteEntry, TheTemplateIsTheNearestNoteBeforeTheCursorElseAfterItElseTheDefaultAndFillsBareNotes) {
    // GIVEN an empty song WHEN its first note is entered THEN velocity 100, gate 64, delay 0
    SongInfo info = SongInfo::defaults();
    info.setInitialProgram(5);
    load({}, info);
    enter({kC});
    EXPECT_EQ(doc->record(0).bytes, (std::array<std::uint8_t, 10>{1, 0, 3, 0, 0, 60, 100, 0, 64, 5}));
    std::vector<SongRecord> song = notes(3, {60, 62});
    song[0].setVelocity(90);
    song[1].setVelocity(50);
    song[1].setMarks(0x23);
    addGroup(song, {barLine()});
    load(song);
    EXPECT_EQ(std::tuple(noteTemplate(*doc, 3).velocity(), noteTemplate(*doc, 3).marks(), noteTemplate(*doc, 0).velocity()),
              std::tuple(50, 0, 90));

    // a complete group is entered and its bare notes take the template
    song = notes(3, {60});
    song[0].setVelocity(77);
    load(song);
    cursorAt(0, 1);
    std::vector<SongRecord> group = {note(5, 72), note(5, 67)};
    group[0].setGroupSize(2);
    group[0].setVelocity(0);  // bare: takes the template
    group[1].setVelocity(120);
    group[1].setMarks(0x43);
    enterGroup(*doc, *view, kInsertQuarter, group);
    EXPECT_EQ(std::make_tuple(doc->record(1).velocity(), doc->record(2).velocity(), doc->record(2).marks()),
              std::make_tuple(77, 120, 0));
    // a size byte beyond ten records is refused
    group[0].setGroupSize(11);
    EXPECT_FALSE(enterGroup(*doc, *view, kInsertQuarter, group).changed);
}

TEST_F(NoteEntry, OverwriteReplacesTheCursorGroupButNeverALineBreak) {
    std::vector<SongRecord> song = group({note(3, 60), effectValue(effect::kVolume, 90), textRecord(kind::kLyric, "la")});
    addGroups(song, {lineBreak(), note(3, 62)});
    load(song);

    enter({kE}, kOverwriteQuarter);
    EXPECT_EQ(keysOf(0), (std::vector<int>{64}));
    EXPECT_EQ(doc->groupEnd(0), 3u);
    EXPECT_EQ(doc->groupText(0, kind::kLyric), "la");
    EXPECT_EQ(after(), std::pair(ScorePosition{0, 1}, std::string("元に戻す訂正")));

    enter({kG}, kOverwriteQuarter);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, 3, type::kLineBreak, 3}));
    EXPECT_EQ(keysOf(3), (std::vector<int>{67}));
    EXPECT_EQ(after(), std::pair(ScorePosition{0, 2}, std::string("元に戻す挿入")));
}

TEST_F(NoteEntry, EnterSplitsALineAndBackSpaceJoinsItAgain) {
    const std::vector<SongRecord> song = notes(3, {60, 62, 64, 65, 67, 69});
    load(song);
    cursorAt(0, 3);
    EXPECT_EQ(enterMark(*doc, *view, kOverwriteQuarter, type::kLineBreak).repaint, Repaint::All);
    EXPECT_EQ(doc->record(3).type(), type::kLineBreak);
    EXPECT_EQ(backSpace(*doc, *view).repaint, Repaint::All);
    EXPECT_EQ(std::vector<SongRecord>(doc->records().begin(), doc->records().end()), song);
    EXPECT_EQ(view->undoRing().menuText(), "元に戻すＢＳ");
}

// Inserting inside a triplet breaks it and the tie across the insertion point.
TEST_F(NoteEntry, TupletsBreakOnInsertionOrUnderARestOfAnotherLength) {
    std::vector<SongRecord> song = groups({note(4, 60, mark::kTieBegin), note(4, 60, mark::kTieEnd), note(4, 64)});
    markTuplet(song, {0, 1, 2}, 3);
    load(song);
    cursorAt(0, 1);
    enter({kG});
    EXPECT_EQ(bytesOf(3), std::vector<int>(4, 0));

    // a rest over a note of the same length keeps its tuplet, any other breaks it
    song = notes(4, {60, 61, 62});
    markTuplet(song, {0, 1, 2}, 3);
    load(song);
    cursorAt(0, 1);
    // an eighth rest over the middle eighth: the triplet stays
    enterRest(*doc, *view, kOverwriteQuarter, 10);
    EXPECT_EQ(doc->record(1).bytes[2], 10);
    EXPECT_EQ(bytesOf(3), (std::vector<int>{mark::kTupletFirst | 3, mark::kTupletInner | 3, mark::kTupletLast | 3}));
    // a dotted eighth rest over the last one: the triplet goes
    enterRest(*doc, *view, kOverwriteQuarter, 10 | mark::kDotted);
    EXPECT_EQ(doc->record(2).bytes[2], 10 | mark::kDotted);
    EXPECT_EQ(bytesOf(3), std::vector<int>(3, 0));
}

// Byte 3 is cleared whole: the tie here stands for the tuplet marks as well.
TEST_F(NoteEntry, ARangeTakesTheChordsPitchesKeepsItsRhythmAndClearsTheMarks) {
    load(groups({note(4, 60, 0, mark::kDotted), rest(9), note(3, 62, mark::kTieBegin), note(3, 62, mark::kTieEnd)}));
    select({0, 3}, {0, 0});
    EXPECT_EQ(enter({kC, kE}).repaint, Repaint::All);
    EXPECT_EQ(keysOf(0), (std::vector<int>{64, 60}));
    EXPECT_EQ(doc->record(0).bytes[2], 4 | mark::kDotted);
    EXPECT_EQ(doc->record(2).type(), 9);
    EXPECT_EQ(keysOf(3), (std::vector<int>{64, 60}));
    EXPECT_EQ(doc->record(5).tie(), 0);
    EXPECT_EQ(std::pair(view->cursor(), view->undoRing().size()), std::pair(ScorePosition{0, 0}, std::size_t(1)));
}

TEST_F(NoteEntry, LengthAndDotsChangeOnlyTheirKindOfGroup) {
    std::vector<SongRecord> song = notes(4, {60, 61, 62});
    markTuplet(song, {0, 1, 2}, 3);
    addGroups(song, {rest(9), barLine()});
    load(song);
    // a note becomes a dotted half, its triplet is broken and the cursor moves on
    changeLength(*doc, *view, {2, mark::kDotted, true});
    EXPECT_EQ(doc->record(0).bytes[2], 2 | mark::kDotted);
    EXPECT_EQ(doc->record(1).marks(), 0);
    EXPECT_EQ(view->cursor(), (ScorePosition{0, 1}));
    // the rest takes the double dot, the cursor stays
    cursorAt(0, 3);
    changeDots(*doc, *view, {3, mark::kDoubleDotted, true});
    EXPECT_EQ(doc->record(3).bytes[2], 9 | mark::kDoubleDotted);
    EXPECT_EQ(view->cursor(), (ScorePosition{0, 3}));
    // a rest has no length to change, a bar line no dots: nothing happens, no snapshot
    const std::size_t snapshots = view->undoRing().size();
    EXPECT_FALSE(changeLength(*doc, *view, kInsertQuarter).changed);
    cursorAt(0, 4);
    EXPECT_FALSE(changeDots(*doc, *view, kInsertQuarter).changed);
    EXPECT_EQ(view->undoRing().size(), snapshots);
}

TEST_F(NoteEntry, BackSpaceAndDeleteRemoveOneGroupAndMendItsTie) {
    load(groups({note(3, 60, mark::kTieBegin), note(3, 60, mark::kTieEnd), barLine(), note(3, 64)}));
    // nothing before the start, nothing after the end
    EXPECT_FALSE(backSpace(*doc, *view).changed);
    cursorAt(0, 4);
    EXPECT_FALSE(deleteForward(*doc, *view).changed);
    EXPECT_EQ(view->undoRing().size(), 0u);
    // Back Space takes the tied second note: the first one's tie is cut
    cursorAt(0, 2);
    backSpace(*doc, *view);
    EXPECT_EQ(groupTypes(), (std::vector<int>{3, type::kBarLine, 3}));
    EXPECT_EQ(doc->record(0).tie(), 0);
    EXPECT_EQ(view->cursor(), (ScorePosition{0, 1}));
}

TEST_F(NoteEntry, DeclinedSnapshotsAndAFullSongChangeNothing) {
    load(notes(3, {60}));
    view->undoRing() = UndoRing([](std::size_t) { return std::unique_ptr<std::vector<SongRecord>>(); });
    box.script({Answer::No});
    EXPECT_FALSE(enter({kE}).changed);
    EXPECT_EQ(doc->recordCount(), 1u);
    box.script({Answer::Yes});
    EXPECT_TRUE(enter({kE}).changed);
    EXPECT_EQ(doc->recordCount(), 2u);
    EXPECT_FALSE(view->undoRing().canUndo());
    EXPECT_EQ(box.shown(), std::vector<std::string>(2, "メモリ不足で[元に戻す]ができなくなります。\nよろしいですか？"));

    load(filledSong(kRecordLimit - 1));
    box.clear();
    EXPECT_FALSE(enter({kE}).changed);
    EXPECT_EQ(doc->recordCount(), kRecordLimit - 1);
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"データが入りません！"}));
    EXPECT_EQ(view->undoRing().size(), 0u);
}

TEST_F(NoteEntry, TextsAreSixBytesOfShiftJisAndValueListsGoToTheCursorChordOrTheWholeRange) {
    load(notes(3, {60}));
    setLyric(*doc, *view, "ラララララ");
    EXPECT_EQ(doc->groupText(0, kind::kLyric), "\x83\x89\x83\x89\x83\x89");
    setChordName(*doc, *view, "Cmaj7");
    EXPECT_EQ(view->undoRing().menuText(), "元に戻すコード名");
    setLyric(*doc, *view, "");
    EXPECT_EQ(doc->groupEnd(0), 2u);
    // at the end of the song there is no group to carry a text
    cursorAt(0, 1);
    EXPECT_FALSE(setLyric(*doc, *view, "x").changed);

    // delay, gate and velocity lists go to the cursor chord or the whole range
    std::vector<SongRecord> song = group({note(3, 67), note(3, 64), note(3, 60)});
    addGroup(song, {note(3, 62)});
    load(song);
    // the lists name the chord's notes last record first; 255 keeps a value
    const std::vector<DelayGate> pairs = {{10, 80}, {kKeep, 50}, {5, kKeep}};
    setDelayGates(*doc, *view, pairs);
    EXPECT_EQ(std::make_tuple(doc->record(0).delay(), doc->record(0).gate(), doc->record(1).gate(), doc->record(2).delay()),
              std::make_tuple(5, 75, 50, 10));
    EXPECT_EQ(view->undoRing().menuText(), "元に戻す効果");
    // with a range every note takes the first value
    view->setCursor({0, 2}, true);
    const std::vector<std::uint8_t> velocities = {30, 99};
    setVelocities(*doc, *view, velocities);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(doc->record(i).velocity(), 30);
}

std::vector<int> keys(std::string_view text, int area, int keySignature = 0) {
    const NoteNameParse parse = parseNoteNames(text, area);
    std::vector<int> out;
    for (const NoteName& n : parse.notes) out.push_back(spellNoteName(n, keySignature).key);
    return out;
}

TEST(NumericInput, LettersCountFromTheAreaDigitsChooseTheOctaveAndTheKeySpells) {
    // capitals in the area's octave, small letters one higher, spaces optional
    EXPECT_EQ(keys("C c e g", 2), (std::vector<int>{48, 60, 64, 67}));
    EXPECT_EQ(keys("Cceg", 2), keys("C c e g", 2));
    // an octave digit replaces the area, whatever the letter's case
    EXPECT_EQ(keys("C0 a4 b5", 3), (std::vector<int>{24, 81, 95}));
    // a step of 42 or more drops an octave
    EXPECT_EQ(keys("C c", 5), (std::vector<int>{84, 84}));
    EXPECT_EQ(parseNoteNames("cdefgabcdefx", 2).notes.size(), kMaxTypedNotes);
    EXPECT_TRUE(parseNoteNames("cdefgabcdefx", 2).ok());
    // accidentals and the key signature spell the key
    EXPECT_EQ(keys("cS cSS cL cLL cN", 2), (std::vector<int>{61, 62, 59, 58, 60}));
    EXPECT_EQ(spellNoteName(parseNoteNames("eLL", 2).notes[0], 0).accidental, 5);
    // G major raises F unless a natural is typed
    EXPECT_EQ(keys("f fN", 2, 1), (std::vector<int>{66, 65}));
    EXPECT_EQ(spellNoteName(parseNoteNames("f", 2).notes[0], 1).accidental, 0);
}

TEST(NumericInput, AWrongCharacterIsReportedByItsPosition) {
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile;
    const NumericInput input(profile);
    const NoteNameParse parse = input.take("c e x");
    EXPECT_FALSE(parse.ok());
    EXPECT_EQ(parse.badPosition, 5u);
    // positions count characters, not bytes; a digit above 5 is no octave
    EXPECT_EQ(input.take("ドc").badPosition, 1u);
    EXPECT_EQ(input.take("c7").badPosition, 2u);
    EXPECT_EQ(box.shown(),
              (std::vector<std::string>{"5桁目が不正です。", "1桁目が不正です。", "2桁目が不正です。"}));
}

TEST(NumericInput, TheGroupHoldsTheTypedKeysHighestFirst) {
    // C flat below key 24 and B sharp above 95 are left out
    const NoteNameParse parse = parseNoteNames("e C g CL0 BS5", 2);
    const std::vector<SongRecord> group = typedNoteGroup(parse.notes, 0, {4, mark::kDotted, true});
    ASSERT_EQ(group.size(), 3u);
    EXPECT_EQ(test::keysOf(group, 0), (std::vector{67, 64, 48}));
    EXPECT_EQ(std::tuple(int(group[2].bytes[2]), int(group[2].velocity())), std::tuple(4 | mark::kDotted, 0));
    EXPECT_TRUE(typedNoteGroup(parseNoteNames("CL0", 2).notes, 0, {}).empty());
}

TEST(NumericInput, TheAreaIsCheckedAndKeptInTheProfile) {
    platform::ScriptedMessageBox box;
    platform::MemoryProfile profile("[PC KeyBoard]\nArea=9\n");
    NumericInput input(profile);
    EXPECT_EQ(input.area(), kDefaultArea);
    // a wrong value is refused with its message and changes nothing
    EXPECT_FALSE(input.areaEdited("6"));
    EXPECT_FALSE(input.areaEdited("x"));
    EXPECT_EQ(box.shown(), (std::vector<std::string>{kAreaMessage, kAreaMessage}));
    EXPECT_TRUE(input.areaEdited(""));
    EXPECT_EQ(input.area(), kDefaultArea);
    EXPECT_TRUE(input.areaEdited("4"));
    EXPECT_EQ((std::vector{input.area(), profile.getInt("pc keyboard", "area", -1), NumericInput(profile).area()}),
              std::vector(3, 4));
    // a note text that begins with a space is cleared
    EXPECT_EQ(std::tuple(NumericInput::notesEdited(" c"), NumericInput::notesEdited("c ")),
              std::tuple(std::string(), std::string("c ")));
}

}  // namespace
}  // namespace plume
