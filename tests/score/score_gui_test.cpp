// The score's Qt pieces offscreen: the demo songs drawn pixel for pixel as the images in tests/data/golden
// (PLUME_UPDATE_GOLDEN=1 writes the images instead: look at them before keeping them); the effect dialog,
// function sheet and effect-edit display; "Plume-コード判別", its lists and what it asks the player for.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTextBrowser>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "cli/demo_project.h"
#include "platform/message_box.h"
#include "score/qt/chord_dialog.h"
#include "score/qt/chord_help.h"
#include "score/qt/effect_dialog.h"
#include "score/qt/effect_edit_widget.h"
#include "score/qt/function_sheet.h"
#include "score/qt/qt_canvas.h"
#include "score/qt/score_image.h"
#include "score/score_view.h"
#include "song/plm_doc.h"
#include "support/qt_test_app.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct Golden {
    std::string song;  // a demo song's file name
    platform::ScoreImageOptions options;
    std::string image;
};

class ScoreGolden : public ::testing::TestWithParam<Golden> {};

TEST_P(ScoreGolden, MatchesItsImage) {
    test::qtApp();
    const Golden& golden = GetParam();
    std::optional<DemoSong> song;
    for (DemoSong& demo : demoSongs())
        if (demo.fileName == golden.song) song = std::move(demo);
    ASSERT_TRUE(song) << golden.song;

    static const GlyphSet glyphs;
    platform::GlyphImages images;
    const QImage actual =
        platform::renderScoreImage(song->song.records, song->song.info, glyphs, images, golden.options)
            .convertToFormat(QImage::Format_RGB32);
    const fs::path path = fs::path(PLUME_TEST_DATA) / "golden" / golden.image;
    if (std::getenv("PLUME_UPDATE_GOLDEN")) {
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(actual.save(QString::fromStdString(path.string()), "PNG"));
        GTEST_SKIP() << "wrote " << path;
    }
    const QImage expected = QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << "no golden image " << path;
    ASSERT_EQ(actual.size(), expected.size());
    if (actual != expected) {
        const fs::path saved = fs::temp_directory_path() / ("actual-" + golden.image);
        actual.save(QString::fromStdString(saved.string()), "PNG");
        ADD_FAILURE() << "pixels differ from " << path << "; this run drew " << saved;
    }
}

INSTANTIATE_TEST_SUITE_P(DemoSongs, ScoreGolden,
                         ::testing::Values(Golden{"melody.PLM", {.width = 900}, "melody.png"},
                                           Golden{"bass.PLM", {.width = 700}, "bass.png"},
                                           Golden{"piano.PLM", {.width = 700}, "piano.png"},
                                           Golden{"drums.PLM", {.width = 800, .grandStaff = true}, "drums_grand.png"}),
                         [](const ::testing::TestParamInfo<Golden>& p) {
                             std::string name = p.param.image;
                             return name.substr(0, name.find('.'));
                         });

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
    // without a number it stays open; with one it closes
    dialog.valueField()->clear();
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.valueField()->setText(QStringLiteral("8191"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // "種別" pan: the slider pages by 10 within 0..127
    dialog.kindList()->setCurrentIndex(effect::kPan);
    EXPECT_EQ(bounds(dialog.slider()), std::tuple(0, 127, 10));
}

TEST_F(EffectGui, TheSheetsSinePointsFollowTheMouseAndOkWritesThePieces) {
    auto form = FunctionSheetForm::open(doc, {0, doc.recordCount()}, effect::kModulation);
    ASSERT_TRUE(form);
    FunctionSheet sheet(doc, view, std::move(*form));
    sheet.resize(480, 360);
    sheet.show();
    sheet.functionButtons()->button(3)->click();  // "sin"
    CurveGraph* graph = sheet.graph();
    const QPoint peak = graph->handles().at(0);
    pressMouse(graph, peak);
    moveMouse(graph, peak + QPoint(40, 10));
    releaseMouse(graph, peak + QPoint(40, 10));
    EXPECT_EQ(graph->handles().at(0).x(), peak.x() + 40);
    const double fraction = double(sheet.form().peakPoint()) / sheet.form().graphWidth();
    sheet.accept();
    // the sine's speed pi / (p/W * N) with N = 2000 ms (one piece per group is writeCurve's own test)
    const std::size_t first = doc.findEffect(0, effect::kModulation);
    ASSERT_NE(first, kNoRecord);
    EXPECT_FLOAT_EQ(doc.record(first + 2).curveA(), float(3.141592653589793 / (fraction * 2000)));

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
}

class FakeAuditionPlayer : public AuditionPlayer {
public:
    std::vector<AuditionPlay> started;
    std::vector<std::vector<SongRecord>> chordBuffers;
    std::function<void()> ended;
    int stops = 0;
    bool startAudition(const AuditionPlay& play, std::function<void()> end) override {
        started.push_back(play);
        if (play.channels.size() > 1)
            chordBuffers.emplace_back(play.channels[1].track.begin(), play.channels[1].track.end());
        ended = std::move(end);
        return true;
    }
    void stopAudition() override { ++stops; }
};

QStringList items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

TEST(ChordDialog, DoubleClickAuditionsTheChordBesideTheWrittenNotes) {
    qtApp();
    std::vector<SongRecord> song = group({note(3, 60), note(3, 64), note(3, 67), note(3, 71)});
    addGroups(song, {barLine(), note(3, 62)});
    FakeAuditionPlayer player;
    ChordDialog dialog(song, SongInfo::defaults(), ChordRange{0, 5}, player);

    // C D E G B: the complete four-tone chords, qualities in order.
    EXPECT_EQ(items(dialog.list(0)).join(' ').toStdString(), "CM7 G6 Em7");

    dialog.volumeSlider()->setValue(64);
    dialog.list(0)->itemDoubleClicked(dialog.list(0)->item(0));
    ASSERT_EQ(player.started.size(), 1u);
    EXPECT_TRUE(dialog.playing());
    const AuditionPlay& play = player.started[0];
    ASSERT_EQ(play.channels.size(), 2u);
    // the chord's records are ChordAudition's own test; here its last note sounds at the slider's volume
    EXPECT_EQ(player.chordBuffers[0].back().velocity(), 64);

    dialog.playRange();  // ignored while playing
    dialog.auditionChord("C");
    EXPECT_EQ(player.started.size(), 1u);
    // the play button, and a play's end reaching the dialog, are the play test's
    dialog.stopButton()->click();
    EXPECT_EQ(player.stops, 1);
    EXPECT_FALSE(dialog.playing());
    dialog.auditionChord("Cxx");  // an unknown name plays nothing
    EXPECT_EQ(player.started.size(), 1u);
}

TEST(ChordHelp, NamesEveryQualityTheDialogShows) {
    qtApp();
    platform::ScriptedMessageBox box;
    QTextBrowser* help = showChordHelp(nullptr);
    ASSERT_NE(help, nullptr);
    QFile file(chordHelpPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const ChordQuality& quality : chordQualities()) {
        const QString cell = QStringLiteral("<td>C") + QString::fromUtf8(quality.suffix) + QStringLiteral("</td>");
        EXPECT_TRUE(html.contains(cell)) << quality.suffix;
    }
    // Two flats: B-flat major spelled as the dialog spells it.
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Bb → Eb → F → Bb")));
    delete help;

    EXPECT_EQ(showChordHelp(nullptr, QStringLiteral("/no/such/chord.hlp")), nullptr);
    EXPECT_EQ(box.shown().back(), "/no/such/chord.hlp\nファイルがありません。");
}

}  // namespace
}  // namespace plume
