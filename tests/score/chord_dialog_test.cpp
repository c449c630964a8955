// "Plume-コード判別" offscreen: its lists, and what a double-click and "PLAY" ask the player for.
#include <gtest/gtest.h>

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTextBrowser>

#include "platform/message_box.h"
#include "score/qt/chord_dialog.h"
#include "score/qt/chord_help.h"
#include "support/qt_test_app.h"
#include "support/song_builder.h"

namespace plume {
namespace {

using test::addGroup;
using test::note;

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
    test::qtApp();
    std::vector<SongRecord> song;
    addGroup(song, {note(3, 60), note(3, 64), note(3, 67), note(3, 71)});
    addGroup(song, {test::barLine()});
    addGroup(song, {note(3, 62)});
    FakeAuditionPlayer player;
    ChordDialog dialog(song, SongInfo::defaults(), ChordRange{0, 5}, player);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Plume-コード判別"));
    // C D E G B: the complete four-tone chords, qualities in order.
    EXPECT_EQ(items(dialog.list(0)).join(' ').toStdString(), "CM7 G6 Em7");
    EXPECT_EQ(dialog.list(1)->count(), int(dialog.candidates().second.size()));
    EXPECT_EQ(dialog.volumeSlider()->value(), 100);

    dialog.volumeSlider()->setValue(64);
    dialog.list(0)->itemDoubleClicked(dialog.list(0)->item(0));
    ASSERT_EQ(player.started.size(), 1u);
    EXPECT_TRUE(dialog.playing());
    const AuditionPlay& play = player.started[0];
    ASSERT_EQ(play.channels.size(), 2u);
    EXPECT_EQ(play.channels[0].count, 6u);
    const auto& buffer = player.chordBuffers[0];
    ASSERT_EQ(buffer.size(), 9u);  // 4 + the bar line + 4
    EXPECT_EQ(buffer[4].type(), type::kBarLine);
    EXPECT_EQ(buffer[8].key(), 71);
    EXPECT_EQ(buffer[8].velocity(), 64);

    dialog.playRange();  // ignored while playing
    dialog.auditionChord("C");
    EXPECT_EQ(player.started.size(), 1u);
    player.ended();
    EXPECT_FALSE(dialog.playing());

    dialog.playButton()->click();
    ASSERT_EQ(player.started.size(), 2u);
    EXPECT_EQ(player.started[1].channels.size(), 1u);
    dialog.stopButton()->click();
    EXPECT_EQ(player.stops, 1);
    EXPECT_FALSE(dialog.playing());
    dialog.auditionChord("Cxx");  // an unknown name plays nothing
    EXPECT_EQ(player.started.size(), 2u);
}

TEST(ChordHelp, NamesEveryQualityTheDialogShows) {
    test::qtApp();
    platform::ScriptedMessageBox box;
    QTextBrowser* help = showChordHelp(nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle(), QStringLiteral("コード進行のヘルプ"));
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
