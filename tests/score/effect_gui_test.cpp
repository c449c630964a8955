// The effect dialog, the function sheet and the effect-edit display driven offscreen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "platform/message_box.h"
#include "score/qt/effect_bar.h"
#include "score/qt/effect_dialog.h"
#include "score/qt/effect_edit_widget.h"
#include "score/qt/function_sheet.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "support/qt_test_app.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;

// Screenshots for looking at by hand, only when PLUME_EFFECT_SHOTS names a folder.
void shoot(QWidget& widget, const char* name) {
    if (const char* dir = std::getenv("PLUME_EFFECT_SHOTS")) widget.grab().save(QString(dir) + "/" + name);
}

class EffectGui : public ::testing::Test {
protected:
    void SetUp() override {
        qtApp();
        SongInfo info = SongInfo::defaults();
        info.setTempo(120);
        ASSERT_TRUE(doc.load(songOf(groups({note(3, 60), note(3, 62), barLine(), note(2, 64)}), info)));
        view.rebuild();
    }
    platform::ScriptedMessageBox box;
    CPlmDoc doc;
    ScoreView view{doc};
};

TEST_F(EffectGui, TheDialogsSliderFollowsTheEffectsBoundsAndItStaysOpenWithoutANumber) {
    EffectDialog dialog(doc, view, 0, effect::kPitchBend);
    const auto bounds = [](const QSlider* s) { return std::tuple(s->minimum(), s->maximum(), s->pageStep()); };
    EXPECT_EQ(bounds(dialog.slider()), std::tuple(-8192, 8191, 1000));
    // the slider moves the field; a page up from the bottom goes 1000 further
    dialog.slider()->setValue(-8192);
    dialog.slider()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(dialog.valueField()->text(), QStringLiteral("-7192"));
    shoot(dialog, "effect_dialog.png");
    // without a number it stays open; with one it closes
    dialog.valueField()->clear();
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.valueField()->setText(QStringLiteral("8191"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // "種別" pan: the slider pages by 10 within 0..127
    EffectDialog pan(doc, view, 0, effect::kPitchBend);
    pan.kindList()->setCurrentIndex(effect::kPan);
    EXPECT_EQ(bounds(pan.slider()), std::tuple(0, 127, 10));
    EXPECT_EQ(pan.valueField()->text(), QString());
}

TEST_F(EffectGui, TheSheetsSinePointsFollowTheMouseAndOkWritesThePieces) {
    auto form = FunctionSheetForm::open(doc, {0, doc.recordCount()}, effect::kModulation);
    ASSERT_TRUE(form);
    FunctionSheet sheet(doc, view, std::move(*form));
    sheet.resize(480, 360);
    sheet.show();
    sheet.functionButtons()->button(3)->click();  // "sin"
    EXPECT_EQ(sheet.form().choice(), FunctionSheetForm::Choice::Sine);
    CurveGraph* graph = sheet.graph();
    const QPoint peak = graph->handles().at(0);
    pressMouse(graph, peak);
    moveMouse(graph, peak + QPoint(40, 10));
    releaseMouse(graph, peak + QPoint(40, 10));
    EXPECT_EQ(graph->handles().at(0).x(), peak.x() + 40);
    const double fraction = double(sheet.form().peakPoint()) / sheet.form().graphWidth();
    shoot(sheet, "function_sheet.png");
    sheet.accept();
    // one piece on each of the three notes, the speed pi / (p/W * N) with N = 2000 ms
    const std::size_t first = doc.findEffect(0, effect::kModulation);
    ASSERT_NE(first, kNoRecord);
    float speed = 0;
    std::memcpy(&speed, &doc.record(first + 2).bytes[2], 4);
    EXPECT_FLOAT_EQ(speed, float(3.141592653589793 / (fraction * 2000)));
    EXPECT_EQ(doc.recordCount(), 4u + 9u);

    // the effect-edit display asks for a range first
    view.clearRange();
    EXPECT_FALSE(showFunctionSheet(nullptr, doc, view, effect::kVolume, true));
    EXPECT_EQ(box.shown(), std::vector<std::string>{kCurveNeedsRangeMessage});
}

TEST_F(EffectGui, ClickingTheDisplaysPanRowSetsThePanOfTheClickedNote) {
    EffectEditWidget display(doc, view);
    display.resize(700, kEffectDisplayHeight + 40);
    display.setZoom(2);
    display.show();
    const int panTop = kEffectHeaderHeight + kEffectRowHeight;
    // the second quarter starts 56 px after the first
    pressMouse(display.viewport(), {kEffectAreaLeft + 60, panTop + 1});
    const std::size_t second = doc.nextGroup(0);
    ASSERT_NE(doc.findEffect(second, effect::kPan), kNoRecord);
    EXPECT_GE(doc.record(doc.findEffect(second, effect::kPan)).value(), 120);
    EXPECT_EQ(doc.findEffect(0, effect::kPan), kNoRecord);
    shoot(display, "effect_display.png");

    EffectBar bar(doc, view);
    bar.show();
    EXPECT_EQ(bar.effectList()->count(), 19);
    EXPECT_EQ(bar.noteList()->currentText(), QStringLiteral(" 60-C"));
    bar.effectList()->setCurrentIndex(16);  // pitch bend
    EXPECT_EQ(bar.valueField()->minimum(), -8192);
    shoot(bar, "effect_bar.png");
}

}  // namespace
}  // namespace plume
