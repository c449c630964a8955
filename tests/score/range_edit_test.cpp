#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

#include "platform/message_box.h"
#include "score/edit_forms.h"
#include "score/range_edit.h"
#include "score/score_view.h"
#include "score/undo_ring.h"
#include "song/plm_doc.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

constexpr std::uint8_t kQuarter = 3, kEighth = 4, kHalf = 2;

class RangeEdit : public ::testing::Test {
protected:
    void load(const std::vector<SongRecord>& records) {
        ASSERT_TRUE(doc.load(songOf(records)));
        view.rebuild();
        view.setCursor({0, 0});
    }
    void select(ScorePosition from, ScorePosition to) {
        view.setCursor(from);
        view.setCursor(to, true);
    }
    RangeEditor editor() { return RangeEditor(doc, view); }
    std::vector<SongRecord> song() const { return {doc.records().begin(), doc.records().end()}; }
    // One field of every record, e.g. &SongRecord::tie.
    std::vector<int> each(std::uint8_t (SongRecord::*field)() const) const {
        std::vector<int> out;
        for (const SongRecord& r : doc.records()) out.push_back((r.*field)());
        return out;
    }

    platform::ScriptedMessageBox box;
    CPlmDoc doc;
    ScoreView view{doc};
    ScoreClipboard clipboard;
};

// Four quarter notes 60, 62, 64, 65 on one line.
std::vector<SongRecord> fourQuarters() { return notes(kQuarter, {60, 62, 64, 65}); }

TEST_F(RangeEdit, TheEleventhChangeDropsTheOldestSnapshotAndTenUndosKeepTheFirstChange) {
    clipboard.store(notes(kQuarter, {60}), SongInfo::defaults());
    std::vector<std::vector<SongRecord>> after;
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(editor().paste(clipboard));
        after.push_back(song());
    }
    EXPECT_EQ(view.cursor(), (ScorePosition{0, 11}));
    for (int i = 9; i >= 0; --i) {
        ASSERT_TRUE(editor().undo());
        EXPECT_EQ(song(), after[std::size_t(i)]);
        EXPECT_EQ(view.cursor(), (ScorePosition{0, i + 1}));
    }
    EXPECT_FALSE(editor().undo());
    EXPECT_EQ(doc.recordCount(), 1u);
}

TEST_F(RangeEdit, PastingTwoLineBreaksMovesTheCursorTwoLinesDown) {
    clipboard.store(groups({note(kQuarter, 67), lineBreak(), note(kQuarter, 69), lineBreak(), note(kQuarter, 71),
                            note(kQuarter, 72)}),
                    SongInfo::defaults());
    load(fourQuarters());
    view.setCursor({0, 2});
    ASSERT_TRUE(editor().paste(clipboard));
    EXPECT_EQ(view.cursor(), (ScorePosition{2, 2}));
    EXPECT_EQ(doc.record(view.lines().recordAt(doc.records(), 2, 2)).key(), 64);

    // a paste without line breaks moves the cursor along its line
    clipboard.store(fourQuarters(), SongInfo::defaults());
    ASSERT_TRUE(editor().paste(clipboard));
    EXPECT_EQ(view.cursor(), (ScorePosition{2, 6}));
}

TEST_F(RangeEdit, AnOverfullPasteInsertsNothingAndShowsBothMessages) {
    const std::vector<SongRecord> block = notes(kEighth, {60, 60, 60, 60, 60, 60, 60, 60, 60, 60});
    clipboard.store(block, SongInfo::defaults());
    load(filledSong(kRecordLimit - 10));
    const auto before = song();
    EXPECT_FALSE(editor().paste(clipboard));
    EXPECT_EQ(song(), before);
    EXPECT_FALSE(view.undoRing().canUndo());
    EXPECT_EQ(box.shown(), (std::vector<std::string>{"データが入りません！", "オーバーフロー！\nデータが全部入りません。"}));
    // one record fewer in the clipboard fits
    clipboard.store(std::span(block).first(9), SongInfo::defaults());
    EXPECT_TRUE(editor().paste(clipboard));
    EXPECT_EQ(doc.recordCount(), kRecordLimit - 1);
}

// A cut or copy stores through the same stop; the play test cuts while playing.
TEST_F(RangeEdit, APasteStopsPlaybackFirstEvenWithNothingToPaste) {
    int stops = 0;
    ScoreClipboard shared([&] { ++stops; });
    load(fourQuarters());
    EXPECT_FALSE(editor().paste(shared));
    EXPECT_EQ(stops, 1);
}

TEST_F(RangeEdit, CutDeletesTheRangeAndCutsTiesAndTupletsAtItsEdges) {
    std::vector<SongRecord> s = groups({note(kEighth, 60, mark::kTieBegin), note(kEighth, 60, mark::kTieMiddle),
                                        note(kEighth, 60, mark::kTieEnd), note(kEighth, 62), note(kEighth, 64),
                                        note(kEighth, 65)});
    markTuplet(s, {3, 4, 5}, 3);
    load(s);
    select({0, 4}, {0, 1});
    ASSERT_TRUE(editor().cut(clipboard));
    ASSERT_TRUE(clipboard.hasData());
    EXPECT_EQ(clipboard.lend()->records.size(), 3u);
    EXPECT_EQ(song(), notes(kEighth, {60, 64, 65}));
    EXPECT_EQ(std::pair(view.cursor(), view.anchor()), std::pair(ScorePosition{0, 1}, ScorePosition{0, 1}));
}

TEST_F(RangeEdit, TupletsNeedNotesOrRestsAndAnUndottedShortestLengthAndClearComesOff) {
    const std::vector<SongRecord> s = groups({note(kQuarter, 60), note(kEighth, 62), barLine(),
                                              note(kQuarter, 64, 0, mark::kDotted), rest(9), note(kEighth, 65)});
    load(s);
    // a quarter and an eighth: 12 thirty-seconds, three eighths
    select({0, 0}, {0, 2});
    EXPECT_EQ(editor().tupletCount(), 3);
    select({0, 0}, {0, 4});
    EXPECT_EQ(editor().tupletCount(), 0);
    // a dotted quarter (12) and a dotted half (24) make 36, three times the shortest, but the
    // shortest is dotted: none
    load(groups({note(kQuarter, 64, 0, mark::kDotted), note(kHalf, 60, 0, mark::kDotted)}));
    select({0, 0}, {0, 2});
    EXPECT_EQ(editor().tupletCount(), 0);
    EXPECT_FALSE(editor().makeTuplet(3));
    // rests count: a dotted quarter, a quarter rest, an eighth = 12 + 8 + 4 = 6 eighths
    load(s);
    select({0, 3}, {0, 6});
    EXPECT_EQ(editor().tupletCount(), 6);

    // the command marks the range and clear takes the marks away
    load(fourQuarters());
    select({0, 1}, {0, 4});
    EXPECT_FALSE(editor().makeTuplet(4));
    ASSERT_TRUE(editor().makeTuplet(3));
    EXPECT_EQ(each(&SongRecord::tuplet), (std::vector{0, mark::kTupletFirst | 3, mark::kTupletInner | 3, mark::kTupletLast | 3}));
    EXPECT_FALSE(view.undoRing().canUndo()) << "tuplets take no snapshot";
    ASSERT_TRUE(editor().clearTuplet());
    EXPECT_EQ(song(), fourQuarters());
}

TEST_F(RangeEdit, TransposeIsBoundedToKeys24To95AndNeedsNotes) {
    load(fourQuarters());
    select({0, 0}, {0, 4});
    const auto span = editor().transposeSpan();
    ASSERT_TRUE(span);
    TransposeForm form(*span);
    form.setValue(40);
    EXPECT_EQ((std::vector{form.minimum(), form.maximum(), form.value()}), (std::vector{-36, 30, 30}));
    form.setUnit(TransposeForm::Unit::Octaves);
    EXPECT_EQ((std::vector{form.minimum(), form.maximum(), form.value()}), (std::vector{-3, 2, 2}));
    ASSERT_TRUE(editor().transpose(*form.semitones()));  // 24
    EXPECT_EQ(doc.record(3).key(), 89);
    EXPECT_EQ(view.undoRing().menuText(), "元に戻す訂正");
    // a note below 24 leaves only upward octaves
    TransposeForm low(KeySpan{10, 40});
    low.setUnit(TransposeForm::Unit::Octaves);
    EXPECT_EQ(low.minimum(), 2);

    load(groups({rest(9), rest(9)}));
    select({0, 0}, {0, 2});
    EXPECT_FALSE(editor().transposeSpan());
    EXPECT_EQ(box.shown(), std::vector<std::string>{"指定範囲に音符がありませんでした。"});
}

TEST_F(RangeEdit, NotesBecomeRestsOfTheSameLengthAndLoseTheirTies) {
    std::vector<SongRecord> s = group({note(kQuarter, 64, mark::kTieBegin, mark::kDotted),
                                       note(kQuarter, 60, 0, mark::kDotted), effectValue(effect::kVolume, 90)});
    addGroups(s, {note(kEighth, 64, mark::kTieEnd), rest(10)});
    load(s);
    select({0, 0}, {0, 1});
    ASSERT_TRUE(editor().notesToRests());
    ASSERT_EQ(doc.recordCount(), 4u);
    EXPECT_EQ(std::tuple(int(doc.record(0).type()), int(doc.record(0).dots()), int(doc.record(0).groupSize())),
              std::tuple(9, int(mark::kDotted), 2));
    EXPECT_TRUE(doc.record(1).isEffect());
    EXPECT_EQ(doc.record(2).tie(), 0);
    ASSERT_TRUE(editor().undo());
    EXPECT_EQ(song(), s);
    // a range without notes changes nothing and takes no snapshot
    select({0, 2}, {0, 3});
    EXPECT_FALSE(editor().notesToRests());
    EXPECT_FALSE(view.undoRing().canUndo());
}

TEST_F(RangeEdit, TiesAreSetAndResetPerKeyInsideTheRangeOrByTheButtonAtTheCursor) {
    std::vector<SongRecord> s = group({note(kQuarter, 67), note(kQuarter, 60)});
    addGroup(s, {note(kQuarter, 67), note(kQuarter, 60)});
    addGroup(s, {note(kQuarter, 67)});
    load(s);
    select({0, 0}, {0, 3});
    EXPECT_EQ(editor().noteKeys(), (std::vector<std::uint8_t>{60, 67}));
    const std::uint8_t both[] = {60, 67};
    ASSERT_TRUE(editor().tie(both, true));
    // records 0, 2, 4 are key 67, records 1 and 3 key 60
    EXPECT_EQ(each(&SongRecord::tie), (std::vector{0x40, 0x40, 0x80, 0xC0, 0xC0}));
    const std::uint8_t top[] = {67};
    ASSERT_TRUE(editor().tie(top, false));
    EXPECT_EQ(each(&SongRecord::tie), (std::vector{0, 0x40, 0, 0xC0, 0}));

    // the tie button ties the cursor note to the next and unties it without cutting the chain before
    load(notes(kQuarter, {60, 60, 60}));
    ASSERT_TRUE(toggleTieAtCursor(doc, view));
    view.setCursor({0, 1});
    ASSERT_TRUE(toggleTieAtCursor(doc, view));
    EXPECT_EQ(each(&SongRecord::tie), (std::vector<int>{mark::kTieBegin, mark::kTieMiddle, mark::kTieEnd}));
    ASSERT_TRUE(toggleTieAtCursor(doc, view));
    EXPECT_EQ(each(&SongRecord::tie), (std::vector<int>{mark::kTieBegin, mark::kTieEnd, 0}));
}

TEST_F(RangeEdit, KeyAndTimeChangesAreInsertedOrWrittenOverTheCursorGroup) {
    auto s = fourQuarters();
    addGroups(s, {lineBreak(), note(kQuarter, 67)});
    load(s);
    view.setCursor({0, 1});
    ASSERT_TRUE(editor().changeKey(3, true));
    EXPECT_TRUE(doc.record(1).isMeta());
    EXPECT_EQ(std::tuple(view.cursor(), view.undoRing().newestKind()),
              std::tuple(ScorePosition{0, 2}, UndoKind::Insert));
    EXPECT_EQ(editor().keyAtCursor(), 3);
    ASSERT_TRUE(editor().changeTime({3, 3}, false));
    EXPECT_EQ(doc.record(2).metaType(), meta::kTimeSignature);
    EXPECT_EQ(std::tuple(doc.recordCount(), view.undoRing().newestKind()), std::tuple(7u, UndoKind::Change));
    view.setCursor({0, 3});
    EXPECT_EQ(editor().timeAtCursor(), (TimeSignature{3, 3}));
    EXPECT_EQ(TimeSignatureForm(editor().timeAtCursor()).denominator, 2);
    // on a line break the switch does not matter: it is inserted
    view.setCursor({0, 5});
    ASSERT_TRUE(editor().changeKey(0, false));
    EXPECT_EQ(doc.recordCount(), 8u);
    EXPECT_EQ(doc.record(6).type(), type::kLineBreak);
}

// The ring itself; its levels and cursors are shown through the range editor above and note entry.
TEST(UndoRing, MenuTextNamesTheNewestKindAndAnEmptySnapshotEmptiesTheSong) {
    CPlmDoc doc;
    UndoRing ring;
    ASSERT_TRUE(ring.take(UndoKind::BackSpace, doc, {}));
    ASSERT_TRUE(doc.insertRecords(0, notes(3, {60})));
    ASSERT_TRUE(ring.take(UndoKind::ChordName, doc, {}));
    ASSERT_TRUE(doc.insertRecords(1, notes(3, {62})));
    UndoPositions positions;
    ASSERT_TRUE(ring.undo(doc, positions));
    EXPECT_EQ(ring.menuText(), "元に戻すＢＳ");
    EXPECT_EQ(doc.recordCount(), 1u);
    doc.clearModified();
    ASSERT_TRUE(ring.undo(doc, positions));
    EXPECT_EQ(doc.recordCount(), 0u);
    EXPECT_TRUE(doc.isModified());
}

TEST(GoToLineForm, AcceptsOneToTheLastLineNumber) {
    platform::ScriptedMessageBox box;
    const GoToLineForm form(4);
    EXPECT_EQ(form.lastLineText(), "最終行番号:5");
    EXPECT_EQ((std::vector{form.accept(5), form.accept(1), form.accept(6), form.accept(0)}),
              (std::vector<std::optional<int>>{4, 0, std::nullopt, std::nullopt}));
    EXPECT_EQ(box.shown(), std::vector<std::string>(2, "1 から 5 の範囲で入力して下さい。"));
}

}  // namespace
}  // namespace plume
