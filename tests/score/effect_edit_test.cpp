// Effects: curves written over a range, the effect dialog and bar, and the effect-edit display.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <tuple>

#include "platform/message_box.h"
#include "score/effect_curve.h"
#include "score/effect_display.h"
#include "score/effect_forms.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "support/recording_canvas.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

constexpr std::uint8_t kQuarter = 3;

std::int32_t int32At(const SongRecord& r, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) v |= std::uint32_t(r.bytes[at + k]) << (8 * k);
    return std::int32_t(v);
}
float floatAt(const SongRecord& r, std::size_t at) { return std::bit_cast<float>(std::uint32_t(int32At(r, at))); }
std::int16_t int16At(const SongRecord& r, std::size_t at) { return std::int16_t(r.bytes[at] | (r.bytes[at + 1] << 8)); }

// The piece attached to a group: the three records found after its score records.
struct Piece {
    int function, step, start, base, second;
    float first, phase;
};
Piece pieceOf(const CPlmDoc& doc, std::size_t group, std::uint8_t number) {
    const std::size_t i = doc.findEffect(group, number);
    EXPECT_NE(i, kNoRecord);
    const SongRecord a = doc.record(i), b = doc.record(i + 1), c = doc.record(i + 2);
    EXPECT_EQ(a.kind() + 1, b.kind());
    EXPECT_EQ(a.kind() + 2, c.kind());
    return {a.bytes[2], a.bytes[3], int32At(a, 4), int16At(b, 2), int16At(b, 4), floatAt(c, 2), floatAt(c, 6)};
}

class EffectCurve : public ::testing::Test {
protected:
    // Four quarter notes at tempo 120: 500 ms each, 2000 ms in all.
    void SetUp() override {
        SongInfo info = SongInfo::defaults();
        info.setTempo(120);
        ASSERT_TRUE(doc.load(songOf(notes(kQuarter, {60, 62, 64, 65}), info)));
        view.rebuild();
    }
    std::vector<std::size_t> groupStarts() const {
        std::vector<std::size_t> g;
        for (std::size_t i = 0; i < doc.recordCount(); i = doc.nextGroup(i)) g.push_back(i);
        return g;
    }
    static CurveRequest request(CurveFunction f, int s, int e) { return {effect::kVolume, f, s, e, 20, {}}; }

    platform::ScriptedMessageBox box;
    CPlmDoc doc;
    ScoreView view{doc};
};

TEST_F(EffectCurve, EachFunctionWritesTheCoefficientsOfItsFormulaOnePiecePerGroup) {
    const double n = 2000;
    // line: (e - s) / N, base s
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), request(CurveFunction::Line, 20, 120)));
    std::vector<std::size_t> g = groupStarts();
    ASSERT_EQ(g.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const Piece p = pieceOf(doc, g[k], effect::kVolume);
        EXPECT_EQ(std::tuple(p.function, p.step, p.start, p.base, p.second, p.phase),
                  std::tuple(1, 20, int(500 * k), 20, 0, 0.0f)) << "group " << k;
        EXPECT_FLOAT_EQ(p.first, float(100 / n));
    }

    // parabola: (e - s) / N², over the old pieces, which go first
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), request(CurveFunction::Parabola, 20, 120)));
    g = groupStarts();
    EXPECT_EQ(doc.recordCount(), 4u * 4u);
    EXPECT_FLOAT_EQ(pieceOf(doc, g[2], effect::kVolume).first, float(100 / (n * n)));

    // exponential: shape point a quarter of the width from the right: x = -2 - 8/4 = -4,
    // a = -ln(10^-4) / N = 4 ln 10 / N, second value e - s
    CurveRequest exp = request(CurveFunction::Exponential, 20, 120);
    exp.shape.shape = 0.25;
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), exp));
    Piece p = pieceOf(doc, groupStarts()[1], effect::kVolume);
    EXPECT_EQ(std::tuple(p.function, p.base, p.second), std::tuple(3, 20, 100));
    EXPECT_FLOAT_EQ(p.first, float(4 * std::log(10.0) / n));

    // sine from 120 down to 20: amplitude (20 - 120) / 2 = -50, centre max(s, e) - amplitude = 170;
    // peak at half the width: speed pi / (W/2 * N/W) = pi / 1000; phase a quarter in: N/4 * speed
    CurveRequest sine = request(CurveFunction::Sine, 120, 20);
    sine.shape.peak = 0.5;
    sine.shape.phase = 0.25;
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), sine));
    p = pieceOf(doc, groupStarts()[3], effect::kVolume);
    EXPECT_EQ(std::tuple(p.function, p.start, p.second, p.base), std::tuple(4, 1500, -50, 170));
    EXPECT_FLOAT_EQ(p.first, float(std::numbers::pi / 1000));
    EXPECT_FLOAT_EQ(p.phase, float(std::numbers::pi / 2));
}

TEST_F(EffectCurve, ATempoEffectInsideTheRangeStretchesThePiecesAfterIt) {
    ASSERT_TRUE(doc.appendEffect(groupStarts()[2], effect::kTempo, 60));
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), request(CurveFunction::Line, 0, 120)));
    // THEN the third and fourth last a second each: 0, 500, 1000, 2000 of 3000 ms
    const std::vector<std::size_t> g = groupStarts();
    EXPECT_EQ(pieceOf(doc, g[2], effect::kVolume).start, 1000);
    EXPECT_EQ(pieceOf(doc, g[3], effect::kVolume).start, 2000);
    EXPECT_FLOAT_EQ(pieceOf(doc, g[3], effect::kVolume).first, 120.0f / 3000.0f);
    // and a range starting after an earlier tempo change runs at that tempo from its first group
    const CurveTiming late = curveTiming(doc.records(), doc.tempoAt(g[3]), g[3], doc.recordCount());
    EXPECT_EQ(late.length, 1000u);
}

TEST_F(EffectCurve, DeleteLeavesTheRangeWithoutTheEffectAndTouchesNothingElse) {
    std::vector<std::size_t> g = groupStarts();
    ASSERT_TRUE(doc.appendEffect(g[0], effect::kVolume, 90));
    ASSERT_TRUE(doc.appendEffect(groupStarts()[1], effect::kPan, 30));
    CurveRequest mod = request(CurveFunction::Line, 0, 100);
    mod.effect = effect::kModulation;
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), mod));
    // and a volume curve over the middle two notes that replaces nothing there
    g = groupStarts();
    ASSERT_TRUE(writeCurve(doc, g[1], g[3], request(CurveFunction::Line, 0, 100)));
    const std::vector<SongRecord> before(doc.records().begin(), doc.records().end());
    g = groupStarts();
    EXPECT_EQ(deleteCurve(doc, g[1], g[3], effect::kVolume), 2u);
    std::vector<SongRecord> expected;
    for (const SongRecord& r : before)
        if (r.kind() < kind::kVolumeCurve || r.kind() > kind::kVolumeCurve + 2) expected.push_back(r);
    std::vector<SongRecord> after(doc.records().begin(), doc.records().end());
    for (SongRecord& r : after) r.bytes[0] = 0;
    for (SongRecord& r : expected) r.bytes[0] = 0;
    EXPECT_EQ(after, expected);
    // the group sizes, zeroed above: note, volume, modulation curve; note, pan, curve; note, curve; note, curve
    EXPECT_EQ(groupStarts(), (std::vector<std::size_t>{0, 5, 10, 14}));
}

TEST_F(EffectCurve, PitchBendBoundsAndTheDialogsValueRules) {
    EffectDialogForm form(doc, 0, effect::kPitchBend);
    EXPECT_EQ(form.valueText(), "");
    // -8192 goes in as it is; beyond -8192 and 8191 the spin button stops
    form.setValueText("-8192");
    ASSERT_TRUE(form.accept(doc, view));
    EXPECT_EQ(doc.record(doc.findEffect(0, effect::kPitchBend)).value16(), -8192);
    EXPECT_EQ(view.undoRing().newestKind(), UndoKind::Effect);
    form.setValue(9000);
    EXPECT_EQ(form.valueText(), "8191");
    form.setValue(-9000);
    EXPECT_EQ(form.sliderValue(), -8192);
    EXPECT_EQ(EffectDialogForm(doc, 0, effect::kPitchBend).valueText(), "-8192");

    // an empty field when setting: the message, the dialog stays, nothing taken or changed
    const std::size_t snapshots = view.undoRing().size();
    form.setValueText("");
    EXPECT_FALSE(form.accept(doc, view));
    EXPECT_EQ(box.shown(), std::vector<std::string>{kEnterNumberMessage});
    EXPECT_EQ(view.undoRing().size(), snapshots);
    // "削除する" needs no number
    form.setDeletes(true);
    EXPECT_TRUE(form.accept(doc, view));
    EXPECT_EQ(doc.findEffect(0, effect::kPitchBend), kNoRecord);
    EXPECT_EQ(view.undoRing().size(), snapshots + 1);

    // over a curve the field shows f(t); "種別" switches to another effect's value
    ASSERT_TRUE(writeCurve(doc, 0, doc.recordCount(), request(CurveFunction::Line, 0, 100)));
    EffectDialogForm curve(doc, 0, effect::kVolume);
    EXPECT_EQ(curve.valueText(), "f(t)");
    ASSERT_TRUE(doc.appendEffect(0, effect::kPan, 33));
    curve.setNumber(effect::kPan);
    EXPECT_EQ(curve.valueText(), "33");
}

TEST_F(EffectCurve, TheCommandsAndTheSheetFollowTheRangeAndTheMemory) {
    using enum EffectCommandAction;
    EXPECT_EQ((std::vector{effectCommandAction(effect::kVolume, true), effectCommandAction(effect::kPan, true),
                           effectCommandAction(effect::kPan, false), effectCommandAction(effect::kProgram, false)}),
              (std::vector{FunctionSheet, Nothing, EffectDialog, InstrumentDialog}));

    // no memory for the work buffer: the message and no sheet
    const RecordAllocator none = [](std::size_t) { return std::unique_ptr<std::vector<SongRecord>>(); };
    EXPECT_FALSE(FunctionSheetForm::open(doc, {0, doc.recordCount()}, effect::kVolume, none));
    EXPECT_EQ(box.shown(), std::vector<std::string>{kSheetMemoryMessage});

    // the sheet's points enter as fractions of the graph: peak at 100 of 400 px
    auto sheet = FunctionSheetForm::open(doc, {0, doc.recordCount()}, effect::kModulation);
    ASSERT_TRUE(sheet);
    sheet->setGraphWidth(400);
    sheet->setChoice(FunctionSheetForm::Choice::Sine);
    sheet->setEnd(500);  // held to 127
    EXPECT_EQ(sheet->end(), 127);
    sheet->dragPeakPoint(100);
    sheet->dragPhasePoint(-5);
    sheet->dragShapePoint(300);
    const auto& shape = sheet->shape();
    EXPECT_EQ(std::tuple(shape.peak, shape.phase, shape.shape), std::tuple(0.25, 0.0, 0.25));
    sheet->setStepIndex(4);  // 50 ms
    ASSERT_TRUE(sheet->accept(doc, view));
    // the sine's coefficients from these fractions are checked with writeCurve above
    EXPECT_EQ(pieceOf(doc, 0, effect::kModulation).step, 50);
    // "削除" over the same notes takes them out again
    auto again = FunctionSheetForm::open(doc, {0, doc.recordCount()}, effect::kModulation);
    ASSERT_TRUE(again);
    again->setChoice(FunctionSheetForm::Choice::Delete);
    ASSERT_TRUE(again->accept(doc, view));
    EXPECT_EQ(doc.recordCount(), 4u);
}

TEST_F(EffectCurve, TheEffectBarNamesTheNotesLastFirstAndSetsTheirFields) {
    CPlmDoc chord;
    ASSERT_TRUE(chord.load(songOf(group({note(kQuarter, 60), note(kQuarter, 61), note(kQuarter, 70)}))));
    EXPECT_EQ(noteListTexts(chord, 0), (std::vector<std::string>{" 70-A# Bb", " 61-C# Db", " 60-C"}));
    // the second entry of the list is the middle note
    ASSERT_TRUE(applyBarValue(chord, 0, effect::kVelocity, 40, 1));
    EXPECT_EQ(chord.record(1).velocity(), 40);
    EXPECT_EQ(chord.record(0).velocity(), 100);
    ASSERT_TRUE(applyBarValue(chord, 0, effect::kGateTime, 500));
    EXPECT_EQ(chord.record(2).gate(), 100);
    EXPECT_FALSE(applyBarValue(chord, 0, effect::kProgram, 5));
    ASSERT_TRUE(applyBarValue(chord, 0, effect::kPitchBend, -9000));
    EXPECT_EQ(chord.record(chord.findEffect(0, effect::kPitchBend)).value16(), -8192);
    ASSERT_TRUE(applyBarValue(chord, 0, effect::kReverb, 64));
    ASSERT_TRUE(removeBarEffect(chord, 0, 18));
    EXPECT_EQ(chord.recordCount(), 3u);
    EXPECT_TRUE(noteListTexts(chord, chord.recordCount()).empty());
}

TEST_F(EffectCurve, TheInstrumentEffectSetsThePieceFromItsGroupOnAndComesOffAgain) {
    const std::vector<std::size_t> g = groupStarts();
    const SongInfo& info = doc.songInfo();
    EXPECT_EQ(toneAt(doc, g[2]), (Tone{info.initialModule(), info.initialBank(), info.initialProgram()}));
    ASSERT_TRUE(applyInstrumentEffect(doc, view, g[1], Tone{2, 8, 40}));
    const std::size_t third = doc.nextGroup(doc.nextGroup(0));  // the second group grew by its program record
    EXPECT_EQ(toneAt(doc, third), (Tone{2, 8, 40}));
    EXPECT_EQ(doc.record(third).programInForce(), 40);
    EXPECT_EQ(doc.record(0).programInForce(), info.initialProgram());
    EXPECT_TRUE(view.undoRing().canUndo());
    // removing it gives the following notes the song's initial program back; a group without one is left alone
    EXPECT_FALSE(applyInstrumentEffect(doc, view, 0, std::nullopt));
    ASSERT_TRUE(applyInstrumentEffect(doc, view, doc.nextGroup(0), std::nullopt));
    EXPECT_EQ(doc.recordCount(), 4u);
    EXPECT_EQ(doc.record(3).programInForce(), info.initialProgram());
}

std::vector<int> widths(const std::vector<SongRecord>& song, int zoom) {
    std::vector<int> w;
    for (const EffectItem& item : effectLayout(song, zoom)) w.push_back(item.width);
    return w;
}

TEST(EffectDisplayLayout, GroupWidthsFollowDurationAndZoomAndTupletsShareTheirSpan) {
    // whole, half, dotted quarter, double-dotted eighth, bar line, spacer (skipped), 16th rest
    std::vector<SongRecord> song = groups({note(1, 60), note(2, 60), note(3, 60, 0, mark::kDotted),
                                           note(4, 60, 0, mark::kDoubleDotted), barLine(), scoreMark(type::kSpacer),
                                           rest(11)});
    const int unit[4] = {28, 14, 7, 4};
    for (int zoom = 0; zoom < 4; ++zoom) {
        const int u = unit[zoom];
        EXPECT_EQ(widths(song, zoom),
                  (std::vector<int>{32 * u, 16 * u, 8 * u * 150 / 100, 4 * u * 175 / 100, 8, 2 * u}))
            << "zoom " << zoom;
    }
    // the row starts at 88 and each group follows the one before
    const std::vector<EffectItem> items = effectLayout(song, 3);
    EXPECT_EQ((std::vector{items[0].x, items[1].x, effectLayoutEnd(items)}),
              (std::vector{88, 88 + 128, 88 + 128 + 64 + 48 + 28 + 8 + 8}));

    // a tuplet shares its span with the remainder to its first note: a triplet of eighths spans a quarter,
    // at zoom 3 32 px / 3 = 10 rest 2
    std::vector<SongRecord> triplet = groups({note(4, 60), note(4, 62), note(4, 64)});
    markTuplet(triplet, {0, 1, 2}, 3);
    EXPECT_EQ(widths(triplet, 3), (std::vector<int>{12, 10, 10}));
}

class EffectDisplayEdit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.load(songOf(groups({note(3, 60), note(3, 62), barLine(), note(3, 64)}))));
        view.rebuild();
        items = effectLayout(doc.records(), 2);  // quarters 56 px wide
    }
    platform::ScriptedMessageBox box;
    CPlmDoc doc;
    ScoreView view{doc};
    std::vector<EffectItem> items;
};

TEST_F(EffectDisplayEdit, ClicksPlaceTheCursorOrEditTheClickedRow) {
    // left of 88 and below the rows nothing happens
    EXPECT_EQ(effectHit(items, 0, 87, 5).kind, EffectHit::Kind::None);
    EXPECT_EQ(effectHit(items, 0, 100, kEffectDisplayHeight).kind, EffectHit::Kind::None);
    // in the strip: the second note's left half puts the cursor on it, its right half after it
    EXPECT_EQ(effectHit(items, 0, 88 + 56 + 10, 5).kind, EffectHit::Kind::Cursor);
    EXPECT_EQ(effectHit(items, 0, 88 + 56 + 10, 5).cursor, 1);
    EXPECT_EQ(effectHit(items, 0, 88 + 56 + 40, 5).cursor, 2);
    // scrolled by 56 the same point is over the bar line's right half
    EXPECT_EQ(effectHit(items, 56, 88 + 56 + 5, 5).cursor, 3);
    // in the pan row (second): its top is 127, its bottom 0
    const int panTop = kEffectHeaderHeight + kEffectRowHeight;
    const EffectHit hit = effectHit(items, 0, 90, panTop);
    EXPECT_EQ(std::tuple(hit.kind, int(hit.number), hit.group, hit.value),
              std::tuple(EffectHit::Kind::Value, int(effect::kPan), 0u, 127));
    EXPECT_EQ(effectHit(items, 0, 90, panTop + kEffectRowHeight - 1).value, 0);
    ASSERT_TRUE(applyEffectHit(doc, view, effectHit(items, 0, 90, panTop)));
    EXPECT_EQ(doc.record(doc.findEffect(0, effect::kPan)).value(), 127);
    // the velocity row of a bar line has nothing to edit
    items = effectLayout(doc.records(), 2);
    const int velocityTop = kEffectHeaderHeight + 9 * kEffectRowHeight;
    EXPECT_FALSE(applyEffectHit(doc, view, effectHit(items, 0, 88 + 112 + 2, velocityTop)));
}

TEST_F(EffectDisplayEdit, BackSpaceDeletesTheGroupBeforeTheCursor) {
    int cursor = 0;
    EXPECT_FALSE(effectBackSpace(doc, view, items, cursor));
    cursor = 2;
    ASSERT_TRUE(effectBackSpace(doc, view, items, cursor));
    EXPECT_EQ(cursor, 1);
    EXPECT_EQ(groupTypes(doc.records()), (std::vector<int>{3, 13, 3}));
    EXPECT_EQ(keysOf(doc.records(), 2), std::vector<int>{64});
    EXPECT_EQ(view.undoRing().newestKind(), UndoKind::BackSpace);
}

TEST_F(EffectDisplayEdit, ValuesAreDrawnAsBarsInTheirEffectsColour) {
    ASSERT_TRUE(doc.appendEffect(0, effect::kVolume, 127));
    items = effectLayout(doc.records(), 2);
    RecordingCanvas canvas;
    paintEffectDisplay(canvas, doc.records(), items, {.scroll = 0, .width = 400, .cursor = 1, .showCursor = true});
    const std::vector<CanvasCall> fills = canvas.calls(CanvasCall::Kind::Fill);
    const auto drawn = [&](const CanvasCall& f) { return std::find(fills.begin(), fills.end(), f) != fills.end(); };
    // a full volume fills the inside of its row (33..51) in the volume colour
    EXPECT_TRUE(drawn(fillCall({88, 33, 88 + 55, 51}, Rgb{53, 255, 255})));
    // the notes' velocity, 100 of 127, stands 14 of the row's 18 pixels high
    EXPECT_TRUE(drawn(fillCall({88, 231 - 14, 88 + 55, 231}, kWhite)));
    // the cursor inverts a column at its group's left edge
    EXPECT_EQ(canvas.calls(CanvasCall::Kind::Invert),
              (std::vector{CanvasCall{.kind = CanvasCall::Kind::Invert, .rect = {144, 0, 146, kEffectDisplayHeight}}}));
}

}  // namespace
}  // namespace plume
